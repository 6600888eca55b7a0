// Table-driven IDispatch: one entry per method with its name, dispatch identifier,
// parameter and result types, and a thunk that calls the member function with the
// converted arguments. The types of an entry come from the member function's own
// signature (short VT_I2, long VT_I4, float VT_R4), so table and handler cannot
// disagree.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <type_traits>
#include <utility>

enum : UINT { kMaxDispatchParams = 10 };

struct DispatchEntry {
    const wchar_t* name;
    DISPID dispid;
    VARTYPE result;  // VT_EMPTY: the method returns nothing
    UINT paramCount;
    VARTYPE params[kMaxDispatchParams];
    // args: the converted arguments in parameter order; result may be null.
    void (*call)(void* object, const VARIANT* args, VARIANT* result);
};

namespace dispatch_detail {

template <typename T>
struct VarType;
template <>
struct VarType<short> {
    static constexpr VARTYPE vt = VT_I2;
    static short Get(const VARIANT& v) { return V_I2(&v); }
    static void Set(VARIANT* v, short x) {
        V_VT(v) = VT_I2;
        V_I2(v) = x;
    }
};
template <>
struct VarType<long> {
    static constexpr VARTYPE vt = VT_I4;
    static long Get(const VARIANT& v) { return V_I4(&v); }
    static void Set(VARIANT* v, long x) {
        V_VT(v) = VT_I4;
        V_I4(v) = x;
    }
};
template <>
struct VarType<float> {
    static constexpr VARTYPE vt = VT_R4;
    static float Get(const VARIANT& v) { return V_R4(&v); }
    static void Set(VARIANT* v, float x) {
        V_VT(v) = VT_R4;
        V_R4(v) = x;
    }
};

template <auto Method>
struct MethodTraits;

template <typename C, typename R, typename... A, R (C::*Method)(A...)>
struct MethodTraits<Method> {
    static_assert(sizeof...(A) <= kMaxDispatchParams, "too many parameters");
    static constexpr UINT kCount = sizeof...(A);
    static constexpr VARTYPE kParams[sizeof...(A) + 1] = {VarType<A>::vt..., VT_EMPTY};
    static constexpr VARTYPE kResult = [] {
        if constexpr (std::is_void_v<R>) {
            return static_cast<VARTYPE>(VT_EMPTY);
        } else {
            return VarType<R>::vt;
        }
    }();

    static void Call(void* object, const VARIANT* args, VARIANT* result) {
        CallWith(static_cast<C*>(object), args, result, std::index_sequence_for<A...>{});
    }

    template <std::size_t... I>
    static void CallWith(C* object, const VARIANT* args, VARIANT* result,
                         std::index_sequence<I...>) {
        (void)args;  // unused for methods without parameters
        if constexpr (std::is_void_v<R>) {
            (object->*Method)(VarType<A>::Get(args[I])...);
        } else {
            const R value = (object->*Method)(VarType<A>::Get(args[I])...);
            if (result != nullptr) VarType<R>::Set(result, value);
        }
    }
};

}  // namespace dispatch_detail

// One table entry for a member function: DispMethod<&CMyCtrl::Foo>(L"Foo", 3).
template <auto Method>
constexpr DispatchEntry DispMethod(const wchar_t* name, DISPID dispid) {
    using Traits = dispatch_detail::MethodTraits<Method>;
    DispatchEntry entry{name, dispid, Traits::kResult, Traits::kCount, {}, &Traits::Call};
    for (UINT i = 0; i < Traits::kCount; ++i) entry.params[i] = Traits::kParams[i];
    return entry;
}

class CDispatchMap {
public:
    constexpr CDispatchMap(const DispatchEntry* entries, UINT count)
        : m_entries(entries), m_count(count) {}

    const DispatchEntry* Find(DISPID dispid) const;
    // Case-insensitive; null when unknown.
    const DispatchEntry* FindName(const wchar_t* name) const;
    UINT Count() const { return m_count; }
    const DispatchEntry& Entry(UINT index) const { return m_entries[index]; }

    // IDispatch::GetIDsOfNames: names of methods only (no named parameters).
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;
    // IDispatch::Invoke for the object the entries were made for. Every argument is
    // converted before the method runs; on a failure the method does not run.
    HRESULT Invoke(void* object, DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, UINT* argErr) const;

    // Converts one argument as Invoke does: by-reference variants are followed, an
    // omitted argument (VT_ERROR) is refused.
    static HRESULT CoerceArgument(const VARIANT& source, VARTYPE type, VARIANT* out);

private:
    const DispatchEntry* m_entries;
    UINT m_count;
};

// The methods a class fires through its event interface: dispatch identifier and
// argument types (first parameter first).
struct EventEntry {
    const wchar_t* name;
    DISPID dispid;
    UINT paramCount;
    VARTYPE params[kMaxDispatchParams];
};

class CEventMap {
public:
    constexpr CEventMap(const EventEntry* entries, UINT count)
        : m_entries(entries), m_count(count) {}
    const EventEntry* Find(DISPID dispid) const;
    // rgvarg in Automation order (last parameter first) matches the entry's types.
    bool Matches(DISPID dispid, const VARIANT* rgvarg, UINT count) const;

private:
    const EventEntry* m_entries;
    UINT m_count;
};
