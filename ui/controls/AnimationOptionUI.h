#pragma once
// CAnimationOptionUI: an option that plays a numbered-picture sequence as its fore image while
// the pointer is over it (the hover animation: "picturehover", frames "startindexhover" to
// "endindexhover", every "intervalhover" ms on local timer 902, "loophover"). A second,
// "working" animation (timer 903, the "...working" attributes) runs only when working
// animations are enabled in code. Without an interval a mode does not animate. Leaving the
// option, or hiding it, stops its animations and clears its fore image.
//
// It answers the interface name "AnimationOption" and otherwise only what a plain control
// answers.

#include <windows.h>

#include <map>

#include "ui/controls/OptionUI.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

class CAnimationOptionUI : public COptionUI {
public:
    // Animation modes; as bits they mark the running animations.
    enum : int { kHover = 1, kWorking = 2 };
    static constexpr UINT kHoverTimerId = 902;
    static constexpr UINT kWorkingTimerId = 903;

    CAnimationOptionUI();
    ~CAnimationOptionUI() override;

    LPVOID InterfaceByName(LPCWSTR name) override;
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void ProcessEvent(TControlEvent& event) override;
    void PaintStateImage(HDC hDC) override;
    void Select(bool selected = true, bool notify = true) override;

    void StartAnimation(int mode);
    // Moves the mode's animation one frame on (or stops it after its last frame).
    void AdvanceAnimation(int mode);
    // Stops the animations of the mode bits and clears the fore image.
    void StopAnimation(int modes);
    int RunningAnimations() const { return m_nRunning; }
    // The frame the mode shows now, -1 when it never ran.
    int CurrentFrame(int mode) const { return Lookup(m_current, mode, -1); }

    bool IsWorkingEnabled() const { return m_bWorkingEnabled; }
    void SetWorkingEnabled(bool enabled) { m_bWorkingEnabled = enabled; }

protected:
    template <class T>
    static T Lookup(const std::map<int, T>& values, int mode, T missing) {
        const auto found = values.find(mode);
        return found != values.end() ? found->second : missing;
    }
    static UINT TimerOf(int mode) { return mode == kHover ? kHoverTimerId : kWorkingTimerId; }
    void StopWhenHidden();

    std::map<int, int> m_startIndex;
    std::map<int, int> m_endIndex;
    std::map<int, bool> m_loop;
    std::map<int, CUIString> m_picture;
    std::map<int, int> m_interval;
    std::map<int, int> m_current;
    int m_nRunning = 0;
    bool m_bWorkingEnabled = false;

private:
    static const CAttributeTable<CAnimationOptionUI>& Attributes();
};

}  // namespace SkinUI
