#pragma once
// One installer per game: a second start of the same game brings the running window forward and
// leaves, so that two processes never write the same download.
//
// The claim on a game is a named mutex of the session, owned by the thread that claimed it (the
// main thread) until the process ends: an exiting holder releases or abandons it, and a waiting
// start then owns it. A start that finds the claim held but no window of the same program to
// bring forward (the holder is on its way out, sending its usage report after its window closed)
// waits for the holder and then starts itself, rather than leave without a word. A window of the
// same class and property in a process of another program is a decoy and is left alone.

#include <string>

#include <windows.h>

#include "support/UniqueHandle.h"

// The window property that names the game a main window installs (its id as a number).
constexpr wchar_t kGameWindowProperty[] = L"VexoGameId";

// How a start goes on after ClaimGame.
enum class EGameClaim {
    kClaimed,       // this process holds the game: it shows its window
    kShownRunning,  // the running installer's window was brought forward: this start leaves
    kUnclaimed,     // the holder kept the claim past the wait and showed no window: this start
                    // runs all the same (one-writer file access keeps the downloads apart)
};

// Claims the game for the calling thread. When another process holds it, brings that
// installer's window forward if it has one (also one still being made), else waits up to waitMs
// for the holder to let go, looking for its window all the while. claim receives the mutex when
// the result is kClaimed (held until the process ends), else stays empty.
EGameClaim ClaimGame(const std::string& gameId, unsigned long waitMs, bxutil::CKernelHandle& claim);

// The running installer's main window for gameId: class "VexoInstallView" with the game's
// property, shown, in a process that runs the same program as this one. Null when there is none.
HWND FindRunningInstaller(const std::string& gameId);

// Whether the process runs the same program as this one: its executable is this process's own
// file, or a file with the same bytes (a player who downloaded the installer twice runs
// "VexoInstall (1).exe" beside "VexoInstall.exe": one program, one game). Another build, another
// stamp or any other program is not the same.
bool RunsSameProgram(DWORD processId);
