#include "DrawStatic.h"

#include <vector>

namespace {

constexpr COLORREF kBackColour = RGB(55, 164, 196);
constexpr COLORREF kGridColour = RGB(0, 255, 0);
constexpr COLORREF kTraceColour = RGB(255, 0, 0);

}  // namespace

CDrawStatic::~CDrawStatic() {
    // The bitmap must leave the surface before either is deleted.
    if (m_memDC && m_oldBitmap != nullptr) SelectObject(m_memDC->Get(), m_oldBitmap);
}

void CDrawStatic::InitDraw() {
    GetClientRect(GetSafeHwnd(), &m_rectClient);
    const int width = m_rectClient.right - m_rectClient.left;
    const int height = m_rectClient.bottom - m_rectClient.top;
    {
        const CClientDC screen(GetSafeHwnd());
        if (m_memDC && m_oldBitmap != nullptr) SelectObject(m_memDC->Get(), m_oldBitmap);
        m_memDC = std::make_unique<CMemDC>(screen.Get());
        m_bitmap.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
    }
    const HDC dc = m_memDC->Get();
    m_oldBitmap = SelectObject(dc, m_bitmap.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kGridColour);

    m_brushBack.Reset(CreateSolidBrush(kBackColour));
    m_penGrid.Reset(CreatePen(PS_SOLID, 1, kGridColour));
    m_penTrace.Reset(CreatePen(PS_SOLID, 1, kTraceColour));

    m_model = CPlotModel();
    m_model.Init(width, height);
    m_rgnAll.Reset(CreateRectRgn(m_rectClient.left, m_rectClient.top, m_rectClient.right,
                                 m_rectClient.bottom));
    const PlotBox grid = m_model.GridBox();
    m_rgnGrid.Reset(CreateRectRgn(grid.left, grid.top, grid.right, grid.bottom));
    // Painted before its first point, the control would otherwise show an undrawn surface.
    Redraw();
}

void CDrawStatic::AddPoint(int x, int y) {
    m_model.AddPoint(x, y);
    Redraw();
    InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

void CDrawStatic::Redraw() {
    if (!m_memDC) return;
    const HDC dc = m_memDC->Get();
    FillRect(dc, &m_rectClient, m_brushBack.Get());

    {
        const CSelectObject pen(dc, m_penGrid.Get());
        for (const PlotLine& line : m_model.GridLines()) {
            MoveToEx(dc, line.from.x, line.from.y, nullptr);
            LineTo(dc, line.to.x, line.to.y);
        }
    }

    const CSelectObject pen(dc, m_penTrace.Get());
    {
        const CSelectObject brush(dc, GetStockObject(WHITE_BRUSH));
        const PlotBox zero = m_model.ZeroMarkBox();
        Ellipse(dc, zero.left, zero.top, zero.right, zero.bottom);
    }

    for (const PlotLabel& label : m_model.Labels()) {
        TextOutW(dc, label.topLeft.x, label.topLeft.y, label.text.c_str(),
                 static_cast<int>(label.text.size()));
    }

    const std::vector<PlotPixel> pixels = m_model.PathPixels();
    if (pixels.empty()) return;
    SelectClipRgn(dc, m_rgnGrid.Get());
    // One call for the whole path: the same pixels as a line per segment, much faster on
    // long paths.
    std::vector<POINT> points(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) points[i] = {pixels[i].x, pixels[i].y};
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    {
        const CSelectObject brush(dc, GetStockObject(WHITE_BRUSH));
        const PlotBox end = m_model.EndMarkBox();
        Ellipse(dc, end.left, end.top, end.right, end.bottom);
    }
    SelectClipRgn(dc, m_rgnAll.Get());
}

void CDrawStatic::OnPaint() {
    const CPaintDC paint(GetSafeHwnd());
    if (!m_memDC) return;
    BitBlt(paint.Get(), 0, 0, m_rectClient.right - m_rectClient.left,
           m_rectClient.bottom - m_rectClient.top, m_memDC->Get(), 0, 0, SRCCOPY);
}

LRESULT CDrawStatic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        OnPaint();
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
