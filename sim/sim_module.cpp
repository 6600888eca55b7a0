// The export of Vorn_305q_sim.dll.
#include <mutex>

#include "sim_module.h"
#include "sim_service.h"

const WdBackend* __cdecl VornSimBackend() {
    static std::once_flag once;
    static bool configured = false;
    std::call_once(once, [] { configured = vornsim::ConfigureFromEnvironment(); });
    return configured ? vornsim::Backend() : nullptr;
}
