// The register layer: every chip access of the card object passes through here.
#include <cstdint>

#include "card_message.h"
#include "chip_registers.h"
#include "motion_card.h"

using namespace chip;

// How a command setter writes its value: its code, one or both data registers, and the
// clamp that is the last guard before the chip.
struct ChipParameter {
    uint16_t code;
    bool wide;
    int32_t low;
    int32_t high;
};

namespace {

constexpr int32_t kAny = INT32_MIN;
constexpr int32_t kAll = INT32_MAX;
constexpr int32_t kMaxCount = 0x0FFFFFFF;
constexpr int32_t kMinCoord = -0x800000;
constexpr int32_t kMaxCoord = 0x7FFFFF;

// A fixed drive takes a count; an interpolation takes a signed 24-bit end point.
constexpr ChipParameter kPulseCount{kCmdPulse, true, 0, kMaxCount};
constexpr ChipParameter kEndPoint{kCmdPulse, true, kMinCoord, kMaxCoord};

constexpr int kSettleIterations = 120;

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

}  // namespace

void CMotionCard::WriteCommand(uint16_t axis, uint16_t code) {
    // An axis above U would reach bits 12-15, and bit 15 alone resets the chip.
    if (axis > 3) return;
    const uint16_t word = static_cast<uint16_t>(AxisBit(axis) | (code & kCodeBits));
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR0, word);
    // The chip needs this long to take a command before the next register access.
    for (volatile int i = 0; i < kSettleIterations; i = i + 1) {
    }
}

void CMotionCard::WriteCommandDirect(uint16_t word) {
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR0, word);
}

void CMotionCard::ResetChip() { WriteCommandDirect(kReset); }

void CMotionCard::WriteData(int32_t value, bool wide) {
    const uint32_t bits = static_cast<uint32_t>(value);
    if (wide) {
        P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR7, static_cast<uint16_t>(bits >> 16));
    }
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR6, static_cast<uint16_t>(bits & 0xFFFFu));
}

int32_t CMotionCard::ReadData(bool wide) {
    const uint32_t low = P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, kRR6);
    if (!wide) return static_cast<int32_t>(low);
    const uint32_t high = P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, kRR7);
    return static_cast<int32_t>((high << 16) | low);
}

void CMotionCard::WriteWR1(uint16_t axis, uint16_t value) {
    WriteCommand(axis, kCmdSelect);
    m_wWR1[axis] = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR1, value);
}

void CMotionCard::WriteWR2(uint16_t axis, uint16_t value) {
    WriteCommand(axis, kCmdSelect);
    m_wWR2[axis] = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR2, value);
}

void CMotionCard::WriteWR3(uint16_t axis, uint16_t value) {
    WriteCommand(axis, kCmdSelect);
    m_wWR3[axis] = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR3, value);
}

void CMotionCard::WriteWR4(uint16_t value) {
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR4, value);
}

void CMotionCard::WriteWR5(uint16_t value) {
    m_wWR5 = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, kWR5, value);
}

uint16_t CMotionCard::ReadRR0() { return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, kRR0); }

uint16_t CMotionCard::ReadRR2(uint16_t axis) {
    WriteCommand(axis, kCmdSelect);
    return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, kRR2);
}

uint16_t CMotionCard::ReadRR4() { return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, kRR4); }

uint16_t CMotionCard::ReadRR5() { return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, kRR5); }

// Data first, command second: the command consumes the data latched before it.
void CMotionCard::WriteParameter(uint16_t axis, const ChipParameter& parameter, int32_t value) {
    WriteData(Clamp(value, parameter.low, parameter.high), parameter.wide);
    WriteCommand(axis, parameter.code);
}

// The other setters, one row each: name, command, whether the value takes both data
// registers, clamp.
// clang-format off
#define VORN_CHIP_SETTERS(X)                                       \
    X(SetRange,      kCmdRange,       true,  16000,     8000000)   \
    X(SetJerk,       kCmdJerk,        false, 1,         65535)     \
    X(SetAccel,      kCmdAccel,       false, 1,         8000)      \
    X(SetDecel,      kCmdDecel,       false, 1,         8000)      \
    X(SetStartSpeed, kCmdStartSpeed,  false, 1,         8000)      \
    X(SetDriveSpeed, kCmdDriveSpeed,  false, 1,         8000)      \
    X(SetDecelPoint, kCmdDecelPoint,  true,  0,         kMaxCount) \
    X(SetCenter,     kCmdCenter,      true,  kMinCoord, kMaxCoord) \
    X(SetLogicalPos, kCmdLogicalPos,  true,  kAny,      kAll)      \
    X(SetRealPos,    kCmdRealPos,     true,  kAny,      kAll)      \
    X(SetCompPlus,   kCmdCompPlus,    true,  kAny,      kAll)      \
    X(SetCompMinus,  kCmdCompMinus,   true,  kAny,      kAll)      \
    X(SetAccOffset,  kCmdAccOffset,   false, 0,         65535)
// clang-format on

#define VORN_DEFINE_SETTER(name, code, wide, low, high)                    \
    void CMotionCard::name(uint16_t axis, int32_t value) {                 \
        WriteParameter(axis, ChipParameter{code, wide, low, high}, value); \
    }
VORN_CHIP_SETTERS(VORN_DEFINE_SETTER)
#undef VORN_DEFINE_SETTER
#undef VORN_CHIP_SETTERS

void CMotionCard::SetPulse(uint16_t axis, int32_t value, bool fixed) {
    WriteParameter(axis, fixed ? kPulseCount : kEndPoint, value);
}

// Read commands latch the value first, so the two halves cannot tear.
int32_t CMotionCard::ReadLogicalPos(uint16_t axis) {
    WriteCommand(axis, kCmdReadLogicalPos);
    return ReadData(true);
}

int32_t CMotionCard::ReadRealPos(uint16_t axis) {
    WriteCommand(axis, kCmdReadRealPos);
    return ReadData(true);
}

uint16_t CMotionCard::ReadCurrentSpeed(uint16_t axis) {
    WriteCommand(axis, kCmdReadSpeed);
    return static_cast<uint16_t>(ReadData(false));
}

uint16_t CMotionCard::ReadCurrentAccel(uint16_t axis) {
    WriteCommand(axis, kCmdReadAccel);
    return static_cast<uint16_t>(ReadData(false));
}

bool CMotionCard::CheckAxis(short axis) {
    if (static_cast<uint16_t>(axis) > 3) {
        ShowCardMessage(card_text::kBadParameter);
        return false;
    }
    return true;
}

bool CMotionCard::CheckOpen() {
    if (m_hCard == nullptr) {
        ShowCardMessage(card_text::kNotInitialised);
        return false;
    }
    return true;
}

bool CMotionCard::CheckDrive(bool argumentsValid) {
    if (!argumentsValid) {
        ShowCardMessage(card_text::kBadParameter);
        return false;
    }
    return CheckOpen();
}
