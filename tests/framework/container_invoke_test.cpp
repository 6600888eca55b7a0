// The container's caller of a control: InvokeHelper's argument narrowing, results,
// failures and its trace line per call, against an automation object of the test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "control_wnd.h"

namespace {

// An automation object answering every call with a fixed result or failure.
class CAnswering final : public IDispatch {
public:
    HRESULT answer = S_OK;
    LONG value = 0;
    std::vector<VARIANT> lastArgs;  // as received: last argument first

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }  // lives on the stack
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        lastArgs.assign(params->rgvarg, params->rgvarg + params->cArgs);
        if (FAILED(answer)) return answer;
        if (result != nullptr) {
            V_VT(result) = VT_I4;
            V_I4(result) = value;
        }
        return S_OK;
    }

private:
    ULONG m_refs = 1;
};

std::vector<std::wstring> g_invokeLines;
void CollectInvokeLine(const wchar_t* line) { g_invokeLines.emplace_back(line); }

TEST(InvokeTrace, OneLinePerCallWithArgumentsResultAndHresult) {
    g_invokeLines.clear();
    CControlWnd::SetInvokeTraceHook(CollectInvokeLine);
    CAnswering control;
    control.value = 42;
    {
        CControlWnd wnd;
        ASSERT_TRUE(wnd.AttachControl(&control, nullptr));
        static const BYTE types[] = {VT_I2, VT_I4, VT_R4, 0};
        LONG result = 0;
        EXPECT_EQ(wnd.InvokeHelper(7, DISPATCH_METHOD, VT_I4, &result, types, -3, 70000L, 0.5),
                  S_OK);
        EXPECT_EQ(result, 42);
        ASSERT_EQ(control.lastArgs.size(), 3u);
        EXPECT_EQ(V_VT(&control.lastArgs[2]), VT_I2);
        EXPECT_EQ(V_VT(&control.lastArgs[0]), VT_R4);

        control.answer = DISP_E_TYPEMISMATCH;
        SHORT shortResult = 5;
        EXPECT_EQ(wnd.InvokeHelper(1, DISPATCH_METHOD, VT_I2, &shortResult, types + 2, 1.25),
                  DISP_E_TYPEMISMATCH);
        EXPECT_EQ(shortResult, 5);
        control.answer = S_OK;
        EXPECT_EQ(wnd.InvokeHelper(2, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr), S_OK);
    }
    CControlWnd unbound;
    EXPECT_EQ(unbound.InvokeHelper(2, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr),
              CO_E_OBJNOTCONNECTED);
    CControlWnd::SetInvokeTraceHook(nullptr);
    EXPECT_EQ(unbound.InvokeHelper(2, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr),
              CO_E_OBJNOTCONNECTED);

    EXPECT_EQ(g_invokeLines, (std::vector<std::wstring>{
                                 L"invoke dispid=7 args=(-3,70000,0.5) result=42 hr=0x00000000",
                                 L"invoke dispid=1 args=(1.25) result=- hr=0x80020005",
                                 L"invoke dispid=2 args=() result=- hr=0x00000000",
                                 L"invoke dispid=2 args=() result=- hr=0x800401FD"}));
}

}  // namespace
