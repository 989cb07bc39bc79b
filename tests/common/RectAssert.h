#pragma once
// The one rectangle check of the tests: EXPECT_TRUE(SameRect(actual, expected)) says both
// rectangles when they differ.

#include <windows.h>

#include <gtest/gtest.h>

namespace test_support {

inline ::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
    if (actual.left == expected.left && actual.top == expected.top &&
        actual.right == expected.right && actual.bottom == expected.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << actual.left << "," << actual.top << "," << actual.right << ","
           << actual.bottom << ") expected (" << expected.left << "," << expected.top << ","
           << expected.right << "," << expected.bottom << ")";
}

}  // namespace test_support
