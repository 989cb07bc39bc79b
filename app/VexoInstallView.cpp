#include "app/VexoInstallView.h"

#include <utility>

#include "app/ClientLaunch.h"
#include "support/Log.h"
#include "ui/controls/ControlUI.h"
#include "ui/controls/ProgressUI.h"

namespace {

// The game a stamp-less executable installs: its DOS stub reads "This pr" where the id would be.
constexpr char kUnstampedGameId[] = "This pr";
constexpr char kDefaultGameId[] = "1000450";
constexpr UINT kSkinResourceId = 146;

std::string EffectiveGameId(std::string gameId) {
    return gameId == kUnstampedGameId ? std::string(kDefaultGameId) : gameId;
}

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

void CVexoInstallView::ApplyGameInfo() {
    if (SkinUI::CControlUI* background = Find(L"background")) {
        background->ApplyAttribute(L"bkimage", BackgroundImageDescription(m_gameInfo.backgroundFile).c_str());
    }
    if (SkinUI::CControlUI* logo = Find(L"logoimage")) logo->SetBackImage(m_gameInfo.logoFile.c_str());
    if (SkinUI::CControlUI* title = Find(L"GameNameLabel")) {
        title->SetText(BuildGameTitle(m_gameInfo.shortName).c_str());
    }
    if (SkinUI::CControlUI* icon = Find(L"GameIcon")) icon->SetBackImage(m_gameInfo.iconFile.c_str());
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
    TLaunchRequest request;
    request.gameId = m_strGameId;
    request.comefrom = m_strComefrom;
    request.clientWasInstalled = m_nClientFound == 1;
    LaunchClient(request);
    PostMessage(WM_CLOSE);
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
