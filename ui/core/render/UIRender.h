#pragma once
// CUIRender: the stateless drawing operations every control paints itself with: pictures cut,
// stretched and tiled according to an image description, solid and gradient fills, lines and
// frames, plain text (GDI or GDI+) and formatted text with a small tag language. Colours are ARGB
// (0xAARRGGBB) throughout; pictures are premultiplied 32-bit BGRA DIB sections.
//
// Formatted text tags, written <x ...> or {x ...} and closed by </x> or {/x}:
//   <a link>  link (colour, underline, rectangles recorded)   <b>  bold
//   <c #hex>  text colour                                      <f id> or <f face [size] [styles]>
//   <i>       italic;  <i name [count [index]]> inline picture <n>  line break
//   <p [spacing]> paragraph                                    <r>  raw text up to </r>
//   <s>       selected background                              <u>  underline
//   <x n>     move the pen n pixels right                      <y n> line height n
// <{> and <}> give a literal "{" and "}", {<} and {>} a literal "<" and ">".
// Every operation accepts hostile input (bad descriptions, unbalanced tags, huge numbers) and
// draws nothing rather than failing.

#include <windows.h>

#include "support/GdiHandles.h"

namespace SkinUI {

class CUIString;
class CWindowResourcesUI;
struct TImageSpec;

// A clip scope on a device context: while it lives, drawing is limited to the rectangle (and the
// rounded rectangle) it was made with; destroying it restores the clip that was in force before.
class CPaintClip {
public:
    CPaintClip() = default;
    CPaintClip(const CPaintClip&) = delete;
    CPaintClip& operator=(const CPaintClip&) = delete;
    ~CPaintClip() { Restore(); }

    const RECT& ItemRect() const { return m_rcItem; }

private:
    friend class CUIRender;
    void Begin(HDC hDC, const RECT& item, bxutil::CRegionHandle shape);
    void Restore();

    RECT m_rcItem = {0, 0, 0, 0};
    HDC m_hDC = nullptr;
    bxutil::CRegionHandle m_hRgn;     // the scope's clip (previous clip AND the new shape)
    bxutil::CRegionHandle m_hOldRgn;  // the clip before the scope; none when the context had no clip
};

// A 32-bit top-down DIB section selected into its own memory device context: the off-screen
// surface for blending, translucent gradients and tests. Invalid when the size is unusable.
class CDibSurfaceUI {
public:
    CDibSurfaceUI(int width, int height);
    CDibSurfaceUI(const CDibSurfaceUI&) = delete;
    CDibSurfaceUI& operator=(const CDibSurfaceUI&) = delete;

    bool IsValid() const { return m_pBits != nullptr; }
    HDC DC() const { return m_dc.Get(); }
    HBITMAP Bitmap() const { return m_bitmap.Get(); }
    // Pixels, rows top to bottom, B in the low byte and A in the high byte.
    DWORD* Bits() const { return m_pBits; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    size_t PixelCount() const { return static_cast<size_t>(m_nWidth) * m_nHeight; }

private:
    int m_nWidth;
    int m_nHeight;
    // In the order they are made: the bitmap is put out of the context before either goes.
    bxutil::CBitmapHandle m_bitmap;
    bxutil::CMemoryDC m_dc;
    bxutil::CSelectObject m_selection;
    DWORD* m_pBits = nullptr;
};

class CUIRender {
public:
    // Parses the spec's description on first use and loads its picture through the window's resources; then
    // draws it into the control rectangle, limited to the paint rectangle. A null device context
    // only parses and loads. Returns false when there is no picture (a failed load is not retried
    // until the spec is reset). angle: rotation in degrees, 0 for none.
    static bool DrawImageSpec(HDC hDC, CWindowResourcesUI* resources, const RECT& rcControl,
                              const RECT& rcPaint, TImageSpec& spec, int angle = 0);

    // The nine-slice and tiling core: draws rcSource of the bitmap into rcDest with the border
    // widths in rcCorners; only pieces meeting rcPaint are drawn.
    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rcDest, const RECT& rcPaint,
                          const RECT& rcSource, const RECT& rcCorners, bool hasAlpha,
                          BYTE fade = 255, bool hole = false, bool xtiled = false,
                          bool ytiled = false);

    // Alpha 0 draws nothing, 255 fills, anything else blends.
    static void DrawColor(HDC hDC, const RECT& rc, DWORD argb);
    // Two-colour gradient, first colour at the top (vertical) or left. steps sets the number of
    // bands when the system gradient function is missing.
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical,
                             int steps);

    // A line from (left, top) to (right, bottom).
    static void DrawLine(HDC hDC, const RECT& rc, int size, DWORD argb, int style = PS_SOLID);
    // Frames drawn inside the rectangle, not filled.
    static void DrawRect(HDC hDC, const RECT& rc, int size, DWORD argb);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int size, int width, int height,
                              DWORD argb);

    // One text in the window's font fontId with Win32 DrawText style flags. With DT_CALCRECT rc
    // receives the measured extent instead. gdiplus selects anti-aliased GDI+ drawing with the
    // text opacity alpha.
    static void DrawText(HDC hDC, CWindowResourcesUI* resources, RECT& rc, LPCWSTR text, DWORD argb,
                         int fontId, UINT style, bool gdiplus = false, BYTE alpha = 255);

    // Formatted text (tags above). linkRects/linkTexts receive the rectangles of links and their
    // texts; linkCount is their capacity on entry and the number used on return. With
    // DT_CALCRECT nothing is drawn and rc receives the extent.
    static void DrawFormattedText(HDC hDC, CWindowResourcesUI* resources, RECT& rc, LPCWSTR text,
                                  DWORD argb, RECT* linkRects, CUIString* linkTexts,
                                  int& linkCount, UINT style);
    // The words of a formatted text without its tags (a line break or "n" tag as a blank), as
    // accessibility clients read a label that shows formatted text.
    static CUIString FormattedTextWords(LPCWSTR text);

    // A copy of the bitmap rotated by angle degrees about its centre, on an opaque black
    // background, owned by the caller; empty when it cannot be made.
    static bxutil::CBitmapHandle RotateBitmap(HBITMAP hBitmap, int angle);

    static void ClipToRect(HDC hDC, const RECT& rc, CPaintClip& clip);
    // Clips to rcClip AND the rounded rectangle of rcItem (right and bottom included).
    static void ClipToRoundRect(HDC hDC, const RECT& rcClip, const RECT& rcItem, int width,
                                int height, CPaintClip& clip);
    // Temporarily puts back the clip in force before the scope / selects the scope's clip again.
    static void SuspendClip(HDC hDC, CPaintClip& clip);
    static void ResumeClip(HDC hDC, CPaintClip& clip);

    // Blending primitives. AlphaBlend uses msimg32's function (looked up once per process) and
    // falls back to SoftwareAlphaBlend without it; both take premultiplied sources. The software
    // gradient paints 2^k solid bands, k growing with steps.
    static bool AlphaBlend(HDC hdcDest, const RECT& rcDest, HDC hdcSrc, const RECT& rcSrc,
                           const BLENDFUNCTION& blend);
    static bool SoftwareAlphaBlend(HDC hdcDest, const RECT& rcDest, HDC hdcSrc,
                                   const RECT& rcSrc, const BLENDFUNCTION& blend);
    static bool GradientFill(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical,
                             int steps);
    static void SoftwareGradientFill(HDC hDC, const RECT& rc, DWORD first, DWORD second,
                                     bool vertical, int steps);
    // Makes AlphaBlend and GradientFill use the software versions even when msimg32 has the
    // functions (tests and the paint benchmark compare both).
    static void ForceSoftwareFallbacks(bool force);
    // Whether msimg32's AlphaBlend and GradientFill were both found (what the software versions
    // are compared against).
    static bool HasSystemBlending();

private:
    // GDI+ is started on first use and kept for the life of the process.
    static bool StartGdiplusOnce();
};

}  // namespace SkinUI
