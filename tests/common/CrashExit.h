#pragma once
// How a test program ends when an exception nothing handles reaches it: one line naming the
// exception and where it happened, then the process ends at once with the exception's code as
// its exit code. Left to Wine's debugger, a crashed program ends with exit code 0 about as often
// as not, so a crash would pass as success. CrashExit.cpp installs this for every test program.

#include <windows.h>

#include <cstdio>

namespace testcrash {

inline LONG WINAPI ExitWithExceptionCode(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(record.ExceptionAddress), &module);
    wchar_t path[MAX_PATH] = L"?";
    if (module != nullptr) ::GetModuleFileNameW(module, path, MAX_PATH);
    const unsigned long long offset = static_cast<unsigned long long>(
        static_cast<const BYTE*>(record.ExceptionAddress) - reinterpret_cast<const BYTE*>(module));
    std::printf("unhandled exception 0x%08lx at %p (%ls + 0x%llx): the test program stops\n",
                record.ExceptionCode, record.ExceptionAddress, path, offset);
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace testcrash
