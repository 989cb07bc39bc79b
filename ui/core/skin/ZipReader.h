#pragma once
// CZipReader: reads the skin package, a plain ZIP archive (stored and deflated entries, no
// encryption, no ZIP64), from a file or from a block of memory. The archive's central directory
// is read once at open; every offset and size in it is checked against the archive's bytes, so
// a truncated or hostile archive fails cleanly instead of reading outside its data.

#include <windows.h>

#include <string>
#include <vector>

#include "support/UniqueHandle.h"

namespace SkinUI {

class CZipReader {
public:
    static constexpr size_t kMaxNameLength = 255;  // longer names are never found

    CZipReader() = default;
    CZipReader(const CZipReader&) = delete;
    CZipReader& operator=(const CZipReader&) = delete;
    ~CZipReader() { Close(); }

    // Opens the archive at path (mapped read-only); false when it is missing or no ZIP archive.
    bool OpenFile(LPCWSTR path);
    // Opens an archive over caller-owned bytes, which must stay valid until Close.
    bool OpenMemory(const void* data, size_t size);
    void Close();
    bool IsOpen() const { return m_pData != nullptr; }

    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    // Looks name up ignoring the case of ASCII letters; "\" matches "/". The wanted name is
    // converted to the ANSI code page (or to UTF-8 for entries whose names are flagged UTF-8).
    // Gives the entry's index and uncompressed size.
    bool FindEntry(LPCWSTR name, int* index, DWORD* uncompressedSize) const;
    // Extracts the entry completely into buffer, which must hold exactly its uncompressed size.
    // Fails for a size that does not match, unknown compression methods, data reaching outside
    // the archive and data that ends before the buffer is full. The CRC-32 is not checked.
    bool Extract(int index, void* buffer, DWORD size) const;
    // Extracts into a new buffer of the entry's size. The entry's data is located and bounded by
    // the archive first: an entry whose stated size cannot come from the compressed data really
    // there (a lying header), or that is larger than maxSize, is refused before anything is
    // allocated.
    bool ExtractAll(int index, std::vector<BYTE>& bytes, DWORD maxSize = 0xFFFFFFFFu) const;
    // The entry's stored name (raw bytes, "/" separators) and uncompressed size.
    const std::string& EntryName(int index) const { return m_entries[index].name; }
    DWORD EntrySize(int index) const { return m_entries[index].uncompressedSize; }

private:
    struct TEntry {
        std::string name;
        bool utf8Name;
        WORD method;
        DWORD compressedSize;
        DWORD uncompressedSize;
        DWORD localHeaderOffset;
    };
    bool ReadDirectory();
    bool LocateData(const TEntry& entry, const BYTE** data) const;

    const BYTE* m_pData = nullptr;
    size_t m_nSize = 0;
    bxutil::CFileHandle m_file;
    bxutil::CKernelHandle m_mapping;
    bxutil::CMappedView m_view;
    std::vector<TEntry> m_entries;
};

}  // namespace SkinUI
