// PostCallToUiThread: without a dispatch window, with one on this thread, and with one that
// vanished.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "support/Log.h"
#include "support/TextConvert.h"
#include "support/UiDispatch.h"
#include "support/UniqueHandle.h"
#include "tests/support/SupportLogFile.h"

namespace {

// A call object reporting where it ran and when it was destroyed.
struct TReport {
    std::atomic<DWORD> runThread{0};
    std::atomic<int> runs{0};
    std::atomic<bool> destroyed{false};
};

class CReportingCall : public bxutil::IAsyncFuncCall {
public:
    explicit CReportingCall(TReport& report) : m_report(report) {}
    ~CReportingCall() override { m_report.destroyed = true; }
    void Run() override {
        m_report.runThread = GetCurrentThreadId();
        ++m_report.runs;
    }
    void* Target() const override { return nullptr; }
    const void* Function() const override { return nullptr; }

private:
    TReport& m_report;
};

// Dispatches this thread's messages until done() or about ten seconds have passed.
template <class F>
bool PumpUntil(F done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return done();
}

size_t CountLogLines(const std::string& text) {
    size_t count = 0;
    for (const std::string& line : testfiles::SplitCrLfLines(testfiles::ReadBytes(testfiles::GeneralLogFile())))
        if (line.find(text) != std::string::npos) ++count;
    return count;
}

std::string LogText(int line, DWORD threadId, const wchar_t* message) {
    return "  LibBiz.cpp  (" + std::to_string(line) + ")(" + std::to_string(threadId) + "): " + WideToThreadAnsi(message);
}

const wchar_t kInlineMessage[] = L"尚未初始化消息窗口，直接回调";
const wchar_t kVanishedMessage[] = L"消息窗口已经关闭，不再回调";

class UiDispatchTest : public ::testing::Test {
protected:
    void SetUp() override { testfiles::GeneralLogFile(); }
};

// A dispatch window created on this thread for one test, destroyed with it.
class CDispatchWindow : public bxutil::CWindowHandle {
public:
    CDispatchWindow() : bxutil::CWindowHandle(CreateUiCallWindow()) {}
};

}  // namespace

TEST_F(UiDispatchTest, NullCallDoesNothing) {
    const size_t before = testfiles::ReadBytes(testfiles::GeneralLogFile()).size();
    PostCallToUiThread(nullptr);
    PostCallToUiThread(nullptr, true, true);
    EXPECT_EQ(testfiles::ReadBytes(testfiles::GeneralLogFile()).size(), before);
}

TEST_F(UiDispatchTest, WithoutAWindowTheCallRunsInlineAndIsDestroyed) {
    const std::string expectedLine = LogText(141, GetCurrentThreadId(), kInlineMessage);
    const size_t linesBefore = CountLogLines(expectedLine);
    TReport report;
    PostCallToUiThread(new CReportingCall(report), /*forcePost=*/true, /*waitForCompletion=*/false);
    EXPECT_EQ(report.runs, 1);
    EXPECT_EQ(report.runThread, GetCurrentThreadId());
    EXPECT_TRUE(report.destroyed);
    EXPECT_EQ(CountLogLines(expectedLine), linesBefore + 1);
}

TEST_F(UiDispatchTest, CallsFromWorkersRunOnTheWindowsThread) {
    CDispatchWindow window;
    ASSERT_NE(window.Get(), nullptr);

    TReport posted;
    std::thread poster([&] { PostCallToUiThread(new CReportingCall(posted)); });
    poster.join();
    EXPECT_EQ(posted.runs, 0);  // waits in the queue until this thread pumps
    ASSERT_TRUE(PumpUntil([&] { return posted.destroyed.load(); }));
    EXPECT_EQ(posted.runs, 1);
    EXPECT_EQ(posted.runThread, GetCurrentThreadId());

    // Waiting for completion: the worker returns only after the call ran here.
    TReport sent;
    std::atomic<int> runsSeenByWorker{-1};
    std::thread sender([&] {
        PostCallToUiThread(new CReportingCall(sent), false, /*waitForCompletion=*/true);
        runsSeenByWorker = sent.runs.load();
    });
    ASSERT_TRUE(PumpUntil([&] { return runsSeenByWorker >= 0; }));
    sender.join();
    EXPECT_EQ(runsSeenByWorker, 1);
    EXPECT_EQ(sent.runThread, GetCurrentThreadId());
    EXPECT_TRUE(sent.destroyed);
}

TEST_F(UiDispatchTest, OnTheUiThreadCallsRunAtOnceUnlessForced) {
    CDispatchWindow window;
    TReport direct;
    PostCallToUiThread(new CReportingCall(direct));
    EXPECT_EQ(direct.runs, 1);
    EXPECT_TRUE(direct.destroyed);

    TReport forced;
    PostCallToUiThread(new CReportingCall(forced), /*forcePost=*/true);
    EXPECT_EQ(forced.runs, 0);
    ASSERT_TRUE(PumpUntil([&] { return forced.destroyed.load(); }));
    EXPECT_EQ(forced.runs, 1);
}

TEST_F(UiDispatchTest, AfterTheWindowEndsNoCallRunsAnywhere) {
    CDispatchWindow window;
    EXPECT_FALSE(UiDispatchEnded());
    TReport queued[2];
    for (TReport& report : queued) PostCallToUiThread(new CReportingCall(report), /*forcePost=*/true);
    window.Reset();
    for (TReport& report : queued) {
        EXPECT_TRUE(report.destroyed);
        EXPECT_EQ(report.runs, 0);
    }
    // The UI is being torn down: later calls, from a worker or from this thread, are dropped
    // instead of running where they were handed over, and workers can tell.
    EXPECT_TRUE(UiDispatchEnded());
    TReport fromWorker, here;
    std::thread worker([&] { PostCallToUiThread(new CReportingCall(fromWorker)); });
    worker.join();
    PostCallToUiThread(new CReportingCall(here));
    for (TReport* report : {&fromWorker, &here}) {
        EXPECT_EQ(report->runs, 0);
        EXPECT_TRUE(report->destroyed);
    }
    // A new window takes the calls again.
    CDispatchWindow next;
    EXPECT_FALSE(UiDispatchEnded());
    TReport direct;
    PostCallToUiThread(new CReportingCall(direct));
    EXPECT_EQ(direct.runs, 1);
}

TEST_F(UiDispatchTest, CallForAVanishedWindowIsDroppedAndDestroyed) {
    // The registering thread ends without destroying its window, so the registration outlives it.
    std::thread uiThread([] { (void)CreateUiCallWindow().Release(); });
    uiThread.join();

    const std::string expectedLine = LogText(151, GetCurrentThreadId(), kVanishedMessage);
    const size_t linesBefore = CountLogLines(expectedLine);
    TReport report;
    PostCallToUiThread(new CReportingCall(report));
    EXPECT_EQ(report.runs, 0);
    EXPECT_TRUE(report.destroyed);
    EXPECT_EQ(CountLogLines(expectedLine), linesBefore + 1);

    // A new window replaces the stale registration; destroying it leaves none.
    CDispatchWindow replacement;
}
