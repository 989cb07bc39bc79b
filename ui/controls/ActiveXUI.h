#pragma once
// CActiveXUI: an ActiveX control (an in-process COM control) hosted in a skinned window.
//
// The "clsid" attribute names the control's class, as a GUID in braces or as a ProgID. The
// control is made with CoCreateInstance on the UI thread the first time the host is placed in a
// window (or at CreateControl), activated in place in the host's rectangle, and from then on
// follows the host: it moves and is clipped with every layout, hides when the host or an
// ancestor hides, and is closed when the host is destroyed, changes window, or its window goes.
//
// Both kinds of control are hosted: a windowed control gets a child window of the skinned
// window (CActiveXHostWindow) to make its own window in; a windowless one draws into the
// skinned window's paint through IViewObject and receives the mouse through
// IOleInPlaceObjectWindowless (its host window stays hidden, and only tells when the skinned
// window goes).
//
// Only the classes the program allows are made (SetAllowedActiveXClasses, ActiveXClasses.h):
// any other fails with E_ACCESSDENIED, like a class that is not registered.
//
// COM must already be set up on the thread (a single-threaded apartment, made once by whoever
// owns the message loop). A class that is not registered, that fails to create or to activate,
// or a thread without COM leaves an empty control and a log line. Each attempt ends with the
// notification "showactivex", wParam the HRESULT (S_OK when the control is up).
//
// Keys typed in a windowed control's window are offered to the control first
// (IOleInPlaceActiveObject::TranslateAccelerator) before the skinned window's own handling.
//
// Not handled: tab order between the control and the skinned controls, property pages,
// persistence of the control's state, licensed classes (IClassFactory2), and the windowless
// control's keyboard input.

#include <windows.h>
#include <ocidl.h>

#include "support/ComHolders.h"
#include "ui/controls/ActiveXSite.h"
#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

// A result or status as a notification carries it: the 32 bits as they are (0x80070005, not a
// negative number sign-extended into a 64-bit WPARAM).
constexpr WPARAM ResultParam(LONG result) {
    return static_cast<WPARAM>(static_cast<ULONG>(result));
}

class CActiveXUI : public CControlUI,
                   protected IActiveXSiteOwner,
                   private CActiveXHostWindow::IListener,
                   private ITranslateAccelerator {
public:
    CActiveXUI();
    ~CActiveXUI() override;

    LPCWSTR ClassName() const override;             // "ActiveXUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "ActiveX"
    void AttachTo(CWindowManagerUI* manager, CContainerUI* parent,
                  bool initialize = true) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void MoveBy(SIZE offset, bool invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void ProcessEvent(TControlEvent& event) override;
    void PaintTextContent(HDC hDC) override;

    // Names the class: "{GUID}" or a ProgID. A control made from another class is closed; the
    // new one is made at the next placing. False, with a log line, when the text names no
    // class (a ProgID that is not registered, a malformed GUID).
    bool SetClsid(LPCWSTR text);
    // The text given to SetClsid.
    const CUIString& ClsidText() const { return m_strClsid; }
    const CLSID& Clsid() const { return m_clsid; }

    // Makes and activates the control now; false when the host is not in a window or the
    // control could not be made (see LastResult).
    bool CreateControl();
    // Closes the control (the host stays, empty, until CreateControl).
    void ReleaseControl();
    bool IsCreated() const { return static_cast<bool>(m_object); }
    // The result of the last creation attempt (S_FALSE before any).
    HRESULT LastResult() const { return m_hrLast; }
    bool IsWindowless() const { return m_bWindowless; }
    // A windowed control's window, else null.
    HWND ControlWindow() const;
    // The host window of the control (a windowed control's window is its child), or null.
    HWND HostWindow() const { return m_hostWindow.Window(); }

    // The control's interface iid, with a reference for the caller; E_NOINTERFACE when there
    // is no control or it lacks the interface.
    HRESULT GetControl(REFIID iid, void** object) const;

protected:
    // The control is up, before "showactivex": a failure here closes it again and counts as
    // the creation's result.
    virtual HRESULT OnControlCreated() { return S_OK; }
    // After "showactivex", whatever the result.
    virtual void OnCreateFinished(HRESULT /*result*/) {}
    // Before an activated control is closed. A derived host that overrides it closes the
    // control in its own destructor (ReleaseControl), while the override is still its own.
    virtual void OnControlClosing() {}
    // Where the control shows (client coordinates of the skinned window): the item rectangle,
    // or less when an ancestor or the window cuts it.
    RECT VisibleRect() const;

    // IActiveXSiteOwner, for the site; a derived host may add ambient properties and
    // interfaces.
    HWND SiteWindow() const override;
    HWND SiteFrameWindow() const override;
    RECT SitePosRect() const override;
    RECT SiteClipRect() const override;
    void SiteInPlaceActivated(bool windowless) override;
    void SiteInvalidate() override { InvalidateSelf(); }
    bool SiteSetCapture(bool capture) override;
    bool SiteHasCapture() const override;
    bool SiteSetFocus(bool focus) override;
    bool SiteHasFocus() const override { return IsFocused(); }
    bool SiteAmbient(DISPID id, VARIANT& value) const override;
    HRESULT SiteQueryExtra(REFIID iid, void** object) override;

    // The class's attribute table, linked to its base's (AttributeTable.h).
    static const CAttributeTable<CActiveXUI>& Attributes();

private:
    // CActiveXHostWindow::IListener
    void HostWindowDestroying() override;
    // ITranslateAccelerator: keys typed in a windowed control's window go to the control first
    // (IOleInPlaceActiveObject), so that it keeps Tab, Enter or its shortcuts from the skinned
    // window's own handling.
    LRESULT TranslateAccelerator(MSG* msg) override;

    // The steps of CreateControl; each failure leaves the host empty with a log line.
    HRESULT MakeControl();
    HRESULT ActivateControl();
    // Moves the control's window or rectangle to where the host is now, and shows or hides it.
    void FollowHost();
    // A windowless control's answer to a mouse event; false when it has none.
    bool ForwardMouse(const TControlEvent& event);
    void LogFailure(const wchar_t* step, HRESULT hr) const;

    CUIString m_strClsid;
    CLSID m_clsid{};
    bool m_bClassKnown = false;
    bool m_bWindowless = false;
    bool m_bAttempted = false;  // made (or failed) since the class was named: no retry per layout
    bool m_bCapture = false;
    bool m_bUp = false;  // activated: OnControlClosing is due before it closes
    bool m_bTranslating = false;  // registered with the manager for the control's keys
    HRESULT m_hrLast = S_FALSE;

    CActiveXHostWindow m_hostWindow;
    bxutil::CComRef<CActiveXSite> m_site;
    bxutil::CComRef<IOleObject> m_object;
    bxutil::CComRef<IOleInPlaceObject> m_inPlace;
    bxutil::CComRef<IOleInPlaceObjectWindowless> m_windowless;
    bxutil::CComRef<IViewObject> m_view;
};

}  // namespace SkinUI
