// The ActiveX host and the web browser: the project's test control (vexo_test_control.dll,
// registered for the current user) created by CLSID and by ProgID, painted where the host is,
// following layout and visibility, handed out by GetControl and closed without a reference left
// whichever of control, window or tree goes first; classes that cannot be made; the browser
// under Wine, with or without its HTML engine.

#include <gtest/gtest.h>

#include <exdisp.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/ComHolders.h"
#include "support/UniqueHandle.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "tests/ui/controls/test_control/TestControlApi.h"
#include "ui/controls/ActiveXClasses.h"
#include "ui/controls/ActiveXUI.h"
#include "ui/controls/WebBrowserUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/window/DialogBuilder.h"

namespace {

using control_test::CTestWindow;
using SkinUI::CActiveXSite;
using SkinUI::CActiveXUI;
using SkinUI::CContainerUI;
using SkinUI::CControlUI;
using SkinUI::CWebBrowserUI;
using test_control::TStats;

// A class nobody registered.
constexpr CLSID kUnregistered = {0x0b8f3e2a, 0x6c7d, 0x4e11, {0x9a, 0x55, 0x2f, 0x0c, 0x1d, 0x3e, 0x4b, 0x5a}};
constexpr const wchar_t* kUnregisteredText = L"{0B8F3E2A-6C7D-4E11-9A55-2F0C1D3E4B5A}";

// The classes this program's hosts may make: the test control's, the browser, and the class
// nobody registered (so that its failure is the registration's).
void AllowTestClasses() {
    SkinUI::SetAllowedActiveXClasses({test_control::kClsidControl, test_control::kClsidWindowed,
                                      test_control::kClsidFailing, SkinUI::kWebBrowserClass, kUnregistered});
}

// The test program's thread is a single-threaded apartment, as a message loop's owner makes it.
class CComEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_apartment = std::make_unique<bxutil::COleApartment>();
        AllowTestClasses();
    }
    void TearDown() override { m_apartment.reset(); }

private:
    std::unique_ptr<bxutil::COleApartment> m_apartment;
};
::testing::Environment* const kCom = ::testing::AddGlobalTestEnvironment(new CComEnvironment);

// The test control's DLL, loaded from beside the test program and registered for the user.
class CTestControlDll {
public:
    static CTestControlDll& Get() {
        static CTestControlDll dll;
        return dll;
    }
    bool Ready() const { return m_stats != nullptr && m_registered; }
    TStats Stats() const {
        TStats stats{};
        m_stats(&stats);
        return stats;
    }
    void ResetCalls() const { m_resetCalls(); }

private:
    CTestControlDll() : m_module(::LoadLibraryW(test_control::kDllName)) {
        if (!m_module) return;
        using RegisterProc = HRESULT(STDAPICALLTYPE*)();
        auto registerServer = reinterpret_cast<RegisterProc>(
            reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), "DllRegisterServer")));
        m_registered = registerServer != nullptr && SUCCEEDED(registerServer());
        m_stats = reinterpret_cast<test_control::StatsProc>(reinterpret_cast<void*>(
            ::GetProcAddress(m_module.Get(), test_control::kStatsExport)));
        m_resetCalls = reinterpret_cast<test_control::ResetCallsProc>(reinterpret_cast<void*>(
            ::GetProcAddress(m_module.Get(), test_control::kResetCallsExport)));
    }

    bxutil::CModuleHandle m_module;
    bool m_registered = false;
    test_control::StatsProc m_stats = nullptr;
    test_control::ResetCallsProc m_resetCalls = nullptr;
};

// The canvas word (0x00RRGGBB) of a COLORREF (0x00BBGGRR).
DWORD CanvasRgb(COLORREF colour) {
    return (static_cast<DWORD>(GetRValue(colour)) << 16) |
           (static_cast<DWORD>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// Where a window is, in its parent's client coordinates.
RECT RectInParent(HWND window) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool HasVisibleStyle(HWND window) {
    return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Runs the thread's messages for a while; those of the manager's window (its timers) reach the
// manager, as the window base's procedure hands them on.
void PumpMessages(DWORD milliseconds, SkinUI::CWindowManagerUI* manager = nullptr) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            LRESULT result = 0;
            if (manager != nullptr && msg.hwnd == manager->GetPaintWindow() &&
                manager->HandleWindowMessage(msg.message, msg.wParam, msg.lParam, result))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    } while (::GetTickCount() - start < milliseconds);
}

class ActiveXTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CTestControlDll::Get().Ready())
            << "vexo_test_control.dll is beside the test program and registers itself";
        CTestControlDll::Get().ResetCalls();
    }

    // A host of the class, attached to the test window and placed at rc (which creates it).
    std::unique_ptr<CActiveXUI> Host(const wchar_t* clsid, const RECT& rc) {
        auto host = std::make_unique<CActiveXUI>();
        host->SetName(L"host");
        host->SetClsid(clsid);
        m_window.Adopt(host, rc);
        return host;
    }

    // Every control closed, every reference given back, every site gone.
    static void ExpectAllReleased(const char* when) {
        const TStats stats = CTestControlDll::Get().Stats();
        EXPECT_EQ(stats.liveObjects, 0) << when;
        EXPECT_EQ(stats.references, 0) << when;
        EXPECT_EQ(CActiveXSite::LiveCount(), 0) << when;
    }

    static std::wstring Calls() { return CTestControlDll::Get().Stats().calls; }

    CTestWindow m_window;
};

// ---- Creation ---------------------------------------------------------------------------------

struct TCreateCase {
    const wchar_t* clsid;
    const CLSID* expected;
    bool windowless;
};

TEST_F(ActiveXTest, CreatedByClsidOrProgIdAndActivatedInPlace) {
    const TCreateCase cases[] = {
        {test_control::kClsidControlText, &test_control::kClsidControl, true},
        {test_control::kProgIdControl, &test_control::kClsidControl, true},
        {test_control::kProgIdWindowed, &test_control::kClsidWindowed, false},
    };
    for (const TCreateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.clsid).c_str());
        m_window.Recorder().Clear();
        auto host = Host(c.clsid, RECT{10, 10, 110, 60});
        ASSERT_TRUE(host->IsCreated());
        EXPECT_EQ(host->LastResult(), S_OK);
        EXPECT_EQ(host->IsWindowless(), c.windowless);
        EXPECT_EQ(host->ControlWindow() != nullptr, !c.windowless);
        EXPECT_EQ(m_window.Recorder().Count(L"showactivex", host.get()), 1);
        EXPECT_EQ(m_window.Recorder().Seen().back().wParam, SkinUI::ResultParam(S_OK));
        const TStats stats = CTestControlDll::Get().Stats();
        EXPECT_EQ(stats.liveObjects, 1);
        EXPECT_EQ(stats.windowless, c.windowless ? 1 : 0);
        EXPECT_EQ(stats.userMode, 1) << "the site answers the ambient USERMODE";
        // The site before initialisation when the control asks for it, then activation.
        EXPECT_NE(Calls().find(L"GetMiscStatus SetClientSite DoVerb"), std::wstring::npos)
            << std::string(Calls().begin(), Calls().end());
        EXPECT_TRUE(IsEqualCLSID(host->Clsid(), *c.expected));
        // Placed again: no second control.
        host->Place(RECT{10, 10, 120, 70});
        EXPECT_EQ(CTestControlDll::Get().Stats().created - stats.created, 0);
        CTestControlDll::Get().ResetCalls();
    }
    ExpectAllReleased("after the hosts went");
}

TEST_F(ActiveXTest, MarkupBuildsBothHostsByName) {
    SkinUI::CLayoutBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(
        L"<Window><HorizontalLayout><ActiveX name=\"x\" clsid=\"Vexo.TestControl\"/>"
        L"<WebBrowser name=\"w\" homepage=\"about:blank\" autonavi=\"true\"/>"
        L"</HorizontalLayout></Window>",
        nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(root, nullptr);
    auto* row = static_cast<CContainerUI*>(root->InterfaceByName(L"Container"));
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->Count(), 2);
    auto* activeX = static_cast<CActiveXUI*>(row->ItemAt(0)->InterfaceByName(L"ActiveX"));
    auto* browser = static_cast<CWebBrowserUI*>(row->ItemAt(1)->InterfaceByName(L"WebBrowser"));
    ASSERT_NE(activeX, nullptr);
    ASSERT_NE(browser, nullptr);
    EXPECT_STREQ(activeX->ClassName(), L"ActiveXUI");
    EXPECT_STREQ(browser->ClassName(), L"WebBrowserUI");
    EXPECT_TRUE(IsEqualCLSID(activeX->Clsid(), test_control::kClsidControl));
    EXPECT_STREQ(activeX->QueryAttribute(L"clsid"), L"Vexo.TestControl");
    EXPECT_STREQ(browser->QueryAttribute(L"homepage"), L"about:blank");
    EXPECT_STREQ(browser->QueryAttribute(L"autonavi"), L"true");
    // Nothing is made before the tree is in a window.
    EXPECT_FALSE(activeX->IsCreated());
    EXPECT_EQ(CTestControlDll::Get().Stats().liveObjects, 0);
}

// ---- Painting, layout, visibility ------------------------------------------------------------

TEST_F(ActiveXTest, WindowlessControlPaintsItsPictureAtTheHostsRectangle) {
    auto host = Host(test_control::kProgIdControl, RECT{20, 10, 120, 70});
    ASSERT_TRUE(host->IsWindowless());
    const RECT places[] = {{20, 10, 120, 70}, {60, 30, 140, 90}};
    for (const RECT& rc : places) {
        host->Place(rc);
        auto canvas = control_test::PaintOnCanvas(*host, 200, 120);
        control_test::SaveArtifact(*canvas, L"activex_windowless.png");
        const LONG qx = SkinUI::RectWidth(rc) / 4, qy = SkinUI::RectHeight(rc) / 4;
        EXPECT_EQ(canvas->Rgb(rc.left + qx, rc.top + qy), CanvasRgb(test_control::kTopLeft));
        EXPECT_EQ(canvas->Rgb(rc.right - qx, rc.top + qy), CanvasRgb(test_control::kTopRight));
        EXPECT_EQ(canvas->Rgb(rc.left + qx, rc.bottom - qy), CanvasRgb(test_control::kBottomLeft));
        EXPECT_EQ(canvas->Rgb(rc.right - qx, rc.bottom - qy),
                  CanvasRgb(test_control::kBottomRight));
        // Nothing outside the rectangle.
        EXPECT_EQ(canvas->Rgb(rc.left - 1, rc.top - 1), 0xFFFFFFu);
        EXPECT_EQ(canvas->Rgb(rc.right, rc.bottom), 0xFFFFFFu);
        const TStats stats = CTestControlDll::Get().Stats();
        EXPECT_TRUE(SkinUI::RectEquals(stats.lastDrawBounds, rc));
        EXPECT_TRUE(SkinUI::RectEquals(stats.lastPosRect, rc)) << "SetObjectRects follows";
    }
    // The mouse reaches a windowless control through the host.
    const LONG before = CTestControlDll::Get().Stats().mouseMessages;
    control_test::Click(*host, control_test::Centre(host->Rect()));
    EXPECT_EQ(CTestControlDll::Get().Stats().mouseMessages - before, 2);
}

TEST_F(ActiveXTest, WindowedControlFollowsLayoutClippingAndVisibility) {
    auto parentOwner = std::make_unique<CContainerUI>();
    CContainerUI* parent = m_window.Adopt(parentOwner, RECT{0, 0, 300, 200});
    auto* host = new CActiveXUI;
    host->SetClsid(test_control::kProgIdWindowed);
    ASSERT_TRUE(parent->Append(host));
    host->Place(RECT{30, 40, 130, 100});
    ASSERT_TRUE(host->IsCreated());
    HWND frame = host->HostWindow();
    HWND control = host->ControlWindow();
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(::GetParent(control), frame);
    EXPECT_EQ(::GetParent(frame), m_window.Manager().GetPaintWindow());

    struct TStep {
        RECT place;
        RECT frame;    // the host window in the skinned window
        RECT control;  // the control's window in the host window
    };
    const TStep steps[] = {
        {{30, 40, 130, 100}, {30, 40, 130, 100}, {0, 0, 100, 60}},
        {{150, 20, 230, 90}, {150, 20, 230, 90}, {0, 0, 80, 70}},
        // Partly outside the parent: the host window shows the part inside; the control keeps
        // its size and moves up and left in it.
        {{-20, 170, 80, 230}, {0, 170, 80, 200}, {-20, 0, 80, 60}},
    };
    for (const TStep& step : steps) {
        host->Place(step.place);
        EXPECT_TRUE(SkinUI::RectEquals(RectInParent(frame), step.frame));
        EXPECT_TRUE(SkinUI::RectEquals(RectInParent(control), step.control));
        EXPECT_TRUE(HasVisibleStyle(frame));
    }
    // Outside the parent altogether: hidden.
    host->Place(RECT{400, 400, 450, 450});
    EXPECT_FALSE(HasVisibleStyle(frame));
    host->Place(RECT{30, 40, 130, 100});
    EXPECT_TRUE(HasVisibleStyle(frame));

    host->SetVisible(false);
    EXPECT_FALSE(HasVisibleStyle(frame));
    host->SetVisible(true);
    EXPECT_TRUE(HasVisibleStyle(frame));
    parent->SetVisible(false);  // the parent hides its children
    EXPECT_FALSE(HasVisibleStyle(frame));
    parent->SetVisible(true);
    EXPECT_TRUE(HasVisibleStyle(frame));

    // Keys typed in the control's window go to the control before the skinned window's own
    // handling; keys elsewhere do not reach it.
    MSG tab{control, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    MSG letter{control, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    MSG elsewhere{m_window.Manager().GetPaintWindow(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    CTestControlDll::Get().ResetCalls();
    EXPECT_TRUE(m_window.Manager().TranslateAccelerator(&tab)) << "the control keeps Tab";
    EXPECT_FALSE(m_window.Manager().TranslateAccelerator(&letter));
    EXPECT_EQ(Calls(), L"TranslateAccelerator TranslateAccelerator");
    EXPECT_FALSE(m_window.Manager().TranslateAccelerator(&elsewhere));
    EXPECT_EQ(Calls(), L"TranslateAccelerator TranslateAccelerator");

    // Disabled, the control's window gets no input.
    host->SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(frame));
    host->SetEnabled(true);
    EXPECT_TRUE(::IsWindowEnabled(frame));
}

// ---- GetControl -------------------------------------------------------------------------------

TEST_F(ActiveXTest, GetControlHandsOutTheControlsInterfacesCounted) {
    auto empty = std::make_unique<CActiveXUI>();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(empty->GetControl(IID_IOleObject, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    auto host = Host(test_control::kProgIdControl, RECT{0, 0, 50, 50});
    const LONG held = CTestControlDll::Get().Stats().references;
    {
        bxutil::CComRef<IViewObject> view;
        ASSERT_EQ(host->GetControl(IID_IViewObject, view.ReceiveVoid()), S_OK);
        ASSERT_TRUE(view);
        EXPECT_EQ(CTestControlDll::Get().Stats().references, held + 1);
        bxutil::CComRef<IWebBrowser2> browser;
        EXPECT_EQ(host->GetControl(IID_IWebBrowser2, browser.ReceiveVoid()), E_NOINTERFACE);
        EXPECT_FALSE(browser);
    }
    EXPECT_EQ(CTestControlDll::Get().Stats().references, held);
}

// ---- Tearing down in every order -------------------------------------------------------------

enum class EFirst { kControl, kWindow, kTree };

struct TTeardownCase {
    const char* what;
    const wchar_t* clsid;
    EFirst first;
};

TEST(ActiveXTeardown, NoReferenceLeftWhicheverGoesFirst) {
    ASSERT_TRUE(CTestControlDll::Get().Ready());
    const TTeardownCase cases[] = {
        {"windowless, control first", test_control::kProgIdControl, EFirst::kControl},
        {"windowless, window first", test_control::kProgIdControl, EFirst::kWindow},
        {"windowless, tree first", test_control::kProgIdControl, EFirst::kTree},
        {"windowed, control first", test_control::kProgIdWindowed, EFirst::kControl},
        {"windowed, window first", test_control::kProgIdWindowed, EFirst::kWindow},
        {"windowed, tree first", test_control::kProgIdWindowed, EFirst::kTree},
    };
    for (const TTeardownCase& c : cases) {
        SCOPED_TRACE(c.what);
        CTestControlDll::Get().ResetCalls();
        auto window = std::make_unique<CTestWindow>();
        auto tree = std::make_unique<CContainerUI>();
        window->Adopt(tree, RECT{0, 0, 200, 100});
        // Control first: a host of its own, deleted while the window and the tree live on.
        std::unique_ptr<CActiveXUI> alone;
        CActiveXUI* host = new CActiveXUI;
        if (c.first == EFirst::kControl) {
            alone.reset(host);
            window->Adopt(alone, RECT{10, 10, 110, 60});
        } else {
            ASSERT_TRUE(tree->Append(host));
        }
        host->SetClsid(c.clsid);
        host->Place(RECT{10, 10, 110, 60});
        ASSERT_TRUE(host->IsCreated());
        HWND frame = host->HostWindow();

        switch (c.first) {
        case EFirst::kControl:
            alone.reset();
            break;
        case EFirst::kWindow:
            ::DestroyWindow(window->Manager().GetPaintWindow());
            // The control is closed with the window, the host stays, empty.
            EXPECT_FALSE(host->IsCreated());
            EXPECT_EQ(host->HostWindow(), nullptr);
            break;
        case EFirst::kTree:
            tree.reset();
            break;
        }
        const TStats stats = CTestControlDll::Get().Stats();
        EXPECT_EQ(stats.liveObjects, 0);
        EXPECT_EQ(stats.references, 0);
        EXPECT_EQ(CActiveXSite::LiveCount(), 0);
        EXPECT_NE(std::wstring(stats.calls).find(L"InPlaceDeactivate"), std::wstring::npos);
        EXPECT_NE(std::wstring(stats.calls).find(L"SetClientSite(null)"), std::wstring::npos);
        if (frame != nullptr) {
            EXPECT_FALSE(::IsWindow(frame)) << "no host window left";
        }
        // What is left goes without touching the closed control.
        tree.reset();
        window.reset();
    }
}

// ---- Failures ----------------------------------------------------------------------------------

struct TFailureCase {
    const wchar_t* clsid;
    HRESULT expected;  // S_OK: any failure
};

TEST_F(ActiveXTest, ClassesThatCannotBeMadeLeaveAnEmptyControlAndTellWhy) {
    const TFailureCase cases[] = {
        {kUnregisteredText, REGDB_E_CLASSNOTREG},  // not registered
        {L"Vexo.NoSuchControl", S_OK},                                     // no such ProgID
        {L"{not a guid", S_OK},
        {test_control::kProgIdFailing, E_FAIL},  // made, but refuses to activate
    };
    for (const TFailureCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.clsid).c_str());
        m_window.Recorder().Clear();
        auto host = Host(c.clsid, RECT{10, 10, 110, 60});
        EXPECT_FALSE(host->IsCreated());
        EXPECT_TRUE(FAILED(host->LastResult()));
        if (c.expected != S_OK) {
            EXPECT_EQ(host->LastResult(), c.expected);
        }
        EXPECT_EQ(host->HostWindow(), nullptr);
        ASSERT_EQ(m_window.Recorder().Count(L"showactivex", host.get()), 1);
        EXPECT_EQ(m_window.Recorder().Seen().back().wParam,
                  SkinUI::ResultParam(host->LastResult()));
        // The empty control paints its own decoration only, and no retry comes per layout.
        host->SetBackColor(0xFF808080);
        auto canvas = control_test::PaintOnCanvas(*host, 120, 70);
        EXPECT_EQ(canvas->Rgb(60, 35), 0x808080u);
        host->Place(RECT{10, 10, 110, 61});
        EXPECT_EQ(m_window.Recorder().Count(L"showactivex", host.get()), 1);
    }
    ExpectAllReleased("after the failed controls");
}

// A skin names any class it likes; only those the program allows are made. The others fail as a
// class that is not registered does, without their server being loaded or asked for an object.
TEST_F(ActiveXTest, OnlyClassesTheProgramAllowsAreMade) {
    const struct {
        const wchar_t* clsid;
        std::vector<CLSID> allowed;
        bool made;
    } cases[] = {
        {L"WScript.Shell", {test_control::kClsidControl, SkinUI::kWebBrowserClass}, false},
        {test_control::kProgIdControl, {}, false},  // the installer allows none
        {test_control::kClsidControlText, {test_control::kClsidWindowed}, false},
        {test_control::kProgIdControl, {test_control::kClsidControl}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.clsid).c_str());
        SkinUI::SetAllowedActiveXClasses(c.allowed);
        m_window.Recorder().Clear();
        const LONG createdBefore = CTestControlDll::Get().Stats().created;
        auto host = Host(c.clsid, RECT{10, 10, 110, 60});
        EXPECT_EQ(host->IsCreated(), c.made);
        EXPECT_EQ(host->LastResult(), c.made ? S_OK : E_ACCESSDENIED);
        ASSERT_EQ(m_window.Recorder().Count(L"showactivex", host.get()), 1);
        EXPECT_EQ(m_window.Recorder().Seen().back().wParam, SkinUI::ResultParam(host->LastResult()));
        EXPECT_EQ(CTestControlDll::Get().Stats().created - createdBefore, c.made ? 1 : 0);
    }
    EXPECT_EQ(::GetModuleHandleW(L"wshom.ocx"), nullptr) << "the shell object's server was never loaded";
    AllowTestClasses();
    ExpectAllReleased("after the hosts went");
}

// A class registered for the user with a server path that is not fully qualified: the host
// refuses it rather than have the loader search for it (the test control's DLL beside the
// program would be found, and would answer that it does not serve the class).
TEST_F(ActiveXTest, ServerRegisteredWithoutAFullPathIsNeverSearchedFor) {
    const std::wstring clsid = L"{5E1D2C3B-4A59-4F68-8E7D-9C0B1A2F3E4D}";
    struct TUserClass {
        std::wstring key;
        ~TUserClass() { ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()); }
    } userClass{L"Software\\Classes\\CLSID\\" + clsid};
    HKEY created = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (userClass.key + L"\\InprocServer32").c_str(),
                                0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const bxutil::CRegistryKey server(created);
    const std::pair<const wchar_t*, std::wstring> values[] = {
        {nullptr, test_control::kDllName}, {L"ThreadingModel", L"Apartment"}};
    for (const auto& [name, value] : values) {
        ASSERT_EQ(::RegSetValueExW(server.Get(), name, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    CLSID classId{};
    ASSERT_EQ(::CLSIDFromString(clsid.c_str(), &classId), S_OK);
    SkinUI::SetAllowedActiveXClasses({classId});
    auto host = Host(clsid.c_str(), RECT{10, 10, 110, 60});
    AllowTestClasses();
    EXPECT_FALSE(host->IsCreated());
    EXPECT_EQ(host->LastResult(), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
}

// A thread that never set COM up gets the empty control and the notification, not a crash.
TEST(ActiveXWithoutCom, EmptyControlAndNotification) {
    ASSERT_TRUE(CTestControlDll::Get().Ready());
    HRESULT result = S_OK;
    int notified = 0;
    bool created = true;
    std::thread worker([&] {
        CTestWindow window;
        auto host = std::make_unique<CActiveXUI>();
        host->SetClsid(test_control::kClsidControlText);
        window.Adopt(host, RECT{0, 0, 50, 50});
        created = host->IsCreated();
        result = host->LastResult();
        notified = window.Recorder().Count(L"showactivex", host.get());
    });
    worker.join();
    EXPECT_FALSE(created);
    EXPECT_EQ(result, CO_E_NOTINITIALIZED);
    EXPECT_EQ(notified, 1);
}

// ---- The browser ------------------------------------------------------------------------------

// Dark pixels of the message text inside rc.
int TextPixels(const RenderTest::CCanvas& canvas, const RECT& rc) {
    int count = 0;
    for (LONG y = rc.top; y < rc.bottom; ++y)
        for (LONG x = rc.left; x < rc.right; ++x)
            if ((canvas.Rgb(x, y) & 0xFF) < 0x90) ++count;
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM data) {
    ++*reinterpret_cast<int*>(data);
    return TRUE;
}

BOOL CALLBACK CountWithChildren(HWND window, LPARAM data) {
    CountChild(window, data);
    ::EnumChildWindows(window, &CountChild, data);
    return TRUE;
}

// The windows of this thread (top-level and their children), counted.
int ThreadWindows() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWithChildren,
                        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(WebBrowser, NavigatesALocalFileOrShowsItsMessageAndSendsNavigateError) {
    const int windowsBefore = ThreadWindows();
    {
        CTestWindow window;
        wchar_t page[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, page);
        wcscat(page, L"vexo_browser_page.html");
        {
            FILE* file = _wfopen(page, L"w");
            ASSERT_NE(file, nullptr);
            fputs("<html><body><h1>Vexo</h1></body></html>", file);
            fclose(file);
        }
        auto browser = std::make_unique<CWebBrowserUI>();
        browser->AllowScheme(L"file");
        browser->SetHomePage((std::wstring(L"file:///") + page).c_str());
        browser->SetAutoNavigate(true);
        const RECT rc{0, 0, 360, 160};
        window.Adopt(browser, rc);
        auto& seen = window.Recorder();
        const DWORD deadline = ::GetTickCount() + CWebBrowserUI::kEngineDeadlineMs + 5000;
        while (seen.Count(L"navigateerror") == 0 && seen.Count(L"documentcomplete") == 0 &&
               ::GetTickCount() < deadline)
            PumpMessages(50);

        if (browser->IsEngineMissing()) {
            // No engine (Wine without its HTML engine): the message, once, and no browser left.
            EXPECT_EQ(seen.Count(L"navigateerror", browser.get()), 1);
            EXPECT_EQ(seen.Count(L"documentcomplete"), 0);
            EXPECT_FALSE(browser->IsCreated());
            EXPECT_EQ(browser->HostWindow(), nullptr);
            auto canvas = control_test::PaintOnCanvas(*browser, 360, 160);
            control_test::SaveArtifact(*canvas, L"webbrowser_message.png");
            EXPECT_GT(TextPixels(*canvas, rc), 200) << "the message is drawn";
            PumpMessages(200, &window.Manager());
            EXPECT_EQ(seen.Count(L"navigateerror", browser.get()), 1) << "sent once";
        } else {
            EXPECT_GE(seen.Count(L"documentcomplete", browser.get()), 1);
            EXPECT_TRUE(browser->IsCreated());
        }
        browser.reset();
        EXPECT_EQ(CActiveXSite::LiveCount(), 0);
        ::DeleteFileW(page);
    }
    PumpMessages(100);
    EXPECT_EQ(ThreadWindows(), windowsBefore) << "no window of the browser is left";
}

// The browser's events as its sink hands them on (driven by hand here, with no browser made):
// each one a notification, the owner's handler consulted, new windows refused unless the
// handler allows them, and a navigation that fails for want of the engine's classes taken as
// the engine missing.
class CRecordingHandler : public SkinUI::IWebBrowserEventHandler {
public:
    void BeforeNavigate(CWebBrowserUI&, LPCWSTR url, bool& cancel) override {
        last = url;
        cancel = cancelNavigation;
    }
    bool AllowNewWindow(CWebBrowserUI&, LPCWSTR url) override {
        last = url;
        return allowNewWindows;
    }
    std::wstring last;
    bool cancelNavigation = false;
    bool allowNewWindows = false;
};

// The browser goes only to http and https addresses (and the empty page) unless its owner allows
// more: any other navigation is cancelled before it starts, whatever the owner's handler says,
// and a new window for it is refused.
TEST(WebBrowser, GoesOnlyToTheAddressesItsOwnerAllows) {
    CTestWindow window;
    auto browser = std::make_unique<CWebBrowserUI>();
    browser->SetClsid(L"");  // the events are driven by hand
    window.Adopt(browser, RECT{0, 0, 200, 100});
    CRecordingHandler handler;
    handler.allowNewWindows = true;
    browser->SetEventHandler(&handler);
    const struct {
        const wchar_t* url;
        bool allowed;            // as the browser starts
        bool allowedWithFile;    // after AllowScheme(L"file")
    } cases[] = {
        {L"https://vexo.example/page?x=1", true, true},
        {L"HTTP://vexo.example/", true, true},
        {L"about:blank", true, true},
        {L"ABOUT:BLANK", true, true},
        {L"about:<script>alert(1)</script>", false, false},
        {L"file:///C:/Users/Public/secret.txt", false, true},
        {L"FILE://server/share/x.html", false, true},
        {L"javascript:alert(1)", false, false},
        {L"JavaScript:alert(1)", false, false},
        {L" javascript:alert(1)", false, false},  // the browser drops blanks before a scheme
        {L"java\tscript:alert(1)", false, false},  // and tabs inside one
        {L"vbscript:msgbox(1)", false, false},
        {L"res://ieframe.dll/", false, false},
        {L"mk:@MSITStore:x.chm::/a.htm", false, false},
        {L"ms-settings:", false, false},
        {L"\\\\server\\share\\x.html", false, false},  // no scheme: a path
        {L"C:\\Users\\x.html", false, false},
        {L"vexo.example/page", false, false},
        {L"https//vexo.example", false, false},
        {L"", false, false},
    };
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) browser->AllowScheme(L"FILE");
        for (const auto& c : cases) {
            const bool allowed = pass == 0 ? c.allowed : c.allowedWithFile;
            SCOPED_TRACE(testing::Message() << "pass " << pass << " " << std::wstring(c.url).c_str());
            EXPECT_EQ(browser->IsAddressAllowed(c.url), allowed);
            handler.last.clear();
            bool cancel = false;
            browser->OnBeforeNavigate(c.url, cancel);
            EXPECT_EQ(cancel, !allowed);
            EXPECT_EQ(handler.last.empty(), !allowed) << "the handler hears only allowed addresses";
            EXPECT_EQ(browser->OnNewWindow(c.url), allowed);
        }
    }
}

TEST(WebBrowser, EventsBecomeNotificationsAndFollowTheHandler) {
    CTestWindow window;
    auto browser = std::make_unique<CWebBrowserUI>();
    browser->SetClsid(L"");
    window.Adopt(browser, RECT{0, 0, 200, 100});
    auto& seen = window.Recorder();
    bool cancel = false;  // as the sink hands it over

    browser->OnBeforeNavigate(L"https://a.example/", cancel);
    EXPECT_FALSE(cancel) << "without a handler a navigation goes on";
    EXPECT_FALSE(browser->OnNewWindow(L"https://popup.example/")) << "refused by default";
    CRecordingHandler handler;
    browser->SetEventHandler(&handler);
    handler.cancelNavigation = true;
    browser->OnBeforeNavigate(L"https://b.example/", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(handler.last, L"https://b.example/");
    handler.allowNewWindows = true;
    EXPECT_TRUE(browser->OnNewWindow(L"https://popup.example/"));
    browser->OnNavigateComplete(L"https://b.example/");
    browser->OnDocumentComplete(L"https://b.example/");
    browser->OnNavigateError(L"https://c.example/", 404, cancel);

    EXPECT_EQ(seen.Count(L"beforenavigate", browser.get()), 2);
    EXPECT_EQ(seen.Count(L"newwindow", browser.get()), 2);
    EXPECT_EQ(seen.Count(L"navigatecomplete", browser.get()), 1);
    EXPECT_EQ(seen.Count(L"documentcomplete", browser.get()), 1);
    ASSERT_EQ(seen.Count(L"navigateerror", browser.get()), 1);
    EXPECT_EQ(seen.Seen().back().wParam, 404u) << "the status of a page that failed";
    EXPECT_FALSE(browser->IsEngineMissing());

    // The engine's own classes missing: the one "navigateerror" comes from the message loop,
    // with the message.
    seen.Clear();
    cancel = false;
    browser->OnNavigateError(L"file:///page.html", REGDB_E_CLASSNOTREG, cancel);
    EXPECT_TRUE(cancel) << "no error page of the browser's own";
    EXPECT_EQ(seen.Count(L"navigateerror"), 0);
    PumpMessages(300, &window.Manager());
    EXPECT_TRUE(browser->IsEngineMissing());
    ASSERT_EQ(seen.Count(L"navigateerror", browser.get()), 1);
    EXPECT_EQ(seen.Seen().back().wParam, SkinUI::ResultParam(REGDB_E_CLASSNOTREG));
    auto canvas = control_test::PaintOnCanvas(*browser, 200, 100);
    EXPECT_GT(TextPixels(*canvas, browser->Rect()), 100) << "the message is drawn";
}

}  // namespace
