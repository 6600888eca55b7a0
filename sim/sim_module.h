// The simulated service as a module of its own, Vorn_305q_sim.dll. A host that wants it in
// place of the real device loads it and installs the table its one export returns as the
// backend of its own bridge library:
//
//   const auto entry = reinterpret_cast<VornSimBackendFunc>(
//       GetProcAddress(module, kVornSimBackendEntry));
//   if (const WdBackend* backend = entry()) WD_SetBackend(backend);
//
// The module must stay loaded while the table or a handle it gave out is in use.
#pragma once

#include "wd_backend.h"

#define VORN_SIM_MODULE_NAME L"Vorn_305q_sim.dll"

// Configures the service from the environment (VORN305Q_SIMULATOR, VORN305Q_SIM_VERSION,
// VORN305Q_SIM_TRACE; see sim_service.h) on the first call that finds VORN305Q_SIMULATOR
// set and returns its backend; later calls return the same table, unchanged. Null, with
// nothing configured, while the variable is not set.
extern "C" const WdBackend* __cdecl VornSimBackend();
using VornSimBackendFunc = const WdBackend*(__cdecl*)();
constexpr char kVornSimBackendEntry[] = "VornSimBackend";
