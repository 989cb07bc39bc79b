// The global timer: firing once or repeatedly, removal by owner and identifier, the unsigned
// elapsed-time rule across the tick counter's wrap, callbacks that change the timer list while
// they fire, UI-side firing, and the removal every web request makes when it goes.

#include <atomic>
#include <new>
#include <thread>

#include "support/GlobalTimer.h"
#include "support/HttpWebRequest.h"
#include "support/UiDispatch.h"
#include "support/UniqueHandle.h"
#include "tests/support/net/net_test_support.h"

using bxutil::CGlobalTimer;
using bxutil::CSharedPtr;
using bxutil::IGlobalTimerCallback;

namespace {

class CCountingCallback : public IGlobalTimerCallback {
public:
    CCountingCallback(uintptr_t owner, UINT id) : m_owner(owner), m_id(id) {}
    void OnTimer() override {
        m_threadId = GetCurrentThreadId();
        ++m_fired;
        if (m_onTimer) m_onTimer();
    }
    uintptr_t Owner() const override { return m_owner; }
    const UINT* Id() const override { return &m_id; }

    std::atomic<int> m_fired{0};
    std::atomic<DWORD> m_threadId{0};
    std::function<void()> m_onTimer;

private:
    uintptr_t m_owner;
    UINT m_id;
};

CSharedPtr<IGlobalTimerCallback> Shared(CCountingCallback* callback) {
    return CSharedPtr<IGlobalTimerCallback>(callback);
}

// Waits up to five seconds for the condition, pumping this thread's messages meanwhile.
template <class F>
bool WaitFor(F condition) {
    for (int i = 0; i < 500 && !condition(); ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    return condition();
}

TEST(GlobalTimer, ServiceStartsOnFirstUseAndWaits) {
    CGlobalTimer& timer = CGlobalTimer::Instance();
    timer.KillTimers(1, nullptr);
    EXPECT_EQ(timer.TimerCount(), 0u);
    EXPECT_TRUE(timer.IsWorkerRunning());
    EXPECT_EQ(&timer, &CGlobalTimer::Instance());
}

TEST(GlobalTimer, OneShotFiresOnceRepeatingUntilKilled) {
    CGlobalTimer timer;
    auto* once = new CCountingCallback(1, 1);
    auto* repeating = new CCountingCallback(1, 2);
    const CSharedPtr<IGlobalTimerCallback> oncePtr = Shared(once);
    const CSharedPtr<IGlobalTimerCallback> repeatingPtr = Shared(repeating);
    timer.SetTimer(oncePtr, 20, false, false);
    timer.SetTimer(repeatingPtr, 10, true, false);

    EXPECT_TRUE(WaitFor([&] { return once->m_fired == 1 && repeating->m_fired >= 3; }));
    EXPECT_TRUE(WaitFor([&] { return timer.TimerCount() == 1; }));  // the one-shot is gone
    EXPECT_EQ(once->m_fired, 1);
    EXPECT_NE(repeating->m_threadId, GetCurrentThreadId());

    timer.KillTimer(repeatingPtr);
    EXPECT_EQ(timer.TimerCount(), 0u);
    const int fired = repeating->m_fired;
    Sleep(100);
    EXPECT_EQ(repeating->m_fired, fired);
}

TEST(GlobalTimer, KillTimersByOwnerAndIdentifier) {
    CGlobalTimer timer(false);
    for (auto [owner, id] : {std::pair<uintptr_t, UINT>{10, 1}, {10, 2}, {20, 1}}) {
        timer.SetTimer(Shared(new CCountingCallback(owner, id)), 1000, true, false);
    }
    const UINT two = 2;
    timer.KillTimers(10, &two);
    EXPECT_EQ(timer.TimerCount(), 2u);
    timer.KillTimers(10, nullptr);
    EXPECT_EQ(timer.TimerCount(), 1u);
    timer.KillTimers(30, nullptr);
    EXPECT_EQ(timer.TimerCount(), 1u);
}

TEST(GlobalTimer, ElapsedTimeSurvivesTheTickWrap) {
    CGlobalTimer timer(false);
    auto* callback = new CCountingCallback(1, 1);
    const CSharedPtr<IGlobalTimerCallback> callbackPtr = Shared(callback);
    timer.SetTimerFrom(callbackPtr, 0x200, true, false, 0xFFFFFF00u);
    timer.ProcessTimers(0xFFFFFFF0u);
    timer.ProcessTimers(0x00000050u);  // 0x150 ms after the start, across the wrap
    EXPECT_EQ(callback->m_fired, 0);
    timer.ProcessTimers(0x00000110u);  // 0x210 ms
    EXPECT_EQ(callback->m_fired, 1);
    timer.ProcessTimers(0x00000200u);
    EXPECT_EQ(callback->m_fired, 1);
    timer.ProcessTimers(0x00000310u);
    EXPECT_EQ(callback->m_fired, 2);
}

TEST(GlobalTimer, CallbackMayRemoveTimersWhileFiring) {
    CGlobalTimer timer(false);
    auto* first = new CCountingCallback(10, 1);
    auto* second = new CCountingCallback(10, 2);
    auto* killer = new CCountingCallback(20, 1);
    killer->m_onTimer = [&timer] { timer.KillTimers(10, nullptr); };
    const CSharedPtr<IGlobalTimerCallback> firstPtr = Shared(first);
    const CSharedPtr<IGlobalTimerCallback> secondPtr = Shared(second);
    timer.SetTimerFrom(firstPtr, 10, true, false, 0);
    timer.SetTimerFrom(secondPtr, 10, true, false, 0);
    const CSharedPtr<IGlobalTimerCallback> killerPtr = Shared(killer);
    timer.SetTimerFrom(killerPtr, 10, false, false, 0);
    timer.ProcessTimers(100);  // the last entry fires first and removes the two below it
    EXPECT_EQ(killer->m_fired, 1);
    EXPECT_EQ(first->m_fired + second->m_fired, 0);
    timer.ProcessTimers(200);
    EXPECT_EQ(timer.TimerCount(), 0u);
}

TEST(GlobalTimer, UiTimersFireOnTheRegisteredThread) {
    CGlobalTimer timer;
    auto* inlineCallback = new CCountingCallback(1, 1);
    const CSharedPtr<IGlobalTimerCallback> inlinePtr = Shared(inlineCallback);
    timer.SetTimer(inlinePtr, 10, false, true);
    ASSERT_TRUE(WaitFor([&] { return inlineCallback->m_fired == 1; }));
    EXPECT_NE(inlineCallback->m_threadId, GetCurrentThreadId());  // no window: the worker's

    const bxutil::CWindowHandle window(CreateUiCallWindow());
    ASSERT_NE(window.Get(), nullptr);
    auto* uiCallback = new CCountingCallback(1, 2);
    const CSharedPtr<IGlobalTimerCallback> uiPtr = Shared(uiCallback);
    timer.SetTimer(uiPtr, 10, false, true);
    EXPECT_TRUE(WaitFor([&] { return uiCallback->m_fired == 1; }));
    EXPECT_EQ(uiCallback->m_threadId, GetCurrentThreadId());
}

TEST(GlobalTimer, NullCallbackIsRefused) {
    CGlobalTimer timer(false);
    EXPECT_EQ(timer.SetTimer(CSharedPtr<IGlobalTimerCallback>(), 10, true, false), 0);
    EXPECT_EQ(timer.TimerCount(), 0u);
    timer.ProcessTimers(GetTickCount() + 100);
    timer.KillTimers(0, nullptr);
    EXPECT_EQ(timer.SetTimer(Shared(new CCountingCallback(1, 1)), 10, true, false), 1);
}

TEST(GlobalTimer, DestroyedServiceLeavesNoLiveCallQueuedOnTheUiSide) {
    // The service lives in memory of its own that is given back right after it is destroyed, so
    // a queued call still reaching for it would fault.
    const bxutil::CWindowHandle window(CreateUiCallWindow());
    ASSERT_NE(window.Get(), nullptr);
    void* memory = VirtualAlloc(nullptr, sizeof(CGlobalTimer), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(memory, nullptr);
    auto* timer = new (memory) CGlobalTimer(false);
    auto* callback = new CCountingCallback(1, 1);
    const CSharedPtr<IGlobalTimerCallback> callbackPtr = Shared(callback);
    timer->SetTimerFrom(callbackPtr, 10, true, true, 0);
    // From another thread than the UI thread, so the firings are posted to the window.
    std::thread([timer] {
        timer->ProcessTimers(100);
        timer->ProcessTimers(200);
    }).join();
    EXPECT_EQ(callback->m_fired, 0) << "queued, not yet run";
    timer->~CGlobalTimer();
    VirtualFree(memory, 0, MEM_RELEASE);

    MSG msg;
    while (PeekMessageW(&msg, window.Get(), 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(callback->m_fired, 0) << "the service was gone: nothing fires";
    EXPECT_EQ(callbackPtr.UseCount(), 1) << "the queued calls are gone and hold nothing";
}

TEST(GlobalTimer, WebRequestRemovesItsTimersWhenDestroyed) {
    CGlobalTimer& timer = CGlobalTimer::Instance();
    auto* request = new CHttpWebRequest(L"http://127.0.0.1/");
    const uintptr_t owner = reinterpret_cast<uintptr_t>(request);
    const size_t before = timer.TimerCount();
    timer.SetTimer(Shared(new CCountingCallback(owner, 1)), 100000, true, false);
    timer.SetTimer(Shared(new CCountingCallback(owner, 2)), 100000, true, false);
    EXPECT_EQ(timer.TimerCount(), before + 2);
    delete request;
    EXPECT_EQ(timer.TimerCount(), before);
}

}  // namespace
