#include "ui/core/skin/ZipReader.h"

#include <zlib.h>

#include <cstring>
#include <exception>

namespace SkinUI {

namespace {

constexpr DWORD kEndSignature = 0x06054b50;
constexpr DWORD kCentralSignature = 0x02014b50;
constexpr DWORD kLocalSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralRecordSize = 46;
constexpr size_t kLocalRecordSize = 30;
constexpr size_t kMaxCommentLength = 0xFFFF;
constexpr WORD kMethodStored = 0;
constexpr WORD kMethodDeflated = 8;
constexpr WORD kFlagEncrypted = 0x0001;
constexpr WORD kFlagUtf8Name = 0x0800;
// Deflate cannot expand data by more than about 1032:1.
constexpr unsigned long long kMaxDeflateRatio = 1032;

WORD Read16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Read32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}

// Archive names compare with "\" and "/" alike and ASCII letters in either case.
char FoldNameChar(char ch) {
    if (ch == '\\') return '/';
    if (ch >= 'A' && ch <= 'Z') return static_cast<char>(ch - 'A' + 'a');
    return ch;
}

bool NamesMatch(const std::string& stored, const std::string& wanted) {
    if (stored.size() != wanted.size()) return false;
    for (size_t i = 0; i < stored.size(); ++i)
        if (FoldNameChar(stored[i]) != FoldNameChar(wanted[i])) return false;
    return true;
}

std::string ToCodePage(LPCWSTR text, UINT codePage) {
    int length = ::WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, 0, text, -1, &result[0], length, nullptr, nullptr);
    result.resize(static_cast<size_t>(length) - 1);
    return result;
}

bool Inflate(const BYTE* data, DWORD dataSize, BYTE* out, DWORD outSize) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = dataSize;
    stream.next_out = out;
    stream.avail_out = outSize;
    int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    // The buffer is exactly the entry's size: a full buffer is success even when the stream
    // reports more to come; anything less is a damaged entry.
    bool ended = result == Z_STREAM_END || result == Z_OK || result == Z_BUF_ERROR;
    return ended && stream.avail_out == 0;
}

}  // namespace

bool CZipReader::OpenFile(LPCWSTR path) {
    Close();
    if (path == nullptr) return false;
    bxutil::CFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > 0x7FFFFFFF)
        return false;
    bxutil::CKernelHandle mapping(
        ::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    bxutil::CMappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return false;
    m_file = std::move(file);
    m_mapping = std::move(mapping);
    m_view = std::move(view);
    m_pData = static_cast<const BYTE*>(m_view.Get());
    m_nSize = static_cast<size_t>(size.QuadPart);
    if (ReadDirectory()) return true;
    Close();
    return false;
}

bool CZipReader::OpenMemory(const void* data, size_t size) {
    Close();
    if (data == nullptr || size == 0) return false;
    m_pData = static_cast<const BYTE*>(data);
    m_nSize = size;
    if (ReadDirectory()) return true;
    Close();
    return false;
}

void CZipReader::Close() {
    m_entries.clear();
    m_pData = nullptr;
    m_nSize = 0;
    m_view.Reset();
    m_mapping.Reset();
    m_file.Reset();
}

// Finds the end record (searching back over a possible comment) and reads every central record;
// a record that does not lie completely inside the directory makes the archive unusable.
bool CZipReader::ReadDirectory() {
    if (m_nSize < kEndRecordSize) return false;
    size_t lowest = m_nSize - kEndRecordSize > kMaxCommentLength
                        ? m_nSize - kEndRecordSize - kMaxCommentLength : 0;
    const BYTE* end = nullptr;
    for (size_t pos = m_nSize - kEndRecordSize + 1; pos-- > lowest;) {
        if (Read32(m_pData + pos) == kEndSignature) {
            end = m_pData + pos;
            break;
        }
    }
    if (end == nullptr) return false;
    size_t count = Read16(end + 10);
    size_t directorySize = Read32(end + 12);
    size_t directoryOffset = Read32(end + 16);
    size_t endOffset = static_cast<size_t>(end - m_pData);
    if (directoryOffset > endOffset || directorySize > endOffset - directoryOffset) return false;

    const BYTE* pos = m_pData + directoryOffset;
    const BYTE* limit = pos + directorySize;
    try {
        m_entries.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            if (static_cast<size_t>(limit - pos) < kCentralRecordSize ||
                Read32(pos) != kCentralSignature)
                return false;
            size_t nameLength = Read16(pos + 28);
            size_t recordSize = kCentralRecordSize + nameLength + Read16(pos + 30) + Read16(pos + 32);
            if (static_cast<size_t>(limit - pos) < recordSize) return false;
            WORD flags = Read16(pos + 8);
            TEntry entry;
            entry.name.assign(reinterpret_cast<const char*>(pos + kCentralRecordSize), nameLength);
            entry.utf8Name = (flags & kFlagUtf8Name) != 0;
            entry.method = (flags & kFlagEncrypted) != 0 ? 0xFFFF : Read16(pos + 10);
            entry.compressedSize = Read32(pos + 20);
            entry.uncompressedSize = Read32(pos + 24);
            entry.localHeaderOffset = Read32(pos + 42);
            m_entries.push_back(std::move(entry));
            pos += recordSize;
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CZipReader::FindEntry(LPCWSTR name, int* index, DWORD* uncompressedSize) const {
    if (!IsOpen() || name == nullptr) return false;
    std::string ansiName;
    std::string utf8Name;
    try {
        ansiName = ToCodePage(name, CP_ACP);
        utf8Name = ToCodePage(name, CP_UTF8);
    } catch (const std::exception&) {
        return false;
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const TEntry& entry = m_entries[i];
        const std::string& wanted = entry.utf8Name ? utf8Name : ansiName;
        if (wanted.empty() || wanted.size() > kMaxNameLength) continue;
        if (!NamesMatch(entry.name, wanted)) continue;
        if (index != nullptr) *index = static_cast<int>(i);
        if (uncompressedSize != nullptr) *uncompressedSize = entry.uncompressedSize;
        return true;
    }
    return false;
}

// The entry's compressed bytes, after checking that its local header and data lie inside the
// archive.
bool CZipReader::LocateData(const TEntry& entry, const BYTE** data) const {
    size_t offset = entry.localHeaderOffset;
    if (offset > m_nSize || m_nSize - offset < kLocalRecordSize) return false;
    const BYTE* local = m_pData + offset;
    if (Read32(local) != kLocalSignature) return false;
    size_t start = offset + kLocalRecordSize + Read16(local + 26) + Read16(local + 28);
    if (start > m_nSize || m_nSize - start < entry.compressedSize) return false;
    *data = m_pData + start;
    return true;
}

bool CZipReader::Extract(int index, void* buffer, DWORD size) const {
    if (!IsOpen() || index < 0 || static_cast<size_t>(index) >= m_entries.size()) return false;
    const TEntry& entry = m_entries[static_cast<size_t>(index)];
    if (size != entry.uncompressedSize || (buffer == nullptr && size != 0)) return false;
    const BYTE* data = nullptr;
    if (!LocateData(entry, &data)) return false;
    if (entry.method == kMethodStored) {
        if (entry.compressedSize != size) return false;
        if (size != 0) memcpy(buffer, data, size);
        return true;
    }
    if (entry.method == kMethodDeflated)
        return size == 0 || Inflate(data, entry.compressedSize, static_cast<BYTE*>(buffer), size);
    return false;
}

bool CZipReader::ExtractAll(int index, std::vector<BYTE>& bytes, DWORD maxSize) const {
    bytes.clear();
    if (!IsOpen() || index < 0 || static_cast<size_t>(index) >= m_entries.size()) return false;
    const TEntry& entry = m_entries[static_cast<size_t>(index)];
    // Both stated sizes may lie: the compressed one counts only once it is known to lie inside
    // the archive, and only then bounds what the entry can expand to.
    const BYTE* data = nullptr;
    if (entry.uncompressedSize > maxSize || !LocateData(entry, &data)) return false;
    unsigned long long most = entry.method == kMethodStored
                                  ? entry.compressedSize
                                  : entry.compressedSize * kMaxDeflateRatio + 1024;
    if (entry.uncompressedSize > most) return false;
    try {
        bytes.resize(entry.uncompressedSize);
    } catch (const std::exception&) {
        return false;
    }
    if (Extract(index, bytes.data(), entry.uncompressedSize)) return true;
    bytes.clear();
    return false;
}

}  // namespace SkinUI
