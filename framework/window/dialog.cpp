#include "dialog.h"

#include <algorithm>

#include "app.h"
#include "document.h"
#include "format.h"
#include "frame_wnd.h"
#include "parse.h"
#include "wnd_handle.h"

const wchar_t kParseIntFailure[] = L"请输入一个整数。";
const wchar_t kParseNumberFailure[] = L"请输入一个数字。";

// ---- data exchange

HWND CDataExchange::PrepareCtrl(int id) const { return GetDlgItem(m_pDlgWnd->GetSafeHwnd(), id); }

void CDataExchange::Fail(HWND control, const std::wstring& message) {
    m_bFailed = true;
    // The focus leaves the edit because the windows are going: nobody is entering a value.
    if (const CWinApp* const app = AfxGetApp(); app != nullptr && app->IsClosing()) return;
    // Focus moves twice below; the page's focus-loss handlers must not report again.
    m_pDlgWnd->m_bReportingFailure = true;
    AfxMessageBox(message);
    // Not into an edit the operator can no longer see (its page was switched away).
    if (control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control)) {
        SetFocus(control);
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
    m_pDlgWnd->m_bReportingFailure = false;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& ctrl) {
    if (ctrl.GetSafeHwnd() == nullptr) ctrl.SubclassWindow(pDX->PrepareCtrl(id));
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value) {
    if (pDX->Failed()) return;
    HWND button = pDX->PrepareCtrl(firstId);
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    // The group: from the first button to the next control that starts a group.
    do {
        if ((SendMessageW(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0) {
            if (pDX->m_bSaveAndValidate) {
                if (value == -1 && SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                    value = index;
                }
            } else {
                SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++index;
        }
        button = GetWindow(button, GW_HWNDNEXT);
    } while (button != nullptr && (GetWindowLongW(button, GWL_STYLE) & WS_GROUP) == 0);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    const HWND button = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageW(button, BM_GETCHECK, 0, 0));
    } else {
        SendMessageW(button, BM_SETCHECK, value >= 0 && value <= 2 ? value : 0, 0);
    }
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    const CWndHandle edit(pDX->PrepareCtrl(id));
    if (!pDX->m_bSaveAndValidate) {
        edit.SetText(Format(L"%d", value));
    } else if (!ParseStrictInt(edit.Text(), value)) {
        pDX->Fail(edit.Get(), kParseIntFailure);
    }
}

void DDX_Text(CDataExchange* pDX, int id, float& value) {
    if (pDX->Failed()) return;
    const CWndHandle edit(pDX->PrepareCtrl(id));
    if (!pDX->m_bSaveAndValidate) {
        edit.SetText(Format(L"%.6g", static_cast<double>(value)));
    } else if (!ParseStrictFloat(edit.Text(), value)) {
        pDX->Fail(edit.Get(), kParseNumberFailure);
    }
}

void DDX_Text(CDataExchange* pDX, int id, double& value) {
    if (pDX->Failed()) return;
    const CWndHandle edit(pDX->PrepareCtrl(id));
    if (!pDX->m_bSaveAndValidate) {
        edit.SetText(Format(L"%.15g", value));
    } else if (!ParseStrictDouble(edit.Text(), value)) {
        pDX->Fail(edit.Get(), kParseNumberFailure);
    }
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    const HWND combo = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    } else {
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
    }
}

// ---- focus

namespace {

bool IsChildWindow(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

bool IsDialogContainer(HWND hwnd) {
    if ((GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0) return true;
    wchar_t name[8] = {};
    GetClassNameW(hwnd, name, 8);
    return wcscmp(name, L"#32770") == 0;
}

// Over the owner while it is shown and not minimised, else over the work area; kept
// inside the work area of the owner's monitor.
void CentreOverOwner(HWND dialog) {
    const HWND owner = GetWindow(dialog, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    const RECT& area = monitor.rcWork;
    RECT over = area;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &over);
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = over.left + (over.right - over.left - width) / 2;
    int y = over.top + (over.bottom - over.top - height) / 2;
    x = std::max<int>(area.left, std::min<int>(x, area.right - width));
    y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HWND FirstVisibleTabStop(HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_VISIBLE) == 0 || (style & WS_DISABLED) != 0) continue;
        if ((style & WS_TABSTOP) != 0) return child;
        if (IsDialogContainer(child)) {
            if (const HWND inner = FirstVisibleTabStop(child)) return inner;
        }
    }
    return nullptr;
}

void KeepFocusVisible() {
    const HWND focus = GetFocus();
    if (focus == nullptr || (IsWindowVisible(focus) && IsWindowEnabled(focus))) return;
    if (const CWinApp* const app = AfxGetApp(); app != nullptr && app->IsClosing()) return;
    HWND target = GetAncestor(focus, GA_PARENT);
    const HWND desktop = GetDesktopWindow();
    while (target != nullptr && target != desktop &&
           !(IsWindowVisible(target) && IsWindowEnabled(target))) {
        target = GetAncestor(target, GA_PARENT);
    }
    if (target != nullptr && target != desktop) SetFocus(target);
}

// ---- dialogs

const CRuntimeClass CDialog::classCDialog = {"CDialog", &CCmdTarget::classCCmdTarget, nullptr};
const CRuntimeClass CFormView::classCFormView = {"CFormView", &CDialog::classCDialog, nullptr};

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

CDialog::~CDialog() {
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandle(hwnd));
    if (dialog == nullptr && msg == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Bind(hwnd, nullptr);
    }
    if (dialog == nullptr) return FALSE;
    const bool outer = dialog->m_bDefaultUsed;
    dialog->m_bDefaultUsed = false;
    const LRESULT result = dialog->Dispatch(msg, wParam, lParam);
    const bool defaultUsed = dialog->m_bDefaultUsed;
    dialog->m_bDefaultUsed = outer;
    switch (msg) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return defaultUsed ? FALSE : static_cast<INT_PTR>(result);
        default:
            if (defaultUsed) return FALSE;
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}

LRESULT CDialog::DefWindowProc(UINT msg, WPARAM, LPARAM) {
    m_bDefaultUsed = true;
    return msg == WM_INITDIALOG ? TRUE : 0;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: {
            const HWND hwnd = GetSafeHwnd();
            RECT placed = {};
            GetWindowRect(hwnd, &placed);
            const BOOL result = OnInitDialog();
            // A dialog that has not placed itself opens centred over its owner, not at its
            // template's place by the owner's corner. Pages and panels stay where their
            // parent put them.
            RECT now = {};
            if (GetWindowRect(hwnd, &now) && !IsChildWindow(hwnd) && EqualRect(&placed, &now)) {
                CentreOverOwner(hwnd);
            }
            return result;
        }
        case WM_SETFOCUS:
            if (!IsChildWindow(GetSafeHwnd())) return Default();
            OnSetFocus();
            return 0;
        case WM_WINDOWPOSCHANGED: {
            const LRESULT result = Default();
            const auto* const pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if ((pos->flags & SWP_HIDEWINDOW) != 0 && IsChildWindow(GetSafeHwnd())) OnHidden();
            return result;
        }
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            if (id == IDOK && HIWORD(wParam) == BN_CLICKED) {
                OnOK();
                return 0;
            }
            if (id == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
                OnCancel();
                return 0;
            }
            return Default();
        }
        default:
            return Default();
    }
}

void CDialog::OnSetFocus() {
    const HWND target = FirstVisibleTabStop(GetSafeHwnd());
    if (target == nullptr) return;  // the dialog itself keeps it
    if ((SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
    ::SetFocus(target);
}

void CDialog::OnHidden() {
    const HWND focus = GetFocus();
    if (focus != nullptr && (focus == GetSafeHwnd() || IsChild(GetSafeHwnd(), focus))) {
        KeepFocusVisible();
    }
}

BOOL CDialog::OnInitDialog() {
    OnApplyInitData();
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CDialog::DoModal(HWND parent) {
    m_bModal = true;
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                        DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return result;
}

BOOL CDialog::CreateModeless(HWND parent) {
    if (GetSafeHwnd() != nullptr) return FALSE;
    const HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                         parent, DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (GetSafeHwnd() == nullptr) return;
    if (m_bModal) {
        ::EndDialog(GetSafeHwnd(), result);
    } else {
        ShowWindow(SW_HIDE);
    }
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.Failed();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    return IsDialogMessageW(GetSafeHwnd(), msg);
}

// ---- form view

BOOL CFormView::Create(CFrameWnd* parent, UINT id, CCreateContext* context) {
    m_pFrame = parent;
    m_pDocument = context != nullptr ? context->m_pCurrentDoc : nullptr;
    if (parent == nullptr || !CreateModeless(parent->GetSafeHwnd())) return FALSE;
    SetWindowLongPtrW(GetSafeHwnd(), GWLP_ID, static_cast<LONG_PTR>(id));
    ShowWindow(SW_SHOWNA);
    return TRUE;
}

void CFormView::OnInitialUpdate() { UpdateData(false); }

bool CFormView::OnUpdateCommand(UINT, bool&) { return false; }

BOOL CFormView::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    // The frame's accelerators before the form's dialog keys, which would eat them.
    if (m_pFrame != nullptr && m_pFrame->PreTranslateMessage(msg)) return TRUE;
    return IsDialogMessageW(GetSafeHwnd(), msg);
}

bool CFormView::OnActivateFrame(UINT state, bool minimized) {
    const HWND frame = m_pFrame != nullptr ? m_pFrame->GetSafeHwnd() : nullptr;
    if (frame == nullptr) return false;
    if (state == WA_INACTIVE) {
        const HWND focus = GetFocus();
        m_hWndSavedFocus = focus != nullptr && IsChild(frame, focus) ? focus : nullptr;
        return false;
    }
    const HWND saved = m_hWndSavedFocus;
    m_hWndSavedFocus = nullptr;
    if (minimized || saved == nullptr || !IsWindow(saved) || !IsChild(frame, saved) ||
        !IsWindowVisible(saved) || !IsWindowEnabled(saved)) {
        return false;
    }
    ::SetFocus(saved);
    return true;
}

void CFormView::ResizeParentToFit() {
    if (m_pFrame == nullptr || GetSafeHwnd() == nullptr) return;
    RECT form = {0, 0, 0, 0};
    if (const HRSRC resource =
            FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(TemplateId()), RT_DIALOG)) {
        // Size of the template in dialog units, in pixels through this dialog's font.
        const auto* const data = static_cast<const WORD*>(
            LockResource(LoadResource(GetModuleHandleW(nullptr), resource)));
        const bool extended = data != nullptr && data[0] == 1 && data[1] == 0xFFFF;
        const auto* const base = reinterpret_cast<const BYTE*>(data);
        if (data != nullptr) {
            // DLGTEMPLATE: cx at 14, cy at 16; DLGTEMPLATEEX: cx at 22, cy at 24.
            const size_t offset = extended ? 22 : 14;
            form.right = *reinterpret_cast<const short*>(base + offset);
            form.bottom = *reinterpret_cast<const short*>(base + offset + 2);
        }
    }
    MapDialogRect(GetSafeHwnd(), &form);
    const HWND frame = m_pFrame->GetSafeHwnd();
    for (int pass = 0; pass < 2; ++pass) {
        m_pFrame->RecalcLayout();
        RECT client = {};
        GetClientRect(GetSafeHwnd(), &client);
        const int dx = form.right - client.right;
        const int dy = form.bottom - client.bottom;
        if (dx == 0 && dy == 0) break;
        RECT outer = {};
        GetWindowRect(frame, &outer);
        // Again once if the menu bar wrapped at the new width.
        SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left + dx,
                     outer.bottom - outer.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_pFrame->RecalcLayout();
}
