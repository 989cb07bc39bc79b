#pragma once
// CVexoInstallHelper: fetches the platform client's installer, runs it silently and removes it.
// One object serves one installation attempt: construction asks the data service for the
// installer's address (blocking), Install downloads, checks, runs and deletes the installer. Both
// exchanges go by their rows of the service client (ServiceClient.h: the address query's 20 s,
// the download's 30 minutes and 1 GiB).

#include <functional>
#include <string>

#include "app/ClientInstallerTrust.h"
#include "app/ServiceHosts.h"
#include "support/HttpWebRequest.h"

// Why an attempt did not produce a run installer.
enum class EInstallFailure {
    kNone,
    kAddressQuery,  // the data service could not be asked
    kNoAddress,     // its reply named no installer
    kDownload,      // the download failed or was cut off (the partial file stays for the next try)
    kVerify,        // the file did not match the digest the service named (the file is deleted)
    kInsecureAddress,  // a plain-http address without a digest to check the file against
    kClientMissing,  // the installer ran, but no client is registered (decided by the workflow)
    kInternal,       // the attempt could not be carried out (no thread, no memory)
    // The publisher's signature was required and the installer did not carry it (the file is
    // deleted, never run):
    kUnsigned,        // no signature at all
    kBadSignature,    // a signature that does not hold, or whose certificate is not trusted
    kOtherPublisher,  // a sound signature of someone else
};

// What the data service's reply says about the installer: "result" / "internation" /
// "downloadURL" and, when the service names one, "sha256" beside it.
struct TInstallerAddress {
    std::string downloadUrl;  // empty when the reply names none
    bool hasSha256 = false;   // the reply carries a "sha256" member (of any type)
    std::string sha256;       // its text when it is a string
};

// Reads a reply of the data service; an unusable reply gives an empty address.
TInstallerAddress ParseInstallerAddressReply(const std::string& reply);

class CVexoInstallHelper {
public:
    // Asks the data service (infoUrl is its full query URL) for the installer's address. stop,
    // when given, is asked a few times a second during every exchange; true abandons it.
    // publisher names who must have signed the installer (ClientInstallerTrust.h); empty: anyone
    // or no one.
    explicit CVexoInstallHelper(const std::wstring& infoUrl = DataServiceQueryUrl(),
                                std::function<bool()> stop = {},
                                std::wstring publisher = BuiltInClientPublisher());
    CVexoInstallHelper(const CVexoInstallHelper&) = delete;
    CVexoInstallHelper& operator=(const CVexoInstallHelper&) = delete;
    // Leaves the installer file alone.
    ~CVexoInstallHelper() = default;

    // The address query: 1 when the service answered 2xx (whatever the reply held), else 0.
    int GetHttpInfo();
    // Downloads the installer into the temporary folder, resuming a partial file an earlier
    // attempt left. An address that is not https is refused unless the service named the
    // file's SHA-256 (the digest then decides whether the file is run). Non-zero on success.
    int Download(const HttpProgressFn& progress);
    // Download, check against the service's digest when it named one and the publisher's
    // signature when one is required, run silently ("/qn QR="true"", hidden, waited for), delete.
    // 0 when the installer was downloaded (and passed), whatever the run gave; -1 otherwise (a
    // file that failed a check is deleted). After a complete download progress is called once
    // with equal counts.
    int Install(const HttpProgressFn& progress);

    EInstallFailure Failure() const { return m_failure; }
    const std::wstring& DownloadUrl() const { return m_strDownloadUrl; }
    const std::wstring& FilePath() const { return m_strFilePath; }
    // The installer's exit code of the last run (1 when it could not be read or did not run).
    unsigned long InstallerExitCode() const { return m_nExitCode; }

    // Where the installer is downloaded: the temporary folder's "VexoInstall.exe".
    static std::wstring InstallerPath();

private:
    bool Verify();
    bool IsFromPublisher(HANDLE file);

    std::wstring m_strInfoUrl;
    std::wstring m_strDownloadUrl;
    std::wstring m_strFileName = L"VexoInstall";
    std::wstring m_strFilePath;
    int m_nInfoResult = 0;
    bool m_bHasSha256 = false;
    std::string m_strSha256;
    std::function<bool()> m_fnStop;
    std::wstring m_strPublisher;
    EInstallFailure m_failure = EInstallFailure::kNone;
    unsigned long m_nExitCode = 1;
};
