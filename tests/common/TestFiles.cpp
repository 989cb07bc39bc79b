#include "tests/common/TestFiles.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace testfiles {

namespace fs = std::filesystem;

namespace {

std::wstring NewTempDirPath() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"vexo-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

}  // namespace

CTempDir::CTempDir() : m_path(NewTempDirPath()) { fs::create_directories(fs::path(m_path)); }

CTempDir::~CTempDir() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(m_path), ignored)) {
        // Read-only files would otherwise stay behind.
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(fs::path(m_path), ignored);
}

size_t CTempDir::FileCount() const {
    std::error_code ignored;
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(m_path), ignored)) {
        if (entry.is_regular_file(ignored)) ++count;
    }
    return count;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::wstring EnvText(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

std::wstring WinePath(const std::wstring& linuxPath) {
    std::wstring path = L"Z:" + linuxPath;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring BuildFolder(const std::wstring& relative) {
    const std::wstring binaryDir = EnvText(L"VEXO_BINARY_DIR");
    fs::path folder = binaryDir.empty() ? fs::temp_directory_path() : fs::path(WinePath(binaryDir));
    folder /= relative;
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    std::wstring path = folder.wstring();
    if (path.back() != L'\\') path += L'\\';
    return path;
}

std::vector<std::string> SplitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace testfiles
