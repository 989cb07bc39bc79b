#pragma once
// The one family of owners for Win32 handles: CUniqueHandle<Traits> owns one handle and closes it
// when it goes out of scope or is given another; CAtomicUniqueHandle<Traits> does the same for a
// handle that two threads may reset. The traits say what "no handle" is and how a handle closes:
//
//     struct TSomethingTraits {
//         using Handle = ...;
//         static Handle Invalid();       // the value the creating function fails with
//         static void Close(Handle h);   // never called with Invalid()
//     };
//
// GDI objects and device-context scopes: support/GdiHandles.h; GDI+: support/GdiplusSession.h;
// WinInet: support/wininet/HttpClientSession.h.

#include <windows.h>

#include <atomic>
#include <utility>

namespace bxutil {

namespace handle_detail {

// Closes what a holder just let go of, unless it was no handle or is being put back in.
template <class Traits>
void CloseReplaced(const typename Traits::Handle& old, const typename Traits::Handle& replacement) {
    if (old == Traits::Invalid() || old == replacement) return;
    Traits::Close(old);
}

}  // namespace handle_detail

// Owner of one handle; movable, never copied.
template <class Traits>
class CUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle handle) : m_handle(handle) {}
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    ~CUniqueHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return !(m_handle == Traits::Invalid()); }
    // Gives the handle up unclosed: the caller says who owns it next.
    [[nodiscard]] Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        handle_detail::CloseReplaced<Traits>(std::exchange(m_handle, handle), handle);
    }

private:
    Handle m_handle = Traits::Invalid();
};

// Owner of one handle that another thread may reset while this one uses it (closing a handle is
// how some blocking calls are ended): the handle is closed once, by whichever thread takes it out
// first. Not movable: the threads share the holder itself.
template <class Traits>
class CAtomicUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    CAtomicUniqueHandle() = default;
    explicit CAtomicUniqueHandle(Handle handle) : m_handle(handle) {}
    CAtomicUniqueHandle(const CAtomicUniqueHandle&) = delete;
    CAtomicUniqueHandle& operator=(const CAtomicUniqueHandle&) = delete;
    ~CAtomicUniqueHandle() { Reset(); }

    Handle Get() const { return m_handle.load(); }
    explicit operator bool() const { return !(Get() == Traits::Invalid()); }
    [[nodiscard]] Handle Release() { return m_handle.exchange(Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        handle_detail::CloseReplaced<Traits>(m_handle.exchange(handle), handle);
    }

private:
    std::atomic<Handle> m_handle{Traits::Invalid()};
};

// Handles whose creating function fails with null: events, mutexes, threads, processes, file
// mappings. Not for CreateFileW, which fails with INVALID_HANDLE_VALUE.
struct TNullFailureHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};

// Handles whose creating function fails with INVALID_HANDLE_VALUE: files from CreateFileW.
struct TInvalidValueFailureHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
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

struct TRegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle key) { ::RegCloseKey(key); }
};

struct TWindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    // An owned window goes with its owner, possibly before its holder does.
    static void Close(Handle window) {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
};

// Memory from GlobalAlloc and LocalAlloc, typed as the allocating function hands it out
// (CommandLineToArgvW gives LPWSTR*).
template <class T>
struct TGlobalMemoryTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle block) { ::GlobalFree(block); }
};
template <class T>
struct TLocalMemoryTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle block) { ::LocalFree(block); }
};

using CKernelHandle = CUniqueHandle<TNullFailureHandleTraits>;
using CFileHandle = CUniqueHandle<TInvalidValueFailureHandleTraits>;
using CMappedView = CUniqueHandle<TMappedViewTraits>;
using CModuleHandle = CUniqueHandle<TModuleTraits>;
using CRegistryKey = CUniqueHandle<TRegistryKeyTraits>;
using CWindowHandle = CUniqueHandle<TWindowTraits>;
using CGlobalMemory = CUniqueHandle<TGlobalMemoryTraits<HGLOBAL>>;
using CArgumentVector = CUniqueHandle<TLocalMemoryTraits<LPWSTR*>>;  // from CommandLineToArgvW

// A Win32 critical section with one owner. The section is its own handle (it lives inside the
// holder and cannot move), so it does not fit CUniqueHandle.
class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;
    CRITICAL_SECTION& Native() { return m_cs; }

private:
    CRITICAL_SECTION m_cs;
};

}  // namespace bxutil
