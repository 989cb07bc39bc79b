#pragma once
// CVexoInstallView: the installer's only window and the holder of its state. A skinned,
// frameless 980 by 600 window built from "VexoInsatllView.xml" in the ZIP archive stored in the
// executable's resources. It shows the game's name and pictures, offers the install button that
// fits (hand the game to an installed client, or install the client first) and shows the
// installation's progress.
//
// The object is created by start-up and lives until the process ends (worker threads of an
// installation may still use it while the process exits).

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/GameInfo.h"
#include "app/InstallWorkflow.h"
#include "ui/core/window/WindowImplBase.h"

namespace SkinUI {
class CControlUI;
class CProgressUI;
struct TImageData;
}  // namespace SkinUI

class CVexoInstallView : public SkinUI::WindowImplBase, private IInstallUi {
public:
    // Takes the game id (seven digits, else the default game) and what an earlier run kept of
    // the game's record and pictures; the service is asked once the window shows.
    CVexoInstallView(std::string gameId, std::string comefrom);
    // For tests and tools: the game information is given instead of fetched.
    CVexoInstallView(std::string gameId, std::string comefrom, TGameInfo info);
    ~CVexoInstallView() override;

    LPCWSTR WindowClassName() const override;
    void OnWindowReady() override;
    SkinUI::CUIString SkinFolder() override;
    SkinUI::CUIString SkinFileName() override;
    UINT SkinSourceKind() const override;
    LPCWSTR SkinResourceId() const override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Notify(SkinUI::TNotifyMsg& msg) override;

    // The progress display for one percentage: bar, "37%" and the status line. 0 while the
    // window's controls are not known yet, else 1.
    int ShowProgress(const int& percent);

    // The window has ended: asks the work it started to stop, and waits up to timeoutMs for
    // each worker to let go of this object. False when one is still busy.
    bool StopWork(DWORD timeoutMs);

    const std::string& GameId() const { return m_strGameId; }
    const std::string& Comefrom() const { return m_strComefrom; }
    const TGameInfo& GameInfo() const { return m_gameInfo; }
    int ClientFound() const { return m_nClientFound; }

private:
    // IInstallUi: the installation's calls, all on the UI thread.
    void ShowProgressLayout() override;
    void SetProgressValue(const int& percent) override;
    void SetPercentText(const std::wstring& text) override;
    void SetStatusText(const std::wstring& text) override;
    void ShowInstallButton() override;
    void HideWindow() override;
    void CloseWindow() override;

    // A game picture decoded on a worker, on its way to the UI thread (call objects carry
    // copyable arguments: the picture travels inside a shared holder).
    struct TArrivedPicture {
        EGamePicture picture;
        std::unique_ptr<SkinUI::TImageData> image;
    };
    using TArrivedPicturePtr = std::shared_ptr<TArrivedPicture>;

    SkinUI::CControlUI* Find(LPCWSTR name);
    void ShowControl(LPCWSTR name, bool visible);
    // UI thread: shows a decoded picture on its control (it only stores the bitmap: decoding and
    // scaling were done on a worker).
    void ShowPicture(EGamePicture picture, std::unique_ptr<SkinUI::TImageData> image);
    // Once the window shows, a worker decodes the kept pictures and then (unless the game's
    // information was given) asks the service and fetches the pictures.
    void StartRefresh();
    // Worker: the kept pictures, then what the service and the picture host bring, reach the
    // window on the UI thread.
    void RefreshGameInfo(TGameInfo& known);
    void ShowKeptPictures(const TGameInfo& known, const std::function<bool()>& stop);
    void FetchGameInfo(TGameInfo& known, const std::function<bool()>& stop);
    // Worker: hands a decoded picture (none: nothing) to the UI thread.
    void PostPicture(EGamePicture picture, std::unique_ptr<SkinUI::TImageData> image);
    // UI thread: the name, the record and the pictures change in place.
    void OnGameNameArrived(const std::wstring& shortName);
    void OnGameInfoArrived(const TGameInfo& info);
    void OnPictureArrived(const TArrivedPicturePtr& arrived);
    void ShowTitle();
    // A run that ends with an installation failed and no hand-over reports once, waiting a few
    // seconds at most.
    void SendEndReport();
    void ReportEnd();
    void OnInstallGameClicked();
    // Worker: starts the client with the game, sends the report and closes the window.
    void HandOverGame();
    TInstallSettings InstallSettings() const;

    std::string m_strGameId;
    std::string m_strComefrom;
    int m_nClientFound = 0;
    TGameInfo m_gameInfo;  // short name, picture addresses and their local files
    SkinUI::CProgressUI* m_pProgress = nullptr;      // owned by the control tree
    SkinUI::CControlUI* m_pPercentLabel = nullptr;   // owned by the control tree
    SkinUI::CControlUI* m_pStatusLabel = nullptr;    // owned by the control tree
    std::unique_ptr<CInstallWorkflow> m_pWorkflow;
    std::atomic<bool> m_bHandingOver{false};
    std::atomic<bool> m_bStopping{false};
    bool m_bRefreshOnStart = false;  // the record is fetched (not given by a test)
    int m_nPictureDpi = 96;          // the density the worker decodes pictures for
    unsigned m_nPictureGeneration = 0;
    // Manual-reset, signalled while no hand-over (or end report) runs, and while no refresh
    // of the game's record runs.
    bxutil::CKernelHandle m_hHandOverEnded{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
    bxutil::CKernelHandle m_hRefreshEnded{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
};
