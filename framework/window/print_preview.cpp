#include "print_preview.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app.h"
#include "dialog.h"
#include "format.h"
#include "frame_wnd.h"
#include "print_view.h"
#include "trace.h"
#include "window_class.h"

namespace {

constexpr wchar_t kPreviewClass[] = L"VornPreviewView";
constexpr wchar_t kPageClass[] = L"VornPreviewPage";
constexpr UINT kPageId = 100;  // not IDOK: the dialog keys send that

// The bar's buttons in order, in the program's language.
struct PreviewButton {
    UINT id;
    const wchar_t* text;
};
constexpr PreviewButton kButtons[] = {
    {AFX_ID_PREVIEW_PRINT, L"打印(&P)..."}, {AFX_ID_PREVIEW_NEXT, L"下一页(&N)"},
    {AFX_ID_PREVIEW_PREV, L"上一页(&V)"},   {AFX_ID_PREVIEW_NUMPAGE, L"两页(&T)"},
    {AFX_ID_PREVIEW_ZOOMIN, L"放大(&I)"},   {AFX_ID_PREVIEW_ZOOMOUT, L"缩小(&O)"},
    {AFX_ID_PREVIEW_CLOSE, L"关闭(&C)"}};

constexpr int kBarMargin = 4;   // around and between the bar's buttons
constexpr int kPageMargin = 8;  // between the page and the area's edges
constexpr int kShadow = 3;
constexpr int kLine = 16;  // one scroll step

// Posted to the preview to end it once the message that asked has been handled (a button
// must not go while it tells its click); wParam 1: then print.
constexpr UINT kEndPreview = WM_APP + 0x50;

bool IsPreviewCommand(UINT id) {
    return std::any_of(std::begin(kButtons), std::end(kButtons),
                       [id](const PreviewButton& b) { return b.id == id; });
}

bool RegisterClasses() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CWnd::StandardWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPreviewClass;
    if (!RegisterWindowClassOnce(wc)) return false;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hbrBackground = nullptr;  // painted whole
    wc.lpszClassName = kPageClass;
    return RegisterWindowClassOnce(wc);
}

int Width(const RECT& rect) { return rect.right - rect.left; }

bool IsWithin(HWND window, HWND ancestor) {
    return window != nullptr && (window == ancestor || IsChild(ancestor, window) != FALSE);
}
int Height(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

// ---- the page area

BOOL CPreviewPage::Create(HWND parent) {
    return CreateEx(0, kPageClass, L"",
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 0,
                    parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPageId)));
}

RECT CPreviewPage::PageRect() const {
    RECT client = {};
    GetClientRect(GetSafeHwnd(), &client);
    const SIZE page = m_preview.PageSize({Width(client), Height(client)});
    // Centred where it fits, else from the margin on, scrolled.
    const int x = page.cx + 2 * kPageMargin <= Width(client) ? (Width(client) - page.cx) / 2
                                                             : kPageMargin - m_scroll.x;
    const int y = page.cy + 2 * kPageMargin <= Height(client) ? (Height(client) - page.cy) / 2
                                                              : kPageMargin - m_scroll.y;
    return {x, y, x + page.cx, y + page.cy};
}

void CPreviewPage::Relayout() {
    const HWND hwnd = GetSafeHwnd();
    // Showing or hiding a scroll bar resizes the window, which comes back here.
    if (hwnd == nullptr || m_bRelayout) return;
    m_bRelayout = true;
    // The scroll bars take room from the area they measure: settle in two rounds.
    for (int round = 0; round < 2; ++round) {
        RECT client = {};
        GetClientRect(hwnd, &client);
        const SIZE page = m_preview.PageSize({Width(client), Height(client)});
        const int extent[2] = {page.cx + 2 * kPageMargin, page.cy + 2 * kPageMargin};
        const int view[2] = {Width(client), Height(client)};
        LONG* const position[2] = {&m_scroll.x, &m_scroll.y};
        for (int axis = 0; axis < 2; ++axis) {
            const int bar = axis == 0 ? SB_HORZ : SB_VERT;
            const int range = std::max(0, extent[axis] - view[axis]);
            *position[axis] = std::clamp<LONG>(*position[axis], 0, range);
            SCROLLINFO info = {};
            info.cbSize = sizeof(info);
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            info.nMin = 0;
            info.nMax = range > 0 ? extent[axis] - 1 : 0;
            info.nPage = range > 0 ? static_cast<UINT>(view[axis]) : 0;
            info.nPos = *position[axis];
            SetScrollInfo(hwnd, bar, &info, TRUE);
            ShowScrollBar(hwnd, bar, range > 0);
        }
    }
    m_bRelayout = false;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void CPreviewPage::ScrollTo(int bar, int position) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(GetSafeHwnd(), bar, &info);
    const int last = std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
    position = std::clamp(position, 0, last);
    LONG& current = bar == SB_HORZ ? m_scroll.x : m_scroll.y;
    if (position == current) return;
    current = position;
    SetScrollPos(GetSafeHwnd(), bar, position, TRUE);
    InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

void CPreviewPage::Scroll(int bar, int request, int thumb) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(GetSafeHwnd(), bar, &info);
    const int current = bar == SB_HORZ ? m_scroll.x : m_scroll.y;
    const int page = std::max(kLine, static_cast<int>(info.nPage) - kLine);
    switch (request) {
        case SB_LINEUP:
            ScrollTo(bar, current - kLine);
            break;
        case SB_LINEDOWN:
            ScrollTo(bar, current + kLine);
            break;
        case SB_PAGEUP:
            ScrollTo(bar, current - page);
            break;
        case SB_PAGEDOWN:
            ScrollTo(bar, current + page);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            ScrollTo(bar, thumb);
            break;
        case SB_TOP:
            ScrollTo(bar, 0);
            break;
        case SB_BOTTOM:
            ScrollTo(bar, info.nMax);
            break;
        default:
            break;
    }
}

void CPreviewPage::OnPaint() {
    const CPaintDC paint(GetSafeHwnd());
    const HDC dc = paint.Get();
    RECT client = {};
    GetClientRect(GetSafeHwnd(), &client);
    const RECT page = PageRect();
    // Background, shadow, then the paper with its edge; the view's drawing on top.
    const CBrush dark(CreateSolidBrush(GetSysColor(COLOR_3DDKSHADOW)));
    FillRect(dc, &client, dark.Get());
    const RECT shadow = {page.left + kShadow, page.top + kShadow, page.right + kShadow,
                         page.bottom + kShadow};
    FillRect(dc, &shadow, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &page, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    m_preview.DrawPage(dc, page);
}

LRESULT CPreviewPage::WindowProc(UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            Relayout();
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL: {
            // The 16-bit position of the message is not enough for a large page.
            SCROLLINFO info = {};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            const int bar = msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
            GetScrollInfo(GetSafeHwnd(), bar, &info);
            Scroll(bar, LOWORD(wParam), info.nTrackPos);
            return 0;
        }
        case WM_MOUSEWHEEL:
            Scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
            return 0;
        case WM_GETDLGCODE:
            // Letters do nothing here (no button's mnemonic fires unasked); arrows scroll.
            return DLGC_WANTCHARS | DLGC_WANTARROWS;
        case WM_KEYDOWN: {
            const bool control = GetKeyState(VK_CONTROL) < 0;
            switch (wParam) {
                case VK_UP:
                    Scroll(SB_VERT, SB_LINEUP, 0);
                    return 0;
                case VK_DOWN:
                    Scroll(SB_VERT, SB_LINEDOWN, 0);
                    return 0;
                case VK_LEFT:
                    Scroll(SB_HORZ, SB_LINEUP, 0);
                    return 0;
                case VK_RIGHT:
                    Scroll(SB_HORZ, SB_LINEDOWN, 0);
                    return 0;
                case VK_PRIOR:
                    Scroll(SB_VERT, SB_PAGEUP, 0);
                    return 0;
                case VK_NEXT:
                    Scroll(SB_VERT, SB_PAGEDOWN, 0);
                    return 0;
                case VK_HOME:
                    Scroll(control ? SB_VERT : SB_HORZ, SB_TOP, 0);
                    return 0;
                case VK_END:
                    Scroll(control ? SB_VERT : SB_HORZ, SB_BOTTOM, 0);
                    return 0;
                default:
                    return Default();
            }
        }
        case WM_LBUTTONDOWN:
            SetFocus(GetSafeHwnd());
            return 0;
        default:
            return Default();
    }
}

// ---- the preview

CPreviewView::CPreviewView(CFormView* view, std::unique_ptr<CPrintInfo> info)
    : m_pView(view),
      m_pFrame(view != nullptr ? view->GetParentFrame() : nullptr),
      m_pInfo(std::move(info)),
      m_page(*this) {}

CPreviewView::~CPreviewView() {
    // Gone without a close (the view went first): the frame must not keep it.
    if (m_pFrame != nullptr && m_pFrame->GetPreview() == this) m_pFrame->SetPreview(nullptr);
}

bool CPreviewView::Start() {
    if (m_pView == nullptr || m_pFrame == nullptr || m_pInfo == nullptr) return false;
    const HDC printer = m_pInfo->m_printerDC.Get();
    m_paper = {GetDeviceCaps(printer, PHYSICALWIDTH), GetDeviceCaps(printer, PHYSICALHEIGHT)};
    m_paperDpi = {GetDeviceCaps(printer, LOGPIXELSX), GetDeviceCaps(printer, LOGPIXELSY)};
    m_printOrigin = {GetDeviceCaps(printer, PHYSICALOFFSETX),
                     GetDeviceCaps(printer, PHYSICALOFFSETY)};
    if (m_paper.cx <= 0 || m_paper.cy <= 0) {
        // A device without paper sizes: its printable area stands for the paper.
        m_paper = {GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES)};
        m_printOrigin = {0, 0};
    }
    if (m_paper.cx <= 0 || m_paper.cy <= 0 || m_paperDpi.cx <= 0 || m_paperDpi.cy <= 0) {
        Trace(L"preview: the printer gives no paper size");
        return false;
    }
    if (!CreateWindows()) return false;
    m_pView->OnBeginPrinting(printer, m_pInfo.get());

    const HWND view = m_pView->GetSafeHwnd();
    const HWND frame = m_pFrame->GetSafeHwnd();
    const HWND focus = GetFocus();
    m_hWndViewFocus = focus != nullptr && IsChild(view, focus) ? focus : nullptr;
    const bool takeFocus = focus == nullptr ? GetActiveWindow() == frame : IsWithin(focus, frame);
    const HWND toolBar = GetDlgItem(frame, AFX_IDW_TOOLBAR);
    m_bToolBarWasVisible =
        toolBar != nullptr && (GetWindowLongW(toolBar, GWL_STYLE) & WS_VISIBLE) != 0;
    m_bShown = true;
    m_pFrame->SetPreview(this);
    if (m_bToolBarWasVisible) ::ShowWindow(toolBar, SW_HIDE);
    m_pFrame->RecalcLayout();
    SetWindowPos(GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateButtons();
    TraceText(L"preview: shown for " + m_pInfo->m_strPrinter +
              Format(L", paper %ldx%ld at %ldx%ld dpi", m_paper.cx, m_paper.cy, m_paperDpi.cx,
                     m_paperDpi.cy));
    SetZoom(0);
    // The focus last: a page's edit that loses it may say that its value was refused, and
    // the preview is whole by then.
    if (takeFocus) SetFocus(m_page.GetSafeHwnd());
    if (!m_bShown) return true;  // ended meanwhile
    m_pView->ShowWindow(SW_HIDE);
    const HWND now = GetFocus();
    if (takeFocus && (now == nullptr || IsWithin(now, view))) SetFocus(m_page.GetSafeHwnd());
    return true;
}

bool CPreviewView::CreateWindows() {
    if (!RegisterClasses()) return false;
    if (!CreateEx(WS_EX_CONTROLPARENT, kPreviewClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                  m_pFrame->GetSafeHwnd(),
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PREVIEW_PANE)))) {
        return false;
    }
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        m_font.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    const HFONT font = m_font ? m_font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        m_buttons[i] = CreateWindowExW(
            0, L"BUTTON", kButtons[i].text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
            0, 0, 0, GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtons[i].id)),
            GetModuleHandleW(nullptr), nullptr);
        if (m_buttons[i] == nullptr) {
            DestroyWindow();
            return false;
        }
        SendMessageW(m_buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (!m_page.Create(GetSafeHwnd())) {
        DestroyWindow();
        return false;
    }
    return true;
}

void CPreviewView::Layout() {
    const HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr) return;
    RECT client = {};
    GetClientRect(hwnd, &client);
    // Buttons as wide as their texts, in one row.
    const CClientDC dc(hwnd);
    const HFONT font = m_font ? m_font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const CSelectObject selected(dc.Get(), font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc.Get(), &metrics);
    const int height = metrics.tmHeight + 10;
    int x = kBarMargin;
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        std::wstring text = kButtons[i].text;
        text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
        SIZE extent = {};
        GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        const int width = std::max<int>(extent.cx + 16, height * 2);
        MoveWindow(m_buttons[i], x, kBarMargin, width, height, TRUE);
        x += width + kBarMargin;
    }
    const int top = height + 2 * kBarMargin;
    MoveWindow(m_page.GetSafeHwnd(), 0, top, Width(client),
               std::max(0, static_cast<int>(Height(client)) - top), TRUE);
}

SIZE CPreviewView::PageSize(SIZE area) const {
    // The paper at its real size on this screen.
    const CClientDC screen(nullptr);
    const double realWidth =
        static_cast<double>(m_paper.cx) * GetDeviceCaps(screen.Get(), LOGPIXELSX) / m_paperDpi.cx;
    const double realHeight =
        static_cast<double>(m_paper.cy) * GetDeviceCaps(screen.Get(), LOGPIXELSY) / m_paperDpi.cy;
    // The whole page in the area, at real size (or twice the whole page's, if larger), and
    // half-way between.
    const double fit = std::max(0.01, std::min((area.cx - 2.0 * kPageMargin) / realWidth,
                                               (area.cy - 2.0 * kPageMargin) / realHeight));
    const double largest = std::max(1.0, 2 * fit);
    const double scale[kMaxZoom + 1] = {fit, (fit + largest) / 2, largest};
    const double factor = scale[std::clamp(m_nZoom, 0, kMaxZoom)];
    return {std::max(1L, std::lround(realWidth * factor)),
            std::max(1L, std::lround(realHeight * factor))};
}

void CPreviewView::DrawPage(HDC dc, const RECT& rect) const {
    if (m_pView == nullptr || m_pInfo == nullptr) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    // The printer's device units onto the page shown, the printable area's origin at the
    // paper's margin.
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, m_paper.cx, m_paper.cy, nullptr);
    SetWindowOrgEx(dc, -m_printOrigin.x, -m_printOrigin.y, nullptr);
    SetViewportExtEx(dc, Width(rect), Height(rect), nullptr);
    SetViewportOrgEx(dc, rect.left, rect.top, nullptr);
    m_pInfo->m_nCurPage = 1;
    m_pView->OnPrint(dc, m_pInfo.get());
    RestoreDC(dc, saved);
}

void CPreviewView::SetZoom(int zoom) {
    m_nZoom = std::clamp(zoom, 0, kMaxZoom);
    m_page.Relayout();
    UpdateButtons();
    const RECT page = m_page.PageRect();
    Trace(L"preview: zoom %d, page %dx%d pixels", m_nZoom, Width(page), Height(page));
}

void CPreviewView::UpdateButtons() {
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        bool enable = false;
        OnUpdateCommand(kButtons[i].id, enable);
        if ((IsWindowEnabled(m_buttons[i]) != FALSE) == enable) continue;
        // A button disabled under the focus would leave the keys nowhere: the page takes it.
        if (!enable && GetFocus() == m_buttons[i]) SetFocus(m_page.GetSafeHwnd());
        EnableWindow(m_buttons[i], enable ? TRUE : FALSE);
    }
}

bool CPreviewView::OnUpdateCommand(UINT id, bool& enable) {
    switch (id) {
        case AFX_ID_PREVIEW_PRINT:
        case AFX_ID_PREVIEW_CLOSE:
            enable = m_bShown;
            return true;
        case AFX_ID_PREVIEW_ZOOMIN:
            enable = m_bShown && m_nZoom < kMaxZoom;
            return true;
        case AFX_ID_PREVIEW_ZOOMOUT:
            enable = m_bShown && m_nZoom > 0;
            return true;
        default:
            // One page: no next, previous or second page. The frame's own commands wait
            // until the preview ends: none may change what lies under it.
            enable = false;
            return true;
    }
}

bool CPreviewView::OnCommand(UINT id, UINT code, HWND control) {
    if (!IsPreviewCommand(id) || (control != nullptr && code != BN_CLICKED)) return false;
    bool enabled = false;
    OnUpdateCommand(id, enabled);
    if (!enabled) return true;
    switch (id) {
        case AFX_ID_PREVIEW_PRINT:
            PostMessageW(GetSafeHwnd(), kEndPreview, 1, 0);
            return true;
        case AFX_ID_PREVIEW_ZOOMIN:
            SetZoom(m_nZoom + 1);
            return true;
        case AFX_ID_PREVIEW_ZOOMOUT:
            SetZoom(m_nZoom - 1);
            return true;
        case AFX_ID_PREVIEW_CLOSE:
            PostMessageW(GetSafeHwnd(), kEndPreview, 0, 0);
            return true;
        default:
            return true;
    }
}

BOOL CPreviewView::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_bShown) return FALSE;
    // The bar's keys: Tab, the buttons' Alt letters, Escape.
    return IsDialogMessageW(GetSafeHwnd(), msg);
}

void CPreviewView::Close() {
    if (!m_bShown) return;
    const HWND view = m_pView->GetSafeHwnd();
    const HWND focus = GetFocus();
    const HWND frame = m_pFrame->GetSafeHwnd();
    const bool hadFocus =
        focus == nullptr ? GetActiveWindow() == frame : IsWithin(focus, GetSafeHwnd());
    End();
    if (m_bToolBarWasVisible) {
        if (const HWND toolBar = GetDlgItem(frame, AFX_IDW_TOOLBAR))
            ::ShowWindow(toolBar, SW_SHOWNA);
    }
    m_pView->ShowWindow(SW_SHOWNA);
    m_pFrame->RecalcLayout();
    if (hadFocus) {
        const HWND saved = m_hWndViewFocus;
        if (saved != nullptr && IsWindow(saved) && IsChild(view, saved) && IsWindowVisible(saved) &&
            IsWindowEnabled(saved)) {
            SetFocus(saved);
        } else {
            SetFocus(view);
        }
    }
    DestroyWindow();
    Trace(L"preview: closed");
}

void CPreviewView::End() {
    if (!m_bShown) return;
    m_bShown = false;
    if (m_pFrame->GetPreview() == this) m_pFrame->SetPreview(nullptr);
    m_pView->OnEndPrinting(m_pInfo->m_printerDC.Get(), m_pInfo.get());
    m_pInfo->m_printerDC.Reset();
}

LRESULT CPreviewView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_SETFOCUS:
            SetFocus(m_page.GetSafeHwnd());
            return 0;
        case WM_COMMAND:
            // The buttons; Escape and Enter from the dialog keys.
            if (LOWORD(wParam) == IDCANCEL) {
                PostMessageW(GetSafeHwnd(), kEndPreview, 0, 0);
                return 0;
            }
            if (LOWORD(wParam) == IDOK) return 0;
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case kEndPreview: {
            if (!m_bShown) return 0;
            const HWND frame = m_pFrame->GetSafeHwnd();
            const bool print = wParam == 1;
            if (print) Trace(L"preview: print");
            Close();
            // As Ctrl+P does, from the view given back.
            if (print) PostMessageW(frame, WM_COMMAND, ID_FILE_PRINT, 0);
            return 0;
        }
        case WM_DESTROY:
            // The frame closing with the preview shown: the printing ends with it.
            End();
            return Default();
        default:
            return Default();
    }
}
