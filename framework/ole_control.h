// Base of an ActiveX control on plain COM: the interfaces a script host, a C++ client
// and an OLE control container need to create it, call it, receive its events, host
// it in place (or hidden), draw it and persist it. A control class derives from it,
// describes itself with a COleControlClass and supplies its dispatch and event maps.
//
// Apartment-threaded: every call arrives on the thread that created the object, except
// AddRef and Release, which are thread-safe.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "com_object.h"
#include "runtime_class.h"
#include "com_ptr.h"
#include "connection_point.h"
#include "dispatch_map.h"
#include "prop_exchange.h"
#include "resource_string.h"  // control classes name themselves from their strings
#include "typelib_cache.h"

// What a control class tells the base about itself.
struct COleControlClass {
    const CLSID* clsid;
    const IID* dispatchIid;  // the dispatch interface of its methods
    const IID* eventIid;     // its event interface, the default source
    DWORD miscStatus;        // OLEMISC_* flags for DVASPECT_CONTENT
    UINT userTypeNameId;     // string resource of the type name
    const CDispatchMap* dispatchMap;
    const CEventMap* eventMap;
    CTypeLibCache* typeLibCache;  // locked by every live object
};

class COleControlBase
    : public CComObject<COleControlBase, CComLife::kModule, IDispatch, IConnectionPointContainer,
                        IProvideClassInfo2, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
                        IOleControl, IPersistStreamInit, IViewObject2, ISpecifyPropertyPages>,
      public CObject {
public:
    explicit COleControlBase(const COleControlClass& controlClass);
    ~COleControlBase() override;

    static CInterfaceTable<COleControlBase> InterfaceTable();
    // The control class's own dispatch interface.
    void* FindRuntimeInterface(REFIID riid);

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                        LPCRECT posRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT posRect, LPCRECT clipRect) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow,
                              BOOL frameWindow) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID dispid) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                      HDC targetDevice, HDC hdcDraw, LPCRECTL bounds, LPCRECTL windowBounds,
                      BOOL(STDMETHODCALLTYPE* continueFunc)(ULONG_PTR),
                      ULONG_PTR continueArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                             HDC targetDevice, LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // ISpecifyPropertyPages: a fresh copy of the page list for the caller to free.
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // The extent a control has before anything is loaded (HIMETRIC).
    static const SIZEL kDefaultExtent;

protected:
    // The object the dispatch map's thunks are called with (the most-derived class).
    virtual void* GetDispatchTarget() = 0;
    // Paints the control into bounds.
    virtual void OnDraw(HDC hdc, const RECT& bounds);
    // Persistent state; the base exchanges the extent and the stock-property mask.
    virtual HRESULT DoPropExchange(CPropExchange& px);
    // Back to the state of a new control.
    virtual void OnResetState();
    // The control's property pages, kept by the control.
    virtual const std::vector<CLSID>& GetPropPageIDs();
    // The type library of the control class.
    virtual HRESULT GetTypeLib(LCID lcid, ITypeLib** typeLib);

    // Fires an event of the event map to every connected sink, arguments in published
    // order. Holds a reference on the control while the sinks run; sinks may release
    // it, unadvise or call the control meanwhile. Dropped while events are frozen.
    template <typename... A>
    void FireEvent(DISPID dispid, A... args) {
        VARIANT rgvarg[sizeof...(A) + 1];
        UINT slot = sizeof...(A);
        (dispatch_detail::VarType<A>::Set(&rgvarg[--slot], args), ...);
        (void)slot;
        FireEventV(dispid, rgvarg, sizeof...(A));
    }
    void FireEventV(DISPID dispid, VARIANT* rgvarg, UINT count);

    HWND ControlWindow() const { return m_hWnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HRESULT InPlaceActivate(IOleClientSite* activeSite, bool uiActivate, LPCRECT posRect);
    HRESULT ShowPropertyFrame(HWND parent);
    void SendViewChange();
    HRESULT EnsureAdviseHolder();
    void DestroyControlWindow();

    const COleControlClass& m_class;
    CConnectionPoint m_eventPoint;
    SIZEL m_extent = kDefaultExtent;
    LONG m_freezeEvents = 0;

    CComRef<IOleClientSite> m_site;
    CComRef<IOleAdviseHolder> m_adviseHolder;  // made on the first Advise or EnumAdvise
    CComRef<IAdviseSink> m_viewSink;
    DWORD m_viewAspects = 0;
    DWORD m_viewAdvf = 0;

    CComRef<IOleInPlaceSite> m_inPlaceSite;  // while in-place active
    CComRef<IOleInPlaceFrame> m_frame;
    CComRef<IOleInPlaceUIWindow> m_doc;
    HWND m_hWnd = nullptr;
    bool m_uiActive = false;
};
