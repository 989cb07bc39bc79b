#pragma once
// Checks run on picture bytes before they reach the decoder. The decoder library we build
// against (stb_image 2.27) mishandles some hostile inputs: a JPEG Huffman table declaring more
// than 256 codes overflows its tables, a PNM header number of ten or more digits overflows a
// signed integer, and a 16-bit PNM is converted with the 8-bit routine, which reads past its
// buffer. Pictures can come from outside (downloaded game pictures), so such inputs are
// refused here; every well-formed picture passes.

#include <windows.h>

namespace SkinUI {

// False when the bytes would drive the decoder into one of the faults above.
bool IsPictureSafeToDecode(const BYTE* bytes, size_t size);

}  // namespace SkinUI
