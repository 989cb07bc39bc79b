#include "app/CurlTransport.h"

#include <curl/curl.h>

#include "app/PeerCertificateCheck.h"

namespace {

constexpr long kDnsCacheSeconds = 60;
// Which TLS libcurl was built with (the build's VEXO_TLS).
constexpr bool kTlsIsSchannel = VEXO_TLS_SCHANNEL != 0;

// libcurl's process-wide set-up, done once, before the first request (the first request runs on
// the main thread before any other thread exists).
bool CurlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

// The reply of one attempt, refused once it outgrows its bound.
struct TReplyBuffer {
    std::string text;
    size_t maxBytes = 0;
    bool tooLong = false;
};

size_t AppendReply(char* data, size_t size, size_t count, void* userData) {
    TReplyBuffer& reply = *static_cast<TReplyBuffer*>(userData);
    // size is 1 for body data; count alone bounds the copy.
    if (size != 1 || count > reply.maxBytes - reply.text.size()) {
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

bool SetUpRequest(CURL* curl, char* errorBuffer, const TCurlExchange& exchange, TReplyBuffer& reply) {
    bool ok = curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_URL, exchange.url.c_str()) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_POST, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(exchange.body.size())) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_POSTFIELDS, exchange.body.c_str()) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendReply) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_USERAGENT, "libcurl-agent/1.0") == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, exchange.connectMs) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, exchange.deadlineMs) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_DNS_CACHE_TIMEOUT, kDnsCacheSeconds) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok &= curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(exchange.maxBytes)) == CURLE_OK;
    ok &= SetUpTrust(curl);
    // Always set, so that only the system's setting counts (an empty text means direct).
    ok &= curl_easy_setopt(curl, CURLOPT_PROXY, exchange.proxy.c_str()) == CURLE_OK;
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

}  // namespace

// Everything libcurl holds pointers to lives here, at fixed addresses, for the session's life.
struct CCurlSession::TState {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl{nullptr, &curl_easy_cleanup};
    char error[CURL_ERROR_SIZE] = {};  // libcurl's error text, for a debugger
    TCurlExchange exchange;
    TReplyBuffer reply;
    TPeerCheck peer;
};

CCurlSession::CCurlSession() : m_state(std::make_unique<TState>()) {}

CCurlSession::~CCurlSession() = default;

bool CCurlSession::Open(TCurlExchange exchange) {
    if (!CurlReady()) return false;
    TState& state = *m_state;
    state.curl.reset(curl_easy_init());
    if (!state.curl) return false;
    state.exchange = std::move(exchange);
    state.reply.maxBytes = static_cast<size_t>(state.exchange.maxBytes);
    state.peer = TPeerCheck{state.curl.get(), HostOfUrl(state.exchange.url)};
    return SetUpRequest(state.curl.get(), state.error, state.exchange, state.reply) &&
           SetUpStop(state.curl.get(), state.exchange.stop) && SetUpPeerCheck(state.curl.get(), state.peer);
}

TCurlAttempt CCurlSession::Perform(std::string& reply) {
    TState& state = *m_state;
    TCurlAttempt attempt;
    // Only the reply of the attempt that completes counts.
    state.reply.text.clear();
    state.reply.tooLong = false;
    state.peer.refused = false;
    CURLcode result = curl_easy_perform(state.curl.get());
    if (state.peer.refused) result = CURLE_PEER_FAILED_VERIFICATION;
    long status = 0;
    curl_easy_getinfo(state.curl.get(), CURLINFO_RESPONSE_CODE, &status);
    attempt.result = result;
    attempt.status = static_cast<int>(status);
    // A reply too long for us stays too long on a second attempt.
    attempt.final = state.reply.tooLong || result == CURLE_FILESIZE_EXCEEDED;
    reply = result == CURLE_OK ? state.reply.text.substr(0, state.reply.text.find('\0')) : std::string();
    return attempt;
}

int CurlSetUpFailure() { return CURLE_FAILED_INIT; }
