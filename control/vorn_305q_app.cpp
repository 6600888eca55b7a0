#include "vorn_305q_app.h"

#include <olectl.h>

#include "class_factory.h"
#include "interrupt_thread.h"
#include "registration.h"
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

}  // namespace

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
