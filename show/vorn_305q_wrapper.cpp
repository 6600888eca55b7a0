#include "vorn_305q_wrapper.h"

#include <cstdio>
#include <type_traits>

namespace {

// {0BAAC4F3-9558-49B4-A90F-4CF8BD3EED65}
const CLSID kClsidVorn_305q = {
    0x0BAAC4F3, 0x9558, 0x49B4, {0xA9, 0x0F, 0x4C, 0xF8, 0xBD, 0x3E, 0xED, 0x65}};

// Parameter-type strings: one byte per argument, ending in 0; none without arguments.
template <typename T>
constexpr BYTE kVarType = 0;
template <>
constexpr BYTE kVarType<short> = VT_I2;
template <>
constexpr BYTE kVarType<long> = VT_I4;
template <>
constexpr BYTE kVarType<float> = VT_R4;

template <typename... A>
struct ParamTypes {
    static_assert(((kVarType<A> != 0) && ...), "an argument of no automation type");
    static constexpr BYTE kString[] = {kVarType<A>..., 0};
    static const BYTE* String() { return kString; }
};
template <>
struct ParamTypes<> {
    static const BYTE* String() { return nullptr; }
};

template <typename R>
constexpr VARTYPE kResultType = VT_EMPTY;
template <>
constexpr VARTYPE kResultType<short> = VT_I2;
template <>
constexpr VARTYPE kResultType<long> = VT_I4;

}  // namespace

const CLSID& CVorn_305q::GetClsid() { return kClsidVorn_305q; }

const CRuntimeClass CVorn_305q::classCVorn_305q = {"CVorn_305q", &CObject::classCObject,
                                                   CreateDynamic<CVorn_305q>};

BOOL CVorn_305q::Create(LPCWSTR /*className*/, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, CCreateContext* /*context*/) {
    return CreateControl(GetClsid(), windowName, style, rect, parent, id);
}

bool CVorn_305q::Traced(DISPID dispid, HRESULT hr) {
    if (SUCCEEDED(hr)) return true;
    char line[96];
    snprintf(line, sizeof line, "CVorn_305q: dispatch id %ld failed, HRESULT 0x%08lX\n",
             static_cast<long>(dispid), static_cast<unsigned long>(hr));
    OutputDebugStringA(line);
    return false;
}

template <DISPID Id, typename Kind, typename... A>
typename Kind::Type CVorn_305q::Invoke(A... args) {
    using R = typename Kind::Type;
    const BYTE* const types = ParamTypes<A...>::String();
    if constexpr (std::is_void_v<R>) {
        Traced(Id, InvokeHelper(Id, DISPATCH_METHOD, VT_EMPTY, nullptr, types, args...));
    } else {
        R result = 0;
        const HRESULT hr =
            InvokeHelper(Id, DISPATCH_METHOD, kResultType<R>, &result, types, args...);
        return Traced(Id, hr) ? result : Kind::kFailed;
    }
}

#define VORN_WRAPPER_KIND_NONE NoResult
#define VORN_WRAPPER_KIND_CODE CodeResult
#define VORN_WRAPPER_KIND_SHORT ShortResult
#define VORN_WRAPPER_KIND_LONG LongResult
#define VORN_WRAPPER_DEFINE(dispid, name, result, count, params)                               \
    VORN_RESULT_##result CVorn_305q::name(VORN_EACH(count, VORN_LIB_PARAM, params)) {          \
        return Invoke<dispid, VORN_WRAPPER_KIND_##result>(VORN_EACH(count, VORN_ARG, params)); \
    }
VORN_305Q_METHODS(VORN_WRAPPER_DEFINE)
