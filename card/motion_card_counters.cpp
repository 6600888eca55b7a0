// Position counters, compare registers, stops, run state and speed change.
#include <cstdint>

#include "card_message.h"
#include "motion_card.h"

namespace {

enum : uint16_t {
    CMD_DECEL_STOP = 0x26,
    CMD_INSTANT_STOP = 0x27,
    ALL_AXES = 0x0F00,
};

uint16_t AxisBit(short axis) { return static_cast<uint16_t>(0x0100u << axis); }

bool AxisOutOfRange(short axis) { return static_cast<uint16_t>(axis) > 3; }

}  // namespace

// The counter and compare operations refuse an axis above U: its bit would land in
// bits 12-15 of the command word, and bit 15 resets the chip.

int32_t CMotionCard::GetPosition(short axis) {
    if (!CheckAxis(axis) || !CheckOpen()) return 0;
    return ReadLogicalPos(static_cast<uint16_t>(axis));
}

void CMotionCard::SetPosition(short axis, int32_t data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    SetLogicalPos(static_cast<uint16_t>(axis), data);
}

int32_t CMotionCard::GetExPosition(short axis) {
    if (!CheckAxis(axis) || !CheckOpen()) return 0;
    return ReadRealPos(static_cast<uint16_t>(axis));
}

void CMotionCard::SetExPosition(short axis, int32_t data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    SetRealPos(static_cast<uint16_t>(axis), data);
}

void CMotionCard::SetComP(short axis, int32_t data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    SetCompPlus(static_cast<uint16_t>(axis), data);
}

void CMotionCard::SetComM(short axis, int32_t data) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    SetCompMinus(static_cast<uint16_t>(axis), data);
}

void CMotionCard::DecelStop(uint16_t axis) { WriteCommand(axis, CMD_DECEL_STOP); }

void CMotionCard::InstantStop(uint16_t axis) { WriteCommand(axis, CMD_INSTANT_STOP); }

void CMotionCard::StopAxisDec(short axis) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    DecelStop(static_cast<uint16_t>(axis));
}

void CMotionCard::StopAxisInst(short axis) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    InstantStop(static_cast<uint16_t>(axis));
}

// The multi-axis stops reach every named axis in one write, so they skip the delay.

void CMotionCard::Stop2AxisDec(short axis0, short axis1) {
    if (AxisOutOfRange(axis0) || AxisOutOfRange(axis1) || axis0 == axis1) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    WriteCommandDirect(static_cast<uint16_t>(AxisBit(axis0) + AxisBit(axis1) + CMD_DECEL_STOP));
}

void CMotionCard::Stop2AxisInst(short axis0, short axis1) {
    if (AxisOutOfRange(axis0) || AxisOutOfRange(axis1) || axis0 == axis1) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    WriteCommandDirect(static_cast<uint16_t>(AxisBit(axis0) + AxisBit(axis1) + CMD_INSTANT_STOP));
}

void CMotionCard::Stop3axisDec(short axis0, short axis1, short axis2) {
    if (AxisOutOfRange(axis0) || AxisOutOfRange(axis1) || AxisOutOfRange(axis2) || axis0 == axis1 ||
        axis0 == axis2 || axis1 == axis2) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    WriteCommandDirect(
        static_cast<uint16_t>(AxisBit(axis0) + AxisBit(axis1) + AxisBit(axis2) + CMD_DECEL_STOP));
}

void CMotionCard::Stop3AxisInst(short axis0, short axis1, short axis2) {
    if (AxisOutOfRange(axis0) || AxisOutOfRange(axis1) || AxisOutOfRange(axis2) || axis0 == axis1 ||
        axis0 == axis2 || axis1 == axis2) {
        ShowCardMessage(card_text::kBadParameter);
        return;
    }
    if (!CheckOpen()) return;
    WriteCommandDirect(
        static_cast<uint16_t>(AxisBit(axis0) + AxisBit(axis1) + AxisBit(axis2) + CMD_INSTANT_STOP));
}

void CMotionCard::StopAllDec() {
    if (!CheckOpen()) return;
    WriteCommandDirect(ALL_AXES + CMD_DECEL_STOP);
}

void CMotionCard::StopAllInst() {
    if (!CheckOpen()) return;
    WriteCommandDirect(ALL_AXES + CMD_INSTANT_STOP);
}

short CMotionCard::RunState(short axis) {
    if (m_hCard == nullptr) {
        ShowCardMessage(card_text::kNotInitialised);
        return 0;
    }
    if (AxisOutOfRange(axis)) {
        ShowCardMessage(card_text::kBadParameter);
        axis = 3;
        // The box runs a modal loop: an event handler may have closed the card.
        if (m_hCard == nullptr) return 0;
    }
    return (ReadRR0() & (1u << axis)) != 0 ? 0 : 1;
}

void CMotionCard::VChange(short axis, int32_t rV) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    // Keeps the multiplier and range of the axis's last move.
    const uint16_t chipAxis = static_cast<uint16_t>(axis);
    SetDriveSpeed(chipAxis, SpeedToV(chipAxis, rV));
}

// The internal current-value readers answer for U after a bad axis, like RunState.

uint16_t CMotionCard::ReadAxisSpeed(short axis) {
    if (AxisOutOfRange(axis)) {
        ShowCardMessage(card_text::kBadParameter);
        axis = 3;
    }
    if (!CheckOpen()) return 0;
    return ReadCurrentSpeed(static_cast<uint16_t>(axis));
}

uint16_t CMotionCard::ReadAxisAccel(short axis) {
    if (AxisOutOfRange(axis)) {
        ShowCardMessage(card_text::kBadParameter);
        axis = 3;
    }
    if (!CheckOpen()) return 0;
    return ReadCurrentAccel(static_cast<uint16_t>(axis));
}

uint16_t CMotionCard::ReadInterpSpeed() {
    if (!CheckOpen()) return 0;
    return ReadCurrentSpeed(static_cast<uint16_t>(m_wWR5 & 3u));
}

uint16_t CMotionCard::ReadInterpAccel() {
    if (!CheckOpen()) return 0;
    return ReadCurrentAccel(static_cast<uint16_t>(m_wWR5 & 3u));
}
