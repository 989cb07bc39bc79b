#include "app/GameInfo.h"

#include <curl/curl.h>

#include <memory>
#include <vector>

#include "app/AppTexts.h"
#include "app/FormatText.h"
#include "app/JsonReply.h"
#include "app/PeerCertificateCheck.h"
#include "app/TempFiles.h"
#include "support/FileUtil.h"
#include "support/JsonText.h"
#include "support/LibBiz.h"
#include "support/LibHttpHelper.h"
#include "support/Log.h"
#include "support/TextConvert.h"
#include "ui/core/skin/SkinImage.h"
#include "ui/core/skin/SkinImageCheck.h"
#include "ui/core/skin/SkinPackage.h"

namespace {

constexpr int kPostAttempts = 3;
constexpr long kConnectTimeoutMs = 2000;
constexpr long kTimeoutSeconds = 10;
constexpr long kDnsCacheSeconds = 60;
constexpr long long kMaxPictureBytes = 16ll << 20;
// Which TLS libcurl was built with (the build's VEXO_TLS).
constexpr bool kTlsIsSchannel = VEXO_TLS_SCHANNEL != 0;

// libcurl's process-wide set-up, done once, before the first request (the first request runs on
// the main thread before any other thread exists).
bool CurlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

// The reply of one attempt, refused once it outgrows what any genuine reply needs.
struct TReplyBuffer {
    std::string text;
    bool tooLong = false;
};

size_t AppendReply(char* data, size_t size, size_t count, void* userData) {
    TReplyBuffer& reply = *static_cast<TReplyBuffer*>(userData);
    // size is 1 for body data; count alone bounds the copy.
    if (size != 1 || count > kMaxJsonReplyBytes - reply.text.size()) {
        reply.tooLong = true;
        return 0;  // libcurl ends the transfer with a write error
    }
    reply.text.append(data, count);
    return count;
}

// The server must prove its name against the system's trusted authorities, as on the WinInet
// path: the reply names the pictures the installer shows. No certificate file or folder is
// consulted: libcurl's built-in defaults name paths of its build host, which on Windows anyone
// may create.
bool SetUpTrust(CURL* curl) {
    bool ok = curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_CAINFO, nullptr) == CURLE_OK;
    if constexpr (kTlsIsSchannel) {
        // Schannel verifies against the Windows certificate store by itself (it knows no
        // certificate folder). A certificate the system knows to be revoked is refused; one whose
        // revocation cannot be checked (no distribution point, or a network that blocks it) is
        // not, as in the system's browser: the installer must work behind such networks.
        ok &= curl_easy_setopt(curl, CURLOPT_SSL_OPTIONS,
                               static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT)) == CURLE_OK;
    } else {
        ok &= curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr) == CURLE_OK;
        ok &= curl_easy_setopt(curl, CURLOPT_SSL_OPTIONS,
                               static_cast<long>(CURLSSLOPT_NATIVE_CA)) == CURLE_OK;
    }
    return ok;
}

bool SetUpRequest(CURL* curl, char* errorBuffer, const std::string& url, const std::string& body,
                  const std::string& proxy, TReplyBuffer& reply) {
    bool ok = curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_URL, url.c_str()) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_POST, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size())) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str()) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendReply) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_USERAGENT, "libcurl-agent/1.0") == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_DNS_CACHE_TIMEOUT, kDnsCacheSeconds) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxJsonReplyBytes)) == CURLE_OK;
    ok &= SetUpTrust(curl);
    // Always set, so that only the system's setting counts (an empty text means direct).
    ok &= curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str()) == CURLE_OK;
    return ok;
}

int AskStop(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return (*static_cast<const std::function<bool()>*>(stop))() ? 1 : 0;
}

bool SetUpStop(CURL* curl, const std::function<bool()>& stop) {
    if (!stop) return true;
    bool ok = curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &AskStop) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop) == CURLE_OK;
    return ok;
}

// The check of the server's certificate before the request is sent, where libcurl runs on
// Schannel (see PeerCertificateCheck.h).
struct TPeerCheck {
    CURL* curl = nullptr;
    std::wstring host;
    bool refused = false;
};

int CheckPeerBeforeRequest(void* data, char*, char*, int, int) {
    TPeerCheck& check = *static_cast<TPeerCheck*>(data);
    check.refused = !IsPeerCertificateTrusted(check.curl, check.host);
    return check.refused ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
}

bool SetUpPeerCheck(CURL* curl, TPeerCheck& check) {
    if constexpr (!kTlsIsSchannel) return true;
    bool ok = curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, &CheckPeerBeforeRequest) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_PREREQDATA, &check) == CURLE_OK;
    return ok;
}

bool IsFinalFailure(CURLcode result, const TReplyBuffer& reply) {
    // A reply too long for us stays too long on a second attempt.
    return reply.tooLong || result == CURLE_FILESIZE_EXCEEDED;
}

bool IsFileNameSafe(unsigned char c) {
    return c >= 0x20 && c != 0x7F && c != '\\' && c != '/' && c != ':' && c != '*' && c != '?' && c != '"' &&
           c != '<' && c != '>' && c != '|';
}

// A file of the temporary folder named prefix, gameId and extension. Characters of gameId that
// cannot stand in a file name are replaced by "_", so that the file stays inside the folder.
std::wstring SafeTempFileName(const char* prefix, const std::string& gameId, const wchar_t* extension) {
    std::string name = prefix;
    for (const char c : gameId) name += IsFileNameSafe(static_cast<unsigned char>(c)) ? c : '_';
    return TempFolder() + AnsiToWide(name) + extension;
}

// Why a picture file that was read gives no picture, for the log.
void LogRefusedPicture(const std::wstring& file, const std::vector<BYTE>& bytes, long long bound,
                       SIZE box, int dpi) {
    long long width = 0, height = 0;
    if (SkinUI::ReadPictureSize(bytes.data(), bytes.size(), &width, &height) && width * height > bound) {
        const TLogRecord record = {1, L"GameInfo.cpp", __LINE__};
        WriteLog(&record, L"game picture %s refused: %I64d x %I64d pixels, more than the %I64d its %d x %d box takes at %d DPI",
                 file.c_str(), width, height, bound, static_cast<int>(box.cx), static_cast<int>(box.cy), dpi);
        return;
    }
    const TLogRecord record = {1, L"GameInfo.cpp", __LINE__};
    WriteLog(&record, L"game picture %s refused: no picture the window can show", file.c_str());
}

// Fetched afresh into a file of its own, which replaces the kept picture only when it is whole
// and decodes for the window. Without an https address there is nothing to ask for. A service
// that sends without end, or a byte at a time, is cut off: no picture of the skin's sizes comes
// near these bounds. The picture that replaced the kept one, decoded; else null.
std::unique_ptr<SkinUI::TImageData> DownloadPicture(const std::wstring& url, const std::wstring& file,
                                                    EGamePicture picture, int dpi,
                                                    const std::function<bool()>& stop) {
    if (!bxutil::IsHttpsUrl(url)) return nullptr;
    THttpLimits limits;
    limits.maxFileBytes = kMaxPictureBytes;
    limits.maxMilliseconds = kTimeoutSeconds * 1000;
    limits.httpsOnly = true;  // the pictures are decoded: nothing of them comes in plain text
    limits.stop = stop;
    const std::wstring fresh = file + L".download";
    if (CLibHttpHelper::DownloadFile(false, url, fresh, HttpProgressFn(), limits)) {
        std::unique_ptr<SkinUI::TImageData> image = LoadGamePicture(fresh, picture, dpi);
        if (image != nullptr && ReplaceFileWith(file, fresh)) return image;
    }
    DeleteDownloadedFile(fresh);
    return nullptr;
}

struct TGamePictureSlot {
    std::wstring TGameInfo::*url;
    std::wstring TGameInfo::*file;
    SIZE box;
};

// By EGamePicture.
constexpr TGamePictureSlot kPictureSlots[] = {
    {&TGameInfo::iconUrl, &TGameInfo::iconFile, {36, 36}},
    {&TGameInfo::launcherUrl, &TGameInfo::backgroundFile, {980, 600}},
    {&TGameInfo::logoUrl, &TGameInfo::logoFile, {306, 149}},
};

const TGamePictureSlot& PictureSlot(EGamePicture picture) {
    return kPictureSlots[static_cast<size_t>(picture)];
}

}  // namespace

CGameInfoRequest::CGameInfoRequest(std::string url, TProxySetting proxy)
    : m_szError{}, m_strUrl(std::move(url)), m_proxy(std::move(proxy)) {}

std::string CGameInfoRequest::Post(const std::string& body) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_nAttempts = 0;
    m_nLastResult = CURLE_FAILED_INIT;
    if (!CurlReady()) return {};
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) return {};
    TReplyBuffer reply;
    TPeerCheck peer{curl.get(), HostOfUrl(m_strUrl)};
    if (!SetUpRequest(curl.get(), m_szError, m_strUrl, body, ProxyForUrl(m_proxy, m_strUrl), reply) ||
        !SetUpStop(curl.get(), m_fnStop) || !SetUpPeerCheck(curl.get(), peer)) {
        return {};
    }
    CURLcode result = CURLE_OK;
    for (m_nAttempts = 1; m_nAttempts <= kPostAttempts; ++m_nAttempts) {
        // Only the reply of the attempt that completes counts.
        reply = TReplyBuffer();
        peer.refused = false;
        result = curl_easy_perform(curl.get());
        if (peer.refused) result = CURLE_PEER_FAILED_VERIFICATION;
        if (result == CURLE_OK || m_nAttempts == kPostAttempts || IsFinalFailure(result, reply) ||
            (m_fnStop && m_fnStop())) {
            break;
        }
    }
    m_nLastResult = result;
    if (result != CURLE_OK) return {};
    return reply.text.substr(0, reply.text.find('\0'));
}

std::string BuildGameInfoBody(const std::string& gameId) {
    return "jsondata=" + UrlEncodeForm(FormatText("{\"GameId\":%d}", gameId));
}

bool ParseGameInfoReply(const std::string& reply, TGameInfo& info) {
    info.shortName.clear();
    info.iconUrl.clear();
    info.launcherUrl.clear();
    info.logoUrl.clear();
    rapidjson::Document doc;
    if (!ParseJsonReply(reply, doc)) return false;
    const rapidjson::Value* result = FindJsonObject(doc, "result");
    if (!result) return false;
    info.shortName = Utf8ToWide(GetJsonString(*result, "ShortNameChs"));
    info.iconUrl = Utf8ToWide(GetJsonString(*result, "IconImage"));
    info.launcherUrl = Utf8ToWide(GetJsonString(*result, "LauncherImage"));
    info.logoUrl = Utf8ToWide(GetJsonString(*result, "LogoImage"));
    return true;
}

bool AskGameInfo(const std::string& gameId, TGameInfo& info, CGameInfoRequest& request) {
    const std::string reply = request.Post(BuildGameInfoBody(gameId));
    if (!ParseGameInfoReply(reply, info)) return false;
    WriteFileAtomically(GameRecordFile(gameId), reply);
    return true;
}

int LoadGameInfo(const std::string& gameId, TGameInfo& info, CGameInfoRequest& request) {
    AskGameInfo(gameId, info, request);
    return 1;
}

std::wstring GameRecordFile(const std::string& gameId) {
    return SafeTempFileName("gameinfo", gameId, L".json");
}

bool LoadKeptGameInfo(const std::string& gameId, TGameInfo& info) {
    std::vector<BYTE> bytes;
    if (!SkinUI::ReadDiskFile(GameRecordFile(gameId).c_str(), bytes, 1,
                              static_cast<DWORD>(kMaxJsonReplyBytes))) {
        return false;
    }
    TGameInfo kept = info;
    if (!ParseGameInfoReply(std::string(bytes.begin(), bytes.end()), kept)) return false;
    info = kept;
    return true;
}

int LoadGameInfo(const std::string& gameId, TGameInfo& info) {
    CGameInfoRequest request;
    return LoadGameInfo(gameId, info, request);
}

std::wstring ArtworkFile(const char* prefix, const std::string& gameId) {
    return SafeTempFileName(prefix, gameId, L".png");
}

void SetArtworkFiles(const std::string& gameId, TGameInfo& info) {
    info.iconFile = ArtworkFile("iconimage", gameId);
    info.backgroundFile = ArtworkFile("bkImage", gameId);
    info.logoFile = ArtworkFile("logoImage", gameId);
}

const std::wstring& GamePictureFile(const TGameInfo& info, EGamePicture picture) {
    return info.*PictureSlot(picture).file;
}

SIZE GamePictureBox(EGamePicture picture) { return PictureSlot(picture).box; }

std::unique_ptr<SkinUI::TImageData> LoadGamePicture(const std::wstring& file, EGamePicture picture,
                                                    int dpi) {
    std::vector<BYTE> bytes;
    if (!SkinUI::ReadDiskFile(file.c_str(), bytes, 1, static_cast<DWORD>(kMaxPictureBytes))) return nullptr;
    const SIZE box = GamePictureBox(picture);
    const long long bound = SkinUI::PixelBoundForBox(box.cx, box.cy, dpi);
    std::unique_ptr<SkinUI::TImageData> image = SkinUI::DecodeSkinImage(bytes.data(), bytes.size(), 0, bound);
    if (image == nullptr) {
        LogRefusedPicture(file, bytes, bound, box, dpi);
        return nullptr;
    }
    const TLogRecord record = {3, L"GameInfo.cpp", __LINE__};
    WriteLog(&record, L"game picture %s decoded: %d x %d pixels, for %d DPI", file.c_str(), image->nWidth,
             image->nHeight, dpi);
    return SkinUI::ScaleSkinImageToDpi(std::move(image), dpi);
}

int DownloadArtwork(const std::string& gameId, TGameInfo& info, const std::function<bool()>& stop,
                    int dpi, const TFreshPictureFn& fresh) {
    SetArtworkFiles(gameId, info);
    for (EGamePicture picture : kGamePictures) {
        const TGamePictureSlot& slot = PictureSlot(picture);
        std::unique_ptr<SkinUI::TImageData> image = DownloadPicture(info.*slot.url, info.*slot.file, picture, dpi, stop);
        if (image != nullptr && fresh) fresh(picture, std::move(image));
    }
    return 1;
}

std::wstring BuildGameTitle(const std::wstring& shortName) {
    if (shortName.empty()) return AppText(EAppText::kTitle);
    return FillTextField(AppText(EAppText::kTitleWithGame), L"game", shortName);
}

std::wstring BackgroundImageDescription(const std::wstring& file) {
    return L"file='" + file + L"' source='193,0,1173,600' dest='0,0,980,600'";
}
