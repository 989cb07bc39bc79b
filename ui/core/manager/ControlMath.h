#pragma once
// Integer helpers for control arithmetic fed by skin markup. Ranges, positions, frame numbers
// and step sizes come from the skin as full 32-bit values, so sums and products of them are
// worked out in 64 bits and brought back into the int range instead of overflowing.

#include <climits>
#include <cstdint>

namespace SkinUI {

// value limited to the range of int.
constexpr int ClampToInt(int64_t value) {
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// a + b, saturating at the ends of the int range.
constexpr int AddClamped(int a, int64_t b) { return ClampToInt(static_cast<int64_t>(a) + b); }

// a × b / c truncated toward zero (multiplication first), saturating; 0 when c is 0.
constexpr int MulDivTrunc(int64_t a, int64_t b, int64_t c) {
    return c == 0 ? 0 : ClampToInt(a * b / c);
}

}  // namespace SkinUI
