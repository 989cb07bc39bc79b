#pragma once
// The records of the shared resource tables: fonts and decoded pictures. Each record owns its GDI
// object and deletes it when the record is destroyed (the tables own the records).

#include <windows.h>

#include "support/GdiHandles.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

struct TFontData {
    bxutil::CFontHandle hFont;
    CUIString strFaceName;
    int nSize = 0;          // character height in pixels
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICW tm{};       // all zero until first needed

    TFontData() = default;
    TFontData(const TFontData&) = delete;
    TFontData& operator=(const TFontData&) = delete;
    bool HasMetrics() const { return tm.tmHeight != 0; }
};

// A decoded picture: a 32-bit top-down DIB section holding premultiplied BGRA, one 32-bit word
// per pixel (B in the low byte, A in the high byte), rows top to bottom.
struct TImageData {
    bxutil::CBitmapHandle hBitmap;
    BYTE* pBits = nullptr;  // the DIB's pixels (owned by hBitmap)
    int nWidth = 0;
    int nHeight = 0;
    bool bAlpha = false;        // some pixel is not fully opaque, or was cleared by the mask
    CUIString strResType;       // empty for pictures read from the skin
    DWORD dwMask = 0;           // ARGB made transparent at load time, 0 for none
    int nDpi = 96;              // the screen density its pixels are for (skin units x dpi / 96)
    CUIString strSourceFile;    // the file it was read from when added as a file, else empty

    TImageData() = default;
    TImageData(const TImageData&) = delete;
    TImageData& operator=(const TImageData&) = delete;
    // The pixel word at (x, y); the caller keeps x and y inside the picture.
    DWORD PixelAt(int x, int y) const {
        return reinterpret_cast<const DWORD*>(pBits)[static_cast<size_t>(y) * nWidth + x];
    }
};

// Where the framework reads the files a skin names (markup, string tables, pictures and their
// density variants):
//   kPackageAndFolder  the skin archive, else the skin folder on disk (and a picture's name also
//                      as a path as given): a skin author tries a file without packing it, and
//                      a tool previews skin folders;
//   kPackageOnly       the skin archive alone. A file the archive lacks is missing, whatever lies
//                      beside the program or in the current folder: a program that carries its
//                      skin inside itself shows nothing that someone else put there.
enum class ESkinFileSource { kPackageAndFolder, kPackageOnly };

// Colour adjustment setting handed to controls that adjust colours.
struct THslSetting {
    short hue = 180;
    short saturation = 100;
    short lightness = 100;
    bool enabled = false;
};

// The five default colours (ARGB).
struct TDefaultColors {
    DWORD disabledText = 0xFFA7A6AA;
    DWORD normalText = 0xFF000000;
    DWORD linkText = 0xFF0000FF;
    DWORD linkHoverText = 0xFFD3215F;
    DWORD selectedBk = 0xFFBAE4FF;
};

// Start-up work run with the application's module instance (see CWindowResourcesUI).
using TModuleInstanceHook = void (*)(HINSTANCE instance);

}  // namespace SkinUI
