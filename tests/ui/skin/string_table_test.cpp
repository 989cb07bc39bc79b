// String tables: the language tags tried for a UI language, and reading a table of the skin,
// which is hostile input like any markup.

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/ui/skin/SkinTestSupport.h"
#include "ui/core/skin/StringTable.h"
#include "ui/core/skin/WindowResources.h"

using namespace SkinUI;

namespace {

using Tags = std::vector<std::wstring>;

// Points the skin at a folder of its own, holding the given tables.
class StringTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowResourcesUI::SetSkinArchive(L"", true);
        CWindowResourcesUI::SetSkinPath((m_dir.Path() + L"\\").c_str());
    }
    void TearDown() override { ui_test::CSkinScope::Reset(); }
    void Table(const std::wstring& name, const std::string& utf8) { testfiles::WriteBytes(m_dir / name, utf8); }

    testfiles::CTempDir m_dir;
};

}  // namespace

TEST(LanguageTags, MostSpecificFirstThenTheFallbackOnce) {
    const struct {
        LANGID language;
        Tags expected;
    } cases[] = {
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), {L"en-US", L"en", L"zh-CN"}},
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), {L"en-GB", L"en", L"zh-CN"}},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), {L"zh-CN", L"zh"}},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), {L"zh-TW", L"zh", L"zh-CN"}},
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), {L"de-DE", L"de", L"zh-CN"}},
    };
    for (const auto& c : cases) EXPECT_EQ(LanguageTagsFor(c.language, L"zh-CN"), c.expected) << c.language;
    // A language the system does not know leaves only the fallback.
    EXPECT_EQ(LanguageTagsFor(0x7FFF, L"zh-CN"), Tags{L"zh-CN"});
}

TEST_F(StringTableTest, TableStoresItsTextsAndRefusesWhatIsNotATable) {
    Table(L"t.en.xml",
          "\xEF\xBB\xBF<StringTable>\n"
          "  <MultiLanguage id=\"9101\" value=\"Install game\"/>\n"
          "  <multilanguage ID=\"9102\" VALUE=\"\xE5\xAE\x89\xE8\xA3\x85\"/>\n"  // names ignore case
          "  <MultiLanguage id=\"-3\" value=\"negative\"/>\n"
          "  <MultiLanguage id=\"9103\"/>\n"                                     // no value
          "  <Other id=\"9104\" value=\"not a text\"/>\n"
          "  <Group><MultiLanguage id=\"9105\" value=\"nested\"/></Group>\n"  // top level only
          "</StringTable>\n");
    EXPECT_TRUE(LoadStringTableFile(L"t.en.xml"));
    EXPECT_STREQ(CWindowResourcesUI::TextById(9101), L"Install game");
    EXPECT_STREQ(CWindowResourcesUI::TextById(9102), L"安装");
    for (int id : {-3, 9103, 9104, 9105}) EXPECT_EQ(CWindowResourcesUI::TextById(id), nullptr) << id;

    // Not well-formed, empty, missing: refused, and nothing of it is stored.
    Table(L"bad.xml", "<StringTable><MultiLanguage id=\"9201\" value=\"x/></StringTable>");
    Table(L"empty.xml", "");
    for (const wchar_t* name : {L"bad.xml", L"empty.xml", L"missing.xml"}) EXPECT_FALSE(LoadStringTableFile(name));
    EXPECT_EQ(CWindowResourcesUI::TextById(9201), nullptr);
}

// The table of the user's language when there is one, else the fallback's; a later table
// replaces the texts of an earlier one.
TEST_F(StringTableTest, UserLanguageOrTheFallback) {
    Table(L"u.zh-CN.xml", "<StringTable><MultiLanguage id=\"9301\" value=\"fallback\"/></StringTable>");
    const Tags tags = LanguageTagsFor(GetUserDefaultUILanguage(), L"zh-CN");
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(LoadUserStringTable(L"u", L"zh-CN"), L"zh-CN");
    EXPECT_STREQ(CWindowResourcesUI::TextById(9301), L"fallback");
    if (tags.front() != L"zh-CN") {
        Table(L"u." + tags.front() + L".xml",
              "<StringTable><MultiLanguage id=\"9301\" value=\"user's\"/></StringTable>");
        EXPECT_EQ(LoadUserStringTable(L"u", L"zh-CN"), tags.front());
        EXPECT_STREQ(CWindowResourcesUI::TextById(9301), L"user's");
    }
    EXPECT_EQ(LoadUserStringTable(L"none", L"zh-CN"), L"");
}
