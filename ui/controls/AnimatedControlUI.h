#pragma once
// CAnimatedControlUI: the base of the controls that animate on one control timer of their own
// (the spinner and the picture sequence). It keeps their shared settings ("interval" in ms,
// "auto" start, "loop") and runs the timer only while the control is attached to a window and
// shown: hiding the control (or a container above it) stops the ticks and showing it again
// resumes them, so that animations out of sight cost nothing.
//
// The window manager's timer entry is dropped when the control is destroyed
// (CWindowManagerUI::ForgetControl).

#include <windows.h>

#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

class CAnimatedControlUI : public CControlUI {
public:
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;

    int Interval() const { return m_nInterval; }
    void SetInterval(int interval) { m_nInterval = interval; }
    bool IsAutoStart() const { return m_bAutoStart; }
    void SetAutoStart(bool autoStart) { m_bAutoStart = autoStart; }
    bool IsLoop() const { return m_bLoop; }
    void SetLoop(bool loop) { m_bLoop = loop; }

protected:
    explicit CAnimatedControlUI(UINT timerId) : m_nTimerId(timerId) { UseAttributes(Attributes()); }

    // The animation wants ticks every interval milliseconds from now on.
    void StartTicks();
    // The animation is over: every timer of the control stops.
    void StopTicks();
    // Runs the timer exactly when it is wanted and the control is shown.
    void FollowVisibility();

    const UINT m_nTimerId;
    int m_nInterval = 50;
    bool m_bAutoStart = true;
    bool m_bLoop = true;

    // The class's attribute table, linked to its base's (AttributeTable.h).
    static const CAttributeTable<CAnimatedControlUI>& Attributes();

private:
    bool m_bTicksWanted = false;
};

}  // namespace SkinUI
