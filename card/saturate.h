// Conversions from floating point to the chip's integers. A plain cast is undefined
// for NaN and out-of-range values, which zero or tiny times produce.
#pragma once

#include <cmath>
#include <cstdint>

// Truncates toward zero and saturates: NaN gives 0, values at or above 2^31 (and +inf)
// give 2147483647, values below -2^31 (and -inf) give -2147483648.
inline int32_t SaturateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0) return 2147483647;
    if (value <= -2147483649.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// A time of -0.0 passes the ">= 0" checks; dividing by it must behave like +0.0.
inline float PositiveZero(float seconds) { return seconds == 0.0f ? 0.0f : seconds; }
