// The scroll bar: where its parts go for a range and a position, its steps and their limits,
// the thumb drag, the repeat timer, its painting, and the container scrolling it drives
// (children moved and clipped, the wheel, the owner's line steps).

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "tests/common/RectAssert.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ScrollBarUI.h"

using control_test::CTestWindow;
using test_support::SameRect;
using control_test::SendEvent;
using SkinUI::CScrollBarUI;

namespace {

constexpr DWORD kRed = 0xFFFF0000;
constexpr DWORD kGreen = 0xFF00FF00;

// A stand-alone bar attached to the test window at rc.
std::unique_ptr<CScrollBarUI> AttachedBar(CTestWindow& window, const RECT& rc, int range,
                                          bool horizontal = false) {
    auto bar = std::make_unique<CScrollBarUI>();
    if (horizontal) bar->SetHorizontal(true);
    bar->SetRange(range);
    window.Adopt(bar, rc);
    return bar;
}

void Tick(CScrollBarUI& bar, int count = 1) {
    for (int i = 0; i < count; ++i)
        SendEvent(bar, SkinUI::kEventTimer, POINT{0, 0}, CScrollBarUI::kRepeatTimerId);
}

}  // namespace

// ---- Placing the parts -------------------------------------------------------------------------

struct TThumbCase {
    int range;
    int position;
    LONG thumbTop;
    LONG thumbBottom;
};

class ScrollBarThumb : public ::testing::TestWithParam<TThumbCase> {};

// A vertical bar 16 wide and 100 high with both buttons: the track runs from 16 to 84 (68
// long) and, for range 100, the thumb is 100 × 68 / 200 = 34 long.
TEST_P(ScrollBarThumb, LengthAndPlaceFollowRangeAndPosition) {
    const TThumbCase& c = GetParam();
    CScrollBarUI bar;
    bar.SetRange(c.range);
    bar.SetPosition(c.position);
    bar.Place(RECT{0, 0, 16, 100}, false);
    EXPECT_TRUE(SameRect(bar.Button1Rect(), RECT{0, 0, 16, 16}));
    EXPECT_TRUE(SameRect(bar.Button2Rect(), RECT{0, 84, 16, 100}));
    EXPECT_TRUE(SameRect(bar.ThumbRect(), RECT{0, c.thumbTop, 16, c.thumbBottom}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScrollBarThumb,
    ::testing::Values(TThumbCase{100, 0, 16, 50},     // at the start
                      TThumbCase{100, 50, 33, 67},    // in the middle: (68 - 34) / 2 + 16
                      TThumbCase{100, 100, 50, 84},   // at the end, against button2
                      TThumbCase{0, 0, 16, 84},       // nothing to scroll: the whole track
                      TThumbCase{10000, 0, 16, 32},   // long content: never below one thickness
                      TThumbCase{10000, 10000, 68, 84}));

TEST(ScrollBarPlace, HorizontalBarUsesItsHeightAsThickness) {
    CScrollBarUI bar;
    bar.SetHorizontal(true);
    EXPECT_EQ(bar.FixedHeight(), 16);
    EXPECT_EQ(bar.FixedWidth(), 0);
    bar.SetRange(100);
    bar.SetPosition(100);
    bar.Place(RECT{10, 50, 110, 66}, false);
    EXPECT_TRUE(SameRect(bar.Button1Rect(), RECT{10, 50, 26, 66}));
    EXPECT_TRUE(SameRect(bar.Button2Rect(), RECT{94, 50, 110, 66}));
    EXPECT_TRUE(SameRect(bar.ThumbRect(), RECT{60, 50, 94, 66}));
}

TEST(ScrollBarPlace, ShortBarHasNoThumbAndSqueezedButtons) {
    CScrollBarUI bar;
    bar.Place(RECT{0, 0, 16, 30}, false);
    EXPECT_TRUE(SkinUI::RectIsZero(bar.ThumbRect()));
    EXPECT_TRUE(SameRect(bar.Button1Rect(), RECT{0, 0, 16, 15}));
    EXPECT_TRUE(SameRect(bar.Button2Rect(), RECT{0, 15, 16, 30}));
}

TEST(ScrollBarPlace, HiddenButtonGivesItsRoomToTheThumbButNotToTheTrackLength) {
    CScrollBarUI bar;
    bar.SetShowButton1(false);
    bar.SetRange(100);
    bar.Place(RECT{0, 0, 16, 100}, false);
    EXPECT_TRUE(SameRect(bar.Button1Rect(), RECT{0, 0, 0, 0}));
    // avail 84: thumb 100 × 84 / 200 = 42, from the very top.
    EXPECT_TRUE(SameRect(bar.ThumbRect(), RECT{0, 0, 16, 42}));
    EXPECT_EQ(bar.TrackLength(), 100 - 32 - 42);
}

TEST(ScrollBarPlace, ExtremeRangeAndPositionStayInsideTheBar) {
    CScrollBarUI bar;
    bar.SetRange(INT_MAX);
    bar.SetPosition(INT_MAX);
    bar.Place(RECT{0, 0, 16, 1 << 24}, false);
    const RECT thumb = bar.ThumbRect();
    EXPECT_EQ(thumb.bottom, (1 << 24) - 16);
    EXPECT_GE(thumb.top, 16);
    EXPECT_LT(thumb.top, thumb.bottom);
}

TEST(ScrollBarPlace, FloatingBarStaysWhereItIsWhenItsPositionChanges) {
    CTestWindow window;
    auto box = std::make_unique<SkinUI::CContainerUI>();
    auto* bar = new CScrollBarUI;
    control_test::ApplyAttributes(*bar, {L"float", L"true", L"pos", L"10,20,26,120"});
    box->Append(bar);
    window.Adopt(box, RECT{100, 50, 300, 250});
    ASSERT_TRUE(SameRect(bar->Rect(), RECT{110, 70, 126, 170}));
    bar->SetPosition(40);
    bar->SetRange(60);
    EXPECT_TRUE(SameRect(bar->Rect(), RECT{110, 70, 126, 170}));
}

// ---- Range, position, steps --------------------------------------------------------------------

TEST(ScrollBarValues, PositionIsClampedToTheRange) {
    CScrollBarUI bar;
    bar.SetPosition(-5);
    EXPECT_EQ(bar.Position(), 0);
    bar.SetPosition(150);
    EXPECT_EQ(bar.Position(), 100);
    bar.SetRange(40);
    EXPECT_EQ(bar.Position(), 40);
    bar.SetRange(-3);
    EXPECT_EQ(bar.Range(), 0);
    EXPECT_EQ(bar.Position(), 0);
}

TEST(ScrollBarValues, AttributesSetOrientationRangeValueAndButtons) {
    CScrollBarUI bar;
    control_test::ApplyAttributes(bar, {L"hor", L"true", L"range", L"300", L"value", L"120",
                                        L"linesize", L"7", L"showbutton2", L"false",
                                        L"thumbcolor", L"#FF112233",
                                        L"thumbhotimage", L"solid.png"});
    EXPECT_TRUE(bar.IsHorizontal());
    EXPECT_EQ(bar.Range(), 300);
    EXPECT_EQ(bar.Position(), 120);
    EXPECT_EQ(bar.LineSize(), 7);
    EXPECT_FALSE(bar.IsButton2Shown());
    EXPECT_EQ(bar.ThumbColor(), 0xFF112233u);
    EXPECT_STREQ(bar.Image(CScrollBarUI::EPart::Thumb, CScrollBarUI::EImageState::Hot),
                 L"solid.png");
}

TEST(ScrollBarInput, ArrowsAndTrackStepTheirOwnPositionAndNotify) {
    CTestWindow window;
    auto bar = AttachedBar(window, RECT{0, 0, 16, 100}, 300);
    bar->SetLineSize(10);
    auto& seen = window.Recorder();

    control_test::Click(*bar, POINT{8, 90});  // button2: a line forward
    EXPECT_EQ(bar->Position(), 10);
    control_test::Click(*bar, POINT{8, 5});   // button1: a line back
    control_test::Click(*bar, POINT{8, 5});   // and never below 0
    EXPECT_EQ(bar->Position(), 0);
    control_test::Click(*bar, POINT{8, 80});  // the track below the thumb: a page (the height)
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(290);
    control_test::Click(*bar, POINT{8, 20});  // above the thumb: a page back
    EXPECT_EQ(bar->Position(), 190);
    bar->SetPosition(295);
    control_test::Click(*bar, POINT{8, 90});
    EXPECT_EQ(bar->Position(), 300);
    // Every press notifies, also one that changed nothing.
    control_test::Click(*bar, POINT{8, 90});
    EXPECT_EQ(seen.Count(L"scroll", bar.get()), 7);
}

TEST(ScrollBarInput, HeldArrowRepeatsFromTheSixthTick) {
    CTestWindow window;
    auto bar = AttachedBar(window, RECT{0, 0, 16, 100}, 300);
    bar->SetLineSize(1);
    SendEvent(*bar, SkinUI::kEventButtonDown, POINT{8, 90});
    EXPECT_EQ(bar->Position(), 1);
    Tick(*bar, CScrollBarUI::kRepeatDelayTicks);
    EXPECT_EQ(bar->Position(), 1);
    Tick(*bar, 3);
    EXPECT_EQ(bar->Position(), 4);
    SendEvent(*bar, SkinUI::kEventButtonUp, POINT{8, 90});
    EXPECT_EQ(bar->Button2State() & SkinUI::kStatePushed, 0u);
    EXPECT_EQ(window.Recorder().Count(L"scroll", bar.get()), 4);
}

TEST(ScrollBarInput, ThumbDragMapsTheTrackOntoTheRange) {
    CTestWindow window;
    auto bar = AttachedBar(window, RECT{0, 0, 16, 100}, 100);
    ASSERT_EQ(bar->TrackLength(), 34);
    const POINT grab = control_test::Centre(bar->ThumbRect());
    SendEvent(*bar, SkinUI::kEventButtonDown, grab);
    EXPECT_EQ(bar->ThumbState() & SkinUI::kStateCaptured, SkinUI::kStateCaptured);

    // Half the track: half the range, applied at the next tick, not at the move.
    SendEvent(*bar, SkinUI::kEventMouseMove, POINT{grab.x, grab.y + 17});
    EXPECT_EQ(bar->Position(), 0);
    Tick(*bar);
    EXPECT_EQ(bar->Position(), 50);
    // The whole track from where the drag began: the whole range.
    SendEvent(*bar, SkinUI::kEventMouseMove, POINT{grab.x, grab.y + 34});
    Tick(*bar);
    EXPECT_EQ(bar->Position(), 100);
    // Far beyond the end and back above the start: clamped.
    SendEvent(*bar, SkinUI::kEventMouseMove, POINT{grab.x, grab.y + 5000});
    Tick(*bar);
    EXPECT_EQ(bar->Position(), 100);
    SendEvent(*bar, SkinUI::kEventMouseMove, POINT{grab.x, grab.y - 5000});
    Tick(*bar);
    EXPECT_EQ(bar->Position(), 0);
    SendEvent(*bar, SkinUI::kEventButtonUp, grab);
    EXPECT_EQ(bar->ThumbState() & (SkinUI::kStatePushed | SkinUI::kStateCaptured), 0u);
}

TEST(ScrollBarInput, DisabledBarIgnoresPressesAndForgetsItsStates) {
    CTestWindow window;
    auto bar = AttachedBar(window, RECT{0, 0, 16, 100}, 100);
    SendEvent(*bar, SkinUI::kEventMouseEnter, control_test::Centre(bar->ThumbRect()));
    EXPECT_NE(bar->ThumbState() & SkinUI::kStateHot, 0u);
    bar->SetEnabled(false);
    EXPECT_EQ(bar->ThumbState() | bar->Button1State() | bar->Button2State(), 0u);
    control_test::Click(*bar, POINT{8, 90});
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(window.Recorder().Count(L"scroll"), 0);
}

// ---- Painting ----------------------------------------------------------------------------------

TEST(ScrollBarPaint, PartsAreFilledWithTheirColoursWhereTheyArePlaced) {
    CTestWindow window;
    auto bar = AttachedBar(window, RECT{0, 0, 16, 100}, 100);
    control_test::ApplyAttributes(*bar, {L"button1color", L"#FF0000FF", L"button2color",
                                         L"#FF00FF00", L"thumbcolor", L"#FFFF0000"});
    bar->SetPosition(100);
    auto canvas = control_test::PaintOnCanvas(*bar, 16, 100);
    EXPECT_EQ(canvas->Rgb(8, 8), 0x0000FFu);     // button1
    EXPECT_EQ(canvas->Rgb(8, 92), 0x00FF00u);    // button2
    EXPECT_EQ(canvas->Rgb(8, 60), 0xFF0000u);    // the thumb, at the end of the track
    EXPECT_EQ(canvas->Rgb(8, 30), 0xFFFFFFu);    // the track left open
}

TEST(ScrollBarPaint, StateImageFallsBackToTheNormalImage) {
    CTestWindow window;
    auto bar = AttachedBar(window, RECT{0, 0, 16, 100}, 100);
    // solid.png is opaque kSolidColor; the hot image names a picture that does not exist.
    bar->SetImage(CScrollBarUI::EPart::Thumb, CScrollBarUI::EImageState::Normal, L"solid.png");
    bar->SetImage(CScrollBarUI::EPart::Thumb, CScrollBarUI::EImageState::Hot, L"missing.png");
    SendEvent(*bar, SkinUI::kEventMouseEnter, control_test::Centre(bar->ThumbRect()));
    auto canvas = control_test::PaintOnCanvas(*bar, 16, 100);
    EXPECT_EQ(canvas->Rgb(8, 30), RenderTest::kSolidColor);
    EXPECT_EQ(canvas->Rgb(8, 70), 0xFFFFFFu);
}

// ---- A container scrolled by its bar -----------------------------------------------------------

namespace {

// A vertical layout 100 × 100 at (10, 10) on the test window, with a vertical scroll bar and
// two children 150 high: red, then green (300 of content in a 100 high view).
struct TScrolledList {
    explicit TScrolledList(CTestWindow& window) {
        list = std::make_unique<SkinUI::CVerticalLayoutUI>();
        for (DWORD colour : {kRed, kGreen}) {
            auto* child = new SkinUI::CControlUI;
            child->SetFixedHeight(150);
            child->SetBackColor(colour);
            list->Append(child);
        }
        list->EnableScrollBars(true, false);
        window.Adopt(list, RECT{10, 10, 110, 110});
    }
    SkinUI::CControlUI* Child(int i) const { return list->ItemAt(i); }
    CScrollBarUI* Bar() const { return list->VerticalScrollBar(); }

    std::unique_ptr<SkinUI::CVerticalLayoutUI> list;
};

}  // namespace

TEST(ContainerScroll, LayoutShowsTheBarWithTheHiddenHeightAsRange) {
    CTestWindow window;
    TScrolledList scrolled(window);
    ASSERT_NE(scrolled.Bar(), nullptr);
    EXPECT_TRUE(scrolled.Bar()->IsVisible());
    EXPECT_EQ(scrolled.Bar()->Range(), 200);
    EXPECT_TRUE(SameRect(scrolled.Bar()->Rect(), RECT{94, 10, 110, 110}));
    EXPECT_EQ(scrolled.Child(0)->Rect().right, 94);  // the children leave the bar its room

    // Shrinking the content hides the bar again and resets it.
    scrolled.Child(0)->SetFixedHeight(40);
    scrolled.Child(1)->SetFixedHeight(40);
    scrolled.list->Place(RECT{10, 10, 110, 110}, false);
    EXPECT_FALSE(scrolled.Bar()->IsVisible());
    EXPECT_EQ(scrolled.Bar()->Range(), 0);
}

TEST(ContainerScroll, ChildrenMoveByTheOffsetAndAreClippedToTheList) {
    CTestWindow window;
    TScrolledList scrolled(window);
    scrolled.list->SetScrollOffset(SIZE{0, 100});
    EXPECT_EQ(scrolled.Bar()->Position(), 100);
    EXPECT_EQ(scrolled.Child(0)->Rect().top, 10 - 100);
    EXPECT_EQ(scrolled.Child(1)->Rect().top, 10 + 50);

    auto canvas = control_test::PaintOnCanvas(*scrolled.list, 130, 130);
    canvas->SavePng(RenderTest::ArtifactFolder() + L"scrolled_list.png");
    EXPECT_EQ(canvas->Rgb(50, 30), 0xFF0000u);   // the end of the red child
    EXPECT_EQ(canvas->Rgb(50, 90), 0x00FF00u);   // the start of the green child
    EXPECT_EQ(canvas->Rgb(50, 5), 0xFFFFFFu);    // nothing above the list
    EXPECT_EQ(canvas->Rgb(50, 120), 0xFFFFFFu);  // nor below it
    EXPECT_EQ(canvas->Rgb(120, 50), 0xFFFFFFu);  // nor beside it

    // Offsets beyond the range are clamped.
    scrolled.list->SetScrollOffset(SIZE{0, 1000});
    EXPECT_EQ(scrolled.Bar()->Position(), 200);
    EXPECT_EQ(scrolled.Child(1)->Rect().bottom, 110);
}

TEST(ContainerScroll, OwnedBarScrollsTheListByLinesPagesAndDrags) {
    CTestWindow window;
    TScrolledList scrolled(window);
    CScrollBarUI& bar = *scrolled.Bar();
    const int line = scrolled.list->ScrollOffset().cy;
    ASSERT_EQ(line, 0);

    control_test::Click(bar, control_test::Centre(bar.Button2Rect()));
    const int lineStep = scrolled.list->ScrollOffset().cy;
    EXPECT_GT(lineStep, 8);  // 8 plus the default font's height
    EXPECT_EQ(scrolled.Child(0)->Rect().top, 10 - lineStep);
    control_test::Click(bar, POINT{100, 80});  // the track below the thumb: a page (100)
    EXPECT_EQ(scrolled.list->ScrollOffset().cy, lineStep + 100);
    // An owned bar leaves the notifying to its owner's scrolling.
    EXPECT_EQ(window.Recorder().Count(L"scroll"), 0);

    scrolled.list->SetScrollOffset(SIZE{0, 0});
    const POINT grab = control_test::Centre(bar.ThumbRect());
    SendEvent(bar, SkinUI::kEventButtonDown, grab);
    SendEvent(bar, SkinUI::kEventMouseMove, POINT{grab.x, grab.y + bar.TrackLength() / 2});
    Tick(bar);
    EXPECT_NEAR(scrolled.list->ScrollOffset().cy, 100, 4);
    SendEvent(bar, SkinUI::kEventButtonUp, grab);
}

TEST(ContainerScroll, WheelOverAChildScrollsTheList) {
    CTestWindow window;
    TScrolledList scrolled(window);
    SkinUI::CControlUI& child = *scrolled.Child(0);
    SendEvent(child, SkinUI::kEventScrollWheel, POINT{50, 50}, 1);  // toward the user
    const int step = scrolled.list->ScrollOffset().cy;
    EXPECT_GT(step, 0);
    SendEvent(child, SkinUI::kEventScrollWheel, POINT{50, 50}, 0);
    EXPECT_EQ(scrolled.list->ScrollOffset().cy, 0);
    // The wheel over the bar reaches the list too.
    SendEvent(*scrolled.Bar(), SkinUI::kEventScrollWheel, POINT{100, 50}, 1);
    EXPECT_EQ(scrolled.list->ScrollOffset().cy, step);
}
