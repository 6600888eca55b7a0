// Small operating-system helpers of the PCI access layer.
#pragma once

#include <windows.h>

#include <cstdint>

// An unnamed auto-reset event, not signalled. Returns 0, or 0x20000005 (*event null).
uint32_t OsEventCreate(HANDLE* event);
void OsEventClose(HANDLE event);
// Returns 0 when signalled, 0x20000015 on time-out, 0x20000007 on any other result.
uint32_t OsEventWait(HANDLE event, uint32_t seconds);
uint32_t OsEventSignal(HANDLE event);

// 1 unknown; 2 and 3 the Windows 9x line (3 from Windows 98 on); 4 Windows NT 4.0 and
// earlier; 5 Windows 2000 and later. Computed once per process.
int GetOsVersionClass();

// In place: backslashes to slashes (toSlash nonzero) or slashes to backslashes.
void ConvertPathSeparators(char* text, int toSlash);
// Frees the block *pointer points to and clears the variable.
void FreeIndirect(void** pointer);
