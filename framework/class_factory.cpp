#include "class_factory.h"

#include <new>

#include "com_ptr.h"
#include "ole_module.h"

HRESULT CClassFactory::Create(CreateFunc create, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    const auto factory = CComRef<CClassFactory>::Attach(new (std::nothrow) CClassFactory(create));
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, ppv);
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
