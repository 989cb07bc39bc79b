#pragma once
// File helpers of the stand-in client and installer.

#include <windows.h>

#include <string>

#include "support/UniqueHandle.h"

namespace standin {

inline std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(count > 0 ? count : 0, L'\0');
    if (count > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], count);
    return wide;
}

inline std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(count > 0 ? count : 0, '\0');
    if (count > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0], count, nullptr, nullptr);
    return narrow;
}

inline bool WriteBytes(const std::wstring& path, const void* bytes, DWORD size, DWORD disposition) {
    const bxutil::CFileHandle file(CreateFileW(path.c_str(),
                                               disposition == OPEN_ALWAYS ? FILE_APPEND_DATA : GENERIC_WRITE,
                                               FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                               nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
}

inline bool WriteWholeFile(const std::wstring& path, const void* bytes, DWORD size) {
    return WriteBytes(path, bytes, size, CREATE_ALWAYS);
}

// Appends text and a line break, as UTF-8.
inline bool AppendLine(const std::wstring& path, const std::wstring& text) {
    const std::string line = ToUtf8(text) + "\r\n";
    return WriteBytes(path, line.data(), static_cast<DWORD>(line.size()), OPEN_ALWAYS);
}

}  // namespace standin
