#pragma once
// CButtonUI: a label that reacts to the mouse and the keyboard. It tracks its hot, pushed,
// captured, focused and disabled states (the kState* bits of ControlUI.h), paints a different
// image and text colour for each, and sends "click" when it is activated: by releasing the left
// button inside it after pressing it there, or by Space or Return while it has the focus. It can
// also fill an ellipse with a picture file (an avatar-style mode, "Ellipse") and rotate its state
// images ("Angle", in hexadecimal degrees).

#include <windows.h>

#include "ui/controls/LabelUI.h"
#include "ui/core/render/ImageSpec.h"

namespace SkinUI {

class CButtonUI : public CLabelUI {
public:
    CButtonUI();  // text centred on one line
    ~CButtonUI() override;                                     // 0

    LPCWSTR ClassName() const override;                        // 3: "ButtonUI"
    LONG AccessibleRole() const override;
    CUIString AccessibleDefaultAction() const override;  // "Press"
    LPVOID InterfaceByName(LPCWSTR name) override;             // 4: "Button"
    UINT ControlFlags() const override;                        // 5
    bool CanActivate() override;                               // 6: sends "click"
    void SetEnabled(bool enabled = true) override;             // 54: disabling clears the state
    void ProcessEvent(TControlEvent& event) override;          // 67
    SIZE DesiredSize(SIZE available) override;                 // 70
    void PaintStateImage(HDC hDC) override;                    // 76
    void PaintTextContent(HDC hDC) override;                   // 77

    UINT ButtonState() const { return m_uButtonState; }

    // State images: a new description (or one whose picture is not loaded) resets the slot and
    // invalidates; the picture loads at the next paint.
    LPCWSTR NormalImage() const { return m_normalImage.description; }
    void SetNormalImage(LPCWSTR description);
    LPCWSTR HotImage() const { return m_hotImage.description; }
    void SetHotImage(LPCWSTR description);
    LPCWSTR HotForeImage() const { return m_hotForeImage.description; }
    void SetHotForeImage(LPCWSTR description);
    LPCWSTR PushedImage() const { return m_pushedImage.description; }
    void SetPushedImage(LPCWSTR description);
    LPCWSTR FocusedImage() const { return m_focusedImage.description; }
    void SetFocusedImage(LPCWSTR description);
    LPCWSTR DisabledImage() const { return m_disabledImage.description; }
    void SetDisabledImage(LPCWSTR description);
    // The "foreimage" attribute of buttons sets the base fore image the same way (no loading
    // now, no floating-size rule).

    // State colours (stored; they show at the next paint).
    DWORD HotBkColor() const { return m_dwHotBkColor; }
    void SetHotBkColor(DWORD color) { m_dwHotBkColor = color; }
    DWORD HotTextColor() const { return m_dwHotTextColor; }
    void SetHotTextColor(DWORD color) { m_dwHotTextColor = color; }
    DWORD PushedTextColor() const { return m_dwPushedTextColor; }
    void SetPushedTextColor(DWORD color) { m_dwPushedTextColor = color; }
    DWORD FocusedTextColor() const { return m_dwFocusedTextColor; }
    void SetFocusedTextColor(DWORD color) { m_dwFocusedTextColor = color; }

    // Rotation of the state images in degrees; invalidates.
    int ImageAngle() const { return m_nImageAngle; }
    void SetImageAngle(int degrees);

    // Ellipse mode: the picture file named by the ellipse image (a path, read from disk) is
    // scaled to the ellipse's box, ellipsePadding relative to itemRect's top-left corner, and
    // fills the ellipse as a texture whose origin is moved by translatePadding's left and top.
    // The paddings are kept within the coordinate range.
    bool IsEllipse() const { return m_bEllipse; }
    void SetEllipse(bool ellipse) { m_bEllipse = ellipse; }
    LPCWSTR EllipseImage() const { return m_ellipseImage.description; }
    void SetEllipseImage(LPCWSTR path);
    RECT EllipsePadding() const { return m_rcEllipsePadding; }
    void SetEllipsePadding(const RECT& padding);
    RECT TranslatePadding() const { return m_rcTranslatePadding; }
    void SetTranslatePadding(const RECT& padding);

protected:
    // Sets the focused, disabled and ellipse bits from the control's current state.
    void RefreshStateBits();
    // Draws spec with the image angle; when that draws nothing, the normal image.
    void DrawStateOrNormal(HDC hDC, TImageSpec& spec);
    void PaintEllipse(HDC hDC);
    // The text colour and font of the current state (pushed, hot, focused, else normal).
    void StateTextColorAndFont(DWORD& color, int& fontId) const;

    UINT m_uButtonState = 0;
    DWORD m_dwHotBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
    int m_nImageAngle = 0;
    bool m_bEllipse = false;
    RECT m_rcEllipsePadding = {0, 0, 0, 0};
    RECT m_rcTranslatePadding = {0, 0, 0, 0};
    TImageSpec m_normalImage;
    TImageSpec m_hotImage;
    TImageSpec m_hotForeImage;
    TImageSpec m_pushedImage;
    TImageSpec m_pushedForeImage;  // no attribute: stays empty unless set in code
    TImageSpec m_focusedImage;
    TImageSpec m_disabledImage;
    TImageSpec m_ellipseImage;  // only its description is used, as a file path

    // The class's attribute table, linked to its base's (AttributeTable.h).
    static const CAttributeTable<CButtonUI>& Attributes();
};

}  // namespace SkinUI
