// Image descriptions and picture drawing: parsing, cutting, stretching, clamping, fade,
// nine-slice with hole, tiling, dest, the opaque one-to-one copy and rotation, checked pixel by
// pixel in a 32-bit DIB.

#include <gtest/gtest.h>

#include <functional>

#include "tests/common/RectAssert.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;
using test_support::SameRect;
using RenderTest::CCanvas;

namespace {

constexpr DWORD kMagenta = 0xFFFF00FF;


// ---- Parsing ----------------------------------------------------------------------------------

struct TParseCase {
    const wchar_t* text;
    const wchar_t* name;
    RECT dest;
    RECT source;
    RECT corner;
    int fade;
    bool hole;
    bool xtiled;
    DWORD mask;
};

TEST(ImageDescription, ParsesPairsAndStopsAtTheFirstFault) {
    const RECT z{0, 0, 0, 0};
    const TParseCase cases[] = {
        {L"bg.png", L"bg.png", z, z, z, 255, false, false, 0},
        {L"my picture.png", L"my picture.png", z, z, z, 255, false, false, 0},
        {L"file='Min.png' source='0,60,30,90'", L"Min.png", z, {0, 60, 30, 90}, z, 255, false,
         false, 0},
        // Two spaces between pairs are fine; a pair glued to the quote ends the list.
        {L"file='a.png'  dest='1,1,10,10'", L"a.png", {1, 1, 10, 10}, z, z, 255, false, false, 0},
        {L"file='a.png'dest='1,1,10,10'", L"a.png", z, z, z, 255, false, false, 0},
        {L"file = 'a.png' fade= '229'", L"a.png", z, z, z, 229, false, false, 0},
        {L"file='x.png' corner='1,2,3,4' hole='true' xtiled='true' mask='#FF00FF00'", L"x.png",
         z, z, {1, 2, 3, 4}, 255, true, true, 0xFF00FF00},
        {L"file='x.png' hole='TRUE' xtiled='1'", L"x.png", z, z, z, 255, false, false, 0},
        // Out-of-range fades are clamped, not wrapped; short rectangles read missing numbers as 0.
        {L"file='x.png' fade='300' source='0, 60, 30'", L"x.png", z, {0, 60, 30, 0}, z, 255,
         false, false, 0},
        {L"file='x.png' fade='-5'", L"x.png", z, z, z, 0, false, false, 0},
        // An unterminated value ends parsing; what was read stays.
        {L"file='a.png' dest='1,2", L"a.png", z, z, z, 255, false, false, 0},
        {L"file='", L"file='", z, z, z, 255, false, false, 0},
        // Keys are case-sensitive: without file/res the whole text is the name.
        {L"FILE='a.png'", L"FILE='a.png'", z, z, z, 255, false, false, 0},
        // Empty values are ignored.
        {L"file='' fade='10'", L"file='' fade='10'", z, z, z, 10, false, false, 0},
        {L"file='a.png' source='99999999999,-99999999999,1,1'", L"a.png", z,
         {2147483647, -2147483647 - 1, 1, 1}, z, 255, false, false, 0},
    };
    for (const TParseCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "description: " << std::wstring(c.text).c_str());
        TImageSpec spec;
        TImageSource source;
        ParseImageDescription(c.text, spec, source);
        EXPECT_EQ(std::wstring(source.name), std::wstring(c.name));
        EXPECT_TRUE(SameRect(spec.dest, c.dest));
        EXPECT_TRUE(SameRect(spec.source, c.source));
        EXPECT_TRUE(SameRect(spec.corner, c.corner));
        EXPECT_EQ(spec.fade, c.fade);
        EXPECT_EQ(spec.hole, c.hole);
        EXPECT_EQ(spec.xtiled, c.xtiled);
        EXPECT_EQ(source.mask, c.mask);
    }
}

TEST(ImageDescription, ResourcePicturesKeepTheirType) {
    TImageSpec spec;
    TImageSource source;
    ParseImageDescription(L"res='146' restype='PNG' source='0,0,4,4'", spec, source);
    EXPECT_EQ(std::wstring(source.name), L"146");
    EXPECT_EQ(std::wstring(source.resourceType), L"PNG");
    EXPECT_TRUE(source.fromResource);
}

TEST(ImageDescription, ResetRestoresEveryDefault) {
    TImageSpec spec;
    spec.tried = true;
    spec.fade = 3;
    spec.hole = spec.xtiled = spec.ytiled = true;
    spec.dest = spec.source = spec.corner = RECT{1, 2, 3, 4};
    spec.Reset(L"bg.png");
    EXPECT_EQ(std::wstring(spec.description), L"bg.png");
    EXPECT_FALSE(spec.tried || spec.hole || spec.xtiled || spec.ytiled);
    EXPECT_EQ(spec.fade, 255);
    EXPECT_EQ(spec.image, nullptr);
    EXPECT_TRUE(SameRect(spec.source, RECT{0, 0, 0, 0}));
}

// ---- Drawing ----------------------------------------------------------------------------------

class ImageDrawing : public testing::Test {
protected:
    static void SetUpTestSuite() { RenderTest::PreparePictures(); }

    // Draws description into control (painting only paint) on the canvas.
    bool Draw(CCanvas& canvas, const wchar_t* description, const RECT& control, const RECT& paint,
              int angle = 0) {
        m_spec.Reset(description);
        return CUIRender::DrawImageSpec(canvas.DC(), &m_manager, control, paint, m_spec, angle);
    }
    bool Draw(CCanvas& canvas, const wchar_t* description, const RECT& control) {
        return Draw(canvas, description, control, control);
    }

    // Every pixel of area has the colour expected(x, y).
    static void ExpectPixels(const CCanvas& canvas, const RECT& area,
                             const std::function<DWORD(int, int)>& expected) {
        ::GdiFlush();
        int wrong = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (canvas.Rgb(x, y) != (expected(x, y) & 0xFFFFFF) && wrong++ < 3) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex
                                  << canvas.Rgb(x, y) << " instead of " << expected(x, y);
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    static void ExpectArea(const CCanvas& canvas, const RECT& area, DWORD rgb) {
        ExpectPixels(canvas, area, [rgb](int, int) { return rgb; });
    }

    CWindowManagerUI m_manager;
    TImageSpec m_spec;
};

TEST_F(ImageDrawing, SourceCutIsDrawnUnscaled) {
    CCanvas canvas(30, 30, kMagenta);
    ASSERT_TRUE(Draw(canvas, L"file='coords.png' source='0,60,30,90'", canvas.Rect()));
    ExpectPixels(canvas, canvas.Rect(), [](int x, int y) { return RenderTest::CoordsPixel(x, y + 60); });
}

TEST_F(ImageDrawing, SourceCutIsStretchedOverTheControl) {
    CCanvas canvas(40, 40, kMagenta);
    ASSERT_TRUE(Draw(canvas, L"file='coords.png' source='0,0,10,10'", canvas.Rect()));
    // Nearest-pixel stretching by 4: each source pixel becomes a 4×4 block.
    ExpectPixels(canvas, canvas.Rect(), [](int x, int y) { return RenderTest::CoordsPixel(x / 4, y / 4); });
}

TEST_F(ImageDrawing, SourceIsClampedToThePicture) {
    CCanvas canvas(30, 90, kMagenta);
    ASSERT_TRUE(Draw(canvas, L"file='coords.png' source='0,0,500,500'", canvas.Rect()));
    EXPECT_TRUE(SameRect(m_spec.source, RECT{0, 0, 30, 90}));
    ExpectPixels(canvas, canvas.Rect(), RenderTest::CoordsPixel);
}

TEST_F(ImageDrawing, NegativeOrEmptySourceDrawsNothing) {
    CCanvas canvas(20, 20, kMagenta);
    for (const wchar_t* description : {L"file='solid.png' source='-50,-50,-10,-10'",
                                       L"file='solid.png' source='5,5,5,9'",
                                       L"file='solid.png' source='6,6,2,2'"}) {
        Draw(canvas, description, canvas.Rect());
        EXPECT_EQ(canvas.CountDiffering(kMagenta, canvas.Rect()), 0) << description;
    }
}

TEST_F(ImageDrawing, FadeBlendsAnOpaquePicture) {
    CCanvas canvas(8, 8, 0xFFFFFFFF);
    ASSERT_TRUE(Draw(canvas, L"file='solid.png' fade='128'", canvas.Rect()));
    EXPECT_EQ(m_spec.fade, 128);
    // Each channel: colour × 128/255 + white × 127/255.
    auto blend = [](DWORD c) { return (c * 128 + 127) / 255 + (255 * 127 + 127) / 255; };
    const DWORD expected = (blend(0x33) << 16) | (blend(0x66) << 8) | blend(0x99);
    EXPECT_EQ(canvas.CountColor(expected, canvas.Rect(), 1), 64);
}

TEST_F(ImageDrawing, TranslucentPictureBlendsItsPremultipliedPixels) {
    CCanvas canvas(8, 8, 0xFFFFFFFF);
    ASSERT_TRUE(Draw(canvas, L"half.png", canvas.Rect()));
    // Red at alpha 128 over white.
    EXPECT_EQ(canvas.CountColor(0xFF7F7F, canvas.Rect(), 1), 64);
}

TEST_F(ImageDrawing, NineSliceKeepsCornersAndHoleLeavesTheMiddle) {
    for (bool hole : {false, true}) {
        SCOPED_TRACE(hole ? "hole" : "filled");
        CCanvas canvas(40, 30, kMagenta);
        ASSERT_TRUE(Draw(canvas, hole ? L"file='nine.png' corner='4,4,4,4' hole='true'"
                                      : L"file='nine.png' corner='4,4,4,4'",
                         canvas.Rect()));
        const LONG xs[4] = {0, 4, 36, 40};
        const LONG ys[4] = {0, 4, 26, 30};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const RECT cell{xs[column], ys[row], xs[column + 1], ys[row + 1]};
                const bool middle = row == 1 && column == 1;
                ExpectArea(canvas, cell,
                           middle && hole ? kMagenta : RenderTest::NineCellColor(row * 3 + column));
            }
        }
    }
}

TEST_F(ImageDrawing, NineSliceOfATranslucentPictureDrawsOnlyBorders) {
    CCanvas canvas(40, 30, 0xFFFFFFFF);
    ASSERT_TRUE(Draw(canvas, L"file='nine.png' corner='4,4,4,4' hole='true' fade='254'",
                     canvas.Rect()));
    ExpectArea(canvas, RECT{4, 4, 36, 26}, 0xFFFFFF);
    EXPECT_EQ(canvas.CountColor(0xFFFFFF, canvas.Rect()), 32 * 22);
}

struct TTileCase {
    const wchar_t* description;
    int width;
    int height;
    std::function<DWORD(int, int)> expected;
};

TEST_F(ImageDrawing, TilingRepeatsTheMiddleAndCutsTheLastTiles) {
    using RenderTest::CoordsPixel;
    const TTileCase cases[] = {
        // Columns 7 wide stretched from 5 to 10 rows; the last column is 6 wide.
        {L"file='coords.png' source='0,0,7,5' xtiled='true'", 20, 10,
         [](int x, int y) { return CoordsPixel(x % 7, y / 2); }},
        {L"file='coords.png' source='0,0,7,5' ytiled='true'", 14, 12,
         [](int x, int y) { return CoordsPixel(x / 2, y % 5); }},
        {L"file='coords.png' source='0,0,7,5' xtiled='true' ytiled='true'", 20, 12,
         [](int x, int y) { return CoordsPixel(x % 7, y % 5); }},
        {L"file='coords.png' source='0,0,7,5' xtiled='true' ytiled='true' fade='254'", 20, 12,
         [](int x, int y) { return CoordsPixel(x % 7, y % 5); }},
    };
    for (const TTileCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.description).c_str());
        CCanvas canvas(c.width, c.height, kMagenta);
        ASSERT_TRUE(Draw(canvas, c.description, canvas.Rect()));
        if (m_spec.fade == 255) {
            ExpectPixels(canvas, canvas.Rect(), c.expected);
        } else {  // nearly opaque: each pixel within 2 of the tile's colour
            ::GdiFlush();
            for (int y = 0; y < c.height; ++y) {
                for (int x = 0; x < c.width; ++x) {
                    ASSERT_LE(RenderTest::ChannelDistance(canvas.Rgb(x, y), c.expected(x, y), false), 2)
                        << x << "," << y;
                }
            }
        }
    }
}

TEST_F(ImageDrawing, TilingStartsAtTheFirstTileMeetingThePaintRectangle) {
    // Two-pixel tiles from a control that starts 2^27 pixels up and left of a tall, narrow paint
    // rectangle: walking tile by tile from the control's edge would take ~10^11 steps; the tiles
    // drawn keep their phase with the control's edge.
    using RenderTest::CoordsPixel;
    CCanvas canvas(16, 4096, kMagenta);
    const LONG distant = -(1L << 27) + 3;
    const RECT control{distant, distant, 16, 4096};
    ASSERT_TRUE(Draw(canvas, L"file='coords.png' source='0,0,2,1' xtiled='true' ytiled='true'",
                     control, canvas.Rect()));
    ExpectPixels(canvas, canvas.Rect(), [](int x, int) { return CoordsPixel((x + 1) % 2, 0); });
}

TEST_F(ImageDrawing, TilingWithoutSourceExtentDrawsNoMiddle) {
    CCanvas canvas(20, 20, kMagenta);
    Draw(canvas, L"file='coords.png' source='3,0,3,5' xtiled='true'", canvas.Rect());
    EXPECT_EQ(canvas.CountDiffering(kMagenta, canvas.Rect()), 0);
}

TEST_F(ImageDrawing, DestPlacesThePictureInsideTheControl) {
    CCanvas canvas(60, 60, kMagenta);
    const RECT control{10, 10, 50, 50};
    ASSERT_TRUE(Draw(canvas, L"file='solid.png' dest='5,5,15,15'", control));
    ExpectArea(canvas, RECT{15, 15, 25, 25}, RenderTest::kSolidColor);
    EXPECT_EQ(canvas.CountDiffering(kMagenta, canvas.Rect()), 100);

    // Right and bottom never pass the control.
    canvas.Fill(kMagenta);
    ASSERT_TRUE(Draw(canvas, L"file='solid.png' dest='30,0,100,10'", control));
    ExpectArea(canvas, RECT{40, 10, 50, 20}, RenderTest::kSolidColor);
    EXPECT_EQ(canvas.CountDiffering(kMagenta, canvas.Rect()), 100);
}

TEST_F(ImageDrawing, OneToOneOpaqueCopyTouchesOnlyThePaintRectangle) {
    CCanvas canvas(30, 90, kMagenta);
    const RECT paint{5, 10, 15, 20};
    ASSERT_TRUE(Draw(canvas, L"coords.png", canvas.Rect(), paint));
    ExpectPixels(canvas, paint, RenderTest::CoordsPixel);
    EXPECT_EQ(canvas.CountDiffering(kMagenta, canvas.Rect()), 100);
}

TEST_F(ImageDrawing, NothingIsDrawnOutsideThePaintRectangle) {
    CCanvas canvas(40, 40, kMagenta);
    EXPECT_TRUE(Draw(canvas, L"coords.png", RECT{0, 0, 30, 30}, RECT{30, 30, 40, 40}));
    EXPECT_EQ(canvas.CountDiffering(kMagenta, canvas.Rect()), 0);
}

TEST_F(ImageDrawing, MaskColourBecomesTransparent) {
    CCanvas canvas(8, 8, kMagenta);
    ASSERT_TRUE(Draw(canvas, L"file='masked.png' mask='#FF00FF00'", canvas.Rect()));
    ExpectArea(canvas, RECT{0, 0, 4, 8}, kMagenta);
    ExpectArea(canvas, RECT{4, 0, 8, 8}, 0xFF0000);
}

TEST_F(ImageDrawing, MissingPictureIsNotTriedAgainUntilReset) {
    const std::wstring path = RenderTest::FixtureFolder() + L"late.png";
    ::DeleteFileW(path.c_str());
    CCanvas canvas(8, 8, kMagenta);
    EXPECT_FALSE(Draw(canvas, L"file='late.png'", canvas.Rect()));
    EXPECT_TRUE(m_spec.tried);

    const DWORD pixels[4] = {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00};
    ASSERT_TRUE(RenderTest::WritePng(path, pixels, 2, 2, true));
    EXPECT_FALSE(CUIRender::DrawImageSpec(canvas.DC(), &m_manager, canvas.Rect(), canvas.Rect(),
                                          m_spec));
    EXPECT_EQ(canvas.CountDiffering(kMagenta, canvas.Rect()), 0);
    EXPECT_TRUE(Draw(canvas, L"file='late.png'", canvas.Rect()));  // Reset: tried again
    EXPECT_EQ(canvas.CountColor(0x00FF00, canvas.Rect()), 64);
}

TEST_F(ImageDrawing, WithoutDeviceContextOnlyParsesAndLoads) {
    m_spec.Reset(L"file='solid.png' fade='7'");
    EXPECT_TRUE(CUIRender::DrawImageSpec(nullptr, &m_manager, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4},
                                         m_spec));
    ASSERT_NE(m_spec.image, nullptr);
    EXPECT_EQ(std::wstring(m_spec.imageName), L"solid.png");
    EXPECT_TRUE(SameRect(m_spec.source, RECT{0, 0, 8, 8}));
    EXPECT_EQ(m_spec.fade, 7);
}

TEST_F(ImageDrawing, WithoutManagerNothingLoadsAndTheSpecStaysUntried) {
    CCanvas canvas(8, 8, kMagenta);
    m_spec.Reset(L"solid.png");
    EXPECT_FALSE(CUIRender::DrawImageSpec(canvas.DC(), nullptr, canvas.Rect(), canvas.Rect(),
                                          m_spec));
    EXPECT_FALSE(m_spec.tried);
    // Once a manager is there, the picture loads.
    EXPECT_TRUE(CUIRender::DrawImageSpec(canvas.DC(), &m_manager, canvas.Rect(), canvas.Rect(),
                                         m_spec));
}

TEST_F(ImageDrawing, RotationTurnsThePictureAboutItsCentre) {
    CCanvas canvas(20, 20, kMagenta);
    ASSERT_TRUE(Draw(canvas, L"rot.png", canvas.Rect(), canvas.Rect(), 90));
    // The red top band turns to the right-hand side (clockwise, y pointing down).
    EXPECT_LE(RenderTest::ChannelDistance(canvas.Rgb(18, 10), 0xFF0000, false), 8);
    EXPECT_LE(RenderTest::ChannelDistance(canvas.Rgb(2, 10), 0x0000FF, false), 8);
    EXPECT_LE(RenderTest::ChannelDistance(canvas.Rgb(10, 2), 0x0000FF, false), 8);

    ASSERT_TRUE(Draw(canvas, L"rot.png", canvas.Rect(), canvas.Rect(), 180));
    EXPECT_LE(RenderTest::ChannelDistance(canvas.Rgb(10, 18), 0xFF0000, false), 8);
    EXPECT_LE(RenderTest::ChannelDistance(canvas.Rgb(10, 2), 0x0000FF, false), 8);
}

// Each rotation is the caller's own copy: a second one leaves the first intact, and the copy goes
// with its holder.
TEST(Rotation, EachRotatedCopyBelongsToItsCaller) {
    const bxutil::CBitmapHandle picture(::CreateBitmap(8, 6, 1, 32, nullptr));
    ASSERT_TRUE(picture);
    bxutil::CBitmapHandle first = CUIRender::RotateBitmap(picture.Get(), 90);
    const bxutil::CBitmapHandle second = CUIRender::RotateBitmap(picture.Get(), 45);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.Get(), second.Get());
    const HBITMAP firstBitmap = first.Get();
    BITMAP info{};
    ASSERT_EQ(::GetObjectW(firstBitmap, sizeof info, &info), static_cast<int>(sizeof info))
        << "the second rotation left the first one alive";
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 6);
    first.Reset();
    EXPECT_EQ(::GetObjectType(firstBitmap), 0u) << "the holder deleted its copy";
    EXPECT_EQ(::GetObjectType(second.Get()), static_cast<DWORD>(OBJ_BITMAP));
}

TEST_F(ImageDrawing, ArtefactNineSliceAndTiles) {
    CCanvas canvas(200, 120, 0xFFFFFFFF);
    m_spec.Reset(L"file='nine.png' corner='4,4,4,4'");
    CUIRender::DrawImageSpec(canvas.DC(), &m_manager, RECT{10, 10, 90, 60}, canvas.Rect(), m_spec);
    m_spec.Reset(L"file='nine.png' corner='4,4,4,4' hole='true'");
    CUIRender::DrawImageSpec(canvas.DC(), &m_manager, RECT{110, 10, 190, 60}, canvas.Rect(), m_spec);
    m_spec.Reset(L"file='coords.png' source='0,0,7,5' xtiled='true' ytiled='true'");
    CUIRender::DrawImageSpec(canvas.DC(), &m_manager, RECT{10, 70, 90, 110}, canvas.Rect(), m_spec);
    m_spec.Reset(L"file='solid.png' fade='100'");
    CUIRender::DrawImageSpec(canvas.DC(), &m_manager, RECT{110, 70, 190, 110}, canvas.Rect(), m_spec);
    EXPECT_TRUE(canvas.SavePng(RenderTest::ArtifactFolder() + L"images.png"));
}

}  // namespace
