// The window wrapper and the skinned window base in real (hidden or briefly shown) windows:
// registration, superclassing and subclassing, the modal loop, centring, icons, notification
// routing, hit-testing, the rounded region and the system buttons.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/GdiHandles.h"
#include "tests/ui/skin/SkinTestSupport.h"
#include "tests/ui/window/WindowTestSupport.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/NotifyPump.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/window/WindowWnd.h"

using namespace SkinUI;
using ui_test::CMarkupWindow;
using ui_test::CSkinScope;
using ui_test::PumpMessages;

namespace {

constexpr UINT kMsgProbe = WM_APP + 77;

// A bare wrapped window that records what reaches it.
class CProbeWindow : public CWindowWnd {
public:
    explicit CProbeWindow(LPCWSTR super = nullptr) : m_super(super) {}
    ~CProbeWindow() {
        if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    }
    LPCWSTR WindowClassName() const override {
        return m_super != nullptr ? L"VexoProbeButton" : L"VexoProbe";
    }
    LPCWSTR SuperClassName() const override { return m_super; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kMsgProbe) {
            ++probes;
            ownerEnabledAtProbe = owner != nullptr && ::IsWindowEnabled(owner);
            return 42;
        }
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnWindowGone(HWND window) override { goneWindow = window; }

    int probes = 0;
    HWND goneWindow = nullptr;
    HWND owner = nullptr;
    bool ownerEnabledAtProbe = true;

private:
    LPCWSTR m_super;
};

RECT WindowRect(HWND window) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    return rc;
}

RECT WorkArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// A posted message for window in the queue (removed), or false.
bool TakePosted(HWND window, UINT message, WPARAM* wParam) {
    MSG msg{};
    if (!::PeekMessageW(&msg, window, message, message, PM_REMOVE)) return false;
    if (wParam != nullptr) *wParam = msg.wParam;
    return true;
}

// Wine on a display without a window manager ends the process with an X error when a window
// maximised to the whole screen, whose paint copied its own backdrop, is destroyed after other
// windows were; a restored window goes without trouble.
void RestoreBeforeDestroying(HWND window) {
    ::ShowWindow(window, SW_RESTORE);
    PumpMessages(100);
}

void Click(CMarkupWindow& window, LPCWSTR name) {
    CControlUI* control = window.Find(name);
    ASSERT_NE(control, nullptr) << name;
    window.PaintManager().SendNotification(control, L"click");
}

}  // namespace

// ---- CWindowWnd -------------------------------------------------------------------------------

TEST(WindowWnd, CreatesTheWindowAndRoutesItsMessages) {
    CProbeWindow probe;
    HWND window = probe.Create(nullptr, L"probe", WS_POPUP, 0, 10, 10, 50, 40);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(probe.GetHWND(), window);
    EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&probe));
    EXPECT_EQ(probe.SendMessage(kMsgProbe), 42);
    EXPECT_TRUE(probe.PostMessage(kMsgProbe));
    PumpMessages(50);
    EXPECT_EQ(probe.probes, 2);

    CProbeWindow second;  // the class is registered already: that counts as success
    ASSERT_NE(second.Create(nullptr, L"second", WS_POPUP, 0), nullptr);

    ::DestroyWindow(window);
    EXPECT_EQ(probe.goneWindow, window);
    EXPECT_EQ(probe.GetHWND(), nullptr);
}

TEST(WindowWnd, SuperclassKeepsTheSystemBehaviour) {
    CProbeWindow probe(L"BUTTON");
    HWND window = probe.Create(nullptr, L"pressed text", WS_POPUP, 0, 0, 0, 80, 30);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::GetPropW(window, L"WndX"), static_cast<HANDLE>(&probe));
    EXPECT_EQ(probe.SendMessage(kMsgProbe), 42);
    wchar_t text[32] = {};
    ::GetWindowTextW(window, text, 32);
    EXPECT_STREQ(text, L"pressed text") << "other messages reach the button's own procedure";
    ::DestroyWindow(window);
    EXPECT_EQ(probe.goneWindow, window);
    EXPECT_EQ(::GetPropW(window, L"WndX"), nullptr);
}

TEST(WindowWnd, SubclassesAnExistingWindowUntilUnsubclassed) {
    const bxutil::CWindowHandle plain(::CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 40,
                                                        20, nullptr, nullptr,
                                                        ::GetModuleHandleW(nullptr), nullptr));
    const HWND window = plain.Get();
    ASSERT_NE(window, nullptr);
    const LONG_PTR original = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
    CProbeWindow probe;
    ASSERT_EQ(probe.Subclass(window), window);
    EXPECT_EQ(::SendMessageW(window, kMsgProbe, 0, 0), 42);
    probe.Unsubclass();
    EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), original);
    EXPECT_EQ(::SendMessageW(window, kMsgProbe, 0, 0), 0);
    EXPECT_EQ(probe.probes, 1);
}

TEST(WindowWnd, ModalLoopReturnsTheCloseResultAndPassesQuitOn) {
    CProbeWindow owner;
    ASSERT_NE(owner.Create(nullptr, L"owner", WS_POPUP, 0), nullptr);
    CProbeWindow dialog;
    dialog.owner = owner;
    ASSERT_NE(dialog.Create(owner, L"dialog", WS_POPUP, 0, 0, 0, 60, 40), nullptr);
    dialog.PostMessage(kMsgProbe);
    dialog.Close(7);
    EXPECT_EQ(dialog.RunModalLoop(), 7u);
    EXPECT_FALSE(dialog.ownerEnabledAtProbe) << "the owner is disabled while the loop runs";
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(dialog.GetHWND(), nullptr) << "the default procedure destroyed the closed window";

    CProbeWindow quitting;
    ASSERT_NE(quitting.Create(nullptr, L"quitting", WS_POPUP, 0, 0, 0, 60, 40), nullptr);
    ::PostQuitMessage(5);
    EXPECT_EQ(quitting.RunModalLoop(), 0u);
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "WM_QUIT is posted again";
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(WindowWnd, CenterWindowCentresOnTheOwnerOrTheWorkArea) {
    CProbeWindow alone;
    ASSERT_NE(alone.Create(nullptr, L"alone", WS_POPUP, 0, 0, 0, 300, 200), nullptr);
    alone.CenterWindow();
    const RECT work = WorkArea(alone);
    RECT rc = WindowRect(alone);
    EXPECT_EQ(rc.left, (work.left + work.right) / 2 - 150);
    EXPECT_EQ(rc.top, (work.top + work.bottom) / 2 - 100);
    EXPECT_EQ(rc.right - rc.left, 300) << "the size stays";

    CProbeWindow owner;
    ASSERT_NE(owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, 100, 100, 400, 300),
              nullptr);
    CProbeWindow owned;
    ASSERT_NE(owned.Create(owner, L"owned", WS_POPUP, 0, 0, 0, 100, 50), nullptr);
    owned.CenterWindow();
    rc = WindowRect(owned);
    EXPECT_EQ(rc.left, 250);
    EXPECT_EQ(rc.top, 225);

    ::SetWindowPos(owner, nullptr, work.left - 350, work.top - 250, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER);
    owned.CenterWindow();
    rc = WindowRect(owned);
    EXPECT_EQ(rc.left, work.left) << "kept inside the work area";
    EXPECT_EQ(rc.top, work.top);
}

TEST(WindowWnd, SetIconSetsTheBigAndTheSmallIcon) {
    CWindowManagerUI::SetModuleInstance(::GetModuleHandleW(nullptr));
    CProbeWindow probe;
    ASSERT_NE(probe.Create(nullptr, L"icon", WS_POPUP, 0), nullptr);
    probe.SetIcon(143);
    EXPECT_NE(probe.SendMessage(WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(probe.SendMessage(WM_GETICON, ICON_SMALL, 0), 0);
}

// ---- CNotifyPump ------------------------------------------------------------------------------

namespace {

class CBasePump : public CNotifyPump {
public:
    const TNotifyMap* NotifyMap() const override {
        static const TNotifyMapEntry entries[] = {
            NotifyEntry(L"timer", L"", &CBasePump::OnBaseTimer),
            NotifyEntry(L"click", L"", &CBasePump::OnBaseClick),
            TNotifyMapEntry{}};
        static const TNotifyMap map = {CNotifyPump::NotifyMap(), entries};
        return &map;
    }
    void OnBaseTimer(TNotifyMsg&) { calls.push_back(L"base timer"); }
    void OnBaseClick(TNotifyMsg&) { calls.push_back(L"base click"); }
    std::vector<std::wstring> calls;
};

class CDerivedPump : public CBasePump {
public:
    const TNotifyMap* NotifyMap() const override {
        static const TNotifyMapEntry entries[] = {
            NotifyEntry(L"click", L"okbtn", &CDerivedPump::OnOk),
            NotifyEntry(L"click", L"", &CDerivedPump::OnFirstAny),
            NotifyEntry(L"click", L"", &CDerivedPump::OnLastAny),
            NotifyEntry(L"valuechanged", L"", &CDerivedPump::OnValue),
            TNotifyMapEntry{}};
        static const TNotifyMap map = {CBasePump::NotifyMap(), entries};
        return &map;
    }
    void OnOk(TNotifyMsg&) { calls.push_back(L"ok"); }
    void OnFirstAny(TNotifyMsg&) { calls.push_back(L"first any"); }
    void OnLastAny(TNotifyMsg&) { calls.push_back(L"last any"); }
    void OnValue(WPARAM wParam, LPARAM lParam) {
        calls.push_back(L"value " + std::to_wstring(wParam) + L" " + std::to_wstring(lParam));
    }
};

TNotifyMsg Message(LPCWSTR type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0) {
    TNotifyMsg msg;
    msg.strType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

}  // namespace

TEST(NotifyPump, RoutesByTypeThenSenderThroughTheBaseMaps) {
    CControlUI ok, other;
    ok.SetName(L"okbtn");
    other.SetName(L"other");
    struct TCase {
        LPCWSTR type;
        CControlUI* sender;
        LPCWSTR expected;  // null: no handler
    } cases[] = {
        {L"click", &ok, L"ok"},           // the sender's own entry wins
        {L"click", &other, L"last any"},  // else the last entry for any control
        {L"click", nullptr, L"last any"},
        {L"timer", &ok, L"base timer"},   // a base map serves what the derived map lacks
        {L"Click", &ok, nullptr},         // types are case-sensitive
        {L"menu", &ok, nullptr},
    };
    for (const TCase& c : cases) {
        CDerivedPump pump;
        TNotifyMsg msg = Message(c.type, c.sender);
        EXPECT_EQ(pump.LoopDispatch(msg), c.expected != nullptr) << c.type;
        EXPECT_EQ(pump.calls, c.expected != nullptr ? std::vector<std::wstring>{c.expected}
                                                    : std::vector<std::wstring>{})
            << c.type;
    }
    CDerivedPump pump;
    TNotifyMsg value = Message(L"valuechanged", &ok, 7, -3);
    pump.NotifyPump(value);
    EXPECT_EQ(pump.calls, std::vector<std::wstring>{L"value 7 -3"})
        << "kind 1 takes wParam and lParam";
}

TEST(NotifyPump, VirtualWindowsAreAskedFirst) {
    CDerivedPump window;
    CBasePump panel;
    EXPECT_TRUE(window.AddVirtualWnd(L"Panel", &panel));
    EXPECT_FALSE(window.AddVirtualWnd(L"Panel", &panel));
    EXPECT_FALSE(window.AddVirtualWnd(L"", &panel));
    CControlUI sender;
    TNotifyMsg click = Message(L"click", &sender);
    click.strVirtualWnd = L"PANEL";
    window.NotifyPump(click);
    EXPECT_EQ(panel.calls, std::vector<std::wstring>{L"base click"});
    EXPECT_TRUE(window.calls.empty()) << "the virtual window handled it";

    TNotifyMsg unhandled = Message(L"valuechanged", &sender);
    unhandled.strVirtualWnd = L"panel";
    window.NotifyPump(unhandled);
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"value 0 0"})
        << "then the window's own maps";
    EXPECT_TRUE(window.RemoveVirtualWnd(L"Panel"));
    EXPECT_FALSE(window.RemoveVirtualWnd(L"Panel"));
}

// ---- WindowImplBase ---------------------------------------------------------------------------

namespace {

const wchar_t kCaptionSkin[] = LR"(<Window size="300,200" sizebox="4,5,6,7" caption="0,0,0,30">
  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="30">
      <Label name="title" float="true" pos="0,0,100,30"/><Button float="true" pos="100,0,140,30"/>
      <Text float="true" pos="140,0,180,30"/><Option float="true" pos="180,0,220,30"/>
      <CheckBox float="true" pos="220,0,260,30"/>
    </HorizontalLayout>
    <Control/>
  </VerticalLayout></Window>)";

LRESULT HitAt(HWND window, int x, int y) {
    const RECT rc = WindowRect(window);
    return ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y));
}

}  // namespace

TEST(WindowBase, CreationMakesAFramelessWindowOfTheSkinsSize) {
    CSkinScope scope;
    CMarkupWindow window(kCaptionSkin);
    ASSERT_TRUE(window.Create(nullptr, L"framed", WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE, 123, 77,
                              200, 150) != nullptr);
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_NE(style & WS_CLIPCHILDREN, 0);
    RECT client{};
    ::GetClientRect(window, &client);
    const RECT outer = WindowRect(window);
    EXPECT_EQ(client.right, 300) << "the whole window is client area";
    EXPECT_EQ(outer.right - outer.left, 300);
    EXPECT_EQ(outer.left, 123) << "dropping the frame does not move the window";
    EXPECT_EQ(outer.top, 77);
    EXPECT_NE(window.PaintManager().GetRoot(), nullptr);
    EXPECT_TRUE(window.PaintManager().IsCopyBackdrop());
    ::DestroyWindow(window);
    EXPECT_TRUE(window.gone);
    EXPECT_FALSE(window.PaintManager().RemoveNotifier(&window)) << "the window left its manager";
    EXPECT_FALSE(window.PaintManager().RemovePreMessageFilter(&window));
}

TEST(WindowBase, HitTestFollowsTheCaptionBandAndTheSizeBox) {
    CSkinScope scope;
    CMarkupWindow window(kCaptionSkin);
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE, 50, 60));
    PumpMessages();  // the first paint lays the tree out
    struct TCase {
        int x, y;
        LRESULT expected;
    } cases[] = {
        {1, 1, HTTOPLEFT},    {150, 4, HTTOP},        {294, 2, HTTOPRIGHT},
        {3, 100, HTLEFT},     {294, 100, HTRIGHT},    {293, 100, HTCLIENT},
        {150, 193, HTBOTTOM}, {2, 199, HTBOTTOMLEFT}, {299, 199, HTBOTTOMRIGHT},
        {150, 192, HTCLIENT}, {50, 15, HTCAPTION},    {120, 15, HTCLIENT},
        {160, 15, HTCLIENT},  {200, 15, HTCLIENT},    {240, 15, HTCAPTION},
        {280, 15, HTCAPTION}, {50, 30, HTCLIENT},     {50, 29, HTCAPTION},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(HitAt(window, c.x, c.y), c.expected) << "at " << c.x << "," << c.y;

    ::ShowWindow(window, SW_MAXIMIZE);
    PumpMessages();
    EXPECT_EQ(HitAt(window, 1, 10), HTCAPTION) << "a maximised window has no resize borders";
    RestoreBeforeDestroying(window);
}

TEST(WindowBase, SystemButtonsWorkByTheirNames) {
    CSkinScope scope;
    CMarkupWindow window(LR"(<Window size="300,200"><HorizontalLayout>
        <Button name="minbtn"/><Button name="maxbtn"/><Button name="restorebtn" visible="false"/>
        <Button name="CloseBtn"/><Button name="closebtn"/></HorizontalLayout></Window>)");
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    PumpMessages();
    Click(window, L"maxbtn");
    EXPECT_TRUE(::IsZoomed(window));
    EXPECT_FALSE(window.Find(L"maxbtn")->IsVisible());
    EXPECT_TRUE(window.Find(L"restorebtn")->IsVisible());
    Click(window, L"restorebtn");
    EXPECT_FALSE(::IsZoomed(window));
    EXPECT_TRUE(window.Find(L"maxbtn")->IsVisible());
    EXPECT_FALSE(window.Find(L"restorebtn")->IsVisible());
    Click(window, L"minbtn");
    EXPECT_TRUE(::IsIconic(window));
    ::ShowWindow(window, SW_RESTORE);

    PumpMessages(50);
    WPARAM result = 0;
    Click(window, L"CloseBtn");
    EXPECT_FALSE(TakePosted(window, WM_CLOSE, &result)) << "names are compared case-sensitively";
    Click(window, L"closebtn");
    ASSERT_TRUE(TakePosted(window, WM_CLOSE, &result));
    EXPECT_EQ(result, 1u);
}

TEST(WindowBase, MaximiseSwapsNothingWithoutBothButtons) {
    CSkinScope scope;
    CMarkupWindow window(L"<Window size=\"200,100\"><HorizontalLayout><Button name=\"maxbtn\"/>"
                         L"</HorizontalLayout></Window>");
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    ::SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(::IsZoomed(window));
    EXPECT_TRUE(window.Find(L"maxbtn")->IsVisible());
    RestoreBeforeDestroying(window);
}

TEST(WindowBase, SysCommandCloseClosesTheWindow) {
    CSkinScope scope;
    CMarkupWindow window(L"<Window size=\"200,100\"><Control/></Window>");
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    // Alt+F4 arrives as SC_CLOSE; the system may set the low four bits.
    ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE | 0x3, 0);
    EXPECT_TRUE(window.gone);
}

TEST(WindowBase, AnimatedHidingHidesTheShadowFirst) {
    CSkinScope scope;
    CMarkupWindow window(
        L"<Window size=\"200,100\" roundcorner=\"6,6\" showshadow=\"true\" shadowsize=\"4\">"
        L"<Control/></Window>");
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    PumpMessages();  // the shadow window comes with the first layout
    CShadowUI* shadow = window.PaintManager().WindowShadow();
    ASSERT_NE(shadow, nullptr);
    ASSERT_NE(shadow->GetHWND(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(shadow->GetHWND()));
    window.AnimateWindow(50, AW_HIDE | AW_BLEND);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_FALSE(shadow->IsShowShadow());
    EXPECT_FALSE(::IsWindowVisible(shadow->GetHWND()));
    window.AnimateWindow(50, AW_ACTIVATE | AW_BLEND);
    EXPECT_TRUE(::IsWindowVisible(window));
}

TEST(WindowBase, RoundCornersClipTheWindowAtEverySize) {
    CSkinScope scope;
    CMarkupWindow window(L"<Window size=\"200,100\" roundcorner=\"20,20\"><Control/></Window>");
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    const bxutil::CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetWindowRgn(window, region.Get()), COMPLEXREGION);
    EXPECT_FALSE(::PtInRegion(region.Get(), 0, 0));
    EXPECT_FALSE(::PtInRegion(region.Get(), 199, 99));
    EXPECT_TRUE(::PtInRegion(region.Get(), 100, 50));
    EXPECT_TRUE(::PtInRegion(region.Get(), 199, 50));

    ::SetWindowPos(window, nullptr, 0, 0, 300, 160, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(::GetWindowRgn(window, region.Get()), COMPLEXREGION);
    EXPECT_TRUE(::PtInRegion(region.Get(), 299, 80)) << "the region follows the new size";
    EXPECT_FALSE(::PtInRegion(region.Get(), 299, 159));

    CMarkupWindow square(L"<Window size=\"200,100\"><Control/></Window>");
    ASSERT_TRUE(square.Open(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(::GetWindowRgn(square, region.Get()), ERROR) << "no roundcorner, no region";
}

namespace {

class COkWindow : public CMarkupWindow {
public:
    using CMarkupWindow::CMarkupWindow;
    const TNotifyMap* NotifyMap() const override {
        static const TNotifyMapEntry entries[] = {NotifyEntry(L"click", L"okbtn", &COkWindow::OnOk),
                                                  TNotifyMapEntry{}};
        static const TNotifyMap map = {WindowImplBase::NotifyMap(), entries};
        return &map;
    }
    LRESULT DefaultKeyAnswer(WPARAM key) override {
        keys.push_back(key);
        return WindowImplBase::DefaultKeyAnswer(key);
    }
    void OnOk(TNotifyMsg&) { ++oks; }
    int oks = 0;
    std::vector<WPARAM> keys;
};

}  // namespace

TEST(WindowBase, NotificationsReachTheDerivedAndTheBaseMaps) {
    CSkinScope scope;
    COkWindow window(L"<Window size=\"200,100\"><HorizontalLayout><Button name=\"okbtn\"/>"
                     L"<Button name=\"closebtn\"/></HorizontalLayout></Window>");
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    PumpMessages();
    Click(window, L"okbtn");
    EXPECT_EQ(window.oks, 1);
    WPARAM result = 0;
    EXPECT_FALSE(TakePosted(window, WM_CLOSE, &result));
    Click(window, L"closebtn");
    EXPECT_TRUE(TakePosted(window, WM_CLOSE, &result)) << "the base map still serves the rest";

    ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(window, WM_KEYDOWN, 'A', 0);
    PumpMessages(100);
    EXPECT_EQ(window.keys, (std::vector<WPARAM>{VK_ESCAPE, VK_RETURN}));
    EXPECT_NE(window.GetHWND(), nullptr) << "the base answer changes nothing";
}

TEST(WindowBase, AMissingSkinPackageLeavesAnEmptyWindow) {
    class CNoPackageWindow : public CMarkupWindow {
    public:
        using CMarkupWindow::CMarkupWindow;
        UINT SkinSourceKind() const override { return kSkinFromZipResource; }
        LPCWSTR SkinResourceId() const override { return MAKEINTRESOURCEW(4321); }
    };
    CSkinScope scope;
    CWindowManagerUI::SetModuleInstance(::GetModuleHandleW(nullptr));
    CNoPackageWindow window(L"<Window><Control/></Window>");
    ASSERT_TRUE(window.Open(WS_POPUP));
    EXPECT_EQ(window.PaintManager().GetRoot(), nullptr);
    EXPECT_TRUE(window.notifications.empty());
}
