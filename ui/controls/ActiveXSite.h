#pragma once
// The container side of an ActiveX control hosted by CActiveXUI: the COM site object the
// control talks to while it is created, activated in place, drawn and closed, and the child
// window a windowed control lives in.
//
// CActiveXSite answers the control's questions through the site interfaces (client site,
// in-place site with the windowless extensions, control site, ambient properties through
// IDispatch) and a small in-place frame object. It counts its own references and deletes itself
// at the last release: a control may keep a reference after its host is gone, so the host
// detaches the site first, after which every call answers without touching the host.
//
// CActiveXHostWindow is the child of the skinned window that a windowed control's window is
// made in: moving, clipping and hiding it moves, clips and hides the control whatever the
// control does with its own window, and its destruction (the skinned window going first) tells
// the host to close the control while the control's window still exists.

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include "support/UniqueHandle.h"

namespace SkinUI {

// What the site needs from the host control; CActiveXUI implements it.
class IActiveXSiteOwner {
public:
    // The window the control is placed in: the host window for a windowed control, the
    // skinned window for a windowless one (null while there is none).
    virtual HWND SiteWindow() const = 0;
    // The skinned window (the in-place frame's window).
    virtual HWND SiteFrameWindow() const = 0;
    // Where the control goes and what of it shows, in SiteWindow's client coordinates.
    virtual RECT SitePosRect() const = 0;
    virtual RECT SiteClipRect() const = 0;
    // The control activated in place, windowless or in a window of its own.
    virtual void SiteInPlaceActivated(bool windowless) = 0;
    // Repaint of the control's rectangle (a windowless control's view changed).
    virtual void SiteInvalidate() = 0;
    // A windowless control asks for the mouse capture or the keyboard focus.
    virtual bool SiteSetCapture(bool capture) = 0;
    virtual bool SiteHasCapture() const = 0;
    virtual bool SiteSetFocus(bool focus) = 0;
    virtual bool SiteHasFocus() const = 0;
    // An ambient property the host supplies: false for one it does not know.
    virtual bool SiteAmbient(DISPID id, VARIANT& value) const = 0;
    // Interfaces beyond the site's own that the host hands out from the site (the browser's
    // UI handler, say); E_NOINTERFACE for none.
    virtual HRESULT SiteQueryExtra(REFIID iid, void** object) = 0;

protected:
    ~IActiveXSiteOwner() = default;
};

class CActiveXSite;

// The in-place frame of a site: a part of the site object with its own interface identity
// (IOleWindow must answer the skinned window here and the control's window on the site).
class CActiveXFrame final : public IOleInPlaceFrame {
public:
    explicit CActiveXFrame(CActiveXSite& site) : m_site(site) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    CActiveXSite& m_site;
};

class CActiveXSite final : public IOleClientSite,
                           public IOleInPlaceSiteWindowless,
                           public IOleControlSite,
                           public IDispatch {
public:
    explicit CActiveXSite(IActiveXSiteOwner* owner);
    CActiveXSite(const CActiveXSite&) = delete;
    CActiveXSite& operator=(const CActiveXSite&) = delete;

    // The host is going: later calls answer without it.
    void Detach() { m_owner = nullptr; }
    HWND FrameWindow() const;
    // Sites not yet deleted in this process (UI thread only): a reference a control never gave
    // back shows here.
    static int LiveCount();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (through the in-place site)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceSiteEx
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override;
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }

    // IOleInPlaceSiteWindowless
    HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override;
    HRESULT STDMETHODCALLTYPE GetCapture() override;
    HRESULT STDMETHODCALLTYPE SetCapture(BOOL capture) override;
    HRESULT STDMETHODCALLTYPE GetFocus() override;
    HRESULT STDMETHODCALLTYPE SetFocus(BOOL focus) override;
    HRESULT STDMETHODCALLTYPE GetDC(LPCRECT, DWORD, HDC* dc) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;
    HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT, BOOL) override;
    HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN, BOOL) override;
    HRESULT STDMETHODCALLTYPE ScrollRect(INT, INT, LPCRECT, LPCRECT) override;
    HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override;

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    ~CActiveXSite();  // only through Release

    LONG m_refs = 1;
    IActiveXSiteOwner* m_owner;  // not owned; null once detached
    CActiveXFrame m_frame{*this};
};

// The child window of the skinned window that holds a windowed control.
class CActiveXHostWindow {
public:
    // What the host window tells its owner.
    class IListener {
    public:
        // The window is being destroyed with its parent; the control's window still exists.
        virtual void HostWindowDestroying() = 0;

    protected:
        ~IListener() = default;
    };

    CActiveXHostWindow() = default;
    CActiveXHostWindow(const CActiveXHostWindow&) = delete;
    CActiveXHostWindow& operator=(const CActiveXHostWindow&) = delete;
    ~CActiveXHostWindow() { Destroy(); }

    // A hidden child of parent; false when it cannot be made.
    bool Create(IListener& listener, HWND parent);
    // Destroys the window without telling the listener.
    void Destroy();
    HWND Window() const { return m_window.Get(); }
    // Moves the window over visible (parent client coordinates) and shows it, or hides it when
    // show is false or visible is empty.
    void Show(const RECT& visible, bool show);

private:
    static LPCWSTR ClassName();
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    IListener* m_listener = nullptr;
    bxutil::CWindowHandle m_window;
};

}  // namespace SkinUI
