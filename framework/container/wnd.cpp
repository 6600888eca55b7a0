#include "wnd.h"

#include <cstdarg>
#include <cstring>

#include "ole_control_site.h"

namespace {

// More than any method of the controls we host takes.
constexpr size_t kMaxArguments = 32;

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() { Release(); }

void CWnd::Release() {
    m_dispatch.Reset();
    if (m_site) {
        m_site->Close();
        m_site.Reset();
    } else if (m_ownsWindow && m_hWnd != nullptr && IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
    m_ownsWindow = false;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, CCreateContext* /*context*/) {
    if (m_hWnd != nullptr || m_dispatch) return FALSE;
    const HWND parentHwnd = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    // Only a child window has a control identifier in place of a menu.
    const HMENU menuOrId =
        (style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    m_hWnd = CreateWindowExW(0, className, windowName, style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parentHwnd, menuOrId,
                             GetModuleHandleW(nullptr), nullptr);
    m_ownsWindow = m_hWnd != nullptr;
    return m_hWnd != nullptr;
}

BOOL CWnd::CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id) {
    if (m_hWnd != nullptr || m_dispatch || parent == nullptr) return FALSE;
    CComRef<COleControlSite> site;
    if (FAILED(COleControlSite::Create(clsid, windowName, style, rect, parent->GetSafeHwnd(), id,
                                       site.Put()))) {
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
    if (!m_dispatch) return CO_E_OBJNOTCONNECTED;
    if (resultType != VT_EMPTY && resultType != VT_I2 && resultType != VT_I4) return E_INVALIDARG;
    if (resultType != VT_EMPTY && result == nullptr) return E_POINTER;
    const size_t count =
        paramTypes != nullptr ? strlen(reinterpret_cast<const char*>(paramTypes)) : 0;
    if (count > kMaxArguments) return E_INVALIDARG;

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
                return E_INVALIDARG;
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
    return hr;
}
