#pragma once
// CLabelUI: the control that shows one text. It adds to CControlUI a text style (Win32 DrawText
// flags), normal and disabled text colours, a font id, text padding, optional formatted ("html")
// text, a width computed from the text ("autocalcwidth") and an effect mode that draws the text
// with GDI+: a two-colour gradient, an optional one-pixel outline ("stroke") and an optional
// shadow. Buttons, options, progress bars and several custom controls derive from it and share
// its text painter DrawLabelText.
//
// Colours are ARGB; 0 for the text colours means "the window's default", filled in (and kept)
// at the first paint. Effect transparencies are alpha bytes: only the low byte of a value counts.
//
// Each label holds a GDI+ session of its own for its lifetime (GDI+ counts its sessions, so the
// process-wide one of the render engine is unaffected).

#include <windows.h>

#include "support/GdiplusSession.h"
#include "ui/core/base/UIString.h"
#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

// Win32 DrawText flags as the label family uses them in textStyle.
enum : UINT {
    kTextCenter = DT_CENTER,            // 0x1
    kTextRight = DT_RIGHT,              // 0x2
    kTextVCenter = DT_VCENTER,          // 0x4
    kTextBottom = DT_BOTTOM,            // 0x8
    kTextWordBreak = DT_WORDBREAK,      // 0x10
    kTextSingleLine = DT_SINGLELINE,    // 0x20
    kTextEditControl = DT_EDITCONTROL,  // 0x2000
    kTextEndEllipsis = DT_END_ELLIPSIS, // 0x8000
};

// textColor1 and shadowColorB use this value for "not set".
constexpr DWORD kLabelColorUnset = 0xFFFFFFFF;

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    ~CLabelUI() override;                                      // 0

    LPCWSTR ClassName() const override;                        // 3: "LabelUI"
    LONG AccessibleRole() const override;
    CUIString AccessibleName() const override;  // formatted text without its tags
    LPVOID InterfaceByName(LPCWSTR name) override;             // 4: "Label"
    CUIString Text() const override;                           // 10
    void SetText(LPCWSTR text) override;                       // 11: keeps the effect text too
    void ProcessEvent(TControlEvent& event) override;          // 67
    SIZE DesiredSize(SIZE available) override;                 // 70
    void PaintTextContent(HDC hDC) override;                   // 77

    // Draws the label's text in rc with colour and font id fontId: plain GDI text, formatted
    // text ("showhtml"), or the effect drawing ("enabledeffect"). Shared by the label family.
    void DrawLabelText(HDC hDC, const RECT& rc, DWORD color, int fontId);

    // ---- Text appearance (these setters invalidate) ------------------------------------------
    UINT TextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    DWORD TextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    DWORD DisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    int Font() const { return m_iFont; }
    void SetFont(int fontId);
    int HoverFont() const { return m_iHoverFont; }
    void SetHoverFont(int fontId);
    RECT TextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(const RECT& padding);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool showHtml = true);  // invalidates only when the value changes
    // "align": the first of the alignment words found in value decides (see LabelUI.cpp).
    void SetAlignment(LPCWSTR value);

    // ---- Effects (these setters only store) ---------------------------------------------------
    bool IsEffectsEnabled() const { return m_bEnableEffect; }
    void SetEffectsEnabled(bool enabled) { m_bEnableEffect = enabled; }
    bool IsStrokeEnabled() const { return m_bEnableStroke; }
    void SetStrokeEnabled(bool enabled) { m_bEnableStroke = enabled; }
    bool IsShadowEnabled() const { return m_bEnableShadow; }
    void SetShadowEnabled(bool enabled) { m_bEnableShadow = enabled; }
    int TransShadow() const { return m_nTransShadow; }
    void SetTransShadow(int alpha) { m_nTransShadow = alpha; }
    int TransShadow1() const { return m_nTransShadow1; }
    void SetTransShadow1(int alpha) { m_nTransShadow1 = alpha; }
    int TransText() const { return m_nTransText; }
    void SetTransText(int alpha) { m_nTransText = alpha; }
    int TransText1() const { return m_nTransText1; }
    void SetTransText1(int alpha) { m_nTransText1 = alpha; }
    int TransStroke() const { return m_nTransStroke; }
    void SetTransStroke(int alpha) { m_nTransStroke = alpha; }
    int GradientLength() const { return m_nGradientLength; }
    void SetGradientLength(int length) { m_nGradientLength = length; }
    int GradientAngle() const { return m_nGradientAngle; }
    void SetGradientAngle(int angle) { m_nGradientAngle = angle; }
    DWORD TextColor1() const { return m_dwTextColor1; }
    void SetTextColor1(DWORD color) { m_dwTextColor1 = color; }
    DWORD TextShadowColorA() const { return m_dwTextShadowColorA; }
    void SetTextShadowColorA(DWORD color) { m_dwTextShadowColorA = color; }
    DWORD TextShadowColorB() const { return m_dwTextShadowColorB; }
    void SetTextShadowColorB(DWORD color) { m_dwTextShadowColorB = color; }
    DWORD StrokeColor() const { return m_dwStrokeColor; }
    void SetStrokeColor(DWORD color) { m_dwStrokeColor = color; }
    float ShadowOffsetX() const { return m_fShadowOffsetX; }
    float ShadowOffsetY() const { return m_fShadowOffsetY; }
    void SetShadowOffset(float dx, float dy);
    // "shadowoffset": a distance and an angle in degrees (-180..180; others change nothing).
    void SetShadowOffsetPolar(int distance, int angle);
    int RenderingHint() const { return m_nRenderingHint; }
    void SetRenderingHint(int hint);  // GDI+ TextRenderingHint 0..5; others become 0
    bool IsAutoCalcWidth() const { return m_bAutoCalcWidth; }
    void SetAutoCalcWidth(bool autoCalc) { m_bAutoCalcWidth = autoCalc; }

protected:
    // Fills the text colours left at 0 with the window's defaults (kept from then on).
    void ApplyDefaultTextColors();
    // itemRect shrunk by the text padding.
    RECT TextRect() const;
    // The label's own DesiredSize rule, with extraHeight added to the font's text height when
    // there is no fixed height (4 for labels, 8 for buttons).
    SIZE LabelDesiredSize(bool autoCalcWidth, int extraHeight);
    // The text without effects, nothing for an empty text: formatted text drawn with htmlStyle
    // when showHtml is on, else GDI text with the text style.
    void DrawPlainText(HDC hDC, const RECT& rc, DWORD color, int fontId, UINT htmlStyle);
    // The GDI+ effect drawing of effectText in rc: gradient text brush from (transText, first)
    // to (transText1, second), shadow and stroke as configured. With aligned the text style's
    // alignment is used, otherwise near/near.
    void DrawEffectText(HDC hDC, const RECT& rc, DWORD first, DWORD second, int fontId,
                        bool aligned);
    // An image slot of the label family takes description when it differs from the stored one
    // or its picture is not loaded: the spec is reset (it loads at the next paint) and the
    // control invalidates. False when nothing changed.
    bool SetImageDescription(TImageSpec& spec, LPCWSTR description);
    // Draws spec with its destination replaced by dest (relative to itemRect's top-left
    // corner); an empty dest draws nothing. False when nothing could be drawn.
    bool DrawImageAt(HDC hDC, TImageSpec& spec, const RECT& dest);
    // A control that is not mouse enabled hands mouse events to its parent (or, at the root, to
    // the label's own handling); true when the event was handed on.
    bool PassMouseEventOn(TControlEvent& event);
    // Shows a system cursor (IDC_HAND, IDC_ARROW, ...).
    static void SetCursorShape(LPCWSTR cursorId);
    // Mouse-enter sets and mouse-leave clears kStateHot in state, with a repaint, while the
    // control is enabled; false (nothing changed) when it is disabled.
    bool FollowHover(UINT& state, int eventKind);
    // Stores value in field and repaints the control.
    template <class T>
    void StoreAndRepaint(T& field, const T& value) {
        field = value;
        InvalidateSelf();
    }

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    int m_iHoverFont = -1;
    UINT m_uTextStyle = DT_VCENTER;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    bool m_bShowHtml = false;
    int m_nTransShadow = 60;
    int m_nTransShadow1 = 60;
    int m_nTransText = 168;
    int m_nTransText1 = 168;
    int m_nTransStroke = 255;
    int m_nGradientLength = 0;
    int m_nGradientAngle = 0;
    bool m_bEnableEffect = false;
    bool m_bEnableStroke = false;
    bool m_bEnableShadow = false;
    DWORD m_dwTextColor1 = kLabelColorUnset;
    DWORD m_dwTextShadowColorA = 0xFF000000;
    DWORD m_dwTextShadowColorB = kLabelColorUnset;
    DWORD m_dwStrokeColor = 0;
    float m_fShadowOffsetX = 0.0f;
    float m_fShadowOffsetY = 0.0f;
    CUIString m_strEffectText;
    bxutil::CGdiplusToken m_gdiplusToken;  // this label's GDI+ session, empty when starting it failed
    int m_nRenderingHint = 0;
    bool m_bAutoCalcWidth = false;

    // The class's attribute table, linked to its base's (AttributeTable.h).
    static const CAttributeTable<CLabelUI>& Attributes();
};

}  // namespace SkinUI
