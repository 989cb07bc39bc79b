#include "app/PackageStamp.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "support/StringUtil.h"
#include "support/UniqueHandle.h"

TPackageStamp ParsePackageStamp(const char* bytes, size_t count) {
    count = std::min(count, kPackageStampSize);
    const size_t length = static_cast<size_t>(std::find(bytes, bytes + count, '\0') - bytes);
    const std::string text(bytes, length);
    TPackageStamp stamp;
    stamp.gameId = text.substr(0, 7);
    if (text.size() > 8) stamp.comefrom = TrimChars(text.substr(8, 9), " ");
    return stamp;
}

TPackageStamp ReadPackageStampFromFile(const wchar_t* path) {
    // The path is opened as UTF-16 so that an installer kept in a folder whose name the ANSI
    // code page cannot spell still finds its own stamp.
    bxutil::CFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    if (SetFilePointer(file.Get(), kPackageStampOffset, nullptr, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER) {
        return {};
    }
    char buffer[kPackageStampSize] = {};
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr)) return {};
    return ParsePackageStamp(buffer, read);
}

TPackageStamp ReadPackageStamp() {
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return {};
    return ReadPackageStampFromFile(path);
}

std::string EffectiveGameId(const std::string& stampedGameId) {
    // The platform's ids run from 1000000: a leading zero is no id (and no JSON number).
    const bool isId = stampedGameId.size() == 7 && stampedGameId[0] != '0' &&
                      std::all_of(stampedGameId.begin(), stampedGameId.end(),
                                  [](char c) { return c >= '0' && c <= '9'; });
    return isId ? stampedGameId : std::string("1000450");
}
