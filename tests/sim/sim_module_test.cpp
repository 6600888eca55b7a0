// The simulator as a module of its own: the built control, copied into a directory with or
// without Vorn_305q_sim.dll beside it, chooses its backend from VORN305Q_SIMULATOR. Every
// case loads copies of its own, so each copy makes its choice afresh.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "com_test_support.h"
#include "sim_module.h"
#include "wd_records.h"

namespace {

const CLSID kCtrl = {0x0BAAC4F3, 0x9558, 0x49B4, {0xA9, 0x0F, 0x4C, 0xF8, 0xBD, 0x3E, 0xED, 0x65}};
const DISPID kInitCard = 1;

std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
    return path;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What the process writes to the debug trace, seen as the exception that carries it.
std::vector<std::string> g_debugLines;

LONG CALLBACK CatchDebugText(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (record.NumberParameters >= 2) {
        const ULONG_PTR length = record.ExceptionInformation[0];
        const ULONG_PTR text = record.ExceptionInformation[1];
        if (record.ExceptionCode == DBG_PRINTEXCEPTION_C) {
            g_debugLines.emplace_back(reinterpret_cast<const char*>(text), length);
        } else if (record.ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C) {
            const std::wstring wide(reinterpret_cast<const wchar_t*>(text), length);
            g_debugLines.emplace_back(wide.begin(), wide.end());
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

size_t LinesNaming(const std::vector<std::string>& lines, const char* what) {
    size_t n = 0;
    for (const std::string& line : lines) n += line.find(what) != std::string::npos;
    return n;
}

// A directory of the case's own holding copies of the built modules.
class Copies {
public:
    Copies(const char* name, bool withSimulator) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"vorn-sim-module-" + std::wstring(name, name + strlen(name));
        CreateDirectoryW(m_dir.c_str(), nullptr);
        m_control = m_dir + L"\\Vorn_305q.dll";
        m_simulator = m_dir + L"\\" VORN_SIM_MODULE_NAME;
        EXPECT_TRUE(CopyFileW(WindowsPath(VORN_CONTROL_DLL).c_str(), m_control.c_str(), FALSE));
        DeleteFileW(m_simulator.c_str());
        if (withSimulator) {
            EXPECT_TRUE(CopyFileW(WindowsPath(VORN_SIM_DLL).c_str(), m_simulator.c_str(), FALSE));
        }
        EXPECT_EQ(GetFileAttributesW(m_simulator.c_str()) != INVALID_FILE_ATTRIBUTES,
                  withSimulator);
    }
    // A loaded simulator stays for the process: only what can go is removed.
    ~Copies() {
        DeleteFileW(m_control.c_str());
        DeleteFileW(m_simulator.c_str());
        RemoveDirectoryW(m_dir.c_str());
    }
    const std::wstring& Control() const { return m_control; }
    const std::wstring& Simulator() const { return m_simulator; }

private:
    std::wstring m_dir, m_control, m_simulator;
};

// A loaded copy of the control and one control object made by its factory.
class LoadedControl {
public:
    explicit LoadedControl(const std::wstring& path) : m_module(LoadLibraryW(path.c_str())) {
        EXPECT_NE(m_module, nullptr) << "cannot load the control copy";
        if (m_module == nullptr) return;
        const auto getClassObject =
            reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
                reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
        CComRef<IClassFactory> factory;
        EXPECT_EQ(getClassObject(kCtrl, IID_IClassFactory, factory.PutVoid()), S_OK);
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, m_control.PutVoid()), S_OK);
        }
    }
    ~LoadedControl() {
        m_control.Reset();
        if (m_module != nullptr) FreeLibrary(m_module);
    }
    LoadedControl(const LoadedControl&) = delete;
    LoadedControl& operator=(const LoadedControl&) = delete;

    long Call(const wchar_t* name, comtest::Args&& args) {
        if (!m_control) return -1000;
        LPOLESTR text = const_cast<LPOLESTR>(name);
        DISPID id = 0;
        EXPECT_EQ(m_control->GetIDsOfNames(IID_NULL, &text, 1, 0, &id), S_OK);
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(comtest::Call(m_control.Get(), id, args, &result), S_OK);
        const long value = V_VT(&result) == VT_I2 ? V_I2(&result) : V_I4(&result);
        VariantClear(&result);
        return value;
    }
    long CardCount() { return Call(L"GetCardCount", comtest::Args{}); }
    // The answer of InitCard on card 0 and the card messages it gave.
    std::pair<long, std::string> FirstCardOpen() {
        DeleteFileW(MessageLog().c_str());
        const long answer = Call(L"InitCard", comtest::Args{comtest::I2(0)});
        Call(L"CloseCard", comtest::Args{});
        const std::string messages = ReadFile(MessageLog());
        DeleteFileW(MessageLog().c_str());
        return {answer, messages};
    }
    // Card messages go there: a message box would block.
    static const std::wstring& MessageLog() {
        static const std::wstring path = [] {
            wchar_t temp[MAX_PATH] = {};
            GetTempPathW(MAX_PATH, temp);
            return std::wstring(temp) + L"vorn-sim-module-messages.log";
        }();
        return path;
    }

private:
    HMODULE m_module;
    CComRef<IDispatch> m_control;
};

void SetSimulatorVariable(const char* value) {
    _putenv_s("VORN305Q_SIMULATOR", value);  // "" removes it
    _putenv_s("VORN305Q_SIM_TRACE", "");
}

class SimulatorModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        comtest::Watchdog::Install(30000);
        AddVectoredExceptionHandler(1, CatchDebugText);
        SetEnvironmentVariableW(L"VORN305Q_MSGBOX_LOG", LoadedControl::MessageLog().c_str());
    }
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(m_apartment.hr));
        g_debugLines.clear();
    }
    comtest::Apartment m_apartment;
};

TEST_F(SimulatorModuleTest, ControlAloneWithTheVariableServesNoCardAndSaysWhyOnce) {
    Copies alone("alone", false);
    SetSimulatorVariable("2");
    std::pair<long, std::string> opened;
    {
        LoadedControl control(alone.Control());
        EXPECT_EQ(control.CardCount(), 0);
        EXPECT_EQ(control.CardCount(), 0);
        opened = control.FirstCardOpen();
        EXPECT_NE(opened.first, 0) << "a card was opened without a service";
        EXPECT_FALSE(opened.second.empty()) << "no card message";
    }
    EXPECT_EQ(LinesNaming(g_debugLines, "Vorn_305q_sim.dll"), 1u);
    EXPECT_EQ(LinesNaming(g_debugLines, "VORN305Q_SIMULATOR"), 1u);

    // The same answers and messages as a control that found no service at all.
    Copies none("none", false);
    SetSimulatorVariable("");
    g_debugLines.clear();
    LoadedControl control(none.Control());
    EXPECT_EQ(control.CardCount(), 0);
    EXPECT_EQ(control.FirstCardOpen(), opened);
    EXPECT_EQ(LinesNaming(g_debugLines, "Vorn_305q_sim.dll"), 0u);
}

TEST_F(SimulatorModuleTest, ControlBesideTheSimulatorServesTheCardsTheVariableAsksFor) {
    Copies beside("beside", true);
    SetSimulatorVariable("3");
    LoadedControl control(beside.Control());
    EXPECT_EQ(control.CardCount(), 3);
    EXPECT_NE(GetModuleHandleW(beside.Simulator().c_str()), nullptr);
    EXPECT_EQ(LinesNaming(g_debugLines, "Vorn_305q_sim.dll"), 0u);

    // Its cards are claimed by name, as other programs see them (slot 2: no other test's).
    const auto OpenCard2 = [&] {
        const long answer = control.Call(L"InitCard", comtest::Args{comtest::I2(2)});
        control.Call(L"CloseCard", comtest::Args{});
        return answer;
    };
    const HANDLE otherProgram = CreateMutexA(nullptr, FALSE, "Local\\vorn305q-sim-card-1-2-0");
    ASSERT_NE(otherProgram, nullptr);
    EXPECT_NE(OpenCard2(), 0) << "a card held by another program was opened";
    CloseHandle(otherProgram);
    EXPECT_EQ(OpenCard2(), 0);
}

TEST_F(SimulatorModuleTest, WithoutTheVariableTheSimulatorIsNeverLoaded) {
    Copies unused("unused", true);
    SetSimulatorVariable("");
    {
        LoadedControl control(unused.Control());
        EXPECT_EQ(control.CardCount(), 0);
        EXPECT_NE(control.FirstCardOpen().first, 0);
        // Set only now: the choice was made with the first object and stands.
        SetSimulatorVariable("1");
        LoadedControl again(unused.Control());
        EXPECT_EQ(again.CardCount(), 0);
    }
    EXPECT_EQ(GetModuleHandleW(unused.Simulator().c_str()), nullptr);
}

// The export alone, as any host would use it.
TEST_F(SimulatorModuleTest, TheExportConfiguresOnceFromTheEnvironment) {
    Copies module("export", true);
    SetSimulatorVariable("");
    const HMODULE simulator = LoadLibraryW(module.Simulator().c_str());
    ASSERT_NE(simulator, nullptr);
    const auto entry = reinterpret_cast<VornSimBackendFunc>(
        reinterpret_cast<void*>(GetProcAddress(simulator, kVornSimBackendEntry)));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(), nullptr) << "configured without the variable";
    SetSimulatorVariable("1");
    const WdBackend* backend = entry();
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(entry(), backend);
    const HANDLE device = backend->open();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    WdVersion version = {};
    uint32_t status = WD_STATUS_NO_ANSWER;
    backend->ioctl(device, WD_IOCTL_VERSION, &version, sizeof(version), &status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(version.version, 602u);
    backend->close(device);
    FreeLibrary(simulator);
}

}  // namespace
