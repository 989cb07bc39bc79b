#include "app/FileHash.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "support/Win32Handle.h"

namespace {

constexpr DWORD kReadChunk = 64 * 1024;
constexpr size_t kDigestBytes = 32;

// Owners of the two CNG handles.
class CAlgorithm {
public:
    CAlgorithm() {
        if (BCryptOpenAlgorithmProvider(&m_h, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) m_h = nullptr;
    }
    ~CAlgorithm() {
        if (m_h) BCryptCloseAlgorithmProvider(m_h, 0);
    }
    CAlgorithm(const CAlgorithm&) = delete;
    CAlgorithm& operator=(const CAlgorithm&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return m_h; }

private:
    BCRYPT_ALG_HANDLE m_h = nullptr;
};

class CHash {
public:
    explicit CHash(BCRYPT_ALG_HANDLE algorithm) {
        if (!algorithm || BCryptCreateHash(algorithm, &m_h, nullptr, 0, nullptr, 0, 0) != 0) m_h = nullptr;
    }
    ~CHash() {
        if (m_h) BCryptDestroyHash(m_h);
    }
    CHash(const CHash&) = delete;
    CHash& operator=(const CHash&) = delete;
    BCRYPT_HASH_HANDLE Get() const { return m_h; }

private:
    BCRYPT_HASH_HANDLE m_h = nullptr;
};

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
    bxutil::CKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return {};
    CAlgorithm algorithm;
    CHash hash(algorithm.Get());
    if (!hash.Get() || !HashFileInto(file.Get(), hash.Get())) return {};
    UCHAR digest[kDigestBytes] = {};
    if (BCryptFinishHash(hash.Get(), digest, kDigestBytes, 0) != 0) return {};
    return ToLowerHex(digest, kDigestBytes);
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
