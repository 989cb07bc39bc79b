#pragma once
// CShadowUI: the drop shadow of a frameless skinned window. The shadow is a separate
// click-through layered popup ("OmbriShadowWnd") owned by the skinned window, so it sits above
// it in the z-order; its pixels under the window are transparent. It shows either a computed
// soft shadow (darkness, sharpness, size, offset, colour) or a nine-slice picture around the
// window, and follows the window by subclassing the window's procedure: moves, size changes,
// showing, hiding, minimising and destruction of the window reach the shadow.
//
// One shadow per window: a process-wide map from the window handle to its shadow keeps a second
// shadow away and lets the subclass procedure find the shadow. UI thread only; nothing is
// locked.

#include <windows.h>

#include <vector>

#include "support/UniqueHandle.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

class CWindowManagerUI;

// One row of an outline: the pixels [start, end); empty when start >= end.
struct TShadowRow {
    int start;
    int end;
};

// The settings of a computed shadow, in the ranges the setters accept (lengths in the window's
// pixels; the ranges are those at 96 DPI).
struct TShadowShape {
    int size = 0;       // -20..20: how far the shadow reaches beyond the window
    int sharpness = 5;  // 0..20: width of the blurred edge
    int darkness = 150; // 0..255: opacity of the shadow's core
    int xOffset = 0;    // -20..20
    int yOffset = 0;    // -20..20
    DWORD color = 0;    // ARGB; the alpha byte is ignored
};

class CShadowUI {
public:
    static const wchar_t kWindowClassName[];  // "OmbriShadowWnd"

    explicit CShadowUI(CWindowManagerUI* manager = nullptr);
    // Puts the window's own procedure back (when nobody subclassed it after us) and destroys
    // the shadow window, so that a shadow may go before its window.
    ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    // Registers the shadow's window class with the module (once; later calls do nothing).
    // Runs when the framework learns its module instance (SetModuleInstance), and from Create
    // in a program that never set one (a null instance stands for the program's own module).
    static bool RegisterWindowClass(HINSTANCE instance);

    // Setters refuse values outside their range (false, nothing changes); an accepted value
    // redraws a visible shadow at once. Lengths are the window's device pixels (the skin's are
    // scaled where they enter, as control lengths are): the ranges below are those at 96 DPI
    // and grow with the window's density.
    bool SetSize(int size);                  // -20..20
    bool SetSharpness(int sharpness);        // 0..20
    bool SetDarkness(int darkness);          // 0..255
    bool SetPosition(int x, int y);          // each -20..20
    bool SetColor(DWORD argb);               // any; only red, green and blue count
    bool SetShadowCorner(const RECT& corner); // each >= 0: picture mode's reach and corners
    bool SetImage(LPCWSTR description);      // any description; switches picture mode on
    // Stores whether a shadow is wanted; an existing shadow window is shown (without taking
    // the activation) or hidden.
    void ShowShadow(bool show);

    bool IsShowShadow() const { return m_bShow; }
    bool IsImageMode() const { return m_bUseImage; }
    const TShadowShape& Shape() const { return m_shape; }
    // The settings as drawn: a sharpness nobody set is the default at the window's density.
    TShadowShape DrawnShape() const;
    const RECT& ShadowCorner() const { return m_rcCorner; }
    const CUIString& Image() const { return m_strImage; }
    HWND GetHWND() const { return m_hWnd.Get(); }

    // Creates the shadow window for the manager's window and starts following it. Nothing
    // happens unless a shadow is wanted, or when that window already has a shadow.
    void Create(CWindowManagerUI* manager);
    // Redraws the shadow for the parent's current rectangle and outline.
    void Update(HWND parent);

    // The computed shadow of a window width x height whose outline rows are given (one per
    // window row, window coordinates), into bits: (width + 2 size) x (height + 2 size)
    // premultiplied BGRA pixels, rows top to bottom, cleared to 0 by the caller. Every write
    // stays inside the bitmap whatever the outline holds.
    static void ComputeShadow(const TShadowShape& shape, const std::vector<TShadowRow>& outline,
                              int width, int height, DWORD* bits);
    // The outline of a window region, one row per window row, cut to 0..width-1: the first
    // pixel inside and one past the last. A null region gives empty rows.
    static std::vector<TShadowRow> RegionOutline(HRGN region, int width, int height);

private:
    static LRESULT CALLBACK ParentProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
    void OnParentSize(HWND parent, WPARAM kind, LPARAM size);
    void OnParentShow(bool showing);
    // The shadow window's top-left corner for the parent's window rectangle.
    POINT ShadowOrigin(const RECT& parentRect) const;
    int Dpi() const;
    int MaxReach() const;  // the limit of size, sharpness and offsets at the window's density
    void SetVisibleBit(bool visible);
    void RedrawIfVisible();
    void DetachFromParent();

    CWindowManagerUI* m_pManager;
    bxutil::CWindowHandle m_hWnd;  // the shadow window
    HWND m_hWndParent = nullptr;  // the window followed (not owned)
    BYTE m_status = 0;            // kEnabled | kShadowVisible | kParentVisible
    bool m_bUseImage = false;
    bool m_bShow = false;
    bool m_bUpdatePending = false;
    TShadowShape m_shape;
    bool m_bSharpnessSet = false;  // else the default, which follows the window's density
    LPARAM m_lastSize = 0;        // the parent's last client size from WM_SIZE
    CUIString m_strImage;
    RECT m_rcCorner = {0, 0, 0, 0};
};

}  // namespace SkinUI
