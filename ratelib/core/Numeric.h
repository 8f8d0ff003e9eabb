// Number conversions shared by the rate arithmetic. Every float-to-integer step truncates toward
// zero and never converts a value the target type cannot hold.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>

namespace sorvane {

// Cycle sums of a full table reach past 64 bits (512 entries x 32-bit bursts x 64-bit gaps) and
// may go negative when an entry has no frames, so they are summed exactly in 128 bits.
using WideInt = __int128;

// One past the largest value of T, as a double (exact: a power of two).
template <typename T>
constexpr double UnsignedLimit() {
    static_assert(std::is_unsigned_v<T>);
    return static_cast<double>(std::numeric_limits<T>::max() / 2 + 1) * 2.0;
}

// trunc(value) when T holds it; no value for NaN or a truncation below zero or beyond T.
template <typename T>
std::optional<T> TruncateExact(double value) {
    if (!(value > -1.0) || !(value < UnsignedLimit<T>())) {
        return std::nullopt;
    }
    return static_cast<T>(value);
}

// trunc(value) held within T: NaN and negatives give 0, values beyond T give T's maximum.
template <typename T>
T TruncateSaturated(double value) {
    if (value >= UnsignedLimit<T>()) {
        return std::numeric_limits<T>::max();
    }
    return TruncateExact<T>(value).value_or(0);
}

// The nearest integer, a tie going to the even neighbour. Burst ratios are rounded by this rule
// rather than by a C runtime's "%.0f", whose tie rule differs from runtime to runtime.
inline double RoundHalfToEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5) {
        return lower;
    }
    if (fraction > 0.5) {
        return lower + 1.0;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

}  // namespace sorvane
