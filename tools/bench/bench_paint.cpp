// Paint benchmark: the cost of painting the installer's whole 980×600 window with the render
// engine, into an off-screen 32-bit DIB like the window manager's, beside a plain copy of a
// 980×600×4 buffer (the memory-bandwidth floor) measured in the same run.
//
// The frame uses the kinds of drawing the installer's skin uses: the full-window background
// picture, translucent title and bottom bands (fade 229), state images cut from picture strips,
// a picture stretched into a progress bar, a nine-slice button, a translucent colour, a
// gradient and labels (GDI text, one GDI+ text and one formatted text).
//
// Each full frame is measured with our own blend (the SSE2 path where the processor has it,
// then the plain one) and with msimg32's AlphaBlend, and set beside the plain copy.
//
// Run with scripts/bench.sh paint (builds a release build and runs this under Wine). Prints
// figures only; it checks nothing.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/bench/BenchClock.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/base/UIString.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/PixelBlend.h"
#include "ui/core/render/UIRender.h"
#include "ui/core/skin/ResourceData.h"
#include "ui/core/skin/SkinImage.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 980;
constexpr int kHeight = 600;
const wchar_t kSkinFace[] = L"\u5FAE\u8F6F\u96C5\u9ED1";

// A generated picture: a colour field, opaque or translucent like the skin's pictures.
std::unique_ptr<TImageData> MakePicture(int width, int height, BYTE alpha, unsigned tint) {
    std::vector<BYTE> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            BYTE* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<BYTE>((x * 255 / std::max(1, width - 1)) ^ tint);
            p[1] = static_cast<BYTE>((y * 255 / std::max(1, height - 1)) + tint);
            p[2] = static_cast<BYTE>(tint * 7 + x + y);
            // Translucent pictures fade out at their edges; opaque ones stay opaque throughout.
            const bool edge = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
            p[3] = edge && alpha < 255 ? static_cast<BYTE>(alpha / 2) : alpha;
        }
    }
    return CreateSkinImage(rgba.data(), width, height);
}

struct TSkinPictures {
    std::unique_ptr<TImageData> background = MakePicture(980, 600, 255, 10);
    std::unique_ptr<TImageData> title = MakePicture(980, 60, 255, 60);
    std::unique_ptr<TImageData> bottom = MakePicture(980, 160, 255, 90);
    std::unique_ptr<TImageData> strip = MakePicture(30, 90, 200, 120);     // Min/Close states
    std::unique_ptr<TImageData> button = MakePicture(200, 180, 255, 150);  // three state bands
    std::unique_ptr<TImageData> icon = MakePicture(36, 36, 220, 180);
    std::unique_ptr<TImageData> rail = MakePicture(620, 36, 255, 200);
    std::unique_ptr<TImageData> fill = MakePicture(10, 2, 255, 230);
    std::unique_ptr<TImageData> frame = MakePicture(24, 24, 230, 30);      // nine-slice
};

void Picture(HDC dc, const RECT& paint, const TImageData& image, const RECT& dest,
             const RECT& source, BYTE fade = 255, const RECT& corner = RECT{0, 0, 0, 0}) {
    CUIRender::DrawImage(dc, image.hBitmap.Get(), dest, paint, source, corner, image.bAlpha, fade);
}

RECT Whole(const TImageData& image) { return RECT{0, 0, image.nWidth, image.nHeight}; }

// The parts of one frame of the installer's window, each painted within paint.
void PaintBackground(HDC dc, const TSkinPictures& p, const RECT& paint) {
    Picture(dc, paint, *p.background, RECT{0, 0, 980, 600}, Whole(*p.background));
}

void PaintBands(HDC dc, const TSkinPictures& p, const RECT& paint) {
    Picture(dc, paint, *p.title, RECT{0, 0, 980, 60}, Whole(*p.title), 229);
    Picture(dc, paint, *p.bottom, RECT{0, 440, 980, 600}, Whole(*p.bottom), 229);
}

void PaintControls(HDC dc, const TSkinPictures& p, const RECT& paint) {
    Picture(dc, paint, *p.icon, RECT{20, 12, 56, 48}, Whole(*p.icon));
    Picture(dc, paint, *p.strip, RECT{915, 15, 945, 45}, RECT{0, 0, 30, 30});
    Picture(dc, paint, *p.strip, RECT{950, 15, 980, 45}, RECT{0, 60, 30, 90});
    CUIRender::DrawRect(dc, RECT{0, 60, 980, 440}, 1, 0xFF000000);
    Picture(dc, paint, *p.button, RECT{390, 480, 590, 540}, RECT{0, 60, 200, 120});
    Picture(dc, paint, *p.frame, RECT{620, 485, 760, 535}, Whole(*p.frame), 255, RECT{6, 6, 6, 6});
    CUIRender::DrawColor(dc, RECT{74, 560, 906, 566}, 0xFFFFFFFF);
    Picture(dc, paint, *p.rail, RECT{74, 560, 906, 566}, Whole(*p.rail));
    Picture(dc, paint, *p.fill, RECT{74, 560, 490, 566}, Whole(*p.fill));
    CUIRender::DrawColor(dc, RECT{20, 450, 300, 470}, 0x60000000);
    CUIRender::DrawGradient(dc, RECT{620, 450, 960, 470}, 0xFF039BE5, 0xFF048ED2, true, 16);
}

// Labels, each drawn only when it meets the paint rectangle (as controls paint themselves).
void PaintTexts(HDC dc, CWindowManagerUI& manager, const RECT& paint) {
    struct TLabel {
        RECT rc;
        const wchar_t* text;
        DWORD color;
        int font;
        UINT style;
        bool gdiplus;
    };
    static const TLabel kLabels[] = {
        {{66, 18, 566, 37}, L"Vexo \u6E38\u620F [Game]", 0xFF999999, 1, DT_SINGLELINE | DT_VCENTER, false},
        {{390, 480, 590, 540}, L"\u5B89\u88C5\u6E38\u620F", 0xFFFFFFFF, 2,
         DT_SINGLELINE | DT_CENTER | DT_VCENTER, false},
        {{50, 575, 850, 591}, L"\u6B63\u5728\u5B89\u88C5\uFF0C\u8BF7\u7A0D\u7B49...", 0xFF999999, 3,
         DT_SINGLELINE | DT_VCENTER, false},
        {{910, 575, 940, 589}, L"50", 0xFF048ED2, 3, DT_SINGLELINE | DT_RIGHT, true},
    };
    for (const TLabel& label : kLabels) {
        if (!RectsMeet(label.rc, paint)) continue;
        RECT rc = label.rc;
        CUIRender::DrawText(dc, &manager, rc, label.text, label.color, label.font, label.style,
                            label.gdiplus, 255);
    }
    RECT formatted{20, 450, 300, 470};
    if (!RectsMeet(formatted, paint)) return;
    int links = 0;
    CUIRender::DrawFormattedText(dc, &manager, formatted,
                                 L"Vexo <b>\u5BA2\u6237\u7AEF</b> <c #039be5>8.0</c>",
                                 0xFF039BE5, nullptr, nullptr, links, DT_SINGLELINE);
}

void PaintFrame(HDC dc, CWindowManagerUI& manager, const TSkinPictures& p, const RECT& paint) {
    PaintBackground(dc, p, paint);
    PaintBands(dc, p, paint);
    PaintControls(dc, p, paint);
    PaintTexts(dc, manager, paint);
}

}  // namespace

int main() {
    CWindowManagerUI manager;
    const int sizes[] = {14, 16, 20, 12, 10};
    for (int id = 0; id < 5; ++id) manager.AddFont(id, kSkinFace, sizes[id], false, false, false);
    manager.SetDefaultFont(kSkinFace, 12, false, false, false);
    TSkinPictures pictures;
    CDibSurfaceUI frame(kWidth, kHeight);
    const RECT window{0, 0, kWidth, kHeight};

    std::printf("Paint benchmark, %dx%d window, 32-bit off-screen DIB\n", kWidth, kHeight);
    const EBlendPath ours = ActiveBlendPath();
    const TBenchFigure frameOurs = BenchMeasure(
        ours == EBlendPath::kSse2 ? "full frame (own blend, SSE2)" : "full frame (own blend, plain)",
        15, 10, [&] { PaintFrame(frame.DC(), manager, pictures, window); });
    BenchMeasure("  of which: two translucent bands (fade 229)", 15, 10,
            [&] { PaintBands(frame.DC(), pictures, window); });
    SelectBlendPath(EBlendPath::kPlain);
    BenchMeasure("full frame (own blend, plain)", 15, 10,
            [&] { PaintFrame(frame.DC(), manager, pictures, window); });
    SelectBlendPath(EBlendPath::kSystem);
    const TBenchFigure frameSystem = BenchMeasure("full frame (msimg32 AlphaBlend)", 15, 10,
            [&] { PaintFrame(frame.DC(), manager, pictures, window); });
    BenchMeasure("  of which: background (one-to-one copy)", 15, 10,
            [&] { PaintBackground(frame.DC(), pictures, window); });
    BenchMeasure("  of which: two translucent bands (fade 229)", 15, 10,
            [&] { PaintBands(frame.DC(), pictures, window); });
    BenchMeasure("  of which: buttons, bars, fills", 15, 10,
            [&] { PaintControls(frame.DC(), pictures, window); });
    BenchMeasure("  of which: texts (3 GDI, 1 GDI+, 1 formatted)", 15, 10,
            [&] { PaintTexts(frame.DC(), manager, window); });
    CUIRender::ForceSoftwareFallbacks(true);
    BenchMeasure("full frame (software blending)", 15, 10,
            [&] { PaintFrame(frame.DC(), manager, pictures, window); });
    CUIRender::ForceSoftwareFallbacks(false);
    SelectBlendPath(ours);
    const RECT hotButton{915, 15, 945, 45};
    BenchMeasure("30x30 update (one hot button, clipped)", 15, 50, [&] {
        CPaintClip clip;  // the window's paint context is clipped to the update rectangle too
        CUIRender::ClipToRect(frame.DC(), hotButton, clip);
        PaintFrame(frame.DC(), manager, pictures, hotButton);
    });

    std::vector<DWORD> copy(static_cast<size_t>(kWidth) * kHeight);
    const TBenchFigure floor = BenchMeasure("plain copy of a 980x600x4 buffer (floor)", 15, 50, [&] {
        std::memcpy(copy.data(), frame.Bits(), copy.size() * sizeof(DWORD));
    });
    BenchRatio("full frame, own blend / plain copy", frameOurs, floor, 10);
    BenchRatio("full frame, msimg32 / plain copy", frameSystem, floor, 10);
    volatile DWORD sink = copy[copy.size() / 2];  // keeps the copy from being optimised away
    (void)sink;
    return 0;
}
