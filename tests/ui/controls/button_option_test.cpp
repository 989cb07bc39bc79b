// Buttons, options and check boxes: state images and colours by state, "click" on a release
// inside after a press, keyboard activation, option groups with "selectchanged", check boxes.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/common/RectAssert.h"
#include "tests/common/TestFiles.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/CheckBoxUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/base/UIPtrArray.h"
#include "ui/core/skin/ResourceData.h"

using namespace SkinUI;
using test_support::SameRect;
using namespace control_test;

namespace {

// frames.png holds three 10 x 10 frames: red, green, blue; solid.png is 0x336699.
constexpr const wchar_t* kRedFrame = L"file='frames.png' source='0,0,10,10'";
constexpr const wchar_t* kGreenFrame = L"file='frames.png' source='10,0,20,10'";
constexpr const wchar_t* kBlueFrame = L"file='frames.png' source='20,0,30,10'";
constexpr DWORD kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

const RECT kButtonRect{10, 10, 50, 30};
const POINT kInside{30, 20};
const POINT kOutside{80, 80};

// The colour at the centre of the control's rectangle after a paint.
DWORD CentreColour(CControlUI& control) {
    return PaintOnCanvas(control, 100, 100)->Rgb(Centre(control.Rect()).x,
                                                  Centre(control.Rect()).y);
}

std::unique_ptr<CButtonUI> StateButton(CTestWindow& window) {
    auto button = std::make_unique<CButtonUI>();
    window.Adopt(button, kButtonRect);
    ApplyAttributes(*button, {L"normalimage", kRedFrame, L"hotimage", kGreenFrame,
                              L"pushedimage", kBlueFrame, L"disabledimage", L"solid.png"});
    return button;
}

}  // namespace

TEST(Button, StateImagesFollowTheMouse) {
    CTestWindow window;
    auto button = StateButton(window);
    EXPECT_EQ(CentreColour(*button), kRed) << "normal";
    SendEvent(*button, kEventMouseEnter, kInside);
    EXPECT_EQ(CentreColour(*button), kGreen) << "hot";
    SendEvent(*button, kEventButtonDown, kInside);
    EXPECT_EQ(button->ButtonState() & (kStatePushed | kStateCaptured),
              static_cast<UINT>(kStatePushed | kStateCaptured));
    EXPECT_EQ(CentreColour(*button), kBlue) << "pushed";
    SendEvent(*button, kEventMouseMove, kOutside);
    EXPECT_EQ(CentreColour(*button), kGreen) << "held but outside: not pushed";
    SendEvent(*button, kEventMouseMove, kInside);
    EXPECT_EQ(CentreColour(*button), kBlue);
    SendEvent(*button, kEventButtonUp, kInside);
    SendEvent(*button, kEventMouseLeave, kOutside);
    EXPECT_EQ(CentreColour(*button), kRed);
    button->SetEnabled(false);
    EXPECT_EQ(CentreColour(*button), RenderTest::kSolidColor) << "disabled";
    EXPECT_EQ(button->ButtonState() & ~static_cast<UINT>(kStateDisabled), 0u);
}

TEST(Button, HotColourFocusedImageAndMissingStateImages) {
    CTestWindow window;
    auto button = std::make_unique<CButtonUI>();
    window.Adopt(button, kButtonRect);
    ApplyAttributes(*button, {L"normalimage", kRedFrame, L"hotbkcolor", L"#FF00FF00",
                              L"focusedimage", kBlueFrame});
    // Without a hot image the normal image shows, and the hot colour still fills.
    SendEvent(*button, kEventMouseEnter, kInside);
    EXPECT_EQ(CentreColour(*button), kGreen);
    SendEvent(*button, kEventMouseLeave, kOutside);
    SendEvent(*button, kEventSetFocus);
    EXPECT_TRUE(button->IsFocused());
    EXPECT_EQ(CentreColour(*button), kBlue);
    SendEvent(*button, kEventKillFocus);
    // A pushed button without a pushed image shows the normal one.
    SendEvent(*button, kEventButtonDown, kInside);
    EXPECT_EQ(CentreColour(*button), kRed);
}

TEST(Button, ClickOnlyOnAReleaseInsideAfterAPressInside) {
    CTestWindow window;
    auto button = StateButton(window);
    CNotifyRecorder& seen = window.Recorder();
    struct TCase {
        const char* what;
        std::vector<std::pair<int, POINT>> events;
        int clicks;
    };
    const TCase cases[] = {
        {"press and release inside", {{kEventButtonDown, kInside}, {kEventButtonUp, kInside}}, 1},
        {"release outside",
         {{kEventButtonDown, kInside}, {kEventMouseMove, kOutside}, {kEventButtonUp, kOutside}},
         0},
        {"out and back in",
         {{kEventButtonDown, kInside}, {kEventMouseMove, kOutside}, {kEventMouseMove, kInside},
          {kEventButtonUp, kInside}},
         1},
        {"press outside", {{kEventButtonDown, kOutside}, {kEventButtonUp, kInside}}, 0},
        {"release without press", {{kEventButtonUp, kInside}}, 0},
        {"double click", {{kEventDblClick, kInside}, {kEventButtonUp, kInside}}, 1},
    };
    for (const TCase& c : cases) {
        seen.Clear();
        for (const auto& event : c.events) SendEvent(*button, event.first, event.second);
        EXPECT_EQ(seen.Count(L"click", button.get()), c.clicks) << c.what;
        EXPECT_EQ(button->ButtonState() & (kStatePushed | kStateCaptured), 0u) << c.what;
    }
}

TEST(Button, ClickThroughTheWindowManager) {
    // The manager sends the release to the pressed button even outside it.
    CTestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* button = new CButtonUI;
    button->SetFixedHeight(20);
    root->Append(button);
    window.Manager().AttachRoot(root);  // owned by the manager from here on
    root->Place(RECT{0, 0, 200, 100}, false);
    ASSERT_TRUE(SameRect(button->Rect(), RECT{0, 0, 200, 20}));
    CNotifyRecorder& seen = window.Recorder();
    const POINT inside{100, 10}, outside{100, 60};

    SendMouseMessage(window.Manager(), WM_MOUSEMOVE, inside);
    EXPECT_EQ(button->ButtonState() & kStateHot, static_cast<UINT>(kStateHot));
    SendMouseMessage(window.Manager(), WM_LBUTTONDOWN, inside, MK_LBUTTON);
    SendMouseMessage(window.Manager(), WM_LBUTTONUP, inside);
    EXPECT_EQ(seen.Count(L"click", button), 1);

    SendMouseMessage(window.Manager(), WM_LBUTTONDOWN, inside, MK_LBUTTON);
    SendMouseMessage(window.Manager(), WM_MOUSEMOVE, outside, MK_LBUTTON);
    EXPECT_EQ(button->ButtonState() & kStatePushed, 0u);
    SendMouseMessage(window.Manager(), WM_LBUTTONUP, outside);
    EXPECT_EQ(seen.Count(L"click", button), 1) << "released outside";
    EXPECT_EQ(button->ButtonState() & kStateCaptured, 0u);
    SendMouseMessage(window.Manager(), WM_MOUSEMOVE, outside);
    EXPECT_EQ(button->ButtonState() & kStateHot, 0u);
}

TEST(Button, KeyboardActivationAndFlags) {
    CTestWindow window;
    auto button = StateButton(window);
    CNotifyRecorder& seen = window.Recorder();
    SendEvent(*button, kEventKeyDown, kInside, 0, VK_SPACE);
    SendEvent(*button, kEventKeyDown, kInside, 0, VK_RETURN);
    SendEvent(*button, kEventKeyDown, kInside, 0, L'A');
    EXPECT_EQ(seen.Count(L"click"), 2);
    EXPECT_EQ(button->ControlFlags(), static_cast<UINT>(kControlFlagTabStop | kControlFlagSetCursor));

    button->SetKeyboardEnabled(false);
    SendEvent(*button, kEventKeyDown, kInside, 0, VK_SPACE);
    EXPECT_EQ(seen.Count(L"click"), 2);
    EXPECT_EQ(button->ControlFlags(), static_cast<UINT>(kControlFlagSetCursor));

    button->SetKeyboardEnabled(true);
    button->SetEnabled(false);
    SendEvent(*button, kEventKeyDown, kInside, 0, VK_SPACE);
    Click(*button, kInside);
    EXPECT_EQ(seen.Count(L"click"), 2) << "a disabled button cannot be activated";
    EXPECT_FALSE(button->CanActivate());
    EXPECT_EQ(button->ControlFlags(), static_cast<UINT>(kControlFlagTabStop));

    // Not mouse enabled: mouse events go to the parent (none here), not to the button.
    button->SetEnabled(true);
    button->SetMouseEnabled(false);
    Click(*button, kInside);
    EXPECT_EQ(seen.Count(L"click"), 2);
}

TEST(Button, AngleIsHexadecimalAndRotatesTheStateImages) {
    CTestWindow window;
    auto button = std::make_unique<CButtonUI>();
    window.Adopt(button, RECT{0, 0, 20, 20});
    // rot.png: the top 5 rows red, the rest blue.
    button->ApplyAttribute(L"normalimage", L"rot.png");
    EXPECT_EQ(PaintOnCanvas(*button, 20, 20)->Rgb(10, 1), kRed);
    button->ApplyAttribute(L"Angle", L"5A");
    EXPECT_EQ(button->ImageAngle(), 90);
    auto canvas = PaintOnCanvas(*button, 20, 20);
    EXPECT_EQ(canvas->Rgb(10, 1), kBlue) << "the red band no longer runs along the top";
    const bool redOnASide = canvas->Rgb(1, 10) == kRed || canvas->Rgb(18, 10) == kRed;
    EXPECT_TRUE(redOnASide);
    button->ApplyAttribute(L"angle", L"10");  // names are case-sensitive
    EXPECT_EQ(button->ImageAngle(), 90);
}

TEST(Button, EllipseModeFillsAnEllipseWithAPictureFile) {
    CTestWindow window;
    auto button = std::make_unique<CButtonUI>();
    window.Adopt(button, RECT{0, 0, 40, 40});
    const std::wstring picture = RenderTest::FixtureFolder() + L"solid.png";
    ApplyAttributes(*button, {L"normalimage", kRedFrame, L"Ellipse", L"true",
                              L"Ellipseimage", picture.c_str(), L"Ellipsepadding", L"0,0,40,40"});
    auto canvas = PaintOnCanvas(*button, 40, 40);
    SaveArtifact(*canvas, L"button_ellipse.png");
    EXPECT_EQ(canvas->Rgb(20, 20), RenderTest::kSolidColor);
    EXPECT_EQ(canvas->Rgb(1, 1), 0xFFFFFFu) << "outside the ellipse";
    EXPECT_EQ(canvas->Rgb(38, 38), 0xFFFFFFu);
    EXPECT_EQ(std::wstring(button->NormalImage()), L"") << "the picture replaces the state images";

    // A missing file, a file that is no picture and an absurd box draw nothing.
    const std::wstring notAPicture = RenderTest::FixtureFolder() + L"not-a-picture.png";
    testfiles::WriteBytes(notAPicture, "this is text, not a picture");
    for (const std::wstring& path : {RenderTest::FixtureFolder() + L"missing.png", notAPicture}) {
        button->ApplyAttribute(L"Ellipseimage", path.c_str());
        EXPECT_EQ(PaintOnCanvas(*button, 40, 40)->CountDiffering(0xFFFFFF, RECT{0, 0, 40, 40}), 0);
    }
    ApplyAttributes(*button, {L"Ellipseimage", picture.c_str(),
                              L"Ellipsepadding", L"-2147483648,0,2147483647,40"});
    EXPECT_EQ(PaintOnCanvas(*button, 40, 40)->CountDiffering(0xFFFFFF, RECT{0, 0, 40, 40}), 0);
}

TEST(Button, TextColourByStateAndDesiredHeight) {
    CTestWindow window;
    AddLargeFont(window.Manager(), 3, 26);
    auto button = std::make_unique<CButtonUI>();
    window.Adopt(button, RECT{0, 0, 100, 40});
    EXPECT_EQ(button->TextStyle(), static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
    ApplyAttributes(*button, {L"text", L"HH", L"font", L"3", L"textcolor", L"#FFFF0000",
                              L"hottextcolor", L"#FF00FF00", L"pushedtextcolor", L"#FF0000FF"});
    auto count = [&](DWORD rgb) { return CountPaintedColour(*button, 100, 40, rgb); };
    EXPECT_GT(count(kRed), 30);
    SendEvent(*button, kEventMouseEnter, POINT{50, 20});
    EXPECT_GT(count(kGreen), 30);
    EXPECT_EQ(count(kRed), 0);
    SendEvent(*button, kEventButtonDown, POINT{50, 20});
    EXPECT_GT(count(kBlue), 30);

    auto plain = std::make_unique<CButtonUI>();
    window.Adopt(plain, RECT{0, 0, 100, 40});
    EXPECT_EQ(plain->DesiredSize(SIZE{500, 500}).cy,
              window.Manager().GetFontInfo(-1)->tm.tmHeight + 8);
}

TEST(Option, GroupSelectsExclusivelyWithOneNotification) {
    CTestWindow window;
    std::unique_ptr<COptionUI> options[3];
    for (int i = 0; i < 3; ++i) {
        options[i] = std::make_unique<COptionUI>();
        window.Adopt(options[i], RECT{i * 40, 0, i * 40 + 30, 20});
        options[i]->ApplyAttribute(L"group", L"g");
    }
    ASSERT_NE(window.Manager().GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(window.Manager().GetOptionGroup(L"g")->GetSize(), 3);
    CNotifyRecorder& seen = window.Recorder();

    options[0]->Select(true);
    seen.Clear();
    Click(*options[1], Centre(options[1]->Rect()));
    EXPECT_FALSE(options[0]->IsSelected());
    EXPECT_TRUE(options[1]->IsSelected());
    EXPECT_FALSE(options[2]->IsSelected());
    ASSERT_EQ(seen.Seen().size(), 2u);
    EXPECT_EQ(seen.Seen()[0].type, L"click");
    EXPECT_EQ(seen.Seen()[1].type, L"selectchanged");
    EXPECT_EQ(seen.Seen()[1].sender, options[1].get());
    EXPECT_EQ(options[1]->ButtonState() & kStateSelected, static_cast<UINT>(kStateSelected));
    EXPECT_EQ(options[0]->ButtonState() & kStateSelected, 0u);

    // Clicking the selected member again keeps it selected and sends no selectchanged.
    seen.Clear();
    Click(*options[1], Centre(options[1]->Rect()));
    EXPECT_TRUE(options[1]->IsSelected());
    EXPECT_EQ(seen.Count(L"selectchanged"), 0);
    EXPECT_EQ(seen.Count(L"click"), 1);

    // Changing group leaves the old one.
    options[2]->SetGroup(L"other");
    EXPECT_EQ(window.Manager().GetOptionGroup(L"g")->GetSize(), 2);
    options[2]->Select(true);
    EXPECT_TRUE(options[1]->IsSelected());
}

TEST(Option, WithoutGroupTogglesAndDisablingKeepsTheSelection) {
    CTestWindow window;
    auto option = std::make_unique<COptionUI>();
    window.Adopt(option, kButtonRect);
    for (bool expected : {true, false, true}) {
        Click(*option, kInside);
        EXPECT_EQ(option->IsSelected(), expected);
    }
    EXPECT_EQ(window.Recorder().Count(L"selectchanged", option.get()), 3);
    option->Select(false, false);
    EXPECT_EQ(window.Recorder().Count(L"selectchanged"), 3) << "no notification when asked";
    option->ApplyAttribute(L"selected", L"true");
    EXPECT_EQ(window.Recorder().Count(L"selectchanged"), 4);
    SendEvent(*option, kEventMouseEnter, kInside);
    option->SetEnabled(false);
    EXPECT_EQ(option->ButtonState(), static_cast<UINT>(kStateSelected));
    EXPECT_EQ(option->ClassName(), std::wstring(L"OptionUI"));
    EXPECT_EQ(option->InterfaceByName(L"Option"), option.get());
    EXPECT_EQ(option->InterfaceByName(L"Button"), option.get());
}

TEST(Option, GroupTableNeverKeepsAGoneOption) {
    CTestWindow window;
    CWindowManagerUI& manager = window.Manager();
    auto kept = std::make_unique<COptionUI>();
    window.Adopt(kept, RECT{0, 0, 20, 20});
    kept->SetGroup(L"g");
    {
        auto gone = std::make_unique<COptionUI>();
        window.Adopt(gone, RECT{30, 0, 50, 20});
        gone->SetGroup(L"g");
        EXPECT_EQ(manager.GetOptionGroup(L"g")->GetSize(), 2);
    }
    EXPECT_EQ(manager.GetOptionGroup(L"g")->GetSize(), 1);
    {
        // Built while attached for a moment, then detached (the dialog builder does this) and
        // destroyed without ever being attached again.
        auto detached = std::make_unique<COptionUI>();
        detached->AttachTo(&manager, nullptr, false);
        detached->ApplyAttribute(L"group", L"g");
        detached->AttachTo(nullptr, nullptr, false);
        EXPECT_EQ(manager.GetOptionGroup(L"g")->GetSize(), 2);
    }
    EXPECT_EQ(manager.GetOptionGroup(L"g")->GetSize(), 1);
    kept->Select(true);  // walks the group: must not touch the options that are gone
    EXPECT_TRUE(kept->IsSelected());
}

TEST(Option, SelectedImagesTextAndNoPushedLook) {
    CTestWindow window;
    auto option = std::make_unique<COptionUI>();
    window.Adopt(option, kButtonRect);
    ApplyAttributes(*option, {L"normalimage", kRedFrame, L"pushedimage", kBlueFrame,
                              L"selectedimage", kGreenFrame});
    SendEvent(*option, kEventButtonDown, kInside);
    EXPECT_EQ(CentreColour(*option), kRed) << "an option never looks pushed";
    SendEvent(*option, kEventButtonUp, kInside);
    EXPECT_TRUE(option->IsSelected());
    EXPECT_EQ(CentreColour(*option), kGreen);

    // Selected and hot: the selected hot image, or the selected background colour.
    SendEvent(*option, kEventMouseEnter, kInside);
    option->ApplyAttribute(L"selectedhotimage", kBlueFrame);
    EXPECT_EQ(CentreColour(*option), kBlue);
    option->ApplyAttribute(L"selectedhotimage", L"");
    option->ApplyAttribute(L"selectedimage", L"");
    option->ApplyAttribute(L"selectedbkcolor", L"#FF00FF00");
    EXPECT_EQ(CentreColour(*option), kGreen);
}

TEST(Option, SelectedTextColour) {
    CTestWindow window;
    AddLargeFont(window.Manager(), 3, 26);
    auto option = std::make_unique<COptionUI>();
    window.Adopt(option, RECT{0, 0, 100, 40});
    ApplyAttributes(*option, {L"text", L"HH", L"font", L"3", L"textcolor", L"#FFFF0000",
                              L"selectedtextcolor", L"#FF00FF00"});
    auto count = [&](DWORD rgb) { return CountPaintedColour(*option, 100, 40, rgb); };
    EXPECT_GT(count(kRed), 30);
    option->Select(true);
    EXPECT_GT(count(kGreen), 30);
    EXPECT_EQ(count(kRed), 0);
    option->Select(false);
    EXPECT_GT(count(kRed), 30);
    EXPECT_EQ(count(kGreen), 0);
}

TEST(CheckBox, ShowsItsCheckedState) {
    CTestWindow window;
    auto box = std::make_unique<CCheckBoxUI>();
    window.Adopt(box, kButtonRect);
    EXPECT_EQ(box->ClassName(), std::wstring(L"CheckBoxUI"));
    EXPECT_EQ(box->InterfaceByName(L"CheckBox"), box.get());
    EXPECT_EQ(box->InterfaceByName(L"Option"), box.get());
    ApplyAttributes(*box, {L"normalimage", kRedFrame, L"selectedimage", kGreenFrame});
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(CentreColour(*box), kRed);
    Click(*box, kInside);
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(CentreColour(*box), kGreen);
    Click(*box, kInside);
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(CentreColour(*box), kRed);
    EXPECT_EQ(window.Recorder().Count(L"selectchanged", box.get()), 2);
}
