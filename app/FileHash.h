#pragma once
// SHA-256 of a file, for checking a downloaded installer against the digest the platform names,
// and digests of bytes in memory (a certificate's thumbprint, a signature's signed content).

#include <cstddef>
#include <string>

// The file's SHA-256 as 64 lower-case hexadecimal digits; empty when it cannot be read.
std::string Sha256OfFile(const std::wstring& path);
// The SHA-256 of size bytes at data, the same way; empty when the hash cannot be made.
std::string Sha256OfBytes(const void* data, size_t size);
// The digest of size bytes at data by a CNG hash algorithm (BCRYPT_SHA1_ALGORITHM, ...), the same
// way; empty when the algorithm is unknown or the hash cannot be made.
std::string DigestOfBytes(const wchar_t* algorithm, const void* data, size_t size);
// size bytes at data as lower-case hexadecimal digits.
std::string HexOfBytes(const void* data, size_t size);

// True when text is 64 hexadecimal digits (either case): a SHA-256 written out.
bool IsSha256Text(const std::string& text);

// True when expectedHex is 64 hexadecimal digits (either case) equal to the file's SHA-256.
bool Sha256Matches(const std::wstring& path, const std::string& expectedHex);
