#pragma once
// CWindowWnd: one Win32 window driven by a C++ object. It registers the window class (or a
// superclass of an existing class), creates the window with the object as creation parameter,
// and routes every message of the window to the virtual HandleMessage. The object is found from
// the window through the window's user data (WindowProc) or, for superclassed and subclassed
// windows, through the window property "WndX" (ControlProc), since those windows may use their
// user data themselves.
//
// Ownership: the object does not own its lifetime; whoever created it deletes it, and never
// before the window is gone (OnWindowGone runs when the window's last message is handled). The
// icons set with SetIcon belong to the object.

#include <windows.h>

#include "support/GdiHandles.h"

namespace SkinUI {

class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }  // NOLINT: the window where Win32 wants one

    // Registers the window class: a superclass when SuperClassName is not null, else a class
    // of its own. A class registered before counts as success.
    bool RegisterWindowClass();
    bool RegisterSuperclass();

    // Registers the class and creates the window with this object as creation parameter; null
    // when either fails.
    HWND Create(HWND parent, LPCWSTR title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int width = CW_USEDEFAULT, int height = CW_USEDEFAULT,
                HMENU menu = nullptr);
    HWND Create(HWND parent, LPCWSTR title, DWORD style, DWORD exStyle, const RECT& rc,
                HMENU menu = nullptr);
    // Routes the messages of an existing window through this object (the window keeps its own
    // procedure as the previous one) until Unsubclass or the window's end.
    HWND Subclass(HWND window);
    void Unsubclass();

    // Shows (SW_SHOWNORMAL, or SW_SHOWNOACTIVATE without focus) or hides the window.
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window, disables its owner and runs a message loop until the window is gone.
    // Returns the wParam of the last WM_CLOSE posted to the window (0 when none was); a WM_QUIT
    // ends the loop early and is posted again for the outer loop.
    UINT RunModalLoop();
    // Posts WM_CLOSE with result as wParam.
    void Close(UINT result = IDOK);
    // Centres the window on its owner (when it has one that is not minimised) or on the work
    // area of the nearest monitor, keeping it inside that work area; size, z-order and
    // activation stay.
    void CenterWindow();
    // Sets the big and small window icons from an icon resource of the module.
    void SetIcon(UINT resourceId);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The virtual operations, in this order.
    virtual LPCWSTR WindowClassName() const = 0;
    virtual LPCWSTR SuperClassName() const;
    virtual UINT WindowClassStyle() const;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnWindowGone(HWND window);

protected:
    // Not virtual: the window base adds the virtual destructor after the five operations above.
    ~CWindowWnd() = default;

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_OldWndProc = ::DefWindowProcW;
    bool m_bSubclassed = false;

private:
    static void StoreObject(HWND hWnd, CWindowWnd* self, bool viaProperty);
    static CWindowWnd* LoadObject(HWND hWnd, bool viaProperty);
    // Both window procedures: finds the object (attaching it at WM_NCCREATE) and hands it the
    // message.
    static LRESULT RouteMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                bool viaProperty);
    // The object's part of WM_NCDESTROY: the previous procedure runs, then the association of
    // window and object (user data, or the property) goes and OnWindowGone follows.
    LRESULT OnFinalMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                           bool viaProperty);

    bxutil::CIconHandle m_hIconBig;
    bxutil::CIconHandle m_hIconSmall;
};

}  // namespace SkinUI
