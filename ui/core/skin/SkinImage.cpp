// Decoding of skin pictures into premultiplied BGRA DIB sections.

#include "ui/core/skin/SkinImage.h"

#include <cwchar>
#include <cwctype>
#include <utility>
#include <vector>

#include "ui/core/skin/SkinImageCheck.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/SkinState.h"

// The decoder itself is compiled in StbImageDecoder.cpp; only its interface is used here.
#include "stb_image.h"

namespace SkinUI {

namespace {

struct TStbiFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// Premultiplies one straight RGBA pixel into a BGRA word; sets *translucent for alpha < 255.
DWORD PremultipliedWord(const BYTE* rgba, bool* translucent) {
    DWORD a = rgba[3];
    DWORD r = rgba[0], g = rgba[1], b = rgba[2];
    if (a != 255) {
        r = r * a / 255;
        g = g * a / 255;
        b = b * a / 255;
        *translucent = true;
    }
    return b | (g << 8) | (r << 16) | (a << 24);
}

bool ReadImageBytes(LPCWSTR name, LPCWSTR resourceType, std::vector<BYTE>& bytes) {
    if (resourceType != nullptr && *resourceType != L'\0') {
        // A resource picture is named by its number.
        if (!iswdigit(name[0])) return false;
        const BYTE* data = nullptr;
        DWORD size = 0;
        const UINT id = static_cast<UINT>(wcstoul(name, nullptr, 10));
        if (id > 0xFFFF || !FindModuleResource(resourceType, MAKEINTRESOURCEW(id), &data, &size))
            return false;
        try {
            bytes.assign(data, data + size);
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }
    if (ReadSkinFileBytes(name, bytes, kMaxPictureBytes)) return true;
    // Beyond the skin: a path as given (relative ones from the current folder), then the skin
    // folder once more. Never for a program whose skin is its package alone.
    if (!SkinReadsFolder()) return false;
    return ReadDiskFile(name, bytes, 1, kMaxPictureBytes) ||
           ReadDiskFile(SkinState().resourcePath + name, bytes, 1, 0x400000);
}

}  // namespace

bool IsImageSizeAllowed(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

bxutil::CBitmapHandle CreateTopDownDib(int width, int height, DWORD** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0) return bxutil::CBitmapHandle();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    bxutil::CBitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bitmap) *bits = static_cast<DWORD*>(pixels);
    return bitmap;
}

std::unique_ptr<TImageData> CreateSkinImage(const BYTE* rgba, int width, int height, DWORD mask) {
    if (rgba == nullptr || !IsImageSizeAllowed(width, height)) return nullptr;
    DWORD* bits = nullptr;
    bxutil::CBitmapHandle bitmap = CreateTopDownDib(width, height, &bits);
    if (!bitmap) return nullptr;
    auto image = std::make_unique<TImageData>();
    image->hBitmap = std::move(bitmap);
    image->pBits = reinterpret_cast<BYTE*>(bits);
    image->nWidth = width;
    image->nHeight = height;
    image->dwMask = mask;
    DWORD* out = bits;
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    bool translucent = false;
    for (size_t i = 0; i < count; ++i) {
        DWORD word = PremultipliedWord(rgba + i * 4, &translucent);
        if (mask != 0 && word == mask) {
            word = 0;
            translucent = true;
        }
        out[i] = word;
    }
    image->bAlpha = translucent;
    return image;
}

std::unique_ptr<TImageData> DecodeSkinImage(const BYTE* bytes, size_t size, DWORD mask,
                                            long long maxPixels) {
    if (bytes == nullptr || size == 0 || size > 0x7FFFFFFF) return nullptr;
    int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    // The header is checked first so that a huge picture is refused before it is decoded.
    if (!IsPictureSafeToDecode(bytes, size, maxPixels) ||
        !stbi_info_from_memory(bytes, length, &width, &height, &channels) ||
        !IsImageSizeAllowed(width, height) || static_cast<long long>(width) * height > maxPixels)
        return nullptr;
    std::unique_ptr<stbi_uc, TStbiFree> pixels(
        stbi_load_from_memory(bytes, length, &width, &height, &channels, 4));
    if (pixels == nullptr) return nullptr;
    return CreateSkinImage(pixels.get(), width, height, mask);
}

std::unique_ptr<TImageData> LoadImageFile(LPCWSTR path, DWORD mask, long long maxPixels) {
    std::vector<BYTE> bytes;
    if (path == nullptr || *path == L'\0' || !ReadDiskFile(path, bytes, 1, kMaxPictureBytes))
        return nullptr;
    return DecodeSkinImage(bytes.data(), bytes.size(), mask, maxPixels);
}

std::unique_ptr<TImageData> LoadSkinImage(LPCWSTR name, LPCWSTR resourceType, DWORD mask) {
    if (name == nullptr || *name == L'\0') return nullptr;
    std::vector<BYTE> bytes;
    if (!ReadImageBytes(name, resourceType, bytes)) return nullptr;
    std::unique_ptr<TImageData> image = DecodeSkinImage(bytes.data(), bytes.size(), mask);
    if (image != nullptr && resourceType != nullptr) image->strResType = resourceType;
    return image;
}

}  // namespace SkinUI
