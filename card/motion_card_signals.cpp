// Signal modes (bit fields of the write-only mode registers, kept in shadows) and
// the input and output words.
#include <cstdint>

#include "card_message.h"
#include "motion_card.h"

namespace {

// Field masks: the register value with the field cleared.
enum : uint16_t {
    WR2_PULSE_OUT_MASK = 0xFEBF,
    WR2_LEVEL_MASK = 0xFF7F,
    WR2_INPUT_MASK = 0xF1FF,
    WR2_COMPARE_MASK = 0xFFDF,
    WR2_SOFT_LIMIT_MASK = 0xFFFC,
    WR2_HARD_LIMIT_MASK = 0xFFE3,
    WR2_ALARM_MASK = 0x0FFF,
    WR1_ORIGIN_MASK = 0xFFF3,
    WR3_MANUAL_MASK = 0xFFE7,
};

// Input bytes of RR4/RR5 without the two positions that RR2's limit bits fill.
constexpr uint32_t kInputMask = 0xCFCF;
constexpr uint16_t kLimitBits = 0x000C;

}  // namespace

void CMotionCard::PulseOutMode(short axis, short mode) {
    static const uint16_t kFields[] = {0x0000, 0x0040, 0x0140};
    if (!CheckAxis(axis)) return;
    if (mode < 0 || mode > 2) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, static_cast<uint16_t>((m_wWR2[a] & WR2_PULSE_OUT_MASK) | kFields[mode]));
}

void CMotionCard::LevelMode(short axis, short mode) {
    if (!CheckAxis(axis)) return;
    if (mode < 0 || mode > 1) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, static_cast<uint16_t>((m_wWR2[a] & WR2_LEVEL_MASK) | (mode != 0 ? 0x0080 : 0)));
}

void CMotionCard::InputMode(short axis, short mode) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    uint16_t value = m_wWR2[a];
    // Unknown modes are not refused: the register is rewritten as it is.
    switch (static_cast<uint16_t>(mode)) {
        case 0:
            value = static_cast<uint16_t>((value & WR2_INPUT_MASK) | 0x0800);
            break;
        case 1:
            value = static_cast<uint16_t>((value & WR2_INPUT_MASK) | 0x0400);
            break;
        case 2:
            value = static_cast<uint16_t>(value & WR2_INPUT_MASK);
            break;
        case 3:
            value = static_cast<uint16_t>((value & WR2_INPUT_MASK) | 0x0200);
            break;
        default:
            break;
    }
    WriteWR2(a, value);
}

void CMotionCard::WhoCheckCom(short axis, short nWho) {
    if (!CheckAxis(axis)) return;
    if (static_cast<uint16_t>(nWho) > 1) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, static_cast<uint16_t>((m_wWR2[a] & WR2_COMPARE_MASK) | (nWho != 0 ? 0x0020 : 0)));
}

void CMotionCard::SignalSoftLmt(short axis, short data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, static_cast<uint16_t>((m_wWR2[a] & WR2_SOFT_LIMIT_MASK) | (data & 3)));
}

void CMotionCard::SignalHardLmt(short axis, short data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    // Data 0 keeps the opening default 110.
    const uint16_t field = static_cast<uint16_t>(((static_cast<uint16_t>(data) + 6u) & 7u) << 2);
    WriteWR2(a, static_cast<uint16_t>((m_wWR2[a] & WR2_HARD_LIMIT_MASK) | field));
}

void CMotionCard::SignalAlmInp(short axis, short data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, static_cast<uint16_t>((m_wWR2[a] & WR2_ALARM_MASK) | ((data & 0xF) << 12)));
}

void CMotionCard::SignalOrg(short axis, short mode) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    uint16_t field;
    switch (mode) {
        case 0:
            field = 0x0000;
            break;
        case 1:
            field = 0x000C;
            break;
        case 2:
            field = 0x0008;
            break;
        default:
            return;  // other modes are ignored without a message
    }
    WriteWR1(a, static_cast<uint16_t>((m_wWR1[a] & WR1_ORIGIN_MASK) | field));
}

void CMotionCard::SetManualContinuous(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis)) || !CheckOpen()) return;
    WriteWR3(axis, static_cast<uint16_t>((m_wWR3[axis] & WR3_MANUAL_MASK) | 0x0008));
}

void CMotionCard::SetManualFixed(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis)) || !CheckOpen()) return;
    WriteWR3(axis, static_cast<uint16_t>((m_wWR3[axis] & WR3_MANUAL_MASK) | 0x0018));
}

void CMotionCard::ClearManualMode(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis)) || !CheckOpen()) return;
    WriteWR3(axis, static_cast<uint16_t>(m_wWR3[axis] & WR3_MANUAL_MASK));
}

int32_t CMotionCard::GetInput() {
    if (!CheckOpen()) return 0;
    const uint32_t rr4 = ReadRR4();
    const uint32_t rr5 = ReadRR5();
    uint32_t limits = 0;
    for (uint16_t axis = 0; axis < 4; ++axis) {
        // Bits 2-3 of each axis's RR2 fill bits 4-5 of its byte.
        limits |= static_cast<uint32_t>(ReadRR2(axis) & kLimitBits) << (2 + 8 * axis);
    }
    return static_cast<int32_t>(((rr5 & kInputMask) << 16) | (rr4 & kInputMask) | limits);
}

void CMotionCard::Setoutput(short val) {
    if (!CheckOpen()) return;
    WriteWR4(static_cast<uint16_t>(val));
}
