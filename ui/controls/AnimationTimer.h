#pragma once
// CAnimationTimer: the control timer of an animated control, running only while the control is
// attached to a window and shown. Hiding the control (or a container above it) stops the timer
// and showing it again restarts it, so that animations out of sight cost no timer ticks.
//
// The control owns its animation timer as a member; the window manager's timer entry is
// dropped when the control is destroyed (CWindowManagerUI::ForgetControl).

#include <windows.h>

namespace SkinUI {

class CControlUI;

class CAnimationTimer {
public:
    CAnimationTimer(CControlUI& control, UINT localId) : m_control(control), m_nLocalId(localId) {}
    CAnimationTimer(const CAnimationTimer&) = delete;
    CAnimationTimer& operator=(const CAnimationTimer&) = delete;

    UINT LocalId() const { return m_nLocalId; }
    // The animation wants ticks every interval milliseconds from now on.
    void Start(UINT interval);
    // The animation is over: every timer of the control stops.
    void Stop();
    // Runs the timer exactly when it is wanted and the control is shown; call after the
    // control's visibility changed.
    void Follow();
    bool IsWanted() const { return m_bWanted; }
    UINT Interval() const { return m_nInterval; }

private:
    CControlUI& m_control;
    UINT m_nLocalId;
    UINT m_nInterval = 0;
    bool m_bWanted = false;
};

}  // namespace SkinUI
