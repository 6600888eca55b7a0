#include "ole_module.h"

namespace {

HINSTANCE g_instance = nullptr;
volatile LONG g_objects = 0;
volatile LONG g_locks = 0;

}  // namespace

COleControlModule::COleControlModule() = default;
COleControlModule::~COleControlModule() = default;

BOOL COleControlModule::Attach(HINSTANCE instance) {
    g_instance = instance;
    return InitInstance();
}

void COleControlModule::Detach() { ExitInstance(); }

BOOL COleControlModule::InitInstance() { return TRUE; }

int COleControlModule::ExitInstance() { return 0; }

HINSTANCE COleControlModule::Instance() { return g_instance; }

void COleControlModule::SetInstance(HINSTANCE instance) { g_instance = instance; }

void COleControlModule::ObjectCreated() { InterlockedIncrement(&g_objects); }

void COleControlModule::ObjectDestroyed() { InterlockedDecrement(&g_objects); }

long COleControlModule::Objects() { return InterlockedCompareExchange(&g_objects, 0, 0); }

void COleControlModule::Lock() { InterlockedIncrement(&g_locks); }

void COleControlModule::Unlock() { InterlockedDecrement(&g_locks); }

long COleControlModule::Locks() { return InterlockedCompareExchange(&g_locks, 0, 0); }

bool COleControlModule::CanUnloadNow() const { return Objects() == 0 && Locks() == 0; }

bool GetModulePath(HINSTANCE module, wchar_t* path, DWORD capacity) {
    if (capacity == 0) return false;
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetModuleFileNameW(module, path, capacity);
    // A full buffer means the path was cut (the terminator may be missing, too).
    return length != 0 && length < capacity && GetLastError() != ERROR_INSUFFICIENT_BUFFER;
}
