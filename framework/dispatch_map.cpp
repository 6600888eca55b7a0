#include "dispatch_map.h"

#include <cmath>

namespace {

bool SameName(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// A value that is not itself a reference to a variant: its type must be one a variant
// may hold, and no pointer the conversion would follow may be null. Arrays and records
// never convert to a number, so they are refused before anything inside is read.
HRESULT CheckValue(const VARIANT& v) {
    const VARTYPE vt = V_VT(&v);
    if ((vt & (VT_VECTOR | VT_RESERVED)) != 0) return DISP_E_BADVARTYPE;
    if ((vt & VT_ARRAY) != 0) return DISP_E_TYPEMISMATCH;
    const bool byRef = (vt & VT_BYREF) != 0;
    switch (vt & VT_TYPEMASK) {
        case VT_EMPTY:
        case VT_NULL:
            return byRef ? DISP_E_BADVARTYPE : S_OK;
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_BSTR:
        case VT_ERROR:
        case VT_BOOL:
        case VT_DECIMAL:
        case VT_I1:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_I8:
        case VT_UI8:
        case VT_INT:
        case VT_UINT:
            return byRef && V_BYREF(&v) == nullptr ? DISP_E_TYPEMISMATCH : S_OK;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            // The conversion asks the object for its value: there must be an object.
            if (byRef) {
                return V_BYREF(&v) == nullptr || *V_UNKNOWNREF(&v) == nullptr ? DISP_E_TYPEMISMATCH
                                                                              : S_OK;
            }
            return V_UNKNOWN(&v) == nullptr ? DISP_E_TYPEMISMATCH : S_OK;
        case VT_RECORD:
            return DISP_E_TYPEMISMATCH;
        default:
            // A variant by value, or a reference to a variant inside a reference.
            return DISP_E_BADVARTYPE;
    }
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
    // Script hosts pass variables by reference: one reference to a variant, which may
    // itself hold one reference to a value, is all automation allows.
    if (V_VT(src) == (VT_BYREF | VT_VARIANT)) {
        src = V_VARIANTREF(src);
        if (src == nullptr) return DISP_E_TYPEMISMATCH;
        if (V_VT(src) == (VT_BYREF | VT_VARIANT)) return DISP_E_BADVARTYPE;
    }
    HRESULT hr = CheckValue(*src);
    if (FAILED(hr)) return hr;
    if (V_VT(src) == VT_ERROR) return DISP_E_PARAMNOTOPTIONAL;
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
