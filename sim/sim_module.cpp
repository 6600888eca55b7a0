// The export of Vorn_305q_sim.dll.
#include <mutex>

#include "sim_module.h"
#include "sim_service.h"

const WdBackend* __cdecl VornSimBackend() {
    static std::mutex lock;
    static bool configured = false;
    const std::lock_guard<std::mutex> guard(lock);
    if (!configured) {
        configured = vornsim::ConfigureFromEnvironment();
    }
    return configured ? vornsim::Backend() : nullptr;
}
