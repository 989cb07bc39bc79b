#pragma once
// Helpers shared by the UI core tests: fixture paths and resetting the process-wide skin state.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/core/WindowManager.h"

namespace ui_test {

// A Linux path as the Windows program sees it under Wine (drive Z: is the root).
inline std::wstring WinePath(const std::string& linuxPath) {
    std::wstring path = L"Z:";
    for (char ch : linuxPath) path += ch == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(ch));
    return path;
}

// The folder the fixture generator wrote (under the build directory), with a trailing "\".
inline std::wstring FixtureDir() {
    const char* binary = std::getenv("VEXO_BINARY_DIR");
    return WinePath(std::string(binary != nullptr ? binary : ".") + "/tests/ui/fixtures/");
}

inline std::wstring Fixture(const wchar_t* name) { return FixtureDir() + name; }

inline std::vector<BYTE> ReadAll(const std::wstring& path) {
    std::vector<BYTE> bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = ::GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (size != 0 && (!::ReadFile(file, bytes.data(), size, &read, nullptr) || read != size)) bytes.clear();
    ::CloseHandle(file);
    return bytes;
}

// Points the skin at the fixture folder (plain files, no archive) for one test and back after.
class CSkinScope {
public:
    CSkinScope() { Reset(); }
    ~CSkinScope() { Reset(); }
    CSkinScope(const CSkinScope&) = delete;
    CSkinScope& operator=(const CSkinScope&) = delete;

    static void Reset() {
        SkinUI::CWindowManagerUI::SetSkinArchive(L"", true);
        SkinUI::CWindowManagerUI::SetSkinPath(FixtureDir().c_str());
    }
};

}  // namespace ui_test
