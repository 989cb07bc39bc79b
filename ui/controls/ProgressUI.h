#pragma once
// CProgressUI: a label that shows a value between a minimum and a maximum by stretching its
// fore image ("foreimage", the bar's own image, not the base fore image) over the filled part
// of its rectangle: from the left edge for a horizontal bar, from the bottom up for a vertical
// one. The text is drawn over it.
//
// The setters only store and invalidate (the installer's worker thread sets the value); the
// values are brought into order (max above min, value within them) and written back at the
// next paint, on the UI thread.

#include <windows.h>

#include "ui/controls/LabelUI.h"
#include "ui/core/render/ImageSpec.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();  // text centred on one line, fixed height 12
    ~CProgressUI() override;                                    // 0

    LPCWSTR ClassName() const override;                         // 3: "ProgressUI"
    LONG AccessibleRole() const override;
    CUIString AccessibleValue() const override;  // the filled part, "45%"
    LPVOID InterfaceByName(LPCWSTR name) override;              // 4: "Progress"
    void PaintStateImage(HDC hDC) override;                     // 76

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    bool IsStretchForeImage() const { return m_bStretchForeImage; }
    void SetStretchForeImage(bool stretch = true);  // stored only; the drawing always stretches
    int MinValue() const { return m_nMin; }
    void SetMinValue(int value);
    int MaxValue() const { return m_nMax; }
    void SetMaxValue(int value);
    int Value() const { return m_nValue; }
    void SetValue(int value);
    LPCWSTR ProgressForeImage() const { return m_progressForeImage.description; }
    void SetProgressForeImage(LPCWSTR description);

    // The filled part of a bar of width x height, relative to its top-left corner, for the
    // current (normalised) values.
    RECT FilledRect(int width, int height) const;

protected:
    // Brings the values into order and writes them back: max above min, value within them.
    void NormalizeValues();
    // The range (max - min) for arithmetic, at least 1 even before normalisation.
    long long RangeForMath() const;

    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    int m_nMax = 100;
    int m_nMin = 0;
    int m_nValue = 0;
    TImageSpec m_progressForeImage;

    // The class's attribute table, linked to its base's (AttributeTable.h).
    static const CAttributeTable<CProgressUI>& Attributes();
};

}  // namespace SkinUI
