// The service as the backend of a program that links it with the bridge library: the
// composition root of the test and bench programs.
#include "sim_service.h"

namespace vornsim {

void Install(const Profile& profile) {
    Configure(profile);
    WD_SetBackend(Backend());
}

bool InstallFromEnvironment() {
    if (!ConfigureFromEnvironment()) {
        return false;
    }
    WD_SetBackend(Backend());
    return true;
}

void Uninstall() { WD_SetBackend(nullptr); }

}  // namespace vornsim
