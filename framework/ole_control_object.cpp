// The control as an object: its interfaces, its dispatch interface, its events and
// class information, its property pages and its answers as an OLE control.
#include "ole_control.h"

#include <cstring>

#include "ole_module.h"

namespace {

// 100 by 50 pixels at 96 dots per inch.
constexpr LONG kDefaultCx = 2646;
constexpr LONG kDefaultCy = 1323;

}  // namespace

const SIZEL COleControlBase::kDefaultExtent = {kDefaultCx, kDefaultCy};

COleControlBase::COleControlBase(const COleControlClass& controlClass)
    : m_class(controlClass),
      m_eventPoint(static_cast<IDispatch*>(this), this, *controlClass.eventIid) {
    m_class.typeLibCache->Lock();
}

COleControlBase::~COleControlBase() {
    DestroyControlWindow();
    m_frame.Reset();
    m_doc.Reset();
    m_inPlaceSite.Reset();
    m_viewSink.Reset();
    m_adviseHolder.Reset();
    m_site.Reset();
    m_class.typeLibCache->Unlock();
}

// ---- IUnknown

CInterfaceTable<COleControlBase> COleControlBase::InterfaceTable() {
    using C = COleControlBase;
    static constexpr CInterfaceEntry<C> kInterfaces[] = {
        InterfaceEntry<C, IDispatch>(IID_IDispatch),
        InterfaceEntry<C, IConnectionPointContainer>(IID_IConnectionPointContainer),
        InterfaceEntry<C, IProvideClassInfo2>(IID_IProvideClassInfo),
        InterfaceEntry<C, IProvideClassInfo2>(IID_IProvideClassInfo2),
        InterfaceEntry<C, IOleObject>(IID_IOleObject),
        InterfaceEntry<C, IOleInPlaceObject>(IID_IOleWindow),
        InterfaceEntry<C, IOleInPlaceObject>(IID_IOleInPlaceObject),
        InterfaceEntry<C, IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject),
        InterfaceEntry<C, IOleControl>(IID_IOleControl),
        InterfaceEntry<C, IPersistStreamInit>(IID_IPersist),
        InterfaceEntry<C, IPersistStreamInit>(IID_IPersistStreamInit),
        InterfaceEntry<C, IViewObject2>(IID_IViewObject),
        InterfaceEntry<C, IViewObject2>(IID_IViewObject2),
        InterfaceEntry<C, ISpecifyPropertyPages>(IID_ISpecifyPropertyPages),
    };
    return MakeInterfaceTable(kInterfaces);
}

void* COleControlBase::FindRuntimeInterface(REFIID riid) {
    return IsEqualIID(riid, *m_class.dispatchIid) ? static_cast<IDispatch*>(this) : nullptr;
}

// ---- IDispatch

STDMETHODIMP COleControlBase::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    CComRef<ITypeLib> typeLib;
    const HRESULT hr = GetTypeLib(lcid, typeLib.Put());
    if (FAILED(hr)) return hr;
    return typeLib->GetTypeInfoOfGuid(*m_class.dispatchIid, info);
}

STDMETHODIMP COleControlBase::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID /*lcid*/,
                                            DISPID* ids) {
    return m_class.dispatchMap->GetIDsOfNames(riid, names, count, ids);
}

STDMETHODIMP COleControlBase::Invoke(DISPID dispid, REFIID riid, LCID /*lcid*/, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* /*excepInfo*/,
                                     UINT* argErr) {
    // A method may run a modal loop in which event sinks release the caller's reference.
    const CComRef<IDispatch> self(this);
    return GuardedCall([&] {
        return m_class.dispatchMap->Invoke(GetDispatchTarget(), dispid, riid, flags, params, result,
                                           argErr);
    });
}

// ---- Events

STDMETHODIMP COleControlBase::EnumConnectionPoints(IEnumConnectionPoints** points) {
    IConnectionPoint* const list[] = {&m_eventPoint};
    return CreateConnectionPointEnumerator(static_cast<IDispatch*>(this), list, 1, points);
}

STDMETHODIMP COleControlBase::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(riid, *m_class.eventIid)) return CONNECT_E_NOCONNECTION;
    *point = &m_eventPoint;
    m_eventPoint.AddRef();
    return S_OK;
}

void COleControlBase::FireEventV(DISPID dispid, VARIANT* rgvarg, UINT count) {
    if (m_freezeEvents > 0) return;
    if (!m_class.eventMap->Matches(dispid, rgvarg, count)) {
        OutputDebugStringW(L"COleControlBase: event not in the event map, not fired\n");
        return;
    }
    // The last reference may go with this one: nothing may follow.
    const CComRef<IDispatch> self(this);
    m_eventPoint.Fire(dispid, rgvarg, count);
}

// ---- IProvideClassInfo2

STDMETHODIMP COleControlBase::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    CComRef<ITypeLib> typeLib;
    const HRESULT hr = GetTypeLib(LOCALE_SYSTEM_DEFAULT, typeLib.Put());
    if (FAILED(hr)) return hr;
    return typeLib->GetTypeInfoOfGuid(*m_class.clsid, info);
}

STDMETHODIMP COleControlBase::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = *m_class.eventIid;
    return S_OK;
}

HRESULT COleControlBase::GetTypeLib(LCID lcid, ITypeLib** typeLib) {
    return m_class.typeLibCache->Get(lcid, typeLib);
}

// ---- IOleControl

STDMETHODIMP COleControlBase::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) return E_POINTER;
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP COleControlBase::OnMnemonic(MSG*) { return S_OK; }

STDMETHODIMP COleControlBase::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP COleControlBase::FreezeEvents(BOOL freeze) {
    if (freeze) {
        ++m_freezeEvents;
    } else if (m_freezeEvents > 0) {
        --m_freezeEvents;
    }
    return S_OK;
}

// ---- ISpecifyPropertyPages

const std::vector<CLSID>& COleControlBase::GetPropPageIDs() {
    static const std::vector<CLSID> none;
    return none;
}

STDMETHODIMP COleControlBase::GetPages(CAUUID* pages) {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return GuardedCall([&] {
        const std::vector<CLSID>& ids = GetPropPageIDs();
        if (ids.empty()) return S_OK;
        // The caller frees the array: never hand out the kept list itself.
        GUID* const copy = static_cast<GUID*>(CoTaskMemAlloc(ids.size() * sizeof(GUID)));
        if (copy == nullptr) return E_OUTOFMEMORY;
        std::memcpy(copy, ids.data(), ids.size() * sizeof(GUID));
        pages->cElems = static_cast<ULONG>(ids.size());
        pages->pElems = copy;
        return S_OK;
    });
}
