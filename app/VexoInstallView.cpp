#include "app/VexoInstallView.h"

#include <utility>

#include "app/ClientLaunch.h"
#include "app/PackageStamp.h"
#include "app/SingleInstance.h"
#include "app/StatisticsReport.h"
#include "support/AsyncCall.h"
#include "support/LibThread.h"
#include "support/Log.h"
#include "support/UiDispatch.h"
#include "ui/controls/ProgressUI.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/skin/ResourceData.h"
#include "ui/core/skin/StringTable.h"

namespace {

// The names the game's pictures have in the window's picture table (with a generation number,
// see ShowPicture).
constexpr wchar_t kBackgroundPicture[] = L"vexo-game-background";
constexpr wchar_t kLogoPicture[] = L"vexo-game-logo";
constexpr wchar_t kIconPicture[] = L"vexo-game-icon";
constexpr UINT kSkinResourceId = 146;
// The usage report of a run that ends without a hand-over is sent at its end; the program waits
// for it no longer than this.
constexpr DWORD kEndReportWaitMs = 5000;
// The timer that starts the refresh of the game's record after the first frame (an id the
// controls' timers do not use).
constexpr UINT_PTR kRefreshTimerId = 0x56584F;

std::wstring PlainImageDescription(const std::wstring& name) { return name; }

// Where each game picture shows (by EGamePicture): the control, the picture's name in the
// window's picture table, and the image description made of that name.
struct TPictureControl {
    LPCWSTR control;
    LPCWSTR tableName;
    std::wstring (*describe)(const std::wstring&);
};
constexpr TPictureControl kPictureControls[] = {
    {L"GameIcon", kIconPicture, &PlainImageDescription},
    {L"background", kBackgroundPicture, &BackgroundImageDescription},
    {L"logoimage", kLogoPicture, &PlainImageDescription},
};

// The picture a description names (its "file" value, or the whole text).
std::wstring PictureNameIn(LPCWSTR description) {
    SkinUI::TImageSpec spec;
    SkinUI::TImageSource source;
    SkinUI::ParseImageDescription(description, spec, source);
    return source.name.GetData();
}

}  // namespace

CVexoInstallView::CVexoInstallView(std::string gameId, std::string comefrom)
    : m_strGameId(EffectiveGameId(std::move(gameId))), m_strComefrom(std::move(comefrom)) {
    // The window opens with what an earlier run kept; the service is asked once it shows.
    SetArtworkFiles(m_strGameId, m_gameInfo);
    LoadKeptGameInfo(m_strGameId, m_gameInfo);
    m_bRefreshOnStart = true;
    m_pWorkflow = std::make_unique<CInstallWorkflow>(static_cast<IInstallUi&>(*this), InstallSettings());
}

CVexoInstallView::CVexoInstallView(std::string gameId, std::string comefrom, TGameInfo info)
    : m_strGameId(EffectiveGameId(std::move(gameId))),
      m_strComefrom(std::move(comefrom)),
      m_gameInfo(std::move(info)) {
    m_pWorkflow = std::make_unique<CInstallWorkflow>(static_cast<IInstallUi&>(*this), InstallSettings());
}

CVexoInstallView::~CVexoInstallView() = default;

TInstallSettings CVexoInstallView::InstallSettings() const {
    TInstallSettings settings;
    settings.gameId = m_strGameId;
    settings.comefrom = m_strComefrom;
    return settings;
}

LPCWSTR CVexoInstallView::WindowClassName() const { return L"VexoInstallView"; }
SkinUI::CUIString CVexoInstallView::SkinFolder() { return SkinUI::CUIString(); }
SkinUI::CUIString CVexoInstallView::SkinFileName() { return SkinUI::CUIString(L"VexoInsatllView.xml"); }
UINT CVexoInstallView::SkinSourceKind() const { return SkinUI::kSkinFromZipResource; }
LPCWSTR CVexoInstallView::SkinResourceId() const { return MAKEINTRESOURCEW(kSkinResourceId); }

LRESULT CVexoInstallView::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message == WM_TIMER && wParam == kRefreshTimerId) {
        ::KillTimer(m_hWnd, kRefreshTimerId);
        StartRefresh();
        handled = true;
    }
    return 0;
}

SkinUI::CControlUI* CVexoInstallView::Find(LPCWSTR name) { return m_PaintManager.FindControl(name); }

void CVexoInstallView::ShowControl(LPCWSTR name, bool visible) {
    if (SkinUI::CControlUI* control = Find(name)) control->SetVisible(visible);
}

void CVexoInstallView::OnWindowReady() {
    SetPropW(m_hWnd, kGameWindowProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::stoul(m_strGameId))));
    m_nClientFound = IsClientInstalled();
    // The skin's own pictures show until the game's are decoded, on a worker.
    ShowTitle();
    ShowControl(L"ProgressLayout", false);
    if (SkinUI::CControlUI* progress = Find(L"Progress")) {
        m_pProgress = static_cast<SkinUI::CProgressUI*>(progress->InterfaceByName(L"Progress"));
        progress->SetVisible(false);
    }
    m_pPercentLabel = Find(L"GamePercent");
    m_pStatusLabel = Find(L"GameStatus");
    ShowControl(m_nClientFound == 1 ? L"InstallGameLayout" : L"InstallVexoLayout", true);
    const TLogRecord record = {3, L"VexoInstallView.cpp", __LINE__};
    WriteLog(&record, L"window texts in %s (user interface language %d)", SkinUI::LoadedLanguageTag().c_str(),
             static_cast<int>(GetUserDefaultUILanguage()));
    // The kept pictures are decoded and the service is asked once the first frame is on the
    // screen (a timer's message comes after the window's first paint): that work must not slow
    // the frame down.
    ::SetTimer(m_hWnd, kRefreshTimerId, 1, nullptr);
}

void CVexoInstallView::ShowPicture(EGamePicture picture, std::unique_ptr<SkinUI::TImageData> image) {
    const TPictureControl& place = kPictureControls[static_cast<size_t>(picture)];
    SkinUI::CControlUI* control = Find(place.control);
    if (control == nullptr || image == nullptr) return;
    // The picture goes into the table under a name of its own generation, and the control turns
    // to it in the same step: nothing is drawn in between, and the earlier picture (the skin's,
    // or one shown before) is let go only once the control no longer points at it. A picture
    // that cannot be stored leaves the control as it was.
    const std::wstring name = place.tableName + std::wstring(L"#") + std::to_wstring(++m_nPictureGeneration);
    if (m_PaintManager.AddDecodedImage(name.c_str(), std::move(image)) == nullptr) return;
    const std::wstring previous = PictureNameIn(control->QueryAttribute(L"bkimage").GetData());
    control->ApplyAttribute(L"bkimage", place.describe(name).c_str());
    // The earlier picture leaves the window's table whoever loaded it: the skin's background is
    // as large as the window, and nothing shows it once the game's is there. The table decodes a
    // picture when it is first drawn, so one that another control still shows comes back on that
    // control's next paint.
    if (!previous.empty()) m_PaintManager.RemoveImage(previous.c_str());
}

void CVexoInstallView::StartRefresh() {
    m_nPictureDpi = m_PaintManager.Dpi();
    ResetEvent(m_hRefreshEnded.Get());
    // The thread owns the call (and the copy of the record it carries) and deletes itself.
    if (!StartCallThread(bxutil::NewAsyncCall(this, &CVexoInstallView::RefreshGameInfo, m_gameInfo))) {
        SetEvent(m_hRefreshEnded.Get());
    }
}

void CVexoInstallView::RefreshGameInfo(TGameInfo& known) {
    const std::function<bool()> stop = [this] { return m_bStopping || UiDispatchEnded(); };
    try {
        ShowKeptPictures(known, stop);
        if (m_bRefreshOnStart && !stop()) FetchGameInfo(known, stop);
    } catch (...) {
    }
    SetEvent(m_hRefreshEnded.Get());
}

void CVexoInstallView::ShowKeptPictures(const TGameInfo& known, const std::function<bool()>& stop) {
    // Decoded here, so that the window never waits for a picture (a hostile one is refused for
    // its size before it is decoded).
    for (EGamePicture picture : kGamePictures) {
        if (stop()) return;
        PostPicture(picture, LoadGamePicture(GamePictureFile(known, picture), picture, m_nPictureDpi));
    }
}

void CVexoInstallView::FetchGameInfo(TGameInfo& known, const std::function<bool()>& stop) {
    TGameInfo answered = known;
    CGameInfoRequest request;
    request.SetStop(stop);
    if (AskGameInfo(m_strGameId, answered, request)) {
        known = answered;
        // The name first: the pictures may take their time.
        PostCallToUiThread(bxutil::NewAsyncCall(this, &CVexoInstallView::OnGameNameArrived, known.shortName));
    }
    // Without an answer the kept addresses are asked: the pictures may have changed. Each fresh
    // picture comes decoded and follows the kept ones to the window.
    DownloadArtwork(m_strGameId, known, stop, m_nPictureDpi,
                    [this](EGamePicture picture, std::unique_ptr<SkinUI::TImageData> image) {
                        PostPicture(picture, std::move(image));
                    });
    PostCallToUiThread(bxutil::NewAsyncCall(this, &CVexoInstallView::OnGameInfoArrived, known));
}

void CVexoInstallView::PostPicture(EGamePicture picture, std::unique_ptr<SkinUI::TImageData> image) {
    if (image == nullptr) return;
    auto arrived = std::make_shared<TArrivedPicture>(TArrivedPicture{picture, std::move(image)});
    PostCallToUiThread(bxutil::NewAsyncCall(this, &CVexoInstallView::OnPictureArrived, arrived));
}

void CVexoInstallView::OnPictureArrived(const TArrivedPicturePtr& arrived) {
    ShowPicture(arrived->picture, std::move(arrived->image));
}

void CVexoInstallView::OnGameNameArrived(const std::wstring& shortName) {
    m_gameInfo.shortName = shortName;
    ShowTitle();
}

void CVexoInstallView::OnGameInfoArrived(const TGameInfo& info) {
    m_gameInfo = info;
    ShowTitle();
}

void CVexoInstallView::ShowTitle() {
    if (SkinUI::CControlUI* title = Find(L"GameNameLabel")) {
        title->SetText(BuildGameTitle(m_gameInfo.shortName).c_str());
    }
}

void CVexoInstallView::Notify(SkinUI::TNotifyMsg& msg) {
    if (msg.strType == L"click" && msg.pSender != nullptr) {
        const SkinUI::CUIString name = msg.pSender->Name();
        if (name == L"CloseBtn") {
            PostMessage(WM_CLOSE);
        } else if (name == L"MinBtn") {
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        } else if (name == L"InstallGameBtn") {
            OnInstallGameClicked();
        } else if (name == L"InstallVexoBtn") {
            // A click while an installation runs starts nothing.
            m_pWorkflow->Start();
        }
    }
    WindowImplBase::Notify(msg);
}

void CVexoInstallView::OnInstallGameClicked() {
    // The hand-over waits for the usage report: it runs on a worker while the window is gone
    // from the screen, and the worker closes the window when it is done.
    bool idle = false;
    if (!m_bHandingOver.compare_exchange_strong(idle, true)) return;
    HideWindow();
    ResetEvent(m_hHandOverEnded.Get());
    if (!StartCallThread(bxutil::NewAsyncCall(this, &CVexoInstallView::HandOverGame))) {
        HandOverGame();
    }
}

void CVexoInstallView::HandOverGame() {
    TLaunchRequest request;
    request.gameId = m_strGameId;
    request.comefrom = m_strComefrom;
    request.clientWasInstalled = m_nClientFound == 1;
    try {
        LaunchClient(request);
    } catch (...) {
    }
    PostMessage(WM_CLOSE);
    SetEvent(m_hHandOverEnded.Get());
}

bool CVexoInstallView::StopWork(DWORD timeoutMs) {
    m_bStopping = true;
    m_pWorkflow->Stop();
    const HANDLE workers[] = {m_hHandOverEnded.Get(), m_hRefreshEnded.Get()};
    const bool ended = WaitForMultipleObjects(2, workers, TRUE, timeoutMs) == WAIT_OBJECT_0;
    const bool idle = m_pWorkflow->WaitUntilIdle(timeoutMs);
    SendEndReport();
    return ended && idle;
}

void CVexoInstallView::SendEndReport() {
    // Every run that reaches its end reports once: one whose installation failed, and which the
    // user then closed, reports here (a hand-over has reported already).
    if (!m_pWorkflow->EndsUnreported() || m_bHandingOver) return;
    ResetEvent(m_hHandOverEnded.Get());
    if (StartCallThread(bxutil::NewAsyncCall(this, &CVexoInstallView::ReportEnd))) {
        WaitForSingleObject(m_hHandOverEnded.Get(), kEndReportWaitMs);
    }
}

void CVexoInstallView::ReportEnd() {
    try {
        SendReport(StatsServiceBaseUrl(), m_strGameId, m_strComefrom);
    } catch (...) {
    }
    SetEvent(m_hHandOverEnded.Get());
}

int CVexoInstallView::ShowProgress(const int& percent) {
    if (m_pProgress == nullptr) return 0;
    return m_pWorkflow->ShowProgress(percent);
}

void CVexoInstallView::ShowProgressLayout() {
    ShowControl(L"InstallGameLayout", false);
    ShowControl(L"InstallVexoLayout", false);
    ShowControl(L"ProgressLayout", true);
    if (m_pProgress != nullptr) m_pProgress->SetVisible(true);
}

void CVexoInstallView::SetProgressValue(const int& percent) {
    if (m_pProgress != nullptr) m_pProgress->SetValue(percent);
}

void CVexoInstallView::SetPercentText(const std::wstring& text) {
    if (m_pPercentLabel != nullptr) m_pPercentLabel->SetText(text.c_str());
}

void CVexoInstallView::SetStatusText(const std::wstring& text) {
    if (m_pStatusLabel != nullptr) m_pStatusLabel->SetText(text.c_str());
}

void CVexoInstallView::ShowInstallButton() {
    // The bottom area holds one of its three layouts at a time: the button's layout comes back
    // and carries the reason under the button ("InstallVexoStatus"), so that the user reads
    // what failed beside the button that tries again.
    if (SkinUI::CControlUI* reason = Find(L"InstallVexoStatus")) {
        reason->SetText(m_pStatusLabel != nullptr ? m_pStatusLabel->Text().GetData() : L"");
    }
    ShowControl(L"ProgressLayout", false);
    ShowControl(L"InstallVexoLayout", true);
}

void CVexoInstallView::HideWindow() { ShowWindow(false, false); }

void CVexoInstallView::CloseWindow() { PostMessage(WM_CLOSE); }
