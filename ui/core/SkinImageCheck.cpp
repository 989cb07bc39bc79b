#include "ui/core/SkinImageCheck.h"

#include <cstring>

namespace SkinUI {

namespace {

constexpr BYTE kMarkerStart = 0xFF;
constexpr BYTE kSoi = 0xD8;
constexpr BYTE kEoi = 0xD9;
constexpr BYTE kSos = 0xDA;
constexpr BYTE kDht = 0xC4;
constexpr BYTE kTem = 0x01;
constexpr BYTE kSofProgressive = 0xC2;

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
// Huffman tables and their use.
bool JpegSafe(const BYTE* bytes, size_t size, size_t pos) {
    TJpegState state;
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
        if (marker == kSos && !ScanTablesDefined(segment, state)) return false;
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

// Every chunk up to IEND must declare no more data than the file still holds after its header.
// The walk ends where the decoder's would: at IEND, or where too few bytes remain for a chunk
// header (the decoder fails there without reserving anything).
bool PngChunksInsideFile(const BYTE* bytes, size_t size) {
    size_t pos = sizeof(kPngSignature);
    while (size - pos >= 8) {
        const size_t length = ReadBigEndian32(bytes + pos);
        const bool end = memcmp(bytes + pos + 4, "IEND", 4) == 0;
        pos += 8;
        if (length > size - pos) return false;
        if (end) return true;
        pos += length;
        pos += size - pos < 4 ? size - pos : 4;  // the chunk's CRC
    }
    return true;
}

// Position after the SOI marker of a JPEG (the decoder skips fill bytes before it), or 0.
size_t JpegStart(const BYTE* bytes, size_t size) {
    if (size == 0 || bytes[0] != kMarkerStart) return 0;
    size_t pos = 1;
    while (pos < size && bytes[pos] == kMarkerStart) ++pos;
    return pos < size && bytes[pos] == kSoi ? pos + 1 : 0;
}

}  // namespace

bool IsPictureSafeToDecode(const BYTE* bytes, size_t size) {
    if (bytes == nullptr) return false;
    if (IsPng(bytes, size)) return PngChunksInsideFile(bytes, size);
    if (size_t start = JpegStart(bytes, size)) return JpegSafe(bytes, size, start);
    return false;
}

}  // namespace SkinUI
