// Edits and date pickers: their attributes, the text going between the control and its native
// EDIT, settings reaching the EDIT, the native window ending with editing and with the control,
// notifications in order, the idle painting, and the date with its picker.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "support/GdiHandles.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/DateTimeUI.h"
#include "ui/controls/EditUI.h"

using namespace SkinUI;
using namespace control_test;

namespace {

const RECT kEditRect{10, 10, 210, 40};

// Runs the messages posted so far (the native host closes itself from the message loop).
void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::wstring NativeText(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

LONG_PTR Style(HWND window) { return ::GetWindowLongPtrW(window, GWL_STYLE); }

// Types characters into the EDIT as the keyboard would (WM_CHAR each).
void Type(HWND edit, const wchar_t* text) {
    for (; *text != L'\0'; ++text) ::SendMessageW(edit, WM_CHAR, *text, 0);
}

// The notification types the recorder saw from sender, in order.
std::vector<std::wstring> TypesFrom(const CNotifyRecorder& recorder, CControlUI* sender) {
    std::vector<std::wstring> types;
    for (const TSeen& seen : recorder.Seen())
        if (seen.sender == sender) types.push_back(seen.type);
    return types;
}

struct TEditFixture : ::testing::Test {
    CTestWindow window;
    std::unique_ptr<CEditUI> edit = std::make_unique<CEditUI>();

    void SetUp() override { window.Adopt(edit, kEditRect); }

    HWND Begin() {
        EXPECT_TRUE(edit->BeginEditing());
        HWND native = edit->NativeWindow();
        EXPECT_TRUE(::IsWindow(native));
        return native;
    }
};

}  // namespace

// ---- Attributes -------------------------------------------------------------------------------

TEST(EditAttributes, ValuesAreReadAndBounded) {
    struct TCase {
        const wchar_t* name;
        const wchar_t* value;
        const wchar_t* expected;
    };
    const TCase cases[] = {
        {L"readonly", L"true", L"true"},
        {L"password", L"true", L"true"},
        {L"passwordchar", L"#x", L"#"},
        {L"passwordchar", L"", L"*"},
        {L"numberonly", L"true", L"true"},
        {L"maxchar", L"12", L"12"},
        {L"maxchar", L"-1", L"32767"},
        {L"maxchar", L"0", L"32767"},
        {L"maxchar", L"99999999999", L"32767"},
        {L"tipvalue", L"Your name", L"Your name"},
        {L"tipvaluecolor", L"#FF112233", L"#FF112233"},
        {L"nativebkcolor", L"#FFFAFBFC", L"#FFFAFBFC"},
        {L"normalimage", L"solid.png", L"solid.png"},
        {L"hotimage", L"a.png", L"a.png"},
        {L"focusedimage", L"b.png", L"b.png"},
        {L"disabledimage", L"c.png", L"c.png"},
    };
    for (const TCase& c : cases) {
        CEditUI edit;
        edit.ApplyAttribute(c.name, c.value);
        EXPECT_EQ(std::wstring(edit.QueryAttribute(c.name).GetData()), c.expected)
            << c.name << "=" << c.value;
    }
    // Names the edit does not have go to the label and the control.
    CEditUI edit;
    ApplyAttributes(edit, {L"textpadding", L"4,2,4,2", L"text", L"hello", L"passwordchar",
                           nullptr});
    EXPECT_EQ(edit.TextPadding().left, 4);
    EXPECT_EQ(std::wstring(edit.Text().GetData()), L"hello");
    EXPECT_EQ(edit.PasswordChar(), L'*') << "a missing value";
}

TEST(DateTimeAttributes, ReadOnlyKeepsThePickerAway) {
    CTestWindow window;
    auto date = std::make_unique<CDateTimeUI>();
    window.Adopt(date, kEditRect);
    date->ApplyAttribute(L"readonly", L"true");
    EXPECT_EQ(std::wstring(date->QueryAttribute(L"readonly").GetData()), L"true");
    EXPECT_FALSE(date->BeginEditing());
    EXPECT_EQ(date->NativeWindow(), nullptr);
}

// ---- Text and settings ------------------------------------------------------------------------

TEST_F(TEditFixture, TextGoesBothWays) {
    edit->SetText(L"start");
    HWND native = Begin();
    EXPECT_EQ(NativeText(native), L"start") << "the EDIT opens with the control's text";
    Type(native, L"ed");
    EXPECT_EQ(std::wstring(edit->Text().GetData()), L"started") << "typed text comes back";
    EXPECT_EQ(window.Recorder().Count(L"textchanged", edit.get()), 2) << "one per change";
    edit->SetText(L"replaced");
    EXPECT_EQ(NativeText(native), L"replaced") << "a new text reaches the EDIT";
    EXPECT_EQ(window.Recorder().Count(L"textchanged", edit.get()), 2)
        << "the program's own text is no user change";
    edit->EndEditing();
    EXPECT_EQ(std::wstring(edit->Text().GetData()), L"replaced") << "kept after editing";
}

TEST_F(TEditFixture, TheOpeningClickPlacesTheCaret) {
    edit->SetText(L"abcdefghij");
    Click(*edit, POINT{kEditRect.left + 1, Centre(kEditRect).y});
    HWND native = edit->NativeWindow();
    ASSERT_TRUE(::IsWindow(native)) << "a click opens the EDIT";
    DWORD start = 0;
    ::SendMessageW(native, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, 10u) << "opened with the caret after the text";
    Pump();
    ::SendMessageW(native, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, 0u) << "the click reached the EDIT: the caret is where it was";
}

TEST_F(TEditFixture, SettingsReachTheEdit) {
    ApplyAttributes(*edit, {L"password", L"true", L"passwordchar", L"#", L"numberonly", L"true",
                            L"maxchar", L"5", L"readonly", L"true"});
    HWND native = Begin();
    EXPECT_NE(Style(native) & ES_PASSWORD, 0);
    EXPECT_EQ(::SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0), L'#');
    EXPECT_NE(Style(native) & ES_NUMBER, 0);
    EXPECT_NE(Style(native) & ES_READONLY, 0);
    EXPECT_EQ(::SendMessageW(native, EM_GETLIMITTEXT, 0, 0), 5);

    // Changed while editing.
    edit->SetPassword(false);
    edit->SetNumberOnly(false);
    edit->SetReadOnly(false);
    edit->SetMaxChar(-1);
    EXPECT_EQ(Style(native) & (ES_PASSWORD | ES_NUMBER | ES_READONLY), 0);
    EXPECT_EQ(::SendMessageW(native, EM_GETLIMITTEXT, 0, 0), kEditCharLimit);
}

TEST_F(TEditFixture, ColoursReachTheEdit) {
    ApplyAttributes(*edit, {L"textcolor", L"#FF102030", L"nativebkcolor", L"#FFF0E0D0"});
    HWND native = Begin();
    bxutil::CMemoryDC dc(::CreateCompatibleDC(nullptr));
    // The EDIT asks its parent, the host, for its colours.
    const LRESULT brush = ::SendMessageW(::GetParent(native), WM_CTLCOLOREDIT,
                                         reinterpret_cast<WPARAM>(dc.Get()),
                                         reinterpret_cast<LPARAM>(native));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(::GetTextColor(dc.Get()), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(::GetBkColor(dc.Get()), RGB(0xF0, 0xE0, 0xD0));
}

TEST_F(TEditFixture, NoEditingWhereNothingCanBeEdited) {
    edit->SetEnabled(false);
    EXPECT_FALSE(edit->BeginEditing()) << "disabled";
    edit->SetEnabled(true);
    edit->SetVisible(false);
    EXPECT_FALSE(edit->BeginEditing()) << "hidden";
    CEditUI loose;
    EXPECT_FALSE(loose.BeginEditing()) << "in no window";
}

TEST_F(TEditFixture, TheEditRefusesWhatTheSettingsForbid) {
    ApplyAttributes(*edit, {L"numberonly", L"true", L"maxchar", L"4"});
    HWND native = Begin();
    Type(native, L"1a2b3c4d5");
    EXPECT_EQ(std::wstring(edit->Text().GetData()), L"1234");
}

// ---- The native window's lifetime -------------------------------------------------------------

TEST_F(TEditFixture, TheEditGoesWhenEditingEnds) {
    struct TCase {
        const char* what;
        void (*end)(CEditUI& edit, CWindowManagerUI& manager);
    };
    const TCase cases[] = {
        {"EndEditing", [](CEditUI& e, CWindowManagerUI&) { e.EndEditing(); }},
        {"focus leaves",
         [](CEditUI& e, CWindowManagerUI& m) {
             m.SetFocus(&e);
             m.SetFocus(nullptr);
         }},
        {"hidden", [](CEditUI& e, CWindowManagerUI&) { e.SetVisible(false); }},
        {"parent hidden", [](CEditUI& e, CWindowManagerUI&) { e.SetInheritedVisible(false); }},
        {"disabled", [](CEditUI& e, CWindowManagerUI&) { e.SetEnabled(false); }},
        {"moved", [](CEditUI& e, CWindowManagerUI&) { e.Place(RECT{20, 50, 220, 80}); }},
        {"scrolled", [](CEditUI& e, CWindowManagerUI&) { e.MoveBy(SIZE{0, -5}); }},
        {"Escape",
         [](CEditUI& e, CWindowManagerUI&) {
             ::SendMessageW(e.NativeWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
             Pump();
         }},
    };
    for (const TCase& c : cases) {
        edit->SetVisible(true);
        edit->SetInheritedVisible(true);
        edit->SetEnabled(true);
        edit->Place(kEditRect);
        // Opened without the manager's focus, so that no case ends it by moving the focus.
        ASSERT_TRUE(edit->BeginEditing()) << c.what;
        HWND native = edit->NativeWindow();
        ASSERT_TRUE(::IsWindow(native)) << c.what;
        HWND host = ::GetParent(native);
        c.end(*edit, window.Manager());
        EXPECT_FALSE(::IsWindow(native)) << c.what;
        EXPECT_FALSE(::IsWindow(host)) << c.what;
        EXPECT_FALSE(edit->IsEditing()) << c.what;
        window.Manager().SetFocus(nullptr);
    }
}

TEST_F(TEditFixture, AnUnchangedPlaceKeepsEditing) {
    HWND native = Begin();
    edit->Place(kEditRect);
    EXPECT_TRUE(::IsWindow(native));
    EXPECT_EQ(edit->NativeWindow(), native);
}

TEST_F(TEditFixture, TheEditStaysInsideTheWindow) {
    // A control placed far beyond the window's 400 x 300 pixels.
    edit->Place(RECT{-(1 << 24), 10, 1 << 24, 40});
    HWND native = Begin();
    RECT rc{};
    ::GetWindowRect(::GetParent(native), &rc);
    EXPECT_LE(rc.right - rc.left, 400);
    edit->Place(RECT{500, 10, 600, 40});
    EXPECT_FALSE(edit->BeginEditing()) << "nothing of it can be seen";
}

TEST_F(TEditFixture, TheEditGoesWithTheControl) {
    HWND native = Begin();
    HWND host = ::GetParent(native);
    edit.reset();
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_FALSE(::IsWindow(host));
}

TEST(EditLifetime, TheEditGoesWithTheManagersWindow) {
    auto edit = std::make_unique<CEditUI>();
    CTestWindow window;
    window.Adopt(edit, kEditRect);
    ASSERT_TRUE(edit->BeginEditing());
    HWND native = edit->NativeWindow();
    ::DestroyWindow(window.Manager().GetPaintWindow());
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_FALSE(edit->IsEditing()) << "the control let go of the destroyed window";
    EXPECT_EQ(edit->NativeWindow(), nullptr);
    edit->EndEditing();  // nothing left to destroy
    EXPECT_FALSE(edit->BeginEditing()) << "no window to edit in";
}

// ---- Notifications ----------------------------------------------------------------------------

TEST_F(TEditFixture, NotificationsComeInOrder) {
    window.Manager().SetFocus(edit.get());
    HWND native = edit->NativeWindow();
    ASSERT_TRUE(::IsWindow(native));
    Type(native, L"x");
    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(::IsWindow(native)) << "closed from the message loop, not inside the EDIT";
    Pump();
    EXPECT_FALSE(::IsWindow(native)) << "Enter ends editing";
    window.Manager().SetFocus(nullptr);
    const std::vector<std::wstring> expected = {L"setfocus", L"textchanged", L"return",
                                                L"killfocus"};
    EXPECT_EQ(TypesFrom(window.Recorder(), edit.get()), expected);
}

// ---- Painting ---------------------------------------------------------------------------------

TEST(EditPaint, PlaceholderAndPasswordMask) {
    CTestWindow window;
    AddLargeFont(window.Manager(), 7, 22);
    auto edit = std::make_unique<CEditUI>();
    window.Adopt(edit, RECT{0, 0, 200, 40});
    ApplyAttributes(*edit, {L"font", L"7", L"textcolor", L"#FF0000FF", L"tipvalue", L"Name",
                            L"tipvaluecolor", L"#FFFF0000"});
    EXPECT_GT(CountPaintedColour(*edit, 200, 40, 0xFF0000), 20) << "the placeholder while empty";

    edit->SetText(L"||||");
    EXPECT_EQ(CountPaintedColour(*edit, 200, 40, 0xFF0000), 0) << "no placeholder with a text";
    const int plain = CountPaintedColour(*edit, 200, 40, 0x0000FF);
    ApplyAttributes(*edit, {L"password", L"true", L"passwordchar", L"W"});
    SaveArtifact(*PaintOnCanvas(*edit, 200, 40), L"edit_password.png");
    const int masked = CountPaintedColour(*edit, 200, 40, 0x0000FF);
    EXPECT_GT(masked, plain * 2) << "four wide W drawn instead of four thin bars";

    ASSERT_TRUE(edit->BeginEditing());
    EXPECT_EQ(CountPaintedColour(*edit, 200, 40, 0x0000FF), 0)
        << "the EDIT shows the text while editing";
}

// ---- Date and time ----------------------------------------------------------------------------

TEST(DateTime, HoldsADateAndWritesIt) {
    CDateTimeUI date;
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    EXPECT_EQ(date.GetTime().wYear, today.wYear);
    EXPECT_EQ(date.GetTime().wDay, today.wDay);

    SYSTEMTIME day{};
    day.wYear = 2024;
    day.wMonth = 2;
    day.wDay = 29;
    ASSERT_TRUE(date.SetTime(day));
    wchar_t expected[96] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr, expected, 96);
    EXPECT_EQ(std::wstring(date.Text().GetData()), expected);

    SYSTEMTIME bad = day;
    bad.wMonth = 13;
    EXPECT_FALSE(date.SetTime(bad));
    EXPECT_EQ(date.GetTime().wMonth, 2) << "an impossible date changes nothing";
}

TEST(DateTime, ThePickerEditsTheDate) {
    CTestWindow window;
    auto date = std::make_unique<CDateTimeUI>();
    window.Adopt(date, kEditRect);
    SYSTEMTIME day{};
    day.wYear = 2025;
    day.wMonth = 6;
    day.wDay = 15;
    ASSERT_TRUE(date->SetTime(day));
    window.Manager().SetFocus(date.get());
    HWND picker = date->NativeWindow();
    ASSERT_TRUE(::IsWindow(picker));
    wchar_t className[64] = {};
    ::GetClassNameW(picker, className, 64);
    EXPECT_STREQ(className, DATETIMEPICK_CLASSW);
    SYSTEMTIME shown{};
    EXPECT_EQ(::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
              GDT_VALID);
    EXPECT_EQ(shown.wDay, 15);

    // The picker reports a new date to its parent, the host.
    NMDATETIMECHANGE change{};
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    change.st = day;
    ::SendMessageW(::GetParent(picker), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(window.Recorder().Count(L"datetimechange", date.get()), 0) << "same date";
    change.st.wDay = 16;
    ::SendMessageW(::GetParent(picker), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(window.Recorder().Count(L"datetimechange", date.get()), 1);
    EXPECT_EQ(date->GetTime().wDay, 16);

    window.Manager().SetFocus(nullptr);
    EXPECT_FALSE(::IsWindow(picker)) << "the picker goes with the focus";
    date.reset();
}
