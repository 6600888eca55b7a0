#include "connection_point.h"

#include <olectl.h>

#include <new>
#include <utility>

#include "com_object.h"
#include "com_ptr.h"
#include "dispatch_map.h"
#include "ole_module.h"

namespace {

// Generic enumerator over a snapshot of items that hold references (connection points
// or connection records).
template <typename Enum, typename Item, const IID* Iid>
class CEnumSnapshot final : public CComObjectBase<Enum, Iid> {
public:
    // Takes a reference on every item.
    CEnumSnapshot(IUnknown* owner, std::vector<Item> items)
        : m_owner(owner), m_items(std::move(items)) {
        m_holds.reserve(m_items.size());
        for (const Item& item : m_items) m_holds.emplace_back(Unknown(item));
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
        ULONG n = 0;
        while (n < count && m_position < m_items.size()) {
            out[n] = m_items[m_position++];
            Unknown(out[n])->AddRef();  // the caller's
            ++n;
        }
        if (fetched != nullptr) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = m_items.size() - m_position;
        if (count > left) {
            m_position = m_items.size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        return GuardedCall([&] {
            auto* clone = new (std::nothrow) CEnumSnapshot(m_owner.Get(), m_items);
            if (clone == nullptr) return E_OUTOFMEMORY;
            clone->m_position = m_position;
            *out = clone;
            return S_OK;
        });
    }

private:
    static IUnknown* Unknown(IConnectionPoint* item) { return item; }
    static IUnknown* Unknown(const CONNECTDATA& item) { return item.pUnk; }

    CComRef<IUnknown> m_owner;
    std::vector<Item> m_items;
    std::vector<CComRef<IUnknown>> m_holds;  // one reference for every item
    size_t m_position = 0;
};

using CEnumConnectionPoints =
    CEnumSnapshot<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints>;
using CEnumConnections = CEnumSnapshot<IEnumConnections, CONNECTDATA, &IID_IEnumConnections>;

}  // namespace

CConnectionPoint::CConnectionPoint(IUnknown* owner, IConnectionPointContainer* container,
                                   REFIID iid)
    : CComObject(owner), m_container(container), m_iid(iid) {}

CConnectionPoint::~CConnectionPoint() {
    // A sink's release may call back; it must find the list already empty.
    std::vector<Sink> sinks;
    sinks.swap(m_sinks);
}

CInterfaceTable<CConnectionPoint> CConnectionPoint::InterfaceTable() {
    static constexpr CInterfaceEntry<CConnectionPoint> kInterfaces[] = {
        InterfaceEntry<CConnectionPoint, IConnectionPoint>(IID_IConnectionPoint),
    };
    return MakeInterfaceTable(kInterfaces);
}

STDMETHODIMP CConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

STDMETHODIMP CConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

STDMETHODIMP CConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (sink == nullptr) return E_POINTER;
    CComRef<IDispatch> dispatch;
    // Standard sinks answer the event interface itself; plain IDispatch sinks are
    // accepted too.
    if (FAILED(sink->QueryInterface(m_iid, dispatch.PutVoid())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, dispatch.PutVoid()))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    if (!dispatch) return CONNECT_E_CANNOTCONNECT;
    return GuardedCall([&] {
        const DWORD newCookie = m_nextCookie++;
        m_sinks.push_back(Sink{newCookie, std::move(dispatch)});
        *cookie = newCookie;
        return S_OK;
    });
}

STDMETHODIMP CConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
        if (it->cookie == cookie) {
            // Released last: the sink may call back into us.
            const CComRef<IDispatch> dispatch = std::move(it->dispatch);
            m_sinks.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP CConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections == nullptr) return E_POINTER;
    *connections = nullptr;
    return GuardedCall([&] {
        std::vector<CONNECTDATA> items;
        items.reserve(m_sinks.size());
        for (const Sink& sink : m_sinks) {
            items.push_back(CONNECTDATA{sink.dispatch.Get(), sink.cookie});
        }
        auto* e = new (std::nothrow) CEnumConnections(Owner(), std::move(items));
        if (e == nullptr) return E_OUTOFMEMORY;
        *connections = e;
        return S_OK;
    });
}

void CConnectionPoint::Fire(DISPID dispid, const VARIANT* rgvarg, UINT count) {
    if (count > kMaxDispatchParams) return;
    // A sink may unadvise itself or others while being called: work on a snapshot.
    std::vector<CComRef<IDispatch>> snapshot;
    try {
        snapshot.reserve(m_sinks.size());
    } catch (...) {
        return;
    }
    for (const Sink& sink : m_sinks) snapshot.push_back(sink.dispatch);
    for (CComRef<IDispatch>& dispatch : snapshot) {
        VARIANT args[kMaxDispatchParams];
        for (UINT i = 0; i < count; ++i) {
            VariantInit(&args[i]);
            VariantCopy(&args[i], const_cast<VARIANT*>(&rgvarg[i]));
        }
        DISPPARAMS params = {args, nullptr, count, 0};
        // Some sinks write the result and exception record without checking for null.
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excepInfo = {};
        UINT argErr = 0;
        dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                         &excepInfo, &argErr);
        VariantClear(&result);
        SysFreeString(excepInfo.bstrSource);
        SysFreeString(excepInfo.bstrDescription);
        SysFreeString(excepInfo.bstrHelpFile);
        for (UINT i = 0; i < count; ++i) VariantClear(&args[i]);
        dispatch.Reset();
    }
}

HRESULT CreateConnectionPointEnumerator(IUnknown* owner, IConnectionPoint* const* points,
                                        ULONG count, IEnumConnectionPoints** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return GuardedCall([&] {
        std::vector<IConnectionPoint*> items(points, points + count);
        auto* e = new (std::nothrow) CEnumConnectionPoints(owner, std::move(items));
        if (e == nullptr) return E_OUTOFMEMORY;
        *out = e;
        return S_OK;
    });
}
