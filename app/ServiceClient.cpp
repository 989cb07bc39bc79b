#include "app/ServiceClient.h"

#include <windows.h>

#include "app/CurlTransport.h"
#include "support/FileUtil.h"
#include "support/LibBiz.h"
#include "support/LibHttpHelper.h"
#include "support/Log.h"

namespace {

// The rows are in the order of EService, so that a request finds its row by its value.
constexpr bool RowsFollowTheEnum() {
    for (size_t i = 0; i < sizeof(kServiceEndpoints) / sizeof(kServiceEndpoints[0]); ++i) {
        if (static_cast<size_t>(kServiceEndpoints[i].service) != i) return false;
    }
    return true;
}
static_assert(RowsFollowTheEnum(), "kServiceEndpoints must list the services in the order of EService");

// What one attempt gave, whatever the transport.
struct TAttempt {
    bool ok = false;
    bool final = false;
    int status = 0;
    int transportResult = 0;
};

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

THttpLimits WinInetLimits(const TServiceEndpoint& row, const TServiceCall& call) {
    THttpLimits limits;
    limits.maxMilliseconds = row.deadlineMs;
    limits.maxFileBytes = row.maxBytes;
    limits.httpsOnly = row.httpsOnly && !call.plainHttpAllowed;
    limits.stop = call.stop;
    return limits;
}

TAttempt ExchangeOverWinInet(const TServiceEndpoint& row, const TServiceCall& call, std::string& body) {
    TAttempt attempt;
    const THttpLimits limits = WinInetLimits(row, call);
    if (row.reply == EServiceReply::kText) {
        attempt.ok = CLibHttpHelper::HttpGet(call.url, row.contentType, &attempt.status, call.body, body,
                                             row.method == EServiceMethod::kGet, limits) != 0;
    } else {
        attempt.ok = CLibHttpHelper::DownloadFile(row.reply == EServiceReply::kResumedFile, call.url, call.file,
                                                  call.progress, limits, &attempt.status) != 0;
    }
    return attempt;
}

TCurlExchange CurlExchangeFor(const TServiceEndpoint& row, const TServiceCall& call) {
    TCurlExchange exchange;
    exchange.url = WideToUtf8(call.url);
    exchange.body = call.body;
    exchange.proxy = ProxyForUrl(call.proxy != nullptr ? *call.proxy : ReadSystemProxySetting(), exchange.url);
    exchange.connectMs = static_cast<long>(row.connectMs);
    exchange.deadlineMs = static_cast<long>(row.deadlineMs);
    exchange.maxBytes = row.maxBytes;
    exchange.stop = call.stop;
    return exchange;
}

TAttempt ExchangeOverCurl(CCurlSession& session, std::string& body) {
    const TCurlAttempt curl = session.Perform(body);
    TAttempt attempt;
    attempt.ok = curl.result == 0;
    attempt.final = curl.final;
    attempt.status = curl.status;
    attempt.transportResult = curl.result;
    return attempt;
}

long long ReplyBytes(const TServiceEndpoint& row, const TServiceCall& call, const std::string& body) {
    if (row.reply == EServiceReply::kText) return static_cast<long long>(body.size());
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(call.file.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

const wchar_t* MethodName(EServiceMethod method) { return method == EServiceMethod::kPost ? L"POST" : L"GET"; }

// The one line of an exchange: which service, how it ended, the status, the bytes of the reply
// (a file's: on disk) and how long it took. The address goes without its query, which may name
// the game and the channel.
void LogExchange(const TServiceEndpoint& row, const TServiceCall& call, const TAttempt& attempt, int number,
                 long long bytes, unsigned long long milliseconds) {
    const bool stopped = !attempt.ok && call.stop && call.stop();
    const TLogRecord record = {attempt.ok ? 3 : 1, L"ServiceClient.cpp", __LINE__};
    WriteLog(&record, L"service %s: %s %s %s, status %d, %I64d bytes, %I64u ms, attempt %d of %d", row.name,
             MethodName(row.method), UrlForLog(call.url).c_str(), attempt.ok ? L"ok" : stopped ? L"stopped" : L"failed",
             attempt.status, bytes, milliseconds, number, row.retry.attempts);
}

// The pause before another attempt, in slices so that the caller's stop is heard; false when
// the caller stopped.
bool PauseBeforeRetry(const TServiceEndpoint& row, const TServiceCall& call) {
    constexpr unsigned long kSliceMs = 100;
    const auto stopped = [&] { return call.stop && call.stop(); };
    for (unsigned long waited = 0; waited < row.retry.pauseMs && !stopped(); waited += kSliceMs) {
        Sleep(row.retry.pauseMs - waited < kSliceMs ? row.retry.pauseMs - waited : kSliceMs);
    }
    return !stopped();
}

// Tries the request by its row's retry policy; exchange makes one attempt into result.body.
template <typename Exchange>
void RunAttempts(const TServiceEndpoint& row, const TServiceCall& call, TServiceResult& result,
                 Exchange exchange) {
    for (int number = 1; number <= row.retry.attempts; ++number) {
        if (number > 1 && !PauseBeforeRetry(row, call)) break;
        const ULONGLONG start = GetTickCount64();
        result.body.clear();
        const TAttempt attempt = exchange(result.body);
        LogExchange(row, call, attempt, number, ReplyBytes(row, call, result.body), GetTickCount64() - start);
        result.ok = attempt.ok;
        result.status = attempt.status;
        result.transportResult = attempt.transportResult;
        result.attempts = number;
        if (attempt.ok || attempt.final) break;
    }
}

bool IsAddressAllowed(const TServiceEndpoint& row, const TServiceCall& call) {
    if (!row.httpsOnly || call.plainHttpAllowed || bxutil::IsHttpsUrl(call.url)) return true;
    const TLogRecord record = {1, L"ServiceClient.cpp", __LINE__};
    WriteLog(&record, L"service %s: %s refused, not https", row.name, UrlForLog(call.url).c_str());
    return false;
}

}  // namespace

const TServiceEndpoint& ServiceEndpoint(EService service) {
    return kServiceEndpoints[static_cast<size_t>(service)];
}

std::wstring ServiceUrlFor(EService service, const std::wstring& baseUrl) {
    return baseUrl + ServiceEndpoint(service).path;
}

std::wstring ServiceUrl(EService service) {
    const TServiceEndpoint& row = ServiceEndpoint(service);
    return ServiceUrlFor(service, ServiceHostUrl(row.host));
}

TServiceResult CallService(EService service, const TServiceCall& call) {
    const TServiceEndpoint& row = ServiceEndpoint(service);
    TServiceResult result;
    if (!IsAddressAllowed(row, call)) return result;
    if (row.transport == EServiceTransport::kWinInet) {
        RunAttempts(row, call, result, [&](std::string& body) { return ExchangeOverWinInet(row, call, body); });
        return result;
    }
    CCurlSession session;
    if (!session.Open(CurlExchangeFor(row, call))) {
        result.transportResult = CurlSetUpFailure();
        return result;
    }
    RunAttempts(row, call, result, [&](std::string& body) { return ExchangeOverCurl(session, body); });
    return result;
}
