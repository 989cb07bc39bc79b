#include "support/FileUtil.h"

#include "support/Win32Handle.h"

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
    bxutil::CKernelHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && QueryFileSize(file.Get(), size);
}
