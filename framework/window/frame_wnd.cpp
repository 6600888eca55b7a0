#include "frame_wnd.h"

#include <commctrl.h>

#include <vector>

#include "app.h"
#include "bars.h"
#include "dialog.h"
#include "document.h"
#include "print_preview.h"
#include "trace.h"
#include "window_class.h"

namespace {

constexpr wchar_t kFrameClass[] = L"VornFrameWnd";

bool RegisterFrameClass(UINT iconId) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CWnd::StandardWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(iconId));
    wc.hIconSm = static_cast<HICON>(
        LoadImageW(wc.hInstance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    return RegisterWindowClassOnce(wc);
}

// The prompt (before "\n") or the tip (after it) of a command's string.
std::wstring CommandStringPart(UINT id, bool tip) {
    const std::wstring text = LoadResString(id);
    const size_t newline = text.find(L'\n');
    if (newline == std::wstring::npos) return tip ? std::wstring() : text;
    return tip ? text.substr(newline + 1) : text.substr(0, newline);
}

}  // namespace

const CRuntimeClass CFrameWnd::classCFrameWnd = {"CFrameWnd", &CCmdTarget::classCCmdTarget,
                                                 nullptr};

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    if (GetSafeHwnd() != nullptr) DestroyWindow();
    m_view.reset();
}

void CFrameWnd::PostNcDestroy() {
    if (AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd == this) {
        AfxGetApp()->m_pMainWnd = nullptr;
    }
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_view != nullptr ? m_view->GetDocument() : nullptr;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CCreateContext* context) {
    m_resourceId = resourceId;
    if (!RegisterFrameClass(resourceId)) return FALSE;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(resourceId));
    m_hAccel = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(resourceId));
    std::wstring title = LoadResString(resourceId);
    title = title.substr(0, title.find(L'\n'));
    m_pContext = context;
    const BOOL created = CreateEx(0, kFrameClass, title.c_str(), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu);
    m_pContext = nullptr;
    if (!created && menu != nullptr) DestroyMenu(menu);
    return created;
}

int CFrameWnd::OnCreate(CREATESTRUCTW* /*cs*/) { return OnCreateClient(m_pContext) ? 0 : -1; }

BOOL CFrameWnd::OnCreateClient(CCreateContext* context) {
    if (context == nullptr || context->m_pNewViewClass == nullptr) return TRUE;
    std::unique_ptr<CFormView> view = CreateObjectAs<CFormView>(context->m_pNewViewClass);
    if (view == nullptr) {
        Trace(L"The view class cannot be created");
        return FALSE;
    }
    if (!view->Create(this, AFX_IDW_PANE_FIRST, context)) {
        Trace(L"The view window could not be created");
        return FALSE;
    }
    if (context->m_pCurrentDoc != nullptr) context->m_pCurrentDoc->m_pView = view.get();
    m_view = std::move(view);
    return TRUE;
}

void CFrameWnd::InitialUpdateFrame(CDocument* /*doc*/) {
    if (m_view != nullptr) m_view->OnInitialUpdate();
    OnUpdateFrameTitle();
    RecalcLayout();
}

void CFrameWnd::OnUpdateFrameTitle() {
    if (GetSafeHwnd() == nullptr) return;
    std::wstring title;
    if (const CDocument* const doc = GetActiveDocument()) title = doc->GetTitle() + L" - ";
    std::wstring appTitle = LoadResString(m_resourceId);
    title += appTitle.substr(0, appTitle.find(L'\n'));
    SetWindowTextW(GetSafeHwnd(), title.c_str());
}

void CFrameWnd::CenterWindow() {
    const HWND hwnd = GetSafeHwnd();
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT window = {};
    GetWindowRect(hwnd, &window);
    const RECT& area = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Keep the caption reachable on a small screen.
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFrameWnd::RecalcLayout() {
    const HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr) return;
    RECT client = {};
    GetClientRect(hwnd, &client);
    int top = client.top;
    int bottom = client.bottom;
    const HWND toolBar = GetDlgItem(hwnd, AFX_IDW_TOOLBAR);
    // A tool bar hidden for a print preview leaves its place to it.
    if (toolBar != nullptr && (GetWindowLongW(toolBar, GWL_STYLE) & WS_VISIBLE) != 0) {
        SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
        RECT rect = {};
        GetWindowRect(toolBar, &rect);
        top += rect.bottom - rect.top;
    }
    if (const HWND statusBar = GetDlgItem(hwnd, AFX_IDW_STATUS_BAR)) {
        SendMessageW(statusBar, WM_SIZE, 0, 0);
        RECT rect = {};
        GetWindowRect(statusBar, &rect);
        bottom -= rect.bottom - rect.top;
    }
    for (const CWnd* pane :
         {static_cast<const CWnd*>(m_view.get()), static_cast<const CWnd*>(m_pPreview)}) {
        if (pane != nullptr && pane->GetSafeHwnd() != nullptr) {
            MoveWindow(pane->GetSafeHwnd(), client.left, top, client.right - client.left,
                       bottom > top ? bottom - top : 0, TRUE);
        }
    }
}

CCmdTarget* CFrameWnd::FirstCommandTarget() const {
    if (m_pPreview != nullptr) return m_pPreview;
    return m_view.get();
}

bool CFrameWnd::RouteUpdate(UINT id, bool& enable) {
    CCmdTarget* const first = FirstCommandTarget();
    if (first != nullptr && first->OnUpdateCommand(id, enable)) return true;
    if (OnUpdateCommand(id, enable)) return true;
    return AfxGetApp() != nullptr && AfxGetApp()->OnUpdateCommand(id, enable);
}

bool CFrameWnd::IsCommandEnabled(UINT id) {
    bool enable = true;
    return !RouteUpdate(id, enable) || enable;
}

BOOL CFrameWnd::OnCmdMsg(UINT id, UINT code, HWND control) {
    // Menu and accelerator commands that are disabled are refused, as a greyed item is.
    if (control == nullptr && !IsCommandEnabled(id)) {
        Trace(L"command %u refused: disabled", id);
        return TRUE;
    }
    CCmdTarget* const first = FirstCommandTarget();
    if (first != nullptr && first->OnCommand(id, code, control)) return TRUE;
    if (CDocument* const doc = GetActiveDocument()) {
        if (doc->OnCommand(id, code, control)) return TRUE;
    }
    if (OnCommand(id, code, control)) return TRUE;
    return AfxGetApp() != nullptr && AfxGetApp()->OnCommand(id, code, control);
}

HWND CFrameWnd::IdleBar(UINT id) {
    // Finding a child is a round trip to the Wine server, at every idle pass; the handle
    // found last is checked instead, which costs none.
    HWND& known = id == AFX_IDW_TOOLBAR ? m_idleToolBar : m_idleStatusBar;
    const HWND hwnd = GetSafeHwnd();
    if (known == nullptr || !IsWindow(known) || GetParent(known) != hwnd ||
        ::GetDlgCtrlID(known) != static_cast<int>(id)) {
        known = GetDlgItem(hwnd, static_cast<int>(id));
    }
    return known;
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    const HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr) return;
    std::vector<UINT> ids;
    const HWND toolBar = IdleBar(AFX_IDW_TOOLBAR);
    if (toolBar != nullptr) {
        const int count = static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button = {};
            SendMessageW(toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            if ((button.fsStyle & BTNS_SEP) == 0)
                ids.push_back(static_cast<UINT>(button.idCommand));
        }
    }
    const HMENU menu = GetMenu(hwnd);
    const int items = menu != nullptr ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < items; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1)) ids.push_back(id);
    }
    bool menuChanged = false;
    for (const UINT id : ids) {
        const bool enable = IsCommandEnabled(id);
        const auto known = m_commandState.find(id);
        if (known != m_commandState.end() && known->second == enable) continue;
        m_commandState[id] = enable;
        if (toolBar != nullptr) SendMessageW(toolBar, TB_ENABLEBUTTON, id, MAKELPARAM(enable, 0));
        if (menu != nullptr &&
            EnableMenuItem(menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED)) != -1) {
            menuChanged = true;
        }
        Trace(L"ui command=%u enabled=%d", id, enable ? 1 : 0);
    }
    if (menuChanged) DrawMenuBar(hwnd);
    if (auto* const statusBar =
            dynamic_cast<CStatusBar*>(CWnd::FromHandle(IdleBar(AFX_IDW_STATUS_BAR)))) {
        statusBar->OnIdleUpdate();
    }
}

void CFrameWnd::SetMessageText(UINT commandId) {
    auto* const statusBar =
        dynamic_cast<CStatusBar*>(CWnd::FromHandle(GetDlgItem(GetSafeHwnd(), AFX_IDW_STATUS_BAR)));
    if (statusBar == nullptr || commandId == m_promptId) return;
    m_promptId = commandId;
    Trace(L"status prompt %u", commandId);
    const std::wstring text = commandId != 0 ? CommandStringPart(commandId, false) : std::wstring();
    statusBar->SetPaneText(0, text.empty() ? LoadResString(AFX_IDS_IDLEMESSAGE) : text);
}

void CFrameWnd::OnBarPointerLeft() {
    // A menu's prompt stays: the bar did not put it there.
    if (!m_barPrompt) return;
    m_barPrompt = false;
    SetMessageText(0);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (m_hAccel == nullptr || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) {
        return FALSE;
    }
    return TranslateAcceleratorW(GetSafeHwnd(), m_hAccel, msg) != 0;
}

LRESULT CFrameWnd::OnNotify(NMHDR* header) {
    switch (header->code) {
        case TTN_GETDISPINFOW: {
            auto* const info = reinterpret_cast<NMTTDISPINFOW*>(header);
            UINT id = static_cast<UINT>(header->idFrom);
            if ((info->uFlags & TTF_IDISHWND) != 0) {
                id = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)));
            }
            m_tipText = CommandStringPart(id, true);
            info->lpszText = m_tipText.data();
            return 0;
        }
        case TBN_HOTITEMCHANGE: {
            const auto* const hot = reinterpret_cast<NMTBHOTITEM*>(header);
            if ((hot->dwFlags & HICF_LEAVING) != 0) {
                OnBarPointerLeft();
            } else {
                SetMessageText(static_cast<UINT>(hot->idNew));
                m_barPrompt = true;
            }
            return 0;
        }
        default:
            return Default();
    }
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            if (Default() == -1) return -1;
            return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
        case WM_SIZE:
            Default();
            RecalcLayout();
            return 0;
        case WM_SETFOCUS:
            if (m_pPreview != nullptr && m_pPreview->GetSafeHwnd() != nullptr) {
                SetFocus(m_pPreview->GetSafeHwnd());
                return 0;
            }
            if (m_view != nullptr && m_view->GetSafeHwnd() != nullptr) {
                SetFocus(m_view->GetSafeHwnd());
                return 0;
            }
            return Default();
        case WM_ACTIVATE:
            // The view puts the focus back where it was, never into a hidden page.
            if (m_view != nullptr && m_view->OnActivateFrame(LOWORD(wParam), HIWORD(wParam) != 0))
                return 0;
            return Default();
        case WM_CLOSE: {
            CWinApp* const app = AfxGetApp();
            if (app == nullptr || app->m_pMainWnd != this) return Default();
            const HWND hwnd = GetSafeHwnd();
            app->SetClosing(true);
            const LRESULT result = Default();
            if (IsWindow(hwnd)) app->SetClosing(false);  // the close was refused
            return result;
        }
        case WM_COMMAND:
            if (OnCmdMsg(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            return Default();
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_MENUSELECT:
            // Top-level items of this menu are commands: their prompts show while selected.
            SetMessageText(HIWORD(wParam) == 0xFFFF && lParam == 0 ? 0 : LOWORD(wParam));
            m_barPrompt = false;
            return 0;
        case WM_EXITMENULOOP:
            SetMessageText(0);
            m_barPrompt = false;
            return Default();
        case WM_DESTROY:
            Default();
            if (AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd == this) PostQuitMessage(0);
            return 0;
        default:
            return Default();
    }
}
