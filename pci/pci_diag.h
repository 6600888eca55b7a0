// PCI diagnostics on the process's standard input and output: bus scan with the
// resources of each card, card choice and a configuration-register editor; and the
// sender of debug messages to the kernel service's log.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "wd_records.h"

void PCI_PrintCardInfo(uint32_t bus, uint32_t slot, uint32_t function);
// One line per resource item, each starting with the prefix.
void WD_PrintItems(const WdCardResources* card, const char* prefix);
void PCI_BusScan();
// Configuration accesses of 1 to 4 bytes. A refused or failed read returns 0; a refused
// write returns 0x2000001B.
uint32_t PCI_ReadConfigReg(HANDLE hWD, uint32_t bus, uint32_t slot, uint32_t function,
                           uint32_t offset, uint32_t bytes);
uint32_t PCI_WriteConfigReg(HANDLE hWD, uint32_t bus, uint32_t slot, uint32_t function,
                            uint32_t offset, uint32_t bytes, uint32_t value);
void PCI_EditConfigRegs(uint32_t bus, uint32_t slot, uint32_t function);
// Returns 1 with the chosen card's location in *slot, 0 when the user gave up.
int PCI_ChooseCard(WdPciSlot* slot);

// Formats at most 255 characters into the service's log, with two values beside them.
void WD_DebugMessage(uint32_t value1, uint32_t value2, const char* format, ...)
    __attribute__((format(__MINGW_PRINTF_FORMAT, 3, 4)));
