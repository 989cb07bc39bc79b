// The rich edit: its attributes, the text round trip through the text services, typing as the
// window manager delivers it (read-only, the character limit, Enter), the notifications, the
// scroll bar following the text, painting, and the order in which control and window may go.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/RichEditUI.h"
#include "ui/core/manager/ScrollBarUI.h"

using namespace SkinUI;
using namespace control_test;

namespace {

const RECT kEditRect{10, 10, 210, 110};

class RichEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_edit = std::make_unique<CRichEditUI>();
        ASSERT_TRUE(m_edit->HasTextServices()) << "the prefix lacks msftedit.dll/riched20.dll";
        m_window.Adopt(m_edit, kEditRect);
    }

    // Types each character as the window manager delivers it: Enter as its key, then as a
    // character, every other key as a character.
    void Type(const std::wstring& text) {
        for (wchar_t ch : text) {
            if (ch == L'\r') SendEvent(*m_edit, kEventKeyDown, {0, 0}, 0, VK_RETURN);
            SendEvent(*m_edit, kEventChar, {0, 0}, 0, ch);
        }
    }

    CTestWindow m_window;
    std::unique_ptr<CRichEditUI> m_edit;
};

std::wstring TextOf(const CRichEditUI& edit) { return edit.Text().GetData(); }

TEST_F(RichEditTest, AttributesReadBackAsApplied) {
    struct TCase {
        const wchar_t* name;
        const wchar_t* value;
        const wchar_t* expected;
    };
    const TCase cases[] = {
        {L"readonly", L"true", L"true"},     {L"multiline", L"false", L"false"},
        {L"wantreturn", L"false", L"false"}, {L"wanttab", L"true", L"true"},
        {L"rich", L"false", L"false"},       {L"autovscroll", L"false", L"false"},
        {L"font", L"3", L"3"},               {L"textcolor", L"#FF102030", L"#FF102030"},
        {L"textpadding", L"4,5,6,7", L"4,5,6,7"},
        {L"text", L"Hello", L"Hello"},
        // The character limit stays within what the services handle: none, zero, negative and
        // huge all mean the bound.
        {L"maxchar", L"12", L"12"},
        {L"maxchar", L"0", L"16777216"},
        {L"maxchar", L"-1", L"16777216"},
        {L"maxchar", L"99999999999", L"16777216"},
    };
    for (const TCase& c : cases) {
        m_edit->ApplyAttribute(c.name, c.value);
        EXPECT_EQ(std::wstring(c.expected), m_edit->QueryAttribute(c.name).GetData()) << c.name;
    }
    // The window manager keeps Tab for the focus unless the control asks for it this way.
    EXPECT_STREQ(L"RichEditUI", m_edit->ClassName());
    EXPECT_EQ(m_edit.get(), m_edit->InterfaceByName(L"RichEdit"));
}

TEST_F(RichEditTest, TextRoundTripsThroughTheServices) {
    const std::wstring texts[] = {
        L"",
        L"one line",
        L"first\r\nsecond\r\nthird",
        L"caf\u00e9 \u4e2d\u6587 \u03b1\u03b2",
    };
    for (const std::wstring& text : texts) {
        m_edit->SetText(text.c_str());
        EXPECT_EQ(text, TextOf(*m_edit));
        EXPECT_EQ(static_cast<int>(text.size()), m_edit->GetTextLength());
    }
    m_edit->SetText(nullptr);
    EXPECT_EQ(L"", TextOf(*m_edit));

    // Rich mode reads RTF; plain mode keeps it as it is.
    const wchar_t* rtf = L"{\\rtf1 {\\b one}\\par two}";
    m_edit->SetText(rtf);
    EXPECT_EQ(L"one\r\ntwo", TextOf(*m_edit));
    m_edit->SetRich(false);
    m_edit->SetText(rtf);
    EXPECT_EQ(rtf, TextOf(*m_edit));
}

TEST_F(RichEditTest, TypingGoesThroughUnlessReadOnlyOrFull) {
    m_edit->SetText(L"");
    Type(L"abc");
    EXPECT_EQ(L"abc", TextOf(*m_edit));

    m_edit->SetReadOnly(true);
    Type(L"xyz");
    EXPECT_EQ(L"abc", TextOf(*m_edit)) << "read-only text took typed characters";

    m_edit->SetReadOnly(false);
    m_edit->SetMaxChar(5);
    Type(L"defgh");
    EXPECT_EQ(L"abcde", TextOf(*m_edit));
}

TEST_F(RichEditTest, EnterBreaksTheLineOrAnnouncesReturn) {
    m_edit->SetText(L"");
    Type(L"a\rb");
    EXPECT_EQ(L"a\r\nb", TextOf(*m_edit));
    EXPECT_EQ(0, m_window.Recorder().Count(L"return"));

    m_edit->SetWantReturn(false);
    Type(L"\r");
    EXPECT_EQ(L"a\r\nb", TextOf(*m_edit));
    EXPECT_EQ(1, m_window.Recorder().Count(L"return", m_edit.get()));

    m_edit->SetWantReturn(true);
    m_edit->SetMultiLine(false);
    Type(L"\r");
    EXPECT_EQ(2, m_window.Recorder().Count(L"return", m_edit.get()));
}

TEST_F(RichEditTest, ChangesNotifyTextChanged) {
    m_window.Recorder().Clear();
    Type(L"x");
    EXPECT_GE(m_window.Recorder().Count(L"textchanged", m_edit.get()), 1);

    m_window.Recorder().Clear();
    m_edit->SetReadOnly(true);
    Type(L"y");
    EXPECT_EQ(0, m_window.Recorder().Count(L"textchanged"));
}

TEST_F(RichEditTest, ScrollBarFollowsTheTextAndScrollsIt) {
    m_edit->ApplyAttribute(L"vscrollbar", L"true");
    m_edit->Place(kEditRect, false);
    CScrollBarUI* bar = m_edit->VerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    m_edit->SetText(L"short");
    EXPECT_FALSE(bar->IsVisible());

    std::wstring lines;
    for (int i = 0; i < 40; ++i) lines += L"line " + std::to_wstring(i) + L"\r\n";
    m_edit->SetText(lines.c_str());
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_GT(bar->Range(), 0);
    EXPECT_LE(m_edit->TextRect().right, bar->Rect().left) << "the text runs under the bar";

    m_edit->SetScrollOffset(SIZE{0, bar->Range()});
    EXPECT_EQ(bar->Range(), bar->Position());
    m_edit->ScrollToTop();
    EXPECT_EQ(0, bar->Position());
    m_edit->SetScrollOffset(SIZE{0, -50});  // hostile offsets stay within the range
    EXPECT_EQ(0, bar->Position());
}

TEST_F(RichEditTest, PaintsItsTextInTheTextColour) {
    m_edit->ApplyAttribute(L"textcolor", L"#FFFF0000");
    AddLargeFont(m_window.Manager(), 7, 28);
    m_edit->ApplyAttribute(L"font", L"7");
    m_edit->SetText(L"WWW MMM");
    m_edit->Place(kEditRect, false);
    auto canvas = PaintOnCanvas(*m_edit, 240, 140);
    SaveArtifact(*canvas, L"richedit.png");
    EXPECT_GT(CountPaintedColour(*m_edit, 240, 140, 0xFF0000), 50);
}

// The control may go while its window lives, or with the window already destroyed (the
// window manager deletes its tree after the window): neither may touch what is gone.
TEST(RichEditLifetime, ControlGoesBeforeTheWindow) {
    const int hosts = CTxtWinHost::LiveCount();
    CTestWindow window;
    auto edit = std::make_unique<CRichEditUI>();
    window.Adopt(edit, kEditRect);
    SendEvent(*edit, kEventSetFocus);
    SendEvent(*edit, kEventChar, {0, 0}, 0, L'q');
    ASSERT_EQ(hosts + 1, CTxtWinHost::LiveCount());
    edit.reset();
    EXPECT_EQ(hosts, CTxtWinHost::LiveCount()) << "the text services kept their host";
    auto next = std::make_unique<CRichEditUI>();
    window.Adopt(next, kEditRect);
    next->SetText(L"still fine");
    EXPECT_EQ(L"still fine", TextOf(*next));
}

TEST(RichEditLifetime, WindowGoesBeforeTheControl) {
    const int hosts = CTxtWinHost::LiveCount();
    auto window = std::make_unique<CTestWindow>();
    auto* edit = new CRichEditUI();
    ASSERT_TRUE(window->Manager().AttachRoot(edit));  // the manager owns it from here
    edit->Place(kEditRect, false);
    SendEvent(*edit, kEventSetFocus);
    SendEvent(*edit, kEventChar, {0, 0}, 0, L'q');
    window.reset();  // the window is destroyed, then the manager deletes the control
    EXPECT_EQ(hosts, CTxtWinHost::LiveCount()) << "the text services kept their host";
}

}  // namespace

// Without text services (ui_controls_richedit_no_services runs this with msftedit.dll and
// riched20.dll disabled) the control keeps its text as a label would and takes every event
// and paint without effect.
TEST(RichEditWithoutServices, StaysAPaintedBox) {
    CTestWindow window;
    auto edit = std::make_unique<CRichEditUI>();
    if (edit->HasTextServices()) GTEST_SKIP() << "text services are present here";
    window.Adopt(edit, kEditRect);
    ApplyAttributes(*edit, {L"text", L"kept", L"bkcolor", L"#FF00FF00", L"vscrollbar", L"true"});
    EXPECT_EQ(L"kept", TextOf(*edit));
    EXPECT_EQ(4, edit->GetTextLength());
    for (int kind : {kEventSetFocus, kEventButtonDown, kEventButtonUp, kEventKeyDown, kEventChar,
                     kEventScrollWheel, kEventTimer, kEventKillFocus})
        SendEvent(*edit, kind, Centre(kEditRect), 0, L'x');
    edit->SetScrollOffset(SIZE{0, 100});
    EXPECT_EQ(L"kept", TextOf(*edit));
    EXPECT_GT(CountPaintedColour(*edit, 240, 140, 0x00FF00), 1000) << "the box is painted";
}
