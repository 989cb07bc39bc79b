#pragma once
// SHA-256 of a file, for checking a downloaded installer against the digest the platform names.

#include <string>

// The file's SHA-256 as 64 lower-case hexadecimal digits; empty when it cannot be read.
std::string Sha256OfFile(const std::wstring& path);

// True when text is 64 hexadecimal digits (either case): a SHA-256 written out.
bool IsSha256Text(const std::string& text);

// True when expectedHex is 64 hexadecimal digits (either case) equal to the file's SHA-256.
bool Sha256Matches(const std::wstring& path, const std::string& expectedHex);
