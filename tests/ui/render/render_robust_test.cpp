// Hostile input never crashes the render engine: malformed image descriptions and formatted
// text with broken tags, drawn with every style that changes the code path.

#include <gtest/gtest.h>

#include <string>

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

TEST_F(HostileInput, MalformedImageDescriptions) {
    const wchar_t* descriptions[] = {
        L"", L" ", L"'", L"='x'", L"file='", L"file='solid.png", L"file=solid.png",
        L"file='missing-picture.png'", L"file='solid.png' source='-5,-5,-1,-1'",
        L"file='solid.png' source='2147483647,2147483647,-2147483648,-2147483648'",
        L"file='solid.png' corner='2147483647,2147483647,2147483647,2147483647'",
        L"file='solid.png' corner='-9,-9,-9,-9'",
        L"file='solid.png' dest='-2147483648,-2147483648,2147483647,2147483647'",
        L"file='solid.png' dest='99999999999999,0,1,1'",
        L"file='coords.png' source='0,0,1,1' xtiled='true' ytiled='true'",
        L"file='coords.png' source='0,0,0,5' xtiled='true'",
        L"file='coords.png' corner='20,50,20,50'",
        L"file='coords.png' corner='5,5,5,5' source='10,10,12,12' xtiled='true'",
        L"file='solid.png' fade='0'", L"res='abc' restype='PNG'", L"res='999999' restype='X'",
        L"res='' restype=''", L"file='..\\..\\..\\..\\nothing.png'",
        L"file='solid.png' mask='#zz' fade='x' hole='true' hsl='true'",
    };
    CCanvas canvas(64, 64);
    const RECT controls[] = {{0, 0, 64, 64}, {10, 10, 10, 40}, {60, 60, 20, 20},
                             {-1000000, -1000000, 1000000, 1000000}, {-10, -10, 5, 5}};
    for (const wchar_t* description : descriptions) {
        for (const RECT& control : controls) {
            for (int angle : {0, 45}) {
                TImageSpec spec;
                spec.Reset(description);
                CUIRender::DrawImageSpec(canvas.DC(), &m_manager, control, canvas.Rect(), spec, angle);
                CUIRender::DrawImageSpec(canvas.DC(), &m_manager, control, RECT{5, 5, 6, 6}, spec);
            }
        }
    }
    SUCCEED();
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
