// Start-up of the offline installer: the stamp, the main window with its skin, the modal loop.
#include <windows.h>

#include "app/PackageStamp.h"
#include "app/SingleInstance.h"
#include "app/VexoInstallView.h"
#include "support/ComHolders.h"
#include "support/Log.h"
#include "support/SystemLibrary.h"
#include "support/UiDispatch.h"
#include "support/UniqueHandle.h"
#include "ui/core/manager/WindowManager.h"

namespace {

constexpr DWORD kMainWindowStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kMainWindowExStyle = WS_EX_WINDOWEDGE;
constexpr UINT kIconResourceId = 143;
constexpr DWORD kWorkerStopWaitMs = 3000;
// How long a second start waits for the installer that holds the game: longer than that one's
// way out after its window closed (its workers 3 s + 3 s, then its usage report 5 s), and than
// the making of its window when it has only just started.
constexpr DWORD kWaitForHolderMs = 12000;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // System DLLs from System32 only, before anything loads one (support/SystemLibrary.h).
    RestrictDllSearchToSystem();
    // Support asks a player for a log by the key "log" in config.ini; without it nothing is
    // written.
    ConfigureLogFromConfigFile();
    const TPackageStamp stamp = ReadPackageStamp();
    const std::string gameId = EffectiveGameId(stamp.gameId);

    // One installer per game: a second start shows the first one's window and leaves, or waits
    // for a first one on its way out and then starts itself.
    bxutil::CKernelHandle claim;
    if (ClaimGame(gameId, kWaitForHolderMs, claim) == EGameClaim::kShownRunning) return 0;

    // The UI thread is a single-threaded apartment for as long as it runs the window (controls
    // of the skin may host COM objects).
    const bxutil::COleApartment com;
    SkinUI::CWindowManagerUI::SetModuleInstance(instance);
    SkinUI::CWindowManagerUI::SetSkinPath(SkinUI::CWindowManagerUI::ModuleDirectory());
    SkinUI::CWindowManagerUI::SetSkinFileSource(SkinUI::ESkinFileSource::kPackageOnly);

    // The main thread is the UI thread: the installation's worker threads hand their control
    // updates to this dispatch window, so that only this thread touches the controls.
    bxutil::CWindowHandle dispatch(CreateUiCallWindow());

    // The window object lives until the process ends: an installation's worker threads may
    // still use it while the process exits.
    auto* view = new CVexoInstallView(gameId, stamp.comefrom);
    if (view->Create(nullptr, L"CSkinFrameWnd", kMainWindowStyle, kMainWindowExStyle) != nullptr) {
        view->SetIcon(kIconResourceId);
        view->CenterWindow();
        view->RunModalLoop();
    }
    // From here on nothing a worker hands to the UI thread runs; the workers stop. One that
    // cannot let go in time (waiting for a client installer, say) ends with the process before
    // any static object is torn down under it.
    dispatch.Reset();
    if (!view->StopWork(kWorkerStopWaitMs)) ExitProcess(0);
    return 0;
}
