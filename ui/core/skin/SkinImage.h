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
// skin (archive, skin folder), then as a path as given, then under the skin folder. A program
// that reads its skin from its package only (ESkinFileSource::kPackageOnly) reads the archive
// alone.
std::unique_ptr<TImageData> LoadSkinImage(LPCWSTR name, LPCWSTR resourceType = nullptr,
                                          DWORD mask = 0);
// Decodes encoded picture bytes; null when they are no PNG or JPEG picture, hostile, too large
// for the loader or of more than maxPixels pixels (refused from the header, before decoding:
// see SkinImageCheck.h).
std::unique_ptr<TImageData> DecodeSkinImage(const BYTE* bytes, size_t size, DWORD mask = 0,
                                            long long maxPixels = kMaxImagePixels);
// Reads the picture file at path (as given, never through the skin) and decodes it; null when it
// cannot be read or decoded. Files beyond kMaxPictureBytes are not read.
std::unique_ptr<TImageData> LoadImageFile(LPCWSTR path, DWORD mask = 0,
                                          long long maxPixels = kMaxImagePixels);
// Builds a picture from straight (not premultiplied) RGBA pixels, rows top to bottom:
// premultiplies, then clears every pixel whose BGRA word equals mask (when mask is not 0).
std::unique_ptr<TImageData> CreateSkinImage(const BYTE* rgba, int width, int height,
                                            DWORD mask = 0);

// A copy of image resampled to width x height with a triangle filter (bilinear when enlarging,
// averaging over the covered source pixels when reducing), on the premultiplied pixels so that
// colour does not bleed out of transparent parts. Null when the size is not allowed or the
// bitmap cannot be made. Keeps the mask, alpha flag and resource type.
std::unique_ptr<TImageData> ResampleSkinImage(const TImageData& image, int width, int height);
// A copy of image (whose pixels are for image.nDpi) resampled for dpi; null when the scaled
// size is not allowed.
std::unique_ptr<TImageData> ScaledSkinImageCopy(const TImageData& image, int dpi);
// image (whose pixels are for image.nDpi) brought to dpi: resampled so that one skin unit spans
// dpi / 96 pixels. When the scaled size is not allowed the picture stays as it is (its nDpi
// says so, and its users scale by that).
std::unique_ptr<TImageData> ScaleSkinImageToDpi(std::unique_ptr<TImageData> image, int dpi);
// LoadSkinImage for a window at dpi: a skin picture is read from its "@1.5x" or "@2x" variant
// when the skin has one that suits dpi, then brought to dpi.
std::unique_ptr<TImageData> LoadSkinImageForDpi(LPCWSTR name, LPCWSTR resourceType, DWORD mask,
                                                int dpi);

}  // namespace SkinUI
