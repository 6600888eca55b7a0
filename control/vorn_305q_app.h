// The module object of the control module: its class factories, self-registration and
// the unload decision.
#pragma once

#include "ole_module.h"

class CVorn_305qApp final : public COleControlModule {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    // False while any object, lock, open card, interrupt thread, relay window or
    // cached type library exists.
    bool CanUnloadNow() const override;

    // The exported entry points.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

private:
    // The composition root of the module: decides once, before the first object exists,
    // what stands behind the bridge library (see the .cpp).
    static void ChooseBackend();
    // Lets every class of the module write (or remove) its registry keys.
    static HRESULT UpdateRegistryAll(bool registering);
};

extern CVorn_305qApp theApp;
