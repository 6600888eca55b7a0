// IUnknown of a small object of the module that implements one interface: a
// thread-safe reference count, deletion on the last Release, and the module's count
// of live objects (which keeps DllCanUnloadNow false while it exists).
#pragma once

#include <unknwn.h>

#include "ole_module.h"

template <typename Interface, const IID* Iid>
class CComObjectBase : public Interface {
public:
    CComObjectBase(const CComObjectBase&) = delete;
    CComObjectBase& operator=(const CComObjectBase&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, *Iid)) {
            *ppv = static_cast<Interface*>(this);
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

protected:
    CComObjectBase() { COleControlModule::ObjectCreated(); }
    virtual ~CComObjectBase() { COleControlModule::ObjectDestroyed(); }

private:
    volatile LONG m_refs = 1;
};
