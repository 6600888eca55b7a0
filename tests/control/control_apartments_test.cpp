// Two single-threaded apartments that create the control through COM and activate it in
// place at the same time: every activation must succeed, however the two threads'
// window creations and destructions interleave.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "com_ptr.h"
#include "com_test_support.h"
#include "ole_control_site.h"
#include "ole_module.h"
#include "vorn_305q_app.h"
#include "vorn_305q_ids.h"

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { comtest::Watchdog::Install(150000); }
} g_watchdog;

constexpr wchar_t kParentClass[] = L"VornApartmentTestParent";
constexpr int kRounds = 300;

struct Outcome {
    HRESULT setup = E_FAIL;  // apartment, class object and parent window
    int failures = 0;
    HRESULT firstFailure = S_OK;
    int windowless = 0;  // activations that left no control window
    int stray = 0;       // rounds after which a control window survived its close
};

// One apartment: the control's class object registered for it, a message-only parent,
// then create, activate in place and close, round after round.
void RunApartment(Outcome& outcome, std::atomic<int>& ready) {
    const comtest::Apartment apartment;
    if (FAILED(apartment.hr)) {
        outcome.setup = apartment.hr;
        return;
    }
    CComRef<IClassFactory> factory;
    outcome.setup = theApp.GetClassObject(CLSID_Vorn_305q, IID_IClassFactory, factory.PutVoid());
    if (FAILED(outcome.setup)) return;
    DWORD cookie = 0;
    outcome.setup = CoRegisterClassObject(CLSID_Vorn_305q, factory.Get(), CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &cookie);
    if (FAILED(outcome.setup)) return;
    const HWND parent = CreateWindowExW(0, kParentClass, L"", 0, 0, 0, 200, 100, HWND_MESSAGE,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    if (parent == nullptr) {
        outcome.setup = HRESULT_FROM_WIN32(GetLastError());
    } else {
        // Both threads start together so that their rounds overlap.
        ready.fetch_add(1);
        while (ready.load() < 2) Sleep(0);
        for (int round = 0; round < kRounds; ++round) {
            COleControlSite* site = nullptr;
            const HRESULT hr = COleControlSite::Create(CLSID_Vorn_305q, L"", WS_CHILD | WS_VISIBLE,
                                                       RECT{10, 10, 50, 35}, parent, 1003, &site);
            if (FAILED(hr)) {
                if (outcome.failures++ == 0) outcome.firstFailure = hr;
                continue;
            }
            if (site->ControlWindow() == nullptr || !IsWindow(site->ControlWindow())) {
                ++outcome.windowless;
            }
            site->Close();
            site->Release();
            if (GetWindow(parent, GW_CHILD) != nullptr) ++outcome.stray;
        }
        DestroyWindow(parent);
        outcome.setup = S_OK;
    }
    CoRevokeClassObject(cookie);
}

TEST(ControlApartments, TwoApartmentsActivateControlsInPlaceAtOnce) {
    COleControlModule::SetInstance(GetModuleHandleW(nullptr));  // resources of this program
    WNDCLASSEXW parentClass = {};
    parentClass.cbSize = sizeof(parentClass);
    parentClass.lpfnWndProc = DefWindowProcW;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.lpszClassName = kParentClass;
    ASSERT_NE(RegisterClassExW(&parentClass), 0);

    std::array<Outcome, 2> outcomes;
    std::atomic<int> ready{0};
    {
        std::thread first(RunApartment, std::ref(outcomes[0]), std::ref(ready));
        std::thread second(RunApartment, std::ref(outcomes[1]), std::ref(ready));
        first.join();
        second.join();
    }
    for (const Outcome& outcome : outcomes) {
        EXPECT_EQ(outcome.setup, S_OK);
        EXPECT_EQ(outcome.failures, 0) << "first failure 0x" << std::hex << outcome.firstFailure;
        EXPECT_EQ(outcome.windowless, 0);
        EXPECT_EQ(outcome.stray, 0);
    }
    EXPECT_EQ(COleControlModule::Objects(), 0) << "an object leaked";
    EXPECT_TRUE(UnregisterClassW(kParentClass, GetModuleHandleW(nullptr)));
}

}  // namespace
