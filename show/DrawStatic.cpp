#include "DrawStatic.h"

#include <algorithm>
#include <climits>

namespace {

constexpr COLORREF kBackColour = RGB(55, 164, 196);
constexpr COLORREF kGridColour = RGB(0, 255, 0);
constexpr COLORREF kTraceColour = RGB(255, 0, 0);
// Points mapped per polyline call of a full redraw: a long path is drawn without a pixel
// array of its whole length.
constexpr size_t kChunk = 4096;

RECT ToRect(const PlotBox& box) { return {box.left, box.top, box.right, box.bottom}; }

}  // namespace

CDrawStatic::CSurface::CSurface(HDC compatible, int width, int height)
    : m_dc(compatible), m_bitmap(CreateCompatibleBitmap(compatible, width, height)) {
    if (m_dc.Get() != nullptr && m_bitmap) m_old = SelectObject(m_dc.Get(), m_bitmap.Get());
    SetBkMode(m_dc.Get(), TRANSPARENT);
    SetTextColor(m_dc.Get(), kGridColour);
}

CDrawStatic::CSurface::~CSurface() {
    // The bitmap must leave the device context before either is deleted.
    if (m_old != nullptr) SelectObject(m_dc.Get(), m_old);
}

void CDrawStatic::InitDraw() {
    GetClientRect(GetSafeHwnd(), &m_rectClient);
    const int width = m_rectClient.right - m_rectClient.left;
    const int height = m_rectClient.bottom - m_rectClient.top;
    {
        const CClientDC screen(GetSafeHwnd());
        m_base = std::make_unique<CSurface>(screen.Get(), width, height);
        m_shown = std::make_unique<CSurface>(screen.Get(), width, height);
    }
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
    const PathWork before = m_work;
    AddPointAndDraw(x, y);
    m_lastAdd = {m_work.pointsMapped - before.pointsMapped,
                 m_work.segmentsDrawn - before.segmentsDrawn};
}

void CDrawStatic::AddPointAndDraw(int x, int y) {
    const bool current = m_base && m_drawn.view == m_model.View() &&
                         m_drawn.clears == m_model.Clears() &&
                         m_drawn.count == m_model.Points().size();
    // Where the end mark is now, before the point moves it.
    RECT changed = current && m_drawn.count >= 2 ? EndMarkArea() : RECT{};
    m_model.AddPoint(x, y);
    if (!m_base) return;
    if (!current) {
        Redraw();
        InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
        return;
    }
    const size_t count = m_model.Points().size();
    // A repeated point: the picture is already the one a redraw would give.
    if (m_drawn.count == count) return;
    RECT path = {};
    DrawPath(m_drawn.count > 0 ? m_drawn.count - 1 : 0, path);
    UnionRect(&changed, &changed, &path);
    ShowEndMark(changed);
    if (count >= 2) {
        const RECT mark = EndMarkArea();
        UnionRect(&changed, &changed, &mark);
    }
    m_drawn.count = count;
    if (!IsRectEmpty(&changed)) InvalidateRect(GetSafeHwnd(), &changed, TRUE);
}

void CDrawStatic::Redraw() {
    if (!m_base) return;
    const HDC dc = m_base->Get();
    FillRect(dc, &m_rectClient, m_brushBack.Get());

    {
        const CSelectObject pen(dc, m_penGrid.Get());
        for (const PlotLine& line : m_model.GridLines()) {
            MoveToEx(dc, line.from.x, line.from.y, nullptr);
            LineTo(dc, line.to.x, line.to.y);
        }
    }

    {
        const CSelectObject pen(dc, m_penTrace.Get());
        const CSelectObject brush(dc, GetStockObject(WHITE_BRUSH));
        const PlotBox zero = m_model.ZeroMarkBox();
        Ellipse(dc, zero.left, zero.top, zero.right, zero.bottom);
    }

    for (const PlotLabel& label : m_model.Labels()) {
        TextOutW(dc, label.topLeft.x, label.topLeft.y, label.text.c_str(),
                 static_cast<int>(label.text.size()));
    }

    RECT path = {};
    DrawPath(0, path);
    ShowEndMark(m_rectClient);
    m_drawn = {m_model.View(), m_model.Clears(), m_model.Points().size()};
}

void CDrawStatic::DrawPath(size_t first, RECT& changed) {
    SetRectEmpty(&changed);
    const size_t count = m_model.Points().size();
    if (count < 2) return;  // one point draws no path
    const HDC dc = m_base->Get();
    SelectClipRgn(dc, m_rgnGrid.Get());
    const CSelectObject pen(dc, m_penTrace.Get());
    long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
    m_pixels.clear();
    for (size_t next = first; next < count;) {
        const size_t from = next;
        next = m_model.AppendPathPixels(next, kChunk, m_pixels);
        m_work.pointsMapped += next - from;
        if (m_pixels.size() < 2) continue;
        m_polyline.resize(m_pixels.size());
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            const PlotPixel& p = m_pixels[i];
            m_polyline[i] = {p.x, p.y};
            left = std::min<long long>(left, p.x);
            right = std::max<long long>(right, p.x);
            top = std::min<long long>(top, p.y);
            bottom = std::max<long long>(bottom, p.y);
        }
        // One call per chunk: the same pixels as a line per segment, much faster.
        Polyline(dc, m_polyline.data(), static_cast<int>(m_polyline.size()));
        m_work.segmentsDrawn += m_polyline.size() - 1;
        // The next chunk goes on from this one's last pixel.
        m_pixels.erase(m_pixels.begin(), m_pixels.end() - 1);
    }
    SelectClipRgn(dc, m_rgnAll.Get());
    if (left > right) return;
    // Nothing reaches outside the grid; one pixel more for a line's last pixel.
    const RECT grid = ToRect(m_model.GridBox());
    const RECT reach = {
        static_cast<LONG>(std::clamp<long long>(left, grid.left, grid.right)),
        static_cast<LONG>(std::clamp<long long>(top, grid.top, grid.bottom)),
        static_cast<LONG>(std::clamp<long long>(right + 1, grid.left, grid.right)),
        static_cast<LONG>(std::clamp<long long>(bottom + 1, grid.top, grid.bottom))};
    changed = reach;
}

void CDrawStatic::ShowEndMark(const RECT& box) {
    const HDC dc = m_shown->Get();
    if (!IsRectEmpty(&box)) {
        BitBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, m_base->Get(),
               box.left, box.top, SRCCOPY);
    }
    if (m_model.Points().size() < 2) return;
    SelectClipRgn(dc, m_rgnGrid.Get());
    {
        const CSelectObject pen(dc, m_penTrace.Get());
        const CSelectObject brush(dc, GetStockObject(WHITE_BRUSH));
        const PlotBox end = m_model.EndMarkBox();
        Ellipse(dc, end.left, end.top, end.right, end.bottom);
    }
    SelectClipRgn(dc, m_rgnAll.Get());
}

RECT CDrawStatic::EndMarkArea() const {
    // Two pixels round the box for the rim; far off-grid boxes come to nothing.
    const PlotBox end = m_model.EndMarkBox();
    const RECT grid = ToRect(m_model.GridBox());
    const auto within = [](long long value, LONG low, LONG high) {
        return static_cast<LONG>(std::clamp<long long>(value, low, high));
    };
    RECT area = {within(end.left - 2LL, grid.left, grid.right),
                 within(end.top - 2LL, grid.top, grid.bottom),
                 within(end.right + 2LL, grid.left, grid.right),
                 within(end.bottom + 2LL, grid.top, grid.bottom)};
    if (IsRectEmpty(&area)) SetRectEmpty(&area);
    return area;
}

void CDrawStatic::OnPaint() {
    const CPaintDC paint(GetSafeHwnd());
    if (!m_shown) return;
    const RECT& area = paint.Paint().rcPaint;
    BitBlt(paint.Get(), area.left, area.top, area.right - area.left, area.bottom - area.top,
           m_shown->Get(), area.left, area.top, SRCCOPY);
}

LRESULT CDrawStatic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        OnPaint();
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
