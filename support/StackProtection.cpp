// The stack protection's guard value and failure routine for the project's programs
// (-fstack-protector-strong, cmake/ProjectOptions.cmake).
//
// GCC's libssp has both too, but seeds its guard in a constructor through CryptAcquireContext,
// which loads the system's cryptographic provider and its DLLs before the program's first line
// could restrict where DLLs come from (support/SystemLibrary.h). The guard here is seeded as
// Microsoft's compiler seeds its own stack cookie: from clocks and process values read through
// kernel32, which loads nothing. Every program that links the support library takes these
// definitions; libssp stays the fallback of code linked without it.

#include <windows.h>

#include <cstdint>

extern "C" {

// Read by every protected function's prologue and epilogue.
uintptr_t __stack_chk_guard = 0;

// Called by a protected function whose guard copy was overwritten: the stack can no longer be
// trusted, so the process ends at once, with the status Windows uses for this.
[[noreturn]] void __stack_chk_fail() {
    ::OutputDebugStringA("Vexo: stack buffer overrun detected, ending the process\n");
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    __builtin_trap();
}

}  // extern "C"

namespace {

// Before every other constructor (priority 101) and before any protected function has a frame
// on the stack; not protected itself, since it changes the value its own epilogue would check.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
    FILETIME time = {};
    ::GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter = {};
    ::QueryPerformanceCounter(&counter);
    uint64_t seed = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    seed ^= static_cast<uint64_t>(counter.QuadPart);
    seed ^= static_cast<uint64_t>(::GetCurrentProcessId()) << 32;
    seed ^= ::GetCurrentThreadId();
    seed ^= ::GetTickCount64() << 16;
    seed ^= reinterpret_cast<uintptr_t>(&time);  // the stack's random base
    // Folded to the pointer's width; the lowest byte (the first in memory) is zero, so that a
    // string overrun cannot copy past the guard nor a string read show it.
    const uintptr_t guard = static_cast<uintptr_t>(seed ^ (seed >> 32)) & ~uintptr_t{0xFF};
    __stack_chk_guard = guard != 0 ? guard : uintptr_t{0x2F6E1C00};
}

}  // namespace
