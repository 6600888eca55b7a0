#include "wd_client.h"

#include <cstdio>

#include "wd_backend.h"

uint32_t WD_DeviceIoControl(uint32_t code, HANDLE hWD, void* record, uint32_t recordBytes,
                            int openPerCall) {
    // One backend for the whole call, so the handle is closed where it was opened.
    const WdBackend* backend = WD_GetBackend();
    const HANDLE device = openPerCall ? backend->open() : hWD;
    uint32_t status = WD_STATUS_NO_ANSWER;
    if (device == INVALID_HANDLE_VALUE) {
        return status;
    }
    backend->ioctl(device, code, record, recordBytes, &status);
    if (openPerCall) {
        backend->close(device);
    }
    return status;
}

HANDLE WD_OpenDevice() { return WD_GetBackend()->open(); }

void WD_CloseDevice(HANDLE hWD) {
    if (hWD != INVALID_HANDLE_VALUE && hWD != nullptr) {
        WD_GetBackend()->close(hWD);
    }
}

int WD_OpenAndCheckVersion(HANDLE* hWD) {
    *hWD = INVALID_HANDLE_VALUE;
    *hWD = WD_OpenDevice();
    if (*hWD == INVALID_HANDLE_VALUE) {
        std::printf("Failed opening PCI service device\n");
        std::fflush(stdout);
        return 0;
    }
    WdVersion version{};
    const uint32_t status =
        WD_DeviceIoControl(WD_IOCTL_VERSION, *hWD, &version, sizeof(version), 0);
    if (status != WD_STATUS_SUCCESS) {
        std::printf("WD_Version() failed (0x%x) - %s\n", status, WD_StatusText(status));
    } else if (version.version < WD_VERSION_REQUIRED) {
        std::printf("Incorrect PCI service version. expected %d.%02d, got %u.%02u\n", 6, 2,
                    version.version / 100, version.version % 100);
    } else {
        return 1;
    }
    std::fflush(stdout);
    WD_CloseDevice(*hWD);
    *hWD = INVALID_HANDLE_VALUE;
    return 0;
}
