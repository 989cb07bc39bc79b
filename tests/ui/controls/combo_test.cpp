// The combo: its pop-up window opens over the rows and closes every way (Escape, Enter, a
// selection, Alt+F4's WM_CLOSE, focus loss, the combo's own destruction) leaving no window
// behind; Up/Down select while closed; the pop-up's place stays on the work area.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/common/RectAssert.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/ComboWnd.h"
#include "ui/controls/ListBodyUI.h"
#include "ui/controls/ListElementsUI.h"
#include "ui/core/base/UIGeometry.h"

using control_test::CTestWindow;
using control_test::SendEvent;
using SkinUI::CComboUI;
using SkinUI::CComboWnd;

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int ThreadWindowCount() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Runs the thread's messages until done says so (or a bounded number of rounds pass).
void PumpUntil(const std::function<bool()>& done, int rounds = 200) {
    for (int round = 0; round < rounds && !done(); ++round) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
}

// Lets the messages already queued (deferred deletions, focus changes) run.
void Settle() {
    PumpUntil([] { return false; }, 10);
}

std::unique_ptr<CComboUI> AttachedCombo(CTestWindow& window, int rows) {
    auto combo = std::make_unique<CComboUI>();
    for (int i = 0; i < rows; ++i) {
        auto* row = new SkinUI::CListLabelElementUI;
        row->SetText(L"item");
        combo->AddRow(row);  // the combo's body owns the row from here
    }
    window.Adopt(combo, RECT{10, 10, 170, 36});
    return combo;
}

// A combo of eight rows with its pop-up open, and the thread's window count from before.
struct TOpenCombo {
    CTestWindow window;
    std::unique_ptr<CComboUI> combo = AttachedCombo(window, 8);
    int before = 0;
    HWND popup = nullptr;

    TOpenCombo() {
        Settle();
        before = ThreadWindowCount();
        if (combo->DropDown()) popup = combo->DropDownWindow();
    }
};

}  // namespace

struct TCloseCase {
    const char* name;
    std::function<void(CComboUI&)> close;
};

class ComboClosing : public ::testing::TestWithParam<TCloseCase> {};

TEST_P(ComboClosing, LeavesNoWindowAndGivesTheRowsBack) {
    TOpenCombo open;
    auto& [window, combo, before, popup] = open;
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(::IsWindowVisible(popup));
    EXPECT_EQ(combo->Body()->Manager()->GetPaintWindow(), popup);
    EXPECT_EQ(window.Recorder().Count(L"dropdown"), 1);
    EXPECT_FALSE(combo->DropDown());  // one pop-up at a time

    SendEvent(*combo->RowAt(1), SkinUI::kEventMouseEnter);
    GetParam().close(*combo);
    PumpUntil([&] { return !combo->IsDroppedDown(); });
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(combo->Body()->Manager(), &window.Manager());
    EXPECT_EQ(combo->Body()->Parent(), combo.get());
    // The row hovered in the pop-up does not come back looking hot (a hot row would fill 160 ×
    // 24 pixels; text edges may match a few).
    combo->Body()->Place(RECT{0, 0, 160, 200}, false);
    EXPECT_LT(control_test::CountPaintedColour(*combo->Body(), 160, 200, 0xE3ECFA), 100);
    Settle();
    EXPECT_EQ(ThreadWindowCount(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ComboClosing,
    ::testing::Values(
        TCloseCase{"escape",
                   [](CComboUI& c) { ::SendMessageW(c.DropDownWindow(), WM_KEYDOWN, VK_ESCAPE, 0); }},
        TCloseCase{"enter",
                   [](CComboUI& c) { ::SendMessageW(c.DropDownWindow(), WM_KEYDOWN, VK_RETURN, 0); }},
        TCloseCase{"altF4", [](CComboUI& c) { ::SendMessageW(c.DropDownWindow(), WM_CLOSE, 0, 0); }},
        TCloseCase{"focusLost",
                   [](CComboUI& c) { ::SendMessageW(c.DropDownWindow(), WM_KILLFOCUS, 0, 0); }},
        TCloseCase{"deactivated",
                   [](CComboUI& c) {
                       ::SendMessageW(c.DropDownWindow(), WM_ACTIVATE, WA_INACTIVE, 0);
                   }},
        TCloseCase{"selection", [](CComboUI& c) { SendEvent(*c.RowAt(3), SkinUI::kEventButtonDown); }},
        TCloseCase{"faceClickedAgain", [](CComboUI& c) { SendEvent(c, SkinUI::kEventButtonDown); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComboClosing, SelectionInThePopupSelectsAndNotifies) {
    TOpenCombo open;
    auto& [window, combo, before, popup] = open;
    ASSERT_NE(popup, nullptr);
    SendEvent(*combo->RowAt(5), SkinUI::kEventButtonDown);
    PumpUntil([&] { return !combo->IsDroppedDown(); });
    EXPECT_EQ(combo->CurrentRow(), 5);
    EXPECT_EQ(window.Recorder().Count(L"itemselect"), 1);
    EXPECT_EQ(window.Recorder().Seen().back().wParam, 5u);
}

TEST(ComboClosing, DestroyingTheOpenComboClosesThePopupFirst) {
    TOpenCombo open;
    auto& [window, combo, before, popup] = open;
    ASSERT_NE(popup, nullptr);
    combo.reset();
    EXPECT_FALSE(::IsWindow(popup));
    Settle();
    EXPECT_EQ(ThreadWindowCount(), before);
}

struct TComboKeyCase {
    const char* name;
    std::vector<wchar_t> keys;
    int current;
    int notifications;
};

class ComboKeys : public ::testing::TestWithParam<TComboKeyCase> {};

TEST_P(ComboKeys, UpAndDownSelectWhileClosed) {
    CTestWindow window;
    auto combo = AttachedCombo(window, 4);
    for (wchar_t key : GetParam().keys) SendEvent(*combo, SkinUI::kEventKeyDown, POINT{0, 0}, 0, key);
    EXPECT_EQ(combo->CurrentRow(), GetParam().current);
    EXPECT_EQ(window.Recorder().Count(L"itemselect"), GetParam().notifications);
    EXPECT_FALSE(combo->IsDroppedDown());
    if (GetParam().current >= 0) {
        EXPECT_EQ(combo->Text(), SkinUI::CUIString(L"item"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ComboKeys,
    ::testing::Values(TComboKeyCase{"down", {VK_DOWN}, 0, 1},
                      TComboKeyCase{"upFromNothingIsTheLast", {VK_UP}, 3, 1},
                      TComboKeyCase{"clampedAtTheEnd", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}, 3, 4},
                      TComboKeyCase{"clampedAtTheStart", {VK_DOWN, VK_UP}, 0, 1},
                      TComboKeyCase{"otherKeys", {'A', VK_LEFT}, -1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Placement on the work area ----------------------------------------------------------------

struct TPlaceCase {
    const char* name;
    RECT combo;
    SIZE box;
    RECT expected;
};

class ComboPlacement : public ::testing::TestWithParam<TPlaceCase> {};

TEST_P(ComboPlacement, BelowOrAboveWithinTheWorkArea) {
    const RECT work{0, 0, 1000, 700};
    const TPlaceCase& c = GetParam();
    EXPECT_TRUE(test_support::SameRect(CComboWnd::PlaceBelowOrAbove(c.combo, c.box, work), c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Places, ComboPlacement,
    ::testing::Values(
        TPlaceCase{"below", {100, 100, 260, 126}, {160, 200}, {100, 126, 260, 326}},
        TPlaceCase{"aboveNearTheBottom", {100, 600, 260, 626}, {160, 200}, {100, 400, 260, 600}},
        TPlaceCase{"tallerThanTheMonitorBelow", {100, 100, 260, 126}, {160, 100000}, {100, 126, 260, 700}},
        TPlaceCase{"tallerThanTheMonitorAbove", {100, 600, 260, 626}, {160, 100000}, {100, 0, 260, 600}},
        TPlaceCase{"keptOnTheRight", {950, 100, 1110, 126}, {160, 50}, {840, 126, 1000, 176}},
        TPlaceCase{"widerThanTheMonitor", {100, 100, 260, 126}, {5000, 50}, {0, 126, 1000, 176}}),
    [](const auto& info) { return std::string(info.param.name); });
