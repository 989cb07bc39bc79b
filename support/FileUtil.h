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

// Moves source over target (replacing it) in one step; false, both left as they were, on failure.
bool ReplaceFileWith(const std::wstring& target, const std::wstring& source);

// Writes bytes to path through a temporary file beside it that then replaces path in one step:
// a reader finds the old content or the new, never a part. False, path untouched, on failure.
bool WriteFileAtomically(const std::wstring& path, const std::string& bytes);
