// Debug messages into the kernel service's log.
#include <cstdarg>
#include <cstdio>

#include "pci_diag.h"
#include "wd_client.h"

void WD_DebugMessage(uint32_t value1, uint32_t value2, const char* format, ...) {
    const HANDLE hWD = WD_OpenDevice();
    if (hWD == INVALID_HANDLE_VALUE) return;
    WdDebugAdd debug{};
    va_list args;
    va_start(args, format);
    vsnprintf(debug.text, sizeof(debug.text), format, args);
    va_end(args);
    // Some runtimes leave a truncated text unterminated.
    debug.text[sizeof(debug.text) - 1] = '\0';
    debug.value1 = value1;
    debug.value2 = value2;
    WD_DeviceIoControl(WD_IOCTL_DEBUG_ADD, hWD, &debug, sizeof(debug), 0);
    WD_CloseDevice(hWD);
}
