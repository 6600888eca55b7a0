#include "event_sink.h"

#include <new>
#include <utility>

// The COM object the control calls. It outlives its CEventSink when the control still
// holds it, so the handler is dropped on disconnection.
class CEventSink::CSinkObject final : public IDispatch {
public:
    CSinkObject(REFIID events, Handler handler) : m_events(events), m_handler(std::move(handler)) {}
    CSinkObject(const CSinkObject&) = delete;
    CSinkObject& operator=(const CSinkObject&) = delete;

    void Drop() { m_handler = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, m_events)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return refs;
    }

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
        AddRef();
        try {
            const Handler handler = m_handler;
            handler(dispid, params != nullptr ? params : &none);
        } catch (...) {
            // An exception must not unwind into the control.
        }
        Release();
        return S_OK;
    }

private:
    ~CSinkObject() = default;

    volatile LONG m_refs = 1;
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

    CSinkObject* const sink = new (std::nothrow) CSinkObject(events, std::move(handler));
    if (sink == nullptr) return E_OUTOFMEMORY;
    DWORD cookie = 0;
    hr = point->Advise(sink, &cookie);
    if (FAILED(hr)) {
        sink->Release();
        return hr;
    }
    m_point = point;
    m_sink = sink;
    m_cookie = cookie;
    return S_OK;
}

void CEventSink::Disconnect() {
    if (m_sink == nullptr) return;
    CSinkObject* const sink = std::exchange(m_sink, nullptr);
    const DWORD cookie = std::exchange(m_cookie, 0);
    const CComRef<IConnectionPoint> point = std::move(m_point);
    sink->Drop();
    point->Unadvise(cookie);
    sink->Release();
}
