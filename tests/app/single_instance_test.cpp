// One installer per game: the claim on a game, waiting for a holder on its way out, and finding
// the window that holds it, only in a process of the same program.
//
// The claim belongs to a thread (a mutex), so the holders are other processes: this test program
// started again with a part to play (VEXO_SINGLE_INSTANCE_CHILD), or a copy of it. A copy with
// the same bytes is the same program; a copy with one byte of its DOS stub changed is another
// program (a decoy) that still runs.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "app/SingleInstance.h"
#include "support/UniqueHandle.h"
#include "tests/common/TestFiles.h"

namespace {

const wchar_t kRoleVariable[] = L"VEXO_SINGLE_INSTANCE_CHILD";
const wchar_t kReadyVariable[] = L"VEXO_SINGLE_INSTANCE_READY";
const wchar_t kMainWindowClass[] = L"VexoInstallView";
constexpr DWORD kChildLifeMs = 60000;

std::wstring OwnPath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

HWND MakeGameWindow(const std::string& gameId, int show) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, kMainWindowClass, L"CSkinFrameWnd", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    SetPropW(window, kGameWindowProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::stoul(gameId))));
    ShowWindow(window, show);
    return window;
}

// ---- the child's parts ----
// "release GAME MS": claims the game, holds it MS milliseconds, releases it and lives on.
// "exit GAME MS": claims the game, holds it MS milliseconds and exits without releasing it.
// "window GAME": claims the game and shows a minimised main window of it.
// Each signals the event named by VEXO_SINGLE_INSTANCE_READY once its part is set up.
[[noreturn]] void RunChild(const std::wstring& role) {
    wchar_t part[16] = {};
    wchar_t game[16] = {};
    unsigned long holdMs = 0;
    swscanf(role.c_str(), L"%15ls %15ls %lu", part, game, &holdMs);
    const std::string gameId(game, game + wcslen(game));
    bxutil::CKernelHandle claim;
    if (ClaimGame(gameId, 0, claim) != EGameClaim::kClaimed) ExitProcess(2);
    if (wcscmp(part, L"window") == 0) MakeGameWindow(gameId, SW_SHOWMINNOACTIVE);
    const bxutil::CKernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, testfiles::EnvText(kReadyVariable).c_str()));
    SetEvent(ready.Get());
    const ULONGLONG start = GetTickCount64();
    MSG msg;
    while (GetTickCount64() - start < kChildLifeMs) {
        if (holdMs != 0 && GetTickCount64() - start >= holdMs) {
            if (wcscmp(part, L"exit") == 0) ExitProcess(0);
            ReleaseMutex(claim.Get());
            holdMs = 0;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    ExitProcess(0);
}

const bool g_isChild = [] {
    const std::wstring role = testfiles::EnvText(kRoleVariable);
    if (!role.empty()) RunChild(role);
    return false;
}();

// A child process playing a part, ended when the object goes.
class CChild {
public:
    CChild(const std::wstring& exe, const std::wstring& role) {
        const std::wstring readyName = L"Local\\VexoSingleInstanceTest-" + std::to_wstring(GetCurrentProcessId()) +
                                       L"-" + std::to_wstring(++s_count);
        const bxutil::CKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        SetEnvironmentVariableW(kRoleVariable, role.c_str());
        SetEnvironmentVariableW(kReadyVariable, readyName.c_str());
        std::wstring commandLine = L"\"" + exe + L"\" --gtest_filter=-*";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                            &startup, &info);
        SetEnvironmentVariableW(kRoleVariable, nullptr);
        SetEnvironmentVariableW(kReadyVariable, nullptr);
        if (!started) return;
        m_process.Reset(info.hProcess);
        CloseHandle(info.hThread);
        m_id = info.dwProcessId;
        const HANDLE waits[] = {ready.Get(), m_process.Get()};
        m_ready = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
    ~CChild() {
        if (m_process) {
            TerminateProcess(m_process.Get(), 0);
            WaitForSingleObject(m_process.Get(), 10000);
        }
    }
    bool Ready() const { return m_ready; }
    DWORD Id() const { return m_id; }

private:
    static inline int s_count = 0;
    bxutil::CKernelHandle m_process;
    DWORD m_id = 0;
    bool m_ready = false;
};

// Copies of this program: one with the same bytes, one with a byte of its DOS stub changed.
class CProgramCopies {
public:
    CProgramCopies() {
        const std::string bytes = testfiles::ReadBytes(OwnPath());
        testfiles::WriteBytes(Same(), bytes);
        std::string decoy = bytes;
        decoy.at(0x4E) ^= 0x20;  // "This program cannot be run in DOS mode." reads "this ..."
        testfiles::WriteBytes(Decoy(), decoy);
    }
    std::wstring Same() const { return m_dir.File(L"VexoInstall (1).exe"); }
    std::wstring Decoy() const { return m_dir.File(L"decoy.exe"); }

private:
    testfiles::CTempDir m_dir;
};

ULONGLONG MillisecondsSince(ULONGLONG start) { return GetTickCount64() - start; }

struct TWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<TWindowSearch*>(context);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || wcscmp(className, kMainWindowClass) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

// The main window a process shows (other programs on the display may show one of their own).
HWND MainWindowOf(DWORD processId) {
    TWindowSearch search{processId, nullptr};
    EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Whether another thread finds the claim held (a mutex is its owner's to take again).
bool HeldForOtherThreads(HANDLE claim) {
    DWORD end = WAIT_FAILED;
    std::thread([&] {
        end = WaitForSingleObject(claim, 0);
        if (end == WAIT_OBJECT_0 || end == WAIT_ABANDONED) ReleaseMutex(claim);
    }).join();
    return end == WAIT_TIMEOUT;
}

// A holder that lets go, by releasing the claim or by ending, is waited for: the waiting start
// then holds the game itself.
TEST(SingleInstance, AStartWaitsForAHolderThatLetsGo) {
    for (const wchar_t* part : {L"release", L"exit"}) {
        SCOPED_TRACE(testing::Message() << part);
        CChild holder(OwnPath(), std::wstring(part) + L" 7654321 1500");
        ASSERT_TRUE(holder.Ready());
        const ULONGLONG start = GetTickCount64();
        bxutil::CKernelHandle claim;
        EXPECT_EQ(ClaimGame("7654321", 20000, claim), EGameClaim::kClaimed);
        EXPECT_GE(MillisecondsSince(start), 1000u) << "the holder's moment was waited for";
        EXPECT_LT(MillisecondsSince(start), 15000u);
        ASSERT_NE(claim.Get(), nullptr);
        EXPECT_TRUE(HeldForOtherThreads(claim.Get()));
        ReleaseMutex(claim.Get());
    }
}

// A holder that keeps the claim and shows no window is waited for only so long; the start then
// runs without the claim. Another game is another claim.
TEST(SingleInstance, AHolderThatStaysIsWaitedForOnlySoLong) {
    CChild holder(OwnPath(), L"release 7654321 600000");
    ASSERT_TRUE(holder.Ready());
    const ULONGLONG start = GetTickCount64();
    bxutil::CKernelHandle claim;
    EXPECT_EQ(ClaimGame("7654321", 1500, claim), EGameClaim::kUnclaimed);
    EXPECT_GE(MillisecondsSince(start), 1400u);
    EXPECT_LT(MillisecondsSince(start), 10000u);
    EXPECT_EQ(claim.Get(), nullptr);
    bxutil::CKernelHandle other;
    EXPECT_EQ(ClaimGame("7654322", 1500, other), EGameClaim::kClaimed) << "another game is another claim";
    ReleaseMutex(other.Get());
}

// The holder's window is brought forward (restored from minimised) when its process runs this
// program, from this file or from a copy with the same bytes; a decoy's window of the same class
// and property in another program is left alone, and the start waits for the claim instead.
TEST(SingleInstance, OnlyAWindowOfTheSameProgramIsBroughtForward) {
    const CProgramCopies copies;
    const struct {
        const char* what;
        std::wstring exe;
        bool same;
    } cases[] = {
        {"this program", OwnPath(), true},
        {"a copy with the same bytes", copies.Same(), true},
        {"a decoy", copies.Decoy(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CChild holder(c.exe, L"window 7654321");
        ASSERT_TRUE(holder.Ready());
        EXPECT_EQ(RunsSameProgram(holder.Id()), c.same);
        HWND window = MainWindowOf(holder.Id());
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(IsIconic(window));
        bxutil::CKernelHandle claim;
        EXPECT_EQ(ClaimGame("7654321", 1000, claim), c.same ? EGameClaim::kShownRunning : EGameClaim::kUnclaimed);
        EXPECT_EQ(IsIconic(window) != FALSE, !c.same) << "restored only when it is the same program's";
        EXPECT_EQ(claim.Get(), nullptr);
    }
}

TEST(SingleInstance, TheRunningWindowIsFoundByClassGameAndVisibility) {
    const bxutil::CWindowHandle window(MakeGameWindow("7654321", SW_HIDE));
    ASSERT_NE(window.Get(), nullptr);
    EXPECT_EQ(FindRunningInstaller("7654321"), nullptr) << "a hidden window is one on its way out";
    ShowWindow(window.Get(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(FindRunningInstaller("7654322"), nullptr) << "another game's window is left alone";
    EXPECT_EQ(FindRunningInstaller("7654321"), window.Get());
    EXPECT_TRUE(RunsSameProgram(GetCurrentProcessId()));
    EXPECT_FALSE(RunsSameProgram(0));
    RemovePropW(window.Get(), kGameWindowProperty);
}

}  // namespace
