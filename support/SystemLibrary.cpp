// System DLLs from System32 only: the process-wide restriction, the loader of named system DLLs
// and the hook through which the delay-load helper loads the delay-imported ones.

#include "support/SystemLibrary.h"

#include <delayimp.h>

#include <string>

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

std::wstring SystemDirectory() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// Whether the process's activation context takes the DLL of this name from the side-by-side
// store (the manifest's Common Controls 6).
bool RedirectedBySideBySide(LPCWSTR name) {
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof(data);
    return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name,
                                      &data) != FALSE;
}

// The delay-load helper asks before it loads a delay-imported DLL: it gets the DLL from
// System32 here, and loads it by name itself only when this fails (a DLL the system lacks).
FARPROC WINAPI LoadDelayImportedDll(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr)
        return nullptr;
    wchar_t name[MAX_PATH] = {};
    if (::MultiByteToWideChar(CP_ACP, 0, info->szDll, -1, name, MAX_PATH) == 0) return nullptr;
    return reinterpret_cast<FARPROC>(LoadSystemLibrary(name));
}

}  // namespace

// The delay-load helper of the C run-time library calls this hook (a name it defines).
PfnDliHook __pfnDliNotifyHook2 = LoadDelayImportedDll;

bool RestrictDllSearchToSystem() {
    const auto setDefaultDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                                                      "SetDefaultDllDirectories")));
    if (setDefaultDirectories != nullptr && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    ::SetDllDirectoryW(L"");
    return false;
}

HMODULE LoadSystemLibrary(LPCWSTR name) {
    if (HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    // Systems that do not know the flag fail it as an invalid parameter.
    if (RedirectedBySideBySide(name)) return ::LoadLibraryExW(name, nullptr, 0);
    const std::wstring folder = SystemDirectory();
    if (folder.empty()) return nullptr;
    const std::wstring path = folder + L'\\' + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
