#include "support/wininet/HttpClientSession.h"

#include <algorithm>
#include <cwctype>
#include <new>

#include "support/Log.h"

namespace bxutil {
namespace {

constexpr const wchar_t* kSource = L"wininet\\HttpClientSession.cpp";
constexpr DWORD kTimeoutMs = 5000;
constexpr DWORD kWholeBodyBuffer = 102400;
constexpr int kMaxRequests = 5;  // the first request and up to four redirects

constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_FORMS_SUBMIT;
// HTTPS keeps every certificate check: the downloaded installer is run afterwards, so a server
// that cannot prove its name must never be able to supply it.
constexpr DWORD kSecureFlags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_SECURE;

bool IsCertificateError(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        return true;
    default:
        return false;
    }
}

// The failure lines of Request name the URL (an argument, never part of the format: a "%" in it
// stays text).
void LogUrlFailure(int line, const wchar_t* text, const std::wstring& url) {
    const TLogRecord record = {3, kSource, line};
    WriteLog(&record, L"%s%s ", text, UrlForLog(url).c_str());
}

std::wstring DefaultPortSuffix(const TUrlParts& parts) {
    const bool https = _wcsicmp(parts.scheme.c_str(), L"https") == 0;
    if (parts.port == 0 || parts.port == (https ? 443 : 80)) return std::wstring();
    return L":" + std::to_wstring(parts.port);
}

}  // namespace

bool IsRedirectStatus(int status) { return status == 301 || status == 302 || status == 303; }

bool IsHttpsUrl(const std::wstring& url) { return _wcsnicmp(url.c_str(), L"https://", 8) == 0; }

// ---- CAutoBuffer ----

bool CAutoBuffer::Allocate(size_t n) {
    if (n == 0) {
        m_pData.reset();
        m_nSize = 0;
        return false;
    }
    if (n == m_nSize && m_pData) {
        Zero();
        return true;
    }
    m_pData.reset(new (std::nothrow) BYTE[n]());
    m_nSize = m_pData ? n : 0;
    return m_pData != nullptr;
}

void CAutoBuffer::Zero() {
    if (m_pData) ZeroMemory(m_pData.get(), m_nSize);
}

void CAutoBuffer::CopyTo(std::string& out) const {
    out.assign(reinterpret_cast<const char*>(m_pData.get()), m_pData ? m_nSize : 0);
}

// ---- URL handling ----

TUrlParts SplitUrl(const std::wstring& url) {
    TUrlParts parts;
    std::wstring rest = url;
    const size_t mark = url.find(L":/");
    if (mark != std::wstring::npos && mark >= 1) {
        parts.scheme = url.substr(0, mark);
        rest = mark + 3 <= url.size() ? url.substr(mark + 3) : std::wstring();
    } else {
        parts.scheme = L"http";
    }

    const size_t slash = rest.find(L'/');
    parts.host = rest.substr(0, slash);
    if (slash != std::wstring::npos) parts.path = rest.substr(slash);

    // A bracketed IPv6 literal carries colons of its own; the port follows the bracket.
    const size_t searchFrom = parts.host.compare(0, 1, L"[") == 0 ? parts.host.find(L']') : 0;
    const size_t colon =
        searchFrom == std::wstring::npos ? std::wstring::npos : parts.host.find(L':', searchFrom);
    if (colon != std::wstring::npos) {
        parts.port = _wtoi(parts.host.c_str() + colon + 1);
        parts.host.resize(colon);
    } else if (_wcsicmp(parts.scheme.c_str(), L"https") == 0) {
        parts.port = INTERNET_DEFAULT_HTTPS_PORT;
    } else if (_wcsicmp(parts.scheme.c_str(), L"http") == 0) {
        parts.port = INTERNET_DEFAULT_HTTP_PORT;
    }
    return parts;
}

namespace {

// "scheme://" at the start: letters, digits, "+", "-" and "." after a first letter.
bool HasSchemeAndAuthority(const std::wstring& url) {
    if (url.empty() || !iswalpha(url[0])) return false;
    size_t i = 1;
    while (i < url.size() && (iswalnum(url[i]) || url[i] == L'+' || url[i] == L'-' || url[i] == L'.'))
        ++i;
    return url.compare(i, 3, L"://") == 0;
}

// A URL cut into the parts a relative reference is resolved against.
struct TUrlBase {
    std::wstring origin;  // "scheme://authority"
    std::wstring path;    // from the first "/" after the authority up to "?" or "#"
    std::wstring query;   // from "?" up to "#"
};

TUrlBase SplitBase(const std::wstring& url) {
    TUrlBase base;
    const size_t mark = url.find(L"://");
    const size_t authority = mark == std::wstring::npos ? 0 : mark + 3;
    const size_t pathStart = std::min(url.find_first_of(L"/?#", authority), url.size());
    const size_t queryStart = std::min(url.find_first_of(L"?#", pathStart), url.size());
    const size_t fragment = std::min(url.find(L'#', pathStart), url.size());
    base.origin = mark == std::wstring::npos ? L"http://" + url.substr(0, pathStart)
                                             : url.substr(0, pathStart);
    base.path = url.substr(pathStart, queryStart - pathStart);
    if (queryStart < fragment) base.query = url.substr(queryStart, fragment - queryStart);
    return base;
}

// Removes "." and ".." segments from an absolute path, as browsers do; ".." never climbs above
// the root.
std::wstring RemoveDotSegments(const std::wstring& path) {
    std::vector<std::wstring> kept;
    size_t start = 1;  // after the leading "/"
    bool trailingSlash = false;
    while (start <= path.size()) {
        size_t end = path.find(L'/', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring segment = path.substr(start, end - start);
        const bool last = end == path.size();
        trailingSlash = last && (segment == L"." || segment == L"..");
        if (segment == L"..") {
            if (!kept.empty()) kept.pop_back();
        } else if (segment != L".") {
            kept.push_back(segment);
        }
        start = end + 1;
    }
    std::wstring result;
    for (const std::wstring& segment : kept) result += L"/" + segment;
    if (trailingSlash || result.empty()) result += L"/";
    return result;
}

}  // namespace

std::wstring ResolveRedirect(const std::wstring& currentUrl, const std::wstring& location) {
    if (location.empty() || HasSchemeAndAuthority(location)) return location;
    const TUrlBase base = SplitBase(currentUrl);
    const std::wstring target = location.substr(0, location.find(L'#'));
    if (target.compare(0, 2, L"//") == 0) {
        return base.origin.substr(0, base.origin.find(L"://")) + L":" + target;
    }
    const std::wstring basePath = base.path.empty() ? L"/" : base.path;
    if (target.empty()) return base.origin + basePath + base.query;
    if (target[0] == L'?') return base.origin + basePath + target;
    const size_t queryStart = std::min(target.find(L'?'), target.size());
    std::wstring path = target.substr(0, queryStart);
    if (path.empty() || path[0] != L'/') path = basePath.substr(0, basePath.rfind(L'/') + 1) + path;
    return base.origin + RemoveDotSegments(path) + target.substr(queryStart);
}

// ---- CHttpClientSession ----

CHttpClientSession::CHttpClientSession() : m_responseHeaders(new CHttpResponseHeaders) {
    m_strResponseBody.reserve(kWholeBodyBuffer);
}

CHttpClientSession::~CHttpClientSession() { CloseHandles(); }

void CHttpClientSession::AddRequestHeader(const std::wstring& text, DWORD flags) {
    std::wstring header = text;
    if (header.size() < 2 || header.compare(header.size() - 2, 2, L"\r\n") != 0) header += L"\r\n";
    m_vRequestHeader.emplace_back(std::move(header), flags);
}

void CHttpClientSession::ClearRequestHeaders() { m_vRequestHeader.clear(); }

void CHttpClientSession::RemoveRequestHeader(const std::wstring& name) {
    const std::wstring prefix = name + L":";
    m_vRequestHeader.erase(
        std::remove_if(m_vRequestHeader.begin(), m_vRequestHeader.end(),
                       [&prefix](const std::pair<std::wstring, DWORD>& header) {
                           return _wcsnicmp(header.first.c_str(), prefix.c_str(),
                                            prefix.size()) == 0;
                       }),
        m_vRequestHeader.end());
}

void CHttpClientSession::CloseHandles() {
    m_hRequest.Reset();
    m_hConnection.Reset();
    m_hInternet.Reset();
}

bool CHttpClientSession::Close() {
    m_bClosed = true;
    SetLastError(0);
    CloseHandles();
    return true;
}

bool CHttpClientSession::Request(const std::wstring& url, int type, bool closeAfter) {
    if (m_nRequestStartTick == 0) m_nRequestStartTick = GetTickCount64();
    m_strCurrentUrl = url;
    bool result = false;
    try {
        std::wstring target = url;
        for (int attempt = 1; !m_bClosed && attempt <= kMaxRequests; ++attempt) {
            const Step step = RequestOnce(target, type);
            // A scheme other than http and https is turned down before anything was opened.
            if (step == Step::kRefused) return false;
            if (step == Step::kDone) result = true;
            if (step != Step::kRedirect) break;
        }
    } catch (...) {
        result = false;
    }
    if (closeAfter) Close();
    return result;
}

CHttpClientSession::Step CHttpClientSession::RequestOnce(std::wstring& url, int type) {
    m_strCurrentUrl = url;
    m_strResponseBody.clear();
    m_strResponseHeaderText.clear();
    // Every response is judged by its own headers only: a length or target left over from a
    // redirect response must not leak into the next one.
    m_responseHeaders = CSharedPtr<CHttpResponseHeaders>(new CHttpResponseHeaders);

    const TUrlParts parts = SplitUrl(url);
    const bool https = _wcsicmp(parts.scheme.c_str(), L"https") == 0;
    if (!https && _wcsicmp(parts.scheme.c_str(), L"http") != 0) return Step::kRefused;
    if (!https && m_bHttpsOnly) {
        LogUrlFailure(485, L"In CHttpClientSession::Request: not https, refused , url = ", url);
        return Step::kRefused;
    }
    if (https) m_bHttps = true;

    m_vExchangeHeader.clear();
    m_vExchangeHeader.emplace_back(L"Host: " + parts.host + DefaultPortSuffix(parts) + L"\r\n",
                                   HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    if (parts.host.empty() || !Connect(parts.host, parts.port, nullptr, nullptr)) {
        LogUrlFailure(480, L"In CHttpClientSession::Request: Connect false , url = ", url);
        return Step::kFailed;
    }
    if (!SendRequest(parts.path, type)) {
        LogUrlFailure(470, L"In CHttpClientSession::Request: RequestOfURI false , url = ", url);
        return Step::kFailed;
    }
    if (!ReceiveResponse()) {
        LogUrlFailure(460, L"In CHttpClientSession::Request: Response false , url = ", url);
        return Step::kFailed;
    }
    if (!IsRedirectStatus(m_responseHeaders->StatusCode())) return Step::kDone;

    url = ResolveRedirect(url, m_responseHeaders->Location());
    CloseHandles();
    return Step::kRedirect;
}

bool CHttpClientSession::SendRequest(const std::wstring& path, int type) {
    if (type == kRequestPost) return RequestPost(path);
    if (type == kRequestPostMultipart) return false;  // multipart bodies are not supported
    return RequestGet(path);
}

bool CHttpClientSession::Connect(const std::wstring& host, int port, const wchar_t* user,
                                 const wchar_t* password) {
    if (m_bClosed) return false;
    if (!m_hInternet) {
        m_hInternet.Reset(
            InternetOpenW(m_strUserAgent.c_str(), m_nAccessType, nullptr, nullptr, 0));
        if (!m_hInternet) return false;
        DWORD timeout = kTimeoutMs;
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                             INTERNET_OPTION_RECEIVE_TIMEOUT}) {
            InternetSetOptionW(m_hInternet.Get(), option, &timeout, sizeof(timeout));
        }
        // Leave offline mode, should the process be in it.
        DWORD state = 0;
        DWORD stateSize = sizeof(state);
        if (InternetQueryOptionW(m_hInternet.Get(), INTERNET_OPTION_CONNECTED_STATE, &state,
                                 &stateSize) &&
            (state & INTERNET_STATE_CONNECTED) == 0) {
            INTERNET_CONNECTED_INFO info = {INTERNET_STATE_CONNECTED, 0};
            InternetSetOptionW(m_hInternet.Get(), INTERNET_OPTION_CONNECTED_STATE, &info,
                               sizeof(info));
        }
    }
    if (m_hConnection) return true;

    m_hConnection.Reset(InternetConnectW(m_hInternet.Get(), host.c_str(),
                                         static_cast<INTERNET_PORT>(port), user, password,
                                         INTERNET_SERVICE_HTTP, INTERNET_FLAG_NO_UI, 0));
    if (!m_hConnection) return false;
    if (InternetAttemptConnect(0) != ERROR_SUCCESS) return false;

    // The system's idea of being online is only logged. It is a guess from the network
    // adapters, and a wrong one now and then (Wine's answers "not connected" for a moment while
    // requests to the same server go through): an exchange that cannot reach its server fails
    // at the send anyway, with the reason.
    wchar_t connectionName[1024] = {};
    DWORD flags = 0;
    if (InternetGetConnectedStateExW(&flags, connectionName, 1023, 0)) return true;
    if ((flags & INTERNET_CONNECTION_OFFLINE) == INTERNET_CONNECTION_OFFLINE) {
        const TLogRecord record = {3, kSource, 268};
        WriteLog(&record,
                 L"(dwFlags & INTERNET_CONNECTION_OFFLINE) == INTERNET_CONNECTION_OFFLINE");
        return true;
    }
    const TLogRecord record = {3, kSource, 274};
    WriteLog(&record, L"InternetGetConnectedStateEx not connect");
    return true;
}

bool CHttpClientSession::OpenRequest(bool isPost, const std::wstring& path,
                                     const wchar_t** acceptTypes) {
    if (m_bClosed) return false;
    m_hRequest.Reset();
    const DWORD flags = kRequestFlags | (m_bHttps ? kSecureFlags : 0);
    m_hRequest.Reset(HttpOpenRequestW(m_hConnection.Get(), isPost ? L"POST" : L"GET",
                                      path.c_str(), L"HTTP/1.1",
                                      m_strReferrer.empty() ? nullptr : m_strReferrer.c_str(),
                                      acceptTypes, flags, 0));
    return static_cast<bool>(m_hRequest);
}

bool CHttpClientSession::AddHeaders() {
    if (!HttpAddRequestHeadersW(m_hRequest.Get(), m_strAcceptType.c_str(),
                                static_cast<DWORD>(m_strAcceptType.size()),
                                HTTP_ADDREQ_FLAG_REPLACE)) {
        return false;
    }
    for (const auto* list : {&m_vRequestHeader, &m_vExchangeHeader}) {
        for (const auto& header : *list) {
            if (!HttpAddRequestHeadersW(m_hRequest.Get(), header.first.c_str(),
                                        static_cast<DWORD>(header.first.size()), header.second)) {
                return false;
            }
        }
    }
    return true;
}

bool CHttpClientSession::SendWithRetry(const std::string& body, bool logFailure) {
    // HTTPS gets one more try after a short pause (a TLS hand-shake can fail transiently); the
    // certificate checks stay on for it.
    const int tries = m_bHttps ? 2 : 1;
    for (int attempt = 1; attempt <= tries && !m_bClosed; ++attempt) {
        SetLastError(0);
        if (HttpSendRequestW(m_hRequest.Get(), m_strContentTypeHeader.c_str(),
                             static_cast<DWORD>(m_strContentTypeHeader.size()),
                             body.empty() ? nullptr : const_cast<char*>(body.data()),
                             static_cast<DWORD>(body.size()))) {
            return true;
        }
        const DWORD error = GetLastError();
        if (logFailure) {
            const TLogRecord record = {1, kSource, 651};
            WriteLog(&record, L"In CHttpClientSession::RequestGet: HttpSendRequest false , dwError = %d ",
                     static_cast<int>(error));
        }
        if (IsCertificateError(error)) {
            const TLogRecord record = {1, kSource, 655};
            WriteLog(&record, L"server certificate refused, dwError = %d , url = %s",
                     static_cast<int>(error), UrlForLog(m_strCurrentUrl).c_str());
        }
        if (attempt < tries) Sleep(100);
    }
    return false;
}

bool CHttpClientSession::RequestGet(const std::wstring& path) {
    const wchar_t* acceptTypes[] = {L"*/*", nullptr};
    if (!OpenRequest(false, path, acceptTypes)) return false;
    if (!AddHeaders()) return false;
    std::string body;
    BuildBody(body);
    return SendWithRetry(body, true);
}

bool CHttpClientSession::RequestPost(const std::wstring& path) {
    const wchar_t* acceptTypes[] = {L"*/*", nullptr};
    if (!OpenRequest(true, path, acceptTypes)) return false;
    std::string body;
    BuildBody(body);
    m_vExchangeHeader.emplace_back(L"Content-Length: " + std::to_wstring(body.size()) + L"\r\n",
                                   HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (!AddHeaders()) return false;
    return SendWithRetry(body, false);
}

void CHttpClientSession::BuildBody(std::string& out) { out.clear(); }

void CHttpClientSession::WaitForData() {
    const DWORD start = GetTickCount();
    DWORD available = 0;
    while (!m_bClosed && !InternetQueryDataAvailable(m_hRequest.Get(), &available, 0, 0)) {
        if (GetTickCount() - start >= kTimeoutMs) break;
        Sleep(100);
    }
}

bool CHttpClientSession::ReadHeaders(BYTE* scratch, DWORD scratchBytes) {
    ZeroMemory(scratch, scratchBytes);
    DWORD length = scratchBytes - 1;
    if (!HttpQueryInfoW(m_hRequest.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, scratch, &length,
                        nullptr)) {
        return false;
    }
    m_strResponseHeaderText.assign(reinterpret_cast<const wchar_t*>(scratch),
                                   length / sizeof(wchar_t));
    m_responseHeaders->Parse(m_hRequest.Get(), m_strResponseHeaderText);
    return true;
}

bool CHttpClientSession::ReceiveResponse() {
    WaitForData();
    CAutoBuffer buffer;
    if (!buffer.Allocate(kWholeBodyBuffer)) return false;
    m_strResponseBody.clear();
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(m_hRequest.Get(), buffer.Data(), ReadSize(kWholeBodyBuffer), &read)) {
            return false;
        }
        if (read == 0) break;
        if (read > m_nMaxResponseBody - m_strResponseBody.size() || IsPastTimeLimit()) {
            m_strResponseBody.clear();
            m_strResponseBody.shrink_to_fit();
            return false;
        }
        m_strResponseBody.append(reinterpret_cast<const char*>(buffer.Data()), read);
    }
    if (!ReadHeaders(buffer.Data(), kWholeBodyBuffer)) return false;
    return !IsCutShort(static_cast<long long>(m_strResponseBody.size()));
}

bool CHttpClientSession::IsCutShort(long long received) const {
    // WinInet reports a connection closed early as the end of the data. Answers that never carry
    // a body (1xx, 204, 304) are complete whatever length they name.
    const int status = m_responseHeaders->StatusCode();
    if (status < 200 || status == 204 || status == 304) return false;
    return m_responseHeaders->HasContentLength() && received < m_responseHeaders->ContentLength();
}

DWORD CHttpClientSession::ReadSize(DWORD capacity) {
    DWORD available = 0;
    const bool asArrives = m_nTimeLimitMs != 0 || m_bReadsAsDataArrives;
    if (!asArrives || !InternetQueryDataAvailable(m_hRequest.Get(), &available, 0, 0) ||
        available == 0) {
        return capacity;
    }
    return std::min(available, capacity);
}

bool CHttpClientSession::IsPastTimeLimit() const {
    return m_nTimeLimitMs != 0 && GetTickCount64() - m_nRequestStartTick > m_nTimeLimitMs;
}

int CHttpClientSession::ReadChunk(std::string& out) {
    if (m_chunkBuffer.Size() == 0 && !m_chunkBuffer.Allocate(m_nChunkSize)) return -1;
    m_chunkBuffer.Zero();
    DWORD read = 0;
    if (!InternetReadFile(m_hRequest.Get(), m_chunkBuffer.Data(),
                          ReadSize(static_cast<DWORD>(m_chunkBuffer.Size())), &read)) {
        return -1;
    }
    out.append(reinterpret_cast<const char*>(m_chunkBuffer.Data()), read);
    m_chunkBuffer.Zero();
    if (!m_strResponseHeaderText.empty()) return static_cast<int>(read);

    if (!ReadHeaders(m_chunkBuffer.Data(), static_cast<DWORD>(m_chunkBuffer.Size()))) return -1;
    m_chunkBuffer.Zero();
    if (IsRedirectStatus(m_responseHeaders->StatusCode())) {
        out.clear();
        return 0;
    }
    return static_cast<int>(read);
}

// ---- CWebRequest ----

CWebRequest::CWebRequest(const std::wstring& url) : m_strRequestURL(url) {}

bool CWebRequest::OpenRequest(bool isPost, const std::wstring& path,
                              const wchar_t** acceptTypes) {
    CAutoLock lock(m_lock);
    return CHttpClientSession::OpenRequest(isPost, path, acceptTypes);
}

bool CWebRequest::Request() {
    if (m_bCancelled) return false;
    SetLastError(0);
    return Request(m_strRequestURL, m_nRequestType, true);
}

bool CWebRequest::Reopen() {
    // Under the lock that Cancel closes the session with: a cancel is never undone.
    CAutoLock lock(m_lock);
    if (m_bCancelled) return false;
    m_bClosed = false;
    return true;
}

bool CWebRequest::Cancel() {
    if (m_bCancelled.exchange(true)) return true;
    // Closing the handles is how a WinInet call blocked on them is ended (where the system does
    // so; Wine lets the call run on to its own time-outs). Each holder closes its handle once,
    // whichever thread gets to it first.
    CAutoLock lock(m_lock);
    return Close();
}

}  // namespace bxutil
