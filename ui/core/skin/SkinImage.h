#pragma once
// Picture decoding for the skin: PNG and JPEG pictures become premultiplied BGRA DIB sections
// (TImageData). Other formats are refused before decoding (SkinImageCheck.h).

#include <windows.h>

#include <memory>

#include "support/GdiHandles.h"
#include "ui/core/skin/ResourceData.h"

namespace SkinUI {

// Pictures larger than this are refused before they are decoded (a hostile header must not make
// the process allocate gigabytes).
constexpr int kMaxImageSide = 16384;
constexpr long long kMaxImagePixels = 4096LL * 4096LL;
// The most bytes a picture file within that limit can need: every pixel in 16-bit RGBA stored
// without compression, plus a generous allowance for the format's framing. Larger files are
// refused before they are read.
constexpr DWORD kMaxPictureBytes =
    static_cast<DWORD>(kMaxImagePixels * 8 + kMaxImagePixels * 8 / 64 + (1 << 20));
// Whether a picture of width x height pixels is within the limits above.
bool IsImageSizeAllowed(long long width, long long height);

// A 32-bit top-down DIB section (rows top to bottom, B in the low byte and A in the high byte of
// each pixel word): the layout of every picture and off-screen surface of the framework. bits
// receives its pixels; an empty handle (and null bits) when it cannot be made. The caller
// bounds the size.
bxutil::CBitmapHandle CreateTopDownDib(int width, int height, DWORD** bits);

// Loads a picture the way the resource tables do: with a resource type, name is a resource
// number ("123") of that type in the resource module; without one, name is read through the
// skin (archive, skin folder), then as a path as given, then under the skin folder.
std::unique_ptr<TImageData> LoadSkinImage(LPCWSTR name, LPCWSTR resourceType = nullptr,
                                          DWORD mask = 0);
// Decodes encoded picture bytes; null when they are no PNG or JPEG picture, hostile or too
// large.
std::unique_ptr<TImageData> DecodeSkinImage(const BYTE* bytes, size_t size, DWORD mask = 0);
// Builds a picture from straight (not premultiplied) RGBA pixels, rows top to bottom:
// premultiplies, then clears every pixel whose BGRA word equals mask (when mask is not 0).
std::unique_ptr<TImageData> CreateSkinImage(const BYTE* rgba, int width, int height,
                                            DWORD mask = 0);

}  // namespace SkinUI
