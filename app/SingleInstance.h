#pragma once
// One installer per game: a second start of the same game brings the running window forward and
// leaves, so that two processes never write the same download.

#include <string>

#include <windows.h>

#include "support/UniqueHandle.h"

// The window property that names the game a main window installs (its id as a number).
constexpr wchar_t kGameWindowProperty[] = L"VexoGameId";

// Claims the game for this process: a named mutex of the session, which the caller holds until the
// process ends. Empty when another process holds the claim already.
bxutil::CKernelHandle ClaimGame(const std::string& gameId);

// Finds the running installer's main window for gameId (class "VexoInstallView" with the
// game's property), restores it when minimised and brings it to the front. Waits up to
// timeoutMs for a window that is still being created; false when none appears.
bool BringRunningInstallerForward(const std::string& gameId, unsigned long timeoutMs);
