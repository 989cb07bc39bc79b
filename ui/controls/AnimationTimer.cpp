// Animation timers that follow the control's visibility.

#include "ui/controls/AnimationTimer.h"

#include "ui/controls/ControlUI.h"

namespace SkinUI {

void CAnimationTimer::Start(UINT interval) {
    m_bWanted = true;
    m_nInterval = interval;
    if (CWindowManagerUI* manager = m_control.Manager()) {
        // A running entry keeps its interval: restart it with the new one.
        manager->KillTimer(&m_control, m_nLocalId);
    }
    Follow();
}

void CAnimationTimer::Stop() {
    m_bWanted = false;
    if (CWindowManagerUI* manager = m_control.Manager()) manager->KillTimer(&m_control);
}

void CAnimationTimer::Follow() {
    CWindowManagerUI* manager = m_control.Manager();
    if (manager == nullptr) return;
    if (m_bWanted && m_control.IsVisible())
        manager->SetTimer(&m_control, m_nLocalId, m_nInterval);
    else
        manager->KillTimer(&m_control, m_nLocalId);
}

}  // namespace SkinUI
