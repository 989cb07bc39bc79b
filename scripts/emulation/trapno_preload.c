/* Loaded (LD_PRELOAD) into the 32-bit programs that run under user-mode qemu, and only there.
 *
 * qemu writes trapno -1 into the signal frame of every fault it reports. Wine's i386 SIGSEGV
 * handler decides by trapno what happened, and takes -1 for an illegal instruction: a page fault
 * that Wine or the program would handle (a stack guard page, IsBadReadPtr, a vectored handler
 * that fixes the access) then ends the process. This library wraps every SIGSEGV handler the
 * process installs through sigaction() and puts the number the processor would have reported
 * into the frame before the handler reads it: 14 (page fault) for an access to a page that is
 * missing or protected, 13 (general protection) for the rest.
 *
 * Built freestanding (no C library headers or start files: a 32-bit C library for development
 * need not be installed), against the run-time C library only. The 64-bit build is empty: the
 * preload path names $LIB, and 64-bit programs started by emulated ones (the wineserver, a shell)
 * find a library of their own class there and load nothing that changes them. */
#if defined(__i386__)

#define SIGSEGV 11
#define SEGV_MAPERR 1
#define SEGV_ACCERR 2
#define TRAP_GENERAL_PROTECTION 13
#define TRAP_PAGE_FAULT 14
#define SA_SIGINFO 4

/* The C library's struct sigaction on i386: the handler, a 1024-bit mask, flags, restorer. */
struct libc_sigaction {
    void (*handler)(int, void*, void*);
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

/* The fields of siginfo_t and ucontext_t that are read or written, at their i386 offsets. */
enum { SIGINFO_CODE = 8 / 4, UCONTEXT_GREGS = 20 / 4, REG_TRAPNO = 12 };

typedef int (*sigaction_fn)(int, const struct libc_sigaction*, struct libc_sigaction*);

extern void* dlsym(void* handle, const char* name);
#define RTLD_NEXT ((void*)-1L)

static void (*volatile segv_handler)(int, void*, void*);

static sigaction_fn next_sigaction(void) {
    static sigaction_fn next;
    if (!next) next = (sigaction_fn)dlsym(RTLD_NEXT, "sigaction");
    return next;
}

static void fix_trapno(int sig, void* info, void* context) {
    int* regs = (int*)context + UCONTEXT_GREGS;
    unsigned trapno = (unsigned)regs[REG_TRAPNO];
    if (trapno > 31) {  /* not a processor exception number: qemu's -1 */
        int code = ((int*)info)[SIGINFO_CODE];
        regs[REG_TRAPNO] = (code == SEGV_MAPERR || code == SEGV_ACCERR) ? TRAP_PAGE_FAULT
                                                                        : TRAP_GENERAL_PROTECTION;
    }
    segv_handler(sig, info, context);
}

__attribute__((visibility("default")))
int sigaction(int sig, const struct libc_sigaction* act, struct libc_sigaction* old) {
    sigaction_fn next = next_sigaction();
    void (*previous)(int, void*, void*) = segv_handler;
    int result;
    if (!next) return -1;
    if (sig != SIGSEGV) return next(sig, act, old);
    if (act && (act->flags & SA_SIGINFO)) {
        struct libc_sigaction wrapped = *act;
        segv_handler = act->handler;
        wrapped.handler = fix_trapno;
        result = next(sig, &wrapped, old);
    } else {
        result = next(sig, act, old);
    }
    /* The caller sees its own handler, never the wrapper. */
    if (result == 0 && old && old->handler == fix_trapno) old->handler = previous;
    return result;
}

#endif
