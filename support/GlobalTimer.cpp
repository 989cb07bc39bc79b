#include "support/GlobalTimer.h"

#include "support/AsyncCall.h"
#include "support/UiDispatch.h"

namespace bxutil {
namespace {

bool SameId(const UINT* a, const UINT* b) {
    if (a == nullptr || b == nullptr) return a == b;
    return *a == *b;
}

// Drops the process-wide service's timers when static objects are destroyed at exit. The
// service itself is never destroyed: its worker may still be inside its loop then, so its lock
// and list must stay valid until the process is gone.
class CShutdownAtExit {
public:
    explicit CShutdownAtExit(CGlobalTimer& timer) : m_timer(timer) {}
    ~CShutdownAtExit() { m_timer.Shutdown(); }
    CShutdownAtExit(const CShutdownAtExit&) = delete;
    CShutdownAtExit& operator=(const CShutdownAtExit&) = delete;

private:
    CGlobalTimer& m_timer;
};

}  // namespace

CGlobalTimer::CGlobalTimer(bool startWorker) : m_uiGate(new TUiGate) {
    if (!startWorker) return;
    using LoopCall = CAsyncMemFun0<CGlobalTimer*, void (CGlobalTimer::*)()>;
    // The thread object is owned here (not self-deleting); it owns the loop call.
    m_pThread.reset(new CLibThread(new LoopCall(this, &CGlobalTimer::Loop)));
    if (!m_pThread->Start()) m_pThread.reset();
}

CGlobalTimer::~CGlobalTimer() {
    Shutdown();
    if (!m_pThread) return;
    m_pThread->Signal();  // wakes a worker waiting for its first timer
    m_pThread->Stop();    // waits for the worker to leave its loop, which still reads m_pThread
    m_pThread.reset();
}

CGlobalTimer& CGlobalTimer::Instance() {
    static CGlobalTimer* const instance = new CGlobalTimer(true);
    static const CShutdownAtExit shutdownAtExit(*instance);
    return *instance;
}

int CGlobalTimer::SetTimer(const CSharedPtr<IGlobalTimerCallback>& callback, DWORD interval,
                           bool repeat, bool onUiThread) {
    return SetTimerFrom(callback, interval, repeat, onUiThread, GetTickCount());
}

int CGlobalTimer::SetTimerFrom(const CSharedPtr<IGlobalTimerCallback>& callback, DWORD interval,
                               bool repeat, bool onUiThread, DWORD startTick) {
    // A record without a callback would have nothing to fire, ask or compare.
    if (!callback) return 0;
    CSharedPtr<TTimerCallBack> record(new TTimerCallBack);
    record->repeat = repeat;
    record->onUiThread = onUiThread;
    record->interval = interval;
    record->lastTick = startTick;
    record->callback = callback;
    CAutoLock lock(Lock());
    m_timers.push_back(record);
    if (m_pThread) m_pThread->Signal();
    return 1;
}

void CGlobalTimer::KillTimer(const CSharedPtr<IGlobalTimerCallback>& callback) {
    if (!callback) return;
    CAutoLock lock(Lock());
    for (size_t i = m_timers.size(); i-- > 0;) {
        TTimerCallBack& record = *m_timers[i];
        if (record.callback->Owner() != callback->Owner() ||
            !SameId(record.callback->Id(), callback->Id())) {
            continue;
        }
        record.dead = true;
        m_timers.erase(m_timers.begin() + i);
    }
}

void CGlobalTimer::KillTimers(uintptr_t owner, const UINT* id) {
    CAutoLock lock(Lock());
    for (size_t i = m_timers.size(); i-- > 0;) {
        TTimerCallBack& record = *m_timers[i];
        if (record.callback->Owner() != owner) continue;
        if (id != nullptr && !SameId(record.callback->Id(), id)) continue;
        record.dead = true;
        m_timers.erase(m_timers.begin() + i);
    }
}

void CGlobalTimer::Shutdown() {
    std::vector<CSharedPtr<TTimerCallBack>> dropped;
    {
        CAutoLock lock(Lock());
        if (m_pThread) m_pThread->RequestStop();
        m_uiGate->open = false;
        for (auto& record : m_timers) record->dead = true;
        dropped.swap(m_timers);
    }
    // The callbacks' destructors run outside the lock.
}

size_t CGlobalTimer::TimerCount() {
    CAutoLock lock(Lock());
    return m_timers.size();
}

bool CGlobalTimer::IsWorkerRunning() const {
    return m_pThread && m_pThread->Handle() &&
           WaitForSingleObject(m_pThread->Handle(), 0) == WAIT_TIMEOUT;
}

void CGlobalTimer::Loop() {
    while (!m_pThread->IsStopRequested()) {
        bool empty = false;
        {
            CAutoLock lock(Lock());
            empty = m_timers.empty();
        }
        if (empty) WaitForSingleObject(m_pThread->Event(), INFINITE);
        Sleep(10);
        if (m_pThread->IsStopRequested()) return;
        ProcessTimers(GetTickCount());
    }
}

void CGlobalTimer::ProcessTimers(DWORD now) {
    // The call targets the gate, which it keeps alive itself, never the service: the service
    // may be gone by the time the UI thread runs the call.
    using UiCall = CAsyncMemFun1<TUiGate*, void (TUiGate::*)(TUiFiring&), TUiFiring>;
    CAutoLock lock(Lock());
    for (size_t i = m_timers.size(); i-- > 0;) {
        // A callback may have removed timers below this one while it ran.
        if (i >= m_timers.size()) continue;
        // Held here so the record outlives a callback that kills its own timer.
        const CSharedPtr<TTimerCallBack> record = m_timers[i];
        // Unsigned difference: stays right when GetTickCount wraps past 2^32.
        if (now - record->lastTick < record->interval) continue;
        if (record->dead) {
            m_timers.erase(m_timers.begin() + i);
            continue;
        }
        if (record->repeat) record->lastTick = now;
        if (record->onUiThread) {
            PostCallToUiThread(
                new UiCall(m_uiGate.Get(), &TUiGate::Fire, TUiFiring{m_uiGate, record}), false,
                false);
        } else {
            Fire(*record);
        }
    }
}

void CGlobalTimer::TUiGate::Fire(TUiFiring& firing) {
    CAutoLock guard(lock.Native());  // the worker reads and writes the same record's state
    if (open) CGlobalTimer::Fire(*firing.record);
}

void CGlobalTimer::Fire(TTimerCallBack& record) {
    if (record.dead) return;
    if (!record.repeat) record.dead = true;
    record.callback->OnTimer();
}

}  // namespace bxutil
