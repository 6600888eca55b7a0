// Register map of the four-axis motion chip behind address space 2: offsets, command
// codes and bit fields, shared by the card object and the chip model.
#pragma once

#include <cstdint>

namespace chip {

// Sixteen-bit registers at even offsets: writes reach WRn, reads RRn. WR6/WR7 and
// RR6/RR7 are the low and high halves of the data registers.
inline constexpr uint32_t kWR0 = 0;  // command word
inline constexpr uint32_t kWR1 = 2;  // per axis
inline constexpr uint32_t kWR2 = 4;  // per axis
inline constexpr uint32_t kWR3 = 6;  // per axis
inline constexpr uint32_t kWR4 = 8;  // general outputs
inline constexpr uint32_t kWR5 = 10;
inline constexpr uint32_t kWR6 = 12;
inline constexpr uint32_t kWR7 = 14;
inline constexpr uint32_t kRR0 = 0;   // drive state, one bit per axis
inline constexpr uint32_t kRR2 = 4;   // per axis
inline constexpr uint32_t kRR3 = 6;   // per axis, interrupt status (read clears)
inline constexpr uint32_t kRR4 = 8;   // inputs of X and Y
inline constexpr uint32_t kRR5 = 10;  // inputs of Z and U
inline constexpr uint32_t kRR6 = 12;
inline constexpr uint32_t kRR7 = 14;

// The command word: the code in the low byte, one bit per named axis in bits 8-11.
// Bits 12-15 are not axes, and the word kReset alone resets the chip.
inline constexpr uint16_t kCodeBits = 0x00FF;
inline constexpr uint16_t kAxisBits = 0x0F00;
inline constexpr uint16_t kNotAxisBits = 0xF000;
inline constexpr uint16_t kReset = 0x8000;
inline constexpr uint16_t AxisBit(unsigned axis) { return static_cast<uint16_t>(0x0100u << axis); }

// Command codes.
enum Command : uint16_t {
    kCmdRange = 0x00,
    kCmdJerk = 0x01,
    kCmdAccel = 0x02,
    kCmdDecel = 0x03,
    kCmdStartSpeed = 0x04,
    kCmdDriveSpeed = 0x05,
    kCmdPulse = 0x06,  // output pulses, or an interpolation's end point
    kCmdDecelPoint = 0x07,
    kCmdCenter = 0x08,
    kCmdLogicalPos = 0x09,
    kCmdRealPos = 0x0A,
    kCmdCompPlus = 0x0B,
    kCmdCompMinus = 0x0C,
    kCmdAccOffset = 0x0D,
    kCmdSelect = 0x0F,  // no operation: selects the axis of WR1..WR3 and RR2, RR3
    kCmdReadLogicalPos = 0x10,
    kCmdReadRealPos = 0x11,
    kCmdReadSpeed = 0x12,
    kCmdReadAccel = 0x13,
    kCmdFixedPlus = 0x20,
    kCmdFixedMinus = 0x21,
    kCmdContinuousPlus = 0x22,
    kCmdContinuousMinus = 0x23,
    kCmdDecelStop = 0x26,
    kCmdInstantStop = 0x27,
    kCmdLine2 = 0x30,
    kCmdLine3 = 0x31,
    kCmdCircleCw = 0x32,
    kCmdCircleCcw = 0x33,
    kCmdPrepare = 0x3B,  // before a fixed-pulse drive or an interpolation starts
};

// WR1: origin input mode and interrupt enables (bit 8 + k enables RR3 bit k).
inline constexpr uint16_t kWR1OriginBit2 = 0x0004;
inline constexpr uint16_t kWR1OriginBit3 = 0x0008;
inline constexpr uint16_t kWR1Origin = kWR1OriginBit2 | kWR1OriginBit3;
inline constexpr uint16_t kWR1InterruptEnables = 0xFF00;
inline constexpr int kWR1InterruptShift = 8;

// WR2: limits, compare source, pulse output and input modes, alarm and in-position.
inline constexpr uint16_t kWR2SoftLimits = 0x0003;
inline constexpr uint16_t kWR2HardLimits = 0x001C;
inline constexpr int kWR2HardLimitShift = 2;
inline constexpr uint16_t kWR2CompareReal = 0x0020;  // compare with the real counter
inline constexpr uint16_t kWR2PulseOutBit6 = 0x0040;
inline constexpr uint16_t kWR2PulseLevel = 0x0080;
inline constexpr uint16_t kWR2PulseOutBit8 = 0x0100;
inline constexpr uint16_t kWR2PulseOut = kWR2PulseOutBit6 | kWR2PulseOutBit8;
inline constexpr uint16_t kWR2InputBit9 = 0x0200;
inline constexpr uint16_t kWR2InputBit10 = 0x0400;
inline constexpr uint16_t kWR2InputBit11 = 0x0800;
inline constexpr uint16_t kWR2InputMode = kWR2InputBit9 | kWR2InputBit10 | kWR2InputBit11;
inline constexpr uint16_t kWR2AlarmInputs = 0xF000;
inline constexpr int kWR2AlarmShift = 12;

// WR3: deceleration mode, S-curve and manual-pulse operation.
inline constexpr uint16_t kWR3ManualDecel = 0x0001;
inline constexpr uint16_t kWR3UseDecel = 0x0002;
inline constexpr uint16_t kWR3SCurve = 0x0004;
inline constexpr uint16_t kWR3ManualBit3 = 0x0008;
inline constexpr uint16_t kWR3ManualBit4 = 0x0010;
inline constexpr uint16_t kWR3Manual = kWR3ManualBit3 | kWR3ManualBit4;
inline constexpr uint16_t kWR3ManualContinuous = kWR3ManualBit3;
inline constexpr uint16_t kWR3ManualFixed = kWR3ManualBit3 | kWR3ManualBit4;

// WR5: the interpolation's axes (two bits each, main axis lowest) and its kind.
inline constexpr uint16_t kWR5Axes = 0x003F;
inline constexpr int kWR5AxisShift = 2;
inline constexpr uint16_t kWR5Kind = 0x0300;
inline constexpr uint16_t kWR5TwoAxes = 0x0100;
inline constexpr uint16_t kWR5ThreeAxes = 0x0300;

// RR2: the limit inputs that the input word carries in bits 4-5 of each axis's byte.
inline constexpr uint16_t kRR2Limits = 0x000C;

// RR3: interrupt causes.
inline constexpr uint16_t kRR3CompMinusReached = 0x0002;  // counter >= COMP-
inline constexpr uint16_t kRR3BelowCompMinus = 0x0004;    // counter < COMP-
inline constexpr uint16_t kRR3BelowCompPlus = 0x0008;     // counter < COMP+
inline constexpr uint16_t kRR3CompPlusReached = 0x0010;   // counter >= COMP+
inline constexpr uint16_t kRR3DecelStarts = 0x0020;
inline constexpr uint16_t kRR3AccelEnds = 0x0040;
inline constexpr uint16_t kRR3DriveEnds = 0x0080;
inline constexpr uint16_t kRR3CompareCauses =
    kRR3CompMinusReached | kRR3BelowCompMinus | kRR3BelowCompPlus | kRR3CompPlusReached;

}  // namespace chip
