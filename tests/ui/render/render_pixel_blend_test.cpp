// Our own premultiplied blend: the SSE2 and the plain path give the same pixels, and both stay
// within 1 per channel of msimg32's AlphaBlend (Wine's), for rows of every width up to 17 pixels
// (every tail of the four-pixel SSE2 steps), the extreme alphas and fades, nine-slices whose
// corners are larger than the target, clipped targets and translucent colours.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/GdiHandles.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/render/PixelBlend.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;
using RenderTest::CCanvas;
using RenderTest::ChannelDistance;

namespace {

const BYTE kExtremes[] = {0, 1, 254, 255};

// A premultiplied pixel: the alpha given, each colour channel at most the alpha.
DWORD Premultiplied(std::mt19937& random, DWORD alpha) {
    DWORD pixel = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8) pixel |= (random() % (alpha + 1)) << shift;
    return pixel;
}

// Pixels whose alphas walk through the extremes, then random ones.
std::vector<DWORD> Row(std::mt19937& random, size_t count, bool opaque) {
    std::vector<DWORD> row(count);
    for (size_t i = 0; i < count; ++i) {
        const DWORD alpha = opaque ? 255 : i < 8 ? kExtremes[i % 4] : random() % 256;
        row[i] = Premultiplied(random, alpha);
    }
    return row;
}

void FillCanvas(CCanvas& canvas, std::mt19937& random, bool opaque) {
    ::GdiFlush();
    for (int y = 0; y < canvas.Height(); ++y) {
        const std::vector<DWORD> row = Row(random, canvas.Width(), opaque);
        for (int x = 0; x < canvas.Width(); ++x) canvas.Set(x, y, row[x]);
    }
}

int WorstDistance(const CCanvas& a, const CCanvas& b) {
    ::GdiFlush();
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            worst = std::max(worst, ChannelDistance(a.At(x, y), b.At(x, y), true));
    return worst;
}

bool SamePixels(const CCanvas& a, const CCanvas& b) {
    ::GdiFlush();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

// A picture of random premultiplied pixels. DrawImage selects a picture into a context of its
// own, so the canvas that made it lets go of it.
class CRandomPicture {
public:
    CRandomPicture(int side, unsigned seed)
        : m_canvas(side, side), m_placeholder(::CreateBitmap(1, 1, 1, 1, nullptr)) {
        std::mt19937 random(seed);
        FillCanvas(m_canvas, random, false);
        m_bitmap = static_cast<HBITMAP>(::GetCurrentObject(m_canvas.DC(), OBJ_BITMAP));
        m_takenOut = bxutil::CSelectObject(m_canvas.DC(), m_placeholder.Get());
    }
    HBITMAP Bitmap() const { return m_bitmap; }

private:
    CCanvas m_canvas;
    bxutil::CBitmapHandle m_placeholder;
    HBITMAP m_bitmap = nullptr;
    bxutil::CSelectObject m_takenOut;
};

// Puts a blend path in force while it lives.
class CBlendPath {
public:
    explicit CBlendPath(EBlendPath path) : m_previous(SelectBlendPath(path)) {}
    CBlendPath(const CBlendPath&) = delete;
    CBlendPath& operator=(const CBlendPath&) = delete;
    ~CBlendPath() { SelectBlendPath(m_previous); }

private:
    EBlendPath m_previous;
};

const EBlendPath kPaths[] = {EBlendPath::kSystem, EBlendPath::kPlain, EBlendPath::kSse2};

// The same drawing done once on each path, each on its own copy of the same canvas; then the
// two paths of ours must agree exactly and stay within 1 of msimg32's.
template <class Draw>
void ExpectPathsAgree(int width, int height, unsigned seed, Draw draw) {
    std::vector<std::unique_ptr<CCanvas>> results;
    for (EBlendPath path : kPaths) {
        auto canvas = std::make_unique<CCanvas>(width, height);
        std::mt19937 random(seed);
        FillCanvas(*canvas, random, false);
        const CBlendPath chosen(path);
        draw(*canvas);
        results.push_back(std::move(canvas));
    }
    EXPECT_TRUE(SamePixels(*results[1], *results[2])) << "plain and SSE2 differ";
    EXPECT_LE(WorstDistance(*results[0], *results[1]), 1) << "ours and msimg32 differ";
}

TEST(PixelBlend, RowsOfEveryTailWidthAgreeWithMsimg32) {
    ASSERT_TRUE(CUIRender::HasSystemBlending());
    std::mt19937 random(21);
    for (size_t width = 0; width <= 17; ++width) {
        for (BYTE fade : kExtremes) {
            for (bool perPixelAlpha : {true, false}) {
                SCOPED_TRACE(testing::Message() << "width " << width << " fade " << int(fade)
                                                << " per-pixel " << perPixelAlpha);
                const std::vector<DWORD> source = Row(random, width, false);
                // One guard pixel beyond the row: no path writes past its count.
                const std::vector<DWORD> original = Row(random, width + 1, false);
                std::vector<DWORD> plain = original;
                std::vector<DWORD> sse2 = original;
                BlendRow(EBlendPath::kPlain, plain.data(), source.data(), width, fade, perPixelAlpha);
                BlendRow(EBlendPath::kSse2, sse2.data(), source.data(), width, fade, perPixelAlpha);
                EXPECT_EQ(plain, sse2);
                EXPECT_EQ(sse2[width], original[width]);
                if (width == 0) continue;
                // msimg32 on the same row (alpha bytes compared only with per-pixel alpha).
                CCanvas from(static_cast<int>(width), 1);
                CCanvas onto(static_cast<int>(width), 1);
                ::GdiFlush();
                for (size_t x = 0; x < width; ++x) {
                    from.Set(static_cast<int>(x), 0, source[x]);
                    onto.Set(static_cast<int>(x), 0, original[x]);
                }
                const BLENDFUNCTION blend{AC_SRC_OVER, 0, fade,
                                          static_cast<BYTE>(perPixelAlpha ? AC_SRC_ALPHA : 0)};
                ASSERT_TRUE(CUIRender::AlphaBlend(onto.DC(), onto.Rect(), from.DC(), from.Rect(), blend));
                ::GdiFlush();
                for (size_t x = 0; x < width; ++x)
                    EXPECT_LE(ChannelDistance(onto.At(static_cast<int>(x), 0), sse2[x], perPixelAlpha), 1)
                        << "pixel " << x;
            }
        }
    }
}

struct TNineCase {
    int target;   // square destination side
    int corner;   // all four corner widths
    BYTE fade;
};

TEST(PixelBlend, NineSlicesAgreeOnEveryPath) {
    ASSERT_TRUE(CUIRender::HasSystemBlending());
    // Corner widths 0 to 17 over targets from larger than the picture to smaller than its
    // corners, at the extreme fades.
    std::vector<TNineCase> cases;
    for (int corner = 0; corner <= 17; ++corner)
        cases.push_back({corner % 2 == 0 ? 45 : 7, corner, kExtremes[corner % 4]});
    cases.push_back({3, 17, 200});
    const CRandomPicture picture(40, 5);
    HBITMAP bitmap = picture.Bitmap();
    unsigned seed = 100;
    for (const TNineCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "target " << c.target << " corner " << c.corner
                                        << " fade " << int(c.fade));
        const RECT dest{2, 3, 2 + c.target, 3 + c.target};
        const RECT corners{c.corner, c.corner, c.corner, c.corner};
        ExpectPathsAgree(50, 50, seed++, [&](CCanvas& canvas) {
            CUIRender::DrawImage(canvas.DC(), bitmap, dest, canvas.Rect(), RECT{0, 0, 40, 40},
                                 corners, true, c.fade);
        });
    }
}

TEST(PixelBlend, ClippedTargetsAndTranslucentColours) {
    ASSERT_TRUE(CUIRender::HasSystemBlending());
    const CRandomPicture picture(30, 9);
    HBITMAP bitmap = picture.Bitmap();
    // A clip of two rectangles: nothing outside them changes.
    ExpectPathsAgree(40, 40, 1, [&](CCanvas& canvas) {
        const bxutil::CRegionHandle left(::CreateRectRgn(0, 0, 13, 40));
        const bxutil::CRegionHandle right(::CreateRectRgn(20, 5, 40, 17));
        ::CombineRgn(left.Get(), left.Get(), right.Get(), RGN_OR);
        ::SelectClipRgn(canvas.DC(), left.Get());
        CUIRender::DrawImage(canvas.DC(), bitmap, RECT{5, 5, 35, 35}, canvas.Rect(),
                             RECT{0, 0, 30, 30}, RECT{0, 0, 0, 0}, true, 229);
        ::SelectClipRgn(canvas.DC(), nullptr);
    });
    // A paint rectangle cutting the picture; translucent colours spread from one pixel.
    ExpectPathsAgree(40, 40, 2, [&](CCanvas& canvas) {
        CUIRender::DrawImage(canvas.DC(), bitmap, RECT{5, 5, 35, 35}, RECT{9, 0, 26, 21},
                             RECT{0, 0, 30, 30}, RECT{0, 0, 0, 0}, true, 255);
        CUIRender::DrawColor(canvas.DC(), RECT{1, 2, 39, 19}, 0x80FF4020);
        CUIRender::DrawColor(canvas.DC(), RECT{0, 20, 17, 40}, 0x01FFFFFF);
        CUIRender::DrawColor(canvas.DC(), RECT{18, 20, 40, 40}, 0xFE102030);
    });
}

// A bottom-up DIB (rows stored from the bottom up) as the target: a band near its top stays
// near its top on every path.
TEST(PixelBlend, BottomUpTargetsKeepTheirRowsInPlace) {
    ASSERT_TRUE(CUIRender::HasSystemBlending());
    constexpr int kWidth = 20;
    constexpr int kHeight = 10;
    std::vector<std::vector<DWORD>> results;
    for (EBlendPath path : kPaths) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const bxutil::CBitmapHandle bitmap(
            ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        const bxutil::CMemoryDC dc(::CreateCompatibleDC(nullptr));
        ASSERT_TRUE(bitmap && dc);
        const bxutil::CSelectObject selected(dc.Get(), bitmap.Get());
        auto* pixels = static_cast<DWORD*>(bits);
        std::mt19937 random(3);
        const std::vector<DWORD> fill = Row(random, kWidth * kHeight, false);
        std::copy(fill.begin(), fill.end(), pixels);
        const CBlendPath chosen(path);
        CUIRender::DrawColor(dc.Get(), RECT{2, 1, 15, 4}, 0x80FF4020);
        ::GdiFlush();
        results.emplace_back(pixels, pixels + kWidth * kHeight);
    }
    EXPECT_EQ(results[1], results[2]) << "plain and SSE2 differ";
    for (size_t i = 0; i < results[0].size(); ++i)
        ASSERT_LE(ChannelDistance(results[0][i], results[1][i]), 1) << "pixel " << i;
}

}  // namespace
