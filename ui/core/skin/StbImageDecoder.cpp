// stb_image, the picture decoder, compiled here and only here.

#include "ui/core/skin/SkinImage.h"

// stb_image is compiled with its PNG and JPEG decoders alone (the formats skins and the game
// pictures use; see SkinImageCheck.h for why no other is decoded), without its file functions
// (pictures always come from memory) and with a dimension cap matching ours.
// A PNG with an empty data chunk makes stb_image copy zero bytes to a null pointer, which C
// leaves undefined (and the checked test build stops on). Its copies therefore go through
// CopyBytes, which skips empty copies; the C headers are included first so that only
// stb_image's own calls are renamed.
#include <assert.h>
#include <limits.h>
#include <math.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {
void* CopyBytes(void* target, const void* source, size_t count) {
    return count != 0 ? memcpy(target, source, count) : target;
}
}  // namespace

// The decoder's integer arithmetic on hostile data (IDCT sums, header numbers) can overflow;
// compiled with wrapping signed arithmetic, such overflow is defined and yields wrong pixels at
// worst, never undefined behaviour. Its bit reader may also shift a 32-bit word by 32 on a
// corrupt entropy-coded segment (a shift the processor takes modulo 32: wrong bits, no memory
// touched), which is why this file alone is built without the test build's shift check (see
// CMakeLists.txt).
#pragma GCC push_options
#pragma GCC optimize("wrapv")
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS 16384
#define memcpy CopyBytes
#include "stb_image.h"
#undef memcpy
#pragma GCC pop_options

static_assert(STBI_MAX_DIMENSIONS == SkinUI::kMaxImageSide, "decoder cap must match the loader's");
