#include "class_factory.h"

#include <new>

#include "ole_module.h"

CClassFactory::CClassFactory(CreateFunc create) : m_create(create) {
    COleControlModule::ObjectCreated();
}

CClassFactory::~CClassFactory() { COleControlModule::ObjectDestroyed(); }

HRESULT CClassFactory::Create(CreateFunc create, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    CClassFactory* const factory = new (std::nothrow) CClassFactory(create);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() { return InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return GuardedCall([&] { return m_create(riid, ppv); });
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        COleControlModule::Lock();
    } else {
        COleControlModule::Unlock();
    }
    return S_OK;
}
