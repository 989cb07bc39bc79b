// Animation timers that follow the control's visibility, and the animation settings.

#include "ui/controls/AnimatedControlUI.h"

#include <cwchar>

#include "ui/core/base/UIAttribute.h"

namespace SkinUI {

void CAnimatedControlUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    FollowVisibility();
}

void CAnimatedControlUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    FollowVisibility();
}

bool CAnimatedControlUI::ApplyAnimationAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return false;
    if (wcscmp(name, L"interval") == 0)
        SetInterval(ParseAttrInt(value));
    else if (wcscmp(name, L"auto") == 0)
        SetAutoStart(ParseAttrBool(value));
    else if (wcscmp(name, L"loop") == 0)
        SetLoop(ParseAttrBool(value));
    else
        return false;
    return true;
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
