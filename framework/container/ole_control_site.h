// The container's side of one hosted ActiveX control: it creates the control by class
// identifier, gives it a client site, activates it in place as a child window of the
// parent and releases it again. The container offers no frame or document window and no
// ambient properties; a control that needs them cannot be hosted.
//
// Apartment-threaded: created, called and closed on the thread of the parent window.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "com_ptr.h"

class COleControlSite final : public IOleClientSite,
                              public IOleInPlaceSite,
                              public IOleControlSite {
public:
    // Creates the control and activates it in place at rect (client coordinates of the
    // parent) with the control identifier id; WS_VISIBLE in style decides whether its
    // window is shown. On failure nothing is left behind.
    static HRESULT Create(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                          HWND parent, UINT id, COleControlSite** site);

    COleControlSite(const COleControlSite&) = delete;
    COleControlSite& operator=(const COleControlSite&) = delete;

    // The control's window while it is active in place.
    HWND ControlWindow() const { return m_hWnd; }
    // The control object (no new reference); null once closed.
    IUnknown* ControlUnknown() const { return m_object.Get(); }
    // Loads the control's persisted state (IPersistStreamInit) from size bytes.
    HRESULT LoadState(const BYTE* state, ULONG size);
    // Deactivates the control (its window goes) and releases it.
    void Close();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                  LPRECT posRect, LPRECT clipRect,
                                  LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT posRect) override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL lock) override;
    STDMETHODIMP GetExtendedControl(IDispatch** extended) override;
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD modifiers) override;
    STDMETHODIMP OnFocus(BOOL gotFocus) override;
    STDMETHODIMP ShowPropertyFrame() override;

private:
    COleControlSite(HWND parent, const RECT& rect) : m_parent(parent), m_rect(rect) {}
    ~COleControlSite() = default;
    HRESULT Activate(REFCLSID clsid, LPCWSTR windowName, DWORD style, UINT id);

    volatile LONG m_refs = 1;
    HWND m_parent;
    RECT m_rect;
    HWND m_hWnd = nullptr;
    CComRef<IOleObject> m_object;
};
