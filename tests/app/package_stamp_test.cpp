#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/PackageStamp.h"
#include "tests/common/TestFiles.h"

namespace {

struct StampCase {
    const char* name;
    std::string bytes;
    const char* gameId;
    const char* comefrom;
};

class PackageStampText : public ::testing::TestWithParam<StampCase> {};

TEST_P(PackageStampText, SplitsIntoGameIdAndComefrom) {
    const StampCase& c = GetParam();
    const TPackageStamp stamp = ParsePackageStamp(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(stamp.gameId, c.gameId);
    EXPECT_EQ(stamp.comefrom, c.comefrom);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, PackageStampText,
    ::testing::Values(
        StampCase{"Unstamped", "This program cann", "This pr", "gram cann"},
        StampCase{"Stamped", "1000450 qqgame   ", "1000450", "qqgame"},
        StampCase{"SeparatorIgnored", "1000450Xqqgame   ", "1000450", "qqgame"},
        StampCase{"GameIdNotTrimmed", " 123456 qqgame   ", " 123456", "qqgame"},
        StampCase{"TagPaddedBothSides", "1000450   qq    ", "1000450", "qq"},
        StampCase{"AllSpaceTag", "1000450          ", "1000450", ""},
        StampCase{"OnlyLeadingSpacesKept", "1000450 \tqq\t    ", "1000450", "\tqq\t"},
        StampCase{"NulInsideTag", "1000450 ab\0cdefg"s, "1000450", "ab"},
        StampCase{"NulAfterEightCharacters", "1000450 \0abcdefg"s, "1000450", ""},
        StampCase{"NulInsideGameId", "1234\0" "567 qqgame   "s, "1234", ""},
        StampCase{"ShortInput", "10004", "10004", ""},
        StampCase{"LongerInputIsCut", "1000450 qqgame   EXTRA", "1000450", "qqgame"}),
    [](const ::testing::TestParamInfo<StampCase>& info) { return std::string(info.param.name); });

std::string FileWithStampAt0x4E(const std::string& stamp) {
    return std::string(0x4E, 'M') + stamp + std::string(64, '.');
}

// Reads the stamp of a file holding the given bytes.
TPackageStamp StampOfFileWith(const std::string& bytes, const wchar_t* name = L"installer.exe") {
    const testfiles::CTempDir dir;
    testfiles::WriteBytes(dir / name, bytes);
    return ReadPackageStampFromFile((dir / name).c_str());
}

TEST(PackageStampFile, ReadsSeventeenBytesAt0x4E) {
    const TPackageStamp stamp = StampOfFileWith(FileWithStampAt0x4E("7654321 qqgame   "));
    EXPECT_EQ(stamp.gameId, "7654321");
    EXPECT_EQ(stamp.comefrom, "qqgame");
}

TEST(PackageStampFile, FileEndingInsideTheStampGivesTheBytesItHas) {
    const TPackageStamp stamp = StampOfFileWith(std::string(0x4E, 'M') + "7654321 qq");
    EXPECT_EQ(stamp.gameId, "7654321");
    EXPECT_EQ(stamp.comefrom, "qq");
}

TEST(PackageStampFile, FileEndingBeforeTheStampGivesEmptyValues) {
    const TPackageStamp stamp = StampOfFileWith(std::string(40, 'M'));
    EXPECT_EQ(stamp.gameId, "");
    EXPECT_EQ(stamp.comefrom, "");
}

TEST(PackageStampFile, MissingFileGivesEmptyValues) {
    const TPackageStamp stamp = ReadPackageStampFromFile(L"Z:\\no\\such\\installer.exe");
    EXPECT_EQ(stamp.gameId, "");
    EXPECT_EQ(stamp.comefrom, "");
}

TEST(PackageStampFile, PathOutsideTheAnsiCodePageIsRead) {
    const TPackageStamp stamp =
        StampOfFileWith(FileWithStampAt0x4E("1234567 web      "), L"\u6e38\u620f\u2603.exe");
    EXPECT_EQ(stamp.gameId, "1234567");
    EXPECT_EQ(stamp.comefrom, "web");
}

}  // namespace

// The platform's ids run from 1000000: a leading zero would not read as a JSON number.
TEST(PackageStampGameId, OnlySevenAsciiDigitsWithoutALeadingZeroAreAGame) {
    struct Case {
        const char* stamped;
        const char* game;
    };
    for (const Case& c : {Case{"1000450", "1000450"}, Case{"1000000", "1000000"},
                          Case{"9999999", "9999999"}, Case{"0000001", "1000450"},
                          Case{"0001234", "1000450"}, Case{"0999999", "1000450"},
                          Case{"This pr", "1000450"}, Case{"", "1000450"},
                          Case{"100045", "1000450"}, Case{"10004500", "1000450"},
                          Case{"1 --x=1", "1000450"}, Case{"100045\"", "1000450"},
                          Case{"１000450", "1000450"}, Case{"-100045", "1000450"}}) {
        EXPECT_EQ(EffectiveGameId(c.stamped), c.game) << c.stamped;
    }
}
