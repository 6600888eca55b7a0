// The control's wrapper and our container, as the demonstration program uses them.
//  - Against a recording IDispatch: every member makes the call the control's type
//    library describes, and a failed call answers -1, 0 or nothing without throwing.
//  - In a top-level window (needs a display): the registered control hosted hidden, on
//    one simulated card, with its interrupt event and its release.
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "com_test_support.h"
#include "contract_table.h"
#include "event_sink.h"
#include "vorn_305q_ids.h"
#include "vorn_305q_wrapper.h"

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { comtest::Watchdog::Install(20000); }
} g_watchdog;

std::wstring DllPath() {
    std::wstring path = L"Z:";
    for (const char* p = VORN_CONTROL_DLL; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
    return path;
}

// Records the last call (arguments in published order) and answers as told.
class CRecordingDispatch final : public IDispatch {
public:
    DISPID dispid = DISPID_UNKNOWN;
    WORD flags = 0;
    std::vector<VARIANT> args;
    bool resultAsked = false;
    int calls = 0;
    VARIANT answer = {};
    HRESULT hr = S_OK;

    ~CRecordingDispatch() { Clear(); }
    void Clear() {
        for (VARIANT& v : args) VariantClear(&v);
        args.clear();
        calls = 0;
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, IID_IDispatch) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        ADD_FAILURE() << "the wrapper must not look names up";
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD how, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT*) override {
        Clear();
        ++calls;
        dispid = id;
        flags = how;
        resultAsked = result != nullptr;
        EXPECT_TRUE(IsEqualIID(riid, IID_NULL));
        EXPECT_EQ(params->cNamedArgs, 0u);
        for (UINT i = params->cArgs; i-- > 0;) {
            args.push_back(comtest::Typed(VT_EMPTY));
            VariantCopy(&args.back(), &params->rgvarg[i]);
        }
        if (hr == DISP_E_EXCEPTION && exception != nullptr) {
            exception->scode = E_ACCESSDENIED;
            exception->bstrDescription = SysAllocString(L"refused");
        }
        if (result != nullptr) VariantCopy(result, &answer);
        return hr;
    }
};

// Arguments by position: shorts negative (they travel sign-extended), longs beyond 16
// bits, floats with a fraction.
template <typename T>
T ArgumentAt(size_t i) {
    if constexpr (std::is_same_v<T, short>) return static_cast<short>(-1 - static_cast<int>(i));
    if constexpr (std::is_same_v<T, long>) return 100000L * static_cast<long>(i + 1) + 7;
    if constexpr (std::is_same_v<T, float>) return 0.25f + static_cast<float>(i);
}

// Calls a member with the arguments above; its result as long (0 for void).
using WrapperCall = std::function<long(CVorn_305q&)>;
template <typename R, typename... P, size_t... I>
long CallWith(CVorn_305q& w, R (CVorn_305q::*method)(P...), std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
        (w.*method)(ArgumentAt<P>(I)...);
        return 0;
    } else {
        return static_cast<long>((w.*method)(ArgumentAt<P>(I)...));
    }
}
template <typename R, typename... P>
WrapperCall Caller(R (CVorn_305q::*method)(P...)) {
    return [method](CVorn_305q& w) { return CallWith(w, method, std::index_sequence_for<P...>{}); };
}

#define ROW(name) \
    { L## #name, Caller(&CVorn_305q::name) }
const std::map<std::wstring, WrapperCall> kRows = {
    ROW(InitCard),      ROW(CloseCard),     ROW(SetInterrupt),  ROW(CloseInterrupt),
    ROW(GetCardCount),  ROW(RunState),      ROW(GetPosition),   ROW(SetPosition),
    ROW(StopAxisDec),   ROW(StopAxisInst),  ROW(Stop2AxisDec),  ROW(Stop2AxisInst),
    ROW(Stop3axisDec),  ROW(Stop3AxisInst), ROW(StopAllDec),    ROW(StopAllInst),
    ROW(PulseOutMode),  ROW(InputMode),     ROW(SignalAlmInp),  ROW(GetInput),
    ROW(Setoutput),     ROW(SignalHardLmt), ROW(SignalSoftLmt), ROW(ManuMove),
    ROW(SetComP),       ROW(SetComM),       ROW(SignalOrg),     ROW(TVMove),
    ROW(SVMove),        ROW(StartTRMove),   ROW(StartTRNMove),  ROW(StartSRMove),
    ROW(StartSRNMove),  ROW(StartTAMove),   ROW(StartSAMove),   ROW(StartTANMove),
    ROW(StartSANMove),  ROW(LineRMove),     ROW(LineAMove),     ROW(Line3RMove),
    ROW(Line3AMove),    ROW(CircleDrawR),   ROW(LevelMode),     ROW(VChange),
    ROW(GetExPosition), ROW(SetExPosition), ROW(WhoCheckCom),   ROW(CircleDrawA),
    ROW(ManuMove2),
};

// The published methods by name: id, then result and parameter types (the module's
// type library is checked against the same table).
std::map<std::wstring, std::pair<DISPID, std::vector<VARTYPE>>> PublishedMethods() {
    std::map<std::wstring, std::pair<DISPID, std::vector<VARTYPE>>> methods;
    for (const ContractRow& row : kContract)
        methods[row.name] = {ContractId(row), ContractTypes(row)};
    return methods;
}

class WrapperTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_wrapper.AttachControl(&m_dispatch, nullptr)); }
    comtest::Apartment m_apartment;
    CRecordingDispatch m_dispatch;
    CVorn_305q m_wrapper;
    const std::map<std::wstring, std::pair<DISPID, std::vector<VARTYPE>>> m_methods =
        PublishedMethods();
};

TEST_F(WrapperTest, EveryMethodMakesThePublishedCall) {
    for (const auto& [name, published] : m_methods) {
        SCOPED_TRACE(Narrow(name));
        ASSERT_EQ(kRows.count(name), 1u) << "no wrapper member";
        const VARTYPE result = published.second[0];
        VariantClear(&m_dispatch.answer);
        V_VT(&m_dispatch.answer) = result == VT_VOID ? VARTYPE(VT_EMPTY) : result;
        V_I4(&m_dispatch.answer) = result == VT_I2 ? 321 : 7654321;
        const long returned = kRows.at(name)(m_wrapper);
        ASSERT_EQ(m_dispatch.calls, 1);
        EXPECT_EQ(m_dispatch.dispid, published.first);
        EXPECT_EQ(m_dispatch.flags, DISPATCH_METHOD);
        std::vector<VARTYPE> sent{result};
        for (size_t p = 0; p < m_dispatch.args.size(); ++p) {
            const VARIANT& arg = m_dispatch.args[p];
            sent.push_back(V_VT(&arg));
            EXPECT_TRUE(V_VT(&arg) == VT_I2   ? V_I2(&arg) == ArgumentAt<short>(p)
                        : V_VT(&arg) == VT_I4 ? V_I4(&arg) == ArgumentAt<long>(p)
                                              : V_R4(&arg) == ArgumentAt<float>(p))
                << "argument " << p;
        }
        EXPECT_EQ(sent, published.second);  // ManuMove2: 02 03 03, rV a long
        EXPECT_EQ(m_dispatch.resultAsked, result != VT_VOID);
        if (result != VT_VOID) {
            EXPECT_EQ(returned, result == VT_I2 ? 321 : 7654321);
        }
    }
}

// Refused by the control, an exception raised by it, a result that does not convert, no
// control at all: counts and reads answer 0, the 0/-1 methods -1, and nothing throws.
TEST_F(WrapperTest, FailedCallsAnswerTheirFailureValue) {
    const struct {
        const char* what;
        HRESULT hr;
        bool attached;
    } failures[] = {{"overflow", DISP_E_OVERFLOW, true},
                    {"exception", DISP_E_EXCEPTION, true},
                    {"result of the wrong type", S_OK, true},
                    {"no control", S_OK, false}};
    const std::wstring reads = L" GetCardCount RunState GetPosition GetInput GetExPosition ";
    m_dispatch.answer = comtest::Str(L"not a number");
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.what);
        CVorn_305q detached;
        m_dispatch.hr = failure.hr;
        for (const auto& [name, published] : m_methods) {
            SCOPED_TRACE(Narrow(name));
            m_dispatch.Clear();
            const bool read = reads.find(L" " + name + L" ") != std::wstring::npos;
            const long expected = published.second[0] == VT_VOID || read ? 0 : -1;
            EXPECT_EQ(kRows.at(name)(failure.attached ? m_wrapper : detached), expected);
            EXPECT_EQ(m_dispatch.calls, failure.attached ? 1 : 0);
        }
    }
    VariantClear(&m_dispatch.answer);
    short result = 5;
    const BYTE shortParam[] = {VT_I2, 0};
    m_dispatch.hr = DISP_E_EXCEPTION;
    EXPECT_EQ(m_wrapper.InvokeHelper(6, DISPATCH_METHOD, VT_I2, &result, shortParam, 0),
              E_ACCESSDENIED);
    EXPECT_EQ(result, 5);
}

// ---- hosted in our container

constexpr UINT kControlId = 1003;
std::string g_messageLog, g_chipTrace;
CWnd g_frame;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

HRESULT CallExport(const char* name) {
    const HMODULE module = GetModuleHandleW(DllPath().c_str());
    const auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, name)));
    return entry != nullptr ? entry() : E_FAIL;
}

class ContainerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string stem = "C:\\vorn-client-" + std::to_string(GetCurrentProcessId());
        g_messageLog = stem + "-messages.log";
        g_chipTrace = stem + "-trace.log";
        _putenv_s("VORN305Q_SIMULATOR", "1");  // read when the control first reaches the card
        _putenv_s("VORN305Q_MSGBOX_LOG", g_messageLog.c_str());
        _putenv_s("VORN305Q_SIM_TRACE", g_chipTrace.c_str());
        ASSERT_NE(LoadLibraryW(DllPath().c_str()), nullptr);
        ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = L"VornClientTestFrame";
        RegisterClassExW(&windowClass);
        // One shown frame for all: without a window manager destroying one takes 2 s.
        ASSERT_TRUE(g_frame.Create(windowClass.lpszClassName, L"client", WS_OVERLAPPEDWINDOW,
                                   RECT{0, 0, 400, 300}, nullptr, 0));
        g_frame.ShowWindow(SW_SHOW);
    }
    static void TearDownTestSuite() {
        g_frame.DestroyWindow();
        EXPECT_EQ(CallExport("DllUnregisterServer"), S_OK);
        DeleteFileA(g_messageLog.c_str());
        DeleteFileA(g_chipTrace.c_str());
    }
    void SetUp() override {
        ASSERT_EQ(m_ole.hr, S_OK);
        m_messagesBefore = ReadFile(g_messageLog).size();
        // Hosted the way the form does: child, tab stop, hidden.
        ASSERT_TRUE(m_control.Create(L"any class name", L"", WS_CHILD | WS_TABSTOP | WS_VISIBLE,
                                     RECT{106, 79, 146, 104}, &g_frame, kControlId));
        m_control.ShowWindow(SW_HIDE);
    }
    void TearDown() override {
        m_control.CloseCard();  // as the form view does, before the control goes
        m_control.DestroyWindow();
    }
    std::string NewMessages() const { return ReadFile(g_messageLog).substr(m_messagesBefore); }

    struct OleApartment {
        OleApartment() : hr(OleInitialize(nullptr)) {}
        ~OleApartment() {
            if (SUCCEEDED(hr)) OleUninitialize();
        }
        HRESULT hr;
    } m_ole;
    CVorn_305q m_control;
    size_t m_messagesBefore = 0;
};

TEST_F(ContainerTest, HostsTheControlInPlaceAsAHiddenChild) {
    const HWND hwnd = m_control.GetSafeHwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetParent(hwnd), g_frame.GetSafeHwnd());
    EXPECT_EQ(GetDlgCtrlID(hwnd), static_cast<int>(kControlId));
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, g_frame.GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right, rect.bottom}),
              std::vector<LONG>({106, 79, 146, 104}));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    m_control.ShowWindow(SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(ContainerTest, WrapperDrivesTheSimulatedCard) {
    EXPECT_EQ(m_control.GetCardCount(), 1);
    ASSERT_EQ(m_control.InitCard(0), 0);
    for (short axis = 0; axis < 4; ++axis) {
        for (const long position : {-1L, 70000L, -8000000L}) {
            m_control.SetPosition(axis, position);
            EXPECT_EQ(m_control.GetPosition(axis), position) << axis;
            m_control.SetExPosition(axis, -position);
            EXPECT_EQ(m_control.GetExPosition(axis), -position) << axis;
        }
    }
    // ManuMove2 as the demonstration program calls it reaches the chip; beyond 16 bits
    // the control refuses it before the card and the wrapper answers -1.
    size_t trace = ReadFile(g_chipTrace).size();
    EXPECT_EQ(m_control.ManuMove2(0, 3000, 1), 0);
    EXPECT_GT(ReadFile(g_chipTrace).size(), trace);
    trace = ReadFile(g_chipTrace).size();
    EXPECT_EQ(m_control.ManuMove2(0, 3000, 40000), -1);
    EXPECT_EQ(ReadFile(g_chipTrace).size(), trace);
    EXPECT_EQ(NewMessages(), "");
    EXPECT_EQ(m_control.InitCard(0), -1);
    EXPECT_EQ(NewMessages(), u8"Kestrin: 控制卡正在使用中!\n");
}

TEST_F(ContainerTest, DriveEndInterruptReachesTheEventSinkAndClosingReleasesAll) {
    std::vector<std::pair<short, long>> events;
    CEventSink sink;
    ASSERT_EQ(sink.Connect(m_control.GetControlUnknown(),
                           [&events](DISPID dispid, DISPPARAMS* params) {
                               VARIANT axis = comtest::Typed(VT_EMPTY), status = axis;
                               UINT argErr = 0;
                               EXPECT_EQ(dispid, 1);  // published order: axis, status word
                               EXPECT_EQ(DispGetParam(params, 0, VT_I2, &axis, &argErr), S_OK);
                               EXPECT_EQ(DispGetParam(params, 1, VT_I4, &status, &argErr), S_OK);
                               events.emplace_back(V_I2(&axis), V_I4(&status));
                           }),
              S_OK);
    ASSERT_EQ(m_control.InitCard(0), 0);
    m_control.SetPosition(1, 0);
    ASSERT_EQ(m_control.SetInterrupt(1, 0x80), 0);  // drive end
    ASSERT_EQ(m_control.StartTRMove(1, 200, 1000, 2000, 0.01f), 0);
    EXPECT_TRUE(comtest::PumpUntil([&] { return !events.empty(); }, 10000));
    EXPECT_EQ(events, (std::vector<std::pair<short, long>>{{1, 0x80}}));
    EXPECT_EQ(m_control.GetPosition(1), 200);

    sink.Disconnect();  // nothing more arrives
    ASSERT_EQ(m_control.StartTRMove(1, 200, 1000, 2000, 0.01f), 0);
    EXPECT_TRUE(comtest::PumpUntil([&] { return m_control.RunState(1) == 1; }, 10000));
    comtest::PumpUntil([] { return false; }, 200);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(NewMessages(), "");

    // Closing the card and destroying the window release the control: the module may unload.
    EXPECT_EQ(CallExport("DllCanUnloadNow"), S_FALSE);
    m_control.CloseCard();
    EXPECT_TRUE(m_control.DestroyWindow());
    EXPECT_EQ(CallExport("DllCanUnloadNow"), S_OK);
}

TEST_F(ContainerTest, PropertyPageShowsItsDialogAsAChild) {
    IPropertyPage* page = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_Vorn_305qPropPage, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IPropertyPage, reinterpret_cast<void**>(&page)),
              S_OK);
    IUnknown* objects[1] = {m_control.GetControlUnknown()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    const RECT rect = {0, 0, 200, 100};
    ASSERT_EQ(page->Activate(g_frame.GetSafeHwnd(), &rect, FALSE), S_OK);
    HWND dialog = nullptr;
    for (HWND w = GetWindow(g_frame.GetSafeHwnd(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w != m_control.GetSafeHwnd()) dialog = w;
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD);
    wchar_t caption[128] = {};
    GetWindowTextW(FindWindowExW(dialog, nullptr, L"Static", nullptr), caption, 128);
    EXPECT_STREQ(caption,
                 L"TODO: Place controls to manipulate properties of Vorn_305q Control on this "
                 L"dialog.");
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(dialog));
    page->SetObjects(0, nullptr);
    page->Release();
}

}  // namespace
