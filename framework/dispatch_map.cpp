#include "dispatch_map.h"

#include <cmath>

namespace {

bool SameName(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

const DispatchEntry* CDispatchMap::Find(DISPID dispid) const {
    // Tables are usually numbered 1..n in order.
    if (dispid >= 1 && static_cast<UINT>(dispid) <= m_count &&
        m_entries[dispid - 1].dispid == dispid) {
        return &m_entries[dispid - 1];
    }
    for (UINT i = 0; i < m_count; ++i) {
        if (m_entries[i].dispid == dispid) return &m_entries[i];
    }
    return nullptr;
}

const DispatchEntry* CDispatchMap::FindName(const wchar_t* name) const {
    if (name == nullptr) return nullptr;
    for (UINT i = 0; i < m_count; ++i) {
        if (SameName(m_entries[i].name, name)) return &m_entries[i];
    }
    return nullptr;
}

HRESULT CDispatchMap::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (names == nullptr || ids == nullptr) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const DispatchEntry* const entry = FindName(names[0]);
    if (entry == nullptr) return DISP_E_UNKNOWNNAME;
    ids[0] = entry->dispid;
    // Further names would be parameter names: there are no named parameters.
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT CDispatchMap::CoerceArgument(const VARIANT& source, VARTYPE type, VARIANT* out) {
    const VARIANT* src = &source;
    // Script hosts pass variables by reference.
    if (V_VT(src) == (VT_BYREF | VT_VARIANT)) {
        src = V_VARIANTREF(src);
        if (src == nullptr) return DISP_E_TYPEMISMATCH;
    }
    if (V_VT(src) == VT_ERROR) return DISP_E_PARAMNOTOPTIONAL;
    HRESULT hr = S_OK;
    if (V_VT(src) == type) {
        *out = *src;  // plain numbers: nothing to own
    } else {
        hr = VariantChangeType(out, const_cast<VARIANT*>(src), 0, type);
    }
    // No parameter means anything by a value that is not a finite number: such a call
    // is refused here like any other unconvertible argument.
    if (SUCCEEDED(hr) && V_VT(out) == VT_R4 && !std::isfinite(V_R4(out))) {
        hr = std::isnan(V_R4(out)) ? DISP_E_TYPEMISMATCH : DISP_E_OVERFLOW;
    }
    return hr;
}

HRESULT CDispatchMap::Invoke(void* object, DISPID dispid, REFIID riid, WORD flags,
                             DISPPARAMS* params, VARIANT* result, UINT* argErr) const {
    const DispatchEntry* const entry = Find(dispid);
    if (entry == nullptr) return DISP_E_MEMBERNOTFOUND;
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    // Scripts send METHOD|PROPERTYGET when they use the result; there are no properties
    // to put.
    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0 ||
        (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) {
        return E_INVALIDARG;
    }
    if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    if (params->cArgs != entry->paramCount) return DISP_E_BADPARAMCOUNT;

    VARIANT args[kMaxDispatchParams];
    for (UINT p = 0; p < entry->paramCount; ++p) {
        VariantInit(&args[p]);
        // Automation order: the last parameter comes first.
        const UINT index = params->cArgs - 1 - p;
        const HRESULT hr = CoerceArgument(params->rgvarg[index], entry->params[p], &args[p]);
        if (FAILED(hr)) {
            if (argErr != nullptr) *argErr = index;
            for (UINT q = 0; q <= p; ++q) VariantClear(&args[q]);
            return hr;
        }
    }
    if (result != nullptr) VariantInit(result);
    entry->call(object, args, result);
    return S_OK;
}

const EventEntry* CEventMap::Find(DISPID dispid) const {
    for (UINT i = 0; i < m_count; ++i) {
        if (m_entries[i].dispid == dispid) return &m_entries[i];
    }
    return nullptr;
}

bool CEventMap::Matches(DISPID dispid, const VARIANT* rgvarg, UINT count) const {
    const EventEntry* const entry = Find(dispid);
    if (entry == nullptr || entry->paramCount != count) return false;
    for (UINT p = 0; p < count; ++p) {
        if (V_VT(&rgvarg[count - 1 - p]) != entry->params[p]) return false;
    }
    return true;
}
