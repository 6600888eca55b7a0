#include "control_wnd.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "ole_control_site.h"

namespace {

// More than any method of the controls we host takes.
constexpr size_t kMaxArguments = 32;

CControlWnd::InvokeTraceHook g_invokeTrace = nullptr;

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

CControlWnd::CControlWnd() = default;

CControlWnd::~CControlWnd() {
    if (HasControl()) ReleaseControl();
}

void CControlWnd::SetInvokeTraceHook(InvokeTraceHook hook) { g_invokeTrace = hook; }

BOOL CControlWnd::CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                                CWnd* parent, UINT id, const BYTE* state, ULONG stateSize) {
    if (GetSafeHwnd() != nullptr || HasControl() || parent == nullptr) return FALSE;
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
    // The site owns the window: this object only wraps it.
    Attach(m_site->ControlWindow());
    return TRUE;
}

BOOL CControlWnd::AttachControl(IUnknown* control, HWND hwnd) {
    if (control == nullptr || GetSafeHwnd() != nullptr || HasControl()) return FALSE;
    if (FAILED(control->QueryInterface(IID_IDispatch, m_dispatch.PutVoid()))) return FALSE;
    if (hwnd != nullptr) Attach(hwnd);
    return TRUE;
}

BOOL CControlWnd::DestroyWindow() {
    if (!HasControl()) return CWnd::DestroyWindow();
    ReleaseControl();
    return TRUE;
}

void CControlWnd::ReleaseControl() {
    m_dispatch.Reset();
    if (m_site) {
        m_site->Close();
        m_site.Reset();
    }
    Detach();
}

IUnknown* CControlWnd::GetControlUnknown() const {
    return m_site ? m_site->ControlUnknown() : m_dispatch.Get();
}

HRESULT CControlWnd::InvokeHelper(DISPID dispid, WORD flags, VARTYPE resultType, void* result,
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
