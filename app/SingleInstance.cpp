#include "app/SingleInstance.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/Log.h"
#include "support/UniqueHandle.h"

namespace {

constexpr wchar_t kMainWindowClass[] = L"VexoInstallView";
// How often a waiting start looks for the holder's window between waits on the claim.
constexpr DWORD kPollMs = 100;
constexpr DWORD kCompareChunk = 64 * 1024;

struct TSearch {
    HANDLE gameId;
    HWND found = nullptr;
};

BOOL CALLBACK MatchGameWindow(HWND window, LPARAM context) {
    TSearch& search = *reinterpret_cast<TSearch*>(context);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (wcscmp(className, kMainWindowClass) != 0 || GetPropW(window, kGameWindowProperty) != search.gameId ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (!RunsSameProgram(processId)) return TRUE;
    search.found = window;
    return FALSE;
}

HANDLE GameIdProperty(const std::string& gameId) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(strtoul(gameId.c_str(), nullptr, 10)));
}

std::wstring OwnExecutable() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring ProcessExecutable(DWORD processId) {
    const bxutil::CKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::vector<wchar_t> path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &length)) return {};
    return std::wstring(path.data(), length);
}

bxutil::CFileHandle OpenForReading(const std::wstring& path) {
    return bxutil::CFileHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadChunk(HANDLE file, std::vector<char>& buffer, DWORD* read) {
    return ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), read, nullptr) != FALSE;
}

// Whether the two files hold the same bytes. The work is bounded by our own executable's size:
// a file of another size is told apart before anything is read.
bool SameBytes(const std::wstring& ours, const std::wstring& theirs) {
    const bxutil::CFileHandle a = OpenForReading(ours);
    const bxutil::CFileHandle b = OpenForReading(theirs);
    LARGE_INTEGER sizeA{}, sizeB{};
    if (!a || !b || !GetFileSizeEx(a.Get(), &sizeA) || !GetFileSizeEx(b.Get(), &sizeB) ||
        sizeA.QuadPart != sizeB.QuadPart) {
        return false;
    }
    std::vector<char> chunkA(kCompareChunk), chunkB(kCompareChunk);
    for (long long left = sizeA.QuadPart; left > 0;) {
        DWORD readA = 0, readB = 0;
        if (!ReadChunk(a.Get(), chunkA, &readA) || !ReadChunk(b.Get(), chunkB, &readB) || readA != readB ||
            readA == 0 || memcmp(chunkA.data(), chunkB.data(), readA) != 0) {
            return false;
        }
        left -= readA;
    }
    return true;
}

void LogStartedUnclaimed() {
    const TLogRecord record = {1, L"SingleInstance.cpp", __LINE__};
    WriteLog(&record, L"another process held this game's claim past the wait and showed no window: starting all the same");
}

// Owns the claim once its holder lets it go (released, or abandoned by an exiting process);
// meanwhile brings the holder's window forward as soon as one shows.
EGameClaim WaitForHolder(const std::string& gameId, unsigned long waitMs, bxutil::CKernelHandle& held) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (HWND window = FindRunningInstaller(gameId)) {
            if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
            return EGameClaim::kShownRunning;
        }
        // At least one look at the claim, also with no time to wait: a holder may be gone.
        const ULONGLONG waited = GetTickCount64() - start;
        const DWORD slice = waited >= waitMs ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, waitMs - waited));
        const DWORD end = WaitForSingleObject(held.Get(), slice);
        if (end == WAIT_OBJECT_0 || end == WAIT_ABANDONED) return EGameClaim::kClaimed;
        if (waited >= waitMs) break;
    }
    LogStartedUnclaimed();
    held.Reset();
    return EGameClaim::kUnclaimed;
}

}  // namespace

EGameClaim ClaimGame(const std::string& gameId, unsigned long waitMs, bxutil::CKernelHandle& claim) {
    claim.Reset();
    const std::wstring name = L"Local\\VexoOfflineInstaller-" + std::wstring(gameId.begin(), gameId.end());
    // Owned from creation; an existing mutex is opened without ownership, to be waited for. A
    // name taken by an object of another kind gives no handle and nothing to wait for: only a
    // window is looked for.
    bxutil::CKernelHandle mutex(CreateMutexW(nullptr, TRUE, name.c_str()));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex && !existed) {
        claim = std::move(mutex);
        return EGameClaim::kClaimed;
    }
    const EGameClaim result = WaitForHolder(gameId, mutex ? waitMs : 0, mutex);
    if (result == EGameClaim::kClaimed) claim = std::move(mutex);
    return result;
}

HWND FindRunningInstaller(const std::string& gameId) {
    TSearch search{GameIdProperty(gameId)};
    EnumWindows(&MatchGameWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool RunsSameProgram(DWORD processId) {
    const std::wstring ours = OwnExecutable();
    const std::wstring theirs = ProcessExecutable(processId);
    if (ours.empty() || theirs.empty()) return false;
    return _wcsicmp(ours.c_str(), theirs.c_str()) == 0 || SameBytes(ours, theirs);
}
