// CLabelUIEx: a label with the hand cursor under the pointer and the simpler effect rule.

#include "ui/controls/LabelUIEx.h"

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlFactory.h"

namespace SkinUI {

void CLabelUIEx::ProcessEvent(TControlEvent& event) {
    const bool inside = IsEnabled() && RectContains(m_rcItem, event.ptMouse);
    switch (event.nKind) {
    case kEventMouseEnter:
        m_bHovered = true;
        break;
    case kEventMouseMove:
        if (m_bHovered && inside) SetCursorShape(IDC_HAND);
        break;
    case kEventMouseLeave:
    case kEventButtonDown:
        m_bHovered = false;
        if (inside) SetCursorShape(IDC_ARROW);
        break;
    default:
        break;
    }
    CLabelUI::ProcessEvent(event);
}

void CLabelUIEx::PaintTextContent(HDC hDC) {
    ApplyDefaultTextColors();
    RECT rc = TextRect();
    if (m_bEnableEffect) {
        const DWORD second = m_dwTextColor1 == kLabelColorUnset ? m_dwTextColor : m_dwTextColor1;
        DrawEffectText(hDC, rc, m_dwTextColor, second, m_iFont, false);
        return;
    }
    DrawPlainText(hDC, rc, IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_iFont,
                  m_uTextStyle | DT_SINGLELINE);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"LabelEx", &CreateControlOf<CLabelUIEx>, EElementCase::kExact);
}  // namespace

}  // namespace SkinUI
