// Text: the GDI and GDI+ paths of DrawText and the tags, wrapping, alignment and links of
// formatted text, drawn with the skin's font (mapped to WenQuanYi Micro Hei by the Wine prefix).

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/base/UIString.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;
using RenderTest::CCanvas;
using RenderTest::ChannelDistance;

namespace {

const wchar_t kSkinFace[] = L"\u5FAE\u8F6F\u96C5\u9ED1";  // the skin's font face
constexpr DWORD kWhite = 0xFFFFFFFF;

class TextDrawing : public testing::Test {
protected:
    static void SetUpTestSuite() { RenderTest::PreparePictures(); }

    TextDrawing() {
        m_manager.AddFont(0, kSkinFace, 14, false, false, false);
        m_manager.SetDefaultFont(kSkinFace, 14, false, false, false);
    }

    // Draws formatted text into rc of the canvas; returns the links used.
    int Formatted(CCanvas& canvas, RECT rc, const wchar_t* text, UINT style,
                  DWORD color = 0xFF000000) {
        m_linkCount = 4;
        CUIRender::DrawFormattedText(canvas.DC(), &m_manager, rc, text, color, m_linkRects,
                                     m_linkTexts, m_linkCount, style);
        return m_linkCount;
    }
    // The extent DT_CALCRECT gives for text in a rectangle width pixels wide.
    SIZE Measure(const wchar_t* text, int width, UINT style = DT_WORDBREAK) {
        CCanvas canvas(8, 8);
        RECT rc{0, 0, width, 1000};
        int links = 0;
        CUIRender::DrawFormattedText(canvas.DC(), &m_manager, rc, text, 0xFF000000, nullptr,
                                     nullptr, links, style | DT_CALCRECT);
        return SIZE{rc.right, rc.bottom};
    }
    int LineHeight() { return Measure(L"a", 500).cy; }

    static int Ink(const CCanvas& canvas, RECT* bounds = nullptr) {
        return canvas.CountDiffering(kWhite, canvas.Rect(), bounds);
    }

    CWindowManagerUI m_manager;
    RECT m_linkRects[4] = {};
    CUIString m_linkTexts[4];
    int m_linkCount = 0;
};

// ---- DrawText -----------------------------------------------------------------------------------

TEST_F(TextDrawing, GdiTextUsesTheFontColourAndRectangle) {
    CCanvas canvas(200, 40);
    RECT rc{5, 5, 195, 35};
    CUIRender::DrawText(canvas.DC(), &m_manager, rc, L"Hello", 0xFFFF0000, 0,
                        DT_SINGLELINE | DT_VCENTER);
    RECT ink{};
    EXPECT_GT(Ink(canvas, &ink), 20);
    EXPECT_TRUE(ink.left >= 5 && ink.top >= 5 && ink.right <= 195 && ink.bottom <= 35);
    EXPECT_GT(canvas.CountColor(0xFF0000, canvas.Rect(), 40), 5);
    EXPECT_EQ(canvas.CountColor(0x000000, canvas.Rect(), 100), 0);
}

TEST_F(TextDrawing, CalcRectMeasuresWithoutDrawing) {
    CCanvas canvas(200, 40);
    RECT rc{0, 0, 0, 0};
    CUIRender::DrawText(canvas.DC(), &m_manager, rc, L"Hello", 0xFF000000, 0,
                        DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(rc.right, 20);
    EXPECT_GE(rc.bottom, 14);
    EXPECT_EQ(Ink(canvas), 0);
}

TEST_F(TextDrawing, TextTokensAreExpandedBeforeDrawing) {
    CWindowManagerUI::AddTextById(7, L"OK");
    CCanvas canvas(8, 8);
    RECT token{0, 0, 0, 0};
    RECT plain{0, 0, 0, 0};
    CUIRender::DrawText(canvas.DC(), &m_manager, token, L"%{7}", 0, 0, DT_SINGLELINE | DT_CALCRECT);
    CUIRender::DrawText(canvas.DC(), &m_manager, plain, L"OK", 0, 0, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(token.right, plain.right);
    EXPECT_GT(plain.right, 0);
}

TEST_F(TextDrawing, GdiplusTextHonoursAlphaAndMeasures) {
    CCanvas canvas(200, 40);
    RECT rc{5, 5, 195, 35};
    CUIRender::DrawText(canvas.DC(), &m_manager, rc, L"Hello", 0xFF0000FF, 0, DT_SINGLELINE,
                        true, 0);
    EXPECT_EQ(Ink(canvas), 0);  // text alpha 0
    CUIRender::DrawText(canvas.DC(), &m_manager, rc, L"Hello", 0xFF0000FF, 0,
                        DT_SINGLELINE | DT_CENTER, true, 255);
    RECT ink{};
    EXPECT_GT(Ink(canvas, &ink), 20);
    EXPECT_NEAR((ink.left + ink.right) / 2, 100, 4);
    RECT measured{0, 0, 0, 0};
    CUIRender::DrawText(canvas.DC(), &m_manager, measured, L"Hello", 0xFF0000FF, 0,
                        DT_SINGLELINE | DT_CALCRECT, true);
    EXPECT_GT(measured.right, 20);
    EXPECT_GT(measured.bottom, 10);
}

TEST_F(TextDrawing, NothingWithoutTextOrManager) {
    CCanvas canvas(50, 20);
    RECT rc = canvas.Rect();
    CUIRender::DrawText(canvas.DC(), nullptr, rc, L"x", 0xFF000000, 0, 0);
    CUIRender::DrawText(canvas.DC(), &m_manager, rc, L"", 0xFF000000, 0, 0);
    CUIRender::DrawText(canvas.DC(), &m_manager, rc, nullptr, 0xFF000000, 0, 0);
    EXPECT_EQ(Ink(canvas), 0);
}

// ---- Formatted text -----------------------------------------------------------------------------

TEST_F(TextDrawing, ColourTagChangesTheTextColour) {
    CCanvas canvas(200, 30);
    Formatted(canvas, canvas.Rect(), L"<c #FF0000>red</c>", 0);
    EXPECT_GT(canvas.CountColor(0xFF0000, canvas.Rect(), 40), 5);
    EXPECT_EQ(canvas.CountColor(0x000000, canvas.Rect(), 110), 0);
    // After the closing tag the colour is back to the text's own.
    canvas.Fill(kWhite);
    Formatted(canvas, canvas.Rect(), L"<c #FF0000>r</c>black", 0);
    EXPECT_GT(canvas.CountColor(0x000000, canvas.Rect(), 40), 5);
}

TEST_F(TextDrawing, BoldTagDrawsHeavierText) {
    CCanvas plain(200, 30);
    CCanvas bold(200, 30);
    Formatted(plain, plain.Rect(), L"a bbbb c", 0);
    Formatted(bold, bold.Rect(), L"a <b>bbbb</b> c", 0);
    EXPECT_GT(Ink(bold), Ink(plain) * 11 / 10);
    EXPECT_GE(Measure(L"a<b>b</b>c", 500).cx, Measure(L"abc", 500).cx);
    // Closing the tag goes back to the regular font.
    EXPECT_EQ(Measure(L"<b>x</b>abc", 500).cx - Measure(L"<b>x</b>", 500).cx,
              Measure(L"abc", 500).cx);
}

TEST_F(TextDrawing, EscapedBracesDrawAsLiterals) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"<{>", L"{"}, {L"<}>", L"}"}, {L"{<}", L"<"}, {L"{>}", L">"}};
    for (const auto& [formatted, literal] : cases) {
        CCanvas viaTags(60, 30);
        CCanvas viaGdi(60, 30);
        Formatted(viaTags, viaTags.Rect(), formatted, DT_SINGLELINE);
        RECT rc = viaGdi.Rect();
        CUIRender::DrawText(viaGdi.DC(), &m_manager, rc, literal, 0xFF000000, -1, DT_SINGLELINE);
        EXPECT_GT(Ink(viaTags), 0) << literal;
        EXPECT_EQ(Ink(viaTags), Ink(viaGdi)) << literal;
    }
}

TEST_F(TextDrawing, LinksAreColouredAndRecorded) {
    CCanvas canvas(300, 30);
    ASSERT_EQ(Formatted(canvas, canvas.Rect(), L"go <a http://x>here now</a> end", DT_SINGLELINE), 1);
    EXPECT_EQ(std::wstring(m_linkTexts[0]), L"http://x");
    const RECT link = m_linkRects[0];
    EXPECT_EQ(link.left, Measure(L"go ", 500).cx);
    EXPECT_EQ(link.right - link.left, Measure(L"<u>here now</u>", 500).cx);
    EXPECT_GT(canvas.CountColor(0x0000FF, link, 60), 5);
    EXPECT_EQ(canvas.CountColor(0x0000FF, RECT{0, 0, link.left, 30}, 60), 0);

    // No slots: nothing recorded, nothing written.
    m_linkCount = 0;
    RECT rc = canvas.Rect();
    CUIRender::DrawFormattedText(canvas.DC(), &m_manager, rc, L"<a x>y</a>", 0xFF000000,
                                 m_linkRects, m_linkTexts, m_linkCount, 0);
    EXPECT_EQ(m_linkCount, 0);
}

TEST_F(TextDrawing, LinksOnTwoLinesGetTwoRectangles) {
    CCanvas canvas(300, 60);
    ASSERT_EQ(Formatted(canvas, canvas.Rect(), L"<a one>first<n>second</a>", 0), 2);
    EXPECT_EQ(std::wstring(m_linkTexts[1]), L"one");
    EXPECT_EQ(m_linkRects[1].top, m_linkRects[0].bottom);
}

TEST_F(TextDrawing, WordBreakMovesWholeWords) {
    const int word = Measure(L"bbbbbbbb", 500).cx;
    const int line = LineHeight();
    // "aaaa " fits with part of the long word; the long word still goes to the next line whole.
    EXPECT_EQ(Measure(L"aaaa bbbbbbbb", word + 4).cy, 2 * line);
    const SIZE broken = Measure(L"aaaa bbbbbbbb", word + 4);
    EXPECT_LE(broken.cx, word + 4);
    // The first line holds the first word alone: its ink ends where "aaaa" ends.
    CCanvas canvas(word + 4, 3 * line);
    Formatted(canvas, canvas.Rect(), L"aaaa bbbbbbbb", DT_WORDBREAK);
    RECT first{};
    ASSERT_GT(canvas.CountDiffering(kWhite, RECT{0, 0, word + 4, line}, &first), 0);
    const int firstWord = Measure(L"aaaa", 500).cx;
    EXPECT_LE(first.right, firstWord + 1);
    EXPECT_GE(first.right, firstWord - 3);
    // A word longer than the line is cut where it must.
    EXPECT_EQ(Measure(L"bbbbbbbb", word / 2 + 1).cy, 2 * line);
    // Without DT_WORDBREAK the run is cut at the edge.
    EXPECT_EQ(Measure(L"aaaa bbbbbbbb", word + 4, 0).cy, 2 * line);
}

TEST_F(TextDrawing, EllipsisLinesWhereNothingFitsTakeOneCharacterEach) {
    // One pixel wide: no character fits on any line. Each line still takes one character (a
    // literal "{" counts as one), so none is skipped and no line starts inside "<{>".
    const int line = LineHeight();
    EXPECT_EQ(Measure(L"<{>x", 1, DT_END_ELLIPSIS).cy, 2 * line);
    EXPECT_EQ(Measure(L"abc", 1, DT_END_ELLIPSIS).cy, 3 * line);
    EXPECT_EQ(Measure(L"<{><}>", 1, DT_END_ELLIPSIS | DT_WORDBREAK).cy, 2 * line);
}

TEST_F(TextDrawing, FontsOfTagsNeverReplaceSkinFonts) {
    // Find the id the next tag font gets, give the following ids to skin fonts of a fresh
    // window, and let tags make fonts there: the skin fonts stay.
    CCanvas canvas(200, 30);
    Formatted(canvas, canvas.Rect(), L"<f Tahoma 11>x", 0);
    const HFONT tagFont = m_manager.FindFont(L"Tahoma", 11, false, false, false);
    ASSERT_NE(tagFont, nullptr);
    int tagId = 30000;
    while (tagId < 40000 && m_manager.GetFont(tagId) != tagFont) ++tagId;
    ASSERT_LT(tagId, 40000);

    CWindowManagerUI window;
    window.SetDefaultFont(kSkinFace, 14, false, false, false);
    const HFONT skin1 = window.AddFont(tagId + 1, kSkinFace, 20, false, false, false);
    const HFONT skin2 = window.AddFont(tagId + 2, kSkinFace, 21, false, false, false, true);
    ASSERT_NE(skin1, nullptr);
    RECT rc = canvas.Rect();
    int links = 0;
    CUIRender::DrawFormattedText(canvas.DC(), &window, rc, L"<f Tahoma 12>a<b>b</b>", 0xFF000000,
                                 nullptr, nullptr, links, 0);
    EXPECT_EQ(window.GetFont(tagId + 1), skin1) << "the window's skin font is kept";
    EXPECT_EQ(window.GetFont(tagId + 2), skin2) << "a shared skin font is not shadowed";
    EXPECT_NE(window.FindFont(L"Tahoma", 12, false, false, false), nullptr);
    EXPECT_NE(window.FindFont(L"Tahoma", 12, true, false, false), nullptr);
    window.RemoveFont(tagId + 2, true);
}

TEST_F(TextDrawing, FontsOfTagsAreBoundedPerWindow) {
    std::wstring text;
    for (int size = 1; size <= 100; ++size) text += L"<f Tahoma " + std::to_wstring(size) + L">x</f>";
    CWindowManagerUI window;
    window.SetDefaultFont(kSkinFace, 14, false, false, false);
    CCanvas canvas(300, 30);
    RECT rc = canvas.Rect();
    int links = 0;
    // Measuring lays out every line, so every tag is read.
    CUIRender::DrawFormattedText(canvas.DC(), &window, rc, text.c_str(), 0xFF000000, nullptr,
                                 nullptr, links, DT_CALCRECT | DT_WORDBREAK);
    rc = canvas.Rect();
    CUIRender::DrawFormattedText(canvas.DC(), &window, rc, text.c_str(), 0xFF000000, nullptr,
                                 nullptr, links, DT_WORDBREAK);
    int made = 0;
    for (int size = 1; size <= 100; ++size)
        made += window.FindFont(L"Tahoma", size, false, false, false) != nullptr;
    EXPECT_EQ(made, CWindowManagerUI::kMaxFormattedTextFonts);
    EXPECT_GT(Ink(canvas), 0) << "beyond the bound the text keeps its font and is still drawn";
}

TEST_F(TextDrawing, LineBreaksAndSingleLine) {
    const int line = LineHeight();
    EXPECT_EQ(Measure(L"a\nb", 500).cy, 2 * line);
    EXPECT_EQ(Measure(L"a<n>b<n>c", 500).cy, 3 * line);
    EXPECT_EQ(Measure(L"a<n>b\nc", 500, DT_SINGLELINE).cy, line);
    EXPECT_EQ(Measure(L"a<y 40>b", 500).cy, 40);
    EXPECT_EQ(Measure(L"<p 6>a</p>", 500).cy, line + 6);
}

TEST_F(TextDrawing, CentredLinesAreCentredWhole) {
    CCanvas canvas(200, 60);
    Formatted(canvas, canvas.Rect(), L"ab cd<n>x", DT_CENTER);
    RECT first{};
    canvas.CountDiffering(kWhite, RECT{0, 0, 200, LineHeight()}, &first);
    const int width = Measure(L"ab cd", 500).cx;
    // The runs of a line are laid side by side and the line as a whole is centred.
    EXPECT_GE(first.right - first.left, width - 4);
    EXPECT_NEAR((first.left + first.right) / 2, 100, 3);
}

TEST_F(TextDrawing, VerticalAndRightAlignment) {
    CCanvas canvas(200, 60);
    Formatted(canvas, canvas.Rect(), L"Mid", DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    RECT ink{};
    ASSERT_GT(Ink(canvas, &ink), 0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 30, 4);
    EXPECT_GE(ink.right, 195);
}

TEST_F(TextDrawing, InlinePictureDrawsTheChosenFrame) {
    CCanvas canvas(100, 30);
    Formatted(canvas, canvas.Rect(), L"<i frames.png 3 1>", 0);
    EXPECT_EQ(canvas.CountColor(0x00FF00, canvas.Rect()), 100);
    EXPECT_EQ(Ink(canvas), 100);
    canvas.Fill(kWhite);
    Formatted(canvas, canvas.Rect(), L"<i file='frames.png' 3 7>", 0);  // out of range: frame 0
    EXPECT_EQ(canvas.CountColor(0xFF0000, canvas.Rect()), 100);
}

TEST_F(TextDrawing, SelectionPaintsTheSelectedBackground) {
    CCanvas canvas(100, 30);
    Formatted(canvas, canvas.Rect(), L"<s>sel</s> no", 0);
    EXPECT_GT(canvas.CountColor(0xBAE4FF, canvas.Rect()), 50);
}

TEST_F(TextDrawing, EllipsisKeepsTheTextInsideTheRectangle) {
    CCanvas canvas(200, 30);
    const RECT rc{0, 0, 60, 30};
    Formatted(canvas, rc, L"abcdefghijklmnopqrstuvwxyz", DT_SINGLELINE | DT_END_ELLIPSIS);
    RECT ink{};
    ASSERT_GT(Ink(canvas, &ink), 0);
    EXPECT_LE(ink.right, 60);
    EXPECT_LE(Measure(L"abcdefghijklmnopqrstuvwxyz", 60, DT_SINGLELINE | DT_END_ELLIPSIS).cx, 60);
}

TEST_F(TextDrawing, CalcRectDrawsNothing) {
    CCanvas canvas(100, 30);
    RECT rc = canvas.Rect();
    int links = 4;
    CUIRender::DrawFormattedText(canvas.DC(), &m_manager, rc, L"<b>x</b> y", 0xFF000000,
                                 m_linkRects, m_linkTexts, links, DT_CALCRECT);
    EXPECT_EQ(Ink(canvas), 0);
    EXPECT_GT(rc.right, 0);
    EXPECT_EQ(rc.bottom, LineHeight());
}

TEST_F(TextDrawing, ArtefactFormattedText) {
    CCanvas canvas(320, 140);
    RECT rc{10, 10, 310, 130};
    Formatted(canvas, rc,
              L"<f 0>Plain, <b>bold</b>, <u>underlined</u>, <c #D00000>red</c> and "
              L"<a link>a link</a>.</f><n><s>selected</s> <i frames.png 3 2> picture, "
              L"<{>braces<}> and long text that wraps onto the next line by words."
              L"<p 8>\u4E2D\u6587\u6587\u5B57 paragraph</p>",
              DT_WORDBREAK);
    EXPECT_TRUE(canvas.SavePng(RenderTest::ArtifactFolder() + L"formatted.png"));
}

}  // namespace
