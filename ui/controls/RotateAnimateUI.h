#pragma once
// CRotateAnimateUI: a busy spinner. While running it turns its background image in steps of 10
// degrees, one step per timer tick (local timer 902, "interval" ms, 50 by default): 10, 20, ...,
// 360 degrees, then 0 again ("loop"), or once round and stop. It starts by itself when it is
// initialised ("auto", the default) and only when its background image is loaded. A stopped
// spinner shows its image unrotated.
//
// The timer runs only while the spinner is shown: hidden (also by a container above it) it
// stops ticking and resumes when shown again.

#include <windows.h>

#include "ui/controls/AnimatedControlUI.h"

namespace SkinUI {

class CRotateAnimateUI : public CAnimatedControlUI {
public:
    static constexpr UINT kTimerId = 902;
    static constexpr int kStepDegrees = 10;
    static constexpr int kStepsPerTurn = 36;

    CRotateAnimateUI();
    ~CRotateAnimateUI() override;

    void Initialize() override;
    void ProcessEvent(TControlEvent& event) override;
    void PaintBackImage(HDC hDC) override;

    // Starts turning when the background image is loaded and the spinner is stopped.
    void Start();
    // Stops turning; the image is shown unrotated again.
    void Stop();
    bool IsStopped() const { return m_bStopped; }
    // Steps taken since the start of the current turn, and the angle drawn now.
    int Tick() const { return m_nTick; }
    int Angle() const { return m_bStopped ? 0 : m_nTick * kStepDegrees; }

protected:
    bool m_bStopped = true;
    int m_nTick = 0;
};

}  // namespace SkinUI
