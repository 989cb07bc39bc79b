#pragma once
// CProgressExUI: a progress bar put together from layouts and a spinner. A line picture
// ("lineforeimage") grows with the value from the left, a marker picture ("point") sits at its
// end with a spinner ("animation", a CRotateAnimateUI) centred on it, and the rest of the line
// is filled with "linebkcolor". At the maximum the marker and the spinner are hidden. The bar
// draws nothing itself and ignores every event; its parts do the drawing.
//
// The parts are built when the bar is first initialised; the markup's values are shown then.
// SetValue shows a new value at once.
//
// Ownership: the parts are children of the bar (it owns them as a container does).

#include <windows.h>

#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

class CRotateAnimateUI;
class CVerticalLayoutUI;

class CProgressExUI : public CHorizontalLayoutUI {
public:
    CProgressExUI();
    ~CProgressExUI() override;

    LPVOID InterfaceByName(LPCWSTR name) override;  // "ProgressEx", then a plain control's
    void Initialize() override;
    void ProcessEvent(TControlEvent& event) override;  // ignores everything
    void ApplyAttribute(LPCWSTR name, LPCWSTR value) override;

    int Value() const { return m_nValue; }
    // Stores the value and, once the parts exist, shows it.
    void SetValue(int value);
    int MinValue() const { return m_nMin; }
    int MaxValue() const { return m_nMax; }

    // The parts (null before the first initialisation).
    CControlUI* Marker() const;
    CRotateAnimateUI* Spinner() const { return m_pSpinner; }
    CControlUI* LeftLine() const;
    CControlUI* RightLine() const;

protected:
    // Creates the parts and appends them (once).
    bool BuildParts();
    // Moves the line's end, the marker and the spinner to the value.
    void UpdateProgress();

    CVerticalLayoutUI* m_pLeftPart = nullptr;
    CContainerUI* m_pLeftLine = nullptr;
    CContainerUI* m_pMarker = nullptr;
    CVerticalLayoutUI* m_pRightPart = nullptr;
    CContainerUI* m_pRightLine = nullptr;
    CRotateAnimateUI* m_pSpinner = nullptr;
    RECT m_rcSpinner = {0, 0, 0, 0};  // relative to the bar

    CUIString m_strLineForeImage;
    DWORD m_dwLineBkColor = 0;
    CUIString m_strPoint;
    CUIString m_strAnimation;
    CUIString m_strInterval;
    CUIString m_strAuto;
    CUIString m_strLoop;
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nValue = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nLineHeight = 0;
    int m_nPointHeight = 0;
    int m_nPointWidth = 0;
    int m_nAnimationHeight = 0;
    int m_nAnimationWidth = 0;

private:
    static const CAttributeTable<CProgressExUI>& Attributes();
};

}  // namespace SkinUI
