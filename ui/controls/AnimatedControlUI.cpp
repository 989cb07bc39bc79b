// Animation timers that follow the control's visibility, and the animation settings.

#include "ui/controls/AnimatedControlUI.h"

#include "ui/core/manager/AttributeTable.h"

namespace SkinUI {

void CAnimatedControlUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    FollowVisibility();
}

void CAnimatedControlUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    FollowVisibility();
}

const CAttributeTable<CAnimatedControlUI>& CAnimatedControlUI::Attributes() {
    using C = CAnimatedControlUI;
    static const TAttributeRow<C> rows[] = {
        AttrInt::Row<&C::SetInterval>(L"interval"),
        AttrBool::Row<&C::SetAutoStart>(L"auto"),
        AttrBool::Row<&C::SetLoop>(L"loop"),
    };
    static const CAttributeTable<C> table(rows, &CControlUI::Attributes());
    return table;
}

void CAnimatedControlUI::StartTicks() {
    m_bTicksWanted = true;
    // A running entry keeps its interval: it is restarted with the current one.
    if (m_pManager != nullptr) m_pManager->KillTimer(this, m_nTimerId);
    FollowVisibility();
}

void CAnimatedControlUI::StopTicks() {
    m_bTicksWanted = false;
    if (m_pManager != nullptr) m_pManager->KillTimer(this);
}

void CAnimatedControlUI::FollowVisibility() {
    if (m_pManager == nullptr) return;
    if (m_bTicksWanted && IsVisible())
        m_pManager->SetTimer(this, m_nTimerId, static_cast<UINT>(m_nInterval));
    else
        m_pManager->KillTimer(this, m_nTimerId);
}

}  // namespace SkinUI
