#include "wd_backend.h"

#include <atomic>

namespace {

HANDLE RealOpen() {
    return CreateFileA("\\\\.\\PCISVC6", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

// The service reads and writes the record in place; the status is its only output.
// A call that fails leaves the status as the caller preset it.
void RealIoctl(HANDLE device, uint32_t code, void* record, uint32_t recordBytes, uint32_t* status) {
    DWORD returned = 0;
    DeviceIoControl(device, code, record, recordBytes, status, sizeof(*status), &returned, nullptr);
}

void RealClose(HANDLE device) { CloseHandle(device); }

const WdBackend kRealBackend = {RealOpen, RealIoctl, RealClose};

std::atomic<const WdBackend*> g_backend{nullptr};

}  // namespace

const WdBackend* WD_RealBackend() { return &kRealBackend; }

void WD_SetBackend(const WdBackend* backend) {
    g_backend.store(backend, std::memory_order_release);
}

const WdBackend* WD_GetBackend() {
    const WdBackend* backend = g_backend.load(std::memory_order_acquire);
    return backend ? backend : &kRealBackend;
}
