#include "app/VexoInstallHelper.h"

#include <windows.h>

#include "app/FileHash.h"
#include "app/JsonReply.h"
#include "app/ServiceClient.h"
#include "app/TempFiles.h"
#include "support/FileUtil.h"
#include "support/JsonText.h"
#include "support/Log.h"
#include "support/ProcessEntity.h"
#include "support/TextConvert.h"
#include "support/UniqueHandle.h"

namespace {

// The log lines keep the source name and line numbers that the platform's log readers know.
constexpr const wchar_t* kSource = L"VexoInstallHelper.cpp";

void Log(int level, int line, const wchar_t* message) {
    const TLogRecord record = {level, kSource, line};
    WriteLog(&record, message);
}

}  // namespace

TInstallerAddress ParseInstallerAddressReply(const std::string& reply) {
    TInstallerAddress address;
    rapidjson::Document doc;
    if (!ParseJsonReply(reply, doc)) return address;
    const rapidjson::Value* result = FindJsonObject(doc, "result");
    const rapidjson::Value* internation = result ? FindJsonObject(*result, "internation") : nullptr;
    if (!internation) return address;
    address.downloadUrl = GetJsonString(*internation, "downloadURL");
    const auto sha256 = internation->FindMember("sha256");
    address.hasSha256 = sha256 != internation->MemberEnd();
    if (address.hasSha256 && sha256->value.IsString())
        address.sha256.assign(sha256->value.GetString(), sha256->value.GetStringLength());
    return address;
}

CVexoInstallHelper::CVexoInstallHelper(const std::wstring& infoUrl, std::function<bool()> stop,
                                       std::wstring publisher)
    : m_strInfoUrl(infoUrl), m_fnStop(std::move(stop)), m_strPublisher(std::move(publisher)) {
    m_nInfoResult = GetHttpInfo();
}

std::wstring CVexoInstallHelper::InstallerPath() { return TempFolder() + L"VexoInstall.exe"; }

int CVexoInstallHelper::GetHttpInfo() {
    m_strDownloadUrl.clear();
    m_bHasSha256 = false;
    m_strSha256.clear();
    TServiceCall call;
    call.url = m_strInfoUrl;
    call.stop = m_fnStop;
    const TServiceResult reply = CallService(EService::kInstallerAddress, call);
    if (!reply.ok) {
        Log(3, 83, L"CLibHttpHelper::HttpGet false");
        return 0;
    }
    const TInstallerAddress address = ParseInstallerAddressReply(reply.body);
    // The address is expected to be plain ASCII.
    m_strDownloadUrl = ThreadAnsiToWide(address.downloadUrl.c_str());
    m_bHasSha256 = address.hasSha256;
    m_strSha256 = address.sha256;
    return 1;
}

int CVexoInstallHelper::Download(const HttpProgressFn& progress) {
    if (m_nInfoResult != 1) {
        Log(3, 59, L"GetHttpInfo() fail! go die");
        m_failure = EInstallFailure::kAddressQuery;
        return 0;
    }
    m_strFilePath = InstallerPath();
    Log(3, 53, L"GetHttpInfo() successful! go download");
    if (m_strDownloadUrl.empty()) {
        m_failure = EInstallFailure::kNoAddress;
        return 0;
    }
    // A file that came in plain text may have been changed on its way: only a digest the
    // service named over https can vouch for it.
    if (!bxutil::IsHttpsUrl(m_strDownloadUrl) && !IsSha256Text(m_strSha256)) {
        Log(1, 57, L"the installer's address is not https and no sha256 names the file: refused");
        m_failure = EInstallFailure::kInsecureAddress;
        return 0;
    }
    // A partial file left read-only is still continued rather than refused.
    ClearReadOnly(m_strFilePath);
    TServiceCall call;
    call.url = m_strDownloadUrl;
    call.file = m_strFilePath;
    call.progress = progress;
    call.stop = m_fnStop;
    call.plainHttpAllowed = m_bHasSha256;  // no redirect onto http either, without a digest
    if (!CallService(EService::kClientInstaller, call).ok) {
        m_failure = EInstallFailure::kDownload;
        return 0;
    }
    m_failure = EInstallFailure::kNone;
    return 1;
}

bool CVexoInstallHelper::Verify() {
    // Without a digest from the service there is nothing to check against.
    if (!m_bHasSha256 || Sha256Matches(m_strFilePath, m_strSha256)) {
        Log(3, 69, L"verify successful!");
        return true;
    }
    Log(1, 71, L"verify failed! the installer does not match its sha256, deleted");
    m_failure = EInstallFailure::kVerify;
    return false;
}

bool CVexoInstallHelper::IsFromPublisher(HANDLE file) {
    if (m_strPublisher.empty()) return true;
    const TInstallerTrust trust = CheckInstallerPublisher(file, m_strFilePath, m_strPublisher);
    const TLogRecord record = {trust.verdict == EInstallerTrust::kTrusted ? 3 : 1, kSource, 75};
    WriteLog(&record, L"publisher check: verdict %d, WinVerifyTrust 0x%08lx, signer \"%s\"",
             static_cast<int>(trust.verdict), static_cast<unsigned long>(trust.status), trust.signer.c_str());
    switch (trust.verdict) {
    case EInstallerTrust::kTrusted:
        return true;
    case EInstallerTrust::kUnsigned:
        m_failure = EInstallFailure::kUnsigned;
        break;
    case EInstallerTrust::kOtherPublisher:
        m_failure = EInstallFailure::kOtherPublisher;
        break;
    case EInstallerTrust::kBadSignature:
    case EInstallerTrust::kUntrustedSigner:
        m_failure = EInstallFailure::kBadSignature;
        break;
    }
    return false;
}

int CVexoInstallHelper::Install(const HttpProgressFn& progress) {
    m_nExitCode = 1;
    if (!Download(progress)) {
        Log(3, 24, L"download fail ...");
        return -1;
    }
    Log(3, 29, L"download successful ! start install silent");
    // Held, readable by others but written by no one, from the checks until the installer has
    // run: the file checked is the file run.
    bxutil::CFileHandle held(CreateFileW(m_strFilePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held || !Verify() || !IsFromPublisher(held.Get())) {
        if (!held) m_failure = EInstallFailure::kVerify;
        // A file that failed a check must not be run, nor continued by the next attempt.
        held.Reset();
        DeleteDownloadedFile(m_strFilePath);
        return -1;
    }
    // The download reports progress only while the file is short of its size; say it is whole.
    if (progress) {
        long long size = 0;
        QueryFileSize(held.Get(), &size);
        progress(size, size);
    }
    DWORD exitCode = 1;
    if (ExecuteProcess(m_strFilePath, &exitCode)) m_nExitCode = exitCode;
    held.Reset();
    DeleteDownloadedFile(m_strFilePath);
    return 0;
}
