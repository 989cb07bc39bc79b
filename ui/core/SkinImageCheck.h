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
// Every well-formed PNG and JPEG passes.

#include <windows.h>

namespace SkinUI {

// False when the bytes are no PNG or JPEG, or would drive the decoder into one of the faults
// above.
bool IsPictureSafeToDecode(const BYTE* bytes, size_t size);

}  // namespace SkinUI
