#pragma once
// One HTTP or HTTPS exchange through WinInet: URL splitting, connection, request, redirects
// (followed here, never by WinInet) and the response body, whole or chunk by chunk.

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/LibThread.h"
#include "support/SharedPtr.h"
#include "support/UniqueHandle.h"
#include "support/wininet/HttpResponseHeaders.h"

namespace bxutil {

struct TInternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { InternetCloseHandle(handle); }
};

// Owns one WinInet handle. Closing it is the way to end a blocking WinInet call, so the
// exchange's thread and a thread cancelling it may both reset it: the handle is closed once,
// whichever gets to it first.
using CInternetHandle = CAtomicUniqueHandle<TInternetHandleTraits>;

// An owned, zero-filled byte array.
class CAutoBuffer {
public:
    CAutoBuffer() = default;
    virtual ~CAutoBuffer() = default;

    // n = 0 frees the array (false). The same size again keeps the array and zeroes it; any other
    // size replaces it with a new zero-filled one (false, and size 0, when that fails).
    bool Allocate(size_t n);
    void Zero();
    void CopyTo(std::string& out) const;
    BYTE* Data() { return m_pData.get(); }
    size_t Size() const { return m_nSize; }

private:
    std::unique_ptr<BYTE[]> m_pData;
    size_t m_nSize = 0;
};

// The parts of a URL the session connects with.
struct TUrlParts {
    std::wstring scheme;
    std::wstring host;
    int port = 0;
    std::wstring path;  // from the first "/" after the host on, query included; may be empty
};

// Splits "scheme://host[:port]/path?query"; a URL without "://" is taken as http. The port is
// 443 for https and 80 for http unless given; 0 for other schemes.
TUrlParts SplitUrl(const std::wstring& url);

// The URL a redirect's Location leads to, resolved against the current URL as browsers do: a
// target that begins with a scheme and "://" as it is; "//host/..." with the current scheme;
// "/path" on the current scheme, host and port; "?query" on the current path; any other text
// ("file.exe", "../x") relative to the current path's folder, with "." and ".." segments
// removed. A fragment ("#...") is dropped. An empty Location stays empty.
std::wstring ResolveRedirect(const std::wstring& currentUrl, const std::wstring& location);

// True when url begins with "https://" (in any case).
bool IsHttpsUrl(const std::wstring& url);

// 301, 302 and 303: the statuses the session follows to their Location.
bool IsRedirectStatus(int status);

enum : int { kRequestGet = 1, kRequestPost = 2, kRequestPostMultipart = 3 };

class CHttpClientSession {
public:
    CHttpClientSession();
    virtual ~CHttpClientSession();
    CHttpClientSession(const CHttpClientSession&) = delete;
    CHttpClientSession& operator=(const CHttpClientSession&) = delete;

    // Adds "\r\n" when text lacks it; headers are applied in insertion order with their flags,
    // to every request of the session (the first and each redirect).
    virtual void AddRequestHeader(const std::wstring& text, DWORD flags);
    virtual void ClearRequestHeaders();
    // Removes the extra headers named name (as in "name: value", case-insensitive).
    void RemoveRequestHeader(const std::wstring& name);
    // The whole exchange for url (type kRequestPost posts, anything else but multipart gets);
    // true when a final, non-redirect response arrived, whatever its status. closeAfter closes
    // the session for good at the end.
    virtual bool Request(const std::wstring& url, int type, bool closeAfter);
    // Waits for the response and reads the whole body into memory. A body longer than the
    // session's limit fails the exchange and leaves no body.
    virtual bool ReceiveResponse();
    // Reads up to one chunk into out: the byte count, 0 at the end of the data (or for a
    // redirect response, whose body is dropped), -1 on failure. A read waits for a whole chunk
    // unless the session has a time limit.
    virtual int ReadChunk(std::string& out);
    virtual const std::string& ResponseBody() const { return m_strResponseBody; }
    virtual const std::wstring& ResponseHeaderText() const { return m_strResponseHeaderText; }
    virtual bool OpenRequest(bool isPost, const std::wstring& path, const wchar_t** acceptTypes);
    virtual bool RequestPost(const std::wstring& path);
    virtual bool RequestGet(const std::wstring& path);
    // The request body: nothing for the session itself.
    virtual void BuildBody(std::string& out);

    bool Connect(const std::wstring& host, int port, const wchar_t* user, const wchar_t* password);
    bool Close();

    const CSharedPtr<CHttpResponseHeaders>& ResponseHeaders() const { return m_responseHeaders; }
    void SetContentTypeHeader(const std::wstring& header) { m_strContentTypeHeader = header; }
    // The longest body read into memory: a server cannot make the program hold more than this,
    // whatever it sends. Downloads to a file are not bound by it.
    static constexpr size_t kDefaultMaxResponseBody = 16u << 20;
    void SetMaxResponseBody(size_t bytes) { m_nMaxResponseBody = bytes; }
    // A bound on the time from the start of the first Request of this object to the end of the
    // last body it reads (0: none); a body still arriving after it fails the exchange. With a
    // limit, each read takes what has arrived instead of waiting for a whole buffer, so that the
    // limit is checked between reads even against a server that sends a byte at a time. The
    // session cannot stop a call that WinInet blocks in (a server trickling its headers): the
    // caller that must get its answer in time runs the exchange on a worker and cancels it
    // (CLibHttpHelper does).
    void SetTimeLimit(DWORD milliseconds) { m_nTimeLimitMs = milliseconds; }
    // Reads take what has arrived (as under a time limit), so that an exchange someone may
    // cancel comes back between reads to notice it.
    void SetReadsAsDataArrives(bool asArrives) { m_bReadsAsDataArrives = asArrives; }
    bool IsPastTimeLimit() const;
    // Only https addresses are asked, the first one and every redirect target: a reply that
    // must not come in plain text cannot be steered onto http by a redirect.
    void SetHttpsOnly(bool httpsOnly) { m_bHttpsOnly = httpsOnly; }
    bool IsClosed() const { return m_bClosed; }
    const std::wstring& CurrentUrl() const { return m_strCurrentUrl; }

protected:
    // Waits (at most 5 s, pausing 100 ms) until the request reports data or the session closes.
    void WaitForData();
    // Reads and parses the response header block of the open request.
    bool ReadHeaders(BYTE* scratch, DWORD scratchBytes);
    void CloseHandles();
    // True when fewer body bytes arrived than the response announced.
    bool IsCutShort(long long received) const;
    // How much one read asks for, at most capacity: under a time limit, what has arrived (the
    // read itself then reports the end of the data or a failure).
    DWORD ReadSize(DWORD capacity);

    CInternetHandle m_hInternet;
    CInternetHandle m_hConnection;
    CInternetHandle m_hRequest;
    std::wstring m_strUserAgent = L"PC-WIN7";
    std::wstring m_strReferrer;
    std::wstring m_strContentTypeHeader = L"Content-Type: application/oct-stream\r\n";
    std::string m_strResponseBody;
    size_t m_nMaxResponseBody = kDefaultMaxResponseBody;
    DWORD m_nTimeLimitMs = 0;
    ULONGLONG m_nRequestStartTick = 0;  // the first Request's start
    bool m_bHttpsOnly = false;
    bool m_bReadsAsDataArrives = false;
    std::wstring m_strResponseHeaderText;
    DWORD m_nAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
    bool m_bHttps = false;
    CSharedPtr<CHttpResponseHeaders> m_responseHeaders;
    CAutoBuffer m_chunkBuffer;
    std::atomic<bool> m_bClosed{false};
    int m_nChunkSize = 0x20000;
    std::wstring m_strCurrentUrl;
    std::wstring m_strAcceptType = L"Accept: */*\r\n";
    std::vector<std::pair<std::wstring, DWORD>> m_vRequestHeader;
    // Headers of the request being sent only ("Host", "Content-Length"): made anew for each
    // request, so that a redirect's request does not meet the previous request's values.
    std::vector<std::pair<std::wstring, DWORD>> m_vExchangeHeader;

private:
    enum class Step { kDone, kRedirect, kFailed, kRefused };
    Step RequestOnce(std::wstring& url, int type);
    bool SendRequest(const std::wstring& path, int type);
    bool AddHeaders();
    bool SendWithRetry(const std::string& body, bool logFailure);
};

// A session for one stored URL and request type, with a lock around opening the request.
class CWebRequest : public CHttpClientSession {
public:
    explicit CWebRequest(const std::wstring& url = std::wstring());

    bool OpenRequest(bool isPost, const std::wstring& path, const wchar_t** acceptTypes) override;
    // Runs the stored request once; false at once after Cancel. The session is closed after it.
    virtual bool Request();
    // Stops the exchange; may be called from another thread. The handles are closed at once,
    // which ends a WinInet call blocked on them where the system allows it; the exchange notices
    // at its next step (between reads, while waiting for data, before a redirect or a further
    // request) and fails. Whoever must not wait for a blocked call stops waiting
    // (CLibHttpHelper).
    virtual bool Cancel();

    using CHttpClientSession::Request;
    void SetRequestType(int type) { m_nRequestType = type; }
    int RequestType() const { return m_nRequestType; }
    const std::wstring& RequestUrl() const { return m_strRequestURL; }
    bool IsCancelled() const { return m_bCancelled; }

protected:
    // Opens the session again for one more exchange of the same object (a download asking for
    // the rest of its file); false once cancelled.
    bool Reopen();

    std::atomic<bool> m_bCancelled{false};
    int m_nRequestType = kRequestGet;
    std::wstring m_strRequestURL;
    CCriticalSection m_lock;
};

}  // namespace bxutil
