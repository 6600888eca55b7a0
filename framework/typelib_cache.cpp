#include "typelib_cache.h"

#include <utility>

#include "com_ptr.h"
#include "ole_module.h"

HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** out) {
    wchar_t path[MAX_PATH];
    if (!GetModulePath(module, path, MAX_PATH)) return E_FAIL;
    return LoadTypeLibEx(path, REGKIND_NONE, out);
}

CTypeLibCache::CTypeLibCache(const GUID& libid, WORD major, WORD minor)
    : m_libid(libid), m_major(major), m_minor(minor) {}

// Static caches outlive COM in the process: a library an unbalanced Lock kept is left
// alone, never released after COM has gone.
CTypeLibCache::~CTypeLibCache() { m_typeLib.Detach(); }

void CTypeLibCache::Lock() {
    AcquireSRWLockExclusive(&m_lock);
    ++m_users;
    ReleaseSRWLockExclusive(&m_lock);
}

void CTypeLibCache::Unlock() {
    CComRef<ITypeLib> release;  // released outside the lock
    AcquireSRWLockExclusive(&m_lock);
    if (m_users > 0 && --m_users == 0) release = std::move(m_typeLib);
    ReleaseSRWLockExclusive(&m_lock);
}

bool CTypeLibCache::Loaded() const {
    AcquireSRWLockShared(&m_lock);
    const bool loaded = static_cast<bool>(m_typeLib);
    ReleaseSRWLockShared(&m_lock);
    return loaded;
}

HRESULT CTypeLibCache::Get(LCID lcid, ITypeLib** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    AcquireSRWLockExclusive(&m_lock);
    if (m_typeLib) {
        m_typeLib.CopyTo(out);
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
    if (m_users > 0 && !m_typeLib) m_typeLib = typeLib;
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
