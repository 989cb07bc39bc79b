#pragma once
// File helpers shared by the support library's tests.

#include <string>
#include <vector>

namespace testfiles {

// A new empty folder under the temporary folder, removed with its files when the object goes.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::wstring& Path() const { return m_path; }  // ends without a backslash
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    size_t FileCount() const;

private:
    std::wstring m_path;
};

bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);  // empty when the file cannot be read
void WriteBytes(const std::wstring& path, const std::string& bytes);

// The text split at "\r\n"; a text ending with "\r\n" gives no empty last line.
std::vector<std::string> SplitCrLfLines(const std::string& text);

// The general log's file for the whole test program: the log base path is set once, before
// anything is logged, to a folder of its own, and the log is opened at once (first line
// "test log opened"). The folder is removed at exit.
std::wstring GeneralLogFile();

}  // namespace testfiles
