#pragma once
// Small owners for Win32 handles used by the framework: each handle has exactly one owner, which
// releases it when it goes out of scope or is given another handle.

#include <windows.h>

#include <utility>

namespace SkinUI {

// Owner of one handle; Traits supplies Invalid() and Close(handle).
template <class Traits>
class CUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle handle) : m_handle(handle) {}
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_handle(other.Detach()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    ~CUniqueHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    bool IsValid() const { return m_handle != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }
    Handle Detach() { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        Handle old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid() && old != handle) Traits::Close(old);
    }

private:
    Handle m_handle = Traits::Invalid();
};

template <class T>
struct TGdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DeleteObject(handle); }
};
struct TMemoryDCTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DeleteDC(handle); }
};
struct TFileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};
struct TKernelHandleTraits {  // handles whose failure value is null (mappings, events)
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};
struct TMappedViewTraits {
    using Handle = const void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle view) { ::UnmapViewOfFile(view); }
};
struct TModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle module) { ::FreeLibrary(module); }
};

using CFontHandle = CUniqueHandle<TGdiObjectTraits<HFONT>>;
using CBitmapHandle = CUniqueHandle<TGdiObjectTraits<HBITMAP>>;
using CPenHandle = CUniqueHandle<TGdiObjectTraits<HPEN>>;
using CBrushHandle = CUniqueHandle<TGdiObjectTraits<HBRUSH>>;
using CRegionHandle = CUniqueHandle<TGdiObjectTraits<HRGN>>;
using CMemoryDC = CUniqueHandle<TMemoryDCTraits>;  // from CreateCompatibleDC
using CFileHandle = CUniqueHandle<TFileHandleTraits>;
using CKernelHandle = CUniqueHandle<TKernelHandleTraits>;
using CMappedView = CUniqueHandle<TMappedViewTraits>;
using CModuleHandle = CUniqueHandle<TModuleTraits>;

// A window's device context from GetDC, released with ReleaseDC. A null window gives the
// screen's context.
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

// Selects a GDI object into a device context for one scope and puts the previous one back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object)
        : m_hDC(dc), m_hOld(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    ~CSelectObject() {
        if (m_hOld != nullptr && m_hOld != HGDI_ERROR) ::SelectObject(m_hDC, m_hOld);
    }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

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

}  // namespace SkinUI
