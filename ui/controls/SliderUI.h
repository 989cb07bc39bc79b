#pragma once
// CSliderUI: a progress bar with a draggable thumb. Pressing on the thumb captures it; while
// the button is held the value follows the pointer; releasing it sets the final value and sends
// "valuechanged". The mouse wheel moves the value by one step and sends "valuechanged" too.

#include <windows.h>

#include "ui/controls/ProgressUI.h"

namespace SkinUI {

class CSliderUI : public CProgressUI {
public:
    CSliderUI();  // text centred on one line, thumb 10 x 10, step 1
    ~CSliderUI() override;                                      // 0

    LPCWSTR ClassName() const override;                         // 3: "SliderUI"
    LONG AccessibleRole() const override;
    CUIString AccessibleValue() const override;  // the value itself
    LPVOID InterfaceByName(LPCWSTR name) override;              // 4: "Slider"
    UINT ControlFlags() const override;                         // 5: set-cursor while enabled
    void SetEnabled(bool enabled = true) override;              // 54: disabling clears the state
    void ProcessEvent(TControlEvent& event) override;           // 67
    void PaintStateImage(HDC hDC) override;                     // 76

    // The thumb's rectangle in window coordinates for the current value.
    RECT ThumbRect() const;
    // The value a pointer at pt stands for (the thumb centred on it), within min and max.
    int ValueFromPoint(POINT pt) const;

    UINT SliderState() const { return m_uSliderState; }
    SIZE ThumbSize() const { return m_szThumb; }
    void SetThumbSize(SIZE size);  // each side kept within the coordinate range
    int ChangeStep() const { return m_nStep; }
    void SetChangeStep(int step) { m_nStep = step; }
    LPCWSTR ThumbImage() const { return m_thumbImage.description; }
    void SetThumbImage(LPCWSTR description);
    LPCWSTR ThumbHotImage() const { return m_thumbHotImage.description; }
    void SetThumbHotImage(LPCWSTR description);
    LPCWSTR ThumbPushedImage() const { return m_thumbPushedImage.description; }
    void SetThumbPushedImage(LPCWSTR description);

protected:
    // Sets the value and sends "valuechanged".
    void ChangeValue(int value);

    SIZE m_szThumb = {10, 10};
    UINT m_uSliderState = 0;  // kStateHot, kStateCaptured
    int m_nStep = 1;
    TImageSpec m_thumbImage;
    TImageSpec m_thumbHotImage;
    TImageSpec m_thumbPushedImage;

private:
    static const CAttributeTable<CSliderUI>& Attributes();
};

}  // namespace SkinUI
