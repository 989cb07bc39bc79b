#pragma once
// The installation of a missing platform client, as the main window runs it: a worker thread
// fetches, checks and runs the client's installer while a second worker thread drives the
// progress display; then the client gets the game and the window closes. When the attempt fails
// the window stays: the status line says what failed and the install button comes back, so that
// the next click tries again (continuing a partial download).
//
// The window side is behind IInstallUi. Every call on it is made on the UI thread: the worker
// threads hand them to the UI thread's dispatch window (PostCallToUiThread), so the controls are
// only ever touched by the thread that paints them, in the order the workers asked.

#include <windows.h>

#include <atomic>
#include <string>

#include "app/ClientInstallerTrust.h"
#include "app/ClientLaunch.h"
#include "app/ServiceHosts.h"
#include "app/VexoInstallHelper.h"
#include "support/LibThread.h"
#include "support/UniqueHandle.h"

// What the installation shows and does on the window; all calls come on the UI thread.
class IInstallUi {
public:
    virtual ~IInstallUi() = default;
    // The install button's area gives way to the progress area (bar, percentage, status line).
    virtual void ShowProgressLayout() = 0;
    // The progress bar's value, 0 to 100; the percentage text is set on its own.
    virtual void SetProgressValue(const int& percent) = 0;
    // The percentage text beside the bar ("37%").
    virtual void SetPercentText(const std::wstring& text) = 0;
    // The status line under the bar.
    virtual void SetStatusText(const std::wstring& text) = 0;
    // After a failed attempt: the install button comes back. The status text set just before
    // says what failed and must stay readable with the button.
    virtual void ShowInstallButton() = 0;
    virtual void HideWindow() = 0;
    // Closes the window, which ends the installer.
    virtual void CloseWindow() = 0;
};

// The status texts of the progress area, in the user's language (AppTexts.h).
std::wstring DownloadingText();
std::wstring InstallingText();

// The status text that tells the user what went wrong, in the user's language.
std::wstring InstallFailureText(EInstallFailure failure);

struct TInstallSettings {
    std::string gameId;
    std::string comefrom;  // empty: no usage report
    std::wstring dataServiceUrl = DataServiceQueryUrl();
    std::string statsBaseUrl = StatsServiceBaseUrl();
    std::wstring clientRegistryKey = kClientRegistryKey;
    // Who must have signed the client installer (ClientInstallerTrust.h); empty: no one.
    std::wstring clientPublisher = BuiltInClientPublisher();
    // The pace of the display while the installer runs: one percent per step.
    DWORD progressStepMs = 1000;
};

// Owned by the main window, which outlives it (it lives until the process ends); it must not be
// destroyed while an installation runs (the destructor waits for the worker threads).
class CInstallWorkflow {
public:
    CInstallWorkflow(IInstallUi& ui, TInstallSettings settings);
    ~CInstallWorkflow();
    CInstallWorkflow(const CInstallWorkflow&) = delete;
    CInstallWorkflow& operator=(const CInstallWorkflow&) = delete;

    // UI thread, for a click on the install button: switches to the progress area and starts
    // the installation. False, doing nothing, while an installation runs or after one succeeded.
    bool Start();
    bool IsRunning() const { return m_bRunning; }
    // An installation was started and none reached the hand-over to the client (which sends the
    // usage report): the run ends without having reported.
    bool EndsUnreported() const { return m_bStarted && !m_bHandedOver; }
    // Waits until the worker threads of the last Start no longer touch this object.
    bool WaitUntilIdle(DWORD timeoutMs) const;

    // The installation (install thread): starts the progress thread, fetches and runs the
    // installer, then either hands the game to the new client and closes the window, or brings
    // the install button back with the reason.
    void InstallClientWorker();
    // The progress display (progress thread): 1 to 50 while downloading, polled every 100 ms;
    // then one step per progressStepMs from 51 while the installer runs, holding at 99 until it
    // ends; 100 when it succeeded. Stops without a further value when the attempt fails. A
    // value is handed over only when it differs from the one shown last. Returns 0.
    int DriveProgress();
    // The download's progress callback (install thread): stores the downloaded fraction.
    void OnDownloadProgress(long long done, long long total);
    // UI thread: the bar, the percentage text and the status text for one percentage. Returns 1.
    int ShowProgress(const int& percent);

    float DownloadFraction() const { return m_fDownloadFraction; }

    // Asks a running installation to stop (the window is closing): its exchanges are abandoned
    // and nothing more is handed to the UI. It also stops once the UI thread's dispatch window
    // has ended. The client installer, once started, runs on by itself.
    void Stop();

private:
    // Waits up to timeoutMs (INFINITE: no limit; 0: a look) for the end of the installation step.
    ESliceWait WaitForStepEnd(DWORD timeoutMs) const;
    bool ShouldStop() const;
    void RunWorker();
    void RunProgress();
    EInstallFailure RunInstallation();
    void FinishInstallation();
    // UI thread: the failure's text, the button back, ready for the next click.
    void OnAttemptFailed(const std::wstring& text);
    int DownloadPercent() const;
    // Hands one percentage to the UI thread, unless it is the one shown last.
    void Show(int percent);

    IInstallUi& m_ui;
    const TInstallSettings m_settings;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bStarted{false};
    std::atomic<bool> m_bHandedOver{false};
    std::atomic<bool> m_bInstallFailed{false};
    std::atomic<bool> m_bStopRequested{false};
    std::atomic<float> m_fDownloadFraction{0.0f};
    int m_nLastShown = 0;  // progress thread only
    // Manual-reset events, one owner each: the installation step is over (see
    // m_bInstallFailed for how), the progress thread has ended, the install thread has ended.
    bxutil::CKernelHandle m_hInstallDone;
    bxutil::CKernelHandle m_hProgressEnded;
    bxutil::CKernelHandle m_hWorkerEnded;
};
