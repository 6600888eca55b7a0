// Signal modes (bit fields of the write-only mode registers, kept in shadows) and
// the input and output words.
#include <cstdint>

#include "card_message.h"
#include "chip_registers.h"
#include "motion_card.h"

using namespace chip;

namespace {

// Bits 2-3 of an axis's RR2 fill bits 4-5 of its byte of the input word.
constexpr int kLimitsToInputShift = 2;
// Input bytes of RR4/RR5 without the two positions that RR2's limit bits fill.
constexpr uint32_t kInputMask =
    0xFFFFu & ~((kRR2Limits << kLimitsToInputShift) | (kRR2Limits << (kLimitsToInputShift + 8)));

// The register value with a field replaced.
uint16_t WithField(uint16_t value, uint16_t field, uint16_t bits) {
    return static_cast<uint16_t>((value & ~field) | bits);
}

}  // namespace

void CMotionCard::PulseOutMode(short axis, short mode) {
    static const uint16_t kFields[] = {0, kWR2PulseOutBit6, kWR2PulseOut};
    if (!CheckAxis(axis)) return;
    if (mode < 0 || mode > 2) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, WithField(m_wWR2[a], kWR2PulseOut, kFields[mode]));
}

void CMotionCard::LevelMode(short axis, short mode) {
    if (!CheckAxis(axis)) return;
    if (mode < 0 || mode > 1) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, WithField(m_wWR2[a], kWR2PulseLevel, mode != 0 ? kWR2PulseLevel : 0));
}

void CMotionCard::InputMode(short axis, short mode) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    uint16_t value = m_wWR2[a];
    // Unknown modes are not refused: the register is rewritten as it is.
    switch (static_cast<uint16_t>(mode)) {
        case 0:
            value = WithField(value, kWR2InputMode, kWR2InputBit11);
            break;
        case 1:
            value = WithField(value, kWR2InputMode, kWR2InputBit10);
            break;
        case 2:
            value = WithField(value, kWR2InputMode, 0);
            break;
        case 3:
            value = WithField(value, kWR2InputMode, kWR2InputBit9);
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
    WriteWR2(a, WithField(m_wWR2[a], kWR2CompareReal, nWho != 0 ? kWR2CompareReal : 0));
}

void CMotionCard::SignalSoftLmt(short axis, short data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, WithField(m_wWR2[a], kWR2SoftLimits, static_cast<uint16_t>(data & kWR2SoftLimits)));
}

void CMotionCard::SignalHardLmt(short axis, short data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    // Data 0 keeps the opening default 110.
    const uint16_t field =
        static_cast<uint16_t>(((static_cast<uint16_t>(data) + 6u) & 7u) << kWR2HardLimitShift);
    WriteWR2(a, WithField(m_wWR2[a], kWR2HardLimits, field));
}

void CMotionCard::SignalAlmInp(short axis, short data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR2(a, WithField(m_wWR2[a], kWR2AlarmInputs,
                          static_cast<uint16_t>((data & 0xF) << kWR2AlarmShift)));
}

void CMotionCard::SignalOrg(short axis, short mode) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    const uint16_t a = static_cast<uint16_t>(axis);
    uint16_t field;
    switch (mode) {
        case 0:
            field = 0;
            break;
        case 1:
            field = kWR1OriginBit2 | kWR1OriginBit3;
            break;
        case 2:
            field = kWR1OriginBit3;
            break;
        default:
            return;  // other modes are ignored without a message
    }
    WriteWR1(a, WithField(m_wWR1[a], kWR1Origin, field));
}

void CMotionCard::SetManualContinuous(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis)) || !CheckOpen()) return;
    WriteWR3(axis, WithField(m_wWR3[axis], kWR3Manual, kWR3ManualContinuous));
}

void CMotionCard::SetManualFixed(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis)) || !CheckOpen()) return;
    WriteWR3(axis, WithField(m_wWR3[axis], kWR3Manual, kWR3ManualFixed));
}

void CMotionCard::ClearManualMode(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis)) || !CheckOpen()) return;
    WriteWR3(axis, WithField(m_wWR3[axis], kWR3Manual, 0));
}

int32_t CMotionCard::GetInput() {
    if (!CheckOpen()) return 0;
    const uint32_t rr4 = ReadRR4();
    const uint32_t rr5 = ReadRR5();
    uint32_t limits = 0;
    for (uint16_t axis = 0; axis < 4; ++axis) {
        limits |= static_cast<uint32_t>(ReadRR2(axis) & kRR2Limits)
                  << (kLimitsToInputShift + 8 * axis);
    }
    return static_cast<int32_t>(((rr5 & kInputMask) << 16) | (rr4 & kInputMask) | limits);
}

void CMotionCard::Setoutput(short val) {
    if (!CheckOpen()) return;
    WriteWR4(static_cast<uint16_t>(val));
}
