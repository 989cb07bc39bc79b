#pragma once
// File helpers shared by the log files and the downloads.

#include <windows.h>

#include <string>

// Deletes the file, clearing its read-only attribute first (a read-only file refuses deletion).
// Returns whether the file was deleted.
bool DeleteFileForcibly(const std::wstring& path);

// The size of an open file; false (size untouched) when it cannot be read.
bool QueryFileSize(HANDLE file, long long* size);

// The size of the file at path, opened for its attributes only; false (size untouched) when it
// cannot be opened or read.
bool QueryFileSize(const std::wstring& path, long long* size);
