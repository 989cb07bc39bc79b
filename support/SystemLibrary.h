#pragma once
// Where the programs take system DLLs from: the system directory, never the executable's folder
// or the current directory, where anyone who can drop a file beside a downloaded installer could
// put a DLL of a system DLL's name.
//
// The installer and the gallery call RestrictDllSearchToSystem first thing. Their imports of
// DLLs that are not KnownDLLs are delay-loaded (cmake/DelayImports.cmake), so those load on
// first use, after the restriction, and go through LoadSystemLibrary as every DLL the code
// loads itself does.

#include <windows.h>

// Makes System32 the only folder the process searches for DLLs named without a path
// (SetDefaultDllDirectories, looked up at run time). Where the system lacks that function
// (Windows 7 without update KB2533623) it takes the current directory out of the search
// (SetDllDirectoryW with an empty text) and returns false: the executable's folder then stays in
// the plain search, which LoadSystemLibrary never uses.
bool RestrictDllSearchToSystem();

// Loads the system DLL `name` (a file name, no path) from System32 only: with
// LOAD_LIBRARY_SEARCH_SYSTEM32, else, where the system does not know that flag, by its full path
// in the system directory. A name the process's activation context redirects (the Common
// Controls 6 of the manifest) is loaded by name: the loader then takes it from the side-by-side
// store without searching. Null when the DLL is not there.
HMODULE LoadSystemLibrary(LPCWSTR name);
