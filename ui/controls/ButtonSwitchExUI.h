#pragma once
// CButtonSwitchExUI: a switch whose knob picture ("pointImage", "pointwidth" x "pointheight")
// slides along the button to one of the integer positions "min".."max". A click on the track
// moves the knob to the position under the pointer; the knob can also be dragged (it follows
// the pointer every 50 ms on local timer 10) and snaps to the position where it is let go. A
// change of value sends "selectchanged".
//
// The knob is drawn as the button's normal image with a "dest" at the knob's place, so the
// button's other state images still apply.

#include <windows.h>

#include "ui/controls/ButtonUI.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

class CButtonSwitchExUI : public CButtonUI {
public:
    static constexpr UINT kDragTimerId = 10;
    static constexpr UINT kDragInterval = 50;  // ms

    CButtonSwitchExUI();
    ~CButtonSwitchExUI() override;

    LPCWSTR ClassName() const override;             // "CButtonSwitchExUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "CheckBox", then the button's
    void Place(const RECT& rect, bool invalidate = true) override;
    void ProcessEvent(TControlEvent& event) override;
    void ApplyAttribute(LPCWSTR name, LPCWSTR value) override;
    // A two-position switch reads as a check box (checked at its maximum), one with more
    // positions as a slider with its value. It has no default action: a press would only click,
    // not move the knob.
    LONG AccessibleRole() const override;
    DWORD AccessibleState() const override;
    CUIString AccessibleValue() const override;
    CUIString AccessibleDefaultAction() const override;

    // Sets the value (kept within min..max) and moves the knob; with notify a change sends
    // "selectchanged".
    void SetSwitchValue(int value, bool notify);
    int SwitchValue() const { return m_nSwitchValue; }
    int SwitchMin() const { return m_nSwitchMin; }
    int SwitchMax() const { return m_nSwitchMax; }
    // Draws the knob at its value's place moved by offset pixels (kept on the track).
    void UpdatePoint(int offset);
    // The knob's rectangle at the current value (window coordinates).
    RECT KnobRect() const;
    UINT ThumbState() const { return m_uThumbState; }
    bool IsTwoPositions() const { return m_nSwitchMax - m_nSwitchMin == 1; }

protected:
    // The knob's left edge inside the button for the current value.
    int KnobOffset() const;
    // The knob image at offset; invalidates only when asked to.
    void DrawKnobAt(int offset, bool invalidate);
    // Chooses the position under the pointer's x and sets it (with notification).
    void SelectAt(LONG x);
    static void Trace(LPCWSTR format, ...);

    UINT m_uThumbState = 0;
    CUIString m_strPointImage;
    int m_nPointHeight = 0;
    int m_nPointWidth = 0;
    int m_nSwitchMax = 0;
    int m_nSwitchMin = 0;
    int m_nSwitchValue = 0;
    int m_nDragOffset = 0;
    RECT m_rcThumb = {0, 0, 0, 0};
    POINT m_ptDragStart = {0, 0};

private:
    static const CAttributeTable<CButtonSwitchExUI>& Attributes();
};

}  // namespace SkinUI
