// Entry points of Vorn_305q.dll. DllMain only records the module handle: no COM or
// registry work may run under the loader lock.
#include <windows.h>
#include <olectl.h>

#include "vorn_305q_app.h"
#include "window_class.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);
            return theApp.Attach(instance);
        case DLL_PROCESS_DETACH:
            theApp.Detach();
            // On FreeLibrary (not at process exit) no window of ours exists any more;
            // a later load must not find classes pointing into this image.
            if (reserved == nullptr) UnregisterModuleWindowClasses();
            break;
        default:
            break;
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return theApp.CanUnloadNow() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    return GuardedCall([&] { return theApp.GetClassObject(clsid, riid, ppv); });
}

STDAPI DllRegisterServer() {
    return GuardedCall([] { return theApp.RegisterServer(); });
}

STDAPI DllUnregisterServer() {
    return GuardedCall([] { return theApp.UnregisterServer(); });
}
