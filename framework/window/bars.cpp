#include "bars.h"

#include <commctrl.h>

#include "app.h"
#include "gdi.h"

// ---- tool bar

namespace {

// The bits of a style that are the bar's; CBRS_GRIPPER would be WS_DLGFRAME to a window.
constexpr DWORD kBarStyleBits = 0xFFFF | CBRS_GRIPPER;

}  // namespace

BOOL CToolBar::CreateEx(CWnd* parent, DWORD toolStyle, DWORD style, UINT id) {
    if (parent == nullptr) return FALSE;
    m_barStyle = style & kBarStyleBits;
    DWORD windowStyle = (style & ~kBarStyleBits) | toolStyle | CCS_TOP;
    if ((m_barStyle & CBRS_TOOLTIPS) != 0) windowStyle |= TBSTYLE_TOOLTIPS;
    const HWND hwnd = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr, windowStyle, 0, 0, 0, 0, parent->GetSafeHwnd(),
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) return FALSE;
    SendMessageW(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    // The control lays its buttons out after the indent; the gripper is drawn there. (Room
    // outside the client area would not do: the control sizes itself to fill its parent
    // with its client area.)
    if ((m_barStyle & CBRS_GRIPPER) != 0) SendMessageW(hwnd, TB_SETINDENT, kGripperWidth, 0);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT bitmapId, const UINT* ids, int count) {
    const HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr) return FALSE;
    SendMessageW(hwnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 15));
    TBADDBITMAP bitmap = {GetModuleHandleW(nullptr), bitmapId};
    if (SendMessageW(hwnd, TB_ADDBITMAP, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(&bitmap)) == -1) {
        return FALSE;
    }
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TBBUTTON& button = buttons[static_cast<size_t>(i)];
        button.iBitmap = ids[i] != 0 ? i : 0;
        button.idCommand = static_cast<int>(ids[i]);
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = ids[i] != 0 ? BTNS_BUTTON : BTNS_SEP;
    }
    if (!SendMessageW(hwnd, TB_ADDBUTTONSW, buttons.size(),
                      reinterpret_cast<LPARAM>(buttons.data()))) {
        return FALSE;
    }
    SendMessageW(hwnd, TB_AUTOSIZE, 0, 0);
    return TRUE;
}

int CToolBar::CommandToIndex(UINT id) const {
    return static_cast<int>(SendMessageW(GetSafeHwnd(), TB_COMMANDTOINDEX, id, 0));
}

void CToolBar::SetButtonInfo(int index, UINT id, BYTE style, int imageOrWidth) {
    const HWND hwnd = GetSafeHwnd();
    // The simplest portable way to change a button's style: put a new one in its place.
    TBBUTTON button = {};
    button.iBitmap = imageOrWidth;
    button.idCommand = static_cast<int>(id);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = style;
    SendMessageW(hwnd, TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
    SendMessageW(hwnd, TB_INSERTBUTTONW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&button));
}

RECT CToolBar::GetItemRect(int index) const {
    RECT rect = {};
    SendMessageW(GetSafeHwnd(), TB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void CToolBar::AddToolTip(HWND child, HWND notifyWindow) {
    const HWND tips = reinterpret_cast<HWND>(SendMessageW(GetSafeHwnd(), TB_GETTOOLTIPS, 0, 0));
    if (tips == nullptr) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = notifyWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(child);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CToolBar::DrawGripper(HDC dc) const {
    RECT client = {};
    GetClientRect(GetSafeHwnd(), &client);
    if (client.bottom - client.top < 8) return;
    for (const int x : {2, 6}) {
        RECT bar = {x, client.top + 3, x + 3, client.bottom - 3};
        DrawEdge(dc, &bar, BDR_RAISEDINNER, BF_RECT);
    }
}

LRESULT CToolBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            // Notifications of the controls in the bar belong to the frame.
            if (lParam != 0) return SendMessageW(GetParent(GetSafeHwnd()), msg, wParam, lParam);
            return Default();
        case WM_PAINT: {
            const LRESULT result = Default();
            if ((m_barStyle & CBRS_GRIPPER) != 0) DrawGripper(CClientDC(GetSafeHwnd()).Get());
            return result;
        }
        case WM_PRINTCLIENT: {
            // A picture of the bar (PrintWindow) shows the gripper as the screen does.
            const LRESULT result = Default();
            if ((m_barStyle & CBRS_GRIPPER) != 0) DrawGripper(reinterpret_cast<HDC>(wParam));
            return result;
        }
        default:
            return Default();
    }
}

// ---- status bar

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
    if (parent == nullptr) return FALSE;
    const HWND hwnd = CreateWindowExW(
        0, STATUSCLASSNAMEW, nullptr, style, 0, 0, 0, 0, parent->GetSafeHwnd(),
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) return FALSE;
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    if (GetSafeHwnd() == nullptr || count < 1) return FALSE;
    m_ids.assign(ids, ids + count);
    m_texts.assign(static_cast<size_t>(count), std::wstring());
    if (!LayoutPanes()) return FALSE;
    SetPaneText(0, LoadResString(AFX_IDS_IDLEMESSAGE));
    return TRUE;
}

bool CStatusBar::LayoutPanes() {
    const HWND hwnd = GetSafeHwnd();
    const size_t count = m_ids.size();
    if (count == 0) return true;
    std::vector<int> edges(count);
    const CClientDC dc(hwnd);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    const CSelectObject select(
        dc.Get(), font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    RECT client = {};
    GetClientRect(hwnd, &client);
    int right = client.right;
    for (size_t i = count; i-- > 1;) {
        edges[i] = right;
        const std::wstring text = LoadResString(m_ids[i]);
        SIZE extent = {};
        GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        right -= extent.cx + 12;
    }
    edges[0] = right;
    return SendMessageW(hwnd, SB_SETPARTS, static_cast<WPARAM>(count),
                        reinterpret_cast<LPARAM>(edges.data())) != 0;
}

LRESULT CStatusBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_SIZE) return CWnd::WindowProc(msg, wParam, lParam);
    const LRESULT result = Default();
    LayoutPanes();
    return result;
}

void CStatusBar::SetPaneText(int index, const std::wstring& text) {
    if (index < 0 || static_cast<size_t>(index) >= m_texts.size()) return;
    m_texts[static_cast<size_t>(index)] = text;
    SendMessageW(GetSafeHwnd(), SB_SETTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring CStatusBar::GetPaneText(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_texts.size()) return std::wstring();
    return m_texts[static_cast<size_t>(index)];
}

void CStatusBar::OnIdleUpdate() {
    // The whole state in one call: each key asked alone is a round trip to the Wine server,
    // at every idle pass.
    BYTE keys[256] = {};
    if (!GetKeyboardState(keys)) return;
    for (size_t i = 1; i < m_ids.size(); ++i) {
        int key = 0;
        switch (m_ids[i]) {
            case 0xE701:
                key = VK_CAPITAL;
                break;
            case 0xE702:
                key = VK_NUMLOCK;
                break;
            case 0xE703:
                key = VK_SCROLL;
                break;
            default:
                continue;
        }
        const std::wstring text = (keys[key] & 1) != 0 ? LoadResString(m_ids[i]) : std::wstring();
        if (text != m_texts[i]) SetPaneText(static_cast<int>(i), text);
    }
}

// ---- combo box

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (parent == nullptr) return FALSE;
    const HWND hwnd = CreateWindowExW(
        0, WC_COMBOBOXW, nullptr, style, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, parent->GetSafeHwnd(),
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) return FALSE;
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    return TRUE;
}

int CComboBox::AddString(const std::wstring& text) const {
    return static_cast<int>(
        SendMessageW(GetSafeHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CComboBox::SetCurSel(int index) const {
    return static_cast<int>(
        SendMessageW(GetSafeHwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int CComboBox::GetCurSel() const {
    return static_cast<int>(SendMessageW(GetSafeHwnd(), CB_GETCURSEL, 0, 0));
}

int CComboBox::GetCount() const {
    return static_cast<int>(SendMessageW(GetSafeHwnd(), CB_GETCOUNT, 0, 0));
}

void CComboBox::Enable(bool enable) const { EnableWindow(GetSafeHwnd(), enable ? TRUE : FALSE); }
