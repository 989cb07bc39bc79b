// Hostile input never crashes the render engine: malformed image descriptions and formatted
// text with broken tags, drawn with every style that changes the code path.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/GdiHandles.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/base/UIString.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;
using RenderTest::CCanvas;

namespace {

class HostileInput : public testing::Test {
protected:
    static void SetUpTestSuite() { RenderTest::PreparePictures(); }
    CWindowManagerUI m_manager;
};

// The pixels of a canvas that differ from a snapshot taken before, compared as whole words
// (alpha too).
std::vector<DWORD> Snapshot(const CCanvas& canvas) {
    ::GdiFlush();
    std::vector<DWORD> pixels;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) pixels.push_back(canvas.At(x, y));
    return pixels;
}

int Changed(const CCanvas& canvas, const std::vector<DWORD>& before) {
    const std::vector<DWORD> after = Snapshot(canvas);
    int changed = 0;
    for (size_t i = 0; i < after.size(); ++i) changed += after[i] != before[i] ? 1 : 0;
    return changed;
}

// What a description must come to, whatever rectangle and angle it is drawn with.
enum class EOutcome {
    kRefused,    // no picture to be had: DrawImageSpec says so and draws nothing
    kNothing,    // the picture loads, but the numbers leave nothing to draw
    kDrawn,      // drawn: every piece that meets the paint rectangle is drawn whole (the
                 // window's clip region bounds it), so only the result is checked
};

TEST_F(HostileInput, MalformedImageDescriptions) {
    const struct {
        const wchar_t* description;
        EOutcome outcome;
    } cases[] = {
        {L"", EOutcome::kRefused},
        {L" ", EOutcome::kRefused},
        {L"'", EOutcome::kRefused},
        {L"='x'", EOutcome::kRefused},
        {L"file='", EOutcome::kRefused},
        {L"file='solid.png", EOutcome::kRefused},  // unterminated: the whole text is the name
        {L"file=solid.png", EOutcome::kRefused},
        {L"file='missing-picture.png'", EOutcome::kRefused},
        {L"res='abc' restype='PNG'", EOutcome::kRefused},
        {L"res='999999' restype='X'", EOutcome::kRefused},
        {L"res='' restype=''", EOutcome::kRefused},
        {L"file='..\\..\\..\\..\\nothing.png'", EOutcome::kRefused},
        {L"file='solid.png' source='-5,-5,-1,-1'", EOutcome::kNothing},
        {L"file='solid.png' source='2147483647,2147483647,-2147483648,-2147483648'",
         EOutcome::kNothing},
        {L"file='solid.png' dest='99999999999999,0,1,1'", EOutcome::kNothing},
        {L"file='solid.png' fade='0'", EOutcome::kNothing},
        {L"file='solid.png' mask='#zz' fade='x' hole='true' hsl='true'", EOutcome::kNothing},
        {L"file='coords.png' source='0,0,0,5' xtiled='true'", EOutcome::kNothing},
        {L"file='solid.png' corner='2147483647,2147483647,2147483647,2147483647'",
         EOutcome::kDrawn},
        {L"file='solid.png' corner='-9,-9,-9,-9'", EOutcome::kDrawn},
        {L"file='solid.png' dest='-2147483648,-2147483648,2147483647,2147483647'",
         EOutcome::kDrawn},
        {L"file='coords.png' source='0,0,1,1' xtiled='true' ytiled='true'", EOutcome::kDrawn},
        {L"file='coords.png' corner='20,50,20,50'", EOutcome::kDrawn},
        {L"file='coords.png' corner='5,5,5,5' source='10,10,12,12' xtiled='true'",
         EOutcome::kDrawn},
    };
    CCanvas canvas(64, 64);
    const RECT controls[] = {{0, 0, 64, 64}, {10, 10, 10, 40}, {60, 60, 20, 20},
                             {-1000000, -1000000, 1000000, 1000000}, {-10, -10, 5, 5}};
    const RECT paints[] = {canvas.Rect(), RECT{5, 5, 6, 6}};
    for (const auto& c : cases) {
        for (const RECT& control : controls) {
            for (const RECT& paint : paints) {
                for (int angle : {0, 45}) {
                    canvas.Fill(0xFFFFFFFF);
                    const std::vector<DWORD> before = Snapshot(canvas);
                    TImageSpec spec;
                    spec.Reset(c.description);
                    const bool drawn = CUIRender::DrawImageSpec(canvas.DC(), &m_manager, control,
                                                                paint, spec, angle);
                    EXPECT_EQ(drawn, c.outcome != EOutcome::kRefused) << c.description;
                    if (c.outcome == EOutcome::kDrawn) {
                        // Drawn in the plain case at least: the canvas is the control.
                        if (control.left == 0 && paint.right == 64 && angle == 0) {
                            EXPECT_GT(Changed(canvas, before), 0) << c.description;
                        }
                        continue;
                    }
                    EXPECT_EQ(Changed(canvas, before), 0)
                        << c.description << " in " << control.left << "," << control.top << ","
                        << control.right << "," << control.bottom << " painting " << paint.left
                        << "," << paint.top << " at angle " << angle;
                }
            }
        }
    }
}

TEST_F(HostileInput, DrawImageWithBadRectangles) {
    CCanvas canvas(32, 32);
    CCanvas picture(4, 4);
    HBITMAP bitmap = static_cast<HBITMAP>(::GetCurrentObject(picture.DC(), OBJ_BITMAP));
    const bxutil::CBitmapHandle placeholder(::CreateBitmap(1, 1, 1, 1, nullptr));
    const bxutil::CSelectObject takenOut(picture.DC(), placeholder.Get());
    const RECT rects[] = {{0, 0, 32, 32}, {40, 40, -40, -40}, {0, 0, 4, 4},
                          {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647},
                          {3, 3, 100000, 5}};
    for (const RECT& dest : rects) {
        for (const RECT& source : rects) {
            for (const RECT& corner : rects) {
                CUIRender::DrawImage(canvas.DC(), bitmap, dest, canvas.Rect(), source, corner,
                                     true, 200, false, true, true);
                CUIRender::DrawImage(canvas.DC(), bitmap, dest, dest, source, corner, false);
            }
        }
        CUIRender::DrawColor(canvas.DC(), dest, 0x80FF0000);
        CUIRender::DrawGradient(canvas.DC(), dest, 0x80FF0000, 0xFF00FF00, false, 1000);
        CUIRender::SoftwareGradientFill(canvas.DC(), dest, 0xFFFF0000, 0xFF00FF00, true, -5);
    }
    CUIRender::DrawImage(canvas.DC(), nullptr, canvas.Rect(), canvas.Rect(), canvas.Rect(),
                         RECT{}, true);
    EXPECT_FALSE(CUIRender::RotateBitmap(nullptr, 30));
}

TEST_F(HostileInput, MalformedFormattedText) {
    std::wstring deep;
    for (int i = 0; i < 3000; ++i) deep += (i % 3 == 0) ? L"<b>" : (i % 3 == 1) ? L"{c #FF00FF00}" : L"<a x>";
    deep += L"deep";
    std::wstring longWord(5000, L'w');
    const std::wstring texts[] = {
        L"<", L"{", L"<b", L"{b", L"<b>", L"</b>", L"</b></b></c></a></p></s></r>x",
        L"<c #zz>x", L"<c>x</c>", L"<f>x", L"<f 9999>x", L"<f Arial 999999999 bold>x",
        L"<f Arial -5 italic underline>x", L"<f Arial 0>x</f></f>", L"<x 99999999999>y",
        L"<x -99999999999>y", L"<y -5>z", L"<y 99999999>z<n>q", L"<p -100>x</p>", L"<p 99999999>x",
        L"<i >", L"<i nofile.png 0 -3>", L"<i frames.png -1 99999999999>", L"<i frames.png 99999 5>",
        L"<i file='frames.png>", L"<i file='frames.png' res='1' restype='x' 2>",
        L"<r>unclosed raw <b> text", L"<r></r></r>", L"<a", L"<a x>never closed", L"<a>",
        L"\r\n\n\r", L"<n><n><n><n>", L"<{><}>{<}{>}<{", L"{a http://x}link{/a}", L"<z>unknown</z>",
        L"<\x00e9>", L"<s><s><s>x", L"   ", L"a\tb\x0001\x001F", deep, longWord, longWord + L" tail",
    };
    const UINT styles[] = {0, DT_WORDBREAK, DT_SINGLELINE, DT_SINGLELINE | DT_END_ELLIPSIS,
                           DT_WORDBREAK | DT_END_ELLIPSIS | DT_CENTER | DT_VCENTER,
                           DT_RIGHT | DT_BOTTOM, DT_CALCRECT | DT_WORDBREAK};
    const RECT rects[] = {{0, 0, 120, 60}, {0, 0, 0, 0}, {50, 50, 10, 10}, {0, 0, 3, 400}};
    CCanvas canvas(128, 64);
    RECT linkRects[2] = {};
    CUIString linkTexts[2];
    for (const std::wstring& text : texts) {
        for (UINT style : styles) {
            for (const RECT& given : rects) {
                RECT rc = given;
                int links = 2;
                CUIRender::DrawFormattedText(canvas.DC(), &m_manager, rc, text.c_str(), 0xFF000000,
                                             linkRects, linkTexts, links, style);
                ASSERT_GE(links, 0);
                ASSERT_LE(links, 2);
                if (style & DT_CALCRECT) {
                    ASSERT_LE(rc.right, std::max(given.right, given.left));
                    ASSERT_GE(rc.bottom, given.top);
                }
            }
        }
        RECT rc{0, 0, 100, 30};
        CUIRender::DrawText(canvas.DC(), &m_manager, rc, text.c_str(), 0xFF000000, 12345, DT_WORDBREAK);
        CUIRender::DrawText(canvas.DC(), &m_manager, rc, text.c_str(), 0xFF000000, -7,
                            DT_END_ELLIPSIS | DT_SINGLELINE, true, 100);
    }
}

}  // namespace
