// Outgoing interfaces: a connection point for one dispatch event interface, kept
// inside its container object (its references are the container's), and the
// enumerators that containers and points hand out.
#pragma once

#include <ocidl.h>

#include <vector>

#include "com_object.h"
#include "com_ptr.h"

class CConnectionPoint final
    : public CComObject<CConnectionPoint, CComLife::kContained, IConnectionPoint> {
public:
    // owner: the container's controlling IUnknown; this point lives and dies with it.
    CConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, REFIID iid);
    ~CConnectionPoint() override;

    static CInterfaceTable<CConnectionPoint> InterfaceTable();

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // Calls Invoke(dispid, DISPATCH_METHOD) on every sink connected when the call
    // starts, each with its own copy of the arguments (rgvarg in Automation order).
    // Sinks may unadvise or release anything meanwhile; their errors are ignored.
    // The caller keeps the owner alive for the duration.
    void Fire(DISPID dispid, const VARIANT* rgvarg, UINT count);

    UINT SinkCount() const { return static_cast<UINT>(m_sinks.size()); }

private:
    struct Sink {
        DWORD cookie;
        CComRef<IDispatch> dispatch;
    };

    IConnectionPointContainer* m_container;
    IID m_iid;
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
};

// Enumerates a fixed list of connection points; holds a reference on their owner.
HRESULT CreateConnectionPointEnumerator(IUnknown* owner, IConnectionPoint* const* points,
                                        ULONG count, IEnumConnectionPoints** out);
