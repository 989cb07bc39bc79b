// The window manager on a real window: first layout and "windowinit", names, focus and tab
// order, control timers, synchronous and asynchronous notifications, deferred deletion, option
// groups, pre-translation of keys, and the press/capture/context-menu rules driven by messages
// sent to the window.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/manager/ManagerTestSupport.h"
#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlUI.h"

using namespace SkinUI;
using manager_test::CHostWindow;
using manager_test::CNotifyJournal;
using manager_test::CProbeControl;
using manager_test::TSeenEvent;

namespace {

constexpr RECT kScreenRect{60, 60, 360, 260};  // 300 x 200

// A host window with a column of probes a..e (40 high each) in a vertical layout.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CHostWindow>(L"VexoManagerTest", kScreenRect);
        manager().AddNotifier(&notes);
        root = new CVerticalLayoutUI();
        root->SetName(L"root");
        for (LPCWSTR name : {L"a", L"b", L"c", L"d", L"e"}) {
            auto* probe = new CProbeControl(name, &events, true);
            probe->SetFixedHeight(40);
            root->Append(probe);
            probes.push_back(probe);
        }
        manager().AttachRoot(root);
        window->PaintNow();
    }
    void TearDown() override { window.reset(); }

    CWindowManagerUI& manager() { return window->Manager(); }
    CProbeControl* probe(char name) { return probes[static_cast<size_t>(name - 'a')]; }
    std::wstring FocusName() {
        return manager().GetFocus() != nullptr ? manager().GetFocus()->Name().GetData() : L"-";
    }
    int CountEvents(LPCWSTR control, int kind) {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const TSeenEvent& e) {
            return e.control == control && e.kind == kind;
        }));
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageW(window->Handle(), message, wParam, lParam);
    }

    std::unique_ptr<CHostWindow> window;
    CNotifyJournal notes;
    std::vector<TSeenEvent> events;
    CVerticalLayoutUI* root = nullptr;
    std::vector<CProbeControl*> probes;
};

}  // namespace

TEST_F(ManagerTest, FirstPaintLaysOutAndSendsOneWindowInit) {
    EXPECT_EQ(notes.Count(L"windowinit root"), 1);
    EXPECT_EQ(probe('b')->Rect().top, 40);
    EXPECT_EQ(probe('b')->Rect().right, 300);
    ::InvalidateRect(window->Handle(), nullptr, FALSE);
    window->PaintNow();
    EXPECT_EQ(notes.Count(L"windowinit root"), 1);
    // A new layout after a change places only what asked for it, and sends no "windowinit".
    probe('a')->SetFixedHeight(10);
    window->PaintNow();
    EXPECT_EQ(probe('b')->Rect().top, 10);
    EXPECT_EQ(notes.Count(L"windowinit root"), 1);
}

TEST_F(ManagerTest, NamesFindTheLaterOfTwoEqualNames) {
    EXPECT_EQ(manager().FindControl(L"c"), probe('c'));
    probe('d')->SetName(L"c");
    manager().RegisterTree(root);
    EXPECT_EQ(manager().FindControl(L"c"), probe('d'));
    EXPECT_EQ(manager().FindControl(POINT{10, 130}), probe('d'));
    EXPECT_EQ(manager().FindControl(POINT{10, 250}), nullptr);  // outside the window
    EXPECT_EQ(manager().FindControl(L"nobody"), nullptr);
    // A destroyed control leaves the name table.
    root->SetDeferredDelete(false);
    root->RemoveItem(probe('e'));
    EXPECT_EQ(manager().FindControl(L"e"), nullptr);
}

TEST_F(ManagerTest, TabWalksTheTreeSkippingInvisibleAndDisabledControls) {
    // The first paint made the first tab stop the focus.
    EXPECT_EQ(FocusName(), L"a");
    probe('b')->SetVisible(false);
    probe('d')->SetEnabled(false);
    window->PaintNow();
    std::wstring forward;
    for (int i = 0; i < 4; ++i) {
        manager().MoveTabFocus(true);
        forward += FocusName();
    }
    EXPECT_EQ(forward, L"ceac");
    std::wstring backward;
    for (int i = 0; i < 4; ++i) {
        manager().MoveTabFocus(false);
        backward += FocusName();
    }
    EXPECT_EQ(backward, L"aeca");
    // Tab and Shift+Tab arrive as WM_KEYDOWN before dispatch.
    LRESULT result = 0;
    EXPECT_TRUE(manager().PreHandleWindowMessage(WM_KEYDOWN, VK_TAB, 0, result));
    EXPECT_EQ(FocusName(), L"c");
}

TEST_F(ManagerTest, FocusEventsAndNotifications) {
    notes.entries.clear();
    manager().SetFocus(probe('c'));
    EXPECT_EQ(notes.entries, (std::vector<std::wstring>{L"killfocus a", L"setfocus c"}));
    EXPECT_TRUE(probe('c')->IsFocused());
    EXPECT_FALSE(probe('a')->IsFocused());
    // Focusing a disabled control only takes the focus away.
    probe('e')->SetEnabled(false);
    notes.entries.clear();
    manager().SetFocus(probe('e'));
    EXPECT_EQ(notes.entries, (std::vector<std::wstring>{L"killfocus c"}));
    EXPECT_EQ(manager().GetFocus(), nullptr);
    // Hiding the focused control drops the focus.
    manager().SetFocus(probe('b'));
    probe('b')->SetVisible(false);
    EXPECT_EQ(manager().GetFocus(), nullptr);
}

TEST_F(ManagerTest, QueuedFocusLandsAtTheNextPaint) {
    manager().QueueFocus(probe('d'));
    EXPECT_NE(FocusName(), L"d");
    window->PaintNow();
    EXPECT_EQ(FocusName(), L"d");
}

TEST_F(ManagerTest, ControlTimersRunOnTheWindowThreadUntilKilled) {
    EXPECT_TRUE(manager().SetTimer(probe('a'), 7, 20));
    EXPECT_FALSE(manager().SetTimer(probe('a'), 7, 20));  // already running
    EXPECT_TRUE(manager().SetTimer(probe('b'), 7, 20));   // another control, same local id
    ASSERT_TRUE(CHostWindow::PumpUntil([&] { return CountEvents(L"a", kEventTimer) >= 3; }, 3000));
    EXPECT_GE(notes.Count(L"timer a"), 3);
    const auto timer = std::find_if(events.begin(), events.end(),
                                    [](const TSeenEvent& e) { return e.kind == kEventTimer; });
    EXPECT_EQ(timer->wParam, 7u);

    EXPECT_TRUE(manager().KillTimer(probe('a'), 7));
    EXPECT_FALSE(manager().KillTimer(probe('a'), 7));
    CHostWindow::Pump(60);
    const int afterKill = CountEvents(L"a", kEventTimer);
    CHostWindow::Pump(150);
    EXPECT_EQ(CountEvents(L"a", kEventTimer), afterKill);
    EXPECT_GT(CountEvents(L"b", kEventTimer), 0);

    // A killed timer starts again (under its old Win32 timer).
    EXPECT_TRUE(manager().SetTimer(probe('a'), 7, 20));
    EXPECT_TRUE(CHostWindow::PumpUntil(
        [&] { return CountEvents(L"a", kEventTimer) > afterKill; }, 3000));
    // Destroying a control kills its timers.
    root->SetDeferredDelete(false);
    root->RemoveItem(probe('b'));
    events.clear();
    CHostWindow::Pump(150);
    EXPECT_EQ(CountEvents(L"b", kEventTimer), 0);
    manager().RemoveAllTimers();
}

namespace {

// A message filter that, for one private message, sends an asynchronous notification and
// records when that happened relative to the notifications it sees.
class CAsyncSender : public IMessageFilterUI {
public:
    CAsyncSender(CWindowManagerUI& manager, CNotifyJournal& notes, CControlUI* sender)
        : m_manager(manager), m_notes(notes), m_sender(sender) {}
    LRESULT HandleWindowMessage(UINT message, WPARAM, LPARAM, bool&) override {
        if (message != WM_APP + 7) return 0;
        m_manager.SendNotification(m_sender, L"later", 0, 0, true);
        m_manager.SendNotification(m_sender, L"now");
        m_notes.entries.push_back(L"filter done");
        return 0;
    }

private:
    CWindowManagerUI& m_manager;
    CNotifyJournal& m_notes;
    CControlUI* m_sender;
};

}  // namespace

TEST_F(ManagerTest, AsynchronousNotificationArrivesAfterTheMessageItWasSentIn) {
    CAsyncSender sender(manager(), notes, probe('a'));
    manager().AddMessageFilter(&sender);
    notes.entries.clear();
    window->afterManager = [&](UINT message) {
        if (message == WM_APP + 7) notes.entries.push_back(L"message done");
    };
    Send(WM_APP + 7, 0, 0);
    EXPECT_EQ(notes.entries, (std::vector<std::wstring>{L"now a", L"filter done", L"later a",
                                                        L"message done"}));
    window->afterManager = nullptr;
    manager().RemoveMessageFilter(&sender);
}

TEST_F(ManagerTest, PendingNotificationOfADestroyedControlHasNoSender) {
    manager().SendNotification(probe('c'), L"pending", 0, 0, true);
    root->SetDeferredDelete(false);
    root->RemoveItem(probe('c'));
    notes.entries.clear();
    Send(WM_NULL, 0, 0);
    EXPECT_EQ(notes.entries, (std::vector<std::wstring>{L"pending -"}));
}

TEST_F(ManagerTest, RemovedChildLivesUntilTheCleanupMessage) {
    bool destroyed = false;
    static bool* s_destroyed = nullptr;
    s_destroyed = &destroyed;
    probe('c')->DestroyListeners() += MakeDelegate(+[](void*) {
        *s_destroyed = true;
        return true;
    });
    EXPECT_TRUE(root->RemoveItem(probe('c')));
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(root->Count(), 4);
    CHostWindow::PumpUntil([&] { return destroyed; }, 2000);
    EXPECT_TRUE(destroyed);
}

TEST_F(ManagerTest, OptionGroups) {
    EXPECT_TRUE(manager().AddOptionGroup(L"g", probe('a')));
    EXPECT_TRUE(manager().AddOptionGroup(L"g", probe('b')));
    EXPECT_FALSE(manager().AddOptionGroup(L"g", probe('a')));
    EXPECT_FALSE(manager().AddOptionGroup(L"", probe('a')));
    ASSERT_NE(manager().GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(manager().GetOptionGroup(L"g")->GetSize(), 2);
    manager().RemoveOptionGroup(L"g", probe('a'));
    manager().RemoveOptionGroup(L"g", probe('b'));
    EXPECT_EQ(manager().GetOptionGroup(L"g"), nullptr);
}

TEST_F(ManagerTest, SettingTheSameTextDoesNotRepaint) {
    probe('b')->SetText(L"x");
    window->PaintNow();
    EXPECT_FALSE(::GetUpdateRect(window->Handle(), nullptr, FALSE));
    probe('b')->SetText(L"x");
    EXPECT_FALSE(::GetUpdateRect(window->Handle(), nullptr, FALSE));
    probe('b')->SetText(L"y");
    RECT dirty{};
    EXPECT_TRUE(::GetUpdateRect(window->Handle(), &dirty, FALSE));
    EXPECT_EQ(dirty.top, 40);
    EXPECT_EQ(dirty.bottom, 80);
}

TEST_F(ManagerTest, AltF4ReachesTheWindowOtherAltKeysDoNot) {
    LRESULT result = 0;
    EXPECT_FALSE(manager().PreHandleWindowMessage(WM_SYSKEYDOWN, VK_F4, 0, result));
    EXPECT_TRUE(manager().PreHandleWindowMessage(WM_SYSKEYDOWN, VK_SPACE, 0, result));
    EXPECT_EQ(CountEvents(L"a", kEventSysKey), 2);  // the focused control saw both
    // Alt+letter: the control with that shortcut is focused and activated.
    probe('d')->SetShortcut(L'q');
    EXPECT_TRUE(manager().PreHandleWindowMessage(WM_SYSCHAR, L'Q', 0, result));
    EXPECT_EQ(FocusName(), L"d");
}

TEST_F(ManagerTest, ReleaseOutsideGoesToThePressedControlAndClicksOnlyInside) {
    const LPARAM inB = MAKELPARAM(20, 60);
    const LPARAM inD = MAKELPARAM(20, 140);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, inB);
    EXPECT_EQ(manager().PressedControl(), probe('b'));
    EXPECT_EQ(::GetCapture(), window->Handle());
    Send(WM_MOUSEMOVE, MK_LBUTTON, inD);  // the pressed control gets the moves
    EXPECT_EQ(CountEvents(L"b", kEventMouseMove), 1);
    EXPECT_EQ(CountEvents(L"d", kEventMouseMove), 0);
    Send(WM_LBUTTONUP, 0, inD);
    EXPECT_EQ(CountEvents(L"b", kEventButtonUp), 1);
    EXPECT_EQ(CountEvents(L"d", kEventButtonUp), 0);
    EXPECT_EQ(notes.Count(L"click b"), 0);
    EXPECT_EQ(::GetCapture(), nullptr);

    Send(WM_LBUTTONDOWN, MK_LBUTTON, inB);
    Send(WM_LBUTTONUP, 0, inB);
    EXPECT_EQ(notes.Count(L"click b"), 1);
}

TEST_F(ManagerTest, CaptureEndsWithTheReleaseEvenWhenThePressedControlWentAway) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 60));
    ASSERT_EQ(::GetCapture(), window->Handle());
    root->SetDeferredDelete(false);
    root->RemoveItem(probe('b'));  // destroyed while pressed
    EXPECT_EQ(manager().PressedControl(), nullptr);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(20, 60));
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(manager().IsMouseCaptured());
}

TEST_F(ManagerTest, ContextMenuGoesToTheRightPressedControl) {
    probe('b')->SetMenuEnabled(true);
    probe('d')->SetMenuEnabled(true);
    // Press on b, release over d: the system's WM_CONTEXTMENU (sent by the default procedure
    // for the release) belongs to b.
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 60));
    Send(WM_RBUTTONUP, 0, MAKELPARAM(20, 140));
    EXPECT_EQ(CountEvents(L"b", kEventRButtonUp), 1);
    EXPECT_EQ(CountEvents(L"b", kEventContextMenu), 1);
    EXPECT_EQ(CountEvents(L"d", kEventContextMenu), 0);
    EXPECT_EQ(notes.Count(L"menu b"), 1);
    // A context menu without a preceding press (the keyboard's) reaches nobody.
    POINT screen{20, 140};
    ::ClientToScreen(window->Handle(), &screen);
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window->Handle()), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(notes.Count(L"menu d"), 0);
}

TEST_F(ManagerTest, WheelReachesTheControlUnderThePointer) {
    POINT screen{20, 100};
    ::ClientToScreen(window->Handle(), &screen);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    std::vector<WPARAM> wheel;
    for (const TSeenEvent& e : events)
        if (e.kind == kEventScrollWheel) {
            EXPECT_EQ(e.control, L"c");
            wheel.push_back(e.wParam);
        }
    EXPECT_EQ(wheel, (std::vector<WPARAM>{1, 0}));  // towards the user, then away
}

// ---- Faults of the plain rules, mended ------------------------------------------------------------

namespace {

// Counts its overlay paints in a counter that outlives it.
class COverlayProbe : public CControlUI {
public:
    explicit COverlayProbe(int* paints) : m_paints(paints) {}
    void PaintOverlay(HDC, const RECT&) override { ++*m_paints; }

private:
    int* m_paints;
};

}  // namespace

TEST_F(ManagerTest, ADestroyedOverlayControlIsNotPaintedAgain) {
    int paints = 0;
    auto* overlay = new COverlayProbe(&paints);
    root->Append(overlay);
    manager().AddOverlay(overlay);
    ::InvalidateRect(window->Handle(), nullptr, FALSE);
    window->PaintNow();
    const int before = paints;
    EXPECT_GT(before, 0);
    root->SetDeferredDelete(false);
    root->RemoveItem(overlay);  // destroyed while registered for overlay painting
    ::InvalidateRect(window->Handle(), nullptr, FALSE);
    window->PaintNow();
    EXPECT_EQ(paints, before);
}

TEST_F(ManagerTest, AttachingTheCurrentRootAgainKeepsIt) {
    bool destroyed = false;
    static bool* s_destroyed = nullptr;
    s_destroyed = &destroyed;
    root->DestroyListeners() += MakeDelegate(+[](void*) {
        *s_destroyed = true;
        return true;
    });
    EXPECT_TRUE(manager().AttachRoot(root));
    CHostWindow::Pump(100);  // a scheduled deletion would run here
    EXPECT_FALSE(destroyed);
    window->PaintNow();
    EXPECT_EQ(manager().FindControl(L"c"), probe('c'));
    root->DestroyListeners().Clear();
}

TEST_F(ManagerTest, NotifyWithoutAHeaderIsHandledWithoutReadingIt) {
    EXPECT_EQ(Send(WM_NOTIFY, 0, 0), 0);
}

TEST(ManagerWithoutWindow, TimersNeedTheWindow) {
    // Without a window SetTimer would make a thread timer under an identifier of its own,
    // which no WM_TIMER of this manager could ever match.
    CWindowManagerUI manager;
    CControlUI control;
    EXPECT_FALSE(manager.SetTimer(&control, 1, 10));
    EXPECT_FALSE(manager.KillTimer(&control, 1));
}
