#pragma once
// The libcurl transport of the service client (ServiceClient.h): one handle set up once for a
// request, then performed once per attempt. The server's certificate is verified against the
// system's trusted authorities (on Schannel also by the system's chain engine before the request
// is sent, PeerCertificateCheck.h), and only the proxy the caller names is used.

#include <functional>
#include <memory>
#include <string>

// What the service client hands the transport from the request's row and call.
struct TCurlExchange {
    std::string url;            // UTF-8
    std::string body;           // POSTed
    std::string proxy;          // as ProxyForUrl gives it; empty: direct
    long connectMs = 0;         // 0: libcurl's own
    long deadlineMs = 0;
    long long maxBytes = 0;
    std::function<bool()> stop;  // may be empty
};

struct TCurlAttempt {
    int result = 0;     // CURLcode; 0 when the exchange completed
    int status = 0;     // the HTTP status, 0 when none arrived
    bool final = false;  // another attempt cannot succeed (the reply is too long for us)
};

class CCurlSession {
public:
    CCurlSession();
    ~CCurlSession();
    CCurlSession(const CCurlSession&) = delete;
    CCurlSession& operator=(const CCurlSession&) = delete;

    // Sets up the handle for exchange (kept by the session); false when libcurl refused.
    bool Open(TCurlExchange exchange);
    // One attempt; reply receives its body, up to its first NUL byte.
    TCurlAttempt Perform(std::string& reply);

private:
    struct TState;
    std::unique_ptr<TState> m_state;
};

// CURLE_FAILED_INIT, for a session that could not be opened.
int CurlSetUpFailure();
