#include "event_sink.h"

#include <new>
#include <utility>

#include "com_object.h"

// The COM object the control calls. It outlives its CEventSink when the control still
// holds it, so the handler is dropped on disconnection.
class CEventSink::CSinkObject final : public CComObject<CSinkObject, CComLife::kLocal, IDispatch> {
public:
    CSinkObject(REFIID events, Handler handler) : m_events(events), m_handler(std::move(handler)) {}

    static CInterfaceTable<CSinkObject> InterfaceTable() {
        static constexpr CInterfaceEntry<CSinkObject> kInterfaces[] = {
            InterfaceEntry<CSinkObject, IDispatch>(IID_IDispatch),
        };
        return MakeInterfaceTable(kInterfaces);
    }
    // The control's event interface, known once connected.
    void* FindRuntimeInterface(REFIID riid) {
        return IsEqualIID(riid, m_events) ? static_cast<IDispatch*>(this) : nullptr;
    }

    void Drop() { m_handler = nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override {
        if (result != nullptr) VariantInit(result);
        if (!m_handler) return S_OK;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        // The handler may disconnect, which drops the stored copy while this one runs.
        const CComRef<IDispatch> self(this);
        try {
            const Handler handler = m_handler;
            handler(dispid, params != nullptr ? params : &none);
        } catch (...) {
            // An exception must not unwind into the control.
        }
        return S_OK;
    }

private:
    ~CSinkObject() override = default;

    IID m_events;
    Handler m_handler;
};

HRESULT CEventSink::Connect(IUnknown* control, Handler handler) {
    Disconnect();
    if (control == nullptr) return E_POINTER;
    CComRef<IProvideClassInfo2> classInfo;
    HRESULT hr = control->QueryInterface(IID_IProvideClassInfo2, classInfo.PutVoid());
    if (FAILED(hr)) return hr;
    IID events = IID_NULL;
    hr = classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
    if (FAILED(hr)) return hr;
    CComRef<IConnectionPointContainer> container;
    hr = control->QueryInterface(IID_IConnectionPointContainer, container.PutVoid());
    if (FAILED(hr)) return hr;
    CComRef<IConnectionPoint> point;
    hr = container->FindConnectionPoint(events, point.Put());
    if (FAILED(hr)) return hr;

    auto sink =
        CComRef<CSinkObject>::Attach(new (std::nothrow) CSinkObject(events, std::move(handler)));
    if (!sink) return E_OUTOFMEMORY;
    DWORD cookie = 0;
    hr = point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie);
    if (FAILED(hr)) return hr;
    m_point = point;
    m_sink = std::move(sink);
    m_cookie = cookie;
    return S_OK;
}

CEventSink::CEventSink() = default;

CEventSink::~CEventSink() { Disconnect(); }

void CEventSink::Disconnect() {
    if (!m_sink) return;
    const CComRef<IConnectionPoint> point = std::move(m_point);
    const DWORD cookie = std::exchange(m_cookie, 0);
    // Released only after Unadvise: the control may be calling it until then.
    const CComRef<CSinkObject> sink = std::move(m_sink);
    sink->Drop();
    point->Unadvise(cookie);
}
