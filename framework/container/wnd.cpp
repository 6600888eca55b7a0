#include "wnd.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "ole_control_site.h"

namespace {

// More than any method of the controls we host takes.
constexpr size_t kMaxArguments = 32;

// The window property that leads from a routed window to its object.
constexpr wchar_t kObjectProperty[] = L"VornCWnd";

// The object whose window CreateEx is creating on this thread: its first message binds it.
thread_local CWnd* t_creating = nullptr;

CWnd::InvokeTraceHook g_invokeTrace = nullptr;

void AppendArgument(std::wstring& text, const VARIANT& arg) {
    wchar_t buffer[48];
    switch (V_VT(&arg)) {
        case VT_I2:
            swprintf(buffer, 48, L"%d", static_cast<int>(V_I2(&arg)));
            break;
        case VT_I4:
            swprintf(buffer, 48, L"%ld", static_cast<long>(V_I4(&arg)));
            break;
        default:
            swprintf(buffer, 48, L"%g", static_cast<double>(V_R4(&arg)));
            break;
    }
    if (text.back() != L'(') text += L',';
    text += buffer;
}

void TraceInvoke(DISPID dispid, const VARIANT* args, size_t count, VARTYPE resultType,
                 const void* result, HRESULT hr) {
    if (g_invokeTrace == nullptr) return;
    wchar_t buffer[64];
    swprintf(buffer, 64, L"invoke dispid=%ld args=(", static_cast<long>(dispid));
    std::wstring line = buffer;
    for (size_t i = count; i-- > 0;) AppendArgument(line, args[i]);  // declaration order
    line += L") result=";
    if (resultType == VT_EMPTY || FAILED(hr)) {
        line += L"-";
    } else {
        swprintf(buffer, 64, L"%ld",
                 resultType == VT_I2 ? static_cast<long>(*static_cast<const SHORT*>(result))
                                     : static_cast<long>(*static_cast<const LONG*>(result)));
        line += buffer;
    }
    swprintf(buffer, 64, L" hr=0x%08lX", static_cast<unsigned long>(hr));
    line += buffer;
    g_invokeTrace(line.c_str());
}

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() { Release(); }

void CWnd::SetInvokeTraceHook(InvokeTraceHook hook) { g_invokeTrace = hook; }

CWnd* CWnd::FromHandle(HWND hwnd) {
    return hwnd != nullptr ? static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void CWnd::Release() {
    m_dispatch.Reset();
    if (m_site) {
        m_site->Close();
        m_site.Reset();
    } else if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
        const HWND hwnd = m_hWnd;
        const bool owns = m_ownsWindow;
        // The derived class's WindowProc is gone: the last messages take the defaults.
        if (m_routed && m_oldProc != nullptr) UnsubclassWindow();
        if (m_routed) Unbind();
        if (owns) ::DestroyWindow(hwnd);
    }
    if (m_routed) Unbind();
    m_hWnd = nullptr;
    m_ownsWindow = false;
}

void CWnd::Bind(HWND hwnd, WNDPROC previous) {
    m_hWnd = hwnd;
    m_oldProc = previous;
    m_routed = true;
    SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Unbind() {
    if (m_hWnd != nullptr) RemovePropW(m_hWnd, kObjectProperty);
    m_routed = false;
    m_oldProc = nullptr;
}

LRESULT CALLBACK CWnd::StandardWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* object = FromHandle(hwnd);
    if (object == nullptr && t_creating != nullptr) {
        object = t_creating;
        t_creating = nullptr;
        object->Bind(hwnd, nullptr);
    }
    if (object == nullptr) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return object->Dispatch(msg, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage saved = m_current;
    m_current = {msg, wParam, lParam};
    const LRESULT result = WindowProc(msg, wParam, lParam);
    m_current = saved;
    if (msg == WM_NCDESTROY && m_routed) {
        const HWND hwnd = m_hWnd;
        if (m_oldProc != nullptr &&
            GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(StandardWndProc)) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
        }
        Unbind();
        m_hWnd = nullptr;
        m_ownsWindow = false;
        PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_oldProc != nullptr) return CallWindowProcW(m_oldProc, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.msg, m_current.wParam, m_current.lParam); }

BOOL CWnd::PreTranslateMessage(MSG* /*msg*/) { return FALSE; }

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, CCreateContext* /*context*/) {
    const HWND parentHwnd = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    // Only a child window has a control identifier in place of a menu.
    const HMENU menuOrId =
        (style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    return CreateEx(0, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parentHwnd, menuOrId);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int cx, int cy, HWND parent, HMENU menuOrId) {
    if (m_hWnd != nullptr || m_dispatch) return FALSE;
    CWnd* const outer = t_creating;
    t_creating = this;
    const HWND hwnd = CreateWindowExW(exStyle, className, windowName, style, x, y, cx, cy, parent,
                                      menuOrId, GetModuleHandleW(nullptr), nullptr);
    t_creating = outer;
    // A routed window that failed in WM_CREATE is already unbound.
    m_hWnd = hwnd;
    m_ownsWindow = hwnd != nullptr;
    return hwnd != nullptr;
}

BOOL CWnd::Attach(HWND hwnd) {
    if (hwnd == nullptr || m_hWnd != nullptr || m_dispatch) return FALSE;
    m_hWnd = hwnd;
    m_ownsWindow = false;
    return TRUE;
}

HWND CWnd::Detach() {
    if (m_routed) return UnsubclassWindow();
    const HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    m_ownsWindow = false;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (hwnd == nullptr || !IsWindow(hwnd) || m_hWnd != nullptr || m_dispatch ||
        FromHandle(hwnd) != nullptr) {
        return FALSE;
    }
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandardWndProc)));
    if (previous == nullptr) return FALSE;
    Bind(hwnd, previous);
    m_ownsWindow = false;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return parent != nullptr && SubclassWindow(GetDlgItem(parent->GetSafeHwnd(), id));
}

HWND CWnd::UnsubclassWindow() {
    if (!m_routed || m_oldProc == nullptr) return nullptr;
    const HWND hwnd = m_hWnd;
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(StandardWndProc)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    }
    Unbind();
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id, const BYTE* state, ULONG stateSize) {
    if (m_hWnd != nullptr || m_dispatch || parent == nullptr) return FALSE;
    CComRef<COleControlSite> site;
    if (FAILED(COleControlSite::Create(clsid, windowName, style, rect, parent->GetSafeHwnd(), id,
                                       site.Put()))) {
        return FALSE;
    }
    if (state != nullptr && FAILED(site->LoadState(state, stateSize))) {
        site->Close();
        return FALSE;
    }
    CComRef<IDispatch> dispatch;
    if (FAILED(site->ControlUnknown()->QueryInterface(IID_IDispatch, dispatch.PutVoid()))) {
        site->Close();
        return FALSE;
    }
    m_site = site;
    m_dispatch = dispatch;
    m_hWnd = site->ControlWindow();
    m_ownsWindow = true;
    return TRUE;
}

BOOL CWnd::AttachControl(IUnknown* control, HWND hwnd) {
    if (control == nullptr || m_hWnd != nullptr || m_dispatch) return FALSE;
    if (FAILED(control->QueryInterface(IID_IDispatch, m_dispatch.PutVoid()))) return FALSE;
    m_hWnd = hwnd;
    m_ownsWindow = false;
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr && !m_dispatch) return FALSE;
    if (m_routed && !m_site && IsWindow(m_hWnd)) {
        // Routed to the end: the window's WM_DESTROY reaches this object's handlers.
        ::DestroyWindow(m_hWnd);
        if (m_hWnd == nullptr) return TRUE;
    }
    Release();
    return TRUE;
}

BOOL CWnd::ShowWindow(int cmdShow) const {
    return m_hWnd != nullptr ? ::ShowWindow(m_hWnd, cmdShow) : FALSE;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd != nullptr ? ::GetDlgCtrlID(m_hWnd) : 0; }

IUnknown* CWnd::GetControlUnknown() const {
    return m_site ? m_site->ControlUnknown() : m_dispatch.Get();
}

HRESULT CWnd::InvokeHelper(DISPID dispid, WORD flags, VARTYPE resultType, void* result,
                           const BYTE* paramTypes, ...) {
    // A call refused before it reaches the control is traced without its arguments.
    const auto refuse = [&](HRESULT hr) {
        TraceInvoke(dispid, nullptr, 0, resultType, result, hr);
        return hr;
    };
    if (!m_dispatch) return refuse(CO_E_OBJNOTCONNECTED);
    if (resultType != VT_EMPTY && resultType != VT_I2 && resultType != VT_I4) {
        return refuse(E_INVALIDARG);
    }
    if (resultType != VT_EMPTY && result == nullptr) return refuse(E_POINTER);
    const size_t count =
        paramTypes != nullptr ? strlen(reinterpret_cast<const char*>(paramTypes)) : 0;
    if (count > kMaxArguments) return refuse(E_INVALIDARG);

    // Automation order: the last argument first. Promoted arguments narrow back here.
    VARIANT args[kMaxArguments];
    va_list list;
    va_start(list, paramTypes);
    for (size_t p = 0; p < count; ++p) {
        VARIANT& arg = args[count - 1 - p];
        VariantInit(&arg);
        switch (paramTypes[p]) {
            case VT_I2:
                V_VT(&arg) = VT_I2;
                V_I2(&arg) = static_cast<SHORT>(va_arg(list, int));
                break;
            case VT_I4:
                V_VT(&arg) = VT_I4;
                V_I4(&arg) = va_arg(list, LONG);
                break;
            case VT_R4:
                V_VT(&arg) = VT_R4;
                V_R4(&arg) = static_cast<FLOAT>(va_arg(list, double));
                break;
            default:
                va_end(list);
                return refuse(E_INVALIDARG);
        }
    }
    va_end(list);

    DISPPARAMS params = {count != 0 ? args : nullptr, nullptr, static_cast<UINT>(count), 0};
    VARIANT value;
    VariantInit(&value);
    EXCEPINFO exception = {};
    UINT argErr = 0;
    HRESULT hr = m_dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                    resultType != VT_EMPTY ? &value : nullptr, &exception, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
        if (FAILED(exception.scode)) hr = exception.scode;
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (SUCCEEDED(hr) && resultType != VT_EMPTY) {
        hr = VariantChangeType(&value, &value, 0, resultType);
        if (SUCCEEDED(hr)) {
            if (resultType == VT_I2) {
                *static_cast<SHORT*>(result) = V_I2(&value);
            } else {
                *static_cast<LONG*>(result) = V_I4(&value);
            }
        }
    }
    VariantClear(&value);
    TraceInvoke(dispid, args, count, resultType, result, hr);
    return hr;
}
