// Render engine: pictures (nine-slice, tiling, fade), fills, gradients, lines, clips and the
// blending primitives with their software fall-backs.

#include "ui/core/render/UIRender.h"

// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "support/GdiplusSession.h"
#include "support/SystemLibrary.h"
#include "ui/core/base/UIDpi.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/skin/WindowResources.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/render/PixelBlend.h"
#include "ui/core/skin/ResourceData.h"
#include "ui/core/skin/SkinImage.h"

namespace SkinUI {

using bxutil::CBitmapHandle;
using bxutil::CMemoryDC;
using bxutil::CPenHandle;
using bxutil::CRegionHandle;
using bxutil::CSelectObject;

namespace {

using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                   BLENDFUNCTION);
using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

struct TSystemBlending {
    AlphaBlendFn alphaBlend = nullptr;
    GradientFillFn gradientFill = nullptr;
};

template <class Fn>
Fn ProcAs(HMODULE module, const char* name) {
    // Through the generic function pointer type, which converts to any other without warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// msimg32 is looked up once per process (the static's initialisation is thread-safe), from
// System32 only, and stays loaded until exit, since the functions may be called until then.
const TSystemBlending& SystemBlending() {
    static const TSystemBlending functions = [] {
        TSystemBlending found;
        const HMODULE module = LoadSystemLibrary(L"msimg32.dll");
        if (module != nullptr) {
            found.alphaBlend = ProcAs<AlphaBlendFn>(module, "AlphaBlend");
            found.gradientFill = ProcAs<GradientFillFn>(module, "GradientFill");
        }
        return found;
    }();
    return functions;
}

std::atomic<bool> g_forceSoftware{false};

constexpr int kMaxSurfacePixels = 1 << 26;  // largest off-screen surface (256 MB) we allocate

// Border widths: negative ones mean no border.
RECT ClampCorners(const RECT& rc) {
    auto width = [](LONG value) { return std::clamp(value, 0L, kMaxDrawCoordinate); };
    return RECT{width(rc.left), width(rc.top), width(rc.right), width(rc.bottom)};
}

bool SameSize(const RECT& a, const RECT& b) {
    return RectWidth(a) == RectWidth(b) && RectHeight(a) == RectHeight(b);
}

BYTE Channel(DWORD color, int shift) { return static_cast<BYTE>(color >> shift); }

// x × alpha / 255, rounded to nearest.
DWORD ScaleChannel(DWORD value, DWORD alpha) { return (value * alpha + 127) / 255; }

DWORD PremultiplyArgb(DWORD argb) {
    DWORD alpha = argb >> 24;
    return (alpha << 24) | (ScaleChannel(Channel(argb, 16), alpha) << 16) |
           (ScaleChannel(Channel(argb, 8), alpha) << 8) | ScaleChannel(Channel(argb, 0), alpha);
}

// An off-screen 32-bit DIB, null when the size is unusable or beyond what we allocate.
CBitmapHandle CreateDib(int width, int height, DWORD** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0 || width > kMaxSurfacePixels / height) return CBitmapHandle();
    return CreateTopDownDib(width, height, bits);
}

// Sets a device context's stretch mode for one scope.
class CStretchMode {
public:
    CStretchMode(HDC dc, int mode) : m_hDC(dc), m_nOld(::SetStretchBltMode(dc, mode)) {}
    CStretchMode(const CStretchMode&) = delete;
    CStretchMode& operator=(const CStretchMode&) = delete;
    ~CStretchMode() {
        if (m_nOld != 0) ::SetStretchBltMode(m_hDC, m_nOld);
    }

private:
    HDC m_hDC;
    int m_nOld;
};

// Fills a rectangle with one opaque colour (ExtTextOut's background fill needs no GDI object).
void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
    COLORREF old = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

// Draws the pieces of one picture: plain copies for opaque pictures, blending otherwise. Only
// pieces meeting the paint rectangle are drawn, and pieces drawn at their own size only where
// they meet it.
class CPieceDrawer {
public:
    CPieceDrawer(HDC target, HDC source, const RECT& paint, bool translucent, BYTE fade)
        : m_hTarget(target), m_hSource(source), m_rcPaint(paint), m_bTranslucent(translucent),
          m_direct(translucent ? target : nullptr, source) {
        m_blend = BLENDFUNCTION{AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    }

    const RECT& Paint() const { return m_rcPaint; }

    void Piece(const RECT& dst, const RECT& src) const {
        if (RectIsEmpty(dst) || RectIsEmpty(src) || !RectsMeet(dst, m_rcPaint)) return;
        if (!SameSize(dst, src)) {
            Draw(dst, src);
            return;
        }
        RECT visible;
        RectIntersect(visible, dst, m_rcPaint);
        Draw(visible, RectOffset(visible, src.left - dst.left, src.top - dst.top));
    }

private:
    void Draw(const RECT& dst, const RECT& src) const {
        if (m_bTranslucent) {
            // Our own blend on the pixels where both sides are DIBs; GDI's for the rest
            // (stretched pieces, other surfaces).
            if (!m_direct.Blend(dst, src, m_blend.SourceConstantAlpha, true))
                CUIRender::AlphaBlend(m_hTarget, dst, m_hSource, src, m_blend);
        } else if (SameSize(dst, src)) {
            ::BitBlt(m_hTarget, dst.left, dst.top, RectWidth(dst), RectHeight(dst), m_hSource,
                     src.left, src.top, SRCCOPY);
        } else {
            ::StretchBlt(m_hTarget, dst.left, dst.top, RectWidth(dst), RectHeight(dst),
                         m_hSource, src.left, src.top, RectWidth(src), RectHeight(src), SRCCOPY);
        }
    }

    HDC m_hTarget;
    HDC m_hSource;
    RECT m_rcPaint;
    bool m_bTranslucent;
    CDibBlender m_direct;
    BLENDFUNCTION m_blend;
};

// The first tile position at or after start, stepping by step from origin, whose tile (of width
// step) reaches past start: tiles wholly before the paint rectangle are skipped by arithmetic,
// not walked over (a one-pixel tile far from it would otherwise cost a step per pixel).
LONG FirstTileReaching(LONG origin, LONG step, LONG start) {
    if (start <= origin) return origin;
    const long long skipped = (static_cast<long long>(start) - origin) / step;
    return static_cast<LONG>(origin + skipped * step);
}

// The middle of a nine-slice: stretched, or repeated in the tiled directions with the last
// column and row cut. A tiled direction without source extent draws nothing. Only the tiles
// meeting the paint rectangle are visited.
void DrawMiddle(const CPieceDrawer& drawer, const RECT& dst, const RECT& src, bool xtiled,
                bool ytiled) {
    if (RectIsEmpty(dst) || !RectsMeet(dst, drawer.Paint())) return;
    if (!xtiled && !ytiled) {
        drawer.Piece(dst, src);
        return;
    }
    const LONG srcWidth = RectWidth(src);
    const LONG srcHeight = RectHeight(src);
    if ((xtiled && srcWidth <= 0) || (ytiled && srcHeight <= 0)) return;
    const LONG stepX = xtiled ? srcWidth : RectWidth(dst);
    const LONG stepY = ytiled ? srcHeight : RectHeight(dst);
    const RECT& paint = drawer.Paint();
    const LONG firstX = FirstTileReaching(dst.left, stepX, paint.left);
    for (LONG y = FirstTileReaching(dst.top, stepY, paint.top); y < dst.bottom && y < paint.bottom;
         y += stepY) {
        const LONG height = std::min(stepY, dst.bottom - y);
        for (LONG x = firstX; x < dst.right && x < paint.right; x += stepX) {
            const LONG width = std::min(stepX, dst.right - x);
            RECT piece{x, y, x + width, y + height};
            RECT cut{src.left, src.top, xtiled ? src.left + width : src.right,
                     ytiled ? src.top + height : src.bottom};
            drawer.Piece(piece, cut);
        }
    }
}

// The eight border pieces of a nine-slice, each stretched from the matching source piece.
void DrawBorders(const CPieceDrawer& drawer, const RECT& d, const RECT& s, const RECT& c) {
    struct TBand {
        LONG near1, near2, far2, far1;  // outer edge, inner edge, inner edge, outer edge
    };
    // Columns and rows of the grid: [outer, outer + width), [inner, inner), [far − width, far).
    const TBand dx{d.left, d.left + c.left, d.right - c.right, d.right};
    const TBand sx{s.left, s.left + c.left, s.right - c.right, s.right};
    const TBand dy{d.top, d.top + c.top, d.bottom - c.bottom, d.bottom};
    const TBand sy{s.top, s.top + c.top, s.bottom - c.bottom, s.bottom};
    auto cell = [](const TBand& x, const TBand& y, int column, int row) {
        const LONG xs[4] = {x.near1, x.near2, x.far2, x.far1};
        const LONG ys[4] = {y.near1, y.near2, y.far2, y.far1};
        return RECT{xs[column], ys[row], xs[column + 1], ys[row + 1]};
    };
    // Top-left, top, top-right, left, right, bottom-left, bottom, bottom-right.
    static const int kCells[8][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1},
                                     {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    for (const auto& [column, row] : kCells) {
        drawer.Piece(cell(dx, dy, column, row), cell(sx, sy, column, row));
    }
}

// The source rectangle limited to the bitmap (so no piece reads outside it).
RECT ClampToBitmap(const RECT& source, HBITMAP bitmap) {
    BITMAP info{};
    if (::GetObjectW(bitmap, sizeof(info), &info) == 0) return RECT{0, 0, 0, 0};
    const LONG height = std::abs(info.bmHeight);
    return RECT{std::clamp(source.left, 0L, info.bmWidth), std::clamp(source.top, 0L, height),
                std::clamp(source.right, 0L, info.bmWidth), std::clamp(source.bottom, 0L, height)};
}

// Where a spec's picture goes inside the control: the control itself for dest 0,0,0,0, else the
// offsets from its top-left corner, the right and bottom never beyond the control.
RECT SpecDestination(const RECT& offsets, const RECT& control) {
    if (RectIsZero(offsets)) return control;
    const RECT o = ClampToDrawRange(offsets);
    return RECT{control.left + o.left, control.top + o.top,
                std::min(control.right, control.left + o.right),
                std::min(control.bottom, control.top + o.bottom)};
}

// A rectangle of skin units in pixels of a density.
RECT ScaledRect(const RECT& rc, int dpi) {
    return RECT{ScaleByDpi(rc.left, dpi), ScaleByDpi(rc.top, dpi), ScaleByDpi(rc.right, dpi),
                ScaleByDpi(rc.bottom, dpi)};
}

// A spec read for another density than the window's (the window moved to another screen) is
// read again: its rectangles and picture belong to the old one.
bool IsSpecStale(const CWindowResourcesUI* resources, const TImageSpec& spec) {
    return resources != nullptr && spec.tried && spec.dpi != resources->Dpi();
}

// First use of a spec: read its description and load the picture through the resources. A failed
// attempt is remembered so that it is not repeated on every paint. The description's rectangles
// are in skin units: source and corner become pixels of the picture as loaded (a variant or a
// resampled copy), dest pixels of the window.
bool LoadSpecImage(CWindowResourcesUI* resources, TImageSpec& spec) {
    if (IsSpecStale(resources, spec)) {
        const CUIString description = spec.description;
        spec.Reset(description);
    }
    // Without a resources there is nowhere to load from; that is no attempt, so it is not marked.
    if (spec.tried || resources == nullptr) return false;
    spec.tried = true;
    spec.dpi = resources->Dpi();
    if (spec.description.IsEmpty()) return false;
    TImageSource source;
    ParseImageDescription(spec.description, spec, source);
    spec.imageName = source.name;
    LPCWSTR type = source.fromResource ? source.resourceType.GetData() : nullptr;
    spec.image = resources->GetImageCached(source.name, type, source.mask);
    if (spec.image == nullptr) return false;
    spec.source = RectIsZero(spec.source) ? RECT{0, 0, spec.image->nWidth, spec.image->nHeight}
                                          : ScaledRect(spec.source, spec.image->nDpi);
    spec.corner = ScaledRect(spec.corner, spec.image->nDpi);
    spec.dest = ScaledRect(spec.dest, spec.dpi);
    return true;
}

// The most recent rotated picture (process-wide; each rotation replaces the previous one).
CBitmapHandle g_rotatedBitmap;

// A GDI+ view of a bitmap: straight over the pixels of a 32-bit DIB section (keeping their
// premultiplied alpha), else converted by GDI+.
std::unique_ptr<Gdiplus::Bitmap> GdiplusViewOf(HBITMAP bitmap) {
    DIBSECTION dib{};
    if (::GetObjectW(bitmap, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBitsPixel == 32 &&
        dib.dsBm.bmBits != nullptr && dib.dsBmih.biHeight < 0) {
        return std::make_unique<Gdiplus::Bitmap>(dib.dsBm.bmWidth, dib.dsBm.bmHeight,
                                                 dib.dsBm.bmWidthBytes, PixelFormat32bppPARGB,
                                                 static_cast<BYTE*>(dib.dsBm.bmBits));
    }
    return std::unique_ptr<Gdiplus::Bitmap>(Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr));
}

// Region in device coordinates for a rectangle given in the context's logical coordinates.
void ToDeviceCoordinates(HDC dc, HRGN region) {
    POINT viewport{};
    POINT window{};
    ::GetViewportOrgEx(dc, &viewport);
    ::GetWindowOrgEx(dc, &window);
    ::OffsetRgn(region, viewport.x - window.x, viewport.y - window.y);
}

}  // namespace

// ---- Off-screen surfaces ---------------------------------------------------------------------

CDibSurfaceUI::CDibSurfaceUI(int width, int height) : m_nWidth(width), m_nHeight(height) {
    DWORD* bits = nullptr;
    m_bitmap = CreateDib(width, height, &bits);
    if (!m_bitmap) return;
    m_dc.Reset(::CreateCompatibleDC(nullptr));
    if (!m_dc) return;
    m_selection = CSelectObject(m_dc.Get(), m_bitmap.Get());
    m_pBits = bits;
}

// ---- Blending primitives ----------------------------------------------------------------------

void CUIRender::ForceSoftwareFallbacks(bool force) { g_forceSoftware = force; }

bool CUIRender::HasSystemBlending() {
    const TSystemBlending& system = SystemBlending();
    return system.alphaBlend != nullptr && system.gradientFill != nullptr;
}

bool CUIRender::AlphaBlend(HDC hdcDest, const RECT& rcDest, HDC hdcSrc, const RECT& rcSrc,
                           const BLENDFUNCTION& blend) {
    AlphaBlendFn system = SystemBlending().alphaBlend;
    if (system == nullptr || g_forceSoftware) {
        return SoftwareAlphaBlend(hdcDest, rcDest, hdcSrc, rcSrc, blend);
    }
    return system(hdcDest, rcDest.left, rcDest.top, RectWidth(rcDest), RectHeight(rcDest), hdcSrc,
                  rcSrc.left, rcSrc.top, RectWidth(rcSrc), RectHeight(rcSrc), blend) != FALSE;
}

// Copies the (stretched) source and the destination into DIBs of the destination size, blends
// them pixel by pixel and copies the result back.
bool CUIRender::SoftwareAlphaBlend(HDC hdcDest, const RECT& rcDest, HDC hdcSrc,
                                   const RECT& rcSrc, const BLENDFUNCTION& blend) {
    const RECT dst = ClampToDrawRange(rcDest);
    const RECT src = ClampToDrawRange(rcSrc);
    if (RectIsEmpty(dst) || RectIsEmpty(src)) return false;
    const int width = RectWidth(dst);
    const int height = RectHeight(dst);
    CDibSurfaceUI source(width, height);
    CDibSurfaceUI target(width, height);
    if (!source.IsValid() || !target.IsValid()) return false;
    ::SetStretchBltMode(source.DC(), COLORONCOLOR);
    if (!::StretchBlt(source.DC(), 0, 0, width, height, hdcSrc, src.left, src.top,
                      RectWidth(src), RectHeight(src), SRCCOPY) ||
        !::BitBlt(target.DC(), 0, 0, width, height, hdcDest, dst.left, dst.top, SRCCOPY)) {
        return false;
    }
    const EBlendPath path = ActiveBlendPath();
    BlendRow(path, target.Bits(), source.Bits(), target.PixelCount(), blend.SourceConstantAlpha,
             (blend.AlphaFormat & AC_SRC_ALPHA) != 0);
    return ::BitBlt(hdcDest, dst.left, dst.top, width, height, target.DC(), 0, 0, SRCCOPY) != FALSE;
}

bool CUIRender::GradientFill(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical,
                             int steps) {
    GradientFillFn system = SystemBlending().gradientFill;
    if (system == nullptr || g_forceSoftware) {
        SoftwareGradientFill(hDC, rc, first, second, vertical, steps);
        return true;
    }
    auto vertex = [](LONG x, LONG y, DWORD argb) {
        return TRIVERTEX{x, y, static_cast<COLOR16>(Channel(argb, 16) << 8),
                         static_cast<COLOR16>(Channel(argb, 8) << 8),
                         static_cast<COLOR16>(Channel(argb, 0) << 8),
                         static_cast<COLOR16>(Channel(argb, 24) << 8)};
    };
    TRIVERTEX vertices[2] = {vertex(rc.left, rc.top, first), vertex(rc.right, rc.bottom, second)};
    GRADIENT_RECT mesh{0, 1};
    return system(hDC, vertices, 2, &mesh, 1,
                  vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H) != FALSE;
}

// 2^k solid bands; band i (counted from the bottom or right end) mixes the colours as
// (second × (2^k − i) + first × i) / 2^k, so the bands step from the second colour towards the
// first.
void CUIRender::SoftwareGradientFill(HDC hDC, const RECT& rcFill, DWORD first, DWORD second,
                                     bool vertical, int steps) {
    const RECT rc = ClampToDrawRange(rcFill);
    if (hDC == nullptr || RectIsEmpty(rc)) return;
    const int k = steps < 4 ? 1 : steps < 8 ? 2 : steps < 16 ? 3 : steps < 32 ? 4 : steps < 64 ? 5 : 6;
    const int bands = 1 << k;
    const int64_t length = vertical ? RectHeight(rc) : RectWidth(rc);
    const LONG end = vertical ? rc.bottom : rc.right;
    for (int i = 0; i < bands; ++i) {
        const LONG nearEdge = end - static_cast<LONG>(length * i / bands);
        const LONG farEdge = end - static_cast<LONG>(length * (i + 1) / bands);
        if (farEdge >= nearEdge) continue;
        auto mix = [&](int shift) {
            return static_cast<BYTE>((Channel(second, shift) * (bands - i) +
                                      Channel(first, shift) * i) >> k);
        };
        const RECT band = vertical ? RECT{rc.left, farEdge, rc.right, nearEdge}
                                   : RECT{farEdge, rc.top, nearEdge, rc.bottom};
        FillSolid(hDC, band, RGB(mix(16), mix(8), mix(0)));
    }
}

// ---- Pictures ---------------------------------------------------------------------------------

bool CUIRender::DrawImageSpec(HDC hDC, CWindowResourcesUI* resources, const RECT& rcControl,
                              const RECT& rcPaint, TImageSpec& spec, int angle) {
    if ((spec.image == nullptr || IsSpecStale(resources, spec)) && !LoadSpecImage(resources, spec))
        return false;
    const TImageData& image = *spec.image;
    spec.source.right = std::min<LONG>(spec.source.right, image.nWidth);
    spec.source.bottom = std::min<LONG>(spec.source.bottom, image.nHeight);
    if (hDC == nullptr) return true;
    const RECT control = ClampToDrawRange(rcControl);
    const RECT dest = SpecDestination(spec.dest, control);
    if (!RectsMeet(dest, control) || !RectsMeet(dest, rcPaint)) return true;
    HBITMAP bitmap = angle != 0 ? RotateBitmap(image.hBitmap.Get(), angle) : image.hBitmap.Get();
    if (bitmap == nullptr) return true;
    DrawImage(hDC, bitmap, dest, rcPaint, spec.source, spec.corner, image.bAlpha, spec.fade,
              spec.hole, spec.xtiled, spec.ytiled);
    return true;
}

void CUIRender::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rcDest, const RECT& rcPaint,
                          const RECT& rcSource, const RECT& rcCorners, bool hasAlpha, BYTE fade,
                          bool hole, bool xtiled, bool ytiled) {
    if (hDC == nullptr || hBitmap == nullptr) return;
    const RECT dest = ClampToDrawRange(rcDest);
    const RECT paint = ClampToDrawRange(rcPaint);
    const RECT source = ClampToBitmap(rcSource, hBitmap);
    const RECT corner = ClampCorners(rcCorners);
    if (RectIsEmpty(dest) || RectIsEmpty(source) || !RectsMeet(dest, paint)) return;

    CMemoryDC memoryDC(::CreateCompatibleDC(hDC));
    if (!memoryDC) return;
    CSelectObject selected(memoryDC.Get(), hBitmap);
    CStretchMode stretchMode(hDC, COLORONCOLOR);
    const CPieceDrawer drawer(hDC, memoryDC.Get(), paint, hasAlpha || fade < 255, fade);

    // With no corners the middle is the whole picture; drawn at its own size it is one copy of
    // the visible part only.
    if (!hole) {
        DrawMiddle(drawer, RectDeflate(dest, corner), RectDeflate(source, corner), xtiled, ytiled);
    }
    DrawBorders(drawer, dest, source, corner);
}

HBITMAP CUIRender::RotateBitmap(HBITMAP hBitmap, int angle) {
    if (hBitmap == nullptr || !StartGdiplusOnce()) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> source = GdiplusViewOf(hBitmap);
    if (!source || source->GetLastStatus() != Gdiplus::Ok) return nullptr;
    const INT width = static_cast<INT>(source->GetWidth());
    const INT height = static_cast<INT>(source->GetHeight());
    Gdiplus::Bitmap rotated(width, height, PixelFormat32bppARGB);
    if (rotated.GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics graphics(&rotated);
        const Gdiplus::REAL centreX = static_cast<Gdiplus::REAL>(width / 2);
        const Gdiplus::REAL centreY = static_cast<Gdiplus::REAL>(height / 2);
        graphics.TranslateTransform(centreX, centreY);
        graphics.RotateTransform(static_cast<Gdiplus::REAL>(angle % 360));
        graphics.TranslateTransform(-centreX, -centreY);
        graphics.DrawImage(source.get(), 0, 0, width, height);
    }
    HBITMAP result = nullptr;
    if (rotated.GetHBITMAP(Gdiplus::Color(255, 0, 0, 0), &result) != Gdiplus::Ok) return nullptr;
    g_rotatedBitmap.Reset(result);
    return result;
}

bool CUIRender::StartGdiplusOnce() {
    // Never shut down: GDI+ may still be in use while static objects are destroyed at exit, and
    // the process's end releases it. Controls that start their own GDI+ reference stay unaffected.
    // So the token is given up to no one on purpose.
    static const bool started = bxutil::StartGdiplus().Release() != 0;
    return started;
}

// ---- Fills and lines --------------------------------------------------------------------------

void CUIRender::DrawColor(HDC hDC, const RECT& rcFill, DWORD argb) {
    const BYTE alpha = ArgbAlpha(argb);
    const RECT rc = ClampToDrawRange(rcFill);
    if (hDC == nullptr || alpha == 0 || RectIsEmpty(rc)) return;
    if (alpha == 255) {
        FillSolid(hDC, rc, ArgbToColorRef(argb));
        return;
    }
    // A one-pixel picture stretched over the rectangle. Its pixel is premultiplied like every
    // picture's, so that the blend gives colour × alpha over the background.
    DWORD* bits = nullptr;
    CBitmapHandle pixel = CreateDib(1, 1, &bits);
    if (!pixel) return;
    bits[0] = PremultiplyArgb(argb);
    DrawImage(hDC, pixel.Get(), rc, rc, RECT{0, 0, 1, 1}, RECT{0, 0, 0, 0}, true);
}

void CUIRender::DrawGradient(HDC hDC, const RECT& rcFill, DWORD first, DWORD second,
                             bool vertical, int steps) {
    const RECT rc = ClampToDrawRange(rcFill);
    const int opacity = (ArgbAlpha(first) + ArgbAlpha(second)) / 2;
    if (hDC == nullptr || opacity == 0 || RectIsEmpty(rc)) return;
    if (opacity == 255) {
        GradientFill(hDC, rc, first, second, vertical, steps);
        return;
    }
    // Translucent: painted off-screen, then blended with the average opacity.
    const RECT local{0, 0, RectWidth(rc), RectHeight(rc)};
    CDibSurfaceUI surface(local.right, local.bottom);
    if (!surface.IsValid()) return;
    GradientFill(surface.DC(), local, first, second, vertical, steps);
    AlphaBlend(hDC, rc, surface.DC(), local,
               BLENDFUNCTION{AC_SRC_OVER, 0, static_cast<BYTE>(opacity), 0});
}

void CUIRender::DrawLine(HDC hDC, const RECT& rc, int size, DWORD argb, int style) {
    if (hDC == nullptr) return;
    CPenHandle pen(::CreatePen(style, size, ArgbToColorRef(argb)));
    if (!pen) return;
    CSelectObject selected(hDC, pen.Get());
    POINT previous{};
    ::MoveToEx(hDC, rc.left, rc.top, &previous);
    ::LineTo(hDC, rc.right, rc.bottom);
    ::MoveToEx(hDC, previous.x, previous.y, nullptr);
}

namespace {

// An outline with an inside-frame pen and no fill; shape draws it on the prepared context.
template <class Shape>
void DrawFrame(HDC hDC, int size, DWORD argb, Shape shape) {
    if (hDC == nullptr) return;
    CPenHandle pen(::CreatePen(PS_INSIDEFRAME, size, ArgbToColorRef(argb)));
    if (!pen) return;
    CSelectObject selectedPen(hDC, pen.Get());
    CSelectObject selectedBrush(hDC, ::GetStockObject(NULL_BRUSH));
    shape();
}

}  // namespace

void CUIRender::DrawRect(HDC hDC, const RECT& rc, int size, DWORD argb) {
    DrawFrame(hDC, size, argb, [&] { ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom); });
}

void CUIRender::DrawRoundRect(HDC hDC, const RECT& rc, int size, int width, int height,
                              DWORD argb) {
    DrawFrame(hDC, size, argb, [&] {
        ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
    });
}

// ---- Clips ------------------------------------------------------------------------------------

void CPaintClip::Restore() {
    if (m_hDC != nullptr) ::SelectClipRgn(m_hDC, m_hOldRgn.Get());  // null: no clip at all
    m_hDC = nullptr;
    m_hRgn.Reset();
    m_hOldRgn.Reset();
}

// Remembers the context's exact clip (or that it had none), intersects it with shape and keeps
// the result for ResumeClip.
void CPaintClip::Begin(HDC hDC, const RECT& item, CRegionHandle shape) {
    m_rcItem = item;
    m_hDC = hDC;
    m_hOldRgn.Reset(::CreateRectRgn(0, 0, 0, 0));
    if (m_hOldRgn && ::GetClipRgn(hDC, m_hOldRgn.Get()) != 1) m_hOldRgn.Reset();
    if (shape) {
        ToDeviceCoordinates(hDC, shape.Get());
        ::ExtSelectClipRgn(hDC, shape.Get(), RGN_AND);
    }
    m_hRgn.Reset(::CreateRectRgn(0, 0, 0, 0));
    if (m_hRgn && ::GetClipRgn(hDC, m_hRgn.Get()) != 1) m_hRgn.Reset();
}

void CUIRender::ClipToRect(HDC hDC, const RECT& rc, CPaintClip& clip) {
    clip.Restore();
    if (hDC == nullptr) return;
    const RECT r = ClampToDrawRange(rc);
    clip.Begin(hDC, r, CRegionHandle(::CreateRectRgnIndirect(&r)));
}

void CUIRender::ClipToRoundRect(HDC hDC, const RECT& rcClip, const RECT& rcItem, int width,
                                int height, CPaintClip& clip) {
    clip.Restore();
    if (hDC == nullptr) return;
    const RECT r = ClampToDrawRange(rcClip);
    const RECT item = ClampToDrawRange(rcItem);
    CRegionHandle shape(::CreateRectRgnIndirect(&r));
    CRegionHandle round(::CreateRoundRectRgn(item.left, item.top, item.right + 1,
                                             item.bottom + 1, width, height));
    if (shape && round) ::CombineRgn(shape.Get(), shape.Get(), round.Get(), RGN_AND);
    clip.Begin(hDC, item, std::move(shape));
}

void CUIRender::SuspendClip(HDC hDC, CPaintClip& clip) {
    if (hDC != nullptr && hDC == clip.m_hDC) ::SelectClipRgn(hDC, clip.m_hOldRgn.Get());
}

void CUIRender::ResumeClip(HDC hDC, CPaintClip& clip) {
    if (hDC != nullptr && hDC == clip.m_hDC) ::SelectClipRgn(hDC, clip.m_hRgn.Get());
}

}  // namespace SkinUI
