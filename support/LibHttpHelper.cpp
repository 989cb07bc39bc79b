#include "support/LibHttpHelper.h"

#include "support/SharedPtr.h"

namespace {

// Whole replies are short documents; a server that is still sending one after a minute is not
// going to finish it, and the thread that asked must get its answer.
constexpr DWORD kWholeReplyTimeLimitMs = 60000;

}  // namespace

int CLibHttpHelper::HttpGet(const std::wstring& url, const std::wstring& contentType,
                            int* statusOut, const std::string& body, std::string& responseOut,
                            bool isGet) {
    bxutil::CSharedPtr<CHttpWebRequest> request(new CHttpWebRequest(url));
    request->SetRequestType(isGet ? bxutil::kRequestGet : bxutil::kRequestPost);
    request->SetContentTypeHeader(L"Content-Type: " + contentType + L"\r\n");
    if (!body.empty()) request->SetBody(body);
    request->SetTimeLimit(kWholeReplyTimeLimitMs);
    const int result = request->Execute();
    responseOut = request->ResponseBody();
    if (statusOut != nullptr) *statusOut = request->ResponseHeaders()->StatusCode();
    return result;
}

int CLibHttpHelper::HttpGetDefault(const std::wstring& url, std::string& responseOut) {
    return HttpGet(url, L"application/oct-stream", nullptr, std::string(), responseOut, true);
}

int CLibHttpHelper::DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                                 const HttpProgressFn& progress) {
    return DownloadFile(resume, url, path, progress, THttpDownloadLimits());
}

int CLibHttpHelper::DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                                 const HttpProgressFn& progress, const THttpDownloadLimits& limits) {
    bxutil::CSharedPtr<CHttpWebRequest> request(new CHttpWebRequest(url));
    request->SetProgress(progress);
    request->SetDownloadLimits(limits);
    return request->DownloadToFile(path, resume);
}
