// Position counters, compare registers, stops, run state and speed change.
#include <cstdint>

#include "card_message.h"
#include "chip_registers.h"
#include "motion_card.h"

using namespace chip;

namespace {

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

void CMotionCard::DecelStop(uint16_t axis) { WriteCommand(axis, kCmdDecelStop); }

void CMotionCard::InstantStop(uint16_t axis) { WriteCommand(axis, kCmdInstantStop); }

void CMotionCard::StopAxisDec(short axis) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    DecelStop(static_cast<uint16_t>(axis));
}

void CMotionCard::StopAxisInst(short axis) {
    if (!CheckAxis(axis) || !CheckOpen()) return;
    InstantStop(static_cast<uint16_t>(axis));
}

// The multi-axis stops reach every named axis in one write, so they skip the delay.
void CMotionCard::StopAxes(const short* axes, int count, uint16_t code) {
    uint16_t word = code;
    for (int i = 0; i < count; ++i) {
        bool bad = AxisOutOfRange(axes[i]);
        for (int j = 0; j < i; ++j) bad = bad || axes[j] == axes[i];
        if (bad) {
            ShowCardMessage(card_text::kBadParameter);
            return;
        }
        word = static_cast<uint16_t>(word + AxisBit(static_cast<uint16_t>(axes[i])));
    }
    if (!CheckOpen()) return;
    WriteCommandDirect(word);
}

void CMotionCard::Stop2AxisDec(short axis0, short axis1) {
    const short axes[] = {axis0, axis1};
    StopAxes(axes, 2, kCmdDecelStop);
}

void CMotionCard::Stop2AxisInst(short axis0, short axis1) {
    const short axes[] = {axis0, axis1};
    StopAxes(axes, 2, kCmdInstantStop);
}

void CMotionCard::Stop3axisDec(short axis0, short axis1, short axis2) {
    const short axes[] = {axis0, axis1, axis2};
    StopAxes(axes, 3, kCmdDecelStop);
}

void CMotionCard::Stop3AxisInst(short axis0, short axis1, short axis2) {
    const short axes[] = {axis0, axis1, axis2};
    StopAxes(axes, 3, kCmdInstantStop);
}

void CMotionCard::StopAllDec() {
    if (!CheckOpen()) return;
    WriteCommandDirect(kAxisBits + kCmdDecelStop);
}

void CMotionCard::StopAllInst() {
    if (!CheckOpen()) return;
    WriteCommandDirect(kAxisBits + kCmdInstantStop);
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
