// The custom buttons: the title and value texts in their colours, and the sliding switch that
// snaps to its positions by click and by drag and tells of each change.

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/ButtonSwitchExUI.h"
#include "ui/controls/CustomButtonUI.h"
#include "ui/core/base/UIGeometry.h"

using control_test::CTestWindow;
using control_test::SendEvent;

namespace {

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kBlue = 0x0000FF;
constexpr int kTolerance = 60;

// A control attached to the test window with attributes applied while attached (as the builder
// does), placed at rc.
template <class T>
std::unique_ptr<T> Attached(CTestWindow& window, std::initializer_list<const wchar_t*> attributes,
                            const RECT& rc) {
    RenderTest::PreparePictures();
    auto control = std::make_unique<T>();
    control->AttachTo(&window.Manager(), nullptr, false);
    control_test::ApplyAttributes(*control, attributes);
    window.Adopt(control, rc);
    return control;
}

}  // namespace

// ---- Custom button -----------------------------------------------------------------------------

TEST(CustomButton, TitleAndValueAreDrawnInTheirColoursAndPlaces) {
    CTestWindow window;
    auto button = Attached<SkinUI::CCustomButtonUI>(
        window, {L"TitleText", L"TTTT", L"textTitlepadding", L"0,0,60,0", L"Titletextcolor",
                 L"#FFFF0000", L"hotTitletextcolor", L"#FF00FF00", L"ValueText", L"VVVV",
                 L"textValuepadding", L"60,0,0,0", L"Valuetextcolor", L"#FF0000FF"},
        RECT{0, 0, 120, 30});
    const RECT left{0, 0, 60, 30};
    const RECT right{60, 0, 120, 30};
    auto canvas = control_test::PaintOnCanvas(*button, 120, 30);
    canvas->SavePng(RenderTest::ArtifactFolder() + L"custom_button.png");
    EXPECT_GT(canvas->CountColor(kRed, left, kTolerance), 0);
    EXPECT_EQ(canvas->CountColor(kRed, right, kTolerance), 0);
    EXPECT_GT(canvas->CountColor(kBlue, right, kTolerance), 0);
    EXPECT_EQ(canvas->CountColor(kBlue, left, kTolerance), 0);

    // The hot colour shows only while the pointer is over the button; the value has none.
    SendEvent(*button, SkinUI::kEventMouseEnter, POINT{10, 10});
    auto hot = control_test::PaintOnCanvas(*button, 120, 30);
    EXPECT_GT(hot->CountColor(kGreen, left, kTolerance), 0);
    EXPECT_EQ(hot->CountColor(kRed, left, kTolerance), 0);
    EXPECT_GT(hot->CountColor(kBlue, right, kTolerance), 0);
    SendEvent(*button, SkinUI::kEventMouseLeave, POINT{200, 10});
    auto left_again = control_test::PaintOnCanvas(*button, 120, 30);
    EXPECT_GT(left_again->CountColor(kRed, left, kTolerance), 0);
}

TEST(CustomButton, NamesAndStoredTexts) {
    SkinUI::CCustomButtonUI button;
    EXPECT_STREQ(button.ClassName(), L"CustomButtonUI");
    EXPECT_EQ(button.InterfaceByName(L"CustonButton"), &button);
    EXPECT_EQ(button.InterfaceByName(L"Button"), &button);
    control_test::ApplyAttributes(button, {L"TitleText", L"a", L"ValueFont", L"3",
                                           L"textValuepadding", L"1,2,3,4"});
    EXPECT_STREQ(button.Title().text, L"a");
    EXPECT_EQ(button.Value().font, 3);
    EXPECT_EQ(button.Value().padding.bottom, 4);
}

// ---- Switch ------------------------------------------------------------------------------------

namespace {

// A switch 100 wide at x = 10 with a 20 x 10 knob of solid.png.
std::unique_ptr<SkinUI::CButtonSwitchExUI> Switch(CTestWindow& window, const wchar_t* min,
                                                 const wchar_t* max, const wchar_t* value) {
    return Attached<SkinUI::CButtonSwitchExUI>(
        window, {L"pointImage", L"solid.png", L"pointwidth", L"20", L"pointheight", L"10",
                 L"min", min, L"max", max, L"value", value},
        RECT{10, 0, 110, 10});
}

}  // namespace

TEST(ButtonSwitch, ClickSnapsToThePositionUnderThePointerAndNotifies) {
    CTestWindow window;
    auto knob = Switch(window, L"0", L"1", L"0");
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='0,0,20,10'");
    // Positions 80 pixels apart: 1 owns 40..120 from the left edge.
    control_test::Click(*knob, POINT{10 + 70, 5});
    EXPECT_EQ(knob->SwitchValue(), 1);
    EXPECT_EQ(window.Recorder().Count(L"selectchanged", knob.get()), 1);
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='80,0,100,10'");
    auto canvas = control_test::PaintOnCanvas(*knob, 120, 10);
    EXPECT_EQ(canvas->Rgb(100, 5), RenderTest::kSolidColor);
    EXPECT_EQ(canvas->Rgb(20, 5), 0xFFFFFFu);
    // Clicking the same position again changes nothing and tells nothing.
    control_test::Click(*knob, POINT{10 + 85, 5});
    EXPECT_EQ(window.Recorder().Count(L"selectchanged", knob.get()), 1);
}

TEST(ButtonSwitch, ValueIsKeptWithinMinAndMax) {
    CTestWindow window;
    auto knob = Switch(window, L"0", L"1", L"5");
    EXPECT_EQ(knob->SwitchValue(), 1);
    knob->SetSwitchValue(-3, false);
    EXPECT_EQ(knob->SwitchValue(), 0);
    EXPECT_EQ(window.Recorder().Count(L"selectchanged"), 0);
}

TEST(ButtonSwitch, PositionsCountFromTheMinimum) {
    CTestWindow window;
    // 1..3 over 80 pixels of travel: 1 at 0, 2 at 40, 3 at 80.
    auto knob = Switch(window, L"1", L"3", L"1");
    control_test::Click(*knob, POINT{10 + 45, 5});
    EXPECT_EQ(knob->SwitchValue(), 2);
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='40,0,60,10'");
    control_test::Click(*knob, POINT{10 + 99, 5});  // the last pixels belong to the last position
    EXPECT_EQ(knob->SwitchValue(), 3);
}

TEST(ButtonSwitch, KnobFollowsADragAndSnapsWhereItIsLetGo) {
    CTestWindow window;
    auto knob = Switch(window, L"0", L"2", L"0");  // positions at 0, 40, 80
    SendEvent(*knob, SkinUI::kEventButtonDown, POINT{20, 5});
    EXPECT_NE(knob->ThumbState() & SkinUI::kStateCaptured, 0u);
    SendEvent(*knob, SkinUI::kEventMouseMove, POINT{20 + 30, 5});
    SendEvent(*knob, SkinUI::kEventTimer, POINT{0, 0}, SkinUI::CButtonSwitchExUI::kDragTimerId);
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='30,0,50,10'");
    // Dragged far beyond the end the knob stays at the end.
    SendEvent(*knob, SkinUI::kEventMouseMove, POINT{20 + 200, 5});
    SendEvent(*knob, SkinUI::kEventTimer, POINT{0, 0}, SkinUI::CButtonSwitchExUI::kDragTimerId);
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='80,0,100,10'");
    EXPECT_EQ(window.Recorder().Count(L"selectchanged"), 0);
    // Let go there: the last position, one notification, no click.
    SendEvent(*knob, SkinUI::kEventButtonUp, POINT{20 + 200, 5});
    EXPECT_EQ(knob->SwitchValue(), 2);
    EXPECT_EQ(window.Recorder().Count(L"selectchanged", knob.get()), 1);
    EXPECT_EQ(window.Recorder().Count(L"click"), 0);
    EXPECT_EQ(knob->ThumbState() & (SkinUI::kStatePushed | SkinUI::kStateCaptured), 0u);
    EXPECT_EQ(knob->ButtonState() & (SkinUI::kStatePushed | SkinUI::kStateCaptured), 0u);

    // A short drag back that is let go near where it began snaps back to the position.
    SendEvent(*knob, SkinUI::kEventButtonDown, POINT{100, 5});
    SendEvent(*knob, SkinUI::kEventMouseMove, POINT{95, 5});
    SendEvent(*knob, SkinUI::kEventTimer, POINT{0, 0}, SkinUI::CButtonSwitchExUI::kDragTimerId);
    SendEvent(*knob, SkinUI::kEventButtonUp, POINT{95, 5});
    EXPECT_EQ(knob->SwitchValue(), 2);
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='80,0,100,10'");
}

TEST(ButtonSwitch, KnobFollowsTheWidthWhenPlaced) {
    CTestWindow window;
    auto knob = Switch(window, L"0", L"1", L"1");
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='80,0,100,10'");
    knob->Place(RECT{10, 0, 210, 10}, false);
    EXPECT_STREQ(knob->NormalImage(), L"file='solid.png' dest='180,0,200,10'");
}

TEST(ButtonSwitch, DisabledSwitchIgnoresPressesAndHugeRangesStaySafe) {
    CTestWindow window;
    auto knob = Switch(window, L"0", L"1", L"0");
    knob->SetEnabled(false);
    control_test::Click(*knob, POINT{100, 5});
    EXPECT_EQ(knob->SwitchValue(), 0);

    auto wide = Switch(window, L"-2147483648", L"2147483647", L"0");
    control_test::Click(*wide, POINT{109, 5});
    EXPECT_EQ(wide->SwitchValue(), 0);  // positions closer than a pixel: no step to snap to
    EXPECT_EQ(wide->SwitchMin(), INT_MIN);
}
