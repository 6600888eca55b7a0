// The type library of a module's controls, loaded once and shared by its objects.
// It is found through the registry and, failing that (an unregistered or moved copy),
// in the module's own resources.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "com_ptr.h"

class CTypeLibCache {
public:
    CTypeLibCache(const GUID& libid, WORD major, WORD minor);
    ~CTypeLibCache();
    CTypeLibCache(const CTypeLibCache&) = delete;
    CTypeLibCache& operator=(const CTypeLibCache&) = delete;

    // Objects using the library; the last Unlock releases it.
    void Lock();
    void Unlock();
    bool Loaded() const;

    // The library (a new reference); loads it on first use.
    HRESULT Get(LCID lcid, ITypeLib** out);
    // A type description of the library by its GUID.
    HRESULT GetTypeInfoOfGuid(LCID lcid, REFGUID guid, ITypeInfo** out);

    const GUID& LibId() const { return m_libid; }

private:
    GUID m_libid;
    WORD m_major;
    WORD m_minor;
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    long m_users = 0;
    CComRef<ITypeLib> m_typeLib;
};

// Loads the type library carried as resource 1 of the module.
HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** out);
