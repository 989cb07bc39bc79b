#pragma once
// Worker threads: a thread object that runs one call object (support/AsyncCall.h) on its own
// thread, plus the small Win32 synchronisation holders the support library shares.

#include <windows.h>

#include <functional>
#include <process.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "support/AsyncCall.h"
#include "support/UniqueHandle.h"

namespace bxutil {

// Holds a critical section entered for one scope.
class CAutoLock {
public:
    explicit CAutoLock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    explicit CAutoLock(CCriticalSection& cs) : CAutoLock(cs.Native()) {}
    ~CAutoLock() { LeaveCriticalSection(&m_cs); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// Thread handle, identifier and suspension state. Managed (1): the object owns and closes the
// handle.
template <int Managed>
class CThreadTemplate {
public:
    HANDLE Handle() const { return m_hThread.Get(); }
    unsigned ThreadId() const { return m_nThreadId; }
    bool IsSuspended() const { return m_bSuspended; }

protected:
    CThreadTemplate() = default;
    ~CThreadTemplate() { CloseThreadHandle(); }
    CThreadTemplate(const CThreadTemplate&) = delete;
    CThreadTemplate& operator=(const CThreadTemplate&) = delete;

    void CloseThreadHandle() {
        if (Managed) {
            m_hThread.Reset();
        } else {
            (void)m_hThread.Release();  // not managed: whoever created the thread closes its handle
        }
        m_nThreadId = 0;
    }

    CKernelHandle m_hThread;
    unsigned m_nThreadId = 0;
    bool m_bSuspended = false;
};

// Stop policy: a flag that long-running thread bodies poll.
class CThreadStopAtBool {
public:
    bool IsStopRequested() const { return m_bStopRequested; }
    void RequestStop() { m_bStopRequested = true; }
    void ClearStopRequest() { m_bStopRequested = false; }

protected:
    CThreadStopAtBool() = default;

private:
    std::atomic<bool> m_bStopRequested{false};
};

// Thread life cycle for TDerived, which provides `void ThreadBody()`. With auto-delete set the
// thread destroys its own TDerived object when the body returns (the object is then owned by the
// thread, not by whoever created it).
template <class TDerived, class TStopPolicy>
class CThreadImpl : public CThreadTemplate<1>, public TStopPolicy {
public:
    // Ends the thread: sets the stop flag, resumes a suspended thread and, unless called on the
    // thread itself, waits for it without a time limit; then releases the handle.
    void Stop() {
        if (!m_hThread) return;
        this->RequestStop();
        if (m_bSuspended && ResumeThread(m_hThread.Get()) != static_cast<DWORD>(-1)) m_bSuspended = false;
        if (m_nThreadId != GetCurrentThreadId()) WaitForSingleObject(m_hThread.Get(), INFINITE);
        CloseThreadHandle();
    }

    void SetAutoDelete(bool autoDelete) { m_bAutoDelete = autoDelete; }
    bool IsAutoDelete() const { return m_bAutoDelete; }
    void SetJoinOnDestroy(bool join) { m_bJoinOnDestroy = join; }
    bool IsJoinOnDestroy() const { return m_bJoinOnDestroy; }

protected:
    CThreadImpl() = default;
    ~CThreadImpl() = default;

    // Creates the thread suspended (default stack size); false when creation fails.
    bool CreateSuspended();
    // Lets a thread made by CreateSuspended run. The object must not be used after a successful
    // resume when auto-delete is set: the thread may already have destroyed it.
    bool Resume();

    bool m_bAutoDelete = false;
    bool m_bJoinOnDestroy = true;

private:
    static unsigned __stdcall ThreadProc(void* param);
};

template <class TDerived, class TStopPolicy>
bool CThreadImpl<TDerived, TStopPolicy>::CreateSuspended() {
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadProc, static_cast<TDerived*>(this),
                                            CREATE_SUSPENDED, &id);
    if (!handle) return false;
    m_hThread.Reset(reinterpret_cast<HANDLE>(handle));
    m_nThreadId = id;
    m_bSuspended = true;
    return true;
}

template <class TDerived, class TStopPolicy>
bool CThreadImpl<TDerived, TStopPolicy>::Resume() {
    // Cleared first: once resumed, an auto-delete thread may destroy this object at any moment.
    m_bSuspended = false;
    if (ResumeThread(m_hThread.Get()) != static_cast<DWORD>(-1)) return true;
    m_bSuspended = true;
    return false;
}

template <class TDerived, class TStopPolicy>
unsigned __stdcall CThreadImpl<TDerived, TStopPolicy>::ThreadProc(void* param) {
    TDerived* self = static_cast<TDerived*>(param);
    self->ThreadBody();
    // Auto-delete: the thread owns its object; Stop, run from the destructor on this thread,
    // does not wait for itself.
    if (self->m_bAutoDelete) delete self;
    return 0;
}

}  // namespace bxutil

// The wake-up event of a worker thread: auto-reset, initially not signalled, unnamed.
class CLibThreadEvent {
public:
    CLibThreadEvent() : m_hEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    HANDLE Event() const { return m_hEvent.Get(); }
    void Signal() const { SetEvent(m_hEvent.Get()); }

private:
    bxutil::CKernelHandle m_hEvent;
};

// A worker thread that runs one call object once. The thread object owns the call.
//
// Two ways of use:
//  - StartCallThread: fire and forget; the thread destroys itself and the call after Run.
//  - Owned (the global timer): construct, Start, and later delete; deleting stops the thread
//    (sets the stop flag and waits for the thread to end) before the call is destroyed, so a
//    long-running body should poll IsStopRequested (and be woken through Event()).
class CLibThread : public bxutil::CThreadImpl<CLibThread, bxutil::CThreadStopAtBool>,
                   public CLibThreadEvent {
public:
    explicit CLibThread(bxutil::IAsyncFuncCall* call);
    virtual ~CLibThread();

    // Win32 priority plus 2: 2 (the default) is normal and leaves the thread's priority alone.
    void SetPriority(int priority) { m_nPriority = priority; }
    int Priority() const { return m_nPriority; }
    const char* Name() const { return m_szName; }

    // Creates the thread, applies the priority and lets it run; false when creation fails (the
    // call then never runs). With auto-delete set the object must not be touched after a
    // successful Start.
    bool Start();

    // The thread procedure's work: names the thread for debuggers, then runs the call; an
    // exception escaping the call is caught and dropped.
    void ThreadBody();

private:
    char m_szName[64];
    std::unique_ptr<bxutil::IAsyncFuncCall> m_pCall;  // owned; destroyed after the thread ends
    int m_nPriority = 2;
};

// Runs call once on a new self-deleting worker thread. The thread owns call from now on and
// destroys it after Run. Returns the thread object, which the caller must not use (it may already
// be gone); null when the thread could not be created, in which case the call has been destroyed
// without running. priority is as for CLibThread::SetPriority.
CLibThread* StartCallThread(bxutil::IAsyncFuncCall* call, int priority = 2);

// How WaitInSlices ended.
enum class ESliceWait { kSignalled, kTimedOut, kStopped };

// Waits for handle up to timeoutMs (INFINITE: no limit; 0: one look) in slices of at most
// sliceMs, for waits that must also notice what signals nothing (a window that ended, a stop
// asked for): before each slice stop is called (when given), and true ends the wait.
ESliceWait WaitInSlices(HANDLE handle, DWORD timeoutMs, DWORD sliceMs,
                        const std::function<bool()>& stop);

// Names the current thread for an attached debugger (the 0x406D1388 convention). Safe without a
// debugger: the exception is swallowed before any frame handler sees it.
void SetCurrentThreadDebugName(const char* name);
