#include "typelib_cache.h"

#include "com_ptr.h"
#include "ole_module.h"

HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** out) {
    wchar_t path[MAX_PATH];
    if (!GetModulePath(module, path, MAX_PATH)) return E_FAIL;
    return LoadTypeLibEx(path, REGKIND_NONE, out);
}

CTypeLibCache::CTypeLibCache(const GUID& libid, WORD major, WORD minor)
    : m_libid(libid), m_major(major), m_minor(minor) {}

// Static caches outlive COM in the process; an unbalanced Lock is left alone.
CTypeLibCache::~CTypeLibCache() = default;

void CTypeLibCache::Lock() {
    AcquireSRWLockExclusive(&m_lock);
    ++m_users;
    ReleaseSRWLockExclusive(&m_lock);
}

void CTypeLibCache::Unlock() {
    ITypeLib* release = nullptr;
    AcquireSRWLockExclusive(&m_lock);
    if (m_users > 0 && --m_users == 0) {
        release = m_typeLib;
        m_typeLib = nullptr;
    }
    ReleaseSRWLockExclusive(&m_lock);
    if (release != nullptr) release->Release();
}

bool CTypeLibCache::Loaded() const {
    AcquireSRWLockShared(&m_lock);
    const bool loaded = m_typeLib != nullptr;
    ReleaseSRWLockShared(&m_lock);
    return loaded;
}

HRESULT CTypeLibCache::Get(LCID lcid, ITypeLib** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    AcquireSRWLockExclusive(&m_lock);
    if (m_typeLib != nullptr) {
        m_typeLib->AddRef();
        *out = m_typeLib;
        ReleaseSRWLockExclusive(&m_lock);
        return S_OK;
    }
    ReleaseSRWLockExclusive(&m_lock);

    // Outside the lock: loading may call back into the module.
    CComRef<ITypeLib> typeLib;
    HRESULT hr = LoadRegTypeLib(m_libid, m_major, m_minor, lcid, typeLib.Put());
    if (FAILED(hr)) {
        hr = LoadModuleTypeLib(COleControlModule::Instance(), typeLib.Put());
    }
    if (FAILED(hr)) return hr;

    AcquireSRWLockExclusive(&m_lock);
    if (m_users > 0 && m_typeLib == nullptr) {
        m_typeLib = typeLib.Get();
        m_typeLib->AddRef();
    }
    ReleaseSRWLockExclusive(&m_lock);
    *out = typeLib.Detach();
    return S_OK;
}

HRESULT CTypeLibCache::GetTypeInfoOfGuid(LCID lcid, REFGUID guid, ITypeInfo** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    CComRef<ITypeLib> typeLib;
    const HRESULT hr = Get(lcid, typeLib.Put());
    if (FAILED(hr)) return hr;
    return typeLib->GetTypeInfoOfGuid(guid, out);
}
