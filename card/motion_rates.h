// Argument tests and rate arithmetic shared by the drives and the interpolations.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "saturate.h"

namespace motion_rates {

inline constexpr uint32_t kMaxSpeed = 4000000;
inline constexpr int64_t kMaxDrivePulses = 0x0FFFFFFF;
inline constexpr int64_t kMaxInterpCoord = 0x7FFFFF;

// Speeds are taken unsigned, so a negative speed exceeds every limit.
inline bool SpeedWithin(int32_t speed) { return static_cast<uint32_t>(speed) <= kMaxSpeed; }
inline bool SpeedNotAbove(int32_t lower, int32_t upper) {
    return static_cast<uint32_t>(lower) <= static_cast<uint32_t>(upper);
}
// NaN compares false and fails; -0.0 passes.
inline bool TimeValid(float seconds) { return seconds >= 0.0f; }
inline bool AxisValid(short axis) { return static_cast<uint16_t>(axis) <= 3; }
// Magnitudes in 64 bits: -2147483648 must not pass as its own absolute value.
inline bool MagnitudeWithin(int64_t value, int64_t limit) {
    return value <= limit && -value <= limit;
}

// The pulse count of a checked relative distance; -2147483648 never gets this far.
inline int32_t PulseCount(int32_t distance) {
    return static_cast<int32_t>(distance < 0 ? -static_cast<int64_t>(distance) : distance);
}

// A distance of 64 bits narrowed for a relative core: anything beyond 32 bits lies far
// outside every accepted magnitude, so the saturated value is refused just the same.
inline int32_t NarrowDistance(int64_t distance) {
    if (distance > INT32_MAX) return INT32_MAX;
    if (distance < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(distance);
}

// rV - sV as the chip arithmetic sees it: unsigned, wrapping.
inline double SpeedSpan(int32_t sV, int32_t rV) {
    return static_cast<double>(static_cast<uint32_t>(rV) - static_cast<uint32_t>(sV));
}
inline double Seconds(float seconds) { return PositiveZero(seconds); }

// Rounding to single precision, defined also beyond the float range.
inline float ToSingle(double value) {
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(value);
}

// An acceleration, deceleration or jerk for the conversions: never negative.
inline int32_t Rate(double quotient) { return quotient < 0.0 ? 0 : SaturateToInt32(quotient); }

// The linear acceleration (rV - sV) / t, as a double quotient.
inline double LinearQuotient(int32_t sV, int32_t rV, float t) {
    return SpeedSpan(sV, rV) / Seconds(t);
}

// The S-curve acceleration and jerk from a linear time tl and an S-curve time ts.
struct SCurveRates {
    int32_t accel;
    int32_t jerk;
};
inline SCurveRates SCurve(int32_t sV, int32_t rV, float tl, float ts) {
    const double linear = Seconds(tl);
    const double curve = Seconds(ts);
    const float ratio = ToSingle(curve / (linear + 2.0 * curve));
    const double x = 2.0 * (SpeedSpan(sV, rV) * ratio) / curve;
    return {Rate(ToSingle(x)), Rate(ToSingle(x / curve))};
}
// The S-curve deceleration: the acceleration's rule on the deceleration times.
inline int32_t SCurveDecel(int32_t sV, int32_t rV, float tld, float tsd) {
    return SCurve(sV, rV, tld, tsd).accel;
}

}  // namespace motion_rates
