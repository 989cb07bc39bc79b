#pragma once
// GDI+ member of the handle family (support/UniqueHandle.h): the token of one GDI+ start-up, shut
// down when its holder ends. A program that uses GDI+ links gdiplus.

#include <windows.h>

// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <objidl.h>
#include <gdiplus.h>

#include "support/UniqueHandle.h"

namespace bxutil {

struct TGdiplusTokenTraits {
    using Handle = ULONG_PTR;
    static Handle Invalid() { return 0; }
    static void Close(Handle token) { Gdiplus::GdiplusShutdown(token); }
};

using CGdiplusToken = CUniqueHandle<TGdiplusTokenTraits>;

// Starts GDI+ (start-ups are counted, so each holder keeps it running); empty when it failed.
inline CGdiplusToken StartGdiplus() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return CGdiplusToken();
    return CGdiplusToken(token);
}

}  // namespace bxutil
