#include "support/LibHttpHelper.h"

#include <atomic>
#include <functional>
#include <memory>

#include "support/LibThread.h"
#include "support/Log.h"
#include "support/SharedPtr.h"
#include "support/UniqueHandle.h"

namespace {

using RequestPtr = bxutil::CSharedPtr<CHttpWebRequest>;
using RequestWork = std::function<int(CHttpWebRequest&)>;

// How often the waiting caller looks at the progress and the stop predicate.
constexpr DWORD kPollMs = 100;
// After a cancel a worker between reads ends at once; the caller gives it this long so that the
// download file is usually closed before the caller goes on.
constexpr DWORD kCancelGraceMs = 1000;

// The latest progress a worker reported, handed to the caller's thread.
struct TProgressBox {
    bxutil::CCriticalSection lock;
    long long done = 0;
    long long total = 0;
    bool fresh = false;
};

// What a worker shares with the caller that waits for it. The worker's call object keeps it, and
// through it the request, alive for as long as the worker runs, also after the caller gave up.
struct TBoundedExchange {
    RequestPtr request;
    RequestWork work;
    bxutil::CKernelHandle finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> result{0};
};

// The worker's call object (owned by its self-deleting thread, which destroys it after Run).
class CBoundedExchangeCall : public bxutil::IAsyncFuncCall {
public:
    explicit CBoundedExchangeCall(std::shared_ptr<TBoundedExchange> exchange)
        : m_exchange(std::move(exchange)) {}
    void Run() override {
        int result = 0;
        try {
            result = m_exchange->work(*m_exchange->request);
        } catch (...) {
            result = 0;
        }
        m_exchange->result = result;
        SetEvent(m_exchange->finished.Get());
    }
    void* Target() const override { return m_exchange.get(); }
    const void* Function() const override { return nullptr; }

private:
    std::shared_ptr<TBoundedExchange> m_exchange;
};

void DeliverProgress(TProgressBox& box, const HttpProgressFn& progress) {
    long long done = 0, total = 0;
    {
        bxutil::CAutoLock lock(box.lock);
        if (!box.fresh) return;
        box.fresh = false;
        done = box.done;
        total = box.total;
    }
    if (progress) progress(done, total);
}

void LogGaveUp(const CHttpWebRequest& request, bool stopped) {
    const TLogRecord record = {1, L"LibHttpHelper.cpp", __LINE__};
    WriteLog(&record, stopped ? L"http request stopped: %s" : L"http request timed out: %s",
             UrlForLog(request.RequestUrl()).c_str());
}

// Waits for the worker until the deadline or the stop predicate, handing its progress over
// meanwhile; true when it finished.
bool WaitForWorker(TBoundedExchange& exchange, const THttpLimits& limits, TProgressBox& box,
                   const HttpProgressFn& progress, bool* stopped) {
    const DWORD timeout = limits.maxMilliseconds != 0 ? limits.maxMilliseconds : INFINITE;
    const ESliceWait end = WaitInSlices(exchange.finished.Get(), timeout, kPollMs, [&] {
        DeliverProgress(box, progress);
        return limits.stop && limits.stop();
    });
    DeliverProgress(box, progress);
    *stopped = end == ESliceWait::kStopped;
    return end == ESliceWait::kSignalled;
}

// Runs work on the request within the limits' deadline and stop predicate (see the header).
// *finished tells whether the work ended in time; the request may only be read then.
int RunBounded(const RequestPtr& request, RequestWork work, const THttpLimits& limits,
               const HttpProgressFn& progress, bool* finished) {
    *finished = false;
    request->SetLimits(limits);
    if (limits.maxMilliseconds == 0 && !limits.stop) {
        request->SetProgress(progress);
        const int result = work(*request);
        *finished = true;
        return result;
    }
    // The worker only stores its progress; the caller reports it on its own thread, so that a
    // progress callable never runs after the call has returned.
    auto box = std::make_shared<TProgressBox>();
    if (progress) {
        request->SetProgress([box](long long done, long long total) {
            bxutil::CAutoLock lock(box->lock);
            box->done = done;
            box->total = total;
            box->fresh = true;
        });
    }
    auto exchange = std::make_shared<TBoundedExchange>();
    exchange->request = request;
    exchange->work = std::move(work);
    if (!exchange->finished) return 0;
    if (!StartCallThread(new CBoundedExchangeCall(exchange))) return 0;

    bool stopped = false;
    if (WaitForWorker(*exchange, limits, *box, progress, &stopped)) {
        *finished = true;
        return exchange->result;
    }
    LogGaveUp(*request, stopped);
    request->Cancel();
    WaitForSingleObject(exchange->finished.Get(), kCancelGraceMs);
    return 0;
}

}  // namespace

int CLibHttpHelper::HttpGet(const std::wstring& url, const std::wstring& contentType,
                            int* statusOut, const std::string& body, std::string& responseOut,
                            bool isGet) {
    THttpLimits limits;
    limits.maxMilliseconds = kWholeReplyTimeLimitMs;
    return HttpGet(url, contentType, statusOut, body, responseOut, isGet, limits);
}

int CLibHttpHelper::HttpGet(const std::wstring& url, const std::wstring& contentType,
                            int* statusOut, const std::string& body, std::string& responseOut,
                            bool isGet, const THttpLimits& limits) {
    RequestPtr request(new CHttpWebRequest(url));
    request->SetRequestType(isGet ? bxutil::kRequestGet : bxutil::kRequestPost);
    request->SetContentTypeHeader(L"Content-Type: " + contentType + L"\r\n");
    if (!body.empty()) request->SetBody(body);
    if (limits.maxFileBytes > 0) request->SetMaxResponseBody(static_cast<size_t>(limits.maxFileBytes));
    bool finished = false;
    const int result = RunBounded(
        request, [](CHttpWebRequest& r) { return r.Execute(); }, limits, HttpProgressFn(),
        &finished);
    // A request given up on is still the worker's: nothing of it is read.
    responseOut = finished ? request->ResponseBody() : std::string();
    if (statusOut != nullptr) *statusOut = finished ? request->ResponseHeaders()->StatusCode() : 400;
    return result;
}

int CLibHttpHelper::HttpGetDefault(const std::wstring& url, std::string& responseOut) {
    return HttpGet(url, L"application/oct-stream", nullptr, std::string(), responseOut, true);
}

int CLibHttpHelper::DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                                 const HttpProgressFn& progress) {
    return DownloadFile(resume, url, path, progress, THttpLimits());
}

int CLibHttpHelper::DownloadFile(bool resume, const std::wstring& url, const std::wstring& path,
                                 const HttpProgressFn& progress, const THttpLimits& limits,
                                 int* statusOut) {
    RequestPtr request(new CHttpWebRequest(url));
    bool finished = false;
    const int result = RunBounded(
        request, [resume, path](CHttpWebRequest& r) { return r.DownloadToFile(path, resume); },
        limits, progress, &finished);
    // A request given up on is still the worker's: nothing of it is read.
    if (statusOut != nullptr) *statusOut = finished ? request->ResponseHeaders()->StatusCode() : 0;
    return result;
}
