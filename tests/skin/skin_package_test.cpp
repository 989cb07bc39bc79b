// The skin package as it ships inside the built installer: the "ZIPRES" 146 resource (Chinese
// Simplified) opens through the framework's skin-package code and holds exactly the markup and
// the pictures; the markup parses and describes the window; every picture it names exists and
// decodes at its size; the buttons' states look different; icon 143 holds its four sizes; and
// the installer reads its skin from the package alone, whatever lies beside it.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/GdiHandles.h"
#include "tests/common/TestFiles.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/skin/ResourceData.h"
#include "ui/core/skin/SkinImage.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/skin/StringTable.h"
#include "ui/core/skin/ZipReader.h"

using namespace SkinUI;

namespace {

const wchar_t kMarkup[] = L"VexoInsatllView.xml";

// The pictures of the package and their sizes: those the window shows also come drawn for twice
// the density ("name@2x.png", twice as large).
std::map<std::wstring, SIZE> PackagePictures() {
    const std::map<std::wstring, SIZE> shown = {
        {L"01.png", {24, 24}},      {L"02.png", {24, 24}},        {L"Close.png", {30, 90}},
        {L"Min.png", {30, 90}},     {L"bg.png", {980, 600}},      {L"bg@1x.png", {10, 2}},
        {L"bgBottom.png", {980, 160}}, {L"bgTitle.png", {980, 60}}, {L"but.png", {200, 180}},
        {L"ico.png", {36, 36}},     {L"site.png", {620, 36}}};
    std::map<std::wstring, SIZE> sizes = {
        {L"0game.PNG", {980, 600}}, {L"game.PNG", {520, 293}},  {L"CloseBtn.png", {24, 72}},
        {L"activateBtn.png", {89, 108}}, {L"copletBtn.png", {89, 108}}};
    for (const auto& [name, size] : shown) {
        sizes[name] = size;
        const std::wstring doubled = name.substr(0, name.size() - 4) + L"@2x.png";
        sizes[doubled] = SIZE{size.cx * 2, size.cy * 2};
    }
    return sizes;
}

const std::map<std::wstring, SIZE>& PictureSizes() {
    static const std::map<std::wstring, SIZE> sizes = PackagePictures();
    return sizes;
}

std::wstring Narrow(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Utf8(LPCWSTR text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    return out;
}

// The built installer, loaded as a data file, provides the framework's resources.
class InstallerSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring binary = testfiles::EnvText(L"VEXO_BINARY_DIR");
        s_path = testfiles::WinePath(binary + L"/app/VexoInstall.exe");
        s_module = ::LoadLibraryExW(s_path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (s_module == nullptr) return;
        CWindowManagerUI::SetResourceModule(s_module);
        CWindowManagerUI::SetSkinPath(L"");
        s_archiveLoaded =
            CWindowManagerUI::SetSkinArchiveResource(L"ZIPRES", MAKEINTRESOURCEW(146));
    }
    static void TearDownTestSuite() { CWindowManagerUI::SetResourceModule(nullptr); }

    void SetUp() override {
        ASSERT_NE(s_module, nullptr) << "cannot load " << Utf8(s_path.c_str());
        ASSERT_TRUE(s_archiveLoaded);
    }

    static std::wstring s_path;
    static HMODULE s_module;  // kept until exit: the framework reads its resources
    static bool s_archiveLoaded;
};

std::wstring InstallerSkin::s_path;
HMODULE InstallerSkin::s_module = nullptr;
bool InstallerSkin::s_archiveLoaded = false;

// Every element of the markup, depth first.
void CollectElements(CSkinXmlNode node, std::vector<CSkinXmlNode>& out) {
    for (; node.IsValid(); node = node.NextSibling()) {
        out.push_back(node);
        CollectElements(node.FirstChild(), out);
    }
}

std::wstring Attribute(CSkinXmlNode& node, LPCWSTR name) {
    LPCWSTR value = node.AttributeValue(name);
    return value != nullptr ? value : L"";
}

bool IsImageAttribute(const std::wstring& name) {
    return name == L"bkimage" || name == L"normalimage" || name == L"hotimage" ||
           name == L"pushedimage" || name == L"foreimage";
}

// The average straight colour of a part of a picture (premultiplied pixels, so transparent
// pixels count as black).
double MeanLevel(const TImageData& image, const RECT& part) {
    double sum = 0;
    int count = 0;
    for (int y = part.top; y < std::min<LONG>(part.bottom, image.nHeight); ++y) {
        for (int x = part.left; x < std::min<LONG>(part.right, image.nWidth); ++x) {
            const DWORD p = image.PixelAt(x, y);
            sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
            ++count;
        }
    }
    return count != 0 ? sum / (3.0 * count) : 0.0;
}

bool SamePixels(const TImageData& a, const TImageData& b) {
    return a.nWidth == b.nWidth && a.nHeight == b.nHeight &&
           memcmp(a.pBits, b.pBits, static_cast<size_t>(a.nWidth) * a.nHeight * 4) == 0;
}

// The installer's configuration for the length of a test: its skin read from the package alone,
// the "executable's folder" (the skin folder) and the current folder two empty folders of the
// test's; everything as it was afterwards.
class CInstallerSkinFiles {
public:
    CInstallerSkinFiles() {
        ::GetCurrentDirectoryW(MAX_PATH, m_savedCurrent);
        CWindowManagerUI::SetSkinPath(m_beside.Path().c_str());
        ::SetCurrentDirectoryW(m_current.Path().c_str());
        CWindowManagerUI::SetSkinFileSource(ESkinFileSource::kPackageOnly);
    }
    ~CInstallerSkinFiles() {
        CWindowManagerUI::SetSkinFileSource(ESkinFileSource::kPackageAndFolder);
        ::SetCurrentDirectoryW(m_savedCurrent);
        CWindowManagerUI::SetSkinPath(L"");
    }
    CInstallerSkinFiles(const CInstallerSkinFiles&) = delete;
    CInstallerSkinFiles& operator=(const CInstallerSkinFiles&) = delete;

    // Writes the file into both folders.
    void Plant(const std::wstring& name, const std::string& bytes) const {
        testfiles::WriteBytes(m_beside / name, bytes);
        testfiles::WriteBytes(m_current / name, bytes);
    }

private:
    testfiles::CTempDir m_beside;
    testfiles::CTempDir m_current;
    wchar_t m_savedCurrent[MAX_PATH] = {};
};

// The string tables someone may put beside the installer: every language the user's language
// leads to and a few more, none of which the package holds.
std::vector<std::wstring> PlantedTableNames() {
    std::vector<std::wstring> tags = LanguageTagsFor(::GetUserDefaultUILanguage(), kDefaultLanguageTag);
    tags.insert(tags.end(), {L"en-US", L"en-GB", L"de", L"zh", L"zh-TW"});
    std::set<std::wstring> names;
    for (const std::wstring& tag : tags)
        if (tag != L"zh-CN" && tag != L"en") names.insert(L"strings." + tag + L".xml");
    return {names.begin(), names.end()};
}

}  // namespace

TEST_F(InstallerSkin, ArchiveIsTheChineseSimplifiedResourceAndHoldsExactlyTheSkin) {
    // Found under its language and by the framework's language-neutral lookup alike.
    EXPECT_NE(::FindResourceExW(s_module, L"ZIPRES", MAKEINTRESOURCEW(146),
                                MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
              nullptr);
    const BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(FindModuleResource(L"ZIPRES", MAKEINTRESOURCEW(146), &data, &size));

    // The resource is the archive the build packed.
    const std::string packed = testfiles::ReadBytes(testfiles::WinePath(
        testfiles::EnvText(L"VEXO_BINARY_DIR") + L"/app/VexoSkin.zip"));
    ASSERT_EQ(packed.size(), size);
    EXPECT_EQ(packed, std::string(reinterpret_cast<const char*>(data), size));

    CZipReader* zip = CWindowManagerUI::SkinArchiveHandle();
    ASSERT_NE(zip, nullptr);
    std::set<std::wstring> names;
    for (int i = 0; i < zip->EntryCount(); ++i) {
        EXPECT_EQ(zip->EntryName(i).find('/'), std::string::npos) << "no folders";
        names.insert(Narrow(zip->EntryName(i)));
    }
    std::set<std::wstring> expected = {kMarkup, L"strings.zh-CN.xml", L"strings.en.xml"};
    for (const auto& picture : PictureSizes()) expected.insert(picture.first);
    EXPECT_EQ(names, expected);
}

TEST_F(InstallerSkin, EveryPictureDecodesAtItsSize) {
    for (const auto& picture : PictureSizes()) {
        std::unique_ptr<TImageData> image = LoadSkinImage(picture.first.c_str());
        ASSERT_NE(image, nullptr) << Utf8(picture.first.c_str());
        EXPECT_EQ(image->nWidth, picture.second.cx) << Utf8(picture.first.c_str());
        EXPECT_EQ(image->nHeight, picture.second.cy) << Utf8(picture.first.c_str());
    }
}

TEST_F(InstallerSkin, MarkupDescribesTheWindow) {
    CSkinXml xml;
    ASSERT_TRUE(LoadSkinMarkupFile(xml, kMarkup)) << Utf8(xml.ErrorMessage());
    CSkinXmlNode root = xml.Root();
    ASSERT_STREQ(root.Name(), L"Window");
    const std::map<std::wstring, std::wstring> window = {
        {L"size", L"980,600"}, {L"caption", L"0,0,0,40"}, {L"showshadow", L"true"},
        {L"shadowsize", L"4"}, {L"shadowposition", L"0,0"}, {L"shadowcolor", L"#FF000000"},
        {L"roundcorner", L"3,3"}};
    EXPECT_EQ(root.AttributeCount(), static_cast<int>(window.size()));
    for (const auto& attribute : window) {
        EXPECT_EQ(Attribute(root, attribute.first.c_str()), attribute.second)
            << Utf8(attribute.first.c_str());
    }

    std::vector<CSkinXmlNode> elements;
    CollectElements(root.FirstChild(), elements);
    std::map<std::wstring, int> fonts;
    std::map<std::wstring, std::wstring> named;  // control name -> element
    for (CSkinXmlNode& node : elements) {
        if (std::wstring(node.Name()) == L"Font") {
            EXPECT_EQ(Attribute(node, L"name"), L"微软雅黑");
            EXPECT_EQ(Attribute(node, L"bold"), L"false");
            EXPECT_EQ(Attribute(node, L"italic"), L"false");
            fonts[Attribute(node, L"id")] = _wtoi(Attribute(node, L"size").c_str());
        } else if (std::wstring(node.Name()) == L"StringTable") {
            EXPECT_EQ(Attribute(node, L"name"), L"strings");
        } else if (!Attribute(node, L"name").empty()) {
            named[Attribute(node, L"name")] = node.Name();
        }
    }
    const std::map<std::wstring, int> expectedFonts = {
        {L"0", 14}, {L"1", 16}, {L"2", 20}, {L"3", 12}, {L"4", 10}};
    EXPECT_EQ(fonts, expectedFonts);
    const std::map<std::wstring, std::wstring> expectedNames = {
        {L"background", L"VerticalLayout"}, {L"GameIcon", L"Control"},
        {L"GameNameLabel", L"Label"}, {L"MinBtn", L"Button"}, {L"CloseBtn", L"Button"},
        {L"game.png", L"VerticalLayout"}, {L"logoimage", L"Control"},
        {L"InstallGameLayout", L"VerticalLayout"}, {L"InstallGameBtn", L"Button"},
        {L"InstallVexoLayout", L"VerticalLayout"}, {L"InstallVexoBtn", L"Button"},
        {L"InstallVexoStatus", L"Label"},  // what went wrong, when an installation failed
        {L"ProgressLayout", L"VerticalLayout"}, {L"InstallVexo", L"Label"},
        {L"InstallCompleted", L"Label"}, {L"progBoat1", L"Control"}, {L"Progress", L"Progress"},
        {L"InstallDoneImage", L"Control"}, {L"GameStatus", L"Label"}, {L"GamePercent", L"Label"}};
    EXPECT_EQ(named, expectedNames);
}

// Every language's table holds a text for every "%{N}" token of the markup, and the markup
// holds no text of one language: each text attribute is one token.
TEST_F(InstallerSkin, StringTablesHoldEveryTextOfTheMarkup) {
    CSkinXml xml;
    ASSERT_TRUE(LoadSkinMarkupFile(xml, kMarkup));
    std::vector<CSkinXmlNode> elements;
    CollectElements(xml.Root().FirstChild(), elements);
    std::set<int> tokens;
    for (CSkinXmlNode& node : elements) {
        const std::wstring text = Attribute(node, L"text");
        if (text.empty() || text == L"0") continue;  // the percentage starts as the digit 0
        ASSERT_EQ(text.compare(0, 2, L"%{"), 0) << Utf8(text.c_str());
        ASSERT_EQ(text.back(), L'}') << Utf8(text.c_str());
        tokens.insert(_wtoi(text.c_str() + 2));
    }
    EXPECT_EQ(tokens.size(), 4u);
    for (const wchar_t* table : {L"strings.zh-CN.xml", L"strings.en.xml"}) {
        CSkinXml strings;
        ASSERT_TRUE(LoadSkinMarkupFile(strings, table)) << Utf8(strings.ErrorMessage());
        std::set<int> ids;
        for (CSkinXmlNode node = strings.Root().FirstChild(); node.IsValid(); node = node.NextSibling()) {
            EXPECT_STREQ(node.Name(), L"MultiLanguage");
            EXPECT_FALSE(Attribute(node, L"value").empty());
            EXPECT_TRUE(ids.insert(_wtoi(Attribute(node, L"id").c_str())).second) << "one text an id";
        }
        for (int token : tokens) EXPECT_EQ(ids.count(token), 1u) << Utf8(table) << " " << token;
    }
}

TEST_F(InstallerSkin, EveryPictureTheMarkupNamesFitsItsCut) {
    CSkinXml xml;
    ASSERT_TRUE(LoadSkinMarkupFile(xml, kMarkup));
    std::vector<CSkinXmlNode> elements;
    CollectElements(xml.Root().FirstChild(), elements);
    std::set<std::wstring> used;
    std::set<std::wstring> cutBelowThePicture;
    for (CSkinXmlNode& node : elements) {
        for (int i = 0; i < node.AttributeCount(); ++i) {
            const std::wstring attribute = node.AttributeName(i);
            if (!IsImageAttribute(attribute)) continue;
            TImageSpec spec;
            TImageSource source;
            ParseImageDescription(node.AttributeValue(i), spec, source);
            const std::wstring name = source.name.GetData();
            const std::string where =
                Utf8(Attribute(node, L"name").c_str()) + " " + Utf8(attribute.c_str());
            ASSERT_EQ(PictureSizes().count(name), 1u) << where << ": " << Utf8(name.c_str());
            std::unique_ptr<TImageData> image = LoadSkinImage(name.c_str());
            ASSERT_NE(image, nullptr) << where;
            used.insert(name);
            if (RectIsZero(spec.source)) continue;  // the whole picture
            EXPECT_GE(spec.source.left, 0) << where;
            EXPECT_LE(spec.source.right, image->nWidth) << where;
            EXPECT_LT(spec.source.left, spec.source.right) << where;
            if (spec.source.bottom > image->nHeight) {
                cutBelowThePicture.insert(Attribute(node, L"name") + L" " + attribute);
            }
        }
    }
    EXPECT_EQ(used.size(), 11u) << "the markup's own pictures";
    // The markup cuts the pressed look of the two caption buttons from rows 90..120 of their
    // 90-row pictures (the drawing clamps the cut, so those two states draw nothing); every
    // other cut lies inside its picture.
    const std::set<std::wstring> expected = {L"MinBtn pushedimage", L"CloseBtn pushedimage"};
    EXPECT_EQ(cutBelowThePicture, expected);
}

TEST_F(InstallerSkin, ButtonStatesLookDifferent) {
    const struct {
        const wchar_t* picture;
        RECT normal, hot, pushed;
    } buttons[] = {
        {L"but.png", {0, 0, 200, 60}, {0, 60, 200, 120}, {0, 120, 60, 180}},
        {L"Min.png", {0, 0, 30, 30}, {0, 60, 30, 90}, {0, 30, 30, 60}},
        {L"Close.png", {0, 0, 30, 30}, {0, 60, 30, 90}, {0, 30, 30, 60}},
    };
    for (const auto& b : buttons) {
        std::unique_ptr<TImageData> image = LoadSkinImage(b.picture);
        ASSERT_NE(image, nullptr);
        const double normal = MeanLevel(*image, b.normal);
        const double hot = MeanLevel(*image, b.hot);
        const double pushed = MeanLevel(*image, b.pushed);
        EXPECT_GT(hot - normal, 8.0) << Utf8(b.picture) << " hot is lighter";
        EXPECT_GT(std::abs(pushed - normal), 8.0) << Utf8(b.picture) << " pushed differs";
        EXPECT_TRUE(image->bAlpha) << Utf8(b.picture) << " has transparent corners";
    }
}

TEST_F(InstallerSkin, IconHoldsFourSizes) {
    HRSRC group = ::FindResourceW(s_module, MAKEINTRESOURCEW(143), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory =
        static_cast<const BYTE*>(::LockResource(::LoadResource(s_module, group)));
    const DWORD directorySize = ::SizeofResource(s_module, group);
    ASSERT_GE(directorySize, 6u);
    const int count = *reinterpret_cast<const WORD*>(directory + 4);
    ASSERT_EQ(directorySize, 6u + 14u * count);
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = directory + 6 + 14 * i;  // width, height, ..., id in the last word
        const int side = entry[0] == 0 ? 256 : entry[0];
        const WORD id = *reinterpret_cast<const WORD*>(entry + 12);
        HRSRC icon = ::FindResourceW(s_module, MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_NE(icon, nullptr) << side;
        auto* bits = static_cast<BYTE*>(::LockResource(::LoadResource(s_module, icon)));
        const bxutil::CIconHandle handle(::CreateIconFromResourceEx(
            bits, ::SizeofResource(s_module, icon), TRUE, 0x00030000, side, side, LR_DEFAULTCOLOR));
        ASSERT_NE(handle.Get(), nullptr) << side;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(handle.Get(), &info));
        // GetIconInfo makes copies of the icon's bitmaps for the caller.
        const bxutil::CBitmapHandle color(info.hbmColor);
        const bxutil::CBitmapHandle mask(info.hbmMask);
        BITMAP bitmap{};
        ::GetObjectW(color.Get(), sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, side);
        sizes.insert(side);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));
}

// Someone puts files beside the installer and in the current folder: string tables of other
// languages with texts of their own, and the pictures a 144 DPI window would look for first
// ("but@1.5x.png", "bgBottom@1.5x.png": the package holds only "@2x" variants; "game@1.5x.PNG":
// the package holds only the plain picture). The installer's texts and pictures stay those of
// its package; the same files are read where folders are allowed, as the gallery allows them.
TEST_F(InstallerSkin, TheInstallerReadsItsSkinFromItsPackageOnly) {
    const CInstallerSkinFiles files;
    const std::wstring language = LoadUserStringTable(L"strings", kDefaultLanguageTag);
    ASSERT_FALSE(language.empty());
    const std::wstring text = CWindowManagerUI::TextById(1);
    const LPCWSTR pictures[] = {L"but.png", L"bgBottom.png", L"game.PNG"};
    std::map<std::wstring, std::unique_ptr<TImageData>> fromPackage;
    for (LPCWSTR name : pictures) fromPackage[name] = LoadSkinImageForDpi(name, nullptr, 0, 144);

    std::vector<BYTE> other;
    ASSERT_TRUE(ReadSkinFileBytes(L"ico@2x.png", other));
    const std::string otherPicture(other.begin(), other.end());
    const std::string otherTexts =
        "<StringTable><MultiLanguage id=\"1\" value=\"planted\"/></StringTable>";
    for (const std::wstring& table : PlantedTableNames()) files.Plant(table, otherTexts);
    for (LPCWSTR name : {L"but@1.5x.png", L"bgBottom@1.5x.png", L"game@1.5x.PNG", L"planted.png"})
        files.Plant(name, otherPicture);

    EXPECT_EQ(LoadUserStringTable(L"strings", kDefaultLanguageTag), language);
    EXPECT_EQ(CWindowManagerUI::TextById(1), text);
    for (const std::wstring& table : PlantedTableNames())
        EXPECT_FALSE(LoadStringTableFile(table)) << Utf8(table.c_str());
    CSkinXml xml;
    EXPECT_FALSE(LoadSkinMarkupFile(xml, L"strings.de.xml"));
    EXPECT_STREQ(xml.ErrorMessage(), L"Error opening file");
    for (LPCWSTR name : pictures) {
        std::unique_ptr<TImageData> image = LoadSkinImageForDpi(name, nullptr, 0, 144);
        ASSERT_NE(image, nullptr) << Utf8(name);
        ASSERT_NE(fromPackage[name], nullptr) << Utf8(name);
        EXPECT_EQ(image->nDpi, 144) << Utf8(name);
        EXPECT_TRUE(SamePixels(*image, *fromPackage[name])) << Utf8(name) << " comes from the package";
    }
    std::vector<BYTE> bytes;
    EXPECT_FALSE(ReadSkinFileBytes(L"planted.png", bytes));
    EXPECT_EQ(LoadSkinImage(L"planted.png"), nullptr);

    CWindowManagerUI::SetSkinFileSource(ESkinFileSource::kPackageAndFolder);
    EXPECT_TRUE(LoadStringTableFile(L"strings.de.xml"));
    EXPECT_STREQ(CWindowManagerUI::TextById(1), L"planted");
    EXPECT_NE(LoadSkinImage(L"planted.png"), nullptr);
    std::unique_ptr<TImageData> planted = LoadSkinImageForDpi(L"but.png", nullptr, 0, 144);
    ASSERT_NE(planted, nullptr);
    EXPECT_FALSE(SamePixels(*planted, *fromPackage[L"but.png"])) << "the planted variant";
}
