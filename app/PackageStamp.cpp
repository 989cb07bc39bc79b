#include "app/PackageStamp.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/SignatureStamp.h"
#include "support/StringUtil.h"
#include "support/UniqueHandle.h"

namespace {

// Larger files (no executable is) are not mapped into the 32-bit address space: their stamp is
// read from the DOS stub.
constexpr LONGLONG kMaxMappedSize = 512LL << 20;

// The DOS stub's stamp read from the file itself: for a file too large to map.
TPackageStamp ReadDosStubStamp(HANDLE file) {
    if (SetFilePointer(file, kPackageStampOffset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return {};
    char buffer[kPackageStampSize] = {};
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof(buffer), &read, nullptr)) return {};
    return ParsePackageStamp(buffer, read);
}

}  // namespace

TPackageStamp ParsePackageStamp(const char* bytes, size_t count) {
    count = std::min(count, kPackageStampSize);
    const size_t length = static_cast<size_t>(std::find(bytes, bytes + count, '\0') - bytes);
    const std::string text(bytes, length);
    TPackageStamp stamp;
    stamp.gameId = text.substr(0, 7);
    if (text.size() > 8) stamp.comefrom = TrimChars(text.substr(8, 9), " ");
    return stamp;
}

TPackageStamp ReadPackageStampFromImage(const unsigned char* image, size_t size) {
    const TByteRange inSignature = FindSignatureStamp(image, size);
    if (inSignature.data != nullptr)
        return ParsePackageStamp(reinterpret_cast<const char*>(inSignature.data), inSignature.size);
    if (size <= static_cast<size_t>(kPackageStampOffset)) return {};
    return ParsePackageStamp(reinterpret_cast<const char*>(image) + kPackageStampOffset, size - kPackageStampOffset);
}

TPackageStamp ReadPackageStampFromFile(const wchar_t* path) {
    // The path is opened as UTF-16 so that an installer kept in a folder whose name the ANSI
    // code page cannot spell still finds its own stamp.
    bxutil::CFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0) return {};
    // The file is mapped, not read: only the pages its headers lead to are touched.
    bxutil::CKernelHandle mapping(
        size.QuadPart <= kMaxMappedSize ? CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr)
                                        : nullptr);
    bxutil::CMappedView view(mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
    if (!view) return ReadDosStubStamp(file.Get());
    return ReadPackageStampFromImage(static_cast<const unsigned char*>(view.Get()), static_cast<size_t>(size.QuadPart));
}

TPackageStamp ReadPackageStamp() {
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return {};
    return ReadPackageStampFromFile(path);
}

std::string EffectiveGameId(const std::string& stampedGameId) {
    // The platform's ids run from 1000000: a leading zero is no id (and no JSON number).
    const bool isId = stampedGameId.size() == 7 && stampedGameId[0] != '0' &&
                      std::all_of(stampedGameId.begin(), stampedGameId.end(),
                                  [](char c) { return c >= '0' && c <= '9'; });
    return isId ? stampedGameId : std::string("1000450");
}
