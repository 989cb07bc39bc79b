#pragma once
// Our own source-over blend of premultiplied BGRA pixels (the pictures' format), straight on the
// pixels of 32-bit DIB sections: a plain path and an SSE2 path that give the same pixels, the
// SSE2 one chosen at run time where the processor has it. msimg32's AlphaBlend does the same
// sums through GDI's machinery, at several times the cost for a translucent band of a window.

#include <windows.h>

#include <cstddef>
#include <vector>

namespace SkinUI {

// kSystem leaves blending to GDI (msimg32's AlphaBlend, or the render engine's software
// stand-in when it is missing); the others blend here, plainly or with SSE2.
enum class EBlendPath { kSystem, kPlain, kSse2 };

// Whether this processor runs the SSE2 path.
bool HasSse2Blend();
// The path blends take: SSE2 where the processor has it. Tests and benchmarks pick one to
// compare them; asking for SSE2 on a processor without it gives the plain path. Returns the
// path in force before.
EBlendPath SelectBlendPath(EBlendPath path);
EBlendPath ActiveBlendPath();

// count pixels of src over dst: each channel becomes src × fade + dst × (1 − a), where
// a = src alpha × fade (both / 255, rounded to nearest); without perPixelAlpha the source
// counts as opaque. The pointers need no alignment. kSystem blends plainly.
void BlendRow(EBlendPath path, DWORD* dst, const DWORD* src, size_t count, BYTE fade,
              bool perPixelAlpha);

// Blends pieces of a picture selected into one device context onto the 32-bit DIB selected into
// another, within the target's clip rectangles. Ready only when both contexts hold 32-bit DIB
// sections addressed one-to-one (no mapping mode, no origin shift) and the clip is a few
// rectangles, and while the chosen path is not kSystem; otherwise the caller blends through GDI.
class CDibBlender {
public:
    CDibBlender(HDC target, HDC source);

    bool IsReady() const { return m_bReady; }
    // Blends src onto dst when they have the same size, or when src is a single pixel spread
    // over dst. Returns false, having drawn nothing, for a piece that needs stretching.
    bool Blend(const RECT& dst, const RECT& src, BYTE fade, bool perPixelAlpha) const;

private:
    struct TSurface {
        BYTE* origin = nullptr;  // the first pixel of the top row
        ptrdiff_t stride = 0;    // bytes from one row to the next below it (negative bottom-up)
        LONG width = 0;
        LONG height = 0;
        DWORD* Row(LONG y) const { return reinterpret_cast<DWORD*>(origin + stride * y); }
    };
    static bool SurfaceOf(HDC dc, TSurface& surface);
    bool ReadClip(HDC target);

    bool m_bReady = false;
    TSurface m_target;
    TSurface m_source;
    std::vector<RECT> m_clip;  // the parts of the target drawing may touch
};

}  // namespace SkinUI
