#pragma once
// The service client: every request the installer makes to the platform, one row each, and the
// one call that carries any of them out. A row says where the request goes (host and path), how
// (method and transport: libcurl for the game's record, WinInet for the rest), and the policy
// around it: the deadline of one exchange, the bound on what comes back, whether only https is
// taken, and how often it is tried. CallService applies the row, calls its transport, and writes
// one log line per exchange (service, outcome, status, bytes, milliseconds; the address without
// its query).
//
// A new request is one row here, a parser for its reply, a test and a route of the stand-in
// platform.

#include <functional>
#include <string>

#include "app/JsonReply.h"
#include "app/ServiceHosts.h"
#include "app/SystemProxy.h"
#include "support/HttpWebRequest.h"

enum class EService { kGameInfo, kGamePicture, kInstallerAddress, kClientInstaller, kUsageReport };

enum class EServiceMethod { kGet, kPost };
enum class EServiceTransport { kLibcurl, kWinInet };
// What becomes of the reply: text in memory, a file written afresh, or a file continued from
// where an earlier attempt left it.
enum class EServiceReply { kText, kFile, kResumedFile };

// How often a request is tried when an attempt fails in a way another attempt may not (a reply
// too long, or the caller's stop, ends the call), and the pause between attempts.
struct TRetryPolicy {
    int attempts;
    unsigned long pauseMs;
};

struct TServiceEndpoint {
    EService service;
    const wchar_t* name;   // in the log line
    EServiceHost host;
    const wchar_t* path;   // added to the host's base URL (empty for addresses from a reply)
    EServiceMethod method;
    EServiceTransport transport;
    EServiceReply reply;
    // The Content-Type header WinInet sends; libcurl sends its own for a form body.
    const wchar_t* contentType;
    unsigned long connectMs;   // libcurl: the connection's share of the deadline (0: none)
    // One deadline for an exchange (connection, headers, body; every range of a download): the
    // caller stops waiting then, whatever the server does. Each attempt has its own.
    unsigned long deadlineMs;
    long long maxBytes;        // the reply's body, or the file
    bool httpsOnly;            // the address and every redirect (a caller with a digest may relax it)
    TRetryPolicy retry;
};

// Replies that are whole documents are read up to WinInet's own bound.
constexpr long long kWholeReplyBytes = 16ll << 20;

inline constexpr TServiceEndpoint kServiceEndpoints[] = {
    // The game's name and pictures, asked in the first seconds; the window shows the kept record
    // meanwhile.
    {EService::kGameInfo, L"gameinfo", EServiceHost::kGameInfo, L"/Box/GameInfo", EServiceMethod::kPost,
     EServiceTransport::kLibcurl, EServiceReply::kText, nullptr, 2000, 10000,
     static_cast<long long>(kMaxJsonReplyBytes), false, {3, 0}},
    // Each of the game's three pictures; they are decoded, so nothing of them comes in plain text.
    {EService::kGamePicture, L"picture", EServiceHost::kFromReply, L"", EServiceMethod::kGet,
     EServiceTransport::kWinInet, EServiceReply::kFile, nullptr, 0, 10000, 16ll << 20, true, {1, 0}},
    // The client installer's address (and digest); the user waits for it with the progress at 1 %.
    // The JSON in the query is part of the URL as the service expects it, not percent-encoded.
    {EService::kInstallerAddress, L"data", EServiceHost::kData, L"/data.ashx?JsonData={\"code\":\"10030\"}",
     EServiceMethod::kGet, EServiceTransport::kWinInet, EServiceReply::kText, L"application/oct-stream", 0,
     20000, kWholeReplyBytes, false, {1, 0}},
    // The client installer: far larger than any client installer is refused (a server sending
    // without end must not fill the disk); a partial file stays for the next attempt.
    {EService::kClientInstaller, L"client installer", EServiceHost::kFromReply, L"", EServiceMethod::kGet,
     EServiceTransport::kWinInet, EServiceReply::kResumedFile, nullptr, 0, 30 * 60 * 1000, 1024ll << 20,
     true, {1, 0}},
    // The usage report when the game is handed to the client; fire and forget.
    {EService::kUsageReport, L"report", EServiceHost::kStats, L"/gather.ashx", EServiceMethod::kGet,
     EServiceTransport::kWinInet, EServiceReply::kText, L"application/oct-stream", 0, 60000, kWholeReplyBytes,
     false, {1, 0}},
};

// The row of a request.
const TServiceEndpoint& ServiceEndpoint(EService service);
// The request's address on the host of its row (the built-in one, or baseUrl): base and path.
std::wstring ServiceUrl(EService service);
std::wstring ServiceUrlFor(EService service, const std::wstring& baseUrl);

struct TServiceCall {
    std::wstring url;         // the whole address
    std::string body;         // sent when not empty
    // Asked a few times a second during an exchange: true abandons it (no further attempt).
    std::function<bool()> stop;
    // Replies kept in a file: where, and the download's progress (may be empty).
    std::wstring file;
    HttpProgressFn progress;
    // The caller checks the file against a digest it trusts: plain http may carry it.
    bool plainHttpAllowed = false;
    // libcurl rows: the proxy (the system's setting when not given).
    const TProxySetting* proxy = nullptr;
};

struct TServiceResult {
    // The transport's verdict on the last attempt: for libcurl a completed exchange (whatever
    // its status), for WinInet a 2xx reply, or for a file the whole file on disk.
    bool ok = false;
    int status = 0;           // the HTTP status of the last attempt (0: none arrived)
    std::string body;         // text replies: the last attempt's body
    int attempts = 0;
    int transportResult = 0;  // libcurl's result code of the last attempt (0: completed)
};

// Carries out one request by its row. Blocks for at most the row's attempts times its deadline
// (and the pauses).
TServiceResult CallService(EService service, const TServiceCall& call);
