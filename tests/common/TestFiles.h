#pragma once
// File helpers shared by the test programs: private temporary folders, whole-file reads and
// writes, and the paths the test drivers hand over from the Linux side.

#include <string>
#include <vector>

namespace testfiles {

// A new empty folder under the temporary folder, removed with everything in it when the object
// goes.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::wstring& Path() const { return m_path; }  // ends without a backslash
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    std::wstring operator/(const std::wstring& name) const { return File(name); }
    size_t FileCount() const;  // files directly in the folder

private:
    std::wstring m_path;
};

bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);  // empty when the file cannot be read
void WriteBytes(const std::wstring& path, const std::string& bytes);

// The value of an environment variable; empty when it is not set.
std::wstring EnvText(const wchar_t* name);

// A Linux path as a Windows program under Wine sees it (drive Z: is the Linux root).
std::wstring WinePath(const std::wstring& linuxPath);

// A folder under the build directory (VEXO_BINARY_DIR; the temporary folder when that is not
// set), created with every level; the result ends with a backslash.
std::wstring BuildFolder(const std::wstring& relative);

// The text split at "\r\n"; a text ending with "\r\n" gives no empty last line.
std::vector<std::string> SplitCrLfLines(const std::string& text);

}  // namespace testfiles
