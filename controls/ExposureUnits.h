// Conversions between ExposureTimeAbs (microseconds) and the exposure value
// of IAMCameraControl (base-2 logarithm of seconds, in whole steps).
#pragma once

#include <cmath>

namespace ExposureUnits {

// Base-2 logarithm. Exact for powers of two, so that reading back an exposure
// written as 2^n seconds gives n again rather than n minus a rounding error.
inline double Log2(double x) {
    int exponent = 0;
    const double mantissa = std::frexp(x, &exponent);
    if (mantissa == 0.5) {
        return static_cast<double>(exponent - 1);
    }
    return std::log2(x);
}

// The exposure value of t microseconds, truncated toward zero. False for a
// time that has no logarithm or whose logarithm does not fit a long.
inline bool MicrosecondsToValue(double microseconds, long* value) {
    if (!(microseconds > 0.0) || !std::isfinite(microseconds)) {
        return false;
    }
    *value = static_cast<long>(std::trunc(Log2(microseconds / 1000000.0)));
    return true;
}

// 2^n seconds in microseconds, the power of two exact.
inline double ValueToMicroseconds(long value) {
    return std::ldexp(1.0, static_cast<int>(value)) * 1000000.0;
}

}  // namespace ExposureUnits
