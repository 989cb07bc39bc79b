// The installation workflow as the window sees it: a recording stand-in for the window side, a
// dispatch window on this (the UI) thread, and the stand-in platform. Every call must arrive on
// the UI thread, with the percentages and texts in their order, and each road must end as it
// should: closed after a success, the button back with the reason after a failure.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/InstallWorkflow.h"
#include "support/TextConvert.h"
#include "support/UiDispatch.h"
#include "support/UniqueHandle.h"
#include "tests/app/AppTestSupport.h"

using testfiles::FileExists;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

namespace {

constexpr DWORD kRoadTimeoutMs = 120000;

// One call on the window side.
struct TUiCall {
    std::string what;  // layout, value, percent, status, button, hide, close
    int value = 0;
    std::wstring text;
    DWORD thread = 0;
};

class CRecordingUi : public IInstallUi {
public:
    void ShowProgressLayout() override { Add("layout"); }
    void SetProgressValue(const int& percent) override { Add("value", percent); }
    void SetPercentText(const std::wstring& text) override { Add("percent", 0, text); }
    void SetStatusText(const std::wstring& text) override { Add("status", 0, text); }
    void ShowInstallButton() override { Add("button"); }
    void HideWindow() override { Add("hide"); }
    void CloseWindow() override { Add("close"); }

    std::vector<TUiCall> Calls() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_calls;
    }
    // The road has ended: the window closed, or the button came back.
    bool Ended() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return !m_calls.empty() && (m_calls.back().what == "close" || m_calls.back().what == "button");
    }

private:
    void Add(const char* what, int value = 0, const std::wstring& text = std::wstring()) {
        TUiCall call;
        call.what = what;
        call.value = value;
        call.text = text;
        call.thread = GetCurrentThreadId();
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.push_back(call);
    }

    mutable std::mutex m_lock;
    std::vector<TUiCall> m_calls;
};

// The percentages the window showed (each as bar, text and status), checked as they go; the
// final bar-only 100 of a finished road is not among them.
std::vector<int> CheckedPercentages(const std::vector<TUiCall>& calls) {
    std::vector<int> shown;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].what != "value") continue;
        if (i + 1 < calls.size() && calls[i + 1].what == "hide") break;
        const int p = calls[i].value;
        shown.push_back(p);
        EXPECT_LT(i + 2, calls.size());
        if (i + 2 >= calls.size()) break;
        EXPECT_EQ(calls[i + 1].what, "percent");
        EXPECT_EQ(calls[i + 1].text, std::to_wstring(p) + L"%");
        EXPECT_EQ(calls[i + 2].what, "status");
        EXPECT_EQ(calls[i + 2].text, p > 50 ? InstallingText() : DownloadingText()) << p;
    }
    return shown;
}

std::string Names(const std::vector<TUiCall>& calls) {
    std::string names;
    for (const TUiCall& c : calls) names += c.what + (c.what == "value" ? std::to_string(c.value) : "") + " ";
    return names;
}

class InstallWorkflowTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        if (IsSkipped()) return;
        m_dispatch.Reset(CreateUiCallWindow());
        ASSERT_NE(m_dispatch.Get(), nullptr);
        m_settings.gameId = "1000450";
        m_settings.comefrom = "web001";
        m_settings.dataServiceUrl = DataServiceQueryUrlFor(m_platform);
        m_settings.statsBaseUrl = PlatformUrlNarrow();
        m_settings.clientRegistryKey = m_clientKey->Path();
        m_settings.clientPublisher = L"Vexo Test Publisher";
    }
    void TearDown() override {
        m_dispatch.Reset();
        PlatformTest::TearDown();
    }

    // Runs one road from the click to its end; the workflow's threads are done afterwards.
    std::vector<TUiCall> RunRoad(CInstallWorkflow& workflow, CRecordingUi& ui) {
        const size_t before = ui.Calls().size();
        EXPECT_TRUE(workflow.Start());
        EXPECT_TRUE(PumpUntil([&] { return ui.Calls().size() > before && ui.Ended(); }, kRoadTimeoutMs))
            << Names(ui.Calls());
        EXPECT_TRUE(workflow.WaitUntilIdle(10000));
        PumpUntil([] { return false; }, 200);  // nothing may follow the end
        const std::vector<TUiCall> all = ui.Calls();
        for (const TUiCall& c : all) EXPECT_EQ(c.thread, GetCurrentThreadId()) << c.what << " off the UI thread";
        return std::vector<TUiCall>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }

    std::string Launches() const { return ReadBytes(ClientDir() + L"\\launches.txt"); }
    bool WaitForLaunch() const {
        return PumpUntil([&] { return !Launches().empty(); }, 10000);
    }

    bxutil::CWindowHandle m_dispatch;
    TInstallSettings m_settings;
};

TEST_F(InstallWorkflowTest, SuccessfulRoadShowsProgressHandsOverAndCloses) {
    ConfigureInstaller({{"delay", "2500"}, {"readonly", "1"}});
    CRecordingUi ui;
    CInstallWorkflow workflow(ui, m_settings);
    const std::vector<TUiCall> calls = RunRoad(workflow, ui);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls.front().what, "layout");
    const std::vector<int> shown = CheckedPercentages(calls);
    ASSERT_FALSE(shown.empty());
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_LT(shown[i - 1], shown[i]) << Names(calls);
    EXPECT_LE(shown.front(), 50);
    EXPECT_NE(std::find(shown.begin(), shown.end(), 50), shown.end()) << "the download phase ends at 50";
    EXPECT_NE(std::find(shown.begin(), shown.end(), 51), shown.end()) << "the slow installer shows steps";
    for (int p : shown) EXPECT_LT(p, 99);
    // The end: the bar alone to 100, hidden, closed.
    const size_t n = calls.size();
    EXPECT_EQ(calls[n - 3].what, "value");
    EXPECT_EQ(calls[n - 3].value, 100);
    EXPECT_EQ(calls[n - 2].what, "hide");
    EXPECT_EQ(calls[n - 1].what, "close");

    ASSERT_TRUE(WaitForLaunch());
    EXPECT_NE(Launches().find("--guest --install=1000450"), std::string::npos) << Launches();
    EXPECT_FALSE(FileExists(Temp(L"VexoInstall.exe"))) << "deleted although it made itself read-only";
    const auto reports = PlatformRequests("stats");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].query, "action=offlineInstaller&JsonData={\"GameId\":1000450,\"Comefrom\":\"web001\"}");
    EXPECT_FALSE(workflow.Start()) << "a finished installation does not start again";
}

TEST_F(InstallWorkflowTest, SlowInstallerHoldsAt99ThenShows100) {
    m_settings.progressStepMs = 20;  // the display's pace, so that it reaches 99 quickly
    ConfigureInstaller({{"delay", "4000"}});
    CRecordingUi ui;
    CInstallWorkflow workflow(ui, m_settings);
    const std::vector<TUiCall> calls = RunRoad(workflow, ui);
    const std::vector<int> shown = CheckedPercentages(calls);
    ASSERT_GE(shown.size(), 3u) << Names(calls);
    EXPECT_EQ(shown[shown.size() - 2], 99);
    EXPECT_EQ(shown.back(), 100);
    for (int p = 51; p <= 99; ++p) EXPECT_NE(std::find(shown.begin(), shown.end(), p), shown.end()) << p;
    EXPECT_EQ(calls.back().what, "close");
}

TEST_F(InstallWorkflowTest, ASecondClickWhileInstallingStartsNothing) {
    ConfigureInstaller({{"delay", "1500"}});
    CRecordingUi ui;
    CInstallWorkflow workflow(ui, m_settings);
    ASSERT_TRUE(workflow.Start());
    EXPECT_FALSE(workflow.Start());
    EXPECT_TRUE(workflow.IsRunning());
    ASSERT_TRUE(PumpUntil([&] { return ui.Ended(); }, kRoadTimeoutMs));
    ASSERT_TRUE(workflow.WaitUntilIdle(10000));
    EXPECT_EQ(PlatformRequests("data").size(), 1u);
    const auto calls = ui.Calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const TUiCall& c) { return c.what == "layout"; }), 1);
}

TEST_F(InstallWorkflowTest, FailuresKeepTheWindowAndBringTheButtonBack) {
    struct TCase {
        const char* service;
        const char* mode;
        std::map<std::string, std::string> installer;
        EInstallFailure failure;
    };
    const TCase cases[] = {
        {"data", "status:503", {}, EInstallFailure::kAddressQuery},
        {"data", "hang:30", {}, EInstallFailure::kAddressQuery},
        {"data", "noaddress", {}, EInstallFailure::kNoAddress},
        {"data", "badjson", {}, EInstallFailure::kNoAddress},
        {"installer", "cutoff", {}, EInstallFailure::kDownload},
        {"data", "wronghash", {}, EInstallFailure::kVerify},
        {"installer", "unsigned", {}, EInstallFailure::kUnsigned},
        {"installer", "tampered", {}, EInstallFailure::kBadSignature},
        {"installer", "othersigner", {}, EInstallFailure::kOtherPublisher},
        {"data", "ok", {{"install", "0"}, {"exit", "1603"}}, EInstallFailure::kClientMissing},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.service) + "=" + c.mode);
        std::map<std::string, std::string> modes = {{"data", "ok"}, {"installer", "ok"}};
        modes[c.service] = c.mode;
        SetPlatformModes(modes);
        ConfigureInstaller(c.installer);
        DeleteFileW(Temp(L"VexoInstall.exe").c_str());
        CRecordingUi ui;
        CInstallWorkflow workflow(ui, m_settings);
        const std::vector<TUiCall> calls = RunRoad(workflow, ui);
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls.front().what, "layout");
        EXPECT_EQ(calls[calls.size() - 2].what, "status");
        EXPECT_EQ(calls[calls.size() - 2].text, InstallFailureText(c.failure));
        EXPECT_EQ(calls.back().what, "button");
        for (const TUiCall& call : calls) {
            EXPECT_NE(call.what, "hide");
            EXPECT_NE(call.what, "close");
            if (call.what == "value") {
                EXPECT_LE(call.value, 98);
            }
        }
        CheckedPercentages(calls);
        EXPECT_FALSE(workflow.IsRunning());
        EXPECT_EQ(Launches(), "") << "no client to start";
        EXPECT_EQ(PlatformRequests("stats").size(), 0u) << "nothing was handed over, nothing reported";
    }
}

TEST_F(InstallWorkflowTest, ASecondAttemptContinuesTheDownload) {
    SetPlatformModes({{"installer", "cutoff-once"}});
    CRecordingUi ui;
    CInstallWorkflow workflow(ui, m_settings);
    std::vector<TUiCall> first = RunRoad(workflow, ui);
    ASSERT_EQ(first.back().what, "button");
    const std::string partial = ReadBytes(Temp(L"VexoInstall.exe"));
    ASSERT_GT(partial.size(), 0u);

    const std::vector<TUiCall> second = RunRoad(workflow, ui);
    EXPECT_EQ(second.front().what, "layout");
    EXPECT_EQ(second.back().what, "close");
    const std::vector<int> shown = CheckedPercentages(second);
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_LT(shown[i - 1], shown[i]);
    const auto downloads = PlatformRequests("installer");
    ASSERT_EQ(downloads.size(), 2u);
    EXPECT_EQ(downloads[1].range, "bytes=" + std::to_string(partial.size()) + "-");
    ASSERT_TRUE(WaitForLaunch());
    EXPECT_NE(Launches().find("--guest --install=1000450"), std::string::npos);
}

TEST_F(InstallWorkflowTest, WithoutAChannelTagNothingIsReported) {
    m_settings.comefrom.clear();
    CRecordingUi ui;
    CInstallWorkflow workflow(ui, m_settings);
    const std::vector<TUiCall> calls = RunRoad(workflow, ui);
    EXPECT_EQ(calls.back().what, "close");
    ASSERT_TRUE(WaitForLaunch());
    EXPECT_EQ(PlatformRequests("stats").size(), 0u);
}

TEST(InstallWorkflowProgress, DownloadFractionFromTheCallback) {
    struct CNullUi : IInstallUi {
        void ShowProgressLayout() override {}
        void SetProgressValue(const int&) override {}
        void SetPercentText(const std::wstring&) override {}
        void SetStatusText(const std::wstring&) override {}
        void ShowInstallButton() override {}
        void HideWindow() override {}
        void CloseWindow() override {}
    } ui;
    CInstallWorkflow workflow(ui, TInstallSettings());
    workflow.OnDownloadProgress(250, 1000);
    EXPECT_FLOAT_EQ(workflow.DownloadFraction(), 0.25f);
    workflow.OnDownloadProgress(5, 0);  // no total: nothing to learn
    EXPECT_FLOAT_EQ(workflow.DownloadFraction(), 0.25f);
    workflow.OnDownloadProgress(2000, 1000);
    EXPECT_FLOAT_EQ(workflow.DownloadFraction(), 1.0f);
}

}  // namespace
