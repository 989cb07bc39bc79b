#include "support/HttpWebRequest.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "support/FileUtil.h"
#include "support/GlobalTimer.h"
#include "support/LibBiz.h"
#include "support/Log.h"
#include "support/TextConvert.h"
#include "support/Win32Handle.h"

namespace {

constexpr const wchar_t* kSource = L"HttpWebRequest.cpp";

bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

void CreateParentFolders(const std::wstring& path) {
    const wchar_t* name = PathFindFileNameW(path.c_str());
    const std::wstring folder(path.c_str(), name);
    if (!folder.empty() && !PathIsDirectoryW(folder.c_str())) {
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    }
}

// Writes all of data at the file's position; a short or failed write (a full disk) is a failure.
bool WriteAll(HANDLE file, const std::string& data) {
    DWORD written = 0;
    if (WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
        written == data.size()) {
        return true;
    }
    const TLogRecord record = {1, kSource, __LINE__};
    WriteLog(&record, L"download file write failed, error:%d", static_cast<int>(GetLastError()));
    return false;
}

}  // namespace

bool IsHttpTrafficLogEnabled() {
    static const bool enabled = GetConfigValue(L"loghttp", L"") == L"1";
    return enabled;
}

CHttpWebRequest::CHttpWebRequest(const std::wstring& url) : bxutil::CWebRequest(url) {}

CHttpWebRequest::~CHttpWebRequest() {
    bxutil::CGlobalTimer::Instance().KillTimers(reinterpret_cast<uintptr_t>(this), nullptr);
}

void CHttpWebRequest::BuildBody(std::string& out) {
    if (!m_strBody.empty()) {
        out = m_strBody;
        return;
    }
    CWebRequest::BuildBody(out);
}

int CHttpWebRequest::Execute() {
    if (m_bDownloadMode) {
        AddRequestHeader(L"Range:bytes=" + std::to_wstring(m_nResumeOffset) + L"-",
                         HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    }
    const TLogRecord startRecord = {3, kSource, 142};
    WriteLog(&startRecord, L"start HTTP request:%s", m_strRequestURL.c_str());
    const bool dump = IsHttpTrafficLogEnabled();
    if (dump) DumpRequest();

    bool exchanged = false;
    try {
        exchanged = Request();
        if (dump) DumpResponse();
    } catch (...) {
        exchanged = false;
    }

    const int status = m_responseHeaders->StatusCode();
    if (exchanged && (IsSuccessStatus(status) || m_bAlreadyComplete)) {
        const TLogRecord record = {3, kSource, 188};
        WriteLog(&record, L"http request successed:%s", m_strRequestURL.c_str());
        return 1;
    }
    const TLogRecord record = {1, kSource, exchanged ? 184 : 193};
    WriteLog(&record,
             exchanged ? L"http request failed\uFF0Caddress:%s,code\uFF1A%d"
                       : L"http request failled\uFF0Caddress:%s,code\uFF1A%d",
             m_strRequestURL.c_str(), status);
    return 0;
}

void CHttpWebRequest::DumpRequest() {
    std::string text = WideToThreadAnsi(m_strRequestURL.c_str());
    if (m_nRequestType == bxutil::kRequestPost) {
        text += " POST";
    } else if (m_nRequestType == bxutil::kRequestPostMultipart) {
        text += "PostMulti\r\n";
    } else {
        text += " GET";
    }
    std::string body;
    BuildBody(body);
    text += "\r\n" + body + "\r\n\r\n";
    CLogFile::HttpTraffic().Write(true, text);
}

void CHttpWebRequest::DumpResponse() {
    const std::wstring& headers = ResponseHeaderText();
    std::string text = "Response:" + WideToThreadAnsi(m_strRequestURL.c_str()) + "\r\n";
    text += WideToThreadAnsi(headers.c_str()) + "\r\n";
    // Pictures are binary and large; the dump names them instead.
    if (headers.find(L"Content-Type: image") != std::wstring::npos) {
        text += "not log image type content!";
    } else {
        text += ResponseBody();
    }
    text += "\r\n";
    CLogFile::HttpTraffic().Write(true, text);
}

int CHttpWebRequest::DownloadToFile(const std::wstring& path, bool resume) {
    CreateParentFolders(path);
    bxutil::CKernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_DATA, FILE_SHARE_WRITE,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        const TLogRecord record = {1, kSource, 541};
        WriteLog(&record, L"\u6587\u4EF6\u521B\u5EFA\u5931\u8D25:%s result:%d error:%d",
                 path.c_str(), static_cast<int>(HRESULT_FROM_WIN32(error)),
                 static_cast<int>(error));
        DeleteFileForcibly(path);
        return 0;
    }

    m_nResumeOffset = 0;
    m_bDownloadMode = true;  // a Range header goes out even for a fresh file (offset 0)
    long long size = 0;
    if (!resume) {
        // A fresh download replaces whatever the file held; a longer old file would otherwise
        // keep its tail after the new content.
        SetEndOfFile(file.Get());
    } else if (QueryFileSize(file.Get(), &size)) {
        LARGE_INTEGER distance = {};
        distance.QuadPart = size;
        SetFilePointerEx(file.Get(), distance, nullptr, FILE_CURRENT);
        m_nResumeOffset = static_cast<unsigned long long>(size);
    }
    m_nFileSize = static_cast<long long>(m_nResumeOffset);

    m_hFile = file.Get();
    const int result = Execute();
    m_hFile = nullptr;
    FlushFileBuffers(file.Get());
    file.Reset();
    if (!result && !resume) DeleteFileForcibly(path);
    return result;
}

bool CHttpWebRequest::ReceiveResponse() {
    if (!m_bDownloadMode) return CWebRequest::ReceiveResponse();
    return ReceiveToFile();
}

bool CHttpWebRequest::ReceiveToFile() {
    WaitForData();
    if (m_hFile == nullptr || m_bCancelled) return false;

    long long received = 0;  // body bytes of this response
    bool first = true;
    std::string chunk;
    for (;;) {
        chunk.clear();
        chunk.reserve(m_nChunkSize);
        const int read = ReadChunk(chunk);
        if (read < 0) return false;
        if (first) {
            // The headers are known once the first read is done.
            first = false;
            const int status = m_responseHeaders->StatusCode();
            if (read == 0 && bxutil::IsRedirectStatus(status)) return true;
            const Start start = PrepareFile();
            if (start == Start::kAlreadyComplete) return true;
            if (start == Start::kReject) return false;
            // An error's own body says nothing about the file.
            if (IsSuccessStatus(status) && m_responseHeaders->HasContentLength() &&
                !FitsTheSizeBound(m_responseHeaders->ContentLength())) {
                return false;
            }
        }
        if (read == 0) return !IsCutShort(received);
        if (!IsSuccessStatus(m_responseHeaders->StatusCode())) return false;
        if (!FitsTheSizeBound(received + read)) return false;

        // A chunk that does not reach the disk fails the download; with resume the part that
        // did stays for the next attempt.
        if (!WriteAll(m_hFile, chunk)) return false;
        received += read;
        ReportProgress();
        Pace(received - read, received);
        if (m_bCancelled || IsPastTimeLimit()) return false;
    }
}

void CHttpWebRequest::SetDownloadLimits(const THttpDownloadLimits& limits) {
    m_limits = limits;
    SetTimeLimit(limits.maxMilliseconds);
}

void CHttpWebRequest::Pace(long long before, long long after) const {
    // Whole chunks, whatever the size of the reads that brought them.
    for (long long chunk = before / m_nChunkSize + 1; chunk <= after / m_nChunkSize; ++chunk) {
        if (chunk % 5 != 0) Sleep(50);
    }
}

bool CHttpWebRequest::FitsTheSizeBound(long long bytesToCome) {
    const long long bound = m_limits.maxFileBytes;
    if (bound <= 0 || bytesToCome <= bound - static_cast<long long>(m_nResumeOffset)) return true;
    TruncateFile();
    return false;
}

CHttpWebRequest::Start CHttpWebRequest::PrepareFile() {
    const bxutil::CHttpResponseHeaders& headers = *m_responseHeaders;
    const int status = headers.StatusCode();
    if (status == 416) return HandleRangeNotSatisfiable();
    if (!IsSuccessStatus(status)) return Start::kWrite;  // judged (and refused) by the caller
    if (status == 206) {
        // The part must start where the file ends, or appending it would corrupt the file.
        const bool matches = headers.HasContentRange() &&
                             headers.ContentRange().first == static_cast<long long>(m_nResumeOffset);
        return matches ? Start::kWrite : Start::kReject;
    }
    if (m_nResumeOffset == 0) return Start::kWrite;
    // The server ignored the range and sends the whole body: start the file again.
    return TruncateFile() ? Start::kWrite : Start::kReject;
}

CHttpWebRequest::Start CHttpWebRequest::HandleRangeNotSatisfiable() {
    // "bytes */N" with N equal to what is on disk: the earlier run already got everything.
    const bxutil::CHttpResponseHeaders& headers = *m_responseHeaders;
    if (headers.HasContentRange() &&
        headers.ContentRange().total == static_cast<long long>(m_nResumeOffset)) {
        m_bAlreadyComplete = true;
        return Start::kAlreadyComplete;
    }
    // The file on disk is no prefix of this resource (it is longer, or the server will not
    // say): drop it so the next attempt starts from the beginning.
    TruncateFile();
    return Start::kReject;
}

bool CHttpWebRequest::TruncateFile() {
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN) || !SetEndOfFile(m_hFile)) {
        return false;
    }
    m_nResumeOffset = 0;
    m_nFileSize = 0;
    return true;
}

void CHttpWebRequest::ReportProgress() {
    if (!m_fnProgress) return;
    QueryFileSize(m_hFile, &m_nFileSize);  // keeps the previous size when it cannot be read
    const long long total =
        static_cast<long long>(m_nResumeOffset) + m_responseHeaders->ContentLength();
    // Called only while the file is short of the total; callers set 100 percent themselves.
    if (total > m_nFileSize) m_fnProgress(m_nFileSize, total);
}
