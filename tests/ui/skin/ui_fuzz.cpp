// Fuzz program for the skin markup parser, the ZIP reader and the picture decoder: mutated
// inputs must never crash the process, and whatever is accepted must be consistent (element
// links inside the table, attribute counts within 64, extracted sizes as announced). Every input,
// and the parser's in-place document, ends at a no-access page, so that a read past the end
// stops the run like a crash. A seed fixture that is missing fails the run.
//
// CTest runs it with a small budget. To fuzz longer by hand, from the build directory:
//   VEXO_FUZZ_SECONDS=600 VEXO_BINARY_DIR=$PWD ../main/scripts/wine-run.sh tests/ui/ui_fuzz.exe
// (VEXO_FUZZ_SEED=n varies the run; VEXO_FUZZ_SAVE_LAST=file keeps the input being tried, to
// find the one that crashes; VEXO_FUZZ_TARGETS=picture,structured runs only the picture
// targets). The seed corpus comes from the fixtures that the "ui_skin_fixtures" test writes, so run
// that test once first. The picture targets print how many inputs passed the check and reached
// the decoder: a figure of coverage, not a condition of the run.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/common/FuzzLoop.h"
#include "tests/common/GuardedBuffer.h"
#include "tests/ui/skin/SkinTestSupport.h"
#include "ui/core/skin/SkinImage.h"
#include "ui/core/skin/SkinImageCheck.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/skin/ZipReader.h"

using namespace SkinUI;
using vexo_fuzz::Bytes;

namespace {

int g_failures = 0;

void Check(bool condition, const char* what) {
    if (condition) return;
    if (++g_failures <= 10) std::printf("INVARIANT BROKEN: %s\n", what);
}

const wchar_t* const kMessages[] = {
    L"Expected start tag", L"Error parsing element name", L"Expected start-tag closing",
    L"Expected end-tag start", L"Unmatched closing tag", L"Error while parsing attributes",
    L"Expected attribute value", L"Error while parsing attribute string", L"Unknown text encoding",
};

bool KnownMessage(LPCWSTR message) {
    for (LPCWSTR known : kMessages)
        if (wcscmp(known, message) == 0) return true;
    return false;
}

void CheckDocument(CSkinXml& xml, bool loaded) {
    if (!loaded) {
        Check(KnownMessage(xml.ErrorMessage()), "failure message is one of the parser's");
        Check(!xml.Root().IsValid(), "a failed load keeps no tree");
        return;
    }
    Check(xml.ErrorMessage()[0] == L'\0', "success clears the message");
    for (uint32_t i = 1; i < xml.ElementCount(); ++i) {
        const CSkinXml::TElement* element = xml.Element(i);
        Check(element->firstChild < xml.ElementCount() && element->nextSibling < xml.ElementCount() &&
                  element->parent < i,
              "links stay inside the table");
        CSkinXmlNode node(&xml, static_cast<int>(i));
        Check(node.Name() != nullptr && node.Text() != nullptr, "names and texts exist");
        int count = node.AttributeCount();
        Check(count >= 0 && count <= CSkinXmlNode::kMaxAttributes, "at most 64 attributes");
        for (int a = 0; a < count; ++a) Check(node.AttributeValue(node.AttributeName(a)) != nullptr, "attribute found by name");
    }
}

void FuzzMarkup(const Bytes& input) {
    CSkinXml xml;
    int encoding = input.empty() ? 0 : input[0] % 3;
    const testguard::CGuardedBuffer bytes(input.data(), input.size());
    CheckDocument(xml, xml.LoadFromBytes(bytes.Data(), static_cast<DWORD>(bytes.Size()), encoding));
    const testguard::CGuardedBuffer wide(vexo_fuzz::AsWideText(input));
    CheckDocument(xml, xml.Load(wide.Text()));
}

void FuzzZip(const Bytes& input) {
    CZipReader zip;
    const testguard::CGuardedBuffer archive(input.data(), input.size());
    if (!zip.OpenMemory(archive.Data(), archive.Size())) return;
    for (int i = 0; i < zip.EntryCount(); ++i) {
        std::wstring name;
        for (char ch : zip.EntryName(i)) name += static_cast<wchar_t>(static_cast<unsigned char>(ch));
        int index = -1;
        DWORD size = 0;
        zip.FindEntry(name.c_str(), &index, &size);
        std::vector<BYTE> bytes;
        if (zip.ExtractAll(i, bytes)) Check(bytes.size() == zip.EntrySize(i), "extracted size as announced");
    }
}

// How many picture inputs passed the safety check and reached the decoder, and how many it
// refused: a figure for the reader (coverage), not a condition of the run.
struct TPictureCounts {
    unsigned long long reached = 0;
    unsigned long long refused = 0;
    unsigned long long decoded = 0;  // of those reached, the ones that came out as a picture
};
TPictureCounts g_pictures;

void PrintPictureCounts(const char* name) {
    std::printf("[fuzz %s] %llu inputs reached the decoder (%llu decoded to a picture), %llu refused by the check\n",
                name, g_pictures.reached, g_pictures.decoded, g_pictures.refused);
    g_pictures = TPictureCounts();
}

void FuzzPicture(const Bytes& input) {
    const testguard::CGuardedBuffer bytes(input.data(), input.size());
    ++(IsPictureSafeToDecode(bytes.Data(), bytes.Size()) ? g_pictures.reached : g_pictures.refused);
    std::unique_ptr<TImageData> image = DecodeSkinImage(bytes.Data(), bytes.Size(), 0xFFFF00FF);
    if (image != nullptr) ++g_pictures.decoded;
    if (image != nullptr)
        Check(image->nWidth > 0 && image->nHeight > 0 && image->pBits != nullptr, "decoded pictures have pixels");
}

uint32_t ReadBigEndian(const Bytes& data, size_t at, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value = value << 8 | data[at + i];
    return value;
}

// The PNG chunk CRC (CRC-32 over type and data). The decoder ignores it; a mutated input keeps a
// valid one so that it stays a well-formed file apart from what was meant to change.
uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// Calls visit(chunk start, data length) for each PNG chunk lying whole inside the data.
template <class Visit>
void ForEachPngChunk(const Bytes& png, Visit&& visit) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return;
    for (size_t pos = 8; png.size() - pos >= 12;) {
        const size_t length = ReadBigEndian(png, pos, 4);
        if (length > png.size() - pos - 12) return;
        visit(pos, length);
        pos += 12 + length;
    }
}

void FixPngCrcs(Bytes& png) {
    ForEachPngChunk(png, [&](size_t pos, size_t length) {
        const uint32_t crc = Crc32(png.data() + pos + 4, 4 + length);
        for (size_t i = 0; i < 4; ++i) png[pos + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    });
}

// Offsets of the filter and pixel bytes inside the stored deflate blocks of a PNG's image data
// (which may cross IDAT chunks). Changing them keeps the stream whole and of the size the header
// implies, so the picture still passes the check; compressed blocks are left out.
std::vector<size_t> StoredPngBytes(const Bytes& png) {
    std::vector<size_t> stream;  // file offset of each byte of the zlib stream
    ForEachPngChunk(png, [&](size_t pos, size_t length) {
        if (std::memcmp(&png[pos + 4], "IDAT", 4) != 0) return;
        for (size_t i = 0; i < length; ++i) stream.push_back(pos + 8 + i);
    });
    std::vector<size_t> pixels;
    for (size_t at = 2; at + 5 <= stream.size();) {  // after the zlib header
        const uint8_t block = png[stream[at]];
        if ((block & 6) != 0) break;  // not stored: its bits no longer start on a byte
        const size_t length = png[stream[at + 1]] | png[stream[at + 2]] << 8;
        const size_t end = std::min(stream.size(), at + 5 + length);
        for (size_t i = at + 5; i < end; ++i) pixels.push_back(stream[i]);
        if ((block & 1) != 0) break;  // the final block
        at = end;
    }
    return pixels;
}

bool IsRestartMarker(uint8_t marker) { return marker >= 0xD0 && marker <= 0xD7; }

// Offsets of a JPEG's quantisation values, Huffman symbols (not the code counts, which the check
// limits) and entropy-coded bytes (not 0xFF, its stuffing or restart markers).
std::vector<size_t> JpegTableAndScanBytes(const Bytes& jpeg) {
    std::vector<size_t> offsets;
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return offsets;
    for (size_t pos = 2; jpeg.size() - pos >= 4 && jpeg[pos] == 0xFF && jpeg[pos + 1] != 0xD9;) {
        const uint8_t marker = jpeg[pos + 1];
        const size_t length = ReadBigEndian(jpeg, pos + 2, 2);
        if (length < 2) break;
        const size_t end = std::min(jpeg.size(), pos + 2 + length);
        if (marker == 0xDB) {
            for (size_t at = pos + 4; at < end;) {
                const size_t values = jpeg[at] >> 4 != 0 ? 128 : 64;  // 64 values of 8 or 16 bits
                for (size_t i = at + 1; i < std::min(end, at + 1 + values); ++i) offsets.push_back(i);
                at += 1 + values;
            }
        }
        if (marker == 0xC4) {
            for (size_t at = pos + 4; at + 17 <= end;) {
                size_t codes = 0;
                for (size_t i = 1; i <= 16; ++i) codes += jpeg[at + i];
                for (size_t i = at + 17; i < std::min(end, at + 17 + codes); ++i) offsets.push_back(i);
                at += 17 + codes;
            }
        }
        pos = end;
        if (marker != 0xDA) continue;
        for (; pos < jpeg.size(); ++pos) {
            if (jpeg[pos] != 0xFF) {
                offsets.push_back(pos);
            } else if (pos + 1 < jpeg.size() && (jpeg[pos + 1] == 0 || IsRestartMarker(jpeg[pos + 1]))) {
                ++pos;
            } else {
                break;  // the marker after the scan
            }
        }
    }
    return offsets;
}

// A fuzz target that mutates only the bytes above (pixels, tables, entropy-coded data), so that
// most inputs pass the check and exercise the decoder rather than the check. RunFuzzLoop keeps
// the budget and reports crashes; the input it hands over is replaced by such a mutation of a
// seed, which is what a crash saves.
class CStructuredPictures {
public:
    CStructuredPictures(const std::vector<Bytes>& seeds, const vexo_fuzz::TFuzzOptions& options)
        : m_random(options.seed ^ 0x57A7u), m_saveLastPath(options.saveLastPath) {
        for (const Bytes& seed : seeds) {
            std::vector<size_t> offsets = StoredPngBytes(seed);
            if (offsets.empty()) offsets = JpegTableAndScanBytes(seed);
            if (!offsets.empty()) m_seeds.push_back({seed, std::move(offsets)});
            else Check(false, "every structured seed has bytes to mutate");
        }
    }
    void operator()(const Bytes&) {
        if (m_seeds.empty()) return;
        const TSeed& seed = m_seeds[m_random.Below(m_seeds.size())];
        m_input = seed.bytes;
        for (size_t rounds = 1 + m_random.Below(4); rounds > 0; --rounds) {
            uint8_t& byte = m_input[seed.offsets[m_random.Below(seed.offsets.size())]];
            byte = m_random.OneIn(2) ? byte ^ static_cast<uint8_t>(1u << m_random.Below(8))
                                     : static_cast<uint8_t>(m_random.Next());
            if (byte == 0xFF && m_input[0] == 0xFF) byte = 0xFE;  // no new JPEG marker
        }
        FixPngCrcs(m_input);
        vexo_fuzz::CrashState().input = &m_input;
        if (!m_saveLastPath.empty()) vexo_fuzz::SaveInput(m_saveLastPath, m_input);
        FuzzPicture(m_input);
    }

private:
    struct TSeed {
        Bytes bytes;
        std::vector<size_t> offsets;
    };
    std::vector<TSeed> m_seeds;
    vexo_fuzz::CRandom m_random;
    std::string m_saveLastPath;
    Bytes m_input;
};

std::vector<Bytes> Corpus(std::initializer_list<const wchar_t*> fixtures, std::initializer_list<std::string> inline_) {
    std::vector<Bytes> corpus;
    for (const wchar_t* name : fixtures) {
        std::vector<BYTE> bytes = ui_test::ReadAll(ui_test::Fixture(name));
        if (!bytes.empty()) {
            corpus.push_back(bytes);
        } else {
            std::printf("fixture %ls missing (run the ui_skin_fixtures test first)\n", name);
            Check(false, "every seed fixture exists");
        }
    }
    for (const std::string& text : inline_) corpus.push_back(vexo_fuzz::ToBytes(text));
    return corpus;
}

std::vector<Bytes> Tokens(std::initializer_list<std::string> tokens) {
    std::vector<Bytes> out;
    for (const std::string& token : tokens) out.push_back(vexo_fuzz::ToBytes(token));
    return out;
}

// VEXO_FUZZ_TARGETS (optional) names the targets to run, e.g. "zip,picture".
bool Enabled(const char* target) {
    const char* list = std::getenv("VEXO_FUZZ_TARGETS");
    return list == nullptr || std::strstr(list, target) != nullptr;
}

}  // namespace

// Without settings from the environment each target runs a fixed number of iterations (the time
// cap only guards slow machines), so the CTest run is the same every time.
vexo_fuzz::TFuzzOptions Budget(unsigned long long iterations) {
    return vexo_fuzz::OptionsFromEnvironment(iterations, 60.0);
}

using namespace std::string_literals;

int main() {
    const ui_test::CGuardedDocuments guardedDocuments;
    if (Enabled("markup"))
        vexo_fuzz::RunFuzzLoop(
            "markup",
            Corpus({L"skin.xml", L"broken.xml"},
                   {"<a x=\"1\" y=\"&amp;&lt;\">t<b/><c k=\"v\"></c></a>"s, "<?xml?><!-- c --><W><X>text"s,
                    "\xEF\xBB\xBF<a/>"s, "\xFF\xFE<\0a\0/\0>\0"s, "\xFE\xFF\0<\0a\0/\0>"s}),
            Budget(200000), FuzzMarkup,
            Tokens({"<"s, ">"s, "/>"s, "</"s, "=\""s, "\""s, "&amp;"s, "&lt;"s, "&"s, "<!--"s, "-->"s, "->"s, "<?"s, "?>"s, " "s, "\t"s}));
    if (Enabled("zip"))
        vexo_fuzz::RunFuzzLoop(
            "zip", Corpus({L"py_deflated.zip", L"py_stored.zip", L"infozip_streamed.zip", L"long_name.zip"}, {}),
            Budget(40000), FuzzZip, Tokens({"PK\x01\x02"s, "PK\x03\x04"s, "PK\x05\x06"s, "\xFF\xFF\xFF\xFF"s, "\0\0\0\0"s}));
    if (Enabled("picture"))
        vexo_fuzz::RunFuzzLoop(
            "picture",
            // Every format the loader decodes: PNG in its colour types and depths, JPEG.
            Corpus({L"alpha.png", L"opaque.png", L"mask.png", L"deep.png", L"palette.png",
                    L"gray_alpha.png", L"split_idat.png", L"interlaced.png", L"stored.png",
                    L"pic.jpg", L"baseline.jpg", L"restart.jpg", L"progressive.jpg"},
                   {}),
            Budget(40000), FuzzPicture,
            Tokens({"IHDR"s, "IDAT"s, "IEND"s, "\xFF\xC4"s, "\xFF\xDA"s, "\xFF\xC2"s, "\xFF\xFF\xFF\xFF"s, "\0\0\0\0"s}));
    if (Enabled("picture")) PrintPictureCounts("picture");
    if (Enabled("structured")) {
        const std::vector<Bytes> seeds = Corpus(
            {L"interlaced.png", L"stored.png", L"pic.jpg", L"baseline.jpg", L"restart.jpg", L"progressive.jpg"}, {});
        const vexo_fuzz::TFuzzOptions options = Budget(40000);
        vexo_fuzz::RunFuzzLoop("structured picture", seeds, options, CStructuredPictures(seeds, options));
        PrintPictureCounts("structured picture");
    }
    std::printf("%d invariant failures\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
