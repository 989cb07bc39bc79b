/* A 32-bit program that reads an unmapped address, handles the SIGSEGV through the C library's
 * sigaction() and exits with 0 when the signal frame named a page fault (trapno 14), else with 1.
 * The emulation's set-up runs it under qemu with the trapno library preloaded (and without it, to
 * show what qemu alone reports). Freestanding like the library: no start files, no headers. */
#define SIGSEGV 11
#define SA_SIGINFO 4
enum { UCONTEXT_GREGS = 20 / 4, REG_TRAPNO = 12, REG_EIP = 14 };

struct libc_sigaction {
    void (*handler)(int, void*, void*);
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

extern int sigaction(int, const struct libc_sigaction*, struct libc_sigaction*);
extern long write(int, const void*, unsigned long);
extern void _exit(int) __attribute__((noreturn));

static volatile int seen_trapno = -2;

static void on_segv(int sig, void* info, void* context) {
    int* regs = (int*)context + UCONTEXT_GREGS;
    (void)sig; (void)info;
    seen_trapno = regs[REG_TRAPNO];
    regs[REG_EIP] += 2;  /* past the two-byte load below */
}

static void say(const char* text) {
    unsigned long n = 0;
    while (text[n]) ++n;
    write(1, text, n);
}

static void say_number(int value) {
    char text[16];
    char* p = text + sizeof text - 1;
    unsigned magnitude = value < 0 ? 0u - (unsigned)value : (unsigned)value;
    *p = 0;
    do { *--p = (char)('0' + magnitude % 10); magnitude /= 10; } while (magnitude);
    if (value < 0) *--p = '-';
    say(p);
}

__attribute__((force_align_arg_pointer, noreturn)) void _start(void) {
    struct libc_sigaction act = {0};
    act.handler = on_segv;
    act.flags = SA_SIGINFO;
    sigaction(SIGSEGV, &act, 0);
    /* mov eax, [eax] with eax = 16: two bytes, the handler steps over them. */
    __asm__ volatile(".byte 0x8b, 0x00" : : "a"(16) : "memory");
    say("trapno ");
    say_number(seen_trapno);
    say("\n");
    _exit(seen_trapno == 14 ? 0 : 1);
}
