// Register map of the PLX 9050 bridge as the system uses it: the offsets of the
// registers it writes and the bits it drives in them, shared by the bridge library and
// the bridge model.
#pragma once

#include <cstdint>

namespace bridge {

// The local base register of address space s, at s * 4 + 0x0C (spaces 0 to 6).
inline constexpr uint32_t kLocalBase0 = 0x0C;
inline constexpr uint32_t kLastLocalBase = 0x24;
inline constexpr uint32_t LocalBase(uint32_t space) { return kLocalBase0 + space * 4; }
inline constexpr uint32_t kIntcsr = 0x4C;  // interrupt control and status
inline constexpr uint32_t kCntrl = 0x50;   // user I/O, EEPROM lines and control
inline constexpr uint32_t kRegisterBytes = 4;

// INTCSR.
inline constexpr uint32_t kIntcsrLocal1Enable = 0x01;
inline constexpr uint32_t kIntcsrPciEnable = 0x40;
inline constexpr uint32_t kIntcsrEnable = kIntcsrLocal1Enable | kIntcsrPciEnable;

// CNTRL: the serial EEPROM's lines.
inline constexpr uint32_t kCntrlClock = 0x01000000;
inline constexpr uint32_t kCntrlSelect = 0x02000000;
inline constexpr uint32_t kCntrlDataIn = 0x04000000;  // to the EEPROM
inline constexpr uint32_t kCntrlDataOutShift = 27;    // from the EEPROM
inline constexpr uint32_t kCntrlDataOut = 1u << kCntrlDataOutShift;
inline constexpr uint32_t kCntrlPresent = 0x10000000;

}  // namespace bridge
