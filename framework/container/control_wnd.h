// The window of an ActiveX control the program hosts, and the caller of the control:
// InvokeHelper calls its IDispatch by dispatch identifier with arguments described by a
// type string, the way the class library's control wrappers are written.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com_ptr.h"
#include "wnd.h"

class COleControlSite;

class CControlWnd : public CWnd {
public:
    CControlWnd();
    // Deactivates and releases a control this object created; a control bound with
    // AttachControl is left to its owner.
    ~CControlWnd() override;

    // Creates the control of class clsid through COM and hosts it in place as a child of
    // parent; with state, the control loads it (IPersistStreamInit) instead of starting
    // new.
    BOOL CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                       CWnd* parent, UINT id, const BYTE* state = nullptr, ULONG stateSize = 0);
    // Binds this object to a control another container hosts: calls go to its
    // IDispatch; hwnd (may be null) is the control's window, which stays the other
    // container's.
    BOOL AttachControl(IUnknown* control, HWND hwnd);

    // A hosted control is deactivated (its window goes) and released; any other window
    // as CWnd destroys it.
    BOOL DestroyWindow() override;

    // The hosted control, no new reference; null for a plain window.
    IUnknown* GetControlUnknown() const;

    // Calls the control: flags DISPATCH_METHOD and the like; resultType VT_EMPTY (result
    // unused, no result asked for), VT_I2 (short) or VT_I4 (long); paramTypes one byte
    // per argument ending with 0 (null for none): VT_I2 takes an int, VT_I4 a long,
    // VT_R4 a double. The arguments follow in declaration order. Throws nothing: the
    // result is the failure's HRESULT, and the result variable is then untouched.
    HRESULT InvokeHelper(DISPID dispid, WORD flags, VARTYPE resultType, void* result,
                         const BYTE* paramTypes, ...);

    // Receives one line per InvokeHelper call (dispatch id, arguments, result, HRESULT);
    // null ends it. The program sets it once, before any control exists.
    using InvokeTraceHook = void (*)(const wchar_t* line);
    static void SetInvokeTraceHook(InvokeTraceHook hook);

private:
    bool HasControl() const { return m_site || m_dispatch; }
    void ReleaseControl();

    CComRef<COleControlSite> m_site;  // a control this object hosts
    CComRef<IDispatch> m_dispatch;    // the control's automation interface
};
