// The framework's string, pointer array, string map, geometry and attribute readers.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "tests/common/RectAssert.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/base/UIPtrArray.h"
#include "ui/core/base/UIString.h"
#include "ui/core/base/UIStringMap.h"

using namespace SkinUI;
using test_support::SameRect;

namespace {

std::wstring Repeat(wchar_t ch, int count) { return std::wstring(static_cast<size_t>(count), ch); }

// Keys "0".."199" with values pointing at values[0..199]: chains in every bucket.
constexpr int kNumberKeys = 200;
void InsertNumberKeys(CUIStringMap& map, int (&values)[kNumberKeys]) {
    for (int i = 0; i < kNumberKeys; ++i) {
        values[i] = i;
        ASSERT_TRUE(map.Insert(std::to_wstring(i).c_str(), &values[i]));
    }
}

}  // namespace

TEST(UIString, GrowsAcrossTheInlineLimitAndKeepsItsText) {
    for (int length : {0, 1, 61, 62, 63, 64, 200, 5000}) {
        std::wstring text = Repeat(L'a', length);
        CUIString grown;
        for (int i = 0; i < length; ++i) grown += L'a';
        CUIString assigned(text.c_str());
        EXPECT_EQ(std::wstring(grown.GetData()), text) << length;
        EXPECT_EQ(grown.GetLength(), length);
        EXPECT_TRUE(grown == assigned);
        CUIString copy(grown), moved(std::move(assigned));
        EXPECT_EQ(copy, grown);
        EXPECT_EQ(moved, grown);
        EXPECT_EQ(assigned.GetLength(), 0) << "a moved-from string is empty";
        copy = copy;  // self-assignment keeps the text
        EXPECT_EQ(copy, grown);
    }
}

TEST(UIString, AppendingAPartOfItselfIsSafe) {
    CUIString text(Repeat(L'x', 60).c_str());
    text.Append(text.GetData() + 10);  // crosses to the heap while reading its own buffer
    EXPECT_EQ(std::wstring(text.GetData()), Repeat(L'x', 110));
    text.Assign(text.GetData() + 100);
    EXPECT_EQ(std::wstring(text.GetData()), Repeat(L'x', 10));
}

TEST(UIString, SubstringsSearchAndCase) {
    CUIString text(L"Hello, World");
    EXPECT_EQ(text.Left(5), L"Hello");
    EXPECT_EQ(text.Right(5), L"World");
    EXPECT_EQ(text.Mid(7), L"World");
    EXPECT_EQ(text.Mid(7, 2), L"Wo");
    EXPECT_EQ(text.Mid(-3, 100), text);
    EXPECT_EQ(text.Left(-1), L"");
    EXPECT_EQ(text.Right(99), text);
    EXPECT_EQ(text.Mid(99), L"");
    EXPECT_EQ(text.Find(L'o'), 4);
    EXPECT_EQ(text.Find(L'o', 5), 8);
    EXPECT_EQ(text.Find(L"World"), 7);
    EXPECT_EQ(text.Find(L"world"), -1);
    EXPECT_EQ(text.Find(L'o', 99), -1);
    EXPECT_EQ(text.ReverseFind(L'o'), 8);
    EXPECT_EQ(text.CompareNoCase(L"HELLO, world"), 0);
    EXPECT_NE(text.Compare(L"HELLO, world"), 0);
    EXPECT_LT(CUIString(L"a").Compare(L"b"), 0);
    EXPECT_EQ(CUIString().Compare(nullptr), 0);
    text.MakeUpper();
    EXPECT_EQ(text, L"HELLO, WORLD");
    text.MakeLower();
    EXPECT_EQ(text, L"hello, world");
    EXPECT_EQ(text.GetAt(100), L'\0');
    text.SetAt(5, L'\0');
    EXPECT_EQ(text.GetLength(), 5);
    EXPECT_TRUE(L"hello" == text);
}

TEST(UIString, ReplaceCountsAndDoesNotRescan) {
    struct {
        const wchar_t* text;
        const wchar_t* from;
        const wchar_t* to;
        int count;
        const wchar_t* result;
    } const cases[] = {
        {L"a.b.c", L".", L"::", 2, L"a::b::c"},
        {L"aaa", L"a", L"aa", 3, L"aaaaaa"},
        {L"aaaa", L"aa", L"b", 2, L"bb"},
        {L"abc", L"", L"x", 0, L"abc"},
        {L"abc", L"b", L"", 1, L"ac"},
        {L"abc", L"z", L"y", 0, L"abc"},
    };
    for (const auto& c : cases) {
        CUIString text(c.text);
        EXPECT_EQ(text.Replace(c.from, c.to), c.count) << c.text;
        EXPECT_EQ(text, c.result) << c.text;
    }
}

TEST(UIString, FormatTakesWideStringsForPercentS) {
    CUIString text;
    EXPECT_EQ(text.Format(L"%s=%d (%ls) %S", L"wide", 42, L"ls", "narrow"), 19);
    EXPECT_EQ(text, L"wide=42 (ls) narrow");
    std::wstring longText = Repeat(L'z', 300);
    text.Format(L"[%s]", longText.c_str());
    EXPECT_EQ(std::wstring(text.GetData()), L"[" + longText + L"]");
    EXPECT_EQ(text.Format(nullptr), -1);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(UIString, ConcatenationOperators) {
    CUIString a(L"ab");
    EXPECT_EQ(a + L"cd", L"abcd");
    EXPECT_EQ(L"cd" + a, L"cdab");
    EXPECT_EQ(a + a, L"abab");
    CUIString b(L'x');
    b += a;
    b += L"y";
    EXPECT_EQ(b, L"xaby");
    CUIString nullText(nullptr);
    EXPECT_TRUE(nullText.IsEmpty());
    EXPECT_EQ(CUIString(L"abcdef", 3), L"abc");
}

TEST(UIPtrArray, GrowthRemovalAndOutOfRange) {
    CUIPtrArray array;
    EXPECT_EQ(array.GetAt(0), nullptr);
    int values[40] = {};
    ASSERT_TRUE(array.Add(&values[0]));
    EXPECT_EQ(array.GetCapacity(), 11);
    for (int i = 1; i < 12; ++i) array.Add(&values[i]);
    EXPECT_EQ(array.GetCapacity(), 22) << "appending to a full array doubles it";
    EXPECT_EQ(array.GetSize(), 12);
    EXPECT_EQ(array[11], &values[11]);
    EXPECT_EQ(array[12], nullptr);
    EXPECT_EQ(array[-1], nullptr);

    EXPECT_TRUE(array.Remove(0));
    EXPECT_EQ(array[0], &values[1]) << "removal shifts the tail down";
    EXPECT_TRUE(array.InsertAt(0, &values[30]));
    EXPECT_EQ(array.Find(&values[30]), 0);
    EXPECT_EQ(array.Find(&values[31]), -1);
    EXPECT_TRUE(array.Remove(10, 2));
    EXPECT_EQ(array.GetSize(), 10);
    EXPECT_FALSE(array.Remove(9, 2));
    EXPECT_FALSE(array.SetAt(10, nullptr));
    EXPECT_FALSE(array.InsertAt(12, nullptr));
    EXPECT_TRUE(array.InsertAt(10, &values[5]));
    EXPECT_EQ(array[10], &values[5]);

    CUIPtrArray copy(array);
    array.Empty();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(copy.GetSize(), 11);
    EXPECT_EQ(copy[0], &values[30]);
}

TEST(UIStringMap, HashBucketsAndOperations) {
    EXPECT_EQ(CUIStringMap::HashKey(L""), 0u);
    EXPECT_EQ(CUIStringMap::HashKey(L"a"), 97u);
    EXPECT_EQ(CUIStringMap::HashKey(L"ab"), 98u * 33u + 97u) << "folded from the last character";
    std::wstring longKey = Repeat(L'z', 40);
    UINT expected = 0;
    for (size_t i = longKey.size(); i > 0; --i) expected = expected * 33u + longKey[i - 1];
    EXPECT_EQ(CUIStringMap::HashKey(longKey.c_str()), expected) << "wraps at 32 bits";

    CUIStringMap map;
    int a = 1, b = 2, c = 3;
    EXPECT_TRUE(map.Insert(L"Button", &a));
    EXPECT_FALSE(map.Insert(L"Button", &b)) << "inserting an existing key fails";
    EXPECT_EQ(map.Find(L"Button"), &a);
    EXPECT_EQ(map.Find(L"button"), nullptr) << "keys are case-sensitive";
    EXPECT_EQ(map.Set(L"Button", &b), &a) << "setting returns the replaced value";
    EXPECT_EQ(map.Set(L"Label", &c), nullptr);
    EXPECT_EQ(map.GetSize(), 2);
    EXPECT_TRUE(map.Remove(L"Button"));
    EXPECT_FALSE(map.Remove(L"Button"));
    EXPECT_EQ(map.GetSize(), 1);
}

TEST(UIStringMap, CollidingKeysAndIterationOrder) {
    CUIStringMap map;
    // Keys 0..199 fill every bucket with chains; lookups moving entries to the front of their
    // chain must not lose any.
    int values[kNumberKeys];
    ASSERT_NO_FATAL_FAILURE(InsertNumberKeys(map, values));
    for (int round = 0; round < 2; ++round)
        for (int i = 199; i >= 0; --i)
            ASSERT_EQ(map.Find(std::to_wstring(i).c_str()), &values[i]) << i;
    int visited = 0;
    UINT lastBucket = 0;
    map.ForEach([&](LPCWSTR key, LPVOID data) {
        UINT bucket = CUIStringMap::HashKey(key) % CUIStringMap::kBucketCount;
        EXPECT_GE(bucket, lastBucket) << "iteration walks the buckets in order";
        lastBucket = bucket;
        EXPECT_EQ(*static_cast<int*>(data), _wtoi(key));
        ++visited;
    });
    EXPECT_EQ(visited, 200);
    EXPECT_NE(map.GetAt(199), nullptr);
    EXPECT_EQ(map.GetAt(200), nullptr);
    for (int i = 0; i < 200; i += 2) EXPECT_TRUE(map.Remove(std::to_wstring(i).c_str()));
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(map.Find(std::to_wstring(i).c_str()), i % 2 ? &values[i] : nullptr) << i;
}

TEST(UIStringMap, LookupsDuringAWalkKeepItsOrder) {
    CUIStringMap map;
    int values[kNumberKeys];
    ASSERT_NO_FATAL_FAILURE(InsertNumberKeys(map, values));
    // Looking up every key (the ones still ahead in the same chain among them) while walking:
    // each entry must still be visited exactly once.
    auto lookUpAll = [&map] {
        for (int k = 199; k >= 0; --k) map.Find(std::to_wstring(k).c_str());
    };
    std::vector<int> seen(200, 0);
    map.ForEach([&](LPCWSTR key, LPVOID) {
        ++seen[_wtoi(key)];
        lookUpAll();
    });
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 200) << "ForEach";

    std::fill(seen.begin(), seen.end(), 0);
    {
        const CUIStringMap::CWalk walk(map);
        for (int i = 0; LPCWSTR key = map.GetAt(i); ++i) {
            ++seen[_wtoi(key)];
            lookUpAll();
        }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 200) << "walk by index";
    EXPECT_EQ(map.Find(L"7"), &values[7]) << "lookups work as before after the walk";
}

TEST(UIGeometry, ColoursAndRectangles) {
    EXPECT_EQ(ArgbToColorRef(0xFF112233u), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(ArgbToColorRef(0x00FF0000u), RGB(0xFF, 0, 0));
    EXPECT_EQ(ArgbAlpha(0x80FFFFFFu), 0x80);
    EXPECT_EQ(ArgbWithAlpha(0x12345678u, 0xFF), 0xFF345678u);
    RECT a = MakeRect(0, 0, 10, 10), b = MakeRect(5, 5, 20, 20), out{};
    EXPECT_TRUE(RectIntersect(out, a, b));
    EXPECT_TRUE(SameRect(out, MakeRect(5, 5, 10, 10)));
    EXPECT_FALSE(RectIntersect(out, a, MakeRect(10, 0, 20, 10))) << "right edges are exclusive";
    EXPECT_TRUE(RectIsZero(out));
    EXPECT_TRUE(RectContains(a, POINT{0, 9}));
    EXPECT_FALSE(RectContains(a, POINT{10, 5}));
    EXPECT_TRUE(SameRect(RectUnion(a, b), MakeRect(0, 0, 20, 20)));
    EXPECT_TRUE(SameRect(RectDeflate(a, MakeRect(1, 2, 3, 4)), MakeRect(1, 2, 7, 6)));
    EXPECT_TRUE(RectIsEmpty(MakeRect(5, 5, 4, 10)));
    EXPECT_FALSE(RectsMeet(a, MakeRect(0, 10, 10, 20)));
}

TEST(UIAttribute, IntegersBooleansAndColours) {
    struct {
        const wchar_t* text;
        int value;
    } const ints[] = {{L"12", 12}, {L"-7", -7}, {L"  +3px", 3}, {L"abc", 0}, {L"", 0},
                      {nullptr, 0}, {L"99999999999", INT_MAX}, {L"0x10", 0}};
    for (const auto& c : ints) EXPECT_EQ(ParseAttrInt(c.text), c.value) << (c.text ? c.text : L"null");

    EXPECT_TRUE(ParseAttrBool(L"true"));
    EXPECT_FALSE(ParseAttrBool(L"True"));
    EXPECT_FALSE(ParseAttrBool(L"1"));
    EXPECT_FALSE(ParseAttrBool(nullptr));
    EXPECT_TRUE(ParseAttrBoolNoCase(L"TRUE"));

    struct {
        const wchar_t* text;
        bool skipBlanks;
        DWORD value;
    } const colours[] = {{L"#FF102030", false, 0xFF102030u}, {L"FF102030", false, 0xFF102030u},
                         {L"#102030", false, 0x00102030u}, {L"  #FF000000", true, 0xFF000000u},
                         {L"  #FF000000", false, 0u},      {L"#", false, 0u},
                         {L"#zz", false, 0u},              {nullptr, false, 0u}};
    for (const auto& c : colours)
        EXPECT_EQ(ParseAttrColor(c.text, c.skipBlanks), c.value) << (c.text ? c.text : L"null");
    EXPECT_EQ(ParseAttrHex(L"5A"), 90u);
}

TEST(UIAttribute, ListsStepOneCharacterAndNeverPastTheEnd) {
    struct {
        const wchar_t* text;
        RECT rect;
        int found;
    } const cases[] = {
        {L"0,60,30,90", {0, 60, 30, 90}, 4},
        {L"0, 60, 30, 90", {0, 60, 30, 90}, 4},   // blanks before a number are skipped
        {L"1;2;3;4", {1, 2, 3, 4}, 4},            // any one separator
        {L"1,,3,4", {1, 0, 3, 4}, 3},             // an empty slot reads 0
        {L"5,6", {5, 6, 0, 0}, 2},                // missing numbers read as 0, no reading past the end
        {L"", {0, 0, 0, 0}, 0},
        {L"-1,-2,-3,-4", {-1, -2, -3, -4}, 4},
    };
    for (const auto& c : cases) {
        int values[4];
        EXPECT_EQ(ParseAttrIntList(c.text, values, 4), c.found) << c.text;
        EXPECT_TRUE(SameRect(ParseAttrRect(c.text), c.rect)) << c.text;
    }
    SIZE size = ParseAttrSize(L"980,600");
    EXPECT_EQ(size.cx, 980);
    EXPECT_EQ(size.cy, 600);
    POINT point = ParseAttrPoint(L"3");
    EXPECT_EQ(point.x, 3);
    EXPECT_EQ(point.y, 0);
    double fractions[4];
    EXPECT_EQ(ParseAttrDoubleList(L"0.5,0.25,1,0", fractions, 4), 4);
    EXPECT_DOUBLE_EQ(fractions[1], 0.25);
}
