#include "app/FileHash.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "support/UniqueHandle.h"

namespace {

constexpr DWORD kReadChunk = 64 * 1024;
constexpr size_t kDigestBytes = 32;

// The two CNG handles, in the support library's handle family.
struct TAlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct THashTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle hash) { BCryptDestroyHash(hash); }
};
using CAlgorithm = bxutil::CUniqueHandle<TAlgorithmTraits>;
using CHash = bxutil::CUniqueHandle<THashTraits>;

CAlgorithm OpenAlgorithm(const wchar_t* name) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, name, nullptr, 0) != 0) return {};
    return CAlgorithm(algorithm);
}

CAlgorithm OpenSha256() { return OpenAlgorithm(BCRYPT_SHA256_ALGORITHM); }

CHash CreateHash(BCRYPT_ALG_HANDLE algorithm) {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!algorithm || BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) != 0) return {};
    return CHash(hash);
}

bool HashFileInto(HANDLE file, BCRYPT_HASH_HANDLE hash) {
    std::vector<UCHAR> buffer(kReadChunk);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer.data(), kReadChunk, &read, nullptr)) return false;
        if (read == 0) return true;
        if (BCryptHashData(hash, buffer.data(), read, 0) != 0) return false;
    }
}

std::string ToLowerHex(const UCHAR* bytes, size_t count) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0xF];
    }
    return text;
}

}  // namespace

std::string Sha256OfFile(const std::wstring& path) {
    bxutil::CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return {};
    const CAlgorithm algorithm = OpenSha256();
    const CHash hash = CreateHash(algorithm.Get());
    if (!hash || !HashFileInto(file.Get(), hash.Get())) return {};
    UCHAR digest[kDigestBytes] = {};
    if (BCryptFinishHash(hash.Get(), digest, kDigestBytes, 0) != 0) return {};
    return ToLowerHex(digest, kDigestBytes);
}

std::string Sha256OfBytes(const void* data, size_t size) { return DigestOfBytes(BCRYPT_SHA256_ALGORITHM, data, size); }

std::string DigestOfBytes(const wchar_t* algorithmName, const void* data, size_t size) {
    const CAlgorithm algorithm = OpenAlgorithm(algorithmName);
    const CHash hash = CreateHash(algorithm.Get());
    DWORD length = 0;
    ULONG written = 0;
    if (!hash || size > MAXDWORD ||
        BCryptGetProperty(algorithm.Get(), BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length), sizeof(length),
                          &written, 0) != 0 ||
        length == 0 || length > 64)
        return {};
    UCHAR digest[64] = {};
    if (BCryptHashData(hash.Get(), static_cast<PUCHAR>(const_cast<void*>(data)), static_cast<ULONG>(size), 0) != 0 ||
        BCryptFinishHash(hash.Get(), digest, length, 0) != 0)
        return {};
    return ToLowerHex(digest, length);
}

std::string HexOfBytes(const void* data, size_t size) {
    return ToLowerHex(static_cast<const UCHAR*>(data), size);
}

bool IsSha256Text(const std::string& text) {
    return text.size() == kDigestBytes * 2 &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

bool Sha256Matches(const std::wstring& path, const std::string& expectedHex) {
    if (!IsSha256Text(expectedHex)) return false;
    std::string expected;
    for (const char c : expectedHex) {
        expected += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const std::string actual = Sha256OfFile(path);
    return !actual.empty() && actual == expected;
}
