#pragma once
// The request object the application uses: one exchange judged by its status code, logged, with
// optional traffic dumps and a download mode that streams the body into a file and resumes a
// partial file.

#include <windows.h>

#include <functional>
#include <string>

#include "support/wininet/HttpClientSession.h"

// Download progress: bytes on disk so far and the bytes expected in all.
using HttpProgressFn = std::function<void(long long done, long long total)>;

// Bounds of one download, for files known to be small and quick to fetch (0: no bound). A
// response that announces or brings a file longer than maxFileBytes fails and empties the file:
// it is not what was asked for. A transfer still running maxMilliseconds after the request
// began fails (the session's time limit) and, with resume, keeps what it has for the next
// attempt.
struct THttpDownloadLimits {
    long long maxFileBytes = 0;
    unsigned long maxMilliseconds = 0;
};

class CHttpWebRequest : public bxutil::CWebRequest {
public:
    explicit CHttpWebRequest(const std::wstring& url);
    // Also removes any global timers owned by this request.
    ~CHttpWebRequest() override;

    // Runs the request once; non-zero when the status was 2xx (or, for a resumed download, the
    // server confirmed that the file is already complete).
    int Execute();
    // Streams the response into path (creating missing folders). A Range header from the file's
    // current size (0 without resume, where the file is emptied first) is always sent. With
    // resume, a failed download keeps what it has for the next attempt, and:
    //  - a 206 part must start at the file's size, or nothing is written and the call fails;
    //  - a 200 (the server ignored the range) empties the file and writes the whole body;
    //  - a 416 whose "Content-Range: bytes */N" names the file's own size means the file is
    //    already complete: success, nothing written; any other 416 empties the file (it is no
    //    prefix of the resource) and fails, so the next attempt starts from the beginning;
    //  - a body that ends short of its Content-Length fails.
    int DownloadToFile(const std::wstring& path, bool resume);

    void SetBody(const std::string& body) { m_strBody = body; }
    void SetProgress(const HttpProgressFn& progress) { m_fnProgress = progress; }
    void SetDownloadLimits(const THttpDownloadLimits& limits);
    unsigned long long ResumeOffset() const { return m_nResumeOffset; }

    bool ReceiveResponse() override;
    void BuildBody(std::string& out) override;

private:
    // How the first bytes of a download response are handled.
    enum class Start { kWrite, kAlreadyComplete, kReject };

    bool ReceiveToFile();
    Start PrepareFile();
    Start HandleRangeNotSatisfiable();
    bool TruncateFile();
    // False (and the file emptied) once the file would grow past its bound.
    bool FitsTheSizeBound(long long bytesToCome);
    // Pacing: the download leaves bandwidth to everything else on the machine, a pause after
    // each chunk's worth of data but every fifth; received grew from before to after.
    void Pace(long long before, long long after) const;
    void ReportProgress();
    void DumpRequest();
    void DumpResponse();

    bool m_bDownloadMode = false;
    unsigned long long m_nResumeOffset = 0;
    std::string m_strBody;
    HttpProgressFn m_fnProgress;
    THttpDownloadLimits m_limits;
    HANDLE m_hFile = nullptr;  // borrowed from DownloadToFile, which owns and closes it
    long long m_nFileSize = 0;
    bool m_bAlreadyComplete = false;
};

// Traffic dumps go to the HTTP log only when "loghttp" in config.ini is exactly "1" (read once).
bool IsHttpTrafficLogEnabled();
