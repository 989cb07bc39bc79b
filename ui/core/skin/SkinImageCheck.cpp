#include "ui/core/skin/SkinImageCheck.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ui/core/base/UIDpi.h"
#include "ui/core/skin/SkinImage.h"

namespace SkinUI {

namespace {

constexpr BYTE kMarkerStart = 0xFF;
constexpr BYTE kSoi = 0xD8;
constexpr BYTE kEoi = 0xD9;
constexpr BYTE kSos = 0xDA;
constexpr BYTE kDht = 0xC4;
constexpr BYTE kTem = 0x01;
constexpr BYTE kSofProgressive = 0xC2;
// Real pictures have one scan, or about ten when progressive. The decoder visits every block of
// the frame in every scan, so 16 MiB of repeated 35-byte scans over a 4096 x 4096 frame would
// keep it busy for minutes.
constexpr size_t kMaxJpegScans = 100;

bool IsRestartMarker(BYTE marker) { return marker >= 0xD0 && marker <= 0xD7; }
bool IsFrameMarker(BYTE marker) { return marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != 0xC8 && marker != 0xCC; }

// The bytes of a segment as the decoder reads them: zeros past the end of the data.
struct TSegment {
    const BYTE* data;
    size_t available;
    size_t operator[](size_t i) const { return i < available ? data[i] : 0; }
};

// What the walk has seen so far: the Huffman tables defined (class 0 DC, 1 AC; ids 0..3) and
// whether the frame is progressive.
struct TJpegState {
    bool defined[2][4] = {};
    bool progressive = false;
};

// A DHT segment's tables: each is a class/id byte, 16 code counts and as many symbols as the
// counts add up to, which may not exceed 256. The decoder reads tables while the declared length
// lasts, taking each table's bytes from the stream even where they run past the segment.
bool ReadHuffmanTables(const TSegment& segment, size_t declared, TJpegState& state) {
    size_t pos = 0;
    while (pos < declared) {
        size_t tableClass = segment[pos] >> 4, id = segment[pos] & 15;
        if (tableClass > 1 || id > 3) return true;  // the decoder stops at this table
        size_t codes = 0;
        for (size_t i = 1; i <= 16; ++i) codes += segment[pos + i];
        if (codes > 256) return false;
        state.defined[tableClass][id] = true;
        pos += 17 + codes;
    }
    return true;
}

// A scan may only use tables defined before it: the decoder would read undefined ones. A
// progressive DC scan uses the DC tables (its refinement none), an AC scan the AC tables, a
// sequential scan both.
bool ScanTablesDefined(const TSegment& segment, const TJpegState& state) {
    size_t components = segment[0];
    size_t spectralStart = segment[1 + 2 * components];
    size_t approximationHigh = segment[3 + 2 * components] >> 4;
    bool needDc = !state.progressive || (spectralStart == 0 && approximationHigh == 0);
    bool needAc = !state.progressive || spectralStart != 0;
    for (size_t i = 0; i < components; ++i) {
        size_t tables = segment[2 + 2 * i];
        size_t dc = tables >> 4, ac = tables & 15;
        if (needDc && (dc > 3 || !state.defined[0][dc])) return false;
        if (needAc && (ac > 3 || !state.defined[1][ac])) return false;
    }
    return true;
}

// Position of the next marker in entropy-coded data at or after pos: a 0xFF followed by a byte
// that is neither a stuffed 0x00 nor a restart marker (the decoder stops reading at the same
// places, and treats what follows as a marker).
size_t NextMarkerInScan(const BYTE* bytes, size_t size, size_t pos) {
    for (; pos + 1 < size; ++pos) {
        if (bytes[pos] != kMarkerStart) continue;
        BYTE next = bytes[pos + 1];
        if (next != 0x00 && !IsRestartMarker(next)) return pos;
    }
    return size;
}

// Walks every marker segment the decoder may read, including those between scans, checking the
// Huffman tables, their use and the number of scans.
bool JpegSafe(const BYTE* bytes, size_t size, size_t pos) {
    TJpegState state;
    size_t scans = 0;
    while (pos < size) {
        if (bytes[pos] != kMarkerStart) {
            pos = NextMarkerInScan(bytes, size, pos);
            continue;
        }
        while (pos < size && bytes[pos] == kMarkerStart) ++pos;  // fill bytes
        if (pos >= size) return true;
        BYTE marker = bytes[pos++];
        if (marker == kEoi) return true;
        if (marker == kSoi || marker == kTem || marker == 0x00 || IsRestartMarker(marker)) continue;
        if (size - pos < 2) return true;
        size_t length = static_cast<size_t>(bytes[pos] << 8 | bytes[pos + 1]);
        if (length < 2) return true;  // the decoder refuses it
        size_t payload = length - 2;
        TSegment segment{bytes + pos + 2, size - pos - 2};
        if (marker == kDht && !ReadHuffmanTables(segment, payload, state)) return false;
        if (marker == kSos && (++scans > kMaxJpegScans || !ScanTablesDefined(segment, state)))
            return false;
        if (IsFrameMarker(marker)) state.progressive = marker == kSofProgressive;
        pos += 2 + (segment.available < payload ? segment.available : payload);
        if (marker == kSos) pos = NextMarkerInScan(bytes, size, pos);
    }
    return true;
}

constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

DWORD ReadBigEndian32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) << 24 | static_cast<DWORD>(p[1]) << 16 |
           static_cast<DWORD>(p[2]) << 8 | p[3];
}

bool IsPng(const BYTE* bytes, size_t size) {
    return size >= sizeof(kPngSignature) && memcmp(bytes, kPngSignature, sizeof(kPngSignature)) == 0;
}

struct TPngChunk {
    const BYTE* type = nullptr;  // 4 bytes
    const BYTE* data = nullptr;
    size_t length = 0;
    bool Is(const char* name) const { return memcmp(type, name, 4) == 0; }
};

// The chunks in the order the decoder reads them: from the signature up to IEND, or to where too
// few bytes remain for a chunk header (the decoder fails there without reserving anything).
class CPngChunkWalk {
public:
    CPngChunkWalk(const BYTE* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    // The next chunk before IEND; false at the end of the walk.
    bool Next(TPngChunk& chunk) {
        if (m_size - m_pos < 8) return false;
        chunk.length = ReadBigEndian32(m_bytes + m_pos);
        chunk.type = m_bytes + m_pos + 4;
        m_pos += 8;
        if (chunk.length > m_size - m_pos) m_overran = true;
        if (m_overran || chunk.Is("IEND")) {
            m_pos = m_size;
            return false;
        }
        chunk.data = m_bytes + m_pos;
        m_pos += chunk.length;
        m_pos += std::min<size_t>(m_size - m_pos, 4);  // the chunk's CRC
        return true;
    }
    // Whether the walk ended at a chunk declaring more data than the file still holds.
    bool Overran() const { return m_overran; }

private:
    const BYTE* m_bytes;
    size_t m_size;
    size_t m_pos = sizeof(kPngSignature);
    bool m_overran = false;
};

// Every chunk up to IEND must declare no more data than the file still holds after its header.
bool PngChunksInsideFile(const BYTE* bytes, size_t size) {
    CPngChunkWalk walk(bytes, size);
    TPngChunk chunk;
    while (walk.Next(chunk)) {
    }
    return !walk.Overran();
}

// The layout of the picture's pixel rows, from its IHDR chunk.
struct TPngHeader {
    uint64_t width = 0;
    uint64_t height = 0;
    unsigned bitsPerPixel = 0;
    bool interlaced = false;
};

// The channels of each colour type and the bit depths it allows (bit d set for depth d); the
// numbers PNG leaves unused allow none.
struct TPngColourType {
    unsigned channels;
    DWORD depths;
};
constexpr DWORD kAnyDepth = 1 << 1 | 1 << 2 | 1 << 4 | 1 << 8 | 1 << 16;
constexpr DWORD kWholeBytes = 1 << 8 | 1 << 16;
constexpr DWORD kPaletteDepths = 1 << 1 | 1 << 2 | 1 << 4 | 1 << 8;
constexpr TPngColourType kColourTypes[] = {
    {1, kAnyDepth}, {0, 0}, {3, kWholeBytes}, {1, kPaletteDepths}, {2, kWholeBytes}, {0, 0},
    {4, kWholeBytes}};

// The IHDR chunk, which must come first and be 13 bytes long. (An Apple "CgBI" file, whose data
// is no zlib stream, puts its own chunk first.)
bool FindPngHeaderChunk(const BYTE* bytes, size_t size, TPngChunk& chunk) {
    CPngChunkWalk walk(bytes, size);
    return walk.Next(chunk) && chunk.Is("IHDR") && chunk.length == 13;
}

// IHDR with a colour type and bit depth that go together, compression and filter method 0,
// interlace method 0 or 1 and a size within the loader's limits.
bool ReadPngHeader(const BYTE* bytes, size_t size, TPngHeader& header) {
    TPngChunk chunk;
    if (!FindPngHeaderChunk(bytes, size, chunk)) return false;
    const BYTE* fields = chunk.data;
    const unsigned depth = fields[8], colour = fields[9];
    if (fields[10] != 0 || fields[11] != 0 || fields[12] > 1) return false;
    if (colour >= sizeof(kColourTypes) / sizeof(kColourTypes[0]) || depth > 16 ||
        (kColourTypes[colour].depths >> depth & 1) == 0)
        return false;
    header.width = ReadBigEndian32(fields);
    header.height = ReadBigEndian32(fields + 4);
    header.bitsPerPixel = depth * kColourTypes[colour].channels;
    header.interlaced = fields[12] == 1;
    return IsImageSizeAllowed(static_cast<long long>(header.width),
                              static_cast<long long>(header.height));
}

// Rows of width pixels, each a filter byte and the pixels' bits rounded up to whole bytes.
uint64_t FilteredRowsBytes(uint64_t width, uint64_t height, unsigned bitsPerPixel) {
    return height * (1 + (width * bitsPerPixel + 7) / 8);
}

// Pixels of a side of size that an interlace pass takes: every step-th from origin on.
uint64_t PassExtent(uint64_t size, unsigned origin, unsigned step) {
    return size > origin ? (size - origin + step - 1) / step : 0;
}

// The bytes the image data inflates to: the picture's rows, or those of each of the seven
// interlace passes that holds any pixel.
uint64_t PngDataBytes(const TPngHeader& header) {
    if (!header.interlaced)
        return FilteredRowsBytes(header.width, header.height, header.bitsPerPixel);
    struct TPass {
        unsigned x, y, stepX, stepY;
    };
    constexpr TPass kPasses[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    uint64_t total = 0;
    for (const TPass& pass : kPasses) {
        const uint64_t width = PassExtent(header.width, pass.x, pass.stepX);
        const uint64_t height = PassExtent(header.height, pass.y, pass.stepY);
        if (width != 0 && height != 0)
            total += FilteredRowsBytes(width, height, header.bitsPerPixel);
    }
    return total;
}

// The decoder's rules for the two-byte zlib header: deflate, a check value that holds, no
// preset dictionary. (It ignores the window size; so does the raw inflate that follows.)
bool ZlibHeaderAccepted(BYTE method, BYTE flags) {
    return (method & 15) == 8 && (method * 256 + flags) % 31 == 0 && (flags & 32) == 0;
}

// Inflates the image data piece by piece, as the IDAT chunks hold it, into a scratch buffer
// whose contents are thrown away: what counts is that the stream is whole and that it ends
// within limit bytes. It stops one byte past the limit, so its work is bounded by the data and
// the header's size. The zlib header is checked here and the deflate data inflated raw, so that
// the Adler-32 checksum, which the decoder never verifies, refuses nothing.
class CBoundedInflate {
public:
    explicit CBoundedInflate(uint64_t limit) : m_limit(limit) {
        m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
    }
    ~CBoundedInflate() {
        if (m_ready) inflateEnd(&m_stream);
    }
    CBoundedInflate(const CBoundedInflate&) = delete;
    CBoundedInflate& operator=(const CBoundedInflate&) = delete;

    // Takes the next piece of the stream; false once the stream is refused. What follows its end
    // is ignored, as the decoder does.
    bool Feed(const BYTE* data, size_t length) {
        if (!m_ready) return false;
        if (m_ended) return true;
        for (; length > 0 && m_headerBytes < 2; --length) m_header[m_headerBytes++] = *data++;
        if (m_headerBytes < 2) return true;
        return ZlibHeaderAccepted(m_header[0], m_header[1]) && Inflate(data, length);
    }
    // Whether the stream came to its end within the limit.
    bool Ended() const { return m_ended; }

private:
    bool Inflate(const BYTE* data, size_t length) {
        m_stream.next_in = const_cast<Bytef*>(data);
        m_stream.avail_in = static_cast<uInt>(length);  // a chunk's length has 32 bits
        while (m_stream.avail_in > 0) {
            const uint64_t room = m_limit - m_produced + 1;
            m_stream.next_out = m_scratch;
            m_stream.avail_out = static_cast<uInt>(std::min<uint64_t>(sizeof(m_scratch), room));
            const uInt offered = m_stream.avail_out;
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            m_produced += offered - m_stream.avail_out;
            if (m_produced > m_limit) return false;
            if (result == Z_STREAM_END) {
                m_ended = true;
                return true;
            }
            if (result != Z_OK) return false;
        }
        return true;
    }

    z_stream m_stream{};
    bool m_ready = false;
    bool m_ended = false;
    BYTE m_header[2] = {};
    size_t m_headerBytes = 0;
    uint64_t m_limit;
    uint64_t m_produced = 0;
    BYTE m_scratch[32768];
};

// The image data must be one whole zlib stream that inflates to no more than the header implies:
// the decoder inflates everything the stream holds before it compares the size (a 1.5 MB stream
// of zeros behind a 1 x 1 header fills 1.5 GB). No encoder writes a stream that is cut short.
bool PngDataWithinHeader(const BYTE* bytes, size_t size, uint64_t expected) {
    CBoundedInflate inflater(expected);
    CPngChunkWalk walk(bytes, size);
    TPngChunk chunk;
    while (walk.Next(chunk))
        if (chunk.Is("IDAT") && !inflater.Feed(chunk.data, chunk.length)) return false;
    return inflater.Ended();
}

bool PngSafe(const BYTE* bytes, size_t size) {
    TPngHeader header;
    return PngChunksInsideFile(bytes, size) && ReadPngHeader(bytes, size, header) &&
           PngDataWithinHeader(bytes, size, PngDataBytes(header));
}

// Position after the SOI marker of a JPEG (the decoder skips fill bytes before it), or 0.
size_t JpegStart(const BYTE* bytes, size_t size) {
    if (size == 0 || bytes[0] != kMarkerStart) return 0;
    size_t pos = 1;
    while (pos < size && bytes[pos] == kMarkerStart) ++pos;
    return pos < size && bytes[pos] == kSoi ? pos + 1 : 0;
}

// The size in the first frame header, found the way the decoder finds it: segment by segment
// from the start, skipping bytes between segments that are no marker. A scan or the end before
// any frame header means there is none.
bool ReadJpegFrameSize(const BYTE* bytes, size_t size, size_t pos, long long* width, long long* height) {
    while (pos < size) {
        if (bytes[pos] != kMarkerStart) {
            ++pos;
            continue;
        }
        while (pos < size && bytes[pos] == kMarkerStart) ++pos;  // fill bytes
        if (pos >= size) return false;
        const BYTE marker = bytes[pos++];
        if (marker == kSoi || marker == kTem || marker == 0x00 || IsRestartMarker(marker)) continue;
        if (marker == kSos || marker == kEoi || size - pos < 2) return false;
        const size_t length = static_cast<size_t>(bytes[pos] << 8 | bytes[pos + 1]);
        if (IsFrameMarker(marker)) {
            // Length, sample precision, then the number of lines and the samples per line.
            if (length < 7 || size - pos < 7) return false;
            *height = bytes[pos + 3] << 8 | bytes[pos + 4];
            *width = bytes[pos + 5] << 8 | bytes[pos + 6];
            return true;
        }
        if (length < 2) return false;
        pos += std::min(length, size - pos);
    }
    return false;
}

}  // namespace

long long PixelBoundForBox(int width, int height, int dpi) {
    const long long scaledWidth = std::max(0, ScaleByDpi(width, dpi));
    const long long scaledHeight = std::max(0, ScaleByDpi(height, dpi));
    // Both sides are below 2^31, so the product stays far below the range of the type.
    return std::clamp(kBoxAreaFactor * scaledWidth * scaledHeight, kMinBoxPixelBound, kMaxImagePixels);
}

bool ReadPictureSize(const BYTE* bytes, size_t size, long long* width, long long* height) {
    *width = *height = 0;
    if (bytes == nullptr) return false;
    if (IsPng(bytes, size)) {
        TPngChunk chunk;
        if (!FindPngHeaderChunk(bytes, size, chunk)) return false;
        *width = ReadBigEndian32(chunk.data);
        *height = ReadBigEndian32(chunk.data + 4);
        return true;
    }
    const size_t start = JpegStart(bytes, size);
    return start != 0 && ReadJpegFrameSize(bytes, size, start, width, height);
}

bool IsPictureSafeToDecode(const BYTE* bytes, size_t size, long long maxPixels) {
    long long width = 0, height = 0;
    // The size first: a picture too large for its place is refused before its data is read.
    if (!ReadPictureSize(bytes, size, &width, &height) || !IsImageSizeAllowed(width, height) ||
        width * height > maxPixels)
        return false;
    if (IsPng(bytes, size)) return PngSafe(bytes, size);
    if (size_t start = JpegStart(bytes, size)) return JpegSafe(bytes, size, start);
    return false;
}

}  // namespace SkinUI
