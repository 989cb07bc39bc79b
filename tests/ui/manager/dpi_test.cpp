// A window manager at another density than the skin's 96: control lengths, fonts, picture
// variants and resampled pictures, and a change of density while the tree exists.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/common/RectAssert.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/skin/ResourceData.h"

using namespace SkinUI;
using RenderTest::CCanvas;
using test_support::SameRect;

namespace {

// ---- Lengths of the control base -----------------------------------------------------------

TEST(DpiControl, SkinLengthsAreScaledAndRescaledWhenTheDensityChanges) {
    CWindowManagerUI manager;
    manager.SetDpi(192);
    CControlUI control;
    control.AttachTo(&manager, nullptr, false);
    control.ApplySkinAttribute(L"padding", L"20,12,0,0");
    control.ApplySkinAttribute(L"width", L"36");
    control.ApplySkinAttribute(L"bordersize", L"1");
    control.ApplySkinAttribute(L"borderround", L"3,3");
    control.ApplySkinAttribute(L"name", L"GameIcon");        // not a length
    control.ApplySkinAttribute(L"bkcolor", L"#FF000010");     // not a length either
    EXPECT_TRUE(SameRect(control.Padding(), RECT{40, 24, 0, 0}));
    EXPECT_EQ(control.FixedWidth(), 72);
    EXPECT_EQ(control.BorderSize(), 2) << "a 1-pixel skin border is 2 pixels at 192";
    EXPECT_EQ(control.BorderRound().cx, 6);
    EXPECT_EQ(std::wstring(control.Name()), L"GameIcon");
    EXPECT_EQ(control.BackColor(), 0xFF000010u);

    // Device pixels given by code are taken as they are and not rescaled later.
    control.ApplyAttribute(L"height", L"10");
    manager.ChangeDpi(144);  // without a root: only the resources change
    control.RescaleSkinAttributes();
    EXPECT_TRUE(SameRect(control.Padding(), RECT{30, 18, 0, 0}));
    EXPECT_EQ(control.FixedWidth(), 54);
    EXPECT_EQ(control.FixedHeight(), 10);
    manager.SetDpi(96);
    control.RescaleSkinAttributes();
    EXPECT_TRUE(SameRect(control.Padding(), RECT{20, 12, 0, 0})) << "back to the skin's values";
    EXPECT_EQ(control.FixedWidth(), 36);
    control.AttachTo(nullptr, nullptr, false);
}

TEST(DpiControl, DefaultListsAreSkinLengthsToo) {
    CWindowManagerUI manager;
    manager.SetDpi(144);
    CControlUI control;
    control.AttachTo(&manager, nullptr, false);
    control.ApplyAttributeString(L"height=\"16\" padding=\"50,10,0,0\"");
    EXPECT_EQ(control.FixedHeight(), 24);
    EXPECT_TRUE(SameRect(control.Padding(), RECT{75, 15, 0, 0}));
    control.AttachTo(nullptr, nullptr, false);
}

TEST(DpiControl, LengthAttributesAreKnownByTheirRows) {
    struct TCase {
        const wchar_t* name;
        EScaledAttr kind;
    };
    const TCase cases[] = {
        {L"pos", EScaledAttr::Rect},       {L"padding", EScaledAttr::Rect},
        {L"inset", EScaledAttr::Rect},     {L"bordersize", EScaledAttr::NumberOrRect},
        {L"borderround", EScaledAttr::Size}, {L"minwidth", EScaledAttr::Number},
        {L"childpadding", EScaledAttr::Number},
        {L"bkcolor", EScaledAttr::None},   {L"vscrollbar", EScaledAttr::None},
        {L"Width", EScaledAttr::None},     // names are case-sensitive, as everywhere
        {L"fade", EScaledAttr::None},      {L"max", EScaledAttr::None},
        {nullptr, EScaledAttr::None},
    };
    CContainerUI container;  // its own rows, then the control base's
    for (const TCase& c : cases) {
        EXPECT_EQ(static_cast<int>(container.AttributeChain().Length(c.name)), static_cast<int>(c.kind))
            << (c.name != nullptr ? c.name : L"(null)");
    }
}

// ---- Fonts ----------------------------------------------------------------------------------

TEST(DpiResources, FontsAreMadeForTheDensityAndRemadeInPlace) {
    CWindowManagerUI manager;
    manager.AddFont(1, L"Arial", 16, false, false, false);
    const TFontData* font = manager.GetFontInfo(1);
    ASSERT_NE(font, nullptr);
    const LONG at96 = font->tm.tmHeight;
    ASSERT_GT(at96, 0);
    manager.SetDpi(192);
    const TFontData* again = manager.GetFontInfo(1);
    EXPECT_EQ(again, font) << "the record stays where it was";
    EXPECT_EQ(again->nSize, 16) << "sizes stay in skin units";
    EXPECT_NEAR(again->tm.tmHeight, 2 * at96, 2) << "the text is drawn at the larger size";
    const LONG defaultAt192 = manager.GetDefaultFontInfo()->tm.tmHeight;
    manager.SetDpi(96);
    EXPECT_LT(manager.GetDefaultFontInfo()->tm.tmHeight, defaultAt192);
}

// ---- Pictures -------------------------------------------------------------------------------

constexpr DWORD kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class DpiPictures : public testing::Test {
protected:
    static void SetUpTestSuite() {
        RenderTest::PreparePictures();
        const std::wstring folder = RenderTest::FixtureFolder();
        // "band.png" has a 2x variant: red at 1x; at 2x blue with a green third band.
        std::vector<DWORD> plain(30 * 90, 0xFF000000 | kRed);
        RenderTest::WritePng(folder + L"band.png", plain.data(), 30, 90, true);
        std::vector<DWORD> dense(60 * 180);
        for (int y = 0; y < 180; ++y)
            for (int x = 0; x < 60; ++x) dense[y * 60 + x] = 0xFF000000 | (y >= 120 ? kGreen : kBlue);
        RenderTest::WritePng(folder + L"band@2x.png", dense.data(), 60, 180, true);
    }

    bool Draw(CCanvas& canvas, const wchar_t* description, const RECT& control) {
        m_spec.Reset(description);
        return CUIRender::DrawImageSpec(canvas.DC(), &m_manager, control, control, m_spec);
    }
    static int CountNot(const CCanvas& canvas, const RECT& area, DWORD rgb) {
        ::GdiFlush();
        return RectArea(area) - canvas.CountColor(rgb, area);
    }
    static int RectArea(const RECT& rc) { return (rc.right - rc.left) * (rc.bottom - rc.top); }

    CWindowManagerUI m_manager;
    TImageSpec m_spec;
};

TEST_F(DpiPictures, TheVariantIsReadAndTheSourceCutScaledToIt) {
    CCanvas canvas(60, 60);
    m_manager.SetDpi(192);
    ASSERT_TRUE(Draw(canvas, L"file='band.png' source='0,60,30,90'", canvas.Rect()));
    EXPECT_EQ(m_spec.image->nWidth, 60);
    EXPECT_EQ(m_spec.image->nDpi, 192);
    EXPECT_TRUE(SameRect(m_spec.source, RECT{0, 120, 60, 180}));
    EXPECT_EQ(CountNot(canvas, canvas.Rect(), kGreen), 0) << "rows 120..179 of band@2x.png";

    // At 144 the 2x picture is the nearest denser one: reduced to 45x135.
    m_manager.SetDpi(144);
    CCanvas smaller(45, 45);
    ASSERT_TRUE(Draw(smaller, L"file='band.png' source='0,60,30,90'", smaller.Rect()));
    EXPECT_EQ(m_spec.image->nWidth, 45);
    EXPECT_EQ(m_spec.image->nHeight, 135);
    EXPECT_TRUE(SameRect(m_spec.source, RECT{0, 90, 45, 135}));
    EXPECT_EQ(CountNot(smaller, RECT{0, 2, 45, 45}, kGreen), 0);
}

TEST_F(DpiPictures, ASpecReadsItselfAgainAfterADensityChange) {
    CCanvas canvas(60, 60);
    ASSERT_TRUE(Draw(canvas, L"file='band.png' source='0,60,30,90'", RECT{0, 0, 30, 30}));
    EXPECT_EQ(CountNot(canvas, RECT{0, 0, 30, 30}, kRed), 0) << "the plain picture at 96";
    m_manager.SetDpi(192);
    ASSERT_TRUE(CUIRender::DrawImageSpec(canvas.DC(), &m_manager, canvas.Rect(), canvas.Rect(), m_spec));
    EXPECT_TRUE(SameRect(m_spec.source, RECT{0, 120, 60, 180}));
    EXPECT_EQ(CountNot(canvas, canvas.Rect(), kGreen), 0);
}

TEST_F(DpiPictures, NineSliceCornersAreScaledNotStretchedIntoTheMiddle) {
    m_manager.SetDpi(192);
    CCanvas canvas(64, 64);
    ASSERT_TRUE(Draw(canvas, L"file='nine.png' corner='4,4,4,4'", canvas.Rect()));
    EXPECT_TRUE(SameRect(m_spec.corner, RECT{8, 8, 8, 8}));
    ::GdiFlush();
    // The filter blends one pixel at each cell's edge; inside, each cell keeps its colour.
    EXPECT_EQ(canvas.CountColor(RenderTest::NineCellColor(0), RECT{0, 0, 7, 7}), 49);
    EXPECT_EQ(canvas.CountColor(RenderTest::NineCellColor(8), RECT{57, 57, 64, 64}), 49);
    // The left edge piece is stretched down (its blended first and last rows with it).
    EXPECT_EQ(canvas.CountColor(RenderTest::NineCellColor(3), RECT{0, 16, 7, 48}), 7 * 32)
        << "the left edge is 8 pixels wide at 192";
    EXPECT_EQ(canvas.Rgb(32, 32), RenderTest::NineCellColor(4));
}

TEST_F(DpiPictures, AResampledPictureKeepsAUniformColourAndItsAlpha) {
    m_manager.SetDpi(144);
    const TImageData* solid = m_manager.GetImageCached(L"solid.png");
    ASSERT_NE(solid, nullptr);
    EXPECT_EQ(solid->nWidth, 12);
    for (int i = 0; i < 12 * 12; ++i) ASSERT_EQ(solid->PixelAt(i % 12, i / 12), 0xFF000000 | RenderTest::kSolidColor);
    const TImageData* half = m_manager.GetImageCached(L"half.png");
    ASSERT_NE(half, nullptr);
    EXPECT_TRUE(half->bAlpha);
    EXPECT_EQ(half->PixelAt(5, 5) >> 24, 0x80u);
    EXPECT_EQ((half->PixelAt(5, 5) >> 16) & 0xFF, 0x80u) << "premultiplied colour stays under its alpha";
}

TEST_F(DpiPictures, APictureTooLargeToScaleStaysAtItsOwnDensity) {
    const std::wstring folder = RenderTest::FixtureFolder();
    std::vector<DWORD> wide(12000, 0xFF000000 | kBlue);
    ASSERT_TRUE(RenderTest::WritePng(folder + L"wide.png", wide.data(), 12000, 1, true));
    m_manager.SetDpi(192);
    const TImageData* image = m_manager.GetImageCached(L"wide.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nWidth, 12000) << "24000 pixels would pass the side limit";
    EXPECT_EQ(image->nDpi, 96);
}

}  // namespace
