// The window manager's resource tables: fonts, images, default attribute lists, default colours,
// the process-wide tables behind them and the "%{N}" texts.

#include <gtest/gtest.h>

#include "tests/common/TestFiles.h"
#include "tests/ui/skin/SkinTestSupport.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"

using namespace SkinUI;
using ui_test::CSkinScope;

namespace {

bool IsDeleted(HGDIOBJ object) { return ::GetObjectType(object) == 0; }

LONG FontWeight(HFONT font) {
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof(lf), &lf);
    return lf.lfWeight;
}

}  // namespace

TEST(WindowResources, FontsAreReplacedLookedUpAndMeasured) {
    CWindowManagerUI manager;
    HFONT first = manager.AddFont(1, L"Tahoma", 14, false, false, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(manager.GetFont(1), first);
    HFONT second = manager.AddFont(1, L"Tahoma", 16, true, true, true);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(IsDeleted(first)) << "replacing a font deletes the old one";
    EXPECT_EQ(manager.GetFont(1), second);
    EXPECT_GT(FontWeight(second), FontWeight(manager.GetFont(-1)));

    const TFontData* info = manager.GetFontInfo(1);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->strFaceName, L"Tahoma");
    EXPECT_EQ(info->nSize, 16);
    EXPECT_TRUE(info->bBold && info->bUnderline && info->bItalic);
    EXPECT_GT(info->tm.tmHeight, 0) << "metrics are measured on first use";
    EXPECT_EQ(manager.GetFontInfo(second), info);

    const TFontData* fallback = manager.GetDefaultFontInfo();
    ASSERT_NE(fallback, nullptr);
    EXPECT_FALSE(fallback->strFaceName.IsEmpty());
    EXPECT_GT(fallback->tm.tmHeight, 0);
    EXPECT_EQ(manager.GetFont(-1), fallback->hFont.Get());
    EXPECT_EQ(manager.GetFont(99), fallback->hFont.Get()) << "unknown ids give the default font";
    EXPECT_EQ(manager.GetFontInfo(99), fallback);

    EXPECT_EQ(manager.FindFont(L"Tahoma", 16, true, true, true), second);
    EXPECT_EQ(manager.FindFont(L"tahoma", 16, true, true, true), nullptr) << "face names are case-sensitive";
    EXPECT_EQ(manager.FindFont(L"Tahoma", 16, false, true, true), nullptr);
    std::wstring longFace(40, L'F');
    EXPECT_NE(manager.AddFont(2, longFace.c_str(), 12, false, false, false), nullptr);
}

TEST(WindowResources, SharedFontsAndDefaultFont) {
    CWindowManagerUI one, two;
    HFONT shared = one.AddFont(7, L"Arial", 12, false, false, false, true);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(two.GetFont(7), shared) << "the shared table serves every window";
    HFONT own = two.AddFont(7, L"Arial", 20, false, false, false);
    EXPECT_EQ(two.GetFont(7), own) << "the window's table comes first";
    EXPECT_EQ(two.FindFont(L"Arial", 12, false, false, false), shared);
    EXPECT_TRUE(one.RemoveFont(7, true));
    EXPECT_TRUE(IsDeleted(shared));
    EXPECT_EQ(one.GetFont(7), one.GetFont(-1));

    HFONT processDefault = one.GetFont(-1);
    two.SetDefaultFont(L"Verdana", 18, false, false, false);
    EXPECT_EQ(two.GetDefaultFontInfo()->strFaceName, L"Verdana");
    EXPECT_EQ(two.GetDefaultFontInfo()->nSize, 18);
    EXPECT_EQ(one.GetFont(-1), processDefault) << "a window's own default font stays its own";
}

TEST(WindowResources, DestroyingAManagerFreesItsOwnResourcesOnly) {
    CSkinScope scope;
    CWindowManagerUI survivor;
    HFONT own = nullptr;
    HFONT shared = nullptr;
    HBITMAP picture = nullptr;
    {
        CWindowManagerUI manager;
        own = manager.AddFont(3, L"Arial", 11, false, false, false);
        shared = manager.AddFont(4, L"Arial", 13, false, false, false, true);
        const TImageData* image = manager.AddImage(L"alpha.png");
        ASSERT_NE(image, nullptr);
        picture = image->hBitmap.Get();
    }
    EXPECT_TRUE(IsDeleted(own));
    EXPECT_TRUE(IsDeleted(picture));
    EXPECT_FALSE(IsDeleted(shared));
    EXPECT_EQ(survivor.GetFont(4), shared);
    survivor.RemoveAllFonts(true);
    EXPECT_TRUE(IsDeleted(shared));
}

TEST(WindowResources, ImagesAreCachedPerTable) {
    CSkinScope scope;
    CWindowManagerUI manager, other;
    const TImageData* first = manager.AddImage(L"mask.png", nullptr, 0xFFFF00FF);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->PixelAt(0, 0), 0u);
    EXPECT_EQ(manager.GetImage(L"mask.png"), first);
    EXPECT_EQ(manager.GetImage(L"MASK.png"), nullptr) << "image names are case-sensitive keys";
    EXPECT_EQ(manager.GetImageCached(L"mask.png"), first) << "a cached picture keeps its first mask";
    EXPECT_EQ(other.GetImage(L"mask.png"), nullptr);

    const TImageData* unmasked = other.GetImageCached(L"mask.png");
    ASSERT_NE(unmasked, nullptr);
    EXPECT_NE(unmasked->PixelAt(0, 0), 0u) << "each table decodes once, with its own mask";

    HBITMAP old = first->hBitmap.Get();
    const TImageData* replaced = manager.AddImage(L"mask.png");
    ASSERT_NE(replaced, nullptr);
    EXPECT_TRUE(IsDeleted(old)) << "replacing an image frees the old one";
    EXPECT_EQ(manager.AddImage(L"missing.png"), nullptr);
    EXPECT_EQ(manager.AddImage(L""), nullptr);
    EXPECT_EQ(manager.GetImageCached(L"corrupt.png"), nullptr);

    const TImageData* shared = manager.AddImage(L"opaque.png", nullptr, 0, true);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(other.GetImage(L"opaque.png"), shared);
    EXPECT_TRUE(manager.RemoveImage(L"mask.png"));
    EXPECT_EQ(manager.GetImage(L"mask.png"), nullptr);
    manager.RemoveAllImages(true);
    EXPECT_EQ(other.GetImage(L"opaque.png"), nullptr);
}

// A picture whose path holds what the description syntax reserves (an apostrophe ends a value)
// reaches controls by the name it is stored under.
TEST(WindowResources, PicturesFromFilesAreNamedByTheirTableName) {
    CSkinScope scope;
    CWindowManagerUI manager;
    testfiles::CTempDir folder;
    const std::wstring file = folder / L"o'brien = 'x' bkImage1.png";
    ASSERT_TRUE(CopyFileW(ui_test::Fixture(L"opaque.png").c_str(), file.c_str(), FALSE));

    const TImageData* image = manager.AddImageFromFile(L"game-background", file.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(manager.GetImage(L"game-background"), image);
    TImageSpec spec;
    TImageSource source;
    ParseImageDescription(L"file='game-background' source='0,0,1,1'", spec, source);
    EXPECT_EQ(source.name, L"game-background");
    EXPECT_EQ(manager.GetImageCached(source.name), image);

    EXPECT_EQ(manager.AddImageFromFile(L"game-background", (folder / L"o'missing.png").c_str()), nullptr);
    EXPECT_EQ(manager.GetImage(L"game-background"), image) << "a failed load keeps the picture";
    EXPECT_EQ(manager.AddImageFromFile(L"", file.c_str()), nullptr);
}

TEST(WindowResources, ClassDefaultsAreCaseSensitive) {
    CWindowManagerUI manager, other;
    manager.AddClassDefaults(L"Button", L"textcolor=\"#FF000000\"");
    EXPECT_STREQ(manager.ClassDefaults(L"Button"), L"textcolor=\"#FF000000\"");
    EXPECT_EQ(manager.ClassDefaults(L"button"), nullptr);
    manager.AddClassDefaults(L"Button", L"width=\"3\"");
    EXPECT_STREQ(manager.ClassDefaults(L"Button"), L"width=\"3\"");
    other.AddClassDefaults(L"VScrollBar", L"width=\"8\"", true);
    EXPECT_STREQ(manager.ClassDefaults(L"VScrollBar"), L"width=\"8\"");
    manager.RemoveAllClassDefaults();
    EXPECT_EQ(manager.ClassDefaults(L"Button"), nullptr);
    other.RemoveAllClassDefaults(true);
    EXPECT_EQ(manager.ClassDefaults(L"VScrollBar"), nullptr);
}

TEST(WindowResources, DefaultColours) {
    CWindowManagerUI first;
    EXPECT_EQ(first.GetDefaultDisabledColor(), 0xFFA7A6AAu);
    EXPECT_EQ(first.GetDefaultFontColor(), 0xFF000000u);
    EXPECT_EQ(first.GetDefaultLinkFontColor(), 0xFF0000FFu);
    EXPECT_EQ(first.GetDefaultLinkHoverFontColor(), 0xFFD3215Fu);
    EXPECT_EQ(first.GetDefaultSelectedBkColor(), 0xFFBAE4FFu);

    CWindowManagerUI own;
    own.SetDefaultFontColor(0xFF111111);
    first.SetDefaultFontColor(0xFF222222, true);
    EXPECT_EQ(first.GetDefaultFontColor(), 0xFF222222u) << "it still had the shared value";
    EXPECT_EQ(own.GetDefaultFontColor(), 0xFF111111u);
    CWindowManagerUI later;
    EXPECT_EQ(later.GetDefaultFontColor(), 0xFF222222u) << "a new window copies the shared colours";
    own.SetDefaultFontColor(0xFF000000, true);  // back to the start value for other tests
    EXPECT_EQ(own.GetDefaultFontColor(), 0xFF111111u);

    own.SetDefaultLinkFontColor(0xFF010203);
    own.SetDefaultLinkHoverFontColor(0xFF040506);
    own.SetDefaultDisabledColor(0xFF070809);
    own.SetDefaultSelectedBkColor(0xFF0A0B0C);
    EXPECT_EQ(own.GetDefaultLinkFontColor(), 0xFF010203u);
    EXPECT_EQ(own.GetDefaultLinkHoverFontColor(), 0xFF040506u);
    EXPECT_EQ(own.GetDefaultDisabledColor(), 0xFF070809u);
    EXPECT_EQ(own.GetDefaultSelectedBkColor(), 0xFF0A0B0Cu);
}

TEST(WindowResources, TextTokensExpand) {
    CWindowResourcesUI::AddTextById(3, L"OK");
    CWindowResourcesUI::AddTextById(5, L"x%{5}");  // a text holding its own token
    CWindowResourcesUI::AddTextById(6, L"first");
    CWindowResourcesUI::AddTextById(6, L"second");
    EXPECT_STREQ(CWindowResourcesUI::TextById(6), L"second");
    EXPECT_EQ(CWindowResourcesUI::TextById(77), nullptr);
    const struct {
        const wchar_t* text;
        const wchar_t* expanded;
    } cases[] = {
        {L"%{3}%{3}", L"OKOK"},
        {L"%{x}", L"%{x}"},
        {L"%{3", L"%{3"},
        {L"%{}", L"%{}"},
        {L"a%{3}b%{77}c", L"aOKb%{77}c"},
        {L"%%{3}%", L"%OK%"},
        {L"%{003}", L"OK"},
        {L"%{5}", L"x%{5}"},
        {L"%{99999999999999}", L"%{99999999999999}"},
        {L"plain", L"plain"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        CUIString text(c.text);
        CWindowManagerUI::ExpandTextTokens(text);
        EXPECT_EQ(text, c.expanded) << c.text;
    }
}
