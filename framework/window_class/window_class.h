// Window classes of a module, registered once per process under one lock. A class is
// never unregistered while the module is loaded: windows of it may live on other
// threads (apartments), and unregistering behind them fails or races a registration.
// A DLL removes its classes when it unloads (UnregisterModuleWindowClasses), so a later
// load never finds a class whose procedure points into the unloaded image.
#pragma once

#include <windows.h>

// The module that holds this code (the DLL, or the program the code is linked into).
HINSTANCE CodeModuleHandle();

// Registers the class described by wc (lpszClassName and lpfnWndProc required; a null
// hInstance means CodeModuleHandle()) unless this process already has it. Safe from any
// thread. False when the registration fails; the error is in GetLastError().
bool RegisterWindowClassOnce(const WNDCLASSEXW& wc);

// Unregisters every class registered through RegisterWindowClassOnce. Only at module
// unload, when no window of the module can exist any more.
void UnregisterModuleWindowClasses();
