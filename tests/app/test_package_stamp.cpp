#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/PackageStamp.h"

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

// A temporary file holding the given bytes; removed at the end of the test.
class TempFile {
public:
    explicit TempFile(const std::string& bytes) {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"stm", 0, m_path);
        FILE* f = _wfopen(m_path, L"wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    ~TempFile() { DeleteFileW(m_path); }
    const wchar_t* path() const { return m_path; }

private:
    wchar_t m_path[MAX_PATH] = {};
};

std::string FileWithStampAt0x4E(const std::string& stamp) {
    return std::string(0x4E, 'M') + stamp + std::string(64, '.');
}

TEST(PackageStampFile, ReadsSeventeenBytesAt0x4E) {
    TempFile file(FileWithStampAt0x4E("7654321 qqgame   "));
    const TPackageStamp stamp = ReadPackageStampFromFile(file.path());
    EXPECT_EQ(stamp.gameId, "7654321");
    EXPECT_EQ(stamp.comefrom, "qqgame");
}

TEST(PackageStampFile, FileEndingInsideTheStampGivesTheBytesItHas) {
    TempFile file(std::string(0x4E, 'M') + "7654321 qq");
    const TPackageStamp stamp = ReadPackageStampFromFile(file.path());
    EXPECT_EQ(stamp.gameId, "7654321");
    EXPECT_EQ(stamp.comefrom, "qq");
}

TEST(PackageStampFile, FileEndingBeforeTheStampGivesEmptyValues) {
    TempFile file(std::string(40, 'M'));
    const TPackageStamp stamp = ReadPackageStampFromFile(file.path());
    EXPECT_EQ(stamp.gameId, "");
    EXPECT_EQ(stamp.comefrom, "");
}

TEST(PackageStampFile, MissingFileGivesEmptyValues) {
    const TPackageStamp stamp = ReadPackageStampFromFile(L"Z:\\no\\such\\installer.exe");
    EXPECT_EQ(stamp.gameId, "");
    EXPECT_EQ(stamp.comefrom, "");
}

TEST(PackageStampFile, PathOutsideTheAnsiCodePageIsRead) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"\u6e38\u620f\u2603.exe";
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    const std::string bytes = FileWithStampAt0x4E("1234567 web      ");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    const TPackageStamp stamp = ReadPackageStampFromFile(path.c_str());
    DeleteFileW(path.c_str());
    EXPECT_EQ(stamp.gameId, "1234567");
    EXPECT_EQ(stamp.comefrom, "web");
}

}  // namespace
