// The class factory of one class: creates its objects through a creation function.
// Aggregation is not supported.
#pragma once

#include <unknwn.h>

#include <new>

#include "com_object.h"
#include "com_ptr.h"
#include "runtime_class.h"

class CClassFactory final : public CComObjectBase<IClassFactory, &IID_IClassFactory> {
public:
    // Creates a new object and returns the requested interface (the object's only
    // reference on success).
    typedef HRESULT (*CreateFunc)(REFIID riid, void** ppv);

    // A new factory for the class, as the requested interface.
    static HRESULT Create(CreateFunc create, REFIID riid, void** ppv);

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    explicit CClassFactory(CreateFunc create) : m_create(create) {}

    CreateFunc m_create;
};

// Creates an object of class T (default-constructible, initial reference count 1) and
// returns the requested interface.
template <typename T>
HRESULT CreateComObject(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    const auto object = CComRef<T>::Attach(new (std::nothrow) T());
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}

// The same for a class created by its runtime class (the control, the property page).
template <typename T>
HRESULT CreateComObject(const CRuntimeClass& type, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    const auto object = CComRef<T>::Attach(CreateObjectAs<T>(&type).release());
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}
