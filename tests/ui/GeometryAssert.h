#pragma once
// Rectangle checks for the control tests that say what the rectangle was when they fail.

#include <windows.h>

#include <gtest/gtest.h>

namespace control_test {

inline ::testing::AssertionResult RectIs(const RECT& rc, LONG left, LONG top, LONG right,
                                         LONG bottom) {
    if (rc.left == left && rc.top == top && rc.right == right && rc.bottom == bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the rectangle is " << rc.left << "," << rc.top << ","
                                         << rc.right << "," << rc.bottom;
}

}  // namespace control_test
