#pragma once
// GDI members of the handle family (support/UniqueHandle.h): GDI objects, memory device contexts
// and icons, plus the scopes that borrow a device context: a window's context, a window's paint,
// an object selected into a context, a context's saved state.

#include <windows.h>

#include "support/UniqueHandle.h"

namespace bxutil {

template <class T>
struct TGdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DeleteObject(handle); }
};

// Contexts from CreateCompatibleDC; a window's context from GetDC is a CWindowDC instead.
struct TMemoryDCTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DeleteDC(handle); }
};

struct TIconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle icon) { ::DestroyIcon(icon); }
};

using CFontHandle = CUniqueHandle<TGdiObjectTraits<HFONT>>;
using CBitmapHandle = CUniqueHandle<TGdiObjectTraits<HBITMAP>>;
using CPenHandle = CUniqueHandle<TGdiObjectTraits<HPEN>>;
using CBrushHandle = CUniqueHandle<TGdiObjectTraits<HBRUSH>>;
using CRegionHandle = CUniqueHandle<TGdiObjectTraits<HRGN>>;
using CMemoryDC = CUniqueHandle<TMemoryDCTraits>;
using CIconHandle = CUniqueHandle<TIconTraits>;

// A window's device context from GetDC, released with ReleaseDC, which needs the window too. A
// null window gives the screen's context.
class CWindowDC {
public:
    explicit CWindowDC(HWND window) : m_hWnd(window), m_hDC(::GetDC(window)) {}
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    ~CWindowDC() {
        if (m_hDC != nullptr) ::ReleaseDC(m_hWnd, m_hDC);
    }
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// One WM_PAINT's drawing: BeginPaint on construction, EndPaint when the scope ends, whichever way
// it is left (EndPaint must follow every BeginPaint, or the caret stays hidden). Dc() is null when
// BeginPaint failed; the window is still validated.
class CPaintScope {
public:
    explicit CPaintScope(HWND window) : m_hWnd(window), m_hDC(::BeginPaint(window, &m_ps)) {}
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;
    ~CPaintScope() { ::EndPaint(m_hWnd, &m_ps); }

    HDC Dc() const { return m_hDC; }
    const RECT& PaintRect() const { return m_ps.rcPaint; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC;
};

// What a selection puts back: the context and the object that was selected in it before.
struct TSelection {
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    bool operator==(const TSelection& other) const {
        return dc == other.dc && previous == other.previous;
    }
};

struct TSelectionTraits {
    using Handle = TSelection;
    static Handle Invalid() { return {}; }
    static void Close(const Handle& selection) { ::SelectObject(selection.dc, selection.previous); }
};

// Selects a GDI object into a device context and puts the previous one back when it ends. Movable,
// so that a surface can keep its bitmap selected for as long as it lives; false when nothing was
// selected (no context, no object, or SelectObject failed).
class CSelectObject : public CUniqueHandle<TSelectionTraits> {
public:
    CSelectObject() = default;
    CSelectObject(HDC dc, HGDIOBJ object) : CUniqueHandle(Select(dc, object)) {}

private:
    static TSelection Select(HDC dc, HGDIOBJ object) {
        if (dc == nullptr || object == nullptr) return {};
        const HGDIOBJ previous = ::SelectObject(dc, object);
        if (previous == nullptr || previous == HGDI_ERROR) return {};
        return {dc, previous};
    }
};

// Gives region to window as its window region (SetWindowRgn). The window owns the region from then
// on; when that fails (or there is no region) the region is deleted here and the answer is false.
inline bool GiveWindowRegion(HWND window, CRegionHandle region, bool redraw) {
    if (!region || !::SetWindowRgn(window, region.Get(), redraw ? TRUE : FALSE)) return false;
    (void)region.Release();  // the window deletes it when it takes another region or goes
    return true;
}

// Saves a device context's whole state (objects, colours, modes, clip) for one scope.
class CSavedDC {
public:
    explicit CSavedDC(HDC dc) : m_hDC(dc), m_nSaved(::SaveDC(dc)) {}
    CSavedDC(const CSavedDC&) = delete;
    CSavedDC& operator=(const CSavedDC&) = delete;
    ~CSavedDC() {
        if (m_nSaved != 0) ::RestoreDC(m_hDC, m_nSaved);
    }

private:
    HDC m_hDC;
    int m_nSaved;
};

}  // namespace bxutil
