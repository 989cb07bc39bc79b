#pragma once
// Runs a downloaded installer silently and waits for it.

#include <windows.h>

#include <string>

// Starts `path` hidden, with no console window and no standard handles, on the command line
// "\"<path>\" /qn QR=\"true\"", and blocks until it ends. True when the process was started and
// waited for; then, when exitCode is not null, the process's exit code is stored there
// (otherwise *exitCode is left alone). A missing file gives false without starting anything.
bool ExecuteProcess(const std::wstring& path, DWORD* exitCode);

// The command line ExecuteProcess hands to CreateProcessW for `path`.
std::wstring BuildInstallerCommandLine(const std::wstring& path);
