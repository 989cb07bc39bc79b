// Source-over blending of premultiplied BGRA pixels: the plain path, the SSE2 path (compiled for
// SSE2 function by function, so nothing of it runs before the processor was asked), and the
// blender that finds the pixels behind two device contexts.
//
// Both paths compute every channel as round(s × fade / 255) + round(d × (255 − a) / 255),
// a = round(source alpha × fade / 255), capped at 255, with the same integer division, so they
// agree to the bit.

#include "ui/core/render/PixelBlend.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "support/GdiHandles.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/render/RegionRects.h"

namespace SkinUI {

namespace {

// round(x / 255) for x = value × factor, value and factor at most 255: exact for every such
// product, without a division.
constexpr DWORD ScaleRounded(DWORD value, DWORD factor) {
    const DWORD x = value * factor;
    return (x + 128 + ((x + 127) >> 8)) >> 8;
}

// ScaleRounded on two channels at once, held in the low bytes of the two 16-bit halves of
// lanes: every product and sum stays below 65536, so no half carries into the other.
constexpr DWORD ScaleRoundedPair(DWORD lanes, DWORD factor) {
    const DWORD x = lanes * factor;
    return ((x + 0x00800080u + (((x + 0x007F007Fu) >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Two channel sums of at most 510 each, capped at 255.
constexpr DWORD CapPair(DWORD sums) {
    const DWORD over = (sums >> 8) & 0x00010001u;
    return (sums | (over * 0xFF)) & 0x00FF00FFu;
}

DWORD BlendPixel(DWORD s, DWORD d, DWORD fade) {
    const DWORD rest = 255 - ScaleRounded(s >> 24, fade);
    const DWORD blueRed = ScaleRoundedPair(s & 0x00FF00FFu, fade) +
                          ScaleRoundedPair(d & 0x00FF00FFu, rest);
    const DWORD greenAlpha = ScaleRoundedPair((s >> 8) & 0x00FF00FFu, fade) +
                             ScaleRoundedPair((d >> 8) & 0x00FF00FFu, rest);
    return CapPair(blueRed) | (CapPair(greenAlpha) << 8);
}

void BlendRowPlain(DWORD* dst, const DWORD* src, size_t count, DWORD fade, DWORD opaque) {
    for (size_t i = 0; i < count; ++i) dst[i] = BlendPixel(src[i] | opaque, dst[i], fade);
}

// Eight 16-bit lanes of x = value × factor, each turned into round(x / 255) as above.
__attribute__((target("sse2"))) inline __m128i ScaleRounded16(__m128i x) {
    const __m128i rounded = _mm_srli_epi16(_mm_add_epi16(x, _mm_set1_epi16(127)), 8);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(128)), rounded), 8);
}

// Two pixels widened to 16-bit lanes (b, g, r, a, b, g, r, a).
__attribute__((target("sse2"))) inline __m128i BlendTwo(__m128i s, __m128i d, __m128i fade) {
    const __m128i scaled = ScaleRounded16(_mm_mullo_epi16(s, fade));
    // Each pixel's scaled alpha in all four of its lanes.
    const __m128i alpha =
        _mm_shufflehi_epi16(_mm_shufflelo_epi16(scaled, _MM_SHUFFLE(3, 3, 3, 3)),
                            _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    return _mm_add_epi16(scaled, ScaleRounded16(_mm_mullo_epi16(d, rest)));
}

// The entry realigns its stack: a 32-bit Windows callback guarantees only 4 bytes, and the
// compiler may keep vectors in 16-byte aligned stack slots. Loads and stores are unaligned.
__attribute__((target("sse2"), force_align_arg_pointer)) void BlendRowSse2(
    DWORD* dst, const DWORD* src, size_t count, DWORD fade, DWORD opaque) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i fade16 = _mm_set1_epi16(static_cast<short>(fade));
    const __m128i opaque32 = _mm_set1_epi32(static_cast<int>(opaque));
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), opaque32);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i low = BlendTwo(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), fade16);
        const __m128i high = BlendTwo(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), fade16);
        // Saturation caps each channel at 255.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(low, high));
    }
    BlendRowPlain(dst + i, src + i, count - i, fade, opaque);
}

bool DetectSse2() {
#if defined(_M_X64) || defined(__x86_64__)
    return true;  // part of every x86-64 processor
#else
    return ::IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
#endif
}

std::atomic<EBlendPath>& ChosenPath() {
    static std::atomic<EBlendPath> path{DetectSse2() ? EBlendPath::kSse2 : EBlendPath::kPlain};
    return path;
}

// A single source pixel spread over count pixels, a stretch of source pixels at a time.
void FillRow(DWORD* dst, DWORD pixel, size_t count, BYTE fade, bool perPixelAlpha) {
    constexpr size_t kStretch = 64;
    DWORD source[kStretch];
    std::fill(source, source + kStretch, pixel);
    const EBlendPath path = ActiveBlendPath();
    for (size_t done = 0; done < count; done += kStretch)
        BlendRow(path, dst + done, source, std::min(kStretch, count - done), fade, perPixelAlpha);
}

// Whether the DIB's first row in memory is its top row. The header GetObject gives does not
// tell (its height is positive either way), so a marker is put into the first row in memory
// and the top row read back through GetBitmapBits, which always reads top-down; the pixel is
// restored at once. A single row reads the same either way. False when the row cannot be read.
bool ReadOrientation(HBITMAP bitmap, BYTE* bits, ptrdiff_t rowBytes, LONG height, bool& topDown) {
    topDown = true;
    if (height == 1) return true;
    ::GdiFlush();
    DWORD* first = reinterpret_cast<DWORD*>(bits);
    const DWORD lastRowFirst = *reinterpret_cast<DWORD*>(bits + rowBytes * (height - 1));
    const DWORD saved = *first;
    const DWORD marker = lastRowFirst ^ 1u;  // differs from the bottom-up top row's pixel
    *first = marker;
    DWORD top = 0;
    const bool read = ::GetBitmapBits(bitmap, sizeof(top), &top) == sizeof(top);
    *first = saved;
    topDown = top == marker;
    return read;
}

}  // namespace

bool HasSse2Blend() {
    static const bool present = DetectSse2();
    return present;
}

EBlendPath SelectBlendPath(EBlendPath path) {
    if (path == EBlendPath::kSse2 && !HasSse2Blend()) path = EBlendPath::kPlain;
    return ChosenPath().exchange(path);
}

EBlendPath ActiveBlendPath() { return ChosenPath().load(std::memory_order_relaxed); }

void BlendRow(EBlendPath path, DWORD* dst, const DWORD* src, size_t count, BYTE fade,
              bool perPixelAlpha) {
    const DWORD opaque = perPixelAlpha ? 0 : 0xFF000000u;
    if (path == EBlendPath::kSse2 && HasSse2Blend())
        BlendRowSse2(dst, src, count, fade, opaque);
    else
        BlendRowPlain(dst, src, count, fade, opaque);
}

// ---- Blending between device contexts ---------------------------------------------------------

CDibBlender::CDibBlender(HDC target, HDC source) {
    m_bReady = ActiveBlendPath() != EBlendPath::kSystem && SurfaceOf(target, m_target) &&
               SurfaceOf(source, m_source) && ReadClip(target);
}

// The pixels of the 32-bit DIB section selected into dc, when its coordinates are the pixels'.
bool CDibBlender::SurfaceOf(HDC dc, TSurface& surface) {
    if (dc == nullptr || ::GetMapMode(dc) != MM_TEXT || ::GetGraphicsMode(dc) != GM_COMPATIBLE ||
        ::GetLayout(dc) != 0)
        return false;
    POINT viewport{};
    POINT window{};
    if (!::GetViewportOrgEx(dc, &viewport) || !::GetWindowOrgEx(dc, &window) || viewport.x != 0 ||
        viewport.y != 0 || window.x != 0 || window.y != 0)
        return false;
    auto* bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
    DIBSECTION dib{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) ||
        dib.dsBm.bmBits == nullptr || dib.dsBm.bmBitsPixel != 32 ||
        dib.dsBmih.biCompression != BI_RGB)
        return false;
    surface.width = dib.dsBm.bmWidth;
    surface.height = std::abs(dib.dsBm.bmHeight);
    if (surface.width <= 0 || surface.height <= 0) return false;
    const ptrdiff_t rowBytes = dib.dsBm.bmWidthBytes;
    auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    bool topDown = true;
    if (!ReadOrientation(bitmap, bits, rowBytes, surface.height, topDown)) return false;
    if (topDown) {
        surface.origin = bits;
        surface.stride = rowBytes;
    } else {  // bottom-up: the top row is the last in memory
        surface.origin = bits + rowBytes * (surface.height - 1);
        surface.stride = -rowBytes;
    }
    return true;
}

// The target's clip region as rectangles (a handful at most), within the surface.
bool CDibBlender::ReadClip(HDC target) {
    constexpr size_t kMostRects = 16;
    const RECT whole{0, 0, m_target.width, m_target.height};
    const bxutil::CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    if (!region) return false;
    const int found = ::GetClipRgn(target, region.Get());
    if (found < 0) return false;
    if (found == 0) {
        m_clip.assign(1, whole);
        return true;
    }
    std::vector<RECT> rects;
    if (!RegionRects(region.Get(), kMostRects, rects)) return false;
    for (const RECT& rect : rects) {
        RECT part;
        if (RectIntersect(part, rect, whole)) m_clip.push_back(part);
    }
    return true;
}

bool CDibBlender::Blend(const RECT& dst, const RECT& src, BYTE fade, bool perPixelAlpha) const {
    const bool single = RectWidth(src) == 1 && RectHeight(src) == 1;
    if (!m_bReady || (!single && (RectWidth(dst) != RectWidth(src) ||
                                  RectHeight(dst) != RectHeight(src))))
        return false;
    const RECT sourceBounds{0, 0, m_source.width, m_source.height};
    RECT inside;
    if (!RectIntersect(inside, src, sourceBounds) || !RectEquals(inside, src)) return false;
    ::GdiFlush();  // GDI's drawing so far is in the pixels before we read them
    const EBlendPath path = ActiveBlendPath();
    for (const RECT& clip : m_clip) {
        RECT part;
        if (!RectIntersect(part, dst, clip)) continue;
        const size_t count = static_cast<size_t>(RectWidth(part));
        for (LONG y = part.top; y < part.bottom; ++y) {
            DWORD* out = m_target.Row(y) + part.left;
            if (single) {
                FillRow(out, m_source.Row(src.top)[src.left], count, fade, perPixelAlpha);
            } else {
                const DWORD* in = m_source.Row(src.top + y - dst.top) + src.left +
                                  (part.left - dst.left);
                BlendRow(path, out, in, count, fade, perPixelAlpha);
            }
        }
    }
    return true;
}

}  // namespace SkinUI
