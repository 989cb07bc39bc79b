#include "TestFiles.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/Log.h"

namespace testfiles {

namespace {

std::wstring NewTempDirPath() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"vexo-support-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

template <class F>
void ForEachFile(const std::wstring& dir, F visit) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) visit(dir + L"\\" + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

CTempDir::CTempDir() : m_path(NewTempDirPath()) { CreateDirectoryW(m_path.c_str(), nullptr); }

CTempDir::~CTempDir() {
    ForEachFile(m_path, [](const std::wstring& file) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
    });
    RemoveDirectoryW(m_path.c_str());
}

size_t CTempDir::FileCount() const {
    size_t count = 0;
    ForEachFile(m_path, [&count](const std::wstring&) { ++count; });
    return count;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> SplitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

namespace {
CTempDir* g_pGeneralLogDir = nullptr;
}

std::wstring GeneralLogFile() {
    static const std::wstring file = [] {
        g_pGeneralLogDir = new CTempDir;
        // Registered before the logger's own exit-time close, so it runs after it.
        std::atexit([] { delete g_pGeneralLogDir; });
        SetLogBasePath(g_pGeneralLogDir->File(L"support.log"));
        // Opens the general log now: later base path changes of other tests no longer move it.
        const TLogRecord record{3, L"TestFiles.cpp", __LINE__};
        WriteLog(&record, L"test log opened");
        return g_pGeneralLogDir->File(L"support.normal.log");
    }();
    return file;
}

}  // namespace testfiles
