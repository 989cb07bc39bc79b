// Screen density: skin lengths scaled to a window's density, and the picture variant picked
// for it.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "ui/core/base/UIDpi.h"

using namespace SkinUI;

namespace {

std::wstring Text(const CUIString& text) { return text.GetData(); }

TEST(Dpi, ScalesLengthsRoundingHalfAwayFromZero) {
    struct TCase {
        int value, dpi, expected;
    };
    const TCase cases[] = {
        {1, 96, 1},     {1, 192, 2},     {980, 144, 1470}, {600, 192, 1200},
        {3, 144, 5},    {-3, 144, -5},   {-2, 144, -3},    {1, 120, 1},
        {0, 192, 0},    {INT_MAX, 192, INT_MAX},           {INT_MIN, 192, INT_MIN},
        // Densities out of range are taken as the range's ends.
        {10, 100000, 50}, {10, 0, 5},    {10, -96, 5},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ScaleByDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

TEST(Dpi, ScalesAttributeTextInTheSyntaxItWasReadIn) {
    struct TCase {
        EScaledAttr kind;
        const wchar_t* text;
        int dpi;
        const wchar_t* expected;
    };
    const TCase cases[] = {
        {EScaledAttr::Rect, L"20,12,0,0", 192, L"40,24,0,0"},
        {EScaledAttr::Rect, L"-2,9,0,0", 144, L"-3,14,0,0"},
        {EScaledAttr::Rect, L"0, 60, 30, 90", 144, L"0,90,45,135"},  // blanks before numbers read
        {EScaledAttr::Rect, L"5,6", 192, L"10,12,0,0"},               // missing numbers read as 0
        {EScaledAttr::Rect, L"abc", 192, L"0,0,0,0"},                 // as the reader sees it
        {EScaledAttr::Size, L"980,600", 144, L"1470,900"},
        {EScaledAttr::Number, L"1", 192, L"2"},
        {EScaledAttr::Number, L"30px", 192, L"60"},
        {EScaledAttr::NumberOrRect, L"2", 144, L"3"},
        {EScaledAttr::NumberOrRect, L"0,0,0,1", 192, L"0,0,0,2"},
        {EScaledAttr::FirstNumber, L"3,-135", 192, L"6,-135"},  // a distance, then an angle
        {EScaledAttr::FirstNumber, L" 2,45,7", 144, L"3,45,7"},
        {EScaledAttr::FirstNumber, L"x", 192, L"0x"},             // reads as the row reads it
        // Unscaled: not a length, or the skin's own density; the text stays as written.
        {EScaledAttr::None, L"10", 192, L"10"},
        {EScaledAttr::Rect, L"1, 2,x", 96, L"1, 2,x"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Text(ScaleAttrValue(c.kind, c.text, c.dpi)), c.expected) << c.text << " at " << c.dpi;
    EXPECT_EQ(Text(ScaleAttrValue(EScaledAttr::Number, nullptr, 192)), L"0");
}

TEST(Dpi, KeepsTheLatestValueOfEachAttributeInFirstOrder) {
    CLogicalAttributes lengths;
    lengths.Remember(L"width", L"10");
    lengths.Remember(L"padding", L"1,2,3,4");
    lengths.Remember(L"width", L"20");
    ASSERT_EQ(lengths.Entries().size(), 2u);
    EXPECT_EQ(Text(lengths.Entries()[0].name), L"width");
    EXPECT_EQ(Text(lengths.Entries()[0].value), L"20");
    EXPECT_EQ(Text(lengths.Entries()[1].name), L"padding");
}

TEST(Dpi, VariantNamesGoBeforeTheExtensionOfTheLastElement) {
    struct TCase {
        const wchar_t* name;
        int dpi;
        const wchar_t* expected;
    };
    const TCase cases[] = {
        {L"bg.png", 192, L"bg@2x.png"},
        {L"bg.png", 144, L"bg@1.5x.png"},
        {L"bg@1x.png", 192, L"bg@1x@2x.png"},  // a picture of its own, not a variant of bg.png
        {L"Min.PNG", 192, L"Min@2x.PNG"},
        {L"img/a.png", 192, L"img/a@2x.png"},
        {L"my.skin\\logo", 192, L"my.skin\\logo@2x"},  // the dot of a folder is no extension
        {L"archive.tar.gz", 192, L"archive.tar@2x.gz"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Text(ImageVariantName(c.name, c.dpi)), c.expected) << c.name;
}

TEST(Dpi, PicksTheSmallestVariantDenseEnoughElseTheDensest) {
    struct TCase {
        const wchar_t* name;
        int dpi;
        std::set<std::wstring> present;
        const wchar_t* expected;
        int expectedDpi;
    };
    const std::set<std::wstring> both = {L"bg@1.5x.png", L"bg@2x.png"};
    // The installer's skin: "bg@1x.png" is the progress bar's own picture beside "bg.png".
    const std::set<std::wstring> installer = {L"bg.png", L"bg@1x.png", L"bg@2x.png"};
    const TCase cases[] = {
        {L"bg.png", 96, both, L"bg.png", 96},
        {L"bg.png", 144, both, L"bg@1.5x.png", 144},
        {L"bg.png", 192, both, L"bg@2x.png", 192},
        {L"bg.png", 120, both, L"bg@1.5x.png", 144},
        {L"bg.png", 240, both, L"bg@2x.png", 192},
        {L"bg.png", 144, {L"bg@2x.png"}, L"bg@2x.png", 192},
        {L"bg.png", 192, {L"bg@1.5x.png"}, L"bg@1.5x.png", 144},
        {L"bg.png", 192, {}, L"bg.png", 96},
        {L"bg.png", 192, installer, L"bg@2x.png", 192},
        {L"bg@1x.png", 192, installer, L"bg@1x.png", 96},
        {L"", 192, both, L"", 96},
    };
    for (const TCase& c : cases) {
        std::set<std::wstring> asked;
        const TImageVariant pick = PickImageVariant(c.name, c.dpi, [&](LPCWSTR candidate) {
            asked.insert(candidate);
            return c.present.count(candidate) != 0;
        });
        EXPECT_EQ(Text(pick.name), c.expected) << c.name << " at " << c.dpi;
        EXPECT_EQ(pick.dpi, c.expectedDpi) << c.name << " at " << c.dpi;
        for (const std::wstring& name : asked)
            EXPECT_NE(name.find(L'@', std::wstring(c.name).find(L'@') + 1), std::wstring::npos)
                << "only variant names are asked for: " << std::string(name.begin(), name.end());
    }
}

}  // namespace
