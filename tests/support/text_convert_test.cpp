// Text conversions: empty and null input, UTF-8 round trips, results cut at the first NUL.

#include <gtest/gtest.h>
#include <windows.h>

#include "support/TextConvert.h"

namespace {

// UTF-8 bytes of a wide text, made independently of the functions under test.
std::string ToUtf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

TEST(TextConvert, EmptyOrNullInputGivesEmptyOutput) {
    EXPECT_EQ(WideToAnsi(L""), "");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToAnsi(""), "");
    EXPECT_EQ(ThreadAnsiToWide(""), L"");
    EXPECT_EQ(WideToThreadAnsi(L""), "");
    EXPECT_EQ(Utf8ToWide(static_cast<const char*>(nullptr)), L"");
    EXPECT_EQ(WideToAnsi(static_cast<const wchar_t*>(nullptr)), "");
}

TEST(TextConvert, ChineseTextRoundTripsThroughUtf8) {
    const std::wstring chinese = L"\u4e2d\u6587\u5b89\u88c5 Vexo \u6e38\u620f";
    const std::string utf8 = ToUtf8(chinese);
    EXPECT_EQ(utf8.substr(0, 3), "\xE4\xB8\xAD");
    EXPECT_EQ(Utf8ToWide(utf8), chinese);
    EXPECT_EQ(Utf8ToWide(utf8).size(), chinese.size());  // no terminator kept
    // Through the file-API code page, whatever it is: the same as converting the wide text.
    EXPECT_EQ(Utf8ToAnsi(utf8.c_str()), WideToAnsi(chinese));
    EXPECT_EQ(ThreadAnsiToWide(WideToThreadAnsi(L"plain ascii").c_str()), L"plain ascii");
    EXPECT_EQ(AnsiToWide(WideToAnsi(L"plain ascii")), L"plain ascii");
}

TEST(TextConvert, ResultStopsAtTheFirstNul) {
    EXPECT_EQ(Utf8ToWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(AnsiToWide(std::string("x\0y", 3)), L"x");
    EXPECT_EQ(WideToAnsi(std::wstring(L"p\0q", 3)), "p");
}
