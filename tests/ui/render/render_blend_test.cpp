// Fills and blending: the software AlphaBlend and GradientFill fall-backs against msimg32's
// functions (Wine's), DrawColor, DrawGradient, lines, frames and clip scopes.
//
// Tolerances: the blend fall-back rounds each product to nearest, as msimg32 does, but the
// order of the two roundings may differ, so channels may differ by 1. The banded gradient
// fall-back approximates a smooth ramp with 2^k bands, so a channel may differ by its whole
// range / 2^k (one band) plus 1.

#include <gtest/gtest.h>

#include <random>

#include "support/GdiHandles.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;
using RenderTest::CCanvas;
using RenderTest::ChannelDistance;

namespace {

// Makes every blend and gradient take the software path while it lives.
class CSoftwareOnly {
public:
    CSoftwareOnly() { CUIRender::ForceSoftwareFallbacks(true); }
    CSoftwareOnly(const CSoftwareOnly&) = delete;
    CSoftwareOnly& operator=(const CSoftwareOnly&) = delete;
    ~CSoftwareOnly() { CUIRender::ForceSoftwareFallbacks(false); }
};

// Random premultiplied pixels (each colour channel at most the alpha).
void FillPremultiplied(CCanvas& canvas, unsigned seed, bool opaque) {
    std::mt19937 random(seed);
    ::GdiFlush();
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const DWORD alpha = opaque ? 255 : random() % 256;
            DWORD pixel = alpha << 24;
            for (int shift = 0; shift < 24; shift += 8) pixel |= (random() % (alpha + 1)) << shift;
            canvas.Set(x, y, pixel);
        }
    }
}

// Largest channel difference between two canvases of the same size.
int WorstDistance(const CCanvas& a, const CCanvas& b, bool withAlpha) {
    ::GdiFlush();
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            worst = std::max(worst, ChannelDistance(a.At(x, y), b.At(x, y), withAlpha));
        }
    }
    return worst;
}

// The comparisons below mean something only against the system's functions: without them
// AlphaBlend and GradientFill would quietly take the software path too.
const char kNoSystemBlending[] = "msimg32's AlphaBlend or GradientFill was not found";

struct TBlendCase {
    BYTE fade;
    BYTE format;      // AC_SRC_ALPHA or 0
    int sourceSize;   // the source square, stretched to the 64×64 destination
    bool opaqueDest;
};

TEST(SoftwareFallbacks, AlphaBlendMatchesMsimg32) {
    ASSERT_TRUE(CUIRender::HasSystemBlending()) << kNoSystemBlending;
    const TBlendCase cases[] = {
        {255, AC_SRC_ALPHA, 64, true}, {200, AC_SRC_ALPHA, 64, true},
        {128, AC_SRC_ALPHA, 64, false}, {1, AC_SRC_ALPHA, 64, true},
        {0, AC_SRC_ALPHA, 64, true},    {128, 0, 64, true},
        {255, AC_SRC_ALPHA, 16, true},  {77, AC_SRC_ALPHA, 16, false},
    };
    unsigned seed = 1;
    for (const TBlendCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "fade " << int(c.fade) << " format " << int(c.format)
                                        << " source " << c.sourceSize);
        CCanvas source(c.sourceSize, c.sourceSize);
        FillPremultiplied(source, seed++, false);
        CCanvas system(64, 64);
        CCanvas software(64, 64);
        FillPremultiplied(system, seed, c.opaqueDest);
        FillPremultiplied(software, seed++, c.opaqueDest);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, c.fade, c.format};
        ASSERT_TRUE(CUIRender::AlphaBlend(system.DC(), system.Rect(), source.DC(), source.Rect(), blend));
        ASSERT_TRUE(CUIRender::SoftwareAlphaBlend(software.DC(), software.Rect(), source.DC(),
                                                  source.Rect(), blend));
        // Without per-pixel alpha the resulting alpha byte is not defined the same way.
        EXPECT_LE(WorstDistance(system, software, c.format == AC_SRC_ALPHA), 1);
    }
}

TEST(SoftwareFallbacks, DrawImageGivesTheSameResultEitherWay) {
    ASSERT_TRUE(CUIRender::HasSystemBlending()) << kNoSystemBlending;
    RenderTest::PreparePictures();
    CCanvas picture(12, 12);
    FillPremultiplied(picture, 42, false);
    HBITMAP bitmap = static_cast<HBITMAP>(::GetCurrentObject(picture.DC(), OBJ_BITMAP));
    CCanvas system(50, 40);
    CCanvas software(50, 40);
    FillPremultiplied(system, 7, true);
    FillPremultiplied(software, 7, true);
    // DrawImage selects the bitmap into its own context, so take it out of the canvas's first.
    const bxutil::CBitmapHandle placeholder(::CreateBitmap(1, 1, 1, 1, nullptr));
    const bxutil::CSelectObject takenOut(picture.DC(), placeholder.Get());
    const RECT corners{3, 3, 3, 3};
    CUIRender::DrawImage(system.DC(), bitmap, system.Rect(), system.Rect(), RECT{0, 0, 12, 12},
                         corners, true, 180);
    {
        CSoftwareOnly software_only;
        CUIRender::DrawImage(software.DC(), bitmap, software.Rect(), software.Rect(),
                             RECT{0, 0, 12, 12}, corners, true, 180);
    }
    EXPECT_LE(WorstDistance(system, software, true), 1);
}

struct TGradientCase {
    DWORD first;
    DWORD second;
    bool vertical;
    int steps;
};

TEST(SoftwareFallbacks, BandedGradientFollowsMsimg32WithinOneBand) {
    ASSERT_TRUE(CUIRender::HasSystemBlending()) << kNoSystemBlending;
    const TGradientCase cases[] = {
        {0xFFFF0000, 0xFF0000FF, true, 2},   {0xFFFF0000, 0xFF0000FF, true, 16},
        {0xFF000000, 0xFFFFFFFF, false, 64}, {0xFF102030, 0xFF405060, false, 8},
        {0xFF808080, 0xFF808080, true, 4},
    };
    for (const TGradientCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << "->" << c.second << std::dec
                                        << (c.vertical ? " vertical " : " horizontal ") << c.steps);
        CCanvas system(64, 64);
        CCanvas software(64, 64);
        ASSERT_TRUE(CUIRender::GradientFill(system.DC(), system.Rect(), c.first, c.second,
                                            c.vertical, c.steps));
        CUIRender::SoftwareGradientFill(software.DC(), software.Rect(), c.first, c.second,
                                        c.vertical, c.steps);
        const int k = c.steps < 4 ? 1 : c.steps < 8 ? 2 : c.steps < 16 ? 3 : c.steps < 32 ? 4
                    : c.steps < 64 ? 5 : 6;
        const int range = ChannelDistance(c.first, c.second, false);
        EXPECT_LE(WorstDistance(system, software, false), (range >> k) + 1 + (range ? 1 : 0));
        // The ends: the second colour exactly at the bottom/right edge.
        EXPECT_EQ(software.Rgb(63, 63), c.second & 0xFFFFFF);
    }
}

// ---- DrawColor and DrawGradient ---------------------------------------------------------------

struct TColorCase {
    DWORD argb;
    DWORD background;
    DWORD expected;  // RGB
};

TEST(Fills, DrawColorSkipsFillsOrBlendsByAlpha) {
    const TColorCase cases[] = {
        {0x00FF0000, 0xFFFFFFFF, 0xFFFFFF},  // alpha 0: nothing
        {0xFFFF0000, 0xFFFFFFFF, 0xFF0000},  // opaque fill
        {0x80FF0000, 0xFFFFFFFF, 0xFF7F7F},  // half red over white
        {0x80FF0000, 0xFF000000, 0x800000},  // half red over black
        {0x800000FF, 0xFF00FF00, 0x007F80},  // half blue over green
    };
    for (const TColorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.argb << " over " << c.background);
        CCanvas canvas(10, 10, c.background);
        CUIRender::DrawColor(canvas.DC(), RECT{2, 2, 8, 8}, c.argb);
        EXPECT_EQ(canvas.CountColor(c.expected, RECT{2, 2, 8, 8}, 1), 36);
        // Nothing outside the rectangle.
        RECT changed{};
        canvas.CountDiffering(c.background, canvas.Rect(), &changed);
        EXPECT_TRUE(changed.right <= changed.left ||
                    (changed.left >= 2 && changed.top >= 2 && changed.right <= 8 && changed.bottom <= 8));
    }
}

TEST(Fills, TranslucentGradientUsesTheAverageOpacity) {
    for (bool software : {false, true}) {
        SCOPED_TRACE(software ? "software" : "msimg32");
        CUIRender::ForceSoftwareFallbacks(software);
        CCanvas canvas(20, 64, 0xFFFFFFFF);
        CUIRender::DrawGradient(canvas.DC(), canvas.Rect(), 0x80FF0000, 0x800000FF, true, 64);
        CUIRender::ForceSoftwareFallbacks(false);
        EXPECT_LE(ChannelDistance(canvas.Rgb(10, 0), 0xFF7F7F, false), 6);
        EXPECT_LE(ChannelDistance(canvas.Rgb(10, 63), 0x7F7FFF, false), 6);
    }
    CCanvas untouched(8, 8, 0xFFFFFFFF);
    CUIRender::DrawGradient(untouched.DC(), untouched.Rect(), 0x01FF0000, 0x000000FF, true, 8);
    EXPECT_EQ(untouched.CountColor(0xFFFFFF, untouched.Rect()), 64);
}

// ---- Lines and frames -------------------------------------------------------------------------

TEST(Lines, FramesLieInsideTheRectangle) {
    CCanvas canvas(30, 30, 0xFFFFFFFF);
    CUIRender::DrawRect(canvas.DC(), RECT{2, 2, 22, 22}, 2, 0xFFFF0000);
    ::GdiFlush();
    for (POINT p : {POINT{2, 2}, POINT{3, 3}, POINT{21, 21}, POINT{20, 12}, POINT{12, 2}}) {
        EXPECT_EQ(canvas.Rgb(p.x, p.y), 0xFF0000u) << p.x << "," << p.y;
    }
    for (POINT p : {POINT{1, 1}, POINT{4, 4}, POINT{12, 12}, POINT{22, 22}}) {
        EXPECT_EQ(canvas.Rgb(p.x, p.y), 0xFFFFFFu) << p.x << "," << p.y;
    }
    canvas.Fill(0xFFFFFFFF);
    CUIRender::DrawRoundRect(canvas.DC(), RECT{0, 0, 30, 30}, 1, 12, 12, 0xFF0000FF);
    ::GdiFlush();
    EXPECT_EQ(canvas.Rgb(0, 0), 0xFFFFFFu);   // the corner is rounded off
    EXPECT_EQ(canvas.Rgb(15, 0), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(15, 15), 0xFFFFFFu);  // not filled
}

TEST(Lines, LineRunsFromLeftTopToRightBottom) {
    CCanvas canvas(30, 30, 0xFFFFFFFF);
    CUIRender::DrawLine(canvas.DC(), RECT{0, 5, 20, 5}, 1, 0xFF00FF00);
    EXPECT_EQ(canvas.CountColor(0x00FF00, canvas.Rect()), 20);
    EXPECT_EQ(canvas.CountColor(0x00FF00, RECT{0, 5, 20, 6}), 20);
}

// ---- Clips ------------------------------------------------------------------------------------

TEST(Clips, ScopesIntersectAndRestoreExactly) {
    CCanvas canvas(40, 40, 0xFFFFFFFF);
    {
        CPaintClip outer;
        CUIRender::ClipToRect(canvas.DC(), RECT{0, 0, 20, 20}, outer);
        {
            CPaintClip inner;
            CUIRender::ClipToRect(canvas.DC(), RECT{10, 10, 30, 30}, inner);
            CUIRender::DrawColor(canvas.DC(), canvas.Rect(), 0xFFFF0000);
            EXPECT_EQ(canvas.CountColor(0xFF0000, canvas.Rect()), 100);
        }
        CUIRender::DrawColor(canvas.DC(), canvas.Rect(), 0xFF00FF00);
        EXPECT_EQ(canvas.CountColor(0x00FF00, canvas.Rect()), 400);

        CUIRender::SuspendClip(canvas.DC(), outer);
        CUIRender::DrawColor(canvas.DC(), RECT{30, 30, 40, 40}, 0xFF0000FF);
        EXPECT_EQ(canvas.CountColor(0x0000FF, canvas.Rect()), 100);
        CUIRender::ResumeClip(canvas.DC(), outer);
        CUIRender::DrawColor(canvas.DC(), RECT{20, 0, 40, 20}, 0xFF000000);
        EXPECT_EQ(canvas.CountColor(0x000000, canvas.Rect()), 0);
    }
    CUIRender::DrawColor(canvas.DC(), canvas.Rect(), 0xFF000000);
    EXPECT_EQ(canvas.CountColor(0x000000, canvas.Rect()), 1600);
}

TEST(Clips, RoundClipCutsTheCorners) {
    CCanvas canvas(40, 40, 0xFFFFFFFF);
    {
        CPaintClip clip;
        CUIRender::ClipToRoundRect(canvas.DC(), RECT{0, 0, 40, 30}, RECT{0, 0, 39, 39}, 20, 20,
                                   clip);
        CUIRender::DrawColor(canvas.DC(), canvas.Rect(), 0xFFFF0000);
    }
    ::GdiFlush();
    EXPECT_EQ(canvas.Rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(20, 20), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(20, 35), 0xFFFFFFu);  // below the clip rectangle
}

TEST(Fills, ArtefactColoursAndGradients) {
    CCanvas canvas(240, 100, 0xFFFFFFFF);
    CUIRender::DrawColor(canvas.DC(), RECT{0, 0, 240, 20}, 0xFF204060);
    CUIRender::DrawColor(canvas.DC(), RECT{20, 10, 120, 40}, 0x80FF0000);
    CUIRender::DrawGradient(canvas.DC(), RECT{0, 50, 120, 100}, 0xFFFF0000, 0xFF0000FF, true, 16);
    CUIRender::ForceSoftwareFallbacks(true);
    CUIRender::DrawGradient(canvas.DC(), RECT{120, 50, 240, 100}, 0xFFFF0000, 0xFF0000FF, true, 16);
    CUIRender::ForceSoftwareFallbacks(false);
    CUIRender::DrawRoundRect(canvas.DC(), RECT{140, 5, 230, 45}, 2, 16, 16, 0xFF00A000);
    EXPECT_TRUE(canvas.SavePng(RenderTest::ArtifactFolder() + L"fills.png"));
}

}  // namespace
