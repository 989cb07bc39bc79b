#pragma once
// The installer's files in the temporary folder: the game's pictures and the client installer.

#include <string>

// The temporary folder as the system reports it, ending with a backslash (empty on failure).
std::wstring TempFolder();

// Clears the read-only attribute of path, when it has one, so the file can be written or
// deleted. Does nothing when path does not exist.
void ClearReadOnly(const std::wstring& path);
