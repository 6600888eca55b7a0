#include "MainFrm.h"

#include <commctrl.h>

#include "Vorn_305q_show.h"
#include "Vorn_305q_showView.h"
#include "format.h"
#include "resource.h"
#include "trace.h"
#include "wnd_handle.h"

namespace {

constexpr wchar_t kTitle[] = L"Kestrin运动控制卡(MCP305q) - ver1.0";

// The tool bar resource's buttons, image i for button i.
constexpr UINT kButtons[] = {ID_CARD_SELECTOR,     ID_AXIS_SELECTOR, ID_CONFIG, ID_SAVECONFIG,
                             ID_LOADDEFAULTCONFIG, ID_ONEAXIS,       ID_TWOAXIS};

constexpr UINT kIndicators[] = {0, 0xE701, 0xE702, 0xE703};

// Posted to the frame: bring it back to its recorded size, after the event that asked for
// another one.
constexpr UINT kKeepRecordedSize = WM_APP + 1;

constexpr DWORD kToolBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                                CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
static_assert(kToolBarStyle == 0x50402834, "the tool bar's style value");

}  // namespace

const CRuntimeClass CMainFrame::classCMainFrame = {"CMainFrame", &CFrameWnd::classCFrameWnd,
                                                   CreateDynamic<CMainFrame>};

CVorn_305q_showView* CMainFrame::View() const {
    return dynamic_cast<CVorn_305q_showView*>(GetActiveView());
}

int CMainFrame::OnCreate(CREATESTRUCTW* cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, kToolBarStyle, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME, kButtons, static_cast<int>(std::size(kButtons)))) {
        TraceText(L"Failed to create toolbar\n");
        return -1;
    }
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators)))) {
        TraceText(L"Failed to create status bar\n");
        return -1;
    }
    if (!CreateCardSelector() || !CreateAxisSelector()) {
        TraceText(L"Failed to create toolbar\n");
        return -1;
    }
    return 0;
}

BOOL CMainFrame::CreateSelector(UINT id, int width, int leftInset, CComboBox& combo) {
    const int index = m_wndToolBar.CommandToIndex(id);
    if (index < 0) {
        TraceText(L"Failed to create combo-box\n");
        return FALSE;
    }
    m_wndToolBar.SetButtonInfo(index, id, BTNS_SEP, width);
    RECT rect = m_wndToolBar.GetItemRect(index);
    rect.top -= 1;
    rect.bottom += 200;
    rect.left += leftInset;
    if (!combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | CBS_HASSTRINGS,
                      rect, &m_wndToolBar, id)) {
        TraceText(L"Failed to create combo-box\n");
        return FALSE;
    }
    m_wndToolBar.AddToolTip(combo.GetSafeHwnd(), GetSafeHwnd());
    combo.ShowWindow(SW_SHOW);
    combo.Enable(true);
    return TRUE;
}

BOOL CMainFrame::CreateCardSelector() {
    return CreateSelector(ID_CARD_SELECTOR, 100, 0, m_wndToolBar.m_wndCardCombo);
}

BOOL CMainFrame::CreateAxisSelector() {
    CComboBox& combo = m_wndToolBar.m_wndAxisCombo;
    if (!CreateSelector(ID_AXIS_SELECTOR, 105, 5, combo)) return FALSE;
    for (const wchar_t* axis : {L"轴号：0-X", L"轴号：1-Y", L"轴号：2-Z", L"轴号：3-U"}) {
        combo.AddString(axis);
    }
    combo.SetCurSel(0);
    combo.Enable(true);
    return TRUE;
}

void CMainFrame::FillCardSelector(short nCount) {
    CComboBox& cards = m_wndToolBar.m_wndCardCombo;
    for (int i = 0; i < nCount; ++i) cards.AddString(Format(L"运动卡：%d", i));
    if (nCount > 0) {
        cards.SetCurSel(0);
        m_bCardsListed = 1;
    } else {
        m_wndToolBar.m_wndAxisCombo.Enable(false);
        cards.Enable(false);
    }
    Trace(L"card selector filled: count=%d listed=%d", nCount, m_bCardsListed);
}

void CMainFrame::EnableAxisSelector(BOOL bEnable) {
    m_wndToolBar.m_wndAxisCombo.Enable(bEnable != FALSE);
}

void CMainFrame::OnSelendokCard() {
    if (m_bCardsListed == 0) return;
    if (CVorn_305q_showView* const view = View()) {
        view->OnCardChanged(m_wndToolBar.m_wndCardCombo.GetCurSel());
    }
}

void CMainFrame::OnSelendokAxis() {
    if (m_bCardsListed == 0) return;
    if (CVorn_305q_showView* const view = View()) {
        view->OnAxisChanged(m_wndToolBar.m_wndAxisCombo.GetCurSel());
    }
}

bool CMainFrame::OnCommand(UINT id, UINT code, HWND /*control*/) {
    if (code != CBN_SELENDOK) return false;
    switch (id) {
        case ID_CARD_SELECTOR:
            OnSelendokCard();
            return true;
        case ID_AXIS_SELECTOR:
            OnSelendokAxis();
            return true;
        default:
            return false;
    }
}

void CMainFrame::KeepTitle() {
    // Only when it differs: setting it repaints the caption, which would come back here.
    const CWndHandle frame(GetSafeHwnd());
    if (frame.Text() != kTitle) frame.SetText(kTitle);
}

void CMainFrame::OnUpdateFrameTitle() {
    if (GetSafeHwnd() != nullptr) KeepTitle();
}

bool CMainFrame::SizeRecorded() const { return theApp.m_nFrameWidth != 0; }

void CMainFrame::PostKeepRecordedSize() {
    if (!m_bKeepSizePosted) {
        m_bKeepSizePosted = PostMessageW(GetSafeHwnd(), kKeepRecordedSize, 0, 0) != FALSE;
    }
}

void CMainFrame::KeepRecordedSize() {
    m_bKeepSizePosted = false;
    const HWND frame = GetSafeHwnd();
    if (!SizeRecorded() || IsIconic(frame)) return;
    Trace(L"frame size kept: %dx%d", theApp.m_nFrameWidth, theApp.m_nFrameHeight);
    // A window manager holds a maximized window at its own size, whatever the frame allows.
    if (IsZoomed(frame)) {
        ShowWindow(SW_RESTORE);
        return;
    }
    SetWindowPos(frame, nullptr, 0, 0, theApp.m_nFrameWidth, theApp.m_nFrameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_WINDOWPOSCHANGING: {
            // The size limits below keep the window's rectangle, but when the window manager
            // asked for the size, its window already has it and is not told of the refusal:
            // setting the size again once that event is over tells it.
            auto* const pos = reinterpret_cast<WINDOWPOS*>(lParam);
            const HWND frame = GetSafeHwnd();
            if (SizeRecorded() && (pos->flags & SWP_NOSIZE) == 0 && !IsIconic(frame) &&
                (pos->cx != theApp.m_nFrameWidth || pos->cy != theApp.m_nFrameHeight)) {
                // A left or top border dragged there moves that edge alone: the window stays.
                if ((pos->flags & SWP_NOMOVE) == 0 && !IsZoomed(frame)) {
                    const RECT now = CWndHandle(frame).WindowRect();
                    if (pos->x != now.left && pos->x + pos->cx == now.right) pos->x = now.left;
                    if (pos->y != now.top && pos->y + pos->cy == now.bottom) pos->y = now.top;
                }
                PostKeepRecordedSize();
            }
            return CFrameWnd::WindowProc(msg, wParam, lParam);
        }
        case kKeepRecordedSize:
            KeepRecordedSize();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* const info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (SizeRecorded()) {
                const POINT size = {theApp.m_nFrameWidth, theApp.m_nFrameHeight};
                info->ptMaxSize = size;
                info->ptMinTrackSize = size;
                info->ptMaxTrackSize = size;
            }
            return CFrameWnd::WindowProc(msg, wParam, lParam);
        }
        case WM_ACTIVATE:
        case WM_NCPAINT: {
            const LRESULT result = CFrameWnd::WindowProc(msg, wParam, lParam);
            KeepTitle();
            return result;
        }
        default:
            return CFrameWnd::WindowProc(msg, wParam, lParam);
    }
}
