// The module object of an in-process server: the module handle saved at load time and
// the counts that decide whether the module may be unloaded.
#pragma once

#include <windows.h>

class COleControlModule {
public:
    COleControlModule();
    virtual ~COleControlModule();
    COleControlModule(const COleControlModule&) = delete;
    COleControlModule& operator=(const COleControlModule&) = delete;

    // Called from DllMain: saves the handle, then InitInstance. No COM or registry work
    // may happen here (the loader lock is held).
    BOOL Attach(HINSTANCE instance);
    void Detach();

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The module whose resources (strings, dialogs, bitmaps, type library) belong to
    // the objects. A program that links the objects statically sets its own handle.
    static HINSTANCE Instance();
    static void SetInstance(HINSTANCE instance);

    // Live COM objects of the module (controls, pages, factories, enumerators).
    static void ObjectCreated();
    static void ObjectDestroyed();
    static long Objects();
    // IClassFactory::LockServer.
    static void Lock();
    static void Unlock();
    static long Locks();

    // True when no object and no lock remains; servers add their own conditions.
    virtual bool CanUnloadNow() const;
};

// Full path of a module; false when it fails or does not fit.
bool GetModulePath(HINSTANCE module, wchar_t* path, DWORD capacity);

// Runs f, turning any C++ exception into an HRESULT: no exception may leave a COM
// entry point.
template <typename F>
HRESULT GuardedCall(F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return E_UNEXPECTED;
    }
}
