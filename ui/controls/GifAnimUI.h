#pragma once
// CGifAnimUI: plays an animated GIF with GDI+. The GIF file is named by the control's "bkimage"
// attribute (the description text is used as the file name) and read through the skin (the
// skin archive, else the skin folder). Each frame is shown for its own delay from the file (100
// ms when the file gives none); "loop" (the default) starts over after the last frame, otherwise
// the last frame stays. Playing starts when the control is initialised and shown ("auto", the
// default) and stops while it is hidden; shown again, it restarts from the first frame. A press
// on the control sends "buttondown"; every other event is ignored.
//
// The control draws only the current frame, stretched over its rectangle: no background,
// border or text. A GIF that cannot be read leaves the control empty.
//
// Ownership: the control owns its Imp, which owns the decoded GDI+ image and the memory stream
// it reads from.

#include <windows.h>

#include <memory>

#include "ui/controls/LabelUI.h"

namespace SkinUI {

class CGifAnimUI : public CLabelUI {
public:
    static constexpr UINT kTimerId = 100;
    static constexpr int kDefaultFrameDelay = 100;  // ms, for frames whose delay is 0 or missing

    CGifAnimUI();
    ~CGifAnimUI() override;

    LPCWSTR ClassName() const override;             // "GifAnimUI"
    LONG AccessibleRole() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;  // "GifAnim"
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void Initialize() override;
    void ProcessEvent(TControlEvent& event) override;
    void ApplyAttribute(LPCWSTR name, LPCWSTR value) override;
    void Paint(HDC hDC, const RECT& dirty) override;

    // Reads the GIF named by the background image (once; a failure is not retried).
    void LoadGif();
    // Plays from the first frame (reading the GIF first when needed); nothing while playing.
    void Play();
    void Stop();

    bool IsPlaying() const;
    bool IsLoaded() const;
    // Frames of the GIF (0 when none could be read), the frame shown now, and how long frame
    // index is shown (ms).
    UINT FrameCount() const;
    UINT FrameIndex() const;
    int FrameDelay(UINT index) const;

    bool IsAutoStart() const;
    void SetAutoStart(bool autoStart);
    bool IsLoop() const;
    void SetLoop(bool loop);

    class Imp;

private:
    void NextFrame();
    static const CAttributeTable<CGifAnimUI>& Attributes();

    std::unique_ptr<Imp> m_pImp;
};

}  // namespace SkinUI
