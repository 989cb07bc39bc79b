#include "app/VexoInstallView.h"

#include <utility>

#include "app/ClientLaunch.h"
#include "app/PackageStamp.h"
#include "support/AsyncCall.h"
#include "support/LibThread.h"
#include "support/Log.h"
#include "ui/controls/ControlUI.h"
#include "ui/controls/ProgressUI.h"

namespace {

// The names the game's pictures have in the window's picture table.
constexpr wchar_t kBackgroundPicture[] = L"vexo-game-background";
constexpr wchar_t kLogoPicture[] = L"vexo-game-logo";
constexpr wchar_t kIconPicture[] = L"vexo-game-icon";
constexpr UINT kSkinResourceId = 146;

}  // namespace

CVexoInstallView::CVexoInstallView(std::string gameId, std::string comefrom)
    : m_strGameId(EffectiveGameId(std::move(gameId))), m_strComefrom(std::move(comefrom)) {
    LoadGameInfo(m_strGameId, m_gameInfo);
    DownloadArtwork(m_strGameId, m_gameInfo);
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

LRESULT CVexoInstallView::HandleOtherMessage(UINT, WPARAM, LPARAM, bool&) { return 0; }

SkinUI::CControlUI* CVexoInstallView::Find(LPCWSTR name) { return m_PaintManager.FindControl(name); }

void CVexoInstallView::ShowControl(LPCWSTR name, bool visible) {
    if (SkinUI::CControlUI* control = Find(name)) control->SetVisible(visible);
}

void CVexoInstallView::OnWindowReady() {
    m_nClientFound = IsClientInstalled();
    ApplyGameInfo();
    ShowControl(L"ProgressLayout", false);
    if (SkinUI::CControlUI* progress = Find(L"Progress")) {
        m_pProgress = static_cast<SkinUI::CProgressUI*>(progress->InterfaceByName(L"Progress"));
        progress->SetVisible(false);
    }
    m_pPercentLabel = Find(L"GamePercent");
    m_pStatusLabel = Find(L"GameStatus");
    ShowControl(m_nClientFound == 1 ? L"InstallGameLayout" : L"InstallVexoLayout", true);
}

void CVexoInstallView::ShowPicture(LPCWSTR controlName, LPCWSTR pictureName, const std::wstring& file,
                                   const std::wstring& description) {
    SkinUI::CControlUI* control = Find(controlName);
    if (control == nullptr) return;
    // The control lets go of the picture before its table entry is replaced.
    control->SetBackImage(L"");
    m_PaintManager.AddImageFromFile(pictureName, file.c_str());
    control->ApplyAttribute(L"bkimage", description.c_str());
}

void CVexoInstallView::ApplyGameInfo() {
    // The pictures reach the controls by name, never by path: the temporary folder's path may
    // hold characters the image description syntax reserves.
    ShowPicture(L"background", kBackgroundPicture, m_gameInfo.backgroundFile,
                BackgroundImageDescription(kBackgroundPicture));
    ShowPicture(L"logoimage", kLogoPicture, m_gameInfo.logoFile, kLogoPicture);
    if (SkinUI::CControlUI* title = Find(L"GameNameLabel")) {
        title->SetText(BuildGameTitle(m_gameInfo.shortName).c_str());
    }
    ShowPicture(L"GameIcon", kIconPicture, m_gameInfo.iconFile, kIconPicture);
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
    m_pWorkflow->Stop();
    const bool handedOver = WaitForSingleObject(m_hHandOverEnded.Get(), timeoutMs) == WAIT_OBJECT_0;
    return m_pWorkflow->WaitUntilIdle(timeoutMs) && handedOver;
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
