// Picture decoding: premultiplied BGRA, the mask colour, the alpha flag, bad and huge pictures,
// and where pictures are found.

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/ui/skin/SkinTestSupport.h"
#include "ui/core/skin/SkinImage.h"
#include "ui/core/skin/SkinImageCheck.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/WindowResources.h"

using namespace SkinUI;
using ui_test::CSkinScope;
using ui_test::Fixture;
using ui_test::ReadAll;

namespace {

using TBytes = std::vector<BYTE>;

// Decodes bytes placed against a no-access page (a read past their end stops the test).
std::unique_ptr<TImageData> DecodeGuarded(const TBytes& input, DWORD mask = 0) {
    const testguard::CGuardedBuffer bytes(input);
    return DecodeSkinImage(bytes.Data(), bytes.Size(), mask);
}

std::unique_ptr<TImageData> Decode(const wchar_t* fixture, DWORD mask = 0) {
    return DecodeGuarded(ReadAll(Fixture(fixture)), mask);
}

// The check's verdict on bytes placed against a no-access page.
bool SafeToDecode(const TBytes& input) {
    const testguard::CGuardedBuffer bytes(input);
    return IsPictureSafeToDecode(bytes.Data(), bytes.Size());
}

template <class Call>
double SecondsFor(Call&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TBytes Joined(std::initializer_list<TBytes> parts) {
    TBytes out;
    for (const TBytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TBytes BigEndian(DWORD value, size_t bytes) {
    TBytes out;
    while (bytes-- > 0) out.push_back(static_cast<BYTE>(value >> (8 * bytes)));
    return out;
}

// A copy of bytes with the byte at index replaced.
TBytes With(TBytes bytes, size_t index, BYTE value) {
    bytes.at(index) = value;
    return bytes;
}

// --- PNG files made here: a header, the data as a zlib stream over IDAT chunks, IEND.

TBytes PngChunk(const char* type, const TBytes& data) {
    const TBytes body = Joined({TBytes(type, type + 4), data});
    const DWORD crc = static_cast<DWORD>(crc32(0, body.data(), static_cast<uInt>(body.size())));
    return Joined({BigEndian(static_cast<DWORD>(data.size()), 4), body, BigEndian(crc, 4)});
}

TBytes PngFile(std::initializer_list<TBytes> chunks) {
    const TBytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return Joined({signature, Joined(chunks), PngChunk("IEND", {})});
}

struct TPngShape {
    DWORD width, height;
    BYTE depth, colour;
    bool interlaced = false;
};

TBytes HeaderFields(const TPngShape& shape) {
    return Joined({BigEndian(shape.width, 4), BigEndian(shape.height, 4),
                   {shape.depth, shape.colour, 0, 0, static_cast<BYTE>(shape.interlaced)}});
}

// The IHDR chunk, and a one-colour palette for a palette picture.
TBytes HeaderChunks(const TPngShape& shape) {
    const TBytes header = PngChunk("IHDR", HeaderFields(shape));
    return shape.colour == 3 ? Joined({header, PngChunk("PLTE", {0, 0, 0})}) : header;
}

// The stream as IDAT chunks, cut at the given offsets (repeated offsets make empty chunks).
TBytes DataChunks(const TBytes& stream, std::initializer_list<size_t> cuts = {}) {
    TBytes chunks;
    size_t from = 0;
    for (size_t to : cuts) {
        const TBytes piece(stream.begin() + from, stream.begin() + to);
        chunks = Joined({chunks, PngChunk("IDAT", piece)});
        from = to;
    }
    return Joined({chunks, PngChunk("IDAT", TBytes(stream.begin() + from, stream.end()))});
}

TBytes ZlibStream(const TBytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    TBytes stream(size);
    compress2(stream.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION);
    stream.resize(size);
    return stream;
}

// A zlib stream of mebibytes MiB of zeros, made without ever holding them: one mebibyte deflated
// and flushed to a byte boundary, then the blocks of the next one repeated (their matches copy
// zeros only, so they mean the same wherever they follow zeros). The Adler-32 checksum at the
// end is that of the two mebibytes deflated; neither the decoder nor the check reads it.
TBytes ZerosStream(size_t mebibytes) {
    const TBytes zeros(1 << 20);
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    auto deflated = [&stream](const TBytes& input, int flush) {
        TBytes out(deflateBound(&stream, static_cast<uLong>(input.size())) + 64);
        stream.next_in = const_cast<Bytef*>(input.data());
        stream.avail_in = static_cast<uInt>(input.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, flush);
        out.resize(out.size() - stream.avail_out);
        return out;
    };
    TBytes data = deflated(zeros, Z_SYNC_FLUSH);
    const TBytes next = deflated(zeros, Z_SYNC_FLUSH);
    for (size_t i = 1; i < mebibytes; ++i) data.insert(data.end(), next.begin(), next.end());
    data = Joined({data, deflated({}, Z_FINISH)});
    deflateEnd(&stream);
    return data;
}

// The two zlib header bytes for a method byte and flag bits, with the check value that holds.
TBytes ZlibHeader(BYTE method, BYTE flagBits) {
    const unsigned flags = flagBits & 0xE0u;
    return {method, static_cast<BYTE>(flags + (31 - (method * 256u + flags) % 31) % 31)};
}

unsigned Channels(BYTE colour) {
    switch (colour) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;  // grey, palette
    }
}

// The bytes of the picture's rows (a filter byte and the pixels' bits in whole bytes each),
// pass by pass when it is interlaced, counted pixel by pixel. All zero, they make a valid
// picture of any shape.
size_t RowBytes(const TPngShape& shape) {
    struct TPass {
        DWORD x, y, stepX, stepY;
    };
    const std::vector<TPass> adam7 = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                      {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const std::vector<TPass> passes = shape.interlaced ? adam7 : std::vector<TPass>{{0, 0, 1, 1}};
    const size_t bitsPerPixel = shape.depth * Channels(shape.colour);
    size_t total = 0;
    for (const TPass& pass : passes) {
        size_t rows = 0, columns = 0;
        for (DWORD y = pass.y; y < shape.height; y += pass.stepY) ++rows;
        for (DWORD x = pass.x; x < shape.width; x += pass.stepX) ++columns;
        if (columns != 0) total += rows * (1 + (columns * bitsPerPixel + 7) / 8);
    }
    return total;
}

// A picture of the shape whose rows are all zero, with extra bytes more (or fewer) of them.
TBytes ZeroPng(const TPngShape& shape, long extra = 0) {
    const TBytes rows(static_cast<size_t>(static_cast<long>(RowBytes(shape)) + extra));
    return PngFile({HeaderChunks(shape), DataChunks(ZlibStream(rows))});
}

// --- Progressive JPEG files made here: grey, with one-code Huffman tables.

TBytes JpegSegment(BYTE marker, const TBytes& payload) {
    return Joined({{0xFF, marker}, BigEndian(static_cast<DWORD>(payload.size() + 2), 2), payload});
}

// count zero bits, the last byte filled up with ones.
TBytes ZeroBits(size_t count) {
    TBytes bytes(count / 8);
    if (count % 8 != 0) bytes.push_back(static_cast<BYTE>(0xFF >> (count % 8)));
    return bytes;
}

// A side x side grey progressive JPEG of 1 + acScans scans: one of the DC coefficients (every
// difference 0, so the picture is mid-grey), then acScans alike scans of the AC coefficients,
// each ending all blocks in runs of 16384 (one 1-bit code and 14 zero bits a run).
TBytes ProgressiveJpeg(DWORD side, size_t acScans) {
    const size_t blocks = size_t{(side + 7) / 8} * ((side + 7) / 8);
    const size_t kBlocksPerRun = 16384;
    const TBytes size = BigEndian(side, 2);
    TBytes counts(16);
    counts[0] = 1;  // one code of 1 bit: DC difference 0; AC run of 2^14 + 14 bits empty blocks
    const TBytes tables = Joined({{0x00}, counts, {0x00}, {0x10}, counts, {0xE0}});
    const TBytes acScan = Joined({JpegSegment(0xDA, {1, 1, 0x00, 1, 63, 0}),
                                  ZeroBits(15 * ((blocks + kBlocksPerRun - 1) / kBlocksPerRun))});
    TBytes jpeg = Joined({{0xFF, 0xD8}, JpegSegment(0xDB, Joined({{0}, TBytes(64, 1)})),
                          JpegSegment(0xC2, Joined({{8}, size, size, {1, 1, 0x11, 0}})),
                          JpegSegment(0xC4, tables), JpegSegment(0xDA, {1, 1, 0x00, 0, 0, 0}),
                          ZeroBits(blocks)});
    for (size_t i = 0; i < acScans; ++i) jpeg.insert(jpeg.end(), acScan.begin(), acScan.end());
    return Joined({jpeg, {0xFF, 0xD9}});
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
    EXPECT_TRUE(IsTopDown32BitDib(image->hBitmap.Get(), 4, 1));
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

TEST(SkinImage, JpegOfMoreScansThanPicturesUseIsRefusedUnread) {
    // Every scan makes the decoder visit every block: 40 000 empty scans over 4096 x 4096 pixels
    // would keep it busy for tens of seconds.
    const TBytes bomb = ProgressiveJpeg(4096, 40000);
    EXPECT_FALSE(SafeToDecode(bomb));
    std::unique_ptr<TImageData> image;
    EXPECT_LT(SecondsFor([&] { image = DecodeGuarded(bomb); }), 2.0);
    EXPECT_EQ(image, nullptr);

    struct TCase {
        DWORD side;
        size_t acScans;
        bool safe;
    };
    for (const TCase& c : {TCase{4096, 99, true}, TCase{16, 99, true}, TCase{16, 100, false}})
        EXPECT_EQ(SafeToDecode(ProgressiveJpeg(c.side, c.acScans)), c.safe)
            << c.side << " pixels, " << 1 + c.acScans << " scans";
    std::unique_ptr<TImageData> grey = DecodeGuarded(ProgressiveJpeg(16, 99));
    ASSERT_NE(grey, nullptr) << "100 scans are still a picture";
    EXPECT_EQ(grey->PixelAt(15, 15), 0xFF808080u);
}

TEST(SkinImage, PngDataInflatingPastItsHeaderIsRefusedUnread) {
    // 1 GiB of zeros in about a megabyte behind a 1 x 1 header: the decoder would inflate it into
    // a buffer it keeps doubling, up to 1.25 GiB (where a 32-bit process runs out of room first).
    const TBytes bomb = PngFile({HeaderChunks({1, 1, 8, 6, false}), DataChunks(ZerosStream(1024))});
    EXPECT_FALSE(SafeToDecode(bomb));
    const ui_test::TMemoryPeaks before = ui_test::MemoryPeaks();
    std::unique_ptr<TImageData> image;
    EXPECT_LT(SecondsFor([&] { image = DecodeGuarded(bomb); }), 2.0);
    EXPECT_EQ(image, nullptr);
    EXPECT_FALSE(ui_test::MemoryPeaks().GrewBeyond(before, 64u << 20));
}

TEST(SkinImage, PngDataMustFitWhatItsHeaderImplies) {
    // The decoder needs all the rows (one byte fewer does not decode) and the check allows no
    // byte more: the size both count is the same for every layout of pixels and passes.
    const TPngShape shapes[] = {
        {1, 1, 8, 6, false},  {9, 2, 1, 0, false}, {5, 3, 4, 3, false}, {3, 2, 16, 2, false},
        {7, 5, 8, 6, true},   {3, 3, 16, 4, true}, {10, 1, 2, 0, true}, {1, 1, 8, 2, true},
        {17, 9, 1, 3, true}};
    for (const TPngShape& shape : shapes) {
        const std::string what = std::to_string(shape.width) + " x " +
                                  std::to_string(shape.height) + ", colour " +
                                  std::to_string(shape.colour) + ", depth " +
                                  std::to_string(shape.depth) +
                                  (shape.interlaced ? ", interlaced" : "");
        std::unique_ptr<TImageData> image = DecodeGuarded(ZeroPng(shape));
        ASSERT_NE(image, nullptr) << what;
        EXPECT_EQ(image->nWidth, static_cast<int>(shape.width)) << what;
        EXPECT_EQ(image->nHeight, static_cast<int>(shape.height)) << what;
        EXPECT_EQ(DecodeGuarded(ZeroPng(shape, -1)), nullptr) << what;
        EXPECT_FALSE(SafeToDecode(ZeroPng(shape, 1))) << what;
    }
}

TEST(SkinImage, PngDataSplitOverChunksStillDecodes) {
    // Cut inside the zlib header, with empty chunks, and one byte a chunk.
    const TPngShape shape = {7, 5, 8, 6, true};
    const TBytes stream = ZlibStream(TBytes(RowBytes(shape)));
    std::vector<TBytes> files = {
        PngFile({HeaderChunks(shape), DataChunks(stream, {0, 1, 1, 2, 5})}),
        PngFile({HeaderChunks(shape), DataChunks(stream, {1}), PngChunk("tEXt", {'a', 0, 'b'}),
                 DataChunks({})})};
    TBytes byteChunks;
    for (BYTE byte : stream) byteChunks = Joined({byteChunks, PngChunk("IDAT", {byte})});
    files.push_back(PngFile({HeaderChunks(shape), byteChunks}));
    for (size_t i = 0; i < files.size(); ++i) {
        std::unique_ptr<TImageData> image = DecodeGuarded(files[i]);
        ASSERT_NE(image, nullptr) << "split " << i;
        EXPECT_EQ(image->PixelAt(6, 4), 0u) << "split " << i;
    }
}

TEST(SkinImage, PngWhoseDataCannotBeSizedOrInflatedIsRefused) {
    const TPngShape pixel = {1, 1, 8, 6, false};
    const TBytes header = HeaderChunks(pixel);
    const TBytes stream = ZlibStream(TBytes(RowBytes(pixel)));
    const TBytes deflated(stream.begin() + 2, stream.end());
    auto withHeader = [&](std::initializer_list<TBytes> chunks) {
        return PngFile({Joined(chunks), DataChunks(stream)});
    };
    auto withStream = [&](const TBytes& data) { return PngFile({header, DataChunks(data)}); };
    auto shaped = [&](BYTE depth, BYTE colour) {
        return withHeader({PngChunk("IHDR", HeaderFields({1, 1, depth, colour, false}))});
    };
    const std::pair<const char*, TBytes> refused[] = {
        {"no header", withHeader({})},
        {"Apple's chunk first", withHeader({PngChunk("CgBI", {0x50, 0, 0x20, 2}), header})},
        {"header of 14 bytes", withHeader({PngChunk("IHDR", Joined({HeaderFields(pixel), {0}}))})},
        {"interlace method 2", withHeader({PngChunk("IHDR", With(HeaderFields(pixel), 12, 2))})},
        {"filter method 1", withHeader({PngChunk("IHDR", With(HeaderFields(pixel), 11, 1))})},
        {"16384 x 16384", withHeader({PngChunk("IHDR", HeaderFields({16384, 16384, 1, 0}))})},
        {"RGB of 4 bits", shaped(4, 2)},
        {"RGBA of 1 bit", shaped(1, 6)},
        {"grey and alpha of 2 bits", shaped(2, 4)},
        {"palette of 16 bits", shaped(16, 3)},
        {"grey of 3 bits", shaped(3, 0)},
        {"colour type 1", shaped(8, 1)},
        {"colour type 7", shaped(8, 7)},
        {"zlib check value wrong", withStream(With(stream, 1, stream[1] ^ 1))},
        {"preset dictionary", withStream(Joined({ZlibHeader(0x78, 0x20), deflated}))},
        {"not deflate", withStream(Joined({ZlibHeader(0x77, 0), deflated}))},
        {"reserved block type", withStream(With(stream, 2, 0x07))},
        {"stream cut short", withStream(TBytes(stream.begin(), stream.end() - 5))},
        {"no data", PngFile({header})},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(SafeToDecode(c.second)) << c.first;
        EXPECT_EQ(DecodeGuarded(c.second), nullptr) << c.first;
    }
    // What the decoder does not look at refuses nothing: the checksum, the window size.
    const std::pair<const char*, TBytes> decoded[] = {
        {"checksum wrong", withStream(With(stream, stream.size() - 1, stream.back() ^ 0xFF))},
        {"no checksum", withStream(TBytes(stream.begin(), stream.end() - 4))},
        {"512-byte window", withStream(Joined({ZlibHeader(0x18, 0), deflated}))},
    };
    for (const auto& c : decoded) EXPECT_NE(DecodeGuarded(c.second), nullptr) << c.first;
}

// A picture shown in a box may have a few times the box's pixels at the window's density: never
// fewer than a small picture has, never more than the loader takes.
TEST(SkinImage, TheBoundOfAPictureFollowsItsBoxAndTheDensity) {
    struct TCase {
        int width, height, dpi;
        long long bound;
    };
    const TCase cases[] = {
        {980, 600, 96, 4LL * 980 * 600},
        {980, 600, 120, 4LL * 1225 * 750},
        {980, 600, 144, 4LL * 1470 * 900},
        {980, 600, 192, 4LL * 1960 * 1200},
        {306, 149, 144, 4LL * 459 * 224},
        {36, 36, 96, kMinBoxPixelBound},      // 72 x 72 pixels: less than any small picture
        {36, 36, 480, 4LL * 180 * 180},
        {36, 36, 100000, 4LL * 180 * 180},    // a density past the largest counts as the largest
        {5000, 5000, 96, kMaxImagePixels},
        {0, 600, 144, kMinBoxPixelBound},
        {-980, 600, 96, kMinBoxPixelBound},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(PixelBoundForBox(c.width, c.height, c.dpi), c.bound)
            << c.width << " x " << c.height << " at " << c.dpi;
}

// A picture of more pixels than its bound is refused from its header, whatever follows; one at
// the bound decodes. The size is read from a PNG's header chunk or a JPEG's frame header alone.
TEST(SkinImage, PicturesBeyondTheirBoundAreRefusedFromTheHeader) {
    const long long bound = PixelBoundForBox(980, 600, 96);  // 2 352 000 pixels: 1960 x 1200
    struct TCase {
        const char* what;
        TBytes bytes;
        long long width, height;
        bool allowed;
    };
    const TCase cases[] = {
        {"the launcher picture's size", ZeroPng({1366, 600, 8, 2}), 1366, 600, true},
        {"PNG at the bound", ZeroPng({1960, 1200, 8, 0}), 1960, 1200, true},
        {"PNG a row past it", ZeroPng({1960, 1201, 8, 0}), 1960, 1201, false},
        {"PNG of 3200 x 3200", ZeroPng({3200, 3200, 8, 0}), 3200, 3200, false},
        {"interlaced PNG of 3200 x 3200", ZeroPng({3200, 3200, 1, 0, true}), 3200, 3200, false},
        {"PNG of 3200 x 3200 without data", PngFile({HeaderChunks({3200, 3200, 8, 6})}), 3200, 3200, false},
        {"JPEG at the bound", ProgressiveJpeg(1533, 0), 1533, 1533, true},
        {"JPEG past it", ProgressiveJpeg(1534, 0), 1534, 1534, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const testguard::CGuardedBuffer bytes(c.bytes);
        long long width = 0, height = 0;
        EXPECT_TRUE(ReadPictureSize(bytes.Data(), bytes.Size(), &width, &height));
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(IsPictureSafeToDecode(bytes.Data(), bytes.Size(), bound), c.allowed);
        EXPECT_EQ(DecodeSkinImage(bytes.Data(), bytes.Size(), 0, bound) != nullptr, c.allowed);
    }
    EXPECT_TRUE(SafeToDecode(cases[3].bytes)) << "a picture the loader takes: only its box refuses it";
    // No size without the header that states it.
    const TBytes scanFirst = Joined({{0xFF, 0xD8}, JpegSegment(0xDA, {1, 1, 0x00, 0, 0, 0}), {0xFF, 0xD9}});
    const TBytes appleFirst = PngFile({PngChunk("CgBI", {0x50, 0, 0x20, 2}), HeaderChunks({1, 1, 8, 6})});
    for (const TBytes& input : {scanFirst, appleFirst, ReadAll(Fixture(L"pic.gif")), TBytes{}}) {
        const testguard::CGuardedBuffer bytes(input);
        long long width = 1, height = 1;
        EXPECT_FALSE(ReadPictureSize(bytes.Data(), bytes.Size(), &width, &height));
        EXPECT_EQ(width, 0);
        EXPECT_FALSE(IsPictureSafeToDecode(bytes.Data(), bytes.Size()));
    }
}

TEST(SkinImage, EveryPictureOfTheSkinAndTheGameDecodes) {
    const std::wstring source = testfiles::EnvText(L"VEXO_SOURCE_DIR");
    ASSERT_FALSE(source.empty()) << "VEXO_SOURCE_DIR names the source tree";
    for (const wchar_t* folder : {L"/skin", L"/tools/platform/assets"}) {
        size_t pictures = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(testfiles::WinePath(source + folder))) {
            std::wstring extension = entry.path().extension().wstring();
            for (wchar_t& ch : extension) ch = static_cast<wchar_t>(towlower(ch));
            if (extension != L".png" && extension != L".jpg") continue;
            ++pictures;
            const TBytes bytes = ReadAll(entry.path().wstring());
            EXPECT_TRUE(SafeToDecode(bytes)) << entry.path().string();
            EXPECT_NE(DecodeGuarded(bytes), nullptr) << entry.path().string();
        }
        EXPECT_NE(pictures, 0u) << std::wstring(folder).c_str();
    }
}

// Inputs the fuzz found, kept in tests/ui/skin/data: each decodes (to a picture or to nothing)
// without a fault. The JPEG passes the check and drives the decoder's bit reader past its buffer
// (a shift by 32), which the test build's undefined-behaviour trap stopped on.
TEST(SkinImage, InputsTheFuzzFoundDecodeWithoutFault) {
    const std::wstring source = testfiles::EnvText(L"VEXO_SOURCE_DIR");
    ASSERT_FALSE(source.empty()) << "VEXO_SOURCE_DIR names the source tree";
    for (const wchar_t* name : {L"jpeg-bits-past-buffer.jpg"}) {
        const TBytes bytes = ReadAll(testfiles::WinePath(source + L"/tests/ui/skin/data/" + name));
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(SafeToDecode(bytes)) << "the decoder, not the check, meets it";
        DecodeGuarded(bytes);
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
    CWindowResourcesUI::SetSkinArchive(L"py_large.zip", true);
    std::unique_ptr<TImageData> large = LoadSkinImage(L"large.png");
    ASSERT_NE(large, nullptr) << "a picture above the markup limit loads from the archive";
    EXPECT_EQ(large->nWidth, 1200);
    EXPECT_NE(LoadSkinImage(L"IMG\\A.PNG"), nullptr);
    EXPECT_NE(LoadSkinImage(L"opaque.png"), nullptr) << "only in the skin folder";
    EXPECT_EQ(LoadSkinImage(L"empty.png"), nullptr);
    EXPECT_EQ(LoadSkinImage(L"missing.png"), nullptr);
    EXPECT_EQ(LoadSkinImage(L""), nullptr);

    CWindowResourcesUI::SetSkinArchive(L"", true);
    CWindowResourcesUI::SetSkinPath(L"Z:\\no-such-folder");
    EXPECT_NE(LoadSkinImage(Fixture(L"alpha.png").c_str()), nullptr) << "a full path as given";
}

TEST(SkinImage, PicturesBeyondWhatThePixelLimitCanNeedAreNotRead) {
    // A real 140 MiB entry: more than any picture within 16M pixels needs, refused before it is
    // inflated; its small neighbour loads.
    CSkinScope scope;
    CWindowResourcesUI::SetSkinArchive(L"huge_entry.zip", true);
    EXPECT_GT(140u << 20, kMaxPictureBytes);
    std::vector<BYTE> bytes;
    EXPECT_FALSE(ReadSkinFileBytes(L"zeros.png", bytes, kMaxPictureBytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(LoadSkinImage(L"zeros.png"), nullptr);
    EXPECT_NE(LoadSkinImage(L"small.png"), nullptr);
}

TEST(SkinImage, PicturesFromResources) {
    CWindowResourcesUI::SetModuleInstance(::GetModuleHandleW(nullptr));
    std::unique_ptr<TImageData> image = LoadSkinImage(L"300", L"PNG", 0xFFFF00FF);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nWidth, 4);
    EXPECT_EQ(image->strResType, L"PNG");
    EXPECT_EQ(image->PixelAt(3, 0), 0u) << "masked";
    EXPECT_EQ(LoadSkinImage(L"301", L"PNG"), nullptr);
    EXPECT_EQ(LoadSkinImage(L"abc", L"PNG"), nullptr) << "a resource picture is named by number";
    EXPECT_EQ(LoadSkinImage(L"146", L"ZIPRES"), nullptr) << "a resource that is no picture";
}
