#pragma once
// CComboWnd: the pop-up window of an open combo. A top-level WS_POPUP tool window with its own
// window manager, whose root hosts the combo's body (its rows) while open. It closes itself on
// focus loss, deactivation, Escape, Enter and Alt+F4, and gives the body back before its
// window goes.
//
// Its object is owned by the combo, which deletes it once the window is gone (OnWindowGone).

#include <windows.h>

#include "support/UniqueHandle.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/window/WindowWnd.h"

namespace SkinUI {

class CComboUI;
class CContainerUI;

class CComboWnd final : public CWindowWnd {
public:
    static constexpr UINT kMsgCloseDropDown = WM_APP + 40;

    explicit CComboWnd(CComboUI& combo) : m_combo(&combo) {}
    ~CComboWnd();

    // Creates and shows the window over the combo; false when it cannot be made.
    bool Open();
    // The body leaves the pop-up's tree (the combo takes it back).
    void ReleaseBody();
    // The combo is going: the window must not call it any more.
    void Detach() { m_combo = nullptr; }
    CWindowManagerUI& Manager() { return m_manager; }

    // The pop-up's screen rectangle for a combo at comboRect (screen) on a work area: below,
    // or above when below has no room, its height bounded by the work area.
    static RECT PlaceBelowOrAbove(const RECT& comboRect, SIZE box, const RECT& workArea);

    LPCWSTR WindowClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone(HWND window) override;

private:
    void OnCreate();
    bool OnKey(WPARAM key);

    CComboUI* m_combo;                 // not owned; null once the combo is going
    CContainerUI* m_root = nullptr;    // owned by m_manager
    CWindowManagerUI m_manager;
    bool m_closing = false;
    // The pop-up window while it exists; last, so that it goes before the manager it uses.
    bxutil::CWindowHandle m_window;
};

}  // namespace SkinUI
