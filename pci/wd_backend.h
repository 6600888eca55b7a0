// The three operations through which every request reaches the kernel service:
// the real device, or the simulated service standing in for it.
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

// The backend in use. On first use it is the simulated service when the environment
// variable VORN305Q_SIMULATOR is set (its value is the number of simulated cards),
// else the real device "\\.\PCISVC6".
const WdBackend* WD_GetBackend();
// Tests and the simulator install a backend explicitly; null restores the default choice.
void WD_SetBackend(const WdBackend* backend);
// The real device: CreateFileA / DeviceIoControl / CloseHandle.
const WdBackend* WD_RealBackend();
