#pragma once
// The game's information: its short name and its three pictures, fetched from the platform's
// game-information service before the window exists, and the pictures kept in the temporary
// folder (where a later run finds them when the service cannot be reached).

#include <mutex>
#include <string>

#include "app/ServiceHosts.h"
#include "app/SystemProxy.h"

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

// One POST to the game-information service through libcurl. The server's certificate is verified
// against the system's trusted authorities, and the system's proxy setting is applied. Up to
// three attempts, each bounded (2 s to connect, 10 s in all); only a reply up to
// kMaxJsonReplyBytes is taken.
class CGameInfoRequest {
public:
    explicit CGameInfoRequest(std::string url = GameInfoServiceUrl(), TProxySetting proxy = ReadSystemProxySetting());
    CGameInfoRequest(const CGameInfoRequest&) = delete;
    CGameInfoRequest& operator=(const CGameInfoRequest&) = delete;

    // Sends body (form-encoded text) and returns the reply of the first attempt that completed,
    // up to its first NUL byte; empty when no attempt completed.
    std::string Post(const std::string& body);

    // The libcurl result of the last attempt (0 when it completed).
    int LastResult() const { return m_nLastResult; }
    // How many attempts the last Post made.
    int Attempts() const { return m_nAttempts; }

private:
    char m_szError[2048];  // libcurl's error text, for a debugger
    std::mutex m_lock;     // one Post at a time on one object
    std::string m_strUrl;
    TProxySetting m_proxy;
    int m_nLastResult = 0;
    int m_nAttempts = 0;
};

// The request body for a game: "jsondata=" and the form-encoded {"GameId":<gameId>}.
std::string BuildGameInfoBody(const std::string& gameId);

// Reads the name and the three picture addresses from a reply ("result" object with
// "ShortNameChs", "IconImage", "LauncherImage", "LogoImage"; a number is taken as its digits,
// anything else as empty). False, with the four values empty, when the reply is not JSON or
// has no "result" object.
bool ParseGameInfoReply(const std::string& reply, TGameInfo& info);

// Asks the service about the game and fills the name and the addresses of info. Returns 1.
int LoadGameInfo(const std::string& gameId, TGameInfo& info);
int LoadGameInfo(const std::string& gameId, TGameInfo& info, CGameInfoRequest& request);

// Sets the three local picture files (in the temporary folder, named after the game) and
// downloads the pictures into them, resuming what an earlier run left. A failed download leaves
// whatever file was there. Returns 1.
int DownloadArtwork(const std::string& gameId, TGameInfo& info);

// The local file of one picture: the temporary folder, prefix and gameId, ".png". Characters of
// gameId that cannot stand in a file name (path separators, wildcards, control characters) are
// replaced by "_" so that the file stays inside the temporary folder.
std::wstring ArtworkFile(const char* prefix, const std::string& gameId);

// The title-bar text: 《name》游戏安装 - Vexo游戏平台.
std::wstring BuildGameTitle(const std::wstring& shortName);

// The background's image description: the launcher picture's region from x 193 to 1173 and y 0
// to 600 drawn over the whole 980 by 600 window.
std::wstring BackgroundImageDescription(const std::wstring& file);
