#pragma once
// Arithmetic the controls share for placing themselves: values from markup are held within
// kMaxControlCoordinate (ControlUI.h), and sums over many children are made in 64 bits and
// brought back into that range, so that hostile sizes can never overflow.

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

inline LONG ClampCoordinate(long long value) {
    return static_cast<LONG>(
        std::clamp<long long>(value, -kMaxControlCoordinate, kMaxControlCoordinate));
}

inline RECT ClampRectCoordinates(const RECT& rc) {
    return RECT{ClampCoordinate(rc.left), ClampCoordinate(rc.top), ClampCoordinate(rc.right),
                ClampCoordinate(rc.bottom)};
}

// The size rule of the layouts: raised to the minimum, then lowered to the maximum (so a
// maximum below the minimum wins).
inline LONG ClampToLimits(long long value, LONG minimum, LONG maximum) {
    return ClampCoordinate(std::min<long long>(std::max<long long>(value, minimum), maximum));
}

// The part of extent a floating edge adds: the product truncated toward zero, kept within the
// coordinate range (hostile percentages may be huge or not numbers at all).
inline LONG PercentOf(double percent, LONG extent) {
    const double product = percent * static_cast<double>(extent);
    if (!std::isfinite(product)) return 0;
    const double limit = static_cast<double>(kMaxControlCoordinate);
    return static_cast<LONG>(std::clamp(product, -limit, limit));
}

}  // namespace SkinUI
