#include "app/SignatureStamp.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kPeOffsetField = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kOptionalHeaderSizeField = 16;  // in the file header
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kPe32Directories = 96;      // data directories in the optional header
constexpr size_t kPe32PlusDirectories = 112;
constexpr size_t kSecurityDirectory = 4;     // IMAGE_DIRECTORY_ENTRY_SECURITY
constexpr size_t kWinCertificateHeader = 8;  // dwLength, wRevision, wCertificateType
constexpr uint16_t kCertTypePkcsSignedData = 2;

constexpr unsigned char kTagOid = 0x06, kTagOctetString = 0x04, kTagSequence = 0x30,
                        kTagSet = 0x31, kTagContext0 = 0xA0, kTagContext1 = 0xA1;
// 1.2.840.113549.1.7.2, PKCS#7 signedData.
constexpr unsigned char kSignedDataOid[] = {0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
// 2.25.12558274358900491936639886794395106262, the stamp's attribute (tools/stamp.py).
constexpr unsigned char kStampOid[] = {0x06, 0x13, 0x69, 0x92, 0xF2, 0xD1, 0xAE, 0xDB, 0xC4, 0xA2, 0xA8, 0xE5, 0xB7,
                                       0x87, 0xFC, 0xDB, 0xF2, 0xD7, 0x88, 0xF7, 0x56};

uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Whether [offset, offset + count) lies inside a block of size bytes (no overflow on the way).
bool Inside(size_t offset, size_t count, size_t size) { return offset <= size && count <= size - offset; }

// The certificate table's place as the security directory of the PE headers gives it (file
// offset and size); false when the headers are not there or have no such directory.
bool SecurityDirectory(const unsigned char* image, size_t size, size_t& tableOffset, size_t& tableSize) {
    if (!Inside(0, kPeOffsetField + 4, size) || image[0] != 'M' || image[1] != 'Z') return false;
    const size_t pe = Le32(image + kPeOffsetField);
    if (!Inside(pe, 4 + kFileHeaderSize + 2, size) || std::memcmp(image + pe, "PE\0\0", 4) != 0) return false;
    const size_t optional = pe + 4 + kFileHeaderSize;
    const size_t optionalSize = Le16(image + pe + 4 + kOptionalHeaderSizeField);
    const uint16_t magic = Le16(image + optional);
    const size_t directories = magic == kPe32Magic       ? kPe32Directories
                               : magic == kPe32PlusMagic ? kPe32PlusDirectories
                                                         : 0;
    const size_t entry = directories + 8 * kSecurityDirectory;
    if (directories == 0 || entry + 8 > optionalSize || !Inside(optional, entry + 8, size) ||
        Le32(image + optional + directories - 4) <= kSecurityDirectory)
        return false;
    tableOffset = Le32(image + optional + entry);
    tableSize = Le32(image + optional + entry + 4);
    return true;
}

// The PKCS#7 bytes of the first certificate-table entry (a WIN_CERTIFICATE), bounded by the
// table, which is bounded by the real image and a sane size.
TByteRange LocateSignature(const unsigned char* image, size_t size) {
    size_t tableOffset = 0, tableSize = 0;
    if (!SecurityDirectory(image, size, tableOffset, tableSize) || tableSize < kWinCertificateHeader ||
        tableSize > kMaxCertificateTableSize || !Inside(tableOffset, tableSize, size))
        return {};
    const unsigned char* table = image + tableOffset;
    const size_t length = Le32(table);
    if (Le16(table + 6) != kCertTypePkcsSignedData || length < kWinCertificateHeader || length > tableSize) return {};
    return {table + kWinCertificateHeader, length - kWinCertificateHeader};
}

// One DER element: its tag, where its encoding begins, where its body begins, where it ends.
struct TDer {
    unsigned char tag = 0;
    const unsigned char* begin = nullptr;
    const unsigned char* body = nullptr;
    const unsigned char* end = nullptr;
};

// Reads the element that starts at at and must end by end: a one-byte tag and a definite length
// of at most four bytes that fits.
bool ReadDer(const unsigned char* at, const unsigned char* end, TDer& out) {
    if (end - at < 2 || (at[0] & 0x1F) == 0x1F) return false;
    const unsigned char* body = at + 2;
    size_t length = at[1];
    if (length & 0x80) {
        const size_t count = length & 0x7F;
        if (count == 0 || count > 4 || static_cast<size_t>(end - body) < count) return false;
        length = 0;
        for (size_t i = 0; i < count; ++i) length = (length << 8) | *body++;
    }
    if (length > static_cast<size_t>(end - body)) return false;
    out = {at[0], at, body, body + length};
    return true;
}

bool FirstChild(const TDer& parent, unsigned char tag, TDer& child) {
    return ReadDer(parent.body, parent.end, child) && child.tag == tag;
}

bool NextSibling(const TDer& parent, const TDer& current, unsigned char tag, TDer& next) {
    return ReadDer(current.end, parent.end, next) && next.tag == tag;
}

// The parent's last child; false when any child on the way is malformed.
bool LastChild(const TDer& parent, unsigned char tag, TDer& child) {
    if (!ReadDer(parent.body, parent.end, child)) return false;
    while (child.end != parent.end) {
        if (!ReadDer(child.end, parent.end, child)) return false;
    }
    return child.tag == tag;
}

template <size_t N>
bool Encodes(const TDer& element, const unsigned char (&bytes)[N]) {
    return static_cast<size_t>(element.end - element.begin) == N && std::memcmp(element.begin, bytes, N) == 0;
}

// The signer's unauthenticated attributes: ContentInfo { signedData, [0] { SignedData { ...,
// signerInfos SET { SignerInfo { ..., [1] attributes } } } } }. The walk follows this one path
// and never recurses, however deep the DER nests.
bool UnauthenticatedAttributes(const TByteRange& pkcs7, TDer& attributes) {
    TDer contentInfo, type, explicitContent, signedData, signerInfos, signer;
    return ReadDer(pkcs7.data, pkcs7.data + pkcs7.size, contentInfo) && contentInfo.tag == kTagSequence &&
           FirstChild(contentInfo, kTagOid, type) && Encodes(type, kSignedDataOid) &&
           NextSibling(contentInfo, type, kTagContext0, explicitContent) &&
           FirstChild(explicitContent, kTagSequence, signedData) && LastChild(signedData, kTagSet, signerInfos) &&
           FirstChild(signerInfos, kTagSequence, signer) && LastChild(signer, kTagContext1, attributes);
}

// The stamp's value when attribute is the stamp's: SEQUENCE { OID, SET { OCTET STRING } }.
bool StampValue(const TDer& attribute, TByteRange& stamp) {
    TDer type, values, value;
    if (attribute.tag != kTagSequence || !FirstChild(attribute, kTagOid, type) || !Encodes(type, kStampOid) ||
        !NextSibling(attribute, type, kTagSet, values) || !FirstChild(values, kTagOctetString, value))
        return false;
    stamp = {value.body, static_cast<size_t>(value.end - value.body)};
    return true;
}

}  // namespace

TByteRange FindSignatureStamp(const unsigned char* image, size_t size) {
    const TByteRange pkcs7 = LocateSignature(image, size);
    TDer attributes, attribute;
    if (pkcs7.data == nullptr || !UnauthenticatedAttributes(pkcs7, attributes)) return {};
    TByteRange stamp;
    for (const unsigned char* at = attributes.body; at != attributes.end; at = attribute.end) {
        if (!ReadDer(at, attributes.end, attribute)) return {};
        if (StampValue(attribute, stamp)) return stamp;
    }
    return {};
}
