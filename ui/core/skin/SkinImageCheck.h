#pragma once
// Checks run on picture bytes before they reach the decoder. Only the formats that skins and the
// game-information service use are decoded: PNG and JPEG. Everything else is refused here,
// before any decoding (the decoder library we build against, stb_image 2.27, loops forever on a
// Radiance HDR file with a truncated run-length scanline, for one, and pictures can come from
// outside: the downloaded game pictures). Of the two formats kept, the decoder mishandles
// these hostile inputs, which are refused too:
//   - a JPEG Huffman table declaring more than 256 codes overflows its tables, and a scan that
//     uses a table never defined reads it uninitialised;
//   - a PNG chunk whose length reaches past the end of the file makes it reserve that length
//     (a second IDAT chunk declaring 2^30 bytes: 2 GiB) before any of the data is read.
// Nor does the decoder bound its work by what a picture can need, so these are refused as well:
//   - a JPEG of more than 100 scans (a progressive picture has about ten): the decoder visits
//     every block of the frame in each scan, so 40 000 scans of 35 bytes over a 4096 x 4096
//     frame (1.4 MB) keep it busy for tens of seconds;
//   - a PNG whose image data inflates to more bytes than its header implies: the decoder
//     inflates all of it, growing its buffer without limit, before it compares the size (1.5 GB
//     and seconds of work from a 1.5 MB stream of zeros behind a 1 x 1 header). The data is
//     inflated here into a small scratch buffer, stopping just past that size, so a hostile
//     file costs no more than a real picture of its header's size. The picture is refused too
//     when that size cannot be known or is beyond the loader's limits (IHDR missing, or not the
//     first chunk, as in Apple's "CgBI" files; a colour type and bit depth that do not go
//     together) and when zlib finds the stream damaged or cut short. The Adler-32 checksum is not verified: the decoder does
//     not either, so a picture it shows is not refused for it.
// Every well-formed PNG and JPEG passes.
//
// A caller that knows where a picture is shown also bounds its size by that place: a picture of
// far more pixels than its box can show is refused from its header, before anything else is read
// (a 45 KB PNG of 3200 x 3200 pixels takes seconds to decode and resample, for a box that shows
// a tenth of them).

#include <windows.h>

#include "ui/core/skin/SkinImage.h"

namespace SkinUI {

// A picture shown in a box may hold this many times the box's area in pixels at the window's
// density: room for pictures drawn for a denser screen, or with a margin the box crops.
constexpr long long kBoxAreaFactor = 4;
// Pictures of up to this many pixels are allowed for any box (a 128 x 128 icon for a 36 x 36
// box): they decode in about a millisecond.
constexpr long long kMinBoxPixelBound = 256LL * 256LL;

// The most pixels a picture shown in a box of width x height skin units may have in a window at
// dpi: kBoxAreaFactor times the box's area at that density, at least kMinBoxPixelBound, at most
// kMaxImagePixels.
long long PixelBoundForBox(int width, int height, int dpi);

// The width and height a PNG's header chunk or a JPEG's first frame header states, read without
// decoding anything; false when the bytes hold no such header.
bool ReadPictureSize(const BYTE* bytes, size_t size, long long* width, long long* height);

// False when the bytes are no PNG or JPEG, state a size beyond the loader's limits or more than
// maxPixels pixels, or would drive the decoder into one of the faults above. The size is checked
// first, from the header alone.
bool IsPictureSafeToDecode(const BYTE* bytes, size_t size, long long maxPixels = kMaxImagePixels);

}  // namespace SkinUI
