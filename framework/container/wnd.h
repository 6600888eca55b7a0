// A window of the program, or the window of an ActiveX control the program hosts. For a
// control it is also the caller: InvokeHelper calls the control's IDispatch by dispatch
// identifier with arguments described by a type string, the way the class library's
// control wrappers are written.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com_ptr.h"

struct CCreateContext;
class COleControlSite;

class CWnd {
public:
    CWnd();
    // Destroys the window (and the control) this object created; a control bound with
    // AttachControl is left to its container.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Creates a window of a registered window class, a child of parent with WS_CHILD
    // (the creation context is for views and frames; nothing here uses it).
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, CCreateContext* context = nullptr);
    // Creates the control of class clsid through COM and hosts it in place as a child of
    // parent, a new control without persisted state.
    BOOL CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                       CWnd* parent, UINT id);

    // Binds this object to a control another container hosts: calls go to its
    // IDispatch; hwnd (may be null) is the control's window, which stays the other
    // container's.
    BOOL AttachControl(IUnknown* control, HWND hwnd);

    // Destroys the window this object created (a hosted control is deactivated and
    // released first) and ends any binding.
    BOOL DestroyWindow();
    BOOL ShowWindow(int cmdShow) const;
    int GetDlgCtrlID() const;

    // The hosted control, no new reference; null for a plain window.
    IUnknown* GetControlUnknown() const;

    // Calls the control: flags DISPATCH_METHOD and the like; resultType VT_EMPTY (result
    // unused, no result asked for), VT_I2 (short) or VT_I4 (long); paramTypes one byte
    // per argument ending with 0 (null for none): VT_I2 takes an int, VT_I4 a long,
    // VT_R4 a double. The arguments follow in declaration order. Throws nothing: the
    // result is the failure's HRESULT, and the result variable is then untouched.
    HRESULT InvokeHelper(DISPID dispid, WORD flags, VARTYPE resultType, void* result,
                         const BYTE* paramTypes, ...);

private:
    void Release();

    HWND m_hWnd = nullptr;
    bool m_ownsWindow = false;
    CComRef<COleControlSite> m_site;  // a control this object hosts
    CComRef<IDispatch> m_dispatch;    // the control's automation interface
};
