// Picture decoding: premultiplied BGRA, the mask colour, the alpha flag, bad and huge pictures,
// and where pictures are found.

#include <gtest/gtest.h>

#include <vector>

#include "UiTestSupport.h"
#include "ui/core/SkinImage.h"
#include "ui/core/SkinImageCheck.h"
#include "ui/core/SkinPackage.h"
#include "ui/core/WindowManager.h"

using namespace SkinUI;
using ui_test::CSkinScope;
using ui_test::Fixture;
using ui_test::ReadAll;

namespace {

// Decodes a fixture placed against a no-access page (a read past its end stops the test).
std::unique_ptr<TImageData> Decode(const wchar_t* fixture, DWORD mask = 0) {
    const testguard::CGuardedBuffer bytes(ReadAll(Fixture(fixture)));
    return DecodeSkinImage(bytes.Data(), bytes.Size(), mask);
}

bool IsTopDown32BitDib(HBITMAP bitmap, int width, int height) {
    DIBSECTION dib{};
    if (::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib)) return false;
    return dib.dsBm.bmBitsPixel == 32 && dib.dsBm.bmWidth == width && dib.dsBm.bmHeight == height;
}

}  // namespace

TEST(SkinImage, PixelsArePremultipliedBgra) {
    std::unique_ptr<TImageData> image = Decode(L"alpha.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nWidth, 4);
    EXPECT_EQ(image->nHeight, 1);
    EXPECT_TRUE(IsTopDown32BitDib(image->hBitmap, 4, 1));
    EXPECT_EQ(image->PixelAt(0, 0), 0xFFFF0000u);  // opaque red
    EXPECT_EQ(image->PixelAt(1, 0), 0x80800000u) << "alpha 128 red: B 0, G 0, R 128, A 128";
    EXPECT_EQ(image->PixelAt(2, 0), 0x00000000u);
    EXPECT_EQ(image->PixelAt(3, 0), 0xFFFF00FFu);
    EXPECT_TRUE(image->bAlpha);
    EXPECT_EQ(image->dwMask, 0u);
    EXPECT_TRUE(image->strResType.IsEmpty());

    std::unique_ptr<TImageData> opaque = Decode(L"opaque.png");
    ASSERT_NE(opaque, nullptr);
    EXPECT_EQ(opaque->PixelAt(3, 2), 0xFF0A141Eu);
    EXPECT_FALSE(opaque->bAlpha) << "every pixel opaque";
}

TEST(SkinImage, PngInEveryFormAndJpegDecode) {
    std::unique_ptr<TImageData> deep = Decode(L"deep.png");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->PixelAt(0, 0), 0xFFFF0000u) << "16 bits per channel";
    EXPECT_EQ(deep->PixelAt(0, 1), 0x80000080u);
    std::unique_ptr<TImageData> palette = Decode(L"palette.png");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->PixelAt(1, 0), 0x80008000u) << "palette with transparency";
    std::unique_ptr<TImageData> gray = Decode(L"gray_alpha.png");
    ASSERT_NE(gray, nullptr);
    EXPECT_EQ(gray->PixelAt(0, 0), 0xFFC8C8C8u);
    std::unique_ptr<TImageData> split = Decode(L"split_idat.png");
    ASSERT_NE(split, nullptr) << "data split over several chunks";
    EXPECT_EQ(split->PixelAt(3, 2), 0xFF0A141Eu);
    std::unique_ptr<TImageData> jpeg = Decode(L"baseline.jpg");
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->PixelAt(0, 0), 0xFF808080u);
}

TEST(SkinImage, OtherFormatsAreRefusedBeforeDecoding) {
    // Neither skins nor the game pictures use them; the Radiance picture with a cut-short
    // run-length scanline would never return from the decoder.
    for (const wchar_t* name : {L"pic.bmp", L"pic.tga", L"pic.gif", L"pic.ppm", L"truncated_rle.hdr"}) {
        const testguard::CGuardedBuffer bytes(ReadAll(Fixture(name)));
        ASSERT_NE(bytes.Size(), 0u) << std::wstring(name).c_str();
        EXPECT_FALSE(IsPictureSafeToDecode(bytes.Data(), bytes.Size())) << std::wstring(name).c_str();
        EXPECT_EQ(DecodeSkinImage(bytes.Data(), bytes.Size()), nullptr) << std::wstring(name).c_str();
    }
}

TEST(SkinImage, InputsThatWouldBreakTheDecoderAreRefused) {
    // A Huffman table of 512 codes and a scan using undefined tables drive the decoder into
    // memory faults; a data chunk declaring 2^30 bytes makes it reserve 2 GiB unread.
    for (const wchar_t* name : {L"dht_overflow.jpg", L"undefined_table.jpg", L"idat_claims_1g.png"}) {
        const testguard::CGuardedBuffer bytes(ReadAll(Fixture(name)));
        ASSERT_NE(bytes.Size(), 0u) << std::wstring(name).c_str();
        EXPECT_FALSE(IsPictureSafeToDecode(bytes.Data(), bytes.Size())) << std::wstring(name).c_str();
        const ui_test::TMemoryPeaks before = ui_test::MemoryPeaks();
        EXPECT_EQ(DecodeSkinImage(bytes.Data(), bytes.Size()), nullptr) << std::wstring(name).c_str();
        EXPECT_FALSE(ui_test::MemoryPeaks().GrewBeyond(before, 256u << 20)) << std::wstring(name).c_str();
    }
    for (const wchar_t* name : {L"baseline.jpg", L"pic.jpg", L"alpha.png", L"split_idat.png", L"large.png"}) {
        const testguard::CGuardedBuffer bytes(ReadAll(Fixture(name)));
        EXPECT_TRUE(IsPictureSafeToDecode(bytes.Data(), bytes.Size())) << std::wstring(name).c_str();
    }
}

TEST(SkinImage, MaskColourBecomesTransparent) {
    std::unique_ptr<TImageData> plain = Decode(L"mask.png");
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->bAlpha);
    std::unique_ptr<TImageData> masked = Decode(L"mask.png", 0xFFFF00FF);
    ASSERT_NE(masked, nullptr);
    EXPECT_EQ(masked->PixelAt(0, 0), 0u);
    EXPECT_EQ(masked->PixelAt(1, 0), 0xFF008000u);
    EXPECT_TRUE(masked->bAlpha) << "a masked pixel counts as alpha";
    EXPECT_EQ(masked->dwMask, 0xFFFF00FFu);
    std::unique_ptr<TImageData> otherMask = Decode(L"mask.png", 0x00FF00FF);
    ASSERT_NE(otherMask, nullptr);
    EXPECT_FALSE(otherMask->bAlpha) << "the mask compares the whole word, alpha included";
}

TEST(SkinImage, PremultiplicationRule) {
    // Each channel becomes channel * alpha / 255 with integer division.
    const BYTE rgba[] = {255, 200, 1, 1, 255, 254, 3, 254, 10, 20, 30, 0};
    std::unique_ptr<TImageData> image = CreateSkinImage(rgba, 3, 1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->PixelAt(0, 0), 0x01010000u);
    EXPECT_EQ(image->PixelAt(1, 0), (254u << 24) | (254u << 16) | (253u << 8) | 2u);
    EXPECT_EQ(image->PixelAt(2, 0), 0u);
    EXPECT_EQ(CreateSkinImage(rgba, 0, 1), nullptr);
    EXPECT_EQ(CreateSkinImage(nullptr, 1, 1), nullptr);
}

TEST(SkinImage, BadOrHugePicturesGiveNoImage) {
    for (const wchar_t* name : {L"corrupt.png", L"garbage.png", L"huge.png", L"empty.xml", L"skin.xml"})
        EXPECT_EQ(Decode(name), nullptr) << std::wstring(name).c_str();
    EXPECT_EQ(DecodeSkinImage(nullptr, 10), nullptr);
    std::vector<BYTE> rgba(4);
    EXPECT_EQ(CreateSkinImage(rgba.data(), kMaxImageSide + 1, 1), nullptr);
}

TEST(SkinImage, FoundInTheArchiveTheFolderOrAsAPath) {
    CSkinScope scope;
    CWindowManagerUI::SetSkinArchive(L"py_large.zip", true);
    std::unique_ptr<TImageData> large = LoadSkinImage(L"large.png");
    ASSERT_NE(large, nullptr) << "a picture above the markup limit loads from the archive";
    EXPECT_EQ(large->nWidth, 1200);
    EXPECT_NE(LoadSkinImage(L"IMG\\A.PNG"), nullptr);
    EXPECT_NE(LoadSkinImage(L"opaque.png"), nullptr) << "only in the skin folder";
    EXPECT_EQ(LoadSkinImage(L"empty.png"), nullptr);
    EXPECT_EQ(LoadSkinImage(L"missing.png"), nullptr);
    EXPECT_EQ(LoadSkinImage(L""), nullptr);

    CWindowManagerUI::SetSkinArchive(L"", true);
    CWindowManagerUI::SetSkinPath(L"Z:\\no-such-folder");
    EXPECT_NE(LoadSkinImage(Fixture(L"alpha.png").c_str()), nullptr) << "a full path as given";
}

TEST(SkinImage, PicturesBeyondWhatThePixelLimitCanNeedAreNotRead) {
    // A real 140 MiB entry: more than any picture within 16M pixels needs, refused before it is
    // inflated; its small neighbour loads.
    CSkinScope scope;
    CWindowManagerUI::SetSkinArchive(L"huge_entry.zip", true);
    EXPECT_GT(140u << 20, kMaxPictureBytes);
    std::vector<BYTE> bytes;
    EXPECT_FALSE(ReadSkinFileBytes(L"zeros.png", bytes, kMaxPictureBytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(LoadSkinImage(L"zeros.png"), nullptr);
    EXPECT_NE(LoadSkinImage(L"small.png"), nullptr);
}

TEST(SkinImage, PicturesFromResources) {
    CWindowManagerUI::SetModuleInstance(::GetModuleHandleW(nullptr));
    std::unique_ptr<TImageData> image = LoadSkinImage(L"300", L"PNG", 0xFFFF00FF);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nWidth, 4);
    EXPECT_EQ(image->strResType, L"PNG");
    EXPECT_EQ(image->PixelAt(3, 0), 0u) << "masked";
    EXPECT_EQ(LoadSkinImage(L"301", L"PNG"), nullptr);
    EXPECT_EQ(LoadSkinImage(L"abc", L"PNG"), nullptr) << "a resource picture is named by number";
    EXPECT_EQ(LoadSkinImage(L"146", L"ZIPRES"), nullptr) << "a resource that is no picture";
}
