// Pictures for denser screens: the variant a skin provides, and resampling to the window's scale.

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "ui/core/base/UIDpi.h"
#include "ui/core/skin/SkinImage.h"

namespace SkinUI {

namespace {

// The source pixels (first, count) and their weights that make one target pixel along an axis.
struct TTaps {
    int first = 0;
    std::vector<float> weights;
};

// Triangle filter: its radius is one source pixel when enlarging (bilinear) and one target pixel
// when reducing, so that every source pixel contributes. Taps beyond an edge repeat the edge.
std::vector<TTaps> FilterTaps(int sourceSize, int targetSize) {
    const double scale = static_cast<double>(targetSize) / sourceSize;
    const double radius = scale < 1.0 ? 1.0 / scale : 1.0;
    std::vector<TTaps> taps(static_cast<size_t>(targetSize));
    for (int t = 0; t < targetSize; ++t) {
        const double centre = (t + 0.5) / scale - 0.5;
        const int first = static_cast<int>(std::floor(centre - radius)) + 1;
        const int last = static_cast<int>(std::ceil(centre + radius)) - 1;
        TTaps& tap = taps[static_cast<size_t>(t)];
        tap.first = std::clamp(first, 0, sourceSize - 1);
        const int end = std::clamp(last, 0, sourceSize - 1);
        tap.weights.assign(static_cast<size_t>(end - tap.first + 1), 0.0f);
        double total = 0.0;
        for (int s = first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::fabs(s - centre) / radius);
            const int index = std::clamp(s, 0, sourceSize - 1) - tap.first;
            tap.weights[static_cast<size_t>(index)] += static_cast<float>(w);
            total += w;
        }
        if (total <= 0.0) {
            tap.weights.assign(1, 1.0f);
            tap.first = std::clamp(static_cast<int>(std::lround(centre)), 0, sourceSize - 1);
            continue;
        }
        for (float& w : tap.weights) w = static_cast<float>(w / total);
    }
    return taps;
}

BYTE ToChannel(float value) {
    return static_cast<BYTE>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

std::unique_ptr<TImageData> ResampleSkinImage(const TImageData& image, int width, int height) {
    if (image.pBits == nullptr || image.nWidth <= 0 || image.nHeight <= 0 ||
        !IsImageSizeAllowed(width, height))
        return nullptr;
    DWORD* bits = nullptr;
    bxutil::CBitmapHandle bitmap = CreateTopDownDib(width, height, &bits);
    if (!bitmap) return nullptr;
    const std::vector<TTaps> columns = FilterTaps(image.nWidth, width);
    const std::vector<TTaps> rows = FilterTaps(image.nHeight, height);
    // One target row at a time: the source rows it covers summed into one row of floats, then
    // that row reduced or enlarged across. Memory stays at one source row.
    std::vector<float> line(static_cast<size_t>(image.nWidth) * 4);
    const size_t stride = static_cast<size_t>(image.nWidth) * 4;
    for (int y = 0; y < height; ++y) {
        std::fill(line.begin(), line.end(), 0.0f);
        const TTaps& row = rows[static_cast<size_t>(y)];
        for (size_t k = 0; k < row.weights.size(); ++k) {
            const BYTE* source = image.pBits + (row.first + k) * stride;
            const float w = row.weights[k];
            for (size_t i = 0; i < stride; ++i) line[i] += source[i] * w;
        }
        BYTE* target = reinterpret_cast<BYTE*>(bits + static_cast<size_t>(y) * width);
        for (int x = 0; x < width; ++x) {
            const TTaps& column = columns[static_cast<size_t>(x)];
            float sum[4] = {};
            for (size_t k = 0; k < column.weights.size(); ++k) {
                const float* pixel = &line[(column.first + k) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += pixel[c] * column.weights[k];
            }
            // Premultiplied: no colour channel may exceed the alpha it was multiplied by.
            const BYTE alpha = ToChannel(sum[3]);
            for (int c = 0; c < 3; ++c) target[x * 4 + c] = std::min(ToChannel(sum[c]), alpha);
            target[x * 4 + 3] = alpha;
        }
    }
    auto scaled = std::make_unique<TImageData>();
    scaled->hBitmap = std::move(bitmap);
    scaled->pBits = reinterpret_cast<BYTE*>(bits);
    scaled->nWidth = width;
    scaled->nHeight = height;
    scaled->bAlpha = image.bAlpha;
    scaled->strResType = image.strResType;
    scaled->dwMask = image.dwMask;
    scaled->nDpi = image.nDpi;
    scaled->strSourceFile = image.strSourceFile;
    return scaled;
}

std::unique_ptr<TImageData> ScaledSkinImageCopy(const TImageData& image, int dpi) {
    dpi = ClampDpi(dpi);
    const int drawnFor = ClampDpi(image.nDpi);
    // Sizes in skin units first, so that a picture and the skin's source rectangles over it
    // round alike (both are skin units scaled by ScaleByDpi).
    const auto toTarget = [&](int pixels) {
        const long long units = (static_cast<long long>(pixels) * kBaseDpi + drawnFor / 2) / drawnFor;
        return std::max(1, ScaleByDpi(static_cast<int>(units), dpi));
    };
    std::unique_ptr<TImageData> scaled =
        ResampleSkinImage(image, toTarget(image.nWidth), toTarget(image.nHeight));
    if (scaled != nullptr) scaled->nDpi = dpi;
    return scaled;
}

std::unique_ptr<TImageData> ScaleSkinImageToDpi(std::unique_ptr<TImageData> image, int dpi) {
    if (image == nullptr || image->nDpi == ClampDpi(dpi)) return image;
    std::unique_ptr<TImageData> scaled = ScaledSkinImageCopy(*image, dpi);
    return scaled != nullptr ? std::move(scaled) : std::move(image);
}

std::unique_ptr<TImageData> LoadSkinImageForDpi(LPCWSTR name, LPCWSTR resourceType, DWORD mask,
                                                int dpi) {
    const bool fromSkin = resourceType == nullptr || *resourceType == L'\0';
    std::unique_ptr<TImageData> image;
    if (fromSkin && name != nullptr) {
        // The variant that is read last is the one picked (see PickImageVariant).
        std::unique_ptr<TImageData> variant;
        const TImageVariant pick = PickImageVariant(name, dpi, [&](LPCWSTR candidate) {
            std::unique_ptr<TImageData> decoded = LoadSkinImage(candidate, nullptr, mask);
            if (decoded == nullptr) return false;
            variant = std::move(decoded);
            return true;
        });
        if (pick.dpi != kBaseDpi && variant != nullptr) {
            image = std::move(variant);
            image->nDpi = pick.dpi;
        }
    }
    if (image == nullptr) image = LoadSkinImage(name, resourceType, mask);
    return ScaleSkinImageToDpi(std::move(image), dpi);
}

}  // namespace SkinUI
