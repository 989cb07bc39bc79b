// The faults a Windows program survives only when the system reports them faithfully, run in the
// shipped build's code and toolchain: the exception that names a thread (raised by every worker
// the installer starts and swallowed by its own vectored handler), access violations handled by
// IsBadReadPtr and IsBadWritePtr, one that a vectored handler repairs and resumes after, and a
// deep stack that grows through its guard pages. Under user-mode emulation each of them depends
// on the signal frame qemu hands to Wine (scripts/emulation/trapno_preload.c). Prints one line a
// case and exits with the number of failures; a process that dies on one never gets that far.
#include <windows.h>

#include <cstdio>

#include "support/LibThread.h"

namespace {

void* g_blockedPage = nullptr;

// Repairs the access the probe makes to its no-access page, so that the faulting read runs again.
LONG CALLBACK OpenBlockedPage(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    DWORD old = 0;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2 &&
        reinterpret_cast<void*>(record.ExceptionInformation[1]) == g_blockedPage &&
        VirtualProtect(g_blockedPage, 1, PAGE_READWRITE, &old))
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

bool VectoredHandlerResumes() {
    g_blockedPage = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    if (!g_blockedPage) return false;
    PVOID handler = AddVectoredExceptionHandler(1, &OpenBlockedPage);
    const int value = *static_cast<volatile int*>(g_blockedPage);  // faults once
    RemoveVectoredExceptionHandler(handler);
    VirtualFree(g_blockedPage, 0, MEM_RELEASE);
    return value == 0;
}

bool BadPointersAreTold() {
    void* readOnly = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READONLY);
    const bool told = IsBadReadPtr(reinterpret_cast<void*>(16), 4) &&
                      readOnly && !IsBadReadPtr(readOnly, 4) && IsBadWritePtr(readOnly, 4);
    if (readOnly) VirtualFree(readOnly, 0, MEM_RELEASE);
    return told;
}

bool ThreadIsNamed() {
    SetCurrentThreadDebugName("fault_probe");
    return true;  // the naming exception was handled, or the process is gone
}

// Frames of 4 KiB, 200 deep: the stack grows one guard page at a time.
int Descend(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    frame[sizeof frame - 1] = frame[0];
    return depth == 0 ? 0 : Descend(depth - 1) + (frame[sizeof frame - 1] == static_cast<char>(depth));
}

bool StackGrows() { return Descend(200) == 200; }

}  // namespace

int main() {
    const struct {
        const char* name;
        bool (*run)();
    } cases[] = {
        {"the thread-naming exception is handled", &ThreadIsNamed},
        {"IsBadReadPtr and IsBadWritePtr tell bad pointers", &BadPointersAreTold},
        {"a vectored handler resumes after an access violation", &VectoredHandlerResumes},
        {"the stack grows through its guard pages", &StackGrows},
    };
    int failures = 0;
    for (const auto& c : cases) {
        const bool ok = c.run();
        failures += ok ? 0 : 1;
        std::printf("%s %s\n", ok ? "ok    " : "FAILED", c.name);
        std::fflush(stdout);
    }
    return failures;
}
