#pragma once
// A process-wide timer service: callers register callback objects with an interval, and one
// worker thread fires them, on that thread or through the UI-thread dispatcher.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "support/LibThread.h"
#include "support/SharedPtr.h"

namespace bxutil {

// What a timer fires. Owner() groups the timers of one object (in practice its address); Id()
// points at the timer's identifier within that owner.
class IGlobalTimerCallback {
public:
    virtual ~IGlobalTimerCallback() = default;
    virtual void OnTimer() = 0;
    virtual uintptr_t Owner() const = 0;
    virtual const UINT* Id() const = 0;
};

class IGlobalTimer {
public:
    virtual ~IGlobalTimer() = default;
    // Registers callback to fire every interval milliseconds (repeat) or once; with onUiThread
    // it fires through PostCallToUiThread. Returns 1, or 0 (nothing registered) for a null
    // callback.
    virtual int SetTimer(const CSharedPtr<IGlobalTimerCallback>& callback, DWORD interval,
                         bool repeat, bool onUiThread) = 0;
    // Removes every timer with the same owner and identifier as callback.
    virtual void KillTimer(const CSharedPtr<IGlobalTimerCallback>& callback) = 0;
    // Removes every timer of owner; with id not null only those whose identifier is *id.
    virtual void KillTimers(uintptr_t owner, const UINT* id) = 0;
};

class CGlobalTimer : public IGlobalTimer {
public:
    struct TTimerCallBack {
        virtual ~TTimerCallBack() = default;
        bool repeat = false;
        bool onUiThread = false;
        bool dead = false;
        DWORD interval = static_cast<DWORD>(-1);
        DWORD lastTick = 0;
        CSharedPtr<IGlobalTimerCallback> callback;
    };

    // What the calls handed to the UI thread reach: the lock that guards the timer records and
    // whether the service still exists. Each such call holds it (with its record), so a call
    // still queued when the service is destroyed finds the gate closed and does nothing.
    struct TUiFiring;
    struct TUiGate {
        CCriticalSection lock;
        bool open = true;
        // Runs on the UI thread: fires the record unless the service is gone.
        void Fire(TUiFiring& firing);
    };
    struct TUiFiring {
        CSharedPtr<TUiGate> gate;
        CSharedPtr<TTimerCallBack> record;
    };

    // Starts the worker thread, which then waits until a timer is registered. Without the worker
    // nothing fires unless ProcessTimers is called.
    explicit CGlobalTimer(bool startWorker = true);
    // Stops the worker and waits for it (use Shutdown alone where waiting is not allowed).
    ~CGlobalTimer() override;
    CGlobalTimer(const CGlobalTimer&) = delete;
    CGlobalTimer& operator=(const CGlobalTimer&) = delete;

    // The process-wide service, created (and its thread started) on first use.
    static CGlobalTimer& Instance();

    int SetTimer(const CSharedPtr<IGlobalTimerCallback>& callback, DWORD interval, bool repeat,
                 bool onUiThread) override;
    void KillTimer(const CSharedPtr<IGlobalTimerCallback>& callback) override;
    void KillTimers(uintptr_t owner, const UINT* id) override;
    // SetTimer measuring the first interval from startTick instead of now.
    int SetTimerFrom(const CSharedPtr<IGlobalTimerCallback>& callback, DWORD interval, bool repeat,
                     bool onUiThread, DWORD startTick);

    // Tells the worker to stop and drops every timer, without waiting for the worker; firings
    // still queued for the UI thread do nothing from then on.
    void Shutdown();

    size_t TimerCount();
    bool IsWorkerRunning() const;

    // One pass over the timers at time now (GetTickCount): removes dead entries that are due and
    // fires the live ones that are due. Public so the elapsed-time rule can be driven directly.
    void ProcessTimers(DWORD now);

private:
    void Loop();
    CRITICAL_SECTION& Lock() { return m_uiGate->lock.Native(); }
    static void Fire(TTimerCallBack& record);

    CSharedPtr<TUiGate> m_uiGate;  // shared with the firings queued for the UI thread
    std::vector<CSharedPtr<TTimerCallBack>> m_timers;
    std::unique_ptr<CLibThread> m_pThread;
};

}  // namespace bxutil
