#include "vorn_305q_app.h"

#include <olectl.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "class_factory.h"
#include "interrupt_thread.h"
#include "registration.h"
#include "sim_module.h"
#include "vorn_305q_ctrl.h"
#include "vorn_305q_ids.h"
#include "vorn_305q_ppg.h"
#include "vorn_dialog.h"

CVorn_305qApp theApp;

namespace {

struct FactoryEntry {
    const CLSID* clsid;
    const wchar_t* name;
    CClassFactory::CreateFunc create;
    HRESULT (*updateRegistry)(bool registering);
};

const FactoryEntry kFactories[] = {
    {&CLSID_Vorn_305q, kVorn305qCtrlProgId, &CVorn_305qCtrl::CreateInstance,
     &CVorn_305qCtrl::UpdateRegistry},
    {&CLSID_Vorn_305qPropPage, kVorn305qPropPageName, &CVorn_305qPropPage::CreateInstance,
     &CVorn_305qPropPage::UpdateRegistry},
};

// What a machine without the kernel service answers: no device.
HANDLE AbsentOpen() { return INVALID_HANDLE_VALUE; }
void AbsentIoctl(HANDLE, uint32_t, void*, uint32_t, uint32_t*) {}
void AbsentClose(HANDLE) {}
const WdBackend kAbsentService = {AbsentOpen, AbsentIoctl, AbsentClose};

// Says once why no card will be served, then serves none.
const WdBackend* NoService(const std::wstring& why) {
    OutputDebugStringW(
        (L"Vorn_305q: VORN305Q_SIMULATOR is set but " + why + L": no card is served\n").c_str());
    return &kAbsentService;
}

// The simulator module beside this one, or the absent service when it cannot be had:
// asked for the simulator, the control never falls back to a real card.
const WdBackend* SimulatorBackend() {
    std::wstring path(32768, L'\0');
    if (!GetModulePath(COleControlModule::Instance(), &path[0], static_cast<DWORD>(path.size()))) {
        return NoService(L"the control's own folder is not known");
    }
    path.resize(path.find_last_of(L"\\/") + 1);
    path += VORN_SIM_MODULE_NAME;
    // Pinned: the backend table and the handles it gives out live in that module.
    const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    HMODULE pinned = nullptr;
    if (module == nullptr ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, path.c_str(), &pinned)) {
        return NoService(L"the simulator " + path + L" cannot be loaded");
    }
    const auto entry = reinterpret_cast<VornSimBackendFunc>(
        reinterpret_cast<void*>(GetProcAddress(module, kVornSimBackendEntry)));
    const WdBackend* backend = entry != nullptr ? entry() : nullptr;
    return backend != nullptr ? backend
                              : NoService(path + L" does not provide the simulated service");
}

}  // namespace

// The simulator is chosen by VORN305Q_SIMULATOR alone and never loaded without it. Not
// from DllMain: loading a module under the loader lock is not allowed. A backend that
// the hosting program installed itself stays.
void CVorn_305qApp::ChooseBackend() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::getenv("VORN305Q_SIMULATOR") == nullptr || WD_GetBackend() != WD_RealBackend()) {
            return;
        }
        WD_SetBackend(SimulatorBackend());
    });
}

BOOL CVorn_305qApp::InitInstance() { return COleControlModule::InitInstance(); }

int CVorn_305qApp::ExitInstance() { return COleControlModule::ExitInstance(); }

bool CVorn_305qApp::CanUnloadNow() const {
    return COleControlModule::CanUnloadNow() && CVorn_305qCtrl::OpenCards() == 0 &&
           InterruptThreadsAlive() == 0 && CVornDialog::LiveWindows() == 0 &&
           !CVorn_305qCtrl::TypeLibCache().Loaded();
}

HRESULT CVorn_305qApp::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    ChooseBackend();
    for (const FactoryEntry& factory : kFactories) {
        if (IsEqualCLSID(clsid, *factory.clsid)) {
            return CClassFactory::Create(factory.create, riid, ppv);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CVorn_305qApp::UpdateRegistryAll(bool registering) {
    HRESULT first = S_OK;
    for (const FactoryEntry& factory : kFactories) {
        // Unregistration goes on past a failure, so nothing is left behind needlessly.
        const HRESULT hr = factory.updateRegistry(registering);
        if (FAILED(hr)) {
            if (registering) return hr;
            if (SUCCEEDED(first)) first = hr;
        }
    }
    return first;
}

HRESULT CVorn_305qApp::RegisterServer() {
    if (FAILED(RegisterModuleTypeLib(Instance()))) return SELFREG_E_TYPELIB;
    if (FAILED(UpdateRegistryAll(true))) return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT CVorn_305qApp::UnregisterServer() {
    // The class keys go even when the library cannot be unregistered.
    const HRESULT typeLib = UnregisterModuleTypeLib(Instance());
    const HRESULT classes = UpdateRegistryAll(false);
    if (FAILED(typeLib)) return SELFREG_E_TYPELIB;
    if (FAILED(classes)) return SELFREG_E_CLASS;
    return S_OK;
}
