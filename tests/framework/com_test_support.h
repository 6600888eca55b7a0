// Shared by the COM tests: a watchdog for hung or crashed programs, an apartment, message
// pumping, variant and argument helpers, and an event sink that records what it gets.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace comtest {

// Ends the program with 3 when a test hangs.
class Watchdog : public ::testing::EmptyTestEventListener {
public:
    static void Install(DWORD limitMs) {
        ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog(limitMs));
    }
    void OnTestStart(const ::testing::TestInfo&) override {
        InterlockedExchange64(&m_deadline, static_cast<LONG64>(GetTickCount64() + m_limitMs));
    }
    void OnTestEnd(const ::testing::TestInfo&) override { InterlockedExchange64(&m_deadline, 0); }

private:
    explicit Watchdog(DWORD limitMs) : m_limitMs(limitMs) {
        CloseHandle(CreateThread(nullptr, 0, &Watchdog::Run, this, 0, nullptr));
    }
    static DWORD WINAPI Run(void* param) {
        auto* const self = static_cast<Watchdog*>(param);
        for (;; Sleep(100)) {
            const LONG64 deadline = InterlockedCompareExchange64(&self->m_deadline, 0, 0);
            if (deadline != 0 && static_cast<LONG64>(GetTickCount64()) > deadline) {
                fprintf(stderr, "watchdog: test hung, exiting\n");
                ExitProcess(3);
            }
        }
    }
    DWORD m_limitMs;
    volatile LONG64 m_deadline = 0;
};

struct Apartment {
    Apartment() : hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~Apartment() {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
    HRESULT hr;
};

// Dispatches messages until done() or the time runs out; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

template <typename Set>
VARIANT MakeVariant(VARTYPE vt, Set set) {
    VARIANT r;
    VariantInit(&r);
    V_VT(&r) = vt;
    set(r);
    return r;
}
inline VARIANT I2(short v) {
    return MakeVariant(VT_I2, [&](VARIANT& r) { V_I2(&r) = v; });
}
inline VARIANT I4(long v) {
    return MakeVariant(VT_I4, [&](VARIANT& r) { V_I4(&r) = v; });
}
inline VARIANT R4(float v) {
    return MakeVariant(VT_R4, [&](VARIANT& r) { V_R4(&r) = v; });
}
inline VARIANT R8(double v) {
    return MakeVariant(VT_R8, [&](VARIANT& r) { V_R8(&r) = v; });
}
inline VARIANT Bool(bool v) {
    return MakeVariant(VT_BOOL, [&](VARIANT& r) { V_BOOL(&r) = v ? VARIANT_TRUE : VARIANT_FALSE; });
}
inline VARIANT Typed(VARTYPE vt) {
    return MakeVariant(vt, [](VARIANT&) {});
}  // Empty, Null
// An omitted argument, as script hosts pass it.
inline VARIANT Missing() {
    return MakeVariant(VT_ERROR, [](VARIANT& r) { V_ERROR(&r) = DISP_E_PARAMNOTFOUND; });
}
inline VARIANT Str(const wchar_t* text) {
    return MakeVariant(VT_BSTR, [&](VARIANT& r) { V_BSTR(&r) = SysAllocString(text); });
}
// A variable passed by reference, as script hosts send variables.
inline VARIANT Ref(VARIANT* target) {
    return MakeVariant(VT_BYREF | VT_VARIANT, [&](VARIANT& r) { V_VARIANTREF(&r) = target; });
}

// Arguments in published order, kept last first for DISPPARAMS; owns them.
class Args {
public:
    Args(std::initializer_list<VARIANT> published)
        : m_rgvarg(std::rbegin(published), std::rend(published)) {
        m_params.rgvarg = m_rgvarg.empty() ? nullptr : m_rgvarg.data();
        m_params.cArgs = static_cast<UINT>(m_rgvarg.size());
    }
    ~Args() {
        for (VARIANT& v : m_rgvarg) VariantClear(&v);
    }
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;
    DISPPARAMS* Params() { return &m_params; }

private:
    std::vector<VARIANT> m_rgvarg;
    DISPPARAMS m_params = {nullptr, nullptr, 0, 0};
};

inline HRESULT Call(IDispatch* dispatch, DISPID dispid, Args& args, VARIANT* result = nullptr,
                    UINT* argErr = nullptr) {
    return dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.Params(),
                            result, nullptr, argErr);
}

// An event sink owned by the test (on its stack): records each call, then runs onCall.
class CRecordingSink final : public IDispatch {
public:
    struct Event {
        DISPID dispid;
        std::vector<VARTYPE> types;  // rgvarg order
        std::vector<long> values;    // rgvarg order
    };
    explicit CRecordingSink(REFIID answers) : m_answers(answers) {}

    std::vector<Event> calls;
    std::function<void()> onCall;
    HRESULT result = S_OK;
    bool scribble = false;  // fills the result and exception record, as careless sinks do

    LONG Refs() const { return m_refs; }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
            !IsEqualIID(riid, m_answers)) {
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&m_refs); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* varResult, EXCEPINFO* excepInfo, UINT*) override {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        Event event{dispid, {}, {}};
        for (UINT i = 0; i < params->cArgs; ++i) {
            const VARIANT& v = params->rgvarg[i];
            event.types.push_back(V_VT(&v));
            event.values.push_back(V_VT(&v) == VT_I2 ? V_I2(&v) : V_VT(&v) == VT_I4 ? V_I4(&v) : 0);
        }
        calls.push_back(event);
        if (scribble) {
            EXPECT_TRUE(varResult != nullptr && excepInfo != nullptr);
            if (varResult) *varResult = Str(L"result");
            if (excepInfo) excepInfo->bstrDescription = SysAllocString(L"refused");
        }
        if (onCall) onCall();
        return result;
    }

private:
    IID m_answers;
    volatile LONG m_refs = 0;
};

}  // namespace comtest
