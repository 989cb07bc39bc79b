#pragma once
// The request object the application uses: one exchange judged by its status code, logged, with
// optional traffic dumps and a download mode that streams the body into a file and resumes a
// partial file.

#include <windows.h>

#include <functional>
#include <string>

#include "support/UniqueHandle.h"
#include "support/wininet/HttpClientSession.h"

// Download progress: bytes on disk so far and the bytes expected in all.
using HttpProgressFn = std::function<void(long long done, long long total)>;

// Bounds of one exchange or download (0 or empty: no bound).
//  - maxMilliseconds: one deadline for everything the call does on the network (connection,
//    TLS hand-shake, headers, body, redirects and, for a download, every range it asks for).
//    CLibHttpHelper enforces it even against a server that trickles its headers.
//  - maxFileBytes (downloads): a response that announces or brings a file longer than this
//    fails, and the file is deleted: it is not what was asked for, nor worth resuming.
//    For a whole reply read into memory (CLibHttpHelper::HttpGet) it bounds the body instead.
//  - httpsOnly: the address and every redirect target must be https.
//  - stop: polled by the waiting caller (CLibHttpHelper) a few times a second; true gives up
//    like a passed deadline.
struct THttpLimits {
    unsigned long maxMilliseconds = 0;
    long long maxFileBytes = 0;
    bool httpsOnly = false;
    std::function<bool()> stop;
};

class CHttpWebRequest : public bxutil::CWebRequest {
public:
    explicit CHttpWebRequest(const std::wstring& url);
    // Also removes any global timers owned by this request.
    ~CHttpWebRequest() override;

    // Runs the request once; non-zero when the status was 2xx (or, for a resumed download, the
    // server confirmed that the file is already complete).
    int Execute();
    // Streams the resource into path (creating missing folders); non-zero only when the file on
    // disk is the whole resource: its size equals the total the server named (the total of
    // "Content-Range", or the "Content-Length" of a 200). A reply that names no length cannot
    // be told from one cut off, and fails. While a file is written no other writer may open it.
    // A Range header from the file's current size (0 without resume, where the file is emptied
    // first) is always sent. Resuming:
    //  - the validator of the file (its strong ETag, else its Last-Modified), kept beside it in
    //    "<path>.validator", goes out as "If-Range"; a part without a validator is asked for
    //    again from zero (nothing proves it belongs to the file the server has now), and is
    //    kept as it is until a reply brings the file;
    //  - a 206 must start at the file's size and name the total; a part that ends before the
    //    total is followed by a request for the rest;
    //  - a 200 (the range was ignored, or the file changed) empties the file and writes it anew;
    //  - a 416 naming the file's own size completes it only when the validator was sent (the
    //    server then vouches that the file is unchanged); any other 416 empties the file;
    //  - a failure keeps what has arrived for the next attempt (unless it broke the size bound).
    int DownloadToFile(const std::wstring& path, bool resume);

    void SetBody(const std::string& body) { m_strBody = body; }
    void SetProgress(const HttpProgressFn& progress) { m_fnProgress = progress; }
    void SetLimits(const THttpLimits& limits);
    unsigned long long ResumeOffset() const { return m_nResumeOffset; }

    bool ReceiveResponse() override;
    void BuildBody(std::string& out) override;

private:
    // How the first bytes of a download response are handled.
    enum class Start { kWrite, kAlreadyComplete, kReject };
    // What one request of a download brought.
    enum class Round { kFailed, kComplete, kMore };

    Round DownloadRound(bool validated);
    bool ReceiveToFile();
    Start PrepareFile();
    Start PrepareWholeFile();
    Start PreparePart();
    Start HandleRangeNotSatisfiable();
    // Opens the file for the reply about to be written (positioned at its end, or emptied when
    // its content is stale); false when it cannot be had.
    bool OpenForWriting();
    bool TruncateFile();
    void KeepValidator();
    // False (and the file emptied) once the file would grow past its bound.
    bool FitsTheSizeBound(long long fileBytes);
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
    THttpLimits m_limits;
    bxutil::CFileHandle m_file;  // the download's file while replies are written into it
    std::wstring m_strPath;    // the download's file
    std::string m_strValidator;  // sent as If-Range; the file's, or the one just received
    long long m_nFileSize = 0;
    long long m_nTotal = -1;     // the whole resource's size, once a response named it
    long long m_nPartEnd = -1;   // where the part of the current response ends (exclusive)
    bool m_bAlreadyComplete = false;
    bool m_bOverSizeBound = false;
    bool m_bStaleContent = false;  // the file holds bytes no reply has vouched for yet
    bool m_bResume = false;
};

// Deletes a downloaded file together with the validator kept beside it.
void DeleteDownloadedFile(const std::wstring& path);

// Traffic dumps go to the HTTP log only when "loghttp" in config.ini is exactly "1" (read once).
bool IsHttpTrafficLogEnabled();
