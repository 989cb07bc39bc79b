#pragma once
// Synchronous HTTP operations for the calling thread; each one creates, runs and destroys its own
// request, so nothing is shared between calls.
//
// Every operation with a time limit (or a stop predicate) keeps its promise whatever the server
// does: the exchange runs on a worker thread while the calling thread waits at most that long.
// When the time is over the request is cancelled (its WinInet handles closed) and the call
// fails; the worker, which holds the request, ends on its own and writes nothing more. Progress
// is still reported on the calling thread.

#include <string>

#include "support/HttpWebRequest.h"

class CLibHttpHelper {
public:
    // Whole replies are short documents: a reply not complete a minute after the call began
    // (connection, headers and body together) fails.
    static constexpr unsigned long kWholeReplyTimeLimitMs = 60000;

    // One request (GET when isGet, else POST) with the header "Content-Type: <contentType>" and,
    // when body is not empty, that body (also for a GET). responseOut receives the response body
    // (also on failure), statusOut (when not null) the status, 400 when none arrived. Non-zero
    // when the server answered 2xx within kWholeReplyTimeLimitMs.
    static int HttpGet(const std::wstring& url, const std::wstring& contentType, int* statusOut,
                       const std::string& body, std::string& responseOut, bool isGet);
    // The same within other limits (maxMilliseconds, httpsOnly and stop; 0 ms: no deadline;
    // maxFileBytes, when set, bounds the body read into memory instead of WinInet's default).
    static int HttpGet(const std::wstring& url, const std::wstring& contentType, int* statusOut,
                       const std::string& body, std::string& responseOut, bool isGet,
                       const THttpLimits& limits);
    // A GET with the content type "application/oct-stream", no body and no status output.
    static int HttpGetDefault(const std::wstring& url, std::string& responseOut);
    // Downloads url into path (see CHttpWebRequest::DownloadToFile); progress may be empty. No
    // bound: runs on the calling thread for as long as the server keeps sending.
    static int DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                            const HttpProgressFn& progress);
    // The same within bounds of size and time (THttpLimits). statusOut (when not null) receives
    // the status of the download's last reply, 0 when none arrived in time.
    static int DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                            const HttpProgressFn& progress, const THttpLimits& limits,
                            int* statusOut = nullptr);
};
