// Serial EEPROM of the PLX 9050, driven bit by bit through CNTRL. Every register write
// is followed by a kernel sleep: that sleep is the only clock timing the EEPROM gets.
#include <cstdarg>
#include <cstdio>

#include "p9050.h"
#include "p9050_message.h"
#include "wd_client.h"

namespace {

using bridge::kCntrlClock;
using bridge::kCntrlDataIn;
using bridge::kCntrlDataOutShift;
using bridge::kCntrlPresent;
using bridge::kCntrlSelect;

constexpr uint32_t kDelayMicroseconds = 500;
constexpr int kAddressBits = 6;
constexpr int kDataBits = 16;
// The EEPROM has 64 words; a higher offset would wrap onto the first words.
constexpr uint32_t kLastWordOffset = 126;
constexpr uint32_t kLastDwordOffset = 124;

void WriteCntrl(P9050Handle* hPlx, uint32_t value) {
    P9050_WriteReg(hPlx, P9050_REG_CNTRL, value);
    P9050_Delay(hPlx);
}

void WriteBits(P9050Handle* hPlx, uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) P9050_EEPROMWriteBit(hPlx, (value >> i) & 1);
}

// The command bits after the start bit: write enable 00 11xxxx, write disable 00 00xxxx.
void SendWriteEnableBits(P9050Handle* hPlx, int enable) {
    P9050_EEPROMWriteBit(hPlx, 1);
    P9050_EEPROMWriteBit(hPlx, 0);
    P9050_EEPROMWriteBit(hPlx, 0);
    P9050_EEPROMWriteBit(hPlx, enable ? 1 : 0);
    P9050_EEPROMWriteBit(hPlx, enable ? 1 : 0);
    WriteBits(hPlx, 0, 4);
}

// Refusal text for an access the EEPROM cannot take, or null when it may proceed.
const char* Refusal(P9050Handle* hPlx, uint32_t offset, uint32_t lastOffset) {
    if (offset > lastOffset) return "The offset is out of range\n";
    if (!P9050_EEPROMIsPresent(hPlx)) return "EEPROM not present\n";
    return nullptr;
}

}  // namespace

uint32_t P9050_Delay(P9050Handle* hPlx) {
    WdSleep sleep{kDelayMicroseconds, 0};
    return WD_DeviceIoControl(WD_IOCTL_SLEEP, hPlx->hWD, &sleep, sizeof(sleep), 0);
}

void P9050_EEPROMChipSelect(P9050Handle* hPlx, int on) {
    const uint32_t cntrl = P9050_ReadReg(hPlx, P9050_REG_CNTRL);
    WriteCntrl(hPlx, on ? (cntrl | kCntrlSelect) : (cntrl & ~kCntrlSelect));
}

int P9050_EEPROMIsPresent(P9050Handle* hPlx) {
    return (P9050_ReadReg(hPlx, P9050_REG_CNTRL) & kCntrlPresent) ? 1 : 0;
}

void P9050_EEPROMWriteBit(P9050Handle* hPlx, int bit) {
    uint32_t v = P9050_ReadReg(hPlx, P9050_REG_CNTRL) & ~kCntrlClock;
    v = bit ? (v | kCntrlDataIn) : (v & ~kCntrlDataIn);
    WriteCntrl(hPlx, v);
    WriteCntrl(hPlx, v | kCntrlClock);
    WriteCntrl(hPlx, v);
}

int P9050_EEPROMReadBit(P9050Handle* hPlx) {
    const uint32_t v = P9050_ReadReg(hPlx, P9050_REG_CNTRL) & ~kCntrlClock;
    WriteCntrl(hPlx, v);
    WriteCntrl(hPlx, v | kCntrlClock);
    WriteCntrl(hPlx, v);
    return (P9050_ReadReg(hPlx, P9050_REG_CNTRL) >> kCntrlDataOutShift) & 1;
}

void P9050_EEPROMWriteEnable(P9050Handle* hPlx, int enable) {
    P9050_EEPROMChipSelect(hPlx, 1);
    SendWriteEnableBits(hPlx, enable);
    P9050_EEPROMChipSelect(hPlx, 0);
}

int P9050_EEPROMReadWord(P9050Handle* hPlx, uint32_t offset, uint16_t* value) {
    *value = 0;
    if (Refusal(hPlx, offset, kLastWordOffset)) return 0;
    const uint32_t address = offset / 2;
    P9050_EEPROMChipSelect(hPlx, 1);
    WriteBits(hPlx, 0x6, 3);  // start, read
    WriteBits(hPlx, address, kAddressBits);
    uint16_t word = 0;
    for (int i = kDataBits - 1; i >= 0; --i) {
        word |= static_cast<uint16_t>(P9050_EEPROMReadBit(hPlx) << i);
    }
    *value = word;
    // Chip select stays up: the write-disable command follows directly.
    P9050_EEPROMWriteEnable(hPlx, 0);
    return 1;
}

int P9050_EEPROMWriteWord(P9050Handle* hPlx, uint32_t offset, uint16_t value, char* msg) {
    if (const char* refusal = Refusal(hPlx, offset, kLastWordOffset)) {
        P9050_SetMessage(msg, "%s", refusal);
        return 0;
    }
    const uint32_t address = offset / 2;
    P9050_EEPROMWriteEnable(hPlx, 1);
    P9050_EEPROMChipSelect(hPlx, 1);
    WriteBits(hPlx, 0x5, 3);  // start, write
    WriteBits(hPlx, address, kAddressBits);
    WriteBits(hPlx, value, kDataBits);
    P9050_EEPROMChipSelect(hPlx, 0);
    P9050_EEPROMWriteEnable(hPlx, 0);

    uint16_t readBack = 0;
    P9050_EEPROMReadWord(hPlx, offset, &readBack);
    if (readBack != value) {
        P9050_SetMessage(msg, "Write 0x%04x, Read 0x%04x\n", value, readBack);
        return 0;
    }
    P9050_SetMessage(msg, "No Error\n");
    return 1;
}

int P9050_EEPROMReadDword(P9050Handle* hPlx, uint32_t offset, uint32_t* value, char* msg) {
    *value = 0;
    if (offset % 4 != 0) {
        P9050_SetMessage(msg, "The offset is not a multiple of 4\n");
        return 0;
    }
    if (const char* refusal = Refusal(hPlx, offset, kLastDwordOffset)) {
        P9050_SetMessage(msg, "%s", refusal);
        return 0;
    }
    uint16_t high = 0;
    uint16_t low = 0;
    if (!P9050_EEPROMReadWord(hPlx, offset, &high) ||
        !P9050_EEPROMReadWord(hPlx, offset + 2, &low)) {
        P9050_SetMessage(msg, "EEPROM not present\n");
        return 0;
    }
    *value = static_cast<uint32_t>(high) << 16 | low;
    P9050_SetMessage(msg, "No Error\n");
    return 1;
}

int P9050_EEPROMWriteDword(P9050Handle* hPlx, uint32_t offset, uint32_t value, char* msg) {
    if (offset % 4 != 0) {
        P9050_SetMessage(msg, "The offset is not a multiple of 4\n");
        return 0;
    }
    if (const char* refusal = Refusal(hPlx, offset, kLastDwordOffset)) {
        P9050_SetMessage(msg, "%s", refusal);
        return 0;
    }
    if (!P9050_EEPROMWriteWord(hPlx, offset, static_cast<uint16_t>(value >> 16), msg) ||
        !P9050_EEPROMWriteWord(hPlx, offset + 2, static_cast<uint16_t>(value), msg)) {
        return 0;
    }
    P9050_SetMessage(msg, "No Error\n");
    return 1;
}
