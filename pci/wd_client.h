// Client of the kernel PCI access service.
#pragma once

#include <windows.h>

#include <cstdint>

#include "wd_records.h"

// Sends one request. With openPerCall nonzero, hWD is ignored and a device handle is
// opened for this call alone. Returns the service's status, 0xFFFFFFFF without answer.
uint32_t WD_DeviceIoControl(uint32_t code, HANDLE hWD, void* record, uint32_t recordBytes,
                            int openPerCall);
// Opens the device and checks for version 6.02 or later. Returns 1 with the open
// handle in *hWD (the caller closes it with WD_CloseDevice), or 0 with
// *hWD = INVALID_HANDLE_VALUE; the reason goes to standard output.
int WD_OpenAndCheckVersion(HANDLE* hWD);
// Opens and closes the device through the backend in use.
HANDLE WD_OpenDevice();
void WD_CloseDevice(HANDLE hWD);
// The text of a status; never null.
const char* WD_StatusText(uint32_t status);
