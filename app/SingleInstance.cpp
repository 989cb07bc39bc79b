#include "app/SingleInstance.h"

#include "support/UniqueHandle.h"

namespace {

constexpr wchar_t kMainWindowClass[] = L"VexoInstallView";
constexpr DWORD kPollMs = 100;

struct TSearch {
    HANDLE gameId;
    HWND found = nullptr;
};

BOOL CALLBACK MatchGameWindow(HWND window, LPARAM context) {
    TSearch& search = *reinterpret_cast<TSearch*>(context);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (wcscmp(className, kMainWindowClass) != 0 ||
        GetPropW(window, kGameWindowProperty) != search.gameId) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

HANDLE GameIdProperty(const std::string& gameId) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(strtoul(gameId.c_str(), nullptr, 10)));
}

}  // namespace

bxutil::CKernelHandle ClaimGame(const std::string& gameId) {
    const std::wstring name = L"Local\\VexoOfflineInstaller-" + std::wstring(gameId.begin(), gameId.end());
    bxutil::CKernelHandle mutex(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return {};
    return mutex;
}

bool BringRunningInstallerForward(const std::string& gameId, unsigned long timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        TSearch search{GameIdProperty(gameId)};
        EnumWindows(&MatchGameWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
            SetForegroundWindow(search.found);
            return true;
        }
        if (GetTickCount64() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}
