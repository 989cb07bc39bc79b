// The stand-in for the platform client. It records how it was started: each start appends its
// command line (UTF-8) to "launches.txt" beside itself, then it exits.
#include <windows.h>

#include <string>

#include "tools/platform/StandInCommon.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.erase(folder.find_last_of(L'\\') == std::wstring::npos ? 0 : folder.find_last_of(L'\\'));
    standin::AppendLine(folder + L"\\launches.txt", GetCommandLineW());
    return 0;
}
