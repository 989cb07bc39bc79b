#include "support/LibThread.h"

#include <cstring>

namespace {

// The exception debuggers read a thread name from.
constexpr DWORD kSetThreadNameException = 0x406D1388;

// Set while this thread raises the naming exception, so the handler below swallows only ours.
thread_local bool t_bNamingThread = false;

// Vectored handlers run before any frame-based handler, which mingw code cannot install for
// itself; this one resumes execution after our own naming exception and passes everything else on.
LONG CALLBACK SwallowThreadNameException(EXCEPTION_POINTERS* info) {
    if (t_bNamingThread && info->ExceptionRecord->ExceptionCode == kSetThreadNameException)
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

// Installed once for the process and never removed (other threads may be naming themselves).
void InstallThreadNameHandler() {
    static const PVOID handler = AddVectoredExceptionHandler(1, &SwallowThreadNameException);
    (void)handler;
}

}  // namespace

void SetCurrentThreadDebugName(const char* name) {
    InstallThreadNameHandler();
    const ULONG_PTR info[4] = {0x1000, reinterpret_cast<ULONG_PTR>(name), static_cast<ULONG_PTR>(-1), 0};
    t_bNamingThread = true;
    RaiseException(kSetThreadNameException, 0, 4, info);
    t_bNamingThread = false;
}

CLibThread::CLibThread(bxutil::IAsyncFuncCall* call) : m_szName{}, m_pCall(call) {
    strncpy(m_szName, "LibThread", sizeof m_szName - 1);
}

CLibThread::~CLibThread() {
    // The thread is stopped before the call goes: an owner deleting this object from another
    // thread must not pull the call or the event away from a body that is still running.
    if (m_bJoinOnDestroy) Stop();
    m_pCall.reset();
}

bool CLibThread::Start() {
    if (!CreateSuspended()) return false;
    if (m_nPriority != 2) SetThreadPriority(m_hThread.Get(), m_nPriority - 2);
    if (Resume()) return true;
    // The thread never ran any code, so it can be discarded; the object stays with the caller.
    TerminateThread(m_hThread.Get(), 0);
    WaitForSingleObject(m_hThread.Get(), INFINITE);
    CloseThreadHandle();
    m_bSuspended = false;
    return false;
}

void CLibThread::ThreadBody() {
    SetCurrentThreadDebugName(m_szName);
    if (!m_pCall) return;
    try {
        m_pCall->Run();
    } catch (...) {
        // A failing call must not end the process; the thread still cleans up.
    }
}

CLibThread* StartCallThread(bxutil::IAsyncFuncCall* call, int priority) {
    auto thread = std::make_unique<CLibThread>(call);
    thread->SetAutoDelete(true);
    thread->ClearStopRequest();
    thread->SetPriority(priority);
    // Started, the thread owns the object, its thread handle and the call: it deletes them itself.
    if (thread->Start()) return thread.release();
    // The thread never ran, so nobody else owns the object: it goes here, and the call with it.
    return nullptr;
}

ESliceWait WaitInSlices(HANDLE handle, DWORD timeoutMs, DWORD sliceMs,
                        const std::function<bool()>& stop) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (stop && stop()) return ESliceWait::kStopped;
        const ULONGLONG elapsed = GetTickCount64() - start;
        const ULONGLONG left = timeoutMs == INFINITE ? sliceMs
                               : elapsed >= timeoutMs ? 0
                                                      : timeoutMs - elapsed;
        const DWORD slice = static_cast<DWORD>(left < sliceMs ? left : sliceMs);
        if (WaitForSingleObject(handle, slice) == WAIT_OBJECT_0) return ESliceWait::kSignalled;
        if (timeoutMs != INFINITE && GetTickCount64() - start >= timeoutMs) {
            return ESliceWait::kTimedOut;
        }
    }
}
