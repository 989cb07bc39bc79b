// Where skin files come from: the skin folder, an archive file (kept open or opened per read),
// an archive in memory or in the program's resources; the markup size limits and messages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/skin/SkinTestSupport.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/skin/WindowResources.h"
#include "ui/core/skin/ZipReader.h"

using namespace SkinUI;
using ui_test::CSkinScope;
using ui_test::Fixture;
using ui_test::FixtureDir;
using ui_test::ReadAll;

namespace {

struct TMarkupCase {
    const wchar_t* name;
    const wchar_t* message;  // null: loads
};

void ExpectMarkup(const TMarkupCase& c) {
    CSkinXml xml;
    bool loaded = LoadSkinMarkupFile(xml, c.name);
    if (c.message == nullptr) {
        EXPECT_TRUE(loaded) << std::wstring(c.name).c_str() << ": " << std::wstring(xml.ErrorMessage()).c_str();
        EXPECT_STREQ(xml.Root().Name(), L"Window") << std::wstring(c.name).c_str();
    } else {
        EXPECT_FALSE(loaded) << std::wstring(c.name).c_str();
        EXPECT_STREQ(xml.ErrorMessage(), c.message) << std::wstring(c.name).c_str();
        EXPECT_FALSE(xml.Root().IsValid());
    }
}

}  // namespace

TEST(SkinPackage, SkinPathGetsItsSeparator) {
    CSkinScope scope;
    const struct {
        const wchar_t* given;
        const wchar_t* stored;
    } cases[] = {{L"C:\\skin", L"C:\\skin\\"}, {L"C:\\skin\\", L"C:\\skin\\"}, {L"C:/skin/", L"C:/skin/"}, {L"", L""}};
    for (const auto& c : cases) {
        CWindowResourcesUI::SetSkinPath(c.given);
        EXPECT_EQ(CWindowResourcesUI::SkinPath(), c.stored);
    }
}

TEST(SkinPackage, ModuleDirectoryAndResourceModule) {
    CWindowResourcesUI::SetModuleInstance(nullptr);
    EXPECT_TRUE(CWindowResourcesUI::ModuleDirectory().IsEmpty());
    HINSTANCE self = ::GetModuleHandleW(nullptr);
    CWindowResourcesUI::SetModuleInstance(self);
    EXPECT_EQ(CWindowResourcesUI::ModuleInstance(), self);
    EXPECT_EQ(CWindowResourcesUI::ResourceModule(), self) << "no resource module: the instance";
    CUIString directory = CWindowResourcesUI::ModuleDirectory();
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(self, path, MAX_PATH);
    EXPECT_EQ(directory.Right(1), L"\\");
    EXPECT_EQ(std::wstring(path).rfind(directory.GetData(), 0), 0u);
    EXPECT_EQ(std::wstring(path).find(L'\\', directory.GetLength()), std::wstring::npos);
    THslSetting hsl = CWindowResourcesUI::GetHSL();
    EXPECT_EQ(hsl.hue, 180);
    EXPECT_EQ(hsl.saturation, 100);
    EXPECT_EQ(hsl.lightness, 100);
    EXPECT_FALSE(hsl.enabled);
}

TEST(SkinPackage, MarkupFromTheSkinFolder) {
    CSkinScope scope;
    for (const TMarkupCase& c : {TMarkupCase{L"skin.xml", nullptr}, TMarkupCase{L"missing.xml", L"Error opening file"},
                                 TMarkupCase{L"empty.xml", L"File is empty"}, TMarkupCase{L"big.xml", L"File too large"},
                                 TMarkupCase{L"broken.xml", L"Unmatched closing tag"}})
        ExpectMarkup(c);
}

TEST(SkinPackage, MarkupFromAnArchiveKeptOpenOrOpenedPerRead) {
    CSkinScope scope;
    for (bool cache : {true, false}) {
        SCOPED_TRACE(cache ? "kept open" : "opened per read");
        CWindowResourcesUI::SetSkinArchive(L"py_large.zip", cache);
        EXPECT_EQ(CWindowResourcesUI::SkinArchive(), L"py_large.zip");
        EXPECT_EQ(CWindowResourcesUI::IsSkinArchiveCached(), cache);
        EXPECT_EQ(CWindowResourcesUI::SkinArchiveHandle() != nullptr, cache);
        for (const TMarkupCase& c : {TMarkupCase{L"SKIN.xml", nullptr}, TMarkupCase{L"big.xml", L"File too large"},
                                     TMarkupCase{L"empty.xml", L"File is empty"},
                                     // not in the archive: read from the skin folder instead
                                     TMarkupCase{L"broken.xml", L"Unmatched closing tag"},
                                     TMarkupCase{L"missing.xml", L"Error opening file"}})
            ExpectMarkup(c);
        CSkinScope::Reset();
    }
}

TEST(SkinPackage, ArchiveFailuresHaveTheirMessages) {
    CSkinScope scope;
    for (bool cache : {true, false}) {
        CWindowResourcesUI::SetSkinArchive(L"no-such-archive.zip", cache);
        EXPECT_EQ(CWindowResourcesUI::SkinArchiveHandle(), nullptr);
        ExpectMarkup({L"skin.xml", L"Error opening zip file"});
        CWindowResourcesUI::SetSkinArchive(L"bad_deflate.zip", cache);
        ExpectMarkup({L"skin.xml", L"Could not unzip file"});
        CSkinScope::Reset();
    }
}

TEST(SkinPackage, ChangingTheArchiveReopensIt) {
    CSkinScope scope;
    CWindowResourcesUI::SetSkinArchive(L"py_deflated.zip", true);
    CZipReader* first = CWindowResourcesUI::SkinArchiveHandle();
    ASSERT_NE(first, nullptr);
    CWindowResourcesUI::SetSkinArchive(L"py_deflated.zip", true);
    EXPECT_EQ(CWindowResourcesUI::SkinArchiveHandle(), first) << "the same setting keeps the archive";
    CWindowResourcesUI::SetSkinArchive(L"long_name.zip", true);
    int index = 0;
    ASSERT_NE(CWindowResourcesUI::SkinArchiveHandle(), nullptr);
    EXPECT_FALSE(CWindowResourcesUI::SkinArchiveHandle()->FindEntry(L"skin.xml", &index, nullptr));
}

TEST(SkinPackage, MemoryArchiveTheFirstStays) {
    CSkinScope scope;
    std::vector<BYTE> first = ReadAll(Fixture(L"py_deflated.zip"));
    std::vector<BYTE> second = ReadAll(Fixture(L"long_name.zip"));
    for (bool cache : {true, false}) {
        SCOPED_TRACE(cache ? "kept open" : "opened per read");
        CWindowResourcesUI::SetSkinArchive(L"", cache);
        CWindowResourcesUI::SetSkinPath(L"Z:\\no-such-folder");  // nothing on disk to fall back to
        CWindowResourcesUI::SetSkinArchive(first.data(), static_cast<DWORD>(first.size()));
        EXPECT_EQ(CWindowResourcesUI::SkinArchive(), L"membuffer");
        CWindowResourcesUI::SetSkinArchive(second.data(), static_cast<DWORD>(second.size()));
        ExpectMarkup({L"skin.xml", nullptr});
        CSkinScope::Reset();
    }
}

TEST(SkinPackage, ArchiveAndMarkupFromResources) {
    CSkinScope scope;
    CWindowResourcesUI::SetModuleInstance(::GetModuleHandleW(nullptr));
    CWindowResourcesUI::SetSkinPath(L"Z:\\no-such-folder");
    EXPECT_FALSE(CWindowResourcesUI::SetSkinArchiveResource(L"ZIPRES", MAKEINTRESOURCEW(999)));
    EXPECT_FALSE(CWindowResourcesUI::SetSkinArchiveResource(L"ZIPRES", L"NOSUCHSKIN"));
    ASSERT_TRUE(CWindowResourcesUI::SetSkinArchiveResource(L"ZIPRES", MAKEINTRESOURCEW(146)));
    EXPECT_EQ(CWindowResourcesUI::SkinArchive(), L"membuffer");
    ExpectMarkup({L"skin.xml", nullptr});
    ASSERT_TRUE(CWindowResourcesUI::SetSkinArchiveResource(L"ZIPRES", MAKEINTRESOURCEW(146)))
        << "a second window reuses the copy";
    ExpectMarkup({L"skin.xml", nullptr});
    EXPECT_TRUE(CWindowResourcesUI::SetSkinArchiveResource(L"ZIPRES", L"VexoSkin")) << "by name";

    CSkinXml xml;
    EXPECT_TRUE(LoadSkinMarkupResource(xml, MAKEINTRESOURCEW(200), L"XMLSKIN"));
    EXPECT_STREQ(xml.Root().Name(), L"Window");
    EXPECT_FALSE(LoadSkinMarkupResource(xml, MAKEINTRESOURCEW(201), L"XMLSKIN"));
    EXPECT_TRUE(LoadSkinMarkupResource(xml, L"SKINMARKUP", L"XMLSKIN")) << "by name";
    EXPECT_STREQ(xml.Root().Name(), L"Window");
    EXPECT_FALSE(LoadSkinMarkupResource(xml, L"NOSUCHMARKUP", L"XMLSKIN"));
    const BYTE* data = nullptr;
    DWORD size = 0;
    EXPECT_FALSE(FindModuleResource(L"XMLSKIN", nullptr, &data, &size));
}

namespace {

std::vector<HINSTANCE> g_hookCalls;
void RecordHook(HINSTANCE instance) { g_hookCalls.push_back(instance); }
void RecordHookAgain(HINSTANCE instance) { g_hookCalls.push_back(instance); }

}  // namespace

TEST(SkinPackage, ModuleInstanceHooksRunWithTheInstance) {
    HINSTANCE self = ::GetModuleHandleW(nullptr);
    CWindowResourcesUI::SetModuleInstance(nullptr);
    g_hookCalls.clear();
    CWindowResourcesUI::AddModuleInstanceHook(&RecordHook);
    CWindowResourcesUI::AddModuleInstanceHook(&RecordHook);
    CWindowResourcesUI::AddModuleInstanceHook(nullptr);
    EXPECT_TRUE(g_hookCalls.empty()) << "no instance yet: nothing runs";
    CWindowResourcesUI::SetModuleInstance(self);
    EXPECT_EQ(g_hookCalls, std::vector<HINSTANCE>{self}) << "a hook added twice runs once";
    CWindowResourcesUI::AddModuleInstanceHook(&RecordHookAgain);
    EXPECT_EQ(g_hookCalls, (std::vector<HINSTANCE>{self, self})) << "added later: runs at once";
    g_hookCalls.clear();
    CWindowResourcesUI::SetModuleInstance(self);
    EXPECT_EQ(g_hookCalls.size(), 2u) << "every hook runs again with a new setting";
}

TEST(SkinPackage, PictureBytesTreatEmptyAsMissing) {
    CSkinScope scope;
    CWindowResourcesUI::SetSkinArchive(L"py_deflated.zip", true);
    std::vector<BYTE> bytes;
    EXPECT_TRUE(ReadSkinFileBytes(L"Img\\a.png", bytes));
    EXPECT_EQ(bytes, ReadAll(Fixture(L"alpha.png")));
    EXPECT_TRUE(ReadSkinFileBytes(L"mask.png", bytes)) << "not in the archive: from the skin folder";
    EXPECT_FALSE(ReadSkinFileBytes(L"empty.png", bytes)) << "an empty entry counts as missing";
    EXPECT_FALSE(ReadSkinFileBytes(L"empty.xml", bytes)) << "as do empty entry and empty file";
    EXPECT_FALSE(ReadSkinFileBytes(L"", bytes));
    EXPECT_FALSE(ReadSkinFileBytes(nullptr, bytes));
}
