#pragma once
// The game's information: its short name and its three pictures, fetched from the platform's
// game-information service while the window already shows what an earlier run kept. The last
// record the service gave and the pictures stay in the temporary folder, where a later run finds
// them at once (also when the service cannot be reached).

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/ServiceHosts.h"
#include "app/SystemProxy.h"

namespace SkinUI {
struct TImageData;
}

// What the window shows of the game. Everything is empty when unknown.
struct TGameInfo {
    std::wstring shortName;    // the game's short name
    std::wstring iconUrl;      // title-bar icon
    std::wstring launcherUrl;  // launcher picture, shown as the window's background
    std::wstring logoUrl;      // logo
    std::wstring iconFile;     // local files of the three pictures (set by DownloadArtwork)
    std::wstring backgroundFile;
    std::wstring logoFile;
};

// One POST to the game-information service, by its row of the service client (ServiceClient.h:
// libcurl, the server's certificate verified against the system's trusted authorities, the
// given proxy setting, its attempts, deadline and bound on the reply).
class CGameInfoRequest {
public:
    explicit CGameInfoRequest(std::string url = GameInfoServiceUrl(), TProxySetting proxy = ReadSystemProxySetting());
    CGameInfoRequest(const CGameInfoRequest&) = delete;
    CGameInfoRequest& operator=(const CGameInfoRequest&) = delete;

    // Sends body (form-encoded text) and returns the reply of the first attempt that completed,
    // up to its first NUL byte; empty when no attempt completed.
    std::string Post(const std::string& body);
    // Asked a few times a second while a request runs: true abandons it (no further attempt).
    void SetStop(std::function<bool()> stop) { m_fnStop = std::move(stop); }

    // The libcurl result of the last attempt (0 when it completed).
    int LastResult() const { return m_nLastResult; }
    // How many attempts the last Post made.
    int Attempts() const { return m_nAttempts; }

private:
    std::mutex m_lock;     // one Post at a time on one object
    std::string m_strUrl;
    TProxySetting m_proxy;
    int m_nLastResult = 0;
    int m_nAttempts = 0;
    std::function<bool()> m_fnStop;
};

// The request body for a game: "jsondata=" and the form-encoded {"GameId":<gameId>}.
std::string BuildGameInfoBody(const std::string& gameId);

// Reads the name and the three picture addresses from a reply ("result" object with
// "ShortNameChs", "IconImage", "LauncherImage", "LogoImage"; a number is taken as its digits,
// anything else as empty). False, with the four values empty, when the reply is not JSON or
// has no "result" object.
bool ParseGameInfoReply(const std::string& reply, TGameInfo& info);

// Asks the service about the game and fills the name and the addresses of info (all four empty
// when no record came). A reply that is a game record is kept (GameRecordFile) for the next run.
// True when the service gave a record.
bool AskGameInfo(const std::string& gameId, TGameInfo& info, CGameInfoRequest& request);
// AskGameInfo; returns 1.
int LoadGameInfo(const std::string& gameId, TGameInfo& info);
int LoadGameInfo(const std::string& gameId, TGameInfo& info, CGameInfoRequest& request);

// Where the last record the service gave for the game is kept: "gameinfo<gameId>.json" in the
// temporary folder, beside the pictures (the reply as it came, replaced in one step).
std::wstring GameRecordFile(const std::string& gameId);

// Fills the name and the addresses of info from the kept record; false (info untouched) when
// there is none that reads as a record.
bool LoadKeptGameInfo(const std::string& gameId, TGameInfo& info);

// Sets the three local picture files: the temporary folder, named after the game.
void SetArtworkFiles(const std::string& gameId, TGameInfo& info);

// The game's three pictures.
enum class EGamePicture { kIcon, kBackground, kLogo };
constexpr EGamePicture kGamePictures[] = {EGamePicture::kIcon, EGamePicture::kBackground,
                                          EGamePicture::kLogo};

// The local file of a picture (set by SetArtworkFiles).
const std::wstring& GamePictureFile(const TGameInfo& info, EGamePicture picture);
// The box the window shows a picture in, in skin units: the icon 36 x 36, the logo 306 x 149,
// the background the whole 980 x 600 window.
SIZE GamePictureBox(EGamePicture picture);

// Reads a picture's file and decodes it for a window at dpi, brought to that density. Null when
// the file cannot be read, is no picture the skin's decoder takes, or states more pixels than
// its box may show at dpi (SkinUI::PixelBoundForBox): such a picture is refused from its header,
// never decoded. Refusals are logged, and so is every picture decoded. Decoding and resampling
// take time: this is work for a worker thread, never for the UI thread.
std::unique_ptr<SkinUI::TImageData> LoadGamePicture(const std::wstring& file, EGamePicture picture,
                                                    int dpi);

// Receives a fresh picture, decoded for the window, once it has replaced the kept one.
using TFreshPictureFn = std::function<void(EGamePicture, std::unique_ptr<SkinUI::TImageData>)>;

// Sets the three local picture files and downloads the pictures, each afresh into a file of its
// own that replaces the kept picture only when it is complete and decodes for a window at dpi
// (LoadGamePicture): a failed, damaged or oversized download leaves the earlier picture as it
// was. Each picture that replaced its kept one goes to fresh, decoded. Only https addresses are
// asked. stop, when given, abandons the downloads. Returns 1.
int DownloadArtwork(const std::string& gameId, TGameInfo& info,
                    const std::function<bool()>& stop = {}, int dpi = 96,
                    const TFreshPictureFn& fresh = {});

// The local file of one picture: the temporary folder, prefix and gameId, ".png". Characters of
// gameId that cannot stand in a file name (path separators, wildcards, control characters) are
// replaced by "_" so that the file stays inside the temporary folder.
std::wstring ArtworkFile(const char* prefix, const std::string& gameId);

// The title-bar text in the user's language: 《name》游戏安装 - Vexo游戏平台 in Chinese, or
// Vexo游戏平台 - 游戏安装 while the name is not known.
std::wstring BuildGameTitle(const std::wstring& shortName);

// The background's image description: the launcher picture's region from x 193 to 1173 and y 0
// to 600 drawn over the whole 980 by 600 window.
std::wstring BackgroundImageDescription(const std::wstring& file);
