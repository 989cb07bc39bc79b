#pragma once
// Synchronous HTTP operations on the calling thread; each one creates, runs and destroys its own
// request, so nothing is shared between calls.

#include <string>

#include "support/HttpWebRequest.h"

class CLibHttpHelper {
public:
    // One request (GET when isGet, else POST) with the header "Content-Type: <contentType>" and,
    // when body is not empty, that body (also for a GET). responseOut receives the response body
    // (also on failure), statusOut (when not null) the status, 400 when none arrived. Non-zero
    // when the server answered 2xx. A reply still arriving a minute after the request began
    // fails.
    static int HttpGet(const std::wstring& url, const std::wstring& contentType, int* statusOut,
                       const std::string& body, std::string& responseOut, bool isGet);
    // A GET with the content type "application/oct-stream", no body and no status output.
    static int HttpGetDefault(const std::wstring& url, std::string& responseOut);
    // Downloads url into path (see CHttpWebRequest::DownloadToFile); progress may be empty.
    static int DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                            const HttpProgressFn& progress);
    // The same within bounds of size and time (THttpDownloadLimits).
    static int DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                            const HttpProgressFn& progress, const THttpDownloadLimits& limits);
};
