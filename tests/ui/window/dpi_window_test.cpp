// A skinned window that moves to a screen of another density (WM_DPICHANGED): it takes the
// suggested rectangle, and its skin settings, lengths and fonts follow the new scale.

#include <gtest/gtest.h>

#include "support/GdiHandles.h"
#include "tests/common/RectAssert.h"
#include "tests/ui/skin/SkinTestSupport.h"
#include "tests/ui/window/WindowTestSupport.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/skin/ResourceData.h"

using namespace SkinUI;
using test_support::SameRect;
using ui_test::CMarkupWindow;
using ui_test::CSkinScope;
using ui_test::PumpMessages;

namespace {

constexpr UINT kMsgDpiChanged = 0x02E0;

const wchar_t kSkin[] = LR"(<Window size="300,200" caption="0,0,0,30" roundcorner="20,20" mininfo="100,80"
  showshadow="true" shadowsize="4" shadowsharpness="3" shadowdarkness="100" shadowposition="1,-2"
  shadowcorner="5,6,7,8">
  <Font id="0" name="Arial" size="12"/>
  <VerticalLayout>
    <Label name="title" height="30" padding="5,6,0,0" font="0" text="Title" bordersize="1"
           bordercolor="#FF000000"/>
    <Control name="rest"/>
  </VerticalLayout></Window>)";

void MoveToDensity(HWND window, int dpi, const RECT& suggested) {
    ::SendMessageW(window, kMsgDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    ::UpdateWindow(window);
}

RECT ScreenRect(HWND window) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    return rc;
}

TEST(DpiWindow, DpiChangedTakesTheSuggestedRectangleAndRescalesTheSkin) {
    CSkinScope scope;
    CMarkupWindow window(kSkin);
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    CWindowManagerUI& manager = window.PaintManager();
    const int startDpi = manager.Dpi();
    ::UpdateWindow(window);
    const LONG fontAtStart = manager.GetFontInfo(0)->tm.tmHeight;

    MoveToDensity(window, 192, RECT{10, 20, 610, 420});
    EXPECT_EQ(manager.Dpi(), 192);
    EXPECT_TRUE(SameRect(ScreenRect(window), RECT{10, 20, 610, 420}));
    EXPECT_TRUE(SameRect(manager.CaptionBand(), RECT{0, 0, 0, 60}));
    EXPECT_EQ(manager.CornerEllipse().cx, 40);
    EXPECT_EQ(manager.MinTrackSize().cx, 200);
    EXPECT_EQ(manager.InitialSize().cx, 600);
    // The shadow's lengths, as the skin's other lengths; its darkness stays.
    const TShadowShape& shadow = manager.WindowShadow()->Shape();
    EXPECT_EQ(shadow.size, 8);
    EXPECT_EQ(shadow.sharpness, 6);
    EXPECT_EQ(shadow.xOffset, 2);
    EXPECT_EQ(shadow.yOffset, -4);
    EXPECT_EQ(shadow.darkness, 100);
    EXPECT_TRUE(SameRect(manager.WindowShadow()->ShadowCorner(), RECT{10, 12, 14, 16}));
    CControlUI* title = window.Find(L"title");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(SameRect(title->Rect(), RECT{10, 12, 600, 72})) << "laid out again at 2x";
    EXPECT_EQ(title->BorderSize(), 2);
    EXPECT_NEAR(manager.GetFontInfo(0)->tm.tmHeight, fontAtStart * 192 / startDpi, 2);
    const bxutil::CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetWindowRgn(window, region.Get()), COMPLEXREGION);
    EXPECT_TRUE(::PtInRegion(region.Get(), 599, 200)) << "the round corners follow the new size";
    EXPECT_FALSE(::PtInRegion(region.Get(), 1, 1));

    MoveToDensity(window, 96, RECT{10, 20, 310, 220});
    PumpMessages(50);
    EXPECT_TRUE(SameRect(title->Rect(), RECT{5, 6, 300, 36})) << "back to the skin's own values";
    EXPECT_TRUE(SameRect(manager.CaptionBand(), RECT{0, 0, 0, 30}));
    EXPECT_EQ(manager.WindowShadow()->Shape().size, 4);
    EXPECT_EQ(manager.WindowShadow()->Shape().yOffset, -2);
}

TEST(DpiWindow, TheSameDensityChangesNothingButTheRectangle) {
    CSkinScope scope;
    CMarkupWindow window(kSkin);
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    CWindowManagerUI& manager = window.PaintManager();
    const RECT caption = manager.CaptionBand();
    MoveToDensity(window, manager.Dpi(), RECT{30, 30, 330, 230});
    EXPECT_TRUE(SameRect(manager.CaptionBand(), caption));
    EXPECT_TRUE(SameRect(ScreenRect(window), RECT{30, 30, 330, 230}));
}

}  // namespace
