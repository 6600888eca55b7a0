// Single-axis drives: continuous, fixed-pulse (relative and absolute, linear and
// S-curve, symmetric and asymmetric deceleration) and manual-pulse moves.
#include <cstdint>

#include "card_message.h"
#include "chip_registers.h"
#include "motion_card.h"
#include "motion_rates.h"

using namespace chip;
using namespace motion_rates;

namespace {

short RefuseParameter() {
    ShowCardMessage(card_text::kBadParameter);
    return -1;
}

}  // namespace

// --- Drive-mode helpers ----------------------------------------------------------

void CMotionCard::SetSCurveMode(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis))) return;
    WriteWR3(axis, m_wWR3[axis] | kWR3SCurve);
}

void CMotionCard::ClearSCurveMode(uint16_t axis) {
    if (!CheckAxis(static_cast<short>(axis))) return;
    WriteWR3(axis, m_wWR3[axis] & ~kWR3SCurve);
}

void CMotionCard::SetDecelMode(uint16_t axis, int mode) {
    if (!CheckAxis(static_cast<short>(axis))) return;
    uint16_t value = m_wWR3[axis] & ~(kWR3ManualDecel | kWR3UseDecel);
    if (mode == 1) value |= kWR3UseDecel;
    WriteWR3(axis, value);
}

void CMotionCard::SetManualDecel(uint16_t axis, int32_t point) {
    if (!CheckAxis(static_cast<short>(axis))) return;
    WriteWR3(axis, m_wWR3[axis] | kWR3ManualDecel | kWR3UseDecel);
    // The point goes out unclamped, unlike SetDecelPoint.
    WriteData(point, true);
    WriteCommand(axis, kCmdDecelPoint);
}

void CMotionCard::StartFixedDrive(uint16_t axis, int32_t v, int32_t pulses, bool negative,
                                  bool sCurve) {
    if (!CheckAxis(static_cast<short>(axis))) return;
    if (sCurve) {
        SetSCurveMode(axis);
    } else {
        ClearSCurveMode(axis);
    }
    WriteCommand(axis, kCmdPrepare);
    SetDriveSpeed(axis, v);
    SetPulse(axis, pulses, true);
    WriteCommand(axis, negative ? kCmdFixedMinus : kCmdFixedPlus);
}

void CMotionCard::StartSCurveFixedDrive(uint16_t axis, int32_t v, int32_t pulses, bool negative) {
    StartFixedDrive(axis, v, pulses, negative, true);
}

void CMotionCard::StartContinuousDrive(uint16_t axis, int32_t v, short dir) {
    if (!CheckAxis(static_cast<short>(axis))) return;
    SetDriveSpeed(axis, v);
    WriteCommand(axis, dir == 0 ? kCmdContinuousPlus : kCmdContinuousMinus);
}

bool CMotionCard::BeginAxisDrive(short axis, bool othersValid, int32_t topSpeed) {
    if (!CheckDrive(AxisValid(axis) && othersValid)) return false;
    ChooseMultipleAndRange(static_cast<uint16_t>(axis), static_cast<uint32_t>(topSpeed));
    return true;
}

// --- Continuous drives -----------------------------------------------------------

short CMotionCard::TVMove(short axis, int32_t sV, int32_t rV, float Tacc, short dir) {
    const bool accelerates = !SpeedNotAbove(rV, sV);
    if (!BeginAxisDrive(axis, SpeedWithin(sV) && SpeedWithin(rV) && TimeValid(Tacc),
                        accelerates ? rV : sV)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    // A trapezoid must not run with the jerk a previous S-curve left behind.
    if (m_wWR3[a] & kWR3SCurve) ClearSCurveMode(a);
    if (accelerates) SetAccel(a, AccelToA(a, Rate(LinearQuotient(sV, rV, Tacc))));
    SetStartSpeed(a, SpeedToSV(a, sV));
    StartContinuousDrive(a, SpeedToV(a, rV), dir);
    return 0;
}

short CMotionCard::SVMove(short axis, int32_t sV, int32_t rV, float Tacc, float Tsacc, short dir) {
    if (!BeginAxisDrive(
            axis, SpeedWithin(rV) && SpeedNotAbove(sV, rV) && TimeValid(Tacc) && TimeValid(Tsacc),
            rV)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    const SCurveRates rates = SCurve(sV, rV, Tacc, Tsacc);
    SetSCurveMode(a);
    SetStartSpeed(a, SpeedToSV(a, sV));
    SetAccel(a, AccelToA(a, rates.accel));
    SetJerk(a, JerkToK(a, rates.jerk));
    StartContinuousDrive(a, SpeedToV(a, rV), dir);
    return 0;
}

// --- Linear fixed-pulse drives ---------------------------------------------------

short CMotionCard::StartTRMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc) {
    const bool accelerates = !SpeedNotAbove(rV, sV);
    const int32_t drive = accelerates ? rV : sV;
    if (!BeginAxisDrive(axis,
                        MagnitudeWithin(lPulse, kMaxDrivePulses) && SpeedWithin(sV) &&
                            SpeedWithin(rV) && TimeValid(Tacc),
                        drive)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    SetStartSpeed(a, SpeedToSV(a, sV));
    if (accelerates) SetAccel(a, AccelToA(a, Rate(ToSingle(LinearQuotient(sV, rV, Tacc)))));
    SetDecelMode(a, 0);
    StartFixedDrive(a, SpeedToV(a, drive), PulseCount(lPulse), lPulse < 0, false);
    return 0;
}

short CMotionCard::StartTRNMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc,
                                float Tdec) {
    if (!BeginAxisDrive(axis,
                        MagnitudeWithin(lPulse, kMaxDrivePulses) && SpeedNotAbove(sV, rV) &&
                            SpeedWithin(rV) && TimeValid(Tacc) && TimeValid(Tdec),
                        rV)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    SetStartSpeed(a, SpeedToSV(a, sV));
    SetDecelMode(a, 1);
    SetAccel(a, AccelToA(a, Rate(ToSingle(LinearQuotient(sV, rV, Tacc)))));
    SetDecel(a, DecelToD(a, Rate(ToSingle(LinearQuotient(sV, rV, Tdec)))));
    StartFixedDrive(a, SpeedToV(a, rV), PulseCount(lPulse), lPulse < 0, false);
    return 0;
}

short CMotionCard::StartTAMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc) {
    const bool accelerates = !SpeedNotAbove(rV, sV);
    const int32_t drive = accelerates ? rV : sV;
    if (!BeginAxisDrive(
            axis,
            lPulse <= kMaxDrivePulses && SpeedWithin(sV) && SpeedWithin(rV) && TimeValid(Tacc),
            drive)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    const int64_t distance = static_cast<int64_t>(lPulse) - GetPosition(axis);
    // A target out of reach is refused, not cut short to the counter's limit.
    if (!MagnitudeWithin(distance, kMaxDrivePulses)) return RefuseParameter();
    SetStartSpeed(a, SpeedToSV(a, sV));
    if (accelerates) SetAccel(a, AccelToA(a, Rate(LinearQuotient(sV, rV, Tacc))));
    SetDecelMode(a, 0);
    StartFixedDrive(a, SpeedToV(a, drive),
                    static_cast<int32_t>(distance < 0 ? -distance : distance), distance <= 0,
                    false);
    return 0;
}

short CMotionCard::StartTANMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc,
                                float Tdec) {
    if (!CheckDrive(AxisValid(axis))) return -1;
    const int64_t distance = static_cast<int64_t>(lPulse) - GetPosition(axis);
    return StartTRNMove(axis, NarrowDistance(distance), sV, rV, Tacc, Tdec);
}

// --- S-curve fixed-pulse drives --------------------------------------------------

short CMotionCard::StartSRMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc,
                               float Tsacc) {
    if (!BeginAxisDrive(axis,
                        MagnitudeWithin(lPulse, kMaxDrivePulses) && SpeedNotAbove(sV, rV) &&
                            SpeedWithin(rV) && TimeValid(Tacc) && TimeValid(Tsacc),
                        rV)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    const SCurveRates rates = SCurve(sV, rV, Tacc, Tsacc);
    SetStartSpeed(a, SpeedToSV(a, sV));
    SetAccel(a, AccelToA(a, rates.accel));
    SetJerk(a, JerkToK(a, rates.jerk));
    SetDecelMode(a, 0);
    StartSCurveFixedDrive(a, SpeedToV(a, rV), PulseCount(lPulse), lPulse < 0);
    return 0;
}

short CMotionCard::StartSRNMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tlacc,
                                float Tsacc, float Tldec, float Tsdec) {
    if (!BeginAxisDrive(axis,
                        MagnitudeWithin(lPulse, kMaxDrivePulses) && SpeedNotAbove(sV, rV) &&
                            SpeedWithin(rV) && TimeValid(Tlacc) && TimeValid(Tldec) &&
                            TimeValid(Tsacc) && TimeValid(Tsdec),
                        rV)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    const SCurveRates rates = SCurve(sV, rV, Tlacc, Tsacc);
    SetStartSpeed(a, SpeedToSV(a, sV));
    SetDecelMode(a, 1);
    SetAccel(a, AccelToA(a, rates.accel));
    SetDecel(a, DecelToD(a, SCurveDecel(sV, rV, Tldec, Tsdec)));
    SetJerk(a, JerkToK(a, rates.jerk));
    StartSCurveFixedDrive(a, SpeedToV(a, rV), PulseCount(lPulse), lPulse < 0);
    return 0;
}

short CMotionCard::StartSAMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tlacc,
                               float Tsacc) {
    if (!BeginAxisDrive(axis,
                        lPulse <= kMaxDrivePulses && SpeedNotAbove(sV, rV) && SpeedWithin(rV) &&
                            TimeValid(Tlacc) && TimeValid(Tsacc),
                        rV)) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    const SCurveRates rates = SCurve(sV, rV, Tlacc, Tsacc);
    const int64_t distance = static_cast<int64_t>(lPulse) - GetPosition(axis);
    // A target out of reach is refused, not cut short to the counter's limit.
    if (!MagnitudeWithin(distance, kMaxDrivePulses)) return RefuseParameter();
    SetStartSpeed(a, SpeedToSV(a, sV));
    SetAccel(a, AccelToA(a, rates.accel));
    SetJerk(a, JerkToK(a, rates.jerk));
    SetDecelMode(a, 0);
    StartSCurveFixedDrive(a, SpeedToV(a, rV),
                          static_cast<int32_t>(distance < 0 ? -distance : distance), distance <= 0);
    return 0;
}

short CMotionCard::StartSANMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tlacc,
                                float Tsacc, float Tldec, float Tsdec) {
    if (!CheckDrive(AxisValid(axis))) return -1;
    const int64_t distance = static_cast<int64_t>(lPulse) - GetPosition(axis);
    return StartSRNMove(axis, NarrowDistance(distance), sV, rV, Tlacc, Tsacc, Tldec, Tsdec);
}

// --- Manual-pulse moves ----------------------------------------------------------

short CMotionCard::ManuMove(short axis, int32_t sV, int32_t rV) {
    if (!CheckDrive(AxisValid(axis))) return -1;
    const uint16_t a = static_cast<uint16_t>(axis);
    SetStartSpeed(a, SpeedToSV(a, sV));
    SetDriveSpeed(a, SpeedToV(a, rV));
    SetManualContinuous(a);
    return 0;
}

short CMotionCard::ManuMove2(short axis, int32_t sV, int32_t rV) {
    if (!CheckDrive(AxisValid(axis))) return -1;
    const uint16_t a = static_cast<uint16_t>(axis);
    SetStartSpeed(a, SpeedToSV(a, sV));
    SetDriveSpeed(a, SpeedToV(a, sV));
    SetPulse(a, static_cast<uint16_t>(rV), true);
    SetManualFixed(a);
    return 0;
}
