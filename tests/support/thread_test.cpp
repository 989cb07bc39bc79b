// Call objects, CAny, CSharedPtr and worker threads.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/AsyncCall.h"
#include "support/LibThread.h"
#include "support/SharedPtr.h"
#include "support/UniqueHandle.h"

using bxutil::CAny;
using bxutil::CSharedPtr;
using bxutil::IAsyncFuncCall;

namespace {

// A manual-reset event owned by the test.
class CEvent {
public:
    CEvent() : m_h(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    void Set() { SetEvent(m_h.Get()); }
    bool WaitFor(DWORD ms) { return WaitForSingleObject(m_h.Get(), ms) == WAIT_OBJECT_0; }

private:
    bxutil::CKernelHandle m_h;
};

// A call object that records where and how it ran and signals its own destruction.
class CProbeCall : public IAsyncFuncCall {
public:
    struct TReport {
        std::atomic<DWORD> runThread{0};
        std::atomic<int> runPriority{-100};
        std::atomic<int> runs{0};
        std::atomic<bool> ranBeforeDestroyed{false};
        CEvent destroyed;
    };

    explicit CProbeCall(TReport& report, bool throwInRun = false) : m_report(report), m_bThrow(throwInRun) {}
    ~CProbeCall() override {
        m_report.ranBeforeDestroyed = m_report.runs > 0;
        m_report.destroyed.Set();
    }
    void Run() override {
        m_report.runThread = GetCurrentThreadId();
        m_report.runPriority = GetThreadPriority(GetCurrentThread());
        ++m_report.runs;
        if (m_bThrow) throw std::runtime_error("failing call");
    }
    void* Target() const override { return nullptr; }
    const void* Function() const override { return nullptr; }

private:
    TReport& m_report;
    bool m_bThrow;
};

struct CTarget {
    int calls = 0;
    std::vector<int> seen;
    void Touch() { ++calls; }
    int TouchWithResult() { return ++calls; }
    // Sees and changes the call object's stored argument.
    void Bump(int& value) { seen.push_back(value++); }
    int Read(const int& value) { seen.push_back(value); return value; }
};

constexpr DWORD kWaitMs = 10000;

}  // namespace

// ---- call objects ----------------------------------------------------------------------------

TEST(AsyncCall, MemFun0RunsItsTargetAndIgnoresANullOne) {
    CTarget target;
    auto* call = bxutil::NewAsyncCall(&target, &CTarget::Touch);
    call->Run();
    call->Run();
    EXPECT_EQ(target.calls, 2);
    EXPECT_EQ(call->Target(), &target);
    using Fn = void (CTarget::*)();
    EXPECT_EQ(*static_cast<const Fn*>(call->Function()), &CTarget::Touch);
    EXPECT_TRUE(call->Arguments().Empty());
    delete call;

    bxutil::CAsyncMemFun0<CTarget*, int (CTarget::*)()> nullTarget(nullptr, &CTarget::TouchWithResult);
    nullTarget.Run();  // nothing happens
    EXPECT_EQ(nullTarget.Target(), nullptr);
}

TEST(AsyncCall, MemFun1PassesItsOwnStoredArgumentEachRun) {
    CTarget target;
    bxutil::CAsyncMemFun1<CTarget*, void (CTarget::*)(int&), int> call(&target, &CTarget::Bump, 5);
    call.Run();
    call.Run();
    EXPECT_EQ(target.seen, (std::vector<int>{5, 6}));
    const CAny args = call.Arguments();
    ASSERT_NE(args.Cast<bxutil::tuple1<int>>(), nullptr);
    EXPECT_EQ(args.Cast<bxutil::tuple1<int>>()->m_value, 7);

    bxutil::CAsyncMemFun1<CTarget*, int (CTarget::*)(const int&), int> byConstRef(&target, &CTarget::Read, 42);
    byConstRef.Run();
    EXPECT_EQ(target.seen.back(), 42);
    bxutil::CAsyncMemFun1<CTarget*, int (CTarget::*)(const int&), int> nullTarget(nullptr, &CTarget::Read, 1);
    nullTarget.Run();  // a null target is ignored rather than dereferenced
}

TEST(AsyncCall, AnyOwnsIndependentCopies) {
    CAny empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.Type(), typeid(void));
    EXPECT_EQ(empty.Cast<int>(), nullptr);

    CAny a(bxutil::tuple1<int>{1});
    CAny b = a;
    b.Cast<bxutil::tuple1<int>>()->m_value = 2;
    EXPECT_EQ(a.Cast<bxutil::tuple1<int>>()->m_value, 1);
    EXPECT_EQ(b.Type(), typeid(bxutil::tuple1<int>));
    EXPECT_EQ(b.Cast<int>(), nullptr);  // only the exact type
    CAny moved = std::move(b);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(moved.Cast<bxutil::tuple1<int>>()->m_value, 2);
    a = moved;
    EXPECT_EQ(a.Cast<bxutil::tuple1<int>>()->m_value, 2);
}

// ---- CSharedPtr ------------------------------------------------------------------------------

namespace {

struct CCountedBase {
    virtual ~CCountedBase() = default;
};
struct CCounted : CCountedBase {
    explicit CCounted(std::atomic<int>& destroyed) : m_destroyed(destroyed) {}
    ~CCounted() override { ++m_destroyed; }
    std::atomic<int>& m_destroyed;
};

}  // namespace

TEST(SharedPtr, LastReleaseDestroysOnceThroughTheVirtualDestructor) {
    std::atomic<int> destroyed{0};
    CSharedPtr<CCountedBase> first(new CCounted(destroyed));
    {
        CSharedPtr<CCountedBase> second = first;
        CSharedPtr<CCountedBase> third;
        third = second;
        EXPECT_EQ(first.UseCount(), 3);
        EXPECT_EQ(third.Get(), first.Get());
        CSharedPtr<CCountedBase> moved = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(first.UseCount(), 3);
    }
    EXPECT_EQ(first.UseCount(), 1);
    EXPECT_EQ(destroyed, 0);
    first = first;  // self-assignment keeps the object
    EXPECT_EQ(destroyed, 0);
    first.Reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(first);
    EXPECT_EQ(first.UseCount(), 0);

    CSharedPtr<CCountedBase> fromNull(nullptr);
    EXPECT_FALSE(fromNull);
    EXPECT_EQ(fromNull.UseCount(), 0);
}

TEST(SharedPtr, ConcurrentCopiesKeepAnExactCount) {
    std::atomic<int> destroyed{0};
    const CSharedPtr<CCountedBase> shared(new CCounted(destroyed));
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            ++ready;
            while (ready < kThreads) {
            }
            std::vector<CSharedPtr<CCountedBase>> held;
            for (int i = 0; i < kRounds; ++i) {
                held.push_back(shared);
                if (i % 3 == 0) held.pop_back();
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(shared.UseCount(), 1);
    EXPECT_EQ(destroyed, 0);
}

// ---- worker threads --------------------------------------------------------------------------

// Priority 2 leaves the normal priority; any other value v runs at Win32 priority v - 2.
TEST(StartCallThread, RunsOnANewThreadAtItsPriorityThenDestroysTheCall) {
    const struct {
        int priority;
        int expected;
    } cases[] = {{2, THREAD_PRIORITY_NORMAL}, {3, THREAD_PRIORITY_ABOVE_NORMAL}, {0, THREAD_PRIORITY_LOWEST}};
    for (const auto& c : cases) {
        CProbeCall::TReport report;
        EXPECT_NE(StartCallThread(new CProbeCall(report), c.priority), nullptr);
        ASSERT_TRUE(report.destroyed.WaitFor(kWaitMs)) << "priority " << c.priority;
        EXPECT_TRUE(report.ranBeforeDestroyed);
        EXPECT_EQ(report.runs, 1);
        EXPECT_NE(report.runThread, GetCurrentThreadId());
        EXPECT_EQ(report.runPriority, c.expected) << "priority " << c.priority;
    }
}

TEST(StartCallThread, ExceptionInRunIsCaughtAndTheThreadStillCleansUp) {
    CProbeCall::TReport report;
    StartCallThread(new CProbeCall(report, /*throwInRun=*/true));
    ASSERT_TRUE(report.destroyed.WaitFor(kWaitMs));
    EXPECT_EQ(report.runs, 1);
}

TEST(StartCallThread, ManyShortThreadsAllCleanUp) {
    constexpr int kCount = 50;
    std::vector<CProbeCall::TReport> reports(kCount);
    for (CProbeCall::TReport& report : reports) StartCallThread(new CProbeCall(report));
    for (CProbeCall::TReport& report : reports) ASSERT_TRUE(report.destroyed.WaitFor(kWaitMs));
}

TEST(LibThread, NamingTheThreadWithoutADebuggerIsHarmless) {
    SetCurrentThreadDebugName("TestMain");
    SetCurrentThreadDebugName("TestMain again");
    CLibThread thread(nullptr);
    EXPECT_STREQ(thread.Name(), "LibThread");
    EXPECT_EQ(thread.Priority(), 2);
}

namespace {

// A long-running body in the manner of the global timer: waits on its thread's event until stopped.
struct CLoopBody {
    CLibThread* thread = nullptr;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    std::atomic<int> wakeUps{0};
    void Loop() {
        started = true;
        while (!thread->IsStopRequested()) {
            if (WaitForSingleObject(thread->Event(), 20) == WAIT_OBJECT_0) ++wakeUps;
        }
        Sleep(50);  // a slow finish: the owner must still wait for it
        finished = true;
    }
};

// Records whether the body had finished when the call was destroyed.
class CCheckedLoopCall : public bxutil::CAsyncMemFun0<CLoopBody*, void (CLoopBody::*)()> {
public:
    CCheckedLoopCall(CLoopBody* body, std::atomic<int>& finishedAtDestruction)
        : CAsyncMemFun0(body, &CLoopBody::Loop), m_body(body), m_finishedAtDestruction(finishedAtDestruction) {}
    ~CCheckedLoopCall() override { m_finishedAtDestruction = m_body->finished ? 1 : 0; }

private:
    CLoopBody* m_body;
    std::atomic<int>& m_finishedAtDestruction;
};

}  // namespace

TEST(LibThread, OwnerDeletingTheThreadStopsItBeforeTheCallGoes) {
    CLoopBody body;
    std::atomic<int> finishedAtDestruction{-1};
    auto* thread = new CLibThread(new CCheckedLoopCall(&body, finishedAtDestruction));
    body.thread = thread;
    ASSERT_TRUE(thread->Start());
    for (int i = 0; i < 500 && !body.started; ++i) Sleep(10);
    ASSERT_TRUE(body.started);
    thread->Signal();
    for (int i = 0; i < 500 && body.wakeUps == 0; ++i) Sleep(10);
    EXPECT_EQ(body.wakeUps, 1);
    delete thread;
    EXPECT_TRUE(body.finished);
    EXPECT_EQ(finishedAtDestruction, 1);
}

TEST(LibThread, StopOnAThreadNeverStartedDoesNothing) {
    CProbeCall::TReport report;
    {
        CLibThread thread(new CProbeCall(report));
        thread.Stop();
        EXPECT_EQ(thread.Handle(), nullptr);
        EXPECT_FALSE(thread.IsStopRequested());
    }
    EXPECT_TRUE(report.destroyed.WaitFor(0));
    EXPECT_EQ(report.runs, 0);
}

TEST(WaitInSlices, EndsOnTheHandleTheTimeOrTheStop) {
    const bxutil::CKernelHandle setEvent(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    const bxutil::CKernelHandle unsetEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE set = setEvent.Get();
    const HANDLE unset = unsetEvent.Get();
    // A zero time-out still looks at the handle once.
    EXPECT_EQ(WaitInSlices(set, 0, 100, {}), ESliceWait::kSignalled);
    EXPECT_EQ(WaitInSlices(unset, 0, 100, {}), ESliceWait::kTimedOut);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitInSlices(unset, 250, 20, {}), ESliceWait::kTimedOut);
    EXPECT_GE(GetTickCount64() - start, 240u);
    int asked = 0;
    EXPECT_EQ(WaitInSlices(unset, INFINITE, 10, [&asked] { return ++asked == 3; }),
              ESliceWait::kStopped);
    EXPECT_EQ(asked, 3) << "asked before every slice";
    EXPECT_EQ(WaitInSlices(set, INFINITE, 10, [] { return false; }), ESliceWait::kSignalled);
}
