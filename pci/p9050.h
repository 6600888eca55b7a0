// PLX 9050 bridge library: cards, register and address-space access, interrupts,
// serial EEPROM. Message buffers receive at most one line of under 140 characters.
#pragma once

#include <windows.h>

#include <cstdint>

#include "p9050_registers.h"
#include "wd_records.h"

struct IntThreadRec;

struct P9050AddrSpace {
    uint32_t localBase;  // last value written to the space's local base register
    uint32_t mask;       // bytes - 1
    uint32_t bytes;
    uint32_t busAddr;            // port or transfer address; nonzero marks the space present
    volatile uint8_t* userAddr;  // memory window in this process, null for I/O
    uint32_t isMemory;
};

enum : uint32_t {
    P9050_ADDR_SPACES = 7,
    P9050_INT_CMDS = 9,
    P9050_REG_LOCAL_BASE0 = bridge::kLocalBase0,  // local base of space s is at s * 4 + 12
    P9050_REG_INTCSR = bridge::kIntcsr,
    P9050_REG_CNTRL = bridge::kCntrl,
    P9050_INTCSR_ENABLE = bridge::kIntcsrEnable,  // local interrupt 1 and PCI interrupt enabled
    P9050_INTCSR_PCI_ENABLE = bridge::kIntcsrPciEnable,
};

struct P9050IntResult {
    uint32_t counter;
    uint32_t lost;
    uint32_t stopState;
    uint32_t intCsrValue;
};

struct P9050Handle;
typedef void(__stdcall* P9050IntHandler)(P9050Handle* handle, P9050IntResult* result);

struct P9050Handle {
    HANDLE hWD;
    WdPciSlot pciSlot;
    WdCardRegistration cardReg;
    P9050AddrSpace addrSpaces[P9050_ADDR_SPACES];
    WdInterruptDesc intDesc;
    IntThreadRec* intThread;
    WdTransferCmd intCmds[P9050_INT_CMDS];
    P9050IntHandler pfnIntHandler;
    HWND hNotifyWnd;    // context for the handler, written by the card object
    void* pCardObject;  // context for the handler, written by the card object
};

// Cards and handle.
uint32_t P9050_CountCards(uint32_t vendorId, uint32_t deviceId, char* msg);
int P9050_Open(P9050Handle** phPlx, uint32_t vendorId, uint32_t deviceId, uint32_t cardIndex,
               uint32_t options, char* msg);
void P9050_Close(P9050Handle* hPlx);
void P9050_GetPciSlot(P9050Handle* hPlx, WdPciSlot* slot);
uint32_t P9050_ReadPciConfig32(P9050Handle* hPlx, uint32_t offset);
uint32_t P9050_WritePciConfig32(P9050Handle* hPlx, uint32_t offset, uint32_t value);
int P9050_DetectCardElements(P9050Handle* hPlx);
int P9050_IsAddrSpaceActive(P9050Handle* hPlx, uint32_t space);

// Raw access inside one address space.
uint8_t P9050_ReadByte(P9050Handle* hPlx, uint32_t space, uint32_t offset);
void P9050_WriteByte(P9050Handle* hPlx, uint32_t space, uint32_t offset, uint8_t value);
uint16_t P9050_ReadWord(P9050Handle* hPlx, uint32_t space, uint32_t offset);
void P9050_WriteWord(P9050Handle* hPlx, uint32_t space, uint32_t offset, uint16_t value);
uint32_t P9050_ReadDword(P9050Handle* hPlx, uint32_t space, uint32_t offset);
void P9050_WriteDword(P9050Handle* hPlx, uint32_t space, uint32_t offset, uint32_t value);

// Bridge registers (address space 0).
uint32_t P9050_ReadReg(P9050Handle* hPlx, uint32_t reg);
void P9050_WriteReg(P9050Handle* hPlx, uint32_t reg, uint32_t value);

// Local-address access: point the local base at the address, then access inside the window.
void P9050_SetLocalBase(P9050Handle* hPlx, uint32_t space, uint32_t localAddr);
uint8_t P9050_ReadSpaceByte(P9050Handle* hPlx, uint32_t space, uint32_t localAddr);
void P9050_WriteSpaceByte(P9050Handle* hPlx, uint32_t space, uint32_t localAddr, uint8_t value);
uint16_t P9050_ReadSpaceWord(P9050Handle* hPlx, uint32_t space, uint32_t localAddr);
void P9050_WriteSpaceWord(P9050Handle* hPlx, uint32_t space, uint32_t localAddr, uint16_t value);
uint32_t P9050_ReadSpaceDword(P9050Handle* hPlx, uint32_t space, uint32_t localAddr);
void P9050_WriteSpaceDword(P9050Handle* hPlx, uint32_t space, uint32_t localAddr, uint32_t value);

// Block transfers; mode 0 bytes, 1 words, any other value dwords. Return the status.
uint32_t P9050_ReadWriteBlock(P9050Handle* hPlx, uint32_t offset, void* buffer, uint32_t bytes,
                              int isRead, uint32_t space, uint32_t mode);
uint32_t P9050_ReadBlock(P9050Handle* hPlx, uint32_t offset, void* buffer, uint32_t bytes,
                         uint32_t space, uint32_t mode);
uint32_t P9050_WriteBlock(P9050Handle* hPlx, uint32_t offset, void* buffer, uint32_t bytes,
                          uint32_t space, uint32_t mode);
uint32_t P9050_ReadWriteSpaceBlock(P9050Handle* hPlx, uint32_t localAddr, void* buffer,
                                   uint32_t bytes, int isRead, uint32_t space, uint32_t mode);
uint32_t P9050_ReadSpaceBlock(P9050Handle* hPlx, uint32_t localAddr, void* buffer, uint32_t bytes,
                              uint32_t space, uint32_t mode);
uint32_t P9050_WriteSpaceBlock(P9050Handle* hPlx, uint32_t localAddr, void* buffer, uint32_t bytes,
                               uint32_t space, uint32_t mode);

// Interrupts.
int P9050_IntIsEnabled(P9050Handle* hPlx);
int P9050_IntEnable(P9050Handle* hPlx, P9050IntHandler handler, char* msg);
void P9050_IntDisable(P9050Handle* hPlx);
void P9050_IntHandlerAdapter(void* data);

// Serial EEPROM behind CNTRL.
uint32_t P9050_Delay(P9050Handle* hPlx);
void P9050_EEPROMChipSelect(P9050Handle* hPlx, int on);
int P9050_EEPROMIsPresent(P9050Handle* hPlx);
void P9050_EEPROMWriteBit(P9050Handle* hPlx, int bit);
int P9050_EEPROMReadBit(P9050Handle* hPlx);
void P9050_EEPROMWriteEnable(P9050Handle* hPlx, int enable);
int P9050_EEPROMReadWord(P9050Handle* hPlx, uint32_t offset, uint16_t* value);
int P9050_EEPROMWriteWord(P9050Handle* hPlx, uint32_t offset, uint16_t value, char* msg);
int P9050_EEPROMReadDword(P9050Handle* hPlx, uint32_t offset, uint32_t* value, char* msg);
int P9050_EEPROMWriteDword(P9050Handle* hPlx, uint32_t offset, uint32_t value, char* msg);
