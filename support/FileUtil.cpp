#include "support/FileUtil.h"

#include "support/UniqueHandle.h"

bool DeleteFileForcibly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(path.c_str()) != FALSE;
}

bool QueryFileSize(HANDLE file, long long* size) {
    LARGE_INTEGER value = {};
    if (!GetFileSizeEx(file, &value)) return false;
    *size = value.QuadPart;
    return true;
}

bool QueryFileSize(const std::wstring& path, long long* size) {
    bxutil::CFileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && QueryFileSize(file.Get(), size);
}

bool ReplaceFileWith(const std::wstring& target, const std::wstring& source) {
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool WriteFileAtomically(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".new" + std::to_wstring(GetCurrentProcessId());
    bool written = false;
    {
        bxutil::CFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD count = 0;
        written = file &&
                  WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count,
                            nullptr) &&
                  count == bytes.size() && FlushFileBuffers(file.Get());
    }
    if (written && ReplaceFileWith(path, temporary)) return true;
    DeleteFileW(temporary.c_str());
    return false;
}
