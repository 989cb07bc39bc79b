#pragma once
// Text conversions between UTF-16 and the narrow encodings. Each takes NUL-terminated input and
// returns a new string: empty for an empty input or a failed conversion, and cut at the first NUL.

#include <string>

std::string WideToAnsi(const wchar_t* text);        // file-API code page (ANSI or OEM)
std::wstring AnsiToWide(const char* text);          // file-API code page (ANSI or OEM)
std::wstring Utf8ToWide(const char* text);          // UTF-8
std::string Utf8ToAnsi(const char* text);           // UTF-8 to the file-API code page
std::wstring ThreadAnsiToWide(const char* text);    // the thread's ANSI code page
std::string WideToThreadAnsi(const wchar_t* text);  // the thread's ANSI code page

inline std::string WideToAnsi(const std::wstring& text) { return WideToAnsi(text.c_str()); }
inline std::wstring AnsiToWide(const std::string& text) { return AnsiToWide(text.c_str()); }
inline std::wstring Utf8ToWide(const std::string& text) { return Utf8ToWide(text.c_str()); }
