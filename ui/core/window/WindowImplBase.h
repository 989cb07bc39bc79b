#pragma once
// WindowImplBase: a complete skinned, frameless window. At creation it loads the skin (a folder,
// a ZIP file beside it, markup stored as a resource, or a ZIP archive stored as a resource),
// builds the control tree from the skin's markup and hands it to its window manager. It draws no
// system frame: hit-testing answers from the skin's "caption" band and "sizebox" borders, the
// window is clipped to the skin's "roundcorner" ellipse, and controls named "closebtn",
// "minbtn", "maxbtn" and "restorebtn" work as the system buttons. Notifications of the manager
// are routed through the message maps of CNotifyPump.
//
// A skin that cannot be loaded or built ends the process: an error box, then exit code 1.
//
// Ownership: the window object contains its manager, which owns the control tree. The object is
// not deleted by the window; whoever created it keeps it until the window is gone.

#include <windows.h>

#include "ui/core/base/UIString.h"
#include "ui/core/manager/NotifyPump.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/window/DialogBuilder.h"
#include "ui/core/window/WindowWnd.h"

namespace SkinUI {

// Where the skin comes from (SkinSourceKind).
enum : UINT {
    kSkinFromFolder = 1,     // files in the skin folder
    kSkinFromZipFile = 2,    // the ZIP file SkinArchiveName in the skin folder
    kSkinFromXmlResource = 3,  // markup stored as resource type "xml"; SkinFileName is its number
    kSkinFromZipResource = 4,  // a ZIP archive stored as resource type "ZIPRES" (SkinResourceId)
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase() = default;

    // Slots 0 to 4 are CWindowWnd's; the window base continues with these, in this order.
    UINT WindowClassStyle() const override;                                             // 2
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;         // 3
    void OnWindowGone(HWND window) override;                                            // 4
    virtual ~WindowImplBase();                                                          // 5
    virtual void OnWindowReady();                                                       // 6
    virtual void AnimateWindow(DWORD time, DWORD flags);                                // 7
    virtual void OnClick(TNotifyMsg& msg);                                              // 8
    virtual CUIString SkinFolder() = 0;                                                 // 9
    virtual CUIString SkinFileName() = 0;                                               // 10
    virtual LRESULT DefaultKeyAnswer(WPARAM key);                                       // 11
    virtual UINT SkinSourceKind() const;                                                // 12
    virtual CUIString SkinArchiveName();                                                // 13
    virtual LPCWSTR SkinResourceId() const;                                             // 14
    virtual LRESULT OnClose(UINT msg, WPARAM wp, LPARAM lp, bool& handled);             // 15
    virtual LRESULT OnDestroy(UINT msg, WPARAM wp, LPARAM lp, bool& handled);           // 16
    virtual LRESULT OnNcActivate(UINT msg, WPARAM wp, LPARAM lp, bool& handled);        // 17
    virtual LRESULT OnNcCalcSize(UINT msg, WPARAM wp, LPARAM lp, bool& handled);        // 18
    virtual LRESULT OnNcPaint(UINT msg, WPARAM wp, LPARAM lp, bool& handled);           // 19
    virtual LRESULT OnNcHitTest(UINT msg, WPARAM wp, LPARAM lp, bool& handled);         // 20
    virtual LRESULT OnGetMinMaxInfo(UINT msg, WPARAM wp, LPARAM lp, bool& handled);     // 21
    virtual LRESULT OnMouseWheel(UINT msg, WPARAM wp, LPARAM lp, bool& handled);        // 22
    virtual LRESULT OnMouseHover(UINT msg, WPARAM wp, LPARAM lp, bool& handled);        // 23
    virtual LRESULT OnSize(UINT msg, WPARAM wp, LPARAM lp, bool& handled);              // 24
    virtual LRESULT OnChar(UINT msg, WPARAM wp, LPARAM lp, bool& handled);              // 25
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wp, LPARAM lp, bool& handled);        // 26
    virtual LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, bool& handled);            // 27
    virtual LRESULT OnKeyDown(UINT msg, WPARAM wp, LPARAM lp, bool& handled);           // 28
    virtual LRESULT OnKillFocus(UINT msg, WPARAM wp, LPARAM lp, bool& handled);         // 29
    virtual LRESULT OnSetFocus(UINT msg, WPARAM wp, LPARAM lp, bool& handled);          // 30
    virtual LRESULT OnLButtonDown(UINT msg, WPARAM wp, LPARAM lp, bool& handled);       // 31
    virtual LRESULT OnLButtonUp(UINT msg, WPARAM wp, LPARAM lp, bool& handled);         // 32
    virtual LRESULT OnMouseMove(UINT msg, WPARAM wp, LPARAM lp, bool& handled);         // 33
    virtual LRESULT HandleOtherMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled);  // 34
    virtual LONG_PTR GetStyle();                                                        // 35

    // The message map: "click" from any control goes to OnClick.
    const TNotifyMap* NotifyMap() const override;
    // INotifyUI: every notification of the manager, routed through the message maps.
    void Notify(TNotifyMsg& msg) override;
    // IMessageFilterUI (a pre-message filter of the own manager): Return and Escape are offered
    // to DefaultKeyAnswer; nothing is ever marked handled.
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                bool& handled) override;
    // IDialogBuilderCallback: the base window has no control classes of its own.
    CControlUI* CreateControl(LPCWSTR className) override;

    CWindowManagerUI& Manager() { return m_PaintManager; }

protected:
    // Loads the skin and builds the control tree; null when that failed.
    CControlUI* BuildSkin();
    // The error box for a skin that cannot be built, then the end of the process (code 1).
    [[noreturn]] static void FailSkinLoad();
    // "caption" and "sizebox" hit-testing for a point in client coordinates.
    LRESULT HitTest(POINT pt) const;

    CWindowManagerUI m_PaintManager;

private:
    // The window's screen density changed (WM_DPICHANGED): skin, fonts and pictures are made
    // again for it and the window takes the rectangle the system suggests.
    LRESULT OnDpiChanged(UINT msg, WPARAM wp, LPARAM lp, bool& handled);
};

}  // namespace SkinUI
