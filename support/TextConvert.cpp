#include "support/TextConvert.h"

#include <windows.h>

namespace {

// The code page the process's file APIs use: narrow paths must be converted with it.
UINT FileApiCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

// Converts including the terminator, then keeps the text up to its first NUL.
std::wstring ToWide(UINT codePage, const char* text) {
    if (!text || !*text) return {};
    const int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (MultiByteToWideChar(codePage, 0, text, -1, &out[0], n) <= 0) return {};
    out.resize(wcslen(out.c_str()));
    return out;
}

std::string ToNarrow(UINT codePage, const wchar_t* text) {
    if (!text || !*text) return {};
    const int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(codePage, 0, text, -1, &out[0], n, nullptr, nullptr) <= 0) return {};
    out.resize(strlen(out.c_str()));
    return out;
}

}  // namespace

std::string WideToAnsi(const wchar_t* text) { return ToNarrow(FileApiCodePage(), text); }
std::wstring AnsiToWide(const char* text) { return ToWide(FileApiCodePage(), text); }
std::wstring Utf8ToWide(const char* text) { return ToWide(CP_UTF8, text); }
std::string Utf8ToAnsi(const char* text) { return WideToAnsi(Utf8ToWide(text).c_str()); }
std::wstring ThreadAnsiToWide(const char* text) { return ToWide(CP_THREAD_ACP, text); }
std::string WideToThreadAnsi(const wchar_t* text) { return ToNarrow(CP_THREAD_ACP, text); }
