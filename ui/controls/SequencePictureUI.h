#pragma once
// CSequencePictureUI: flips through numbered pictures. With "picture" a.png, "startindex" 1 and
// "endindex" 3 its background becomes a1.png, a2.png, a3.png, a1.png, ... one frame per tick
// of its timer (local id 901, "interval" ms); without "loop" it plays the frames once and stops
// (the last frame stays shown until the background changes). It starts when it is initialised
// ("auto", the default).
//
// The timer runs only while the control is shown: hidden (also by a container above it) it
// stops ticking and resumes when shown again.

#include <windows.h>

#include "ui/controls/AnimatedControlUI.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

class CSequencePictureUI : public CAnimatedControlUI {
public:
    static constexpr UINT kTimerId = 901;

    CSequencePictureUI();
    ~CSequencePictureUI() override;

    LPVOID InterfaceByName(LPCWSTR name) override;  // "SequencePic"
    void Initialize() override;
    void ProcessEvent(TControlEvent& event) override;

    // Plays from the current frame on.
    void Start();
    // Stops; the frame number goes back to the first frame.
    void Stop();
    // One frame forward (backward when playing in reverse); nothing while the control is hidden.
    void Step();

    bool IsStopped() const { return m_bStopped; }
    int FrameIndex() const { return m_nFrameIndex; }
    int StartIndex() const { return m_nStartIndex; }
    void SetStartIndex(int index) { m_nStartIndex = index; }
    int EndIndex() const { return m_nEndIndex; }
    void SetEndIndex(int index) { m_nEndIndex = index; }
    LPCWSTR Picture() const { return m_strPicture; }
    void SetPicture(LPCWSTR picture) { m_strPicture = picture; }

protected:
    int m_nStartIndex = 0;
    int m_nEndIndex = 0;
    CUIString m_strPicture;
    int m_nFrameStep = 1;
    bool m_bStopped = true;
    bool m_bResetDirectionOnStop = true;
    bool m_bReverse = false;
    bool m_bHoldLastFrame = false;
    bool m_bReachedEnd = false;
    bool m_bKeepFrameOnStop = false;
    int m_nFrameIndex = 0;

private:
    static const CAttributeTable<CSequencePictureUI>& Attributes();
};

}  // namespace SkinUI
