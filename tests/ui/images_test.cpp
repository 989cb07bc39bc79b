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

std::unique_ptr<TImageData> Decode(const wchar_t* fixture, DWORD mask = 0) {
    std::vector<BYTE> bytes = ReadAll(Fixture(fixture));
    return DecodeSkinImage(bytes.data(), bytes.size(), mask);
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

TEST(SkinImage, OtherFormatsDecodeToo) {
    std::unique_ptr<TImageData> bmp = Decode(L"pic.bmp");
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->PixelAt(0, 1), 0xFFFF0000u) << "bottom-up rows come out top-down";
    EXPECT_EQ(bmp->PixelAt(1, 0), 0x80808080u);
    for (const wchar_t* name : {L"pic.tga", L"pic.gif", L"pic.ppm"})
        EXPECT_NE(Decode(name), nullptr) << std::wstring(name).c_str();
    std::unique_ptr<TImageData> jpeg = Decode(L"baseline.jpg");
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->PixelAt(0, 0), 0xFF808080u);
}

TEST(SkinImage, InputsThatWouldBreakTheDecoderAreRefused) {
    // A Huffman table of 512 codes, a scan using undefined tables, a 16-bit PNM and a PNM size of
    // eleven digits: each drives the decoder library into a memory fault or overflow.
    for (const wchar_t* name : {L"dht_overflow.jpg", L"undefined_table.jpg", L"pnm16.ppm", L"pnm_overflow.pgm"}) {
        std::vector<BYTE> bytes = ReadAll(Fixture(name));
        ASSERT_FALSE(bytes.empty()) << std::wstring(name).c_str();
        EXPECT_FALSE(IsPictureSafeToDecode(bytes.data(), bytes.size())) << std::wstring(name).c_str();
        EXPECT_EQ(DecodeSkinImage(bytes.data(), bytes.size()), nullptr) << std::wstring(name).c_str();
    }
    for (const wchar_t* name : {L"baseline.jpg", L"pic.jpg", L"pic.ppm", L"alpha.png"}) {
        std::vector<BYTE> bytes = ReadAll(Fixture(name));
        EXPECT_TRUE(IsPictureSafeToDecode(bytes.data(), bytes.size())) << std::wstring(name).c_str();
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
