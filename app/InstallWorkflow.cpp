#include "app/InstallWorkflow.h"

#include "app/AppTexts.h"
#include "support/AsyncCall.h"
#include "support/LibThread.h"
#include "support/Log.h"
#include "support/UiDispatch.h"

std::wstring DownloadingText() { return AppText(EAppText::kDownloadingStatus); }
std::wstring InstallingText() { return AppText(EAppText::kInstallingStatus); }

namespace {

constexpr DWORD kDownloadPollMs = 100;
// The progress thread notices the end of the step within one poll; this only guards against a
// thread that never started.
constexpr DWORD kProgressEndWaitMs = 5000;
// A worker that has handed its last call to the UI thread is a few instructions from its end.
constexpr DWORD kPreviousWorkerWaitMs = 2000;

// The progress lines keep the source name and line numbers that the platform's log readers know.
void LogProgress(int line, const wchar_t* message) {
    const TLogRecord record = {3, L"VexoInstallView.cpp", line};
    WriteLog(&record, message);
}

bxutil::CKernelHandle NewManualEvent(bool signalled) {
    return bxutil::CKernelHandle(CreateEventW(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr));
}

}  // namespace

std::wstring InstallFailureText(EInstallFailure failure) {
    switch (failure) {
    case EInstallFailure::kNone:
        return std::wstring();
    case EInstallFailure::kAddressQuery:
        return AppText(EAppText::kAddressQueryFailed);
    case EInstallFailure::kNoAddress:
        return AppText(EAppText::kNoAddress);
    case EInstallFailure::kDownload:
        return AppText(EAppText::kDownloadFailed);
    case EInstallFailure::kVerify:
        return AppText(EAppText::kVerifyFailed);
    case EInstallFailure::kInsecureAddress:
        return AppText(EAppText::kInsecureAddress);
    case EInstallFailure::kClientMissing:
        return AppText(EAppText::kClientMissing);
    case EInstallFailure::kUnsigned:
        return AppText(EAppText::kInstallerUnsigned);
    case EInstallFailure::kBadSignature:
        return AppText(EAppText::kInstallerBadSignature);
    case EInstallFailure::kOtherPublisher:
        return AppText(EAppText::kInstallerOtherPublisher);
    case EInstallFailure::kInternal:
        break;
    }
    return AppText(EAppText::kCouldNotStart);
}

CInstallWorkflow::CInstallWorkflow(IInstallUi& ui, TInstallSettings settings)
    : m_ui(ui),
      m_settings(std::move(settings)),
      m_hInstallDone(NewManualEvent(false)),
      m_hProgressEnded(NewManualEvent(true)),
      m_hWorkerEnded(NewManualEvent(true)) {}

CInstallWorkflow::~CInstallWorkflow() {
    // The worker threads hold this object; it may only go once they are done with it.
    WaitUntilIdle(INFINITE);
}

bool CInstallWorkflow::WaitUntilIdle(DWORD timeoutMs) const {
    return WaitForSingleObject(m_hWorkerEnded.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool CInstallWorkflow::Start() {
    bool idle = false;
    if (!m_bRunning.compare_exchange_strong(idle, true)) return false;
    if (!m_hInstallDone || !m_hProgressEnded || !m_hWorkerEnded) {
        OnAttemptFailed(InstallFailureText(EInstallFailure::kInternal));
        return false;
    }
    WaitUntilIdle(kPreviousWorkerWaitMs);
    ResetEvent(m_hInstallDone.Get());
    ResetEvent(m_hWorkerEnded.Get());
    m_bInstallFailed = false;
    m_fDownloadFraction = 0.0f;
    m_nLastShown = 0;
    m_ui.ShowProgressLayout();
    m_bStarted = true;
    // The thread owns the call and deletes itself when the call returns.
    if (StartCallThread(bxutil::NewAsyncCall(this, &CInstallWorkflow::RunWorker))) return true;
    SetEvent(m_hWorkerEnded.Get());
    OnAttemptFailed(InstallFailureText(EInstallFailure::kInternal));
    return false;
}

void CInstallWorkflow::RunWorker() {
    try {
        InstallClientWorker();
    } catch (...) {
        // Nothing may leave the thread; what was handed to the UI thread stands.
    }
    SetEvent(m_hWorkerEnded.Get());
}

void CInstallWorkflow::RunProgress() {
    try {
        DriveProgress();
    } catch (...) {
    }
    SetEvent(m_hProgressEnded.Get());
}

void CInstallWorkflow::InstallClientWorker() {
    ResetEvent(m_hProgressEnded.Get());
    if (!StartCallThread(bxutil::NewAsyncCall(this, &CInstallWorkflow::RunProgress))) SetEvent(m_hProgressEnded.Get());

    EInstallFailure failure = EInstallFailure::kInternal;
    try {
        failure = RunInstallation();
    } catch (...) {
    }
    m_bInstallFailed = failure != EInstallFailure::kNone;
    SetEvent(m_hInstallDone.Get());
    // Nothing the progress thread shows may arrive after what follows.
    WaitForSingleObject(m_hProgressEnded.Get(), kProgressEndWaitMs);

    if (failure == EInstallFailure::kNone) {
        FinishInstallation();
    } else {
        PostCallToUiThread(bxutil::NewAsyncCall(this, &CInstallWorkflow::OnAttemptFailed, InstallFailureText(failure)));
    }
}

bool CInstallWorkflow::ShouldStop() const { return m_bStopRequested || UiDispatchEnded(); }

void CInstallWorkflow::Stop() { m_bStopRequested = true; }

ESliceWait CInstallWorkflow::WaitForStepEnd(DWORD timeoutMs) const {
    // In short slices: the UI may end meanwhile, and nothing signals that.
    return WaitInSlices(m_hInstallDone.Get(), timeoutMs, kDownloadPollMs, [this] { return ShouldStop(); });
}

EInstallFailure CInstallWorkflow::RunInstallation() {
    CVexoInstallHelper helper(m_settings.dataServiceUrl, [this] { return ShouldStop(); }, m_settings.clientPublisher);
    const HttpProgressFn progress = [this](long long done, long long total) { OnDownloadProgress(done, total); };
    if (helper.Install(progress) != 0) return helper.Failure();
    // Whatever the installer's exit code said, only a client that is there now is installed.
    return IsClientInstalled(m_settings.clientRegistryKey) ? EInstallFailure::kNone : EInstallFailure::kClientMissing;
}

void CInstallWorkflow::FinishInstallation() {
    PostCallToUiThread(bxutil::NewAsyncCall(&m_ui, &IInstallUi::SetProgressValue, 100));
    PostCallToUiThread(bxutil::NewAsyncCall(&m_ui, &IInstallUi::HideWindow));
    TLaunchRequest launch;
    launch.gameId = m_settings.gameId;
    launch.comefrom = m_settings.comefrom;
    launch.clientWasInstalled = false;  // installed just now: the client starts as a guest
    launch.statsBaseUrl = m_settings.statsBaseUrl;
    launch.registryKey = m_settings.clientRegistryKey;
    m_bHandedOver = true;
    LaunchClient(launch);
    PostCallToUiThread(bxutil::NewAsyncCall(&m_ui, &IInstallUi::CloseWindow));
}

void CInstallWorkflow::OnAttemptFailed(const std::wstring& text) {
    m_ui.SetStatusText(text);
    m_ui.ShowInstallButton();
    m_bRunning = false;
}

void CInstallWorkflow::OnDownloadProgress(long long done, long long total) {
    if (total <= 0 || done < 0) return;
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    m_fDownloadFraction = static_cast<float>(fraction > 1.0 ? 1.0 : fraction);
}

int CInstallWorkflow::DownloadPercent() const {
    const int percent = static_cast<int>(m_fDownloadFraction * 50.0 + 1.0);
    return percent < 1 ? 1 : percent > 50 ? 50 : percent;
}

void CInstallWorkflow::Show(int percent) {
    if (percent == m_nLastShown) return;
    m_nLastShown = percent;
    PostCallToUiThread(bxutil::NewAsyncCall(this, &CInstallWorkflow::ShowProgress, percent));
}

int CInstallWorkflow::ShowProgress(const int& percent) {
    m_ui.SetProgressValue(percent);
    m_ui.SetPercentText(std::to_wstring(percent) + L"%");
    m_ui.SetStatusText(percent > 50 ? InstallingText() : DownloadingText());
    return 1;
}

int CInstallWorkflow::DriveProgress() {
    // Downloading: 1 to 50 from the downloaded fraction.
    for (;;) {
        const ESliceWait now = WaitForStepEnd(0);
        if (now == ESliceWait::kStopped || (now == ESliceWait::kSignalled && m_bInstallFailed)) return 0;
        const int percent = now == ESliceWait::kSignalled ? 50 : DownloadPercent();
        Show(percent);
        if (percent >= 50) break;
        if (WaitForStepEnd(kDownloadPollMs) == ESliceWait::kStopped) return 0;
    }
    // Installing: a step a second while the installer runs.
    for (int percent = 51; percent <= 100; ++percent) {
        if (percent < 99) {
            const ESliceWait step = WaitForStepEnd(m_settings.progressStepMs);
            if (step != ESliceWait::kTimedOut) return 0;
            Show(percent);
            continue;
        }
        LogProgress(368, L"Wait For Mini Install Finish");
        Show(percent);
        if (WaitForStepEnd(INFINITE) != ESliceWait::kSignalled || m_bInstallFailed) return 0;
        LogProgress(373, L"SetProgress 100");
        Show(100);
        break;
    }
    return 0;
}
