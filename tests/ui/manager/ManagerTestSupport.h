#pragma once
// Helpers of the window manager tests: a control that records what reaches it, a notifier that
// records notifications, and a real top-level window whose messages go through a window manager
// (the test programs and the input test host show their trees in it).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/UniqueHandle.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"

namespace manager_test {

// One event as a probe saw it.
struct TSeenEvent {
    std::wstring control;
    int kind;
    WPARAM wParam;
    POINT pt;
};

// A control that records its events into a shared journal, optionally offers itself as a tab
// stop (while keyboard enabled), and sends "click" when released over itself after a press on
// itself (the buttons' rule).
class CProbeControl : public SkinUI::CControlUI {
public:
    CProbeControl(LPCWSTR name, std::vector<TSeenEvent>* journal, bool tabStop = false);

    UINT ControlFlags() const override;
    void ProcessEvent(SkinUI::TControlEvent& event) override;
    // Paint passes this control saw (their dirty rectangles).
    const std::vector<RECT>& PaintedDirty() const { return m_painted; }
    void Paint(HDC hDC, const RECT& dirty) override;

private:
    std::vector<TSeenEvent>* m_journal;
    bool m_bTabStop;
    bool m_bPressed = false;
    std::vector<RECT> m_painted;
};

// Records every notification of a manager: type and sender name (or "-" for none).
class CNotifyJournal : public SkinUI::INotifyUI {
public:
    void Notify(SkinUI::TNotifyMsg& msg) override;
    std::vector<std::wstring> entries;  // "type sender"
    std::function<void(SkinUI::TNotifyMsg&)> onNotify;  // runs after recording, when set
    int Count(const std::wstring& entry) const;
};

// A visible popup window at a fixed screen place whose messages go to its window manager first
// (as the window base does), then to the default procedure.
class CHostWindow {
public:
    CHostWindow(const wchar_t* className, const RECT& screenRect);
    ~CHostWindow();
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    HWND Handle() const { return m_hWnd.Get(); }
    SkinUI::CWindowManagerUI& Manager() { return m_manager; }
    // Called for each message before the manager (the input host logs with it); returning
    // true stops the message there with result 0.
    std::function<bool(UINT, WPARAM, LPARAM)> beforeManager;
    // Called after the manager handled a message.
    std::function<void(UINT)> afterManager;

    // Dispatches pending messages until predicate holds or timeoutMs passed; true when it held.
    static bool PumpUntil(const std::function<bool()>& predicate, DWORD timeoutMs);
    // Dispatches messages for the given time.
    static void Pump(DWORD ms);
    // Paints whatever is invalid now and waits until the window manager painted it.
    void PaintNow();
    // The window's client area as it is on screen now (read back from the window).
    std::vector<DWORD> ReadClient(int* width, int* height);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    bxutil::CWindowHandle m_hWnd;
    SkinUI::CWindowManagerUI m_manager;
};

}  // namespace manager_test
