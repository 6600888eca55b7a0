// Client units (pulses per second, per second squared and cubed) to chip units. The
// float32 roundings are deliberate: they decide the last unit of several results.
#include <cstdint>

#include "motion_card.h"
#include "saturate.h"

namespace {

constexpr float kMultipleUnit = 8000.0f;
constexpr double kHalf = 0.5;
constexpr float kAccelUnit = 125.0f;
constexpr double kJerkUnit = 62500000.0;
constexpr int32_t kSpeedLimit = 8000;
constexpr int32_t kDriveSpeedLimit = 8000000;
constexpr int32_t kRateLimit = 8000;
constexpr int32_t kJerkLimit = 65535;
constexpr uint16_t kMaxMultiple = 500;

}  // namespace

void CMotionCard::SetMultiple(uint16_t axis, uint16_t multiple) {
    if (multiple == 0) multiple = 1;
    if (multiple > kMaxMultiple) multiple = kMaxMultiple;
    m_wMultiple[axis] = multiple;
}

void CMotionCard::ChooseMultiple(uint16_t axis, uint32_t speed) {
    // Clamped before the cut to 16 bits, or an absurd speed would wrap to a tiny M.
    int32_t multiple = SaturateToInt32(static_cast<float>(speed) / kMultipleUnit + kHalf);
    if (multiple < 1) multiple = 1;
    if (multiple > kMaxMultiple) multiple = kMaxMultiple;
    SetMultiple(axis, static_cast<uint16_t>(multiple));
}

void CMotionCard::ChooseMultipleAndRange(uint16_t axis, uint32_t speed) {
    ChooseMultiple(axis, speed);
    SetRange(axis, 8000000 / m_wMultiple[axis]);
}

double CMotionCard::GetMultiple(uint16_t axis) const { return m_wMultiple[axis]; }

uint16_t CMotionCard::SpeedToSV(uint16_t axis, int32_t speed) {
    const double multiple = GetMultiple(axis);
    int32_t sv = SaturateToInt32(static_cast<float>(speed) / multiple);
    if (sv > kSpeedLimit) sv = kSpeedLimit;
    if (speed != 0 && sv == 0) sv = 1;
    m_lStartSpeed[axis] = SaturateToInt32(multiple * sv);
    return static_cast<uint16_t>(sv);
}

int32_t CMotionCard::SpeedToV(uint16_t axis, int32_t speed) {
    int32_t v = SaturateToInt32(static_cast<float>(speed) / GetMultiple(axis));
    if (v > kDriveSpeedLimit) v = kDriveSpeedLimit;
    if (speed != 0 && v == 0) v = 1;
    return v;
}

uint16_t CMotionCard::AccelToA(uint16_t axis, int32_t accel) {
    const double multiple = GetMultiple(axis);
    int32_t a = SaturateToInt32(static_cast<float>(accel) / multiple / kAccelUnit);
    if (a > kRateLimit) a = kRateLimit;
    if (accel != 0 && a == 0) a = 1;
    m_lAccel[axis] = SaturateToInt32(multiple * a * kAccelUnit);
    return static_cast<uint16_t>(a);
}

uint16_t CMotionCard::DecelToD(uint16_t axis, int32_t decel) {
    const double multiple = GetMultiple(axis);
    int32_t d = SaturateToInt32(static_cast<float>(decel) / multiple / kAccelUnit);
    if (d > kRateLimit) d = kRateLimit;
    if (decel != 0 && d == 0) d = 1;
    m_lDecel[axis] = SaturateToInt32(multiple * kAccelUnit * d);
    return static_cast<uint16_t>(d);
}

uint16_t CMotionCard::JerkToK(uint16_t axis, int32_t jerk) {
    const double multiple = GetMultiple(axis);
    if (jerk == 0) jerk = 1;
    // The jerk enters unrounded: a float would lose digits of large jerks.
    int32_t k = SaturateToInt32(multiple * kJerkUnit / jerk);
    if (k > kJerkLimit) k = kJerkLimit;
    if (k == 0) k = 1;
    // Small K at large M gives more than 2^31 - 1 pulses per second cubed.
    m_lJerk[axis] = SaturateToInt32(multiple * kJerkUnit / k);
    return static_cast<uint16_t>(k);
}
