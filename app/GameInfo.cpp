#include "app/GameInfo.h"

#include <memory>
#include <vector>

#include "app/AppTexts.h"
#include "app/FormatText.h"
#include "app/JsonReply.h"
#include "app/ServiceClient.h"
#include "app/TempFiles.h"
#include "support/FileUtil.h"
#include "support/JsonText.h"
#include "support/LibBiz.h"
#include "support/Log.h"
#include "support/TextConvert.h"
#include "ui/core/skin/SkinImage.h"
#include "ui/core/skin/SkinImageCheck.h"
#include "ui/core/skin/SkinPackage.h"

namespace {

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
// and decodes for the window. Without an address there is nothing to ask for; the service client
// asks only https addresses and cuts off a service that sends without end, or a byte at a time:
// no picture of the skin's sizes comes near its row's bounds. The picture that replaced the kept
// one, decoded; else null.
std::unique_ptr<SkinUI::TImageData> DownloadPicture(const std::wstring& url, const std::wstring& file,
                                                    EGamePicture picture, int dpi,
                                                    const std::function<bool()>& stop) {
    if (url.empty()) return nullptr;
    const std::wstring fresh = file + L".download";
    TServiceCall call;
    call.url = url;
    call.file = fresh;
    call.stop = stop;
    if (CallService(EService::kGamePicture, call).ok) {
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
    : m_strUrl(std::move(url)), m_proxy(std::move(proxy)) {}

std::string CGameInfoRequest::Post(const std::string& body) {
    std::lock_guard<std::mutex> lock(m_lock);
    TServiceCall call;
    call.url = Utf8ToWide(m_strUrl);
    call.body = body;
    call.stop = m_fnStop;
    call.proxy = &m_proxy;
    TServiceResult result = CallService(EService::kGameInfo, call);
    m_nAttempts = result.attempts;
    m_nLastResult = result.transportResult;
    return result.ok ? std::move(result.body) : std::string();
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
    if (!SkinUI::ReadDiskFile(file.c_str(), bytes, 1, static_cast<DWORD>(ServiceEndpoint(EService::kGamePicture).maxBytes))) return nullptr;
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
