// Outgoing interfaces: a connection point for one dispatch event interface, kept
// inside its container object (its references are the container's), and the
// enumerators that containers and points hand out.
#pragma once

#include <ocidl.h>

#include <vector>

class CConnectionPoint final : public IConnectionPoint {
public:
    // owner: the container's controlling IUnknown; this point lives and dies with it.
    CConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, REFIID iid);
    ~CConnectionPoint();
    CConnectionPoint(const CConnectionPoint&) = delete;
    CConnectionPoint& operator=(const CConnectionPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
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
        IDispatch* dispatch;  // one reference
    };

    IUnknown* m_owner;
    IConnectionPointContainer* m_container;
    IID m_iid;
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
};

// Enumerates a fixed list of connection points; holds a reference on their owner.
HRESULT CreateConnectionPointEnumerator(IUnknown* owner, IConnectionPoint* const* points,
                                        ULONG count, IEnumConnectionPoints** out);
