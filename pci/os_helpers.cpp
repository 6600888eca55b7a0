#include "os_helpers.h"

#include <cstdlib>

#include "wd_records.h"

namespace {

// The longest wait that is still finite.
constexpr uint64_t kMaxWaitMs = 0xFFFFFFFE;

int ComputeOsVersionClass() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) return 1;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return info.dwMajorVersion > 4 ? 5 : 4;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        return (info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 0))
                   ? 3
                   : 2;
    }
    return 1;
}

}  // namespace

uint32_t OsEventCreate(HANDLE* event) {
    *event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return *event ? WD_STATUS_SUCCESS : WD_INSUFFICIENT_RESOURCES;
}

void OsEventClose(HANDLE event) {
    if (event) CloseHandle(event);
}

uint32_t OsEventWait(HANDLE event, uint32_t seconds) {
    const uint64_t ms = static_cast<uint64_t>(seconds) * 1000;
    switch (WaitForSingleObject(event, static_cast<DWORD>(ms < kMaxWaitMs ? ms : kMaxWaitMs))) {
        case WAIT_OBJECT_0:
            return WD_STATUS_SUCCESS;
        case WAIT_TIMEOUT:
            return WD_TIME_OUT_EXPIRED;
        default:
            return WD_SYSTEM_INTERNAL_ERROR;
    }
}

uint32_t OsEventSignal(HANDLE event) {
    return SetEvent(event) ? WD_STATUS_SUCCESS : WD_SYSTEM_INTERNAL_ERROR;
}

int GetOsVersionClass() {
    static const int versionClass = ComputeOsVersionClass();
    return versionClass;
}

void ConvertPathSeparators(char* text, int toSlash) {
    if (!text) return;
    const char from = toSlash ? '\\' : '/';
    const char to = toSlash ? '/' : '\\';
    for (char* p = text; *p; ++p) {
        if (*p == from) *p = to;
    }
}

void FreeIndirect(void** pointer) {
    if (!pointer) return;
    free(*pointer);
    *pointer = nullptr;
}
