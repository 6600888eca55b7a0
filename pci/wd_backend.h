// The three operations through which every request reaches the kernel service: the real
// device, or whatever the program that hosts this library installs in its place.
#pragma once

#include <windows.h>

#include <cstdint>

struct WdBackend {
    // A fresh device handle, or INVALID_HANDLE_VALUE.
    HANDLE (*open)();
    // Sends one request; writes the service's status into *status when it answers.
    void (*ioctl)(HANDLE device, uint32_t code, void* record, uint32_t recordBytes,
                  uint32_t* status);
    void (*close)(HANDLE device);
};

// The backend installed last, else the real device.
const WdBackend* WD_GetBackend();
// Installs a backend for every later request; null restores the real device.
void WD_SetBackend(const WdBackend* backend);
// The real device "\\.\PCISVC6": CreateFileA / DeviceIoControl / CloseHandle.
const WdBackend* WD_RealBackend();
