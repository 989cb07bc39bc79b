#pragma once
// Helpers of the control tests: a window manager bound to a hidden window of its own (so that
// fonts have a device context and invalidation has a target), a notification recorder, event
// records as the window manager would deliver them, and painting a control onto a canvas.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/UniqueHandle.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"

namespace control_test {

// One notification as a listener saw it.
struct TSeen {
    std::wstring type;
    SkinUI::CControlUI* sender;
    WPARAM wParam;
};

// Records every notification the manager sends.
class CNotifyRecorder : public SkinUI::INotifyUI {
public:
    void Notify(SkinUI::TNotifyMsg& msg) override {
        m_seen.push_back(TSeen{msg.strType.GetData(), msg.pSender, msg.wParam});
    }
    const std::vector<TSeen>& Seen() const { return m_seen; }
    // How many notifications of this type (from sender, when given) were seen.
    int Count(const wchar_t* type, SkinUI::CControlUI* sender = nullptr) const;
    void Clear() { m_seen.clear(); }

private:
    std::vector<TSeen> m_seen;
};

// A hidden top-level window with a window manager and a recorder listening to it. The skin
// folder is the render tests' picture folder (coords.png, frames.png, solid.png, ...).
class CTestWindow {
public:
    CTestWindow();
    ~CTestWindow();
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;

    SkinUI::CWindowManagerUI& Manager() { return m_manager; }
    CNotifyRecorder& Recorder() { return m_recorder; }

    // Attaches control (owned by the caller) to the manager, initialised, placed at rc.
    template <class T>
    T* Adopt(std::unique_ptr<T>& control, const RECT& rc) {
        control->AttachTo(&m_manager, nullptr, true);
        control->Place(rc, false);
        return control.get();
    }

private:
    bxutil::CWindowHandle m_hWnd;
    SkinUI::CWindowManagerUI m_manager;
    CNotifyRecorder m_recorder;
};

// Delivers one event to the control as the window manager would (HandleEvent).
void SendEvent(SkinUI::CControlUI& control, int kind, POINT pt = {0, 0}, WPARAM wParam = 0,
               wchar_t key = 0);
// A press and a release at pt.
void Click(SkinUI::CControlUI& control, POINT pt);

// Hands one mouse message at client point pt to the manager, as the window procedure does.
void SendMouseMessage(SkinUI::CWindowManagerUI& manager, UINT message, POINT pt, WPARAM keys = 0);

// Paints the control onto a fresh canvas of the given size and fill (the whole canvas dirty).
std::unique_ptr<RenderTest::CCanvas> PaintOnCanvas(SkinUI::CControlUI& control, int width,
                                                   int height, DWORD fill = 0xFFFFFFFF);

// Adds a bold font of the default face under id: big glyphs give many pixels to count.
void AddLargeFont(SkinUI::CWindowManagerUI& manager, int id, int size);
// Paints the control on a white canvas and counts the pixels within 8 of rgb per channel.
int CountPaintedColour(SkinUI::CControlUI& control, int width, int height, DWORD rgb);

// Writes the canvas as a PNG under the build folder's artifacts\controls\ for a person to look
// at.
void SaveArtifact(const RenderTest::CCanvas& canvas, const std::wstring& name);

// Applies attribute pairs {name, value, name, value, ...}.
void ApplyAttributes(SkinUI::CControlUI& control, std::initializer_list<const wchar_t*> pairs);

// The centre of a rectangle.
POINT Centre(const RECT& rc);

}  // namespace control_test
