// CLabelUI: text attributes, alignment words, size from the text and the text painter of the
// label family, including the GDI+ effect drawing (gradient, stroke, shadow).

#include "ui/controls/LabelUI.h"

// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <oleacc.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/render/UIRender.h"
#include "ui/core/skin/ResourceData.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return wcscmp(name, expected) == 0; }

// The alignment words of "align", in the order they are looked for: the first word found in
// the value decides, clearing and setting bits of the text style.
struct TAlignRule {
    LPCWSTR word;
    UINT clear;
    UINT set;
};
constexpr TAlignRule kAlignRules[] = {
    {L"mleft", 0x23, DT_EDITCONTROL},
    {L"left", 0x23, 0},
    {L"csingle", 0x26, DT_CENTER},
    {L"right", 0x21, DT_RIGHT},
    {L"rsingle", 0x25, DT_RIGHT},
    {L"mtop", 0x2C, DT_EDITCONTROL},
    {L"top", 0xC, DT_SINGLELINE},
    {L"vcenter", 0x8, 0x25},
    {L"lcenter", 0x9, 0x24},
    {L"bcenter", 0x4, 0x29},
    {L"rcenter", 0x9, 0x26},
    {L"bottom", 0x4, 0x28},
    {L"center", 0x2, DT_CENTER},
};

// An effect transparency is an alpha byte: only its low byte counts.
Gdiplus::Color EffectColor(int alpha, DWORD argb) {
    return Gdiplus::Color(ArgbWithAlpha(argb, static_cast<BYTE>(alpha)));
}

Gdiplus::StringAlignment HorizontalAlignment(UINT style) {
    if (style & DT_CENTER) return Gdiplus::StringAlignmentCenter;
    if (style & DT_RIGHT) return Gdiplus::StringAlignmentFar;
    return Gdiplus::StringAlignmentNear;
}

Gdiplus::StringAlignment VerticalAlignment(UINT style) {
    if (style & DT_VCENTER) return Gdiplus::StringAlignmentCenter;
    if (style & DT_BOTTOM) return Gdiplus::StringAlignmentFar;
    return Gdiplus::StringAlignmentNear;
}

Gdiplus::REAL Real(long long value) { return static_cast<Gdiplus::REAL>(value); }

}  // namespace

CLabelUI::CLabelUI() : m_gdiplusToken(bxutil::StartGdiplus()) { UseAttributes(Attributes()); }

CLabelUI::~CLabelUI() = default;

LPCWSTR CLabelUI::ClassName() const { return L"LabelUI"; }

LPVOID CLabelUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && Is(name, L"Label")) return this;
    return CControlUI::InterfaceByName(name);
}

CUIString CLabelUI::Text() const { return CControlUI::Text(); }

void CLabelUI::SetText(LPCWSTR text) {
    m_strEffectText = text;
    CControlUI::SetText(text);
}

void CLabelUI::ProcessEvent(TControlEvent& event) {
    // A label shows no focus, so a focus change needs no repaint.
    if (event.nKind == kEventSetFocus || event.nKind == kEventKillFocus) {
        m_bFocused = event.nKind == kEventSetFocus;
        return;
    }
    CControlUI::ProcessEvent(event);
}

// ---- Attributes -----------------------------------------------------------------------------

const CAttributeTable<CLabelUI>& CLabelUI::Attributes() {
    using C = CLabelUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetAlignment>(L"align"),
        // Only the one flag changes, and without a repaint.
        {L"endellipsis",
         [](C& c, LPCWSTR v) {
             if (ParseAttrBool(v)) c.m_uTextStyle |= DT_END_ELLIPSIS;
             else c.m_uTextStyle &= ~static_cast<UINT>(DT_END_ELLIPSIS);
         },
         nullptr},
        AttrInt::Row<&C::SetFont>(L"font"),
        AttrInt::Row<&C::SetHoverFont>(L"hoverfont"),
        AttrColor::Row<&C::SetTextColor>(L"textcolor"),
        AttrColor::Row<&C::SetDisabledTextColor>(L"disabledtextcolor"),
        AttrLengthRect::Row<&C::SetTextPadding>(L"textpadding"),
        AttrBool::Row<&C::SetShowHtml>(L"showhtml"),
        AttrBool::Row<&C::SetEffectsEnabled>(L"enabledeffect"),
        AttrInt::Row<&C::SetRenderingHint>(L"rhaa"),
        AttrInt::Row<&C::SetTransShadow>(L"transshadow"),
        AttrInt::Row<&C::SetTransText>(L"transtext"),
        AttrInt::Row<&C::SetTransShadow1>(L"transshadow1"),
        AttrInt::Row<&C::SetTransText1>(L"transtext1"),
        AttrInt::Row<&C::SetTransStroke>(L"transstroke"),
        AttrInt::Row<&C::SetGradientAngle>(L"gradientangle"),
        AttrBool::Row<&C::SetStrokeEnabled>(L"enabledstroke"),
        AttrBool::Row<&C::SetShadowEnabled>(L"enabledshadow"),
        AttrLength::Row<&C::SetGradientLength>(L"gradientlength"),
        {L"shadowoffset",
         [](C& c, LPCWSTR v) {
             int values[2] = {0, 0};
             ParseAttrIntList(v, values, 2);
             c.SetShadowOffsetPolar(values[0], values[1]);
         },
         nullptr, EScaledAttr::FirstNumber},  // a distance, then an angle
        AttrColor::Row<&C::SetTextColor1>(L"textcolor1"),
        AttrColor::Row<&C::SetTextShadowColorA>(L"textshadowcolora"),
        AttrColor::Row<&C::SetTextShadowColorB>(L"textshadowcolorb"),
        AttrColor::Row<&C::SetStrokeColor>(L"strokecolor"),
        AttrBool::Row<&C::SetAutoCalcWidth>(L"autocalcwidth"),
    };
    static const CAttributeTable<C> table(rows, &CControlUI::Attributes());
    return table;
}

void CLabelUI::SetAlignment(LPCWSTR value) {
    if (value == nullptr) return;
    for (const TAlignRule& rule : kAlignRules) {
        if (wcsstr(value, rule.word) == nullptr) continue;
        m_uTextStyle = (m_uTextStyle & ~rule.clear) | rule.set;
        InvalidateSelf();
        return;
    }
}

void CLabelUI::SetShadowOffset(float dx, float dy) {
    m_fShadowOffsetX = dx;
    m_fShadowOffsetY = dy;
}

void CLabelUI::SetShadowOffsetPolar(int distance, int angle) {
    if (angle < -180 || angle > 180) return;
    const float d = static_cast<float>(distance);
    const float dx = angle >= 0 ? -d : angle == -180 ? 0.0f : d;
    const float dy = (angle >= -89 && angle <= 90) ? -d : angle == -90 ? 0.0f : d;
    SetShadowOffset(dx, dy);
}

void CLabelUI::SetRenderingHint(int hint) {
    m_nRenderingHint = (hint < 0 || hint > 5) ? 0 : hint;
}

// ---- Setters that repaint -------------------------------------------------------------------

void CLabelUI::SetTextStyle(UINT style) { StoreAndRepaint(m_uTextStyle, style); }
void CLabelUI::SetTextColor(DWORD color) { StoreAndRepaint(m_dwTextColor, color); }
void CLabelUI::SetDisabledTextColor(DWORD color) { StoreAndRepaint(m_dwDisabledTextColor, color); }

void CLabelUI::SetFont(int fontId) { StoreAndRepaint(m_iFont, fontId); }
void CLabelUI::SetHoverFont(int fontId) { StoreAndRepaint(m_iHoverFont, fontId); }

void CLabelUI::SetTextPadding(const RECT& padding) {
    StoreAndRepaint(m_rcTextPadding, ClampRectCoordinates(padding));
}

void CLabelUI::SetShowHtml(bool showHtml) {
    if (m_bShowHtml != showHtml) StoreAndRepaint(m_bShowHtml, showHtml);
}

// ---- Size -----------------------------------------------------------------------------------

SIZE CLabelUI::DesiredSize(SIZE /*available*/) { return LabelDesiredSize(m_bAutoCalcWidth, 4); }

SIZE CLabelUI::LabelDesiredSize(bool autoCalcWidth, int extraHeight) {
    HDC dc = m_pManager != nullptr ? m_pManager->GetPaintDC() : nullptr;
    if (autoCalcWidth && dc != nullptr) {
        RECT measured = {0, 0, 0, 0};
        if (!m_strText.IsEmpty()) {
            CUIRender::DrawText(dc, m_pManager, measured, m_strText, m_dwTextColor, m_iFont,
                                m_uTextStyle | DT_CALCRECT);
        }
        m_cxyFixed.cx = ClampCoordinate(static_cast<long long>(m_rcTextPadding.left) +
                                        m_rcTextPadding.right + RectWidth(measured));
    }
    if (m_cxyFixed.cy != 0 || m_pManager == nullptr) return m_cxyFixed;
    const TFontData* font = m_pManager->GetFontInfo(m_iFont);
    const LONG textHeight = font != nullptr ? font->tm.tmHeight : 0;
    return SIZE{m_cxyFixed.cx, textHeight + extraHeight};
}

// ---- Painting -------------------------------------------------------------------------------

void CLabelUI::ApplyDefaultTextColors() {
    if (m_pManager == nullptr) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

RECT CLabelUI::TextRect() const { return RectDeflate(m_rcItem, m_rcTextPadding); }

void CLabelUI::PaintTextContent(HDC hDC) {
    ApplyDefaultTextColors();
    DrawLabelText(hDC, TextRect(), IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_iFont);
}

void CLabelUI::DrawLabelText(HDC hDC, const RECT& rc, DWORD color, int fontId) {
    if (!m_bEnableEffect) {
        DrawPlainText(hDC, rc, color, fontId, m_uTextStyle);
    } else if (m_dwTextColor1 == kLabelColorUnset) {
        RECT area = rc;
        CUIRender::DrawText(hDC, m_pManager, area, m_strEffectText, color, fontId, m_uTextStyle,
                            true, static_cast<BYTE>(m_nTransText));
    } else {
        DrawEffectText(hDC, rc, color, m_dwTextColor1, fontId, true);
    }
}

void CLabelUI::DrawPlainText(HDC hDC, const RECT& rc, DWORD color, int fontId, UINT htmlStyle) {
    if (m_strText.IsEmpty()) return;
    RECT area = rc;
    if (m_bShowHtml) {
        int links = 0;
        CUIRender::DrawFormattedText(hDC, m_pManager, area, m_strText, color, nullptr, nullptr,
                                     links, htmlStyle);
    } else {
        CUIRender::DrawText(hDC, m_pManager, area, m_strText, color, fontId, m_uTextStyle);
    }
}

void CLabelUI::DrawEffectText(HDC hDC, const RECT& rc, DWORD first, DWORD second, int fontId,
                              bool aligned) {
    if (hDC == nullptr || m_pManager == nullptr || m_strEffectText.IsEmpty()) return;
    CUIString text(m_strEffectText);
    CWindowManagerUI::ExpandTextTokens(text);

    // The window's font; when GDI+ cannot take it, the font selected in the device context.
    Gdiplus::Font windowFont(hDC, m_pManager->GetFont(fontId));
    Gdiplus::Font contextFont(hDC);
    const Gdiplus::Font* font = windowFont.GetLastStatus() == Gdiplus::Ok ? &windowFont
                                                                          : &contextFont;
    if (font->GetLastStatus() != Gdiplus::Ok) return;

    Gdiplus::Graphics graphics(hDC);
    graphics.SetTextRenderingHint(static_cast<Gdiplus::TextRenderingHint>(m_nRenderingHint));
    Gdiplus::StringFormat format;
    format.SetAlignment(aligned ? HorizontalAlignment(m_uTextStyle) : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(aligned ? VerticalAlignment(m_uTextStyle)
                                    : Gdiplus::StringAlignmentNear);

    const Gdiplus::RectF layout(Real(rc.left), Real(rc.top), Real(RectWidth(rc)),
                                Real(RectHeight(rc)));
    Gdiplus::RectF shadowLayout = layout;
    shadowLayout.Offset(m_fShadowOffsetX, m_fShadowOffsetY);
    // Every brush runs from (gradientAngle, 0) to (0, length) in device coordinates.
    const Gdiplus::PointF start(Real(m_nGradientAngle), 0.0f);
    const long long length = m_nGradientLength != 0 ? m_nGradientLength : RectHeight(rc);
    const Gdiplus::PointF end(0.0f, Real(length));

    if (m_bEnableStroke && m_dwStrokeColor != 0) {
        const Gdiplus::Color stroke = EffectColor(m_nTransStroke, m_dwStrokeColor);
        Gdiplus::LinearGradientBrush brush(start, Gdiplus::PointF(0.0f, Real(RectHeight(rc)) + 2),
                                           stroke, stroke);
        if (brush.GetLastStatus() == Gdiplus::Ok) {
            // A one-pixel outline: the text drawn once to each side.
            constexpr float kOffsets[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& offset : kOffsets) {
                Gdiplus::RectF moved = layout;
                moved.Offset(offset[0], offset[1]);
                graphics.DrawString(text, -1, font, moved, &format, &brush);
            }
        }
    }
    if (m_bEnableShadow && (m_dwTextShadowColorA != 0 || m_dwTextShadowColorB != 0)) {
        const DWORD shadowEnd =
            m_dwTextShadowColorB == kLabelColorUnset ? m_dwTextShadowColorA : m_dwTextShadowColorB;
        Gdiplus::LinearGradientBrush brush(start, end,
                                           EffectColor(m_nTransShadow, m_dwTextShadowColorA),
                                           EffectColor(m_nTransShadow1, shadowEnd));
        if (brush.GetLastStatus() == Gdiplus::Ok)
            graphics.DrawString(text, -1, font, shadowLayout, &format, &brush);
    }
    Gdiplus::LinearGradientBrush brush(start, end, EffectColor(m_nTransText, first),
                                       EffectColor(m_nTransText1, second));
    if (brush.GetLastStatus() == Gdiplus::Ok)
        graphics.DrawString(text, -1, font, layout, &format, &brush);
}

// ---- Image slots of the label family ---------------------------------------------------------

bool CLabelUI::SetImageDescription(TImageSpec& spec, LPCWSTR description) {
    if (spec.description == description && spec.image != nullptr) return false;
    spec.Reset(description);
    InvalidateSelf();
    return true;
}

bool CLabelUI::DrawImageAt(HDC hDC, TImageSpec& spec, const RECT& dest) {
    // Parse and load first: the description's own "dest" must not win over ours.
    if (!CUIRender::DrawImageSpec(nullptr, m_pManager, m_rcItem, m_rcPaint, spec)) return false;
    spec.dest = dest;
    if (RectIsEmpty(dest)) return true;
    return DrawImage(hDC, spec);
}

// ---- Events shared by the label family -------------------------------------------------------

bool CLabelUI::PassMouseEventOn(TControlEvent& event) {
    if (IsMouseEnabled() || !IsMouseEvent(event.nKind)) return false;
    if (m_pParent != nullptr)
        m_pParent->ProcessEvent(event);
    else
        CLabelUI::ProcessEvent(event);
    return true;
}

void CLabelUI::SetCursorShape(LPCWSTR cursorId) { ::SetCursor(::LoadCursorW(nullptr, cursorId)); }

bool CLabelUI::FollowHover(UINT& state, int eventKind) {
    if (!IsEnabled()) return false;
    if (eventKind == kEventMouseEnter) state |= kStateHot;
    else state &= ~kStateHot;
    InvalidateSelf();
    return true;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Label", &CreateControlOf<CLabelUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CLabelUI::AccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }

CUIString CLabelUI::AccessibleName() const {
    const CUIString name = CControlUI::AccessibleName();
    return m_bShowHtml ? CUIRender::FormattedTextWords(name) : name;
}

}  // namespace SkinUI
