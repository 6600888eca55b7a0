// The register layer: every chip access of the card object passes through here.
#include <cstdint>

#include "card_message.h"
#include "motion_card.h"

namespace {

enum : uint32_t {
    REG_WR0 = 0,
    REG_WR1 = 2,
    REG_WR2 = 4,
    REG_WR3 = 6,
    REG_WR4 = 8,
    REG_WR5 = 10,
    REG_DATA_LOW = 12,
    REG_DATA_HIGH = 14,
    REG_RR0 = 0,
    REG_RR2 = 4,
    REG_RR4 = 8,
    REG_RR5 = 10,
};

enum : uint16_t {
    CMD_RANGE = 0x00,
    CMD_JERK = 0x01,
    CMD_ACCEL = 0x02,
    CMD_DECEL = 0x03,
    CMD_START_SPEED = 0x04,
    CMD_DRIVE_SPEED = 0x05,
    CMD_PULSE = 0x06,
    CMD_DECEL_POINT = 0x07,
    CMD_CENTER = 0x08,
    CMD_LOGICAL_POS = 0x09,
    CMD_REAL_POS = 0x0A,
    CMD_COMP_PLUS = 0x0B,
    CMD_COMP_MINUS = 0x0C,
    CMD_ACC_OFFSET = 0x0D,
    CMD_SELECT = 0x0F,
    CMD_READ_LOGICAL_POS = 0x10,
    CMD_READ_REAL_POS = 0x11,
    CMD_READ_SPEED = 0x12,
    CMD_READ_ACCEL = 0x13,
};

constexpr uint16_t kResetWord = 0x8000;
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
    const uint16_t word = static_cast<uint16_t>((0x0100u << axis) | (code & 0x00FFu));
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_WR0, word);
    // The chip needs this long to take a command before the next register access.
    for (volatile int i = 0; i < kSettleIterations; i = i + 1) {
    }
}

void CMotionCard::WriteCommandDirect(uint16_t word) {
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_WR0, word);
}

void CMotionCard::ResetChip() { WriteCommandDirect(kResetWord); }

void CMotionCard::WriteData(int32_t value, bool wide) {
    const uint32_t bits = static_cast<uint32_t>(value);
    if (wide) {
        P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_DATA_HIGH,
                             static_cast<uint16_t>(bits >> 16));
    }
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_DATA_LOW,
                         static_cast<uint16_t>(bits & 0xFFFFu));
}

int32_t CMotionCard::ReadData(bool wide) {
    const uint32_t low = P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_DATA_LOW);
    if (!wide) return static_cast<int32_t>(low);
    const uint32_t high = P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_DATA_HIGH);
    return static_cast<int32_t>((high << 16) | low);
}

void CMotionCard::WriteWR1(uint16_t axis, uint16_t value) {
    WriteCommand(axis, CMD_SELECT);
    m_wWR1[axis] = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_WR1, value);
}

void CMotionCard::WriteWR2(uint16_t axis, uint16_t value) {
    WriteCommand(axis, CMD_SELECT);
    m_wWR2[axis] = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_WR2, value);
}

void CMotionCard::WriteWR3(uint16_t axis, uint16_t value) {
    WriteCommand(axis, CMD_SELECT);
    m_wWR3[axis] = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_WR3, value);
}

void CMotionCard::WriteWR4(uint16_t value) {
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_WR4, value);
}

void CMotionCard::WriteWR5(uint16_t value) {
    m_wWR5 = value;
    P9050_WriteSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_WR5, value);
}

uint16_t CMotionCard::ReadRR0() { return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_RR0); }

uint16_t CMotionCard::ReadRR2(uint16_t axis) {
    WriteCommand(axis, CMD_SELECT);
    return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_RR2);
}

uint16_t CMotionCard::ReadRR4() { return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_RR4); }

uint16_t CMotionCard::ReadRR5() { return P9050_ReadSpaceWord(m_hCard, MOTION_CHIP_SPACE, REG_RR5); }

// Data first, command second: the command consumes the data latched before it.
void CMotionCard::SetRange(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 16000, 8000000), true);
    WriteCommand(axis, CMD_RANGE);
}

void CMotionCard::SetJerk(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 1, 65535), false);
    WriteCommand(axis, CMD_JERK);
}

void CMotionCard::SetAccel(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 1, 8000), false);
    WriteCommand(axis, CMD_ACCEL);
}

void CMotionCard::SetDecel(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 1, 8000), false);
    WriteCommand(axis, CMD_DECEL);
}

void CMotionCard::SetStartSpeed(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 1, 8000), false);
    WriteCommand(axis, CMD_START_SPEED);
}

void CMotionCard::SetDriveSpeed(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 1, 8000), false);
    WriteCommand(axis, CMD_DRIVE_SPEED);
}

void CMotionCard::SetPulse(uint16_t axis, int32_t value, bool fixed) {
    // A fixed drive takes a count; an interpolation takes a signed 24-bit end point.
    const int32_t clamped = fixed ? Clamp(value, 0, 0x0FFFFFFF) : Clamp(value, -0x800000, 0x7FFFFF);
    WriteData(clamped, true);
    WriteCommand(axis, CMD_PULSE);
}

void CMotionCard::SetDecelPoint(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 0, 0x0FFFFFFF), true);
    WriteCommand(axis, CMD_DECEL_POINT);
}

void CMotionCard::SetCenter(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, -0x800000, 0x7FFFFF), true);
    WriteCommand(axis, CMD_CENTER);
}

void CMotionCard::SetLogicalPos(uint16_t axis, int32_t value) {
    WriteData(value, true);
    WriteCommand(axis, CMD_LOGICAL_POS);
}

void CMotionCard::SetRealPos(uint16_t axis, int32_t value) {
    WriteData(value, true);
    WriteCommand(axis, CMD_REAL_POS);
}

void CMotionCard::SetCompPlus(uint16_t axis, int32_t value) {
    WriteData(value, true);
    WriteCommand(axis, CMD_COMP_PLUS);
}

void CMotionCard::SetCompMinus(uint16_t axis, int32_t value) {
    WriteData(value, true);
    WriteCommand(axis, CMD_COMP_MINUS);
}

void CMotionCard::SetAccOffset(uint16_t axis, int32_t value) {
    WriteData(Clamp(value, 0, 65535), false);
    WriteCommand(axis, CMD_ACC_OFFSET);
}

// Read commands latch the value first, so the two halves cannot tear.
int32_t CMotionCard::ReadLogicalPos(uint16_t axis) {
    WriteCommand(axis, CMD_READ_LOGICAL_POS);
    return ReadData(true);
}

int32_t CMotionCard::ReadRealPos(uint16_t axis) {
    WriteCommand(axis, CMD_READ_REAL_POS);
    return ReadData(true);
}

uint16_t CMotionCard::ReadCurrentSpeed(uint16_t axis) {
    WriteCommand(axis, CMD_READ_SPEED);
    return static_cast<uint16_t>(ReadData(false));
}

uint16_t CMotionCard::ReadCurrentAccel(uint16_t axis) {
    WriteCommand(axis, CMD_READ_ACCEL);
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
