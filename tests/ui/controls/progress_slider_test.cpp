// Progress bars and the slider: the fore image over the filled part (horizontal, vertical), the
// values brought into order at paint time, the thumb's place, dragging, the wheel step and
// "valuechanged".

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "tests/common/RectAssert.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIGeometry.h"

using namespace SkinUI;
using test_support::SameRect;
using namespace control_test;

namespace {

constexpr DWORD kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// The box of the painted pixels (the canvas is white; only the bar's picture is drawn).
RECT FilledBox(const RenderTest::CCanvas& canvas) {
    RECT box{};
    canvas.CountDiffering(0xFFFFFF, canvas.Rect(), &box);
    return box;
}

}  // namespace

TEST(Progress, ForeImageCoversTheFilledPart) {
    CTestWindow window;
    struct TCase {
        bool horizontal;
        int value;
        RECT filled;  // within a bar at (0, 0, 100, 10) or (0, 0, 10, 100)
    };
    const TCase cases[] = {
        {true, 0, {0, 0, 0, 0}},     {true, 37, {0, 0, 37, 10}},   {true, 100, {0, 0, 100, 10}},
        {false, 0, {0, 0, 0, 0}},    {false, 37, {0, 63, 10, 100}}, {false, 100, {0, 0, 10, 100}},
        {false, 25, {0, 75, 10, 100}},
    };
    for (const TCase& c : cases) {
        auto bar = std::make_unique<CProgressUI>();
        const RECT rc = c.horizontal ? RECT{0, 0, 100, 10} : RECT{0, 0, 10, 100};
        window.Adopt(bar, rc);
        ApplyAttributes(*bar, {L"foreimage", L"solid.png", L"hor", c.horizontal ? L"true" : L"false"});
        bar->SetValue(c.value);
        const RECT box = FilledBox(*PaintOnCanvas(*bar, rc.right, rc.bottom));
        EXPECT_TRUE(SameRect(box, c.filled))
            << (c.horizontal ? "horizontal " : "vertical ") << c.value << ": " << box.left << ","
            << box.top << "," << box.right << "," << box.bottom;
    }
}

TEST(Progress, StretchFlagAndDestAreNotConsultedAndOffsetBarsWork) {
    CTestWindow window;
    auto bar = std::make_unique<CProgressUI>();
    window.Adopt(bar, RECT{20, 30, 120, 40});
    // The description's own dest is replaced by the filled part; "isstretchfore" is stored only.
    ApplyAttributes(*bar, {L"foreimage", L"file='solid.png' dest='0,0,5,5'",
                           L"isstretchfore", L"false", L"value", L"50"});
    EXPECT_FALSE(bar->IsStretchForeImage());
    const RECT box = FilledBox(*PaintOnCanvas(*bar, 200, 60));
    EXPECT_TRUE(SameRect(box, RECT{20, 30, 70, 40}));
    EXPECT_EQ(bar->FixedHeight(), 12) << "a bar is 12 pixels high unless told otherwise";
    EXPECT_TRUE(SameRect(bar->FilledRect(832, 6), RECT{0, 0, 416, 6}));
}

TEST(Progress, ValuesAreBroughtIntoOrderAtPaint) {
    CTestWindow window;
    struct TCase {
        int min, max, value;
        int paintedMin, paintedMax, paintedValue;
    };
    const TCase cases[] = {
        {0, 100, 150, 0, 100, 100},
        {0, 100, -5, 0, 100, 0},
        {10, 10, 10, 10, 11, 10},
        {50, 20, 0, 50, 51, 50},
        {INT_MAX, INT_MAX, 5, INT_MAX - 1, INT_MAX, INT_MAX - 1},
        {INT_MIN, INT_MAX, 0, INT_MIN, INT_MAX, 0},
    };
    for (const TCase& c : cases) {
        auto bar = std::make_unique<CProgressUI>();
        window.Adopt(bar, RECT{0, 0, 100, 10});
        bar->SetProgressForeImage(L"solid.png");
        bar->SetMinValue(c.min);
        bar->SetMaxValue(c.max);
        bar->SetValue(c.value);
        EXPECT_EQ(bar->Value(), c.value) << "the setters do not clamp";
        auto canvas = PaintOnCanvas(*bar, 100, 10);
        EXPECT_EQ(bar->MinValue(), c.paintedMin) << c.min << ".." << c.max;
        EXPECT_EQ(bar->MaxValue(), c.paintedMax) << c.min << ".." << c.max;
        EXPECT_EQ(bar->Value(), c.paintedValue) << c.min << ".." << c.max;
    }
    // A value beyond the maximum is drawn full.
    auto bar = std::make_unique<CProgressUI>();
    window.Adopt(bar, RECT{0, 0, 100, 10});
    ApplyAttributes(*bar, {L"foreimage", L"solid.png", L"max", L"100", L"value", L"150"});
    EXPECT_TRUE(SameRect(FilledBox(*PaintOnCanvas(*bar, 100, 10)), RECT{0, 0, 100, 10}));
}

TEST(Slider, ValueFromPointAndThumbPlace) {
    CTestWindow window;
    auto slider = std::make_unique<CSliderUI>();
    window.Adopt(slider, RECT{0, 0, 110, 20});
    EXPECT_EQ(slider->TextStyle(), static_cast<UINT>(DT_SINGLELINE | DT_CENTER));
    struct TCase {
        int x, value;
    };
    for (const TCase& c : {TCase{60, 55}, TCase{3, 0}, TCase{5, 0}, TCase{6, 1}, TCase{108, 100},
                           TCase{105, 100}, TCase{104, 99}, TCase{-50, 0}, TCase{500, 100}}) {
        EXPECT_EQ(slider->ValueFromPoint(POINT{c.x, 10}), c.value) << c.x;
    }
    slider->SetValue(55);
    EXPECT_TRUE(SameRect(slider->ThumbRect(), RECT{55, 5, 65, 15}));
    slider->SetValue(100);
    EXPECT_TRUE(SameRect(slider->ThumbRect(), RECT{100, 5, 110, 15}));

    // Vertical: the minimum is at the bottom.
    auto vertical = std::make_unique<CSliderUI>();
    window.Adopt(vertical, RECT{0, 0, 20, 110});
    vertical->SetHorizontal(false);
    vertical->SetValue(25);
    EXPECT_TRUE(SameRect(vertical->ThumbRect(), RECT{5, 75, 15, 85}));
    EXPECT_EQ(vertical->ValueFromPoint(POINT{10, 108}), 0);
    EXPECT_EQ(vertical->ValueFromPoint(POINT{10, 2}), 100);
    EXPECT_EQ(vertical->ValueFromPoint(POINT{10, 55}), 50);

    // Degenerate ranges and thumbs never divide by zero.
    auto odd = std::make_unique<CSliderUI>();
    window.Adopt(odd, RECT{0, 0, 10, 10});
    ApplyAttributes(*odd, {L"min", L"7", L"max", L"7", L"thumbsize", L"10,10"});
    // The range counts as it will be brought into order at the next paint: 7..8.
    EXPECT_EQ(odd->ValueFromPoint(POINT{5, 5}), 8);
    EXPECT_EQ(odd->ValueFromPoint(POINT{4, 5}), 7);
    EXPECT_TRUE(SameRect(odd->ThumbRect(), RECT{0, 0, 10, 10}));
}

TEST(Slider, DragStepAndValueChanged) {
    CTestWindow window;
    auto slider = std::make_unique<CSliderUI>();
    window.Adopt(slider, RECT{0, 0, 110, 20});
    CNotifyRecorder& seen = window.Recorder();

    SendEvent(*slider, kEventButtonDown, POINT{60, 10});  // not on the thumb (at 0..10)
    EXPECT_EQ(slider->SliderState() & kStateCaptured, 0u);
    SendEvent(*slider, kEventButtonUp, POINT{60, 10});
    EXPECT_EQ(slider->Value(), 0);

    SendEvent(*slider, kEventButtonDown, POINT{5, 10});
    EXPECT_EQ(slider->SliderState() & kStateCaptured, static_cast<UINT>(kStateCaptured));
    SendEvent(*slider, kEventMouseMove, POINT{30, 10});
    EXPECT_EQ(slider->Value(), 25);
    SendEvent(*slider, kEventMouseMove, POINT{60, 40});  // the drag follows outside too
    EXPECT_EQ(slider->Value(), 55);
    EXPECT_EQ(seen.Count(L"valuechanged"), 0) << "nothing is sent during the drag";
    SendEvent(*slider, kEventButtonUp, POINT{60, 40});
    EXPECT_EQ(slider->Value(), 55);
    EXPECT_EQ(seen.Count(L"valuechanged", slider.get()), 1);
    EXPECT_EQ(slider->SliderState() & kStateCaptured, 0u);

    // The wheel moves by the step and reports each move; the range is restored at the paint.
    slider->ApplyAttribute(L"step", L"5");
    SendEvent(*slider, kEventScrollWheel, POINT{60, 10}, 1);
    EXPECT_EQ(slider->Value(), 50);
    slider->SetChangeStep(1);
    slider->SetValue(100);
    SendEvent(*slider, kEventScrollWheel, POINT{60, 10}, 0);
    EXPECT_EQ(slider->Value(), 101);
    EXPECT_EQ(seen.Count(L"valuechanged"), 3);
    PaintOnCanvas(*slider, 110, 20);
    EXPECT_EQ(slider->Value(), 100);
    slider->SetChangeStep(INT_MAX);
    SendEvent(*slider, kEventScrollWheel, POINT{60, 10}, 0);
    EXPECT_EQ(slider->Value(), INT_MAX) << "the wheel saturates instead of overflowing";

    // Disabled: no capture, and disabling clears the state.
    slider->SetValue(0);
    SendEvent(*slider, kEventMouseEnter, POINT{5, 10});
    slider->SetEnabled(false);
    EXPECT_EQ(slider->SliderState(), 0u);
    EXPECT_EQ(slider->ControlFlags(), 0u);
    SendEvent(*slider, kEventButtonDown, POINT{5, 10});
    EXPECT_EQ(slider->SliderState(), 0u);
}

TEST(Slider, DragThroughTheWindowManager) {
    CTestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* slider = new CSliderUI;
    slider->SetFixedHeight(20);
    root->Append(slider);
    window.Manager().AttachRoot(root);  // owned by the manager from here on
    root->Place(RECT{0, 0, 110, 100}, false);
    SendMouseMessage(window.Manager(), WM_LBUTTONDOWN, POINT{5, 10}, MK_LBUTTON);
    SendMouseMessage(window.Manager(), WM_MOUSEMOVE, POINT{40, 10}, MK_LBUTTON);
    EXPECT_EQ(slider->Value(), 35);
    SendMouseMessage(window.Manager(), WM_MOUSEMOVE, POINT{400, 80}, MK_LBUTTON);
    EXPECT_EQ(slider->Value(), 100) << "the drag goes on outside the slider";
    SendMouseMessage(window.Manager(), WM_LBUTTONUP, POINT{400, 80});
    EXPECT_EQ(window.Recorder().Count(L"valuechanged", slider), 1);
    EXPECT_EQ(slider->Value(), 100);
}

TEST(Slider, ThumbImagesByState) {
    CTestWindow window;
    auto slider = std::make_unique<CSliderUI>();
    window.Adopt(slider, RECT{0, 0, 110, 20});
    ApplyAttributes(*slider, {L"thumbimage", L"file='frames.png' source='0,0,10,10'",
                              L"thumbhotimage", L"file='frames.png' source='10,0,20,10'",
                              L"thumbpushedimage", L"file='frames.png' source='20,0,30,10'",
                              L"value", L"55"});
    auto colourAtThumb = [&] {
        auto canvas = PaintOnCanvas(*slider, 110, 20);
        const POINT centre = Centre(slider->ThumbRect());
        return canvas->Rgb(centre.x, centre.y);
    };
    EXPECT_EQ(colourAtThumb(), kRed);
    EXPECT_EQ(PaintOnCanvas(*slider, 110, 20)->Rgb(20, 10), 0xFFFFFFu) << "only the thumb";
    SendEvent(*slider, kEventMouseEnter, POINT{60, 10});
    EXPECT_EQ(colourAtThumb(), kGreen);
    SendEvent(*slider, kEventButtonDown, POINT{60, 10});
    EXPECT_EQ(colourAtThumb(), kBlue);
    slider->ApplyAttribute(L"thumbpushedimage", L"missing.png");
    EXPECT_EQ(colourAtThumb(), kRed) << "a missing state image falls back to the thumb image";
}
