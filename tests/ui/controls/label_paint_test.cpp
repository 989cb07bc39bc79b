// Labels: attributes, alignment and colours of the painted text, the GDI+ effects, the width
// computed from the text; CTextUI's height and links; CLabelUIEx's hover and effect rule.

#include <gtest/gtest.h>

#include <memory>

#include "tests/common/RectAssert.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/LabelUIEx.h"
#include "ui/controls/TextUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/render/UIRender.h"
#include "ui/core/skin/ResourceData.h"

using namespace SkinUI;
using test_support::SameRect;
using namespace control_test;

namespace {

constexpr DWORD kWhite = 0xFFFFFF;
constexpr int kLargeFont = 7;  // a font id the tests add: big glyphs give many pixels to count

// The box of every pixel that is not white.
RECT InkBox(const RenderTest::CCanvas& canvas) {
    RECT box{};
    canvas.CountDiffering(kWhite, canvas.Rect(), &box);
    return box;
}

}  // namespace

TEST(LabelAttributes, AlignmentWordsSetTheTextStyle) {
    struct TCase {
        const wchar_t* value;
        UINT style;
    };
    // The label starts with DT_VCENTER (4); the first word found in the value decides.
    const TCase cases[] = {
        {L"right", DT_VCENTER | DT_RIGHT},
        {L"vcenter", 0x25},
        {L"topleft", DT_VCENTER},  // "left" is looked for before "top"
        {L"top", DT_SINGLELINE},
        {L"center", DT_VCENTER | DT_CENTER},
        {L"bottom", 0x28},
        {L"mleft", DT_VCENTER | DT_EDITCONTROL},
        {L"nothing known", DT_VCENTER},
    };
    for (const TCase& c : cases) {
        CLabelUI label;
        label.ApplyAttribute(L"align", c.value);
        EXPECT_EQ(label.TextStyle(), c.style) << c.value;
    }
    CLabelUI label;
    label.ApplyAttribute(L"endellipsis", L"true");
    EXPECT_EQ(label.TextStyle(), static_cast<UINT>(DT_VCENTER | DT_END_ELLIPSIS));
    label.ApplyAttribute(L"endellipsis", L"TRUE");
    EXPECT_EQ(label.TextStyle(), static_cast<UINT>(DT_VCENTER));
}

TEST(LabelAttributes, ShadowOffsetHintAndColours) {
    struct TCase {
        const wchar_t* value;
        float dx, dy;
    };
    const TCase cases[] = {
        {L"2,45", -2, -2}, {L"2,-135", 2, 2}, {L"2,-180", 0, 2}, {L"2,-90", 2, 0},
        {L"3,0", -3, -3},  {L"2,180", -2, 2},
    };
    for (const TCase& c : cases) {
        CLabelUI label;
        label.ApplyAttribute(L"shadowoffset", c.value);
        EXPECT_EQ(label.ShadowOffsetX(), c.dx) << c.value;
        EXPECT_EQ(label.ShadowOffsetY(), c.dy) << c.value;
    }
    CLabelUI label;
    label.ApplyAttribute(L"shadowoffset", L"2,45");
    label.ApplyAttribute(L"shadowoffset", L"5,200");  // angle out of range: unchanged
    EXPECT_EQ(label.ShadowOffsetX(), -2.0f);

    ApplyAttributes(label, {L"rhaa", L"7", L"textcolor", L"#FF112233", L"textcolor1", L"00FF00",
                            L"disabledtextcolor", L"#80FFFFFF", L"transtext", L"300",
                            L"font", L"3", L"hoverfont", L"x", L"textpadding", L"1,2,3,4"});
    EXPECT_EQ(label.RenderingHint(), 0);
    EXPECT_EQ(label.TextColor(), 0xFF112233u);
    EXPECT_EQ(label.TextColor1(), 0x0000FF00u) << "six digits give alpha 0";
    EXPECT_EQ(label.DisabledTextColor(), 0x80FFFFFFu);
    EXPECT_EQ(label.TransText(), 300);
    EXPECT_EQ(label.Font(), 3);
    EXPECT_EQ(label.HoverFont(), 0);
    EXPECT_TRUE(SameRect(label.TextPadding(), RECT{1, 2, 3, 4}));
    label.ApplyAttribute(L"rhaa", L"4");
    EXPECT_EQ(label.RenderingHint(), 4);
    EXPECT_EQ(label.ClassName(), std::wstring(L"LabelUI"));
    EXPECT_EQ(label.InterfaceByName(L"Label"), &label);
    EXPECT_EQ(label.InterfaceByName(L"Control"), &label);
    EXPECT_EQ(label.InterfaceByName(L"Button"), nullptr);
}

TEST(LabelPaint, AlignmentPlacesTheText) {
    CTestWindow window;
    struct TCase {
        const wchar_t* align;
        bool (*check)(const RECT& ink);
    };
    // The label covers the whole 240 x 60 canvas.
    const TCase cases[] = {
        {L"left", [](const RECT& ink) { return ink.left < 6 && ink.right < 120; }},
        {L"right", [](const RECT& ink) { return ink.right > 234 && ink.left > 120; }},
        {L"center", [](const RECT& ink) { return ink.left > 60 && ink.right < 180; }},
        {L"top", [](const RECT& ink) { return ink.top < 8 && ink.bottom < 30; }},
        {L"bottom", [](const RECT& ink) { return ink.bottom > 52 && ink.top > 30; }},
        {L"vcenter", [](const RECT& ink) { return ink.top > 12 && ink.bottom < 48; }},
    };
    for (const TCase& c : cases) {
        auto label = std::make_unique<CLabelUI>();
        window.Adopt(label, RECT{0, 0, 240, 60});
        ApplyAttributes(*label, {L"text", L"Wg", L"textcolor", L"#FFFF0000", L"align", c.align});
        auto canvas = PaintOnCanvas(*label, 240, 60);
        const RECT ink = InkBox(*canvas);
        EXPECT_FALSE(RectIsEmpty(ink)) << c.align;
        EXPECT_TRUE(c.check(ink)) << c.align << ": " << ink.left << "," << ink.top << ","
                                  << ink.right << "," << ink.bottom;
    }
}

TEST(LabelPaint, TextPaddingMovesTheText) {
    CTestWindow window;
    auto label = std::make_unique<CLabelUI>();
    window.Adopt(label, RECT{0, 0, 240, 40});
    ApplyAttributes(*label, {L"text", L"Wg", L"align", L"left", L"textpadding", L"100,0,0,0"});
    const RECT ink = InkBox(*PaintOnCanvas(*label, 240, 40));
    EXPECT_GE(ink.left, 100);
}

TEST(LabelPaint, ColoursFollowStateAndDefaults) {
    CTestWindow window;
    window.Manager().SetDefaultFontColor(0xFF0000FF);
    window.Manager().SetDefaultDisabledColor(0xFF00C000);
    AddLargeFont(window.Manager(), kLargeFont, 28);
    auto label = std::make_unique<CLabelUI>();
    window.Adopt(label, RECT{0, 0, 200, 50});
    ApplyAttributes(*label, {L"text", L"HHH", L"font", L"7", L"textcolor", L"#FFFF0000"});
    EXPECT_GT(PaintOnCanvas(*label, 200, 50)->CountColor(0xFF0000, RECT{0, 0, 200, 50}, 8), 40);

    // "#000000" reads as 0: the window's default colour is used, and kept.
    label->ApplyAttribute(L"textcolor", L"#000000");
    auto canvas = PaintOnCanvas(*label, 200, 50);
    EXPECT_GT(canvas->CountColor(0x0000FF, canvas->Rect(), 8), 40);
    EXPECT_EQ(canvas->CountColor(0xFF0000, canvas->Rect(), 60), 0);
    EXPECT_EQ(label->TextColor(), 0xFF0000FFu);

    label->SetEnabled(false);
    canvas = PaintOnCanvas(*label, 200, 50);
    EXPECT_GT(canvas->CountColor(0x00C000, canvas->Rect(), 8), 40);
    EXPECT_EQ(canvas->CountColor(0x0000FF, canvas->Rect(), 60), 0);
}

TEST(LabelPaint, EmptyTextAndFormattedText) {
    CTestWindow window;
    AddLargeFont(window.Manager(), kLargeFont, 28);
    auto label = std::make_unique<CLabelUI>();
    window.Adopt(label, RECT{0, 0, 200, 40});
    EXPECT_EQ(PaintOnCanvas(*label, 200, 40)->CountDiffering(kWhite, RECT{0, 0, 200, 40}), 0);
    ApplyAttributes(*label, {L"showhtml", L"true", L"align", L"left",
                             L"text", L"<f 7><c #FF00A000>HH</c></f>"});
    auto canvas = PaintOnCanvas(*label, 200, 40);
    EXPECT_GT(canvas->CountColor(0x00A000, canvas->Rect(), 8), 40)
        << "formatted text draws its tags, not their text";
}

TEST(LabelEffects, GradientStrokeAndShadowDrawAndDiffer) {
    CTestWindow window;
    AddLargeFont(window.Manager(), kLargeFont, 28);
    auto paint = [&](std::initializer_list<const wchar_t*> extra) {
        auto label = std::make_unique<CLabelUI>();
        window.Adopt(label, RECT{0, 0, 200, 60});
        ApplyAttributes(*label, {L"text", L"HHH", L"font", L"7", L"enabledeffect", L"true",
                                 L"textcolor", L"#FFFF0000", L"textcolor1", L"#FF0000FF",
                                 L"transtext", L"255", L"transtext1", L"255"});
        ApplyAttributes(*label, extra);
        return PaintOnCanvas(*label, 200, 60);
    };
    const RECT all{0, 0, 200, 60};
    auto plain = paint({});
    RECT ink{};
    ASSERT_GT(plain->CountDiffering(kWhite, all, &ink), 100);
    // The gradient runs from red at the top of the rectangle to blue at its bottom, so the top
    // of the glyphs is redder than their bottom.
    auto redness = [&](const RenderTest::CCanvas& canvas, int y) {
        int red = 0, blue = 0;
        for (int x = 0; x < 200; ++x) {
            const DWORD rgb = canvas.Rgb(x, y);
            if (rgb == kWhite) continue;
            red += (rgb >> 16) & 0xFF;
            blue += rgb & 0xFF;
        }
        return red - blue;
    };
    EXPECT_GT(redness(*plain, ink.top + 2), redness(*plain, ink.bottom - 3));
    EXPECT_EQ(plain->CountColor(0x00FF00, all, 40), 0);

    auto stroked = paint({L"enabledstroke", L"true", L"strokecolor", L"#FF00FF00"});
    EXPECT_GT(stroked->CountColor(0x00FF00, all, 60), 20) << "a green outline";

    auto shadowed = paint({L"enabledshadow", L"true", L"shadowoffset", L"3,45",
                           L"textshadowcolora", L"#FF000000", L"transshadow", L"255",
                           L"transshadow1", L"255"});
    RECT shadowInk{};
    shadowed->CountDiffering(kWhite, all, &shadowInk);
    EXPECT_LT(shadowInk.left, ink.left) << "the shadow lies up and left of the text";
    EXPECT_LT(shadowInk.top, ink.top);
    EXPECT_GT(shadowed->CountColor(0x000000, all, 40), 10);

    // Effects without textcolor1 draw plain GDI+ text at alpha transtext (168 by default):
    // red over white never reaches full red.
    auto label = std::make_unique<CLabelUI>();
    window.Adopt(label, RECT{0, 0, 200, 60});
    ApplyAttributes(*label, {L"text", L"HHH", L"font", L"7", L"enabledeffect", L"true",
                             L"textcolor", L"#FFFF0000"});
    auto translucent = PaintOnCanvas(*label, 200, 60);
    SaveArtifact(*plain, L"label_effect_gradient.png");
    SaveArtifact(*stroked, L"label_effect_stroke.png");
    SaveArtifact(*shadowed, L"label_effect_shadow.png");
    SaveArtifact(*translucent, L"label_effect_alpha.png");
    EXPECT_GT(translucent->CountColor(0xFF5757, all, 12), 40);
    EXPECT_EQ(translucent->CountColor(0xFF0000, all, 40), 0);
}

TEST(LabelSize, HeightFromTheFontAndWidthFromTheText) {
    CTestWindow window;
    auto label = std::make_unique<CLabelUI>();
    window.Adopt(label, RECT{0, 0, 100, 20});
    const int textHeight = window.Manager().GetFontInfo(-1)->tm.tmHeight;
    ASSERT_GT(textHeight, 0);
    EXPECT_EQ(label->DesiredSize(SIZE{500, 500}).cy, textHeight + 4);
    label->SetFixedHeight(30);
    EXPECT_EQ(label->DesiredSize(SIZE{500, 500}).cy, 30);

    ApplyAttributes(*label, {L"text", L"Hello there", L"textpadding", L"5,0,5,0",
                             L"autocalcwidth", L"true"});
    RECT measured{0, 0, 0, 0};
    CUIRender::DrawText(window.Manager().GetPaintDC(), &window.Manager(), measured,
                        L"Hello there", 0, -1, DT_VCENTER | DT_CALCRECT);
    ASSERT_GT(RectWidth(measured), 20);
    EXPECT_EQ(label->DesiredSize(SIZE{500, 500}).cx, RectWidth(measured) + 10);
    EXPECT_EQ(label->FixedWidth(), RectWidth(measured) + 10) << "the fixed width is overwritten";
}

TEST(TextControl, HeightFollowsTheTextAtTheAvailableWidth) {
    CTestWindow window;
    auto text = std::make_unique<CTextUI>();
    window.Adopt(text, RECT{0, 0, 80, 20});
    EXPECT_EQ(text->TextStyle(), static_cast<UINT>(DT_WORDBREAK));
    EXPECT_TRUE(SameRect(text->TextPadding(), RECT{2, 0, 2, 0}));
    const int lineHeight = window.Manager().GetFontInfo(-1)->tm.tmHeight;

    // No text takes no room (and not the 9999-pixel measuring rectangle).
    EXPECT_EQ(text->DesiredSize(SIZE{80, 500}).cy, 0);

    text->SetText(L"one");
    const SIZE single = text->DesiredSize(SIZE{300, 500});
    EXPECT_GE(single.cy, lineHeight);
    EXPECT_LT(single.cy, 2 * lineHeight);
    text->SetText(L"one two three four five six seven eight nine ten");
    const SIZE narrow = text->DesiredSize(SIZE{80, 500});
    EXPECT_GE(narrow.cy, 3 * lineHeight) << "word wrapped to several lines";
    EXPECT_LE(narrow.cx, 80);
    text->SetFixedHeight(17);
    EXPECT_EQ(text->DesiredSize(SIZE{80, 500}).cy, 17);
}

TEST(TextControl, LinksAreClickableAreas) {
    CTestWindow window;
    auto text = std::make_unique<CTextUI>();
    window.Adopt(text, RECT{0, 0, 300, 40});
    ApplyAttributes(*text, {L"showhtml", L"true",
                            L"text", L"<a first>First</a> and <a second>Second</a>"});
    EXPECT_EQ(text->ControlFlags(), 0u) << "no links before the first paint";
    PaintOnCanvas(*text, 300, 40);
    ASSERT_EQ(text->LinkCount(), 2);
    EXPECT_EQ(text->LinkText(1), CUIString(L"second"));
    EXPECT_EQ(text->ControlFlags(), static_cast<UINT>(kControlFlagSetCursor));

    const POINT second = Centre(text->LinkRect(1));
    SendEvent(*text, kEventMouseMove, second);
    EXPECT_EQ(text->HoverLink(), 1);
    Click(*text, second);
    ASSERT_EQ(window.Recorder().Count(L"link", text.get()), 1);
    EXPECT_EQ(window.Recorder().Seen().back().wParam, 1u);
    Click(*text, POINT{299, 39});  // outside both links
    EXPECT_EQ(window.Recorder().Count(L"link"), 1);
    SendEvent(*text, kEventMouseLeave, POINT{-1, -1});
    EXPECT_EQ(text->HoverLink(), -1);

    text->SetEnabled(false);
    Click(*text, second);
    EXPECT_EQ(window.Recorder().Count(L"link"), 1) << "a disabled text sends no link";
    EXPECT_EQ(text->ControlFlags(), 0u);

    // Plain text has no links, whatever the last formatted paint found.
    text->SetEnabled(true);
    text->SetShowHtml(false);
    PaintOnCanvas(*text, 300, 40);
    EXPECT_EQ(text->LinkCount(), 0);
    EXPECT_EQ(text->ControlFlags(), 0u);
}

TEST(LabelEx, HoverAndEffectRule) {
    CTestWindow window;
    AddLargeFont(window.Manager(), kLargeFont, 28);
    auto label = std::make_unique<CLabelUIEx>();
    window.Adopt(label, RECT{0, 0, 200, 50});
    EXPECT_EQ(label->ClassName(), std::wstring(L"LabelUI"));
    SendEvent(*label, kEventMouseEnter, POINT{10, 10});
    EXPECT_TRUE(label->IsHovered());
    SendEvent(*label, kEventButtonDown, POINT{10, 10});
    EXPECT_FALSE(label->IsHovered());
    SendEvent(*label, kEventMouseEnter, POINT{10, 10});
    SendEvent(*label, kEventMouseLeave, POINT{-1, -1});
    EXPECT_FALSE(label->IsHovered());

    // With effects on and no textcolor1, the gradient drawing runs with textcolor at both ends
    // and the text alpha; it starts at the top-left corner whatever the alignment.
    ApplyAttributes(*label, {L"text", L"HH", L"font", L"7", L"align", L"right",
                             L"enabledeffect", L"true", L"textcolor", L"#FF0000FF",
                             L"transtext", L"255", L"transtext1", L"255"});
    auto canvas = PaintOnCanvas(*label, 200, 50);
    const RECT ink = InkBox(*canvas);
    EXPECT_LT(ink.left, 10);
    EXPECT_LT(ink.top, 15);
    EXPECT_GT(canvas->CountColor(0x0000FF, canvas->Rect(), 10), 40);
}
