#include "support/HttpWebRequest.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "support/FileUtil.h"
#include "support/GlobalTimer.h"
#include "support/LibBiz.h"
#include "support/Log.h"
#include "support/TextConvert.h"
#include "support/UniqueHandle.h"

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

void LogDownload(int level, int line, const wchar_t* message, const std::wstring& path) {
    const TLogRecord record = {level, kSource, line};
    WriteLog(&record, L"%s: %s", message, path.c_str());
}

// A partial download can only be continued when the server vouches that it still has the file
// the part came from: its validator is kept beside the file. Validators are short header values;
// anything else in that file is not ours and is ignored.
constexpr DWORD kMaxValidatorBytes = 512;
constexpr int kMaxRounds = 32;  // requests of one download for parts that end early

std::wstring ValidatorPath(const std::wstring& path) { return path + L".validator"; }

bool IsValidatorText(const std::string& text) {
    if (text.empty() || text.size() >= kMaxValidatorBytes) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

std::string ReadValidator(const std::wstring& path) {
    bxutil::CFileHandle file(CreateFileW(ValidatorPath(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    char buffer[kMaxValidatorBytes] = {};
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr)) return {};
    const std::string text(buffer, read);
    return IsValidatorText(text) ? text : std::string();
}

void WriteValidator(const std::wstring& path, const std::string& text) {
    const std::wstring validatorPath = ValidatorPath(path);
    if (text.empty()) {
        DeleteFileForcibly(validatorPath);
        return;
    }
    bxutil::CFileHandle file(CreateFileW(validatorPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && WriteAll(file.Get(), text)) return;
    file.Reset();
    DeleteFileForcibly(validatorPath);  // no validator rather than a wrong one
}

// "If-Range" needs a strong validator: a strong ETag, else the Last-Modified date.
std::string ChooseValidator(const bxutil::CHttpResponseHeaders& headers) {
    const std::wstring& etag = headers.ETag();
    const std::wstring& chosen =
        !etag.empty() && etag.compare(0, 2, L"W/") != 0 ? etag : headers.LastModified();
    const std::string text = WideToThreadAnsi(chosen.c_str());
    return IsValidatorText(text) ? text : std::string();
}

}  // namespace

void DeleteDownloadedFile(const std::wstring& path) {
    DeleteFileForcibly(path);
    DeleteFileForcibly(ValidatorPath(path));
}

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
    const TLogRecord startRecord = {3, kSource, 142};
    WriteLog(&startRecord, L"start HTTP request:%s", UrlForLog(m_strRequestURL).c_str());
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
        WriteLog(&record, L"http request successed:%s", UrlForLog(m_strRequestURL).c_str());
        return 1;
    }
    const TLogRecord record = {1, kSource, exchanged ? 184 : 193};
    WriteLog(&record,
             exchanged ? L"http request failed\uFF0Caddress:%s,code\uFF1A%d"
                       : L"http request failled\uFF0Caddress:%s,code\uFF1A%d",
             UrlForLog(m_strRequestURL).c_str(), status);
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

namespace {

void LogFileOpenFailure(const std::wstring& path) {
    const DWORD error = GetLastError();
    const TLogRecord record = {1, kSource, 541};
    WriteLog(&record, L"\u6587\u4EF6\u521B\u5EFA\u5931\u8D25:%s result:%d error:%d", path.c_str(),
             static_cast<int>(HRESULT_FROM_WIN32(error)), static_cast<int>(error));
}

// One writer at a time: a second installer started meanwhile must not interleave its bytes.
bxutil::CFileHandle OpenDownloadFile(const std::wstring& path) {
    return bxutil::CFileHandle(CreateFileW(path.c_str(), FILE_WRITE_DATA | FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

int CHttpWebRequest::DownloadToFile(const std::wstring& path, bool resume) {
    CreateParentFolders(path);
    // The file is checked now but held only while a reply is written into it: a server that
    // keeps its headers coming holds nothing of ours.
    long long existing = 0;
    {
        const bxutil::CFileHandle probe = OpenDownloadFile(path);
        if (!probe) {
            LogFileOpenFailure(path);
            DeleteFileForcibly(path);
            return 0;
        }
        QueryFileSize(probe.Get(), &existing);
    }
    m_strPath = path;
    m_bResume = resume;
    m_bDownloadMode = true;  // a Range header goes out even for a fresh file (offset 0)
    m_nTotal = -1;
    m_nFileSize = resume ? existing : 0;
    m_strValidator = m_nFileSize > 0 ? ReadValidator(path) : std::string();
    if (m_nFileSize > 0 && m_strValidator.empty()) {
        LogDownload(3, __LINE__, L"partial download without validator, starting again", path);
        m_nFileSize = 0;
    }
    // What the file holds beyond the part being continued is replaced once a reply brings the
    // file, and stays as it was until then.
    m_bStaleContent = m_nFileSize == 0 && existing > 0;
    if (m_nFileSize == 0) WriteValidator(path, std::string());

    int result = 0;
    for (int round = 0; round < kMaxRounds; ++round) {
        const long long before = m_nFileSize;
        const Round outcome = DownloadRound(!m_strValidator.empty() && m_nFileSize > 0);
        if (outcome == Round::kComplete) result = 1;
        // Another request only for a part that ended early and brought something.
        if (outcome != Round::kMore || m_nFileSize <= before) break;
    }
    if (m_file) FlushFileBuffers(m_file.Get());
    m_file.Reset();
    if (m_bOverSizeBound || (!result && !resume)) DeleteDownloadedFile(path);
    return result;
}

bool CHttpWebRequest::OpenForWriting() {
    if (m_file) return true;
    m_file = OpenDownloadFile(m_strPath);
    if (!m_file) {
        LogFileOpenFailure(m_strPath);
        return false;
    }
    if (m_bStaleContent) return TruncateFile();
    LARGE_INTEGER end = {};
    end.QuadPart = m_nFileSize;
    return SetFilePointerEx(m_file.Get(), end, nullptr, FILE_BEGIN) != FALSE;
}

CHttpWebRequest::Round CHttpWebRequest::DownloadRound(bool validated) {
    // After the first request the session is closed; a further one needs it open again.
    if (!Reopen()) return Round::kFailed;
    m_nResumeOffset = static_cast<unsigned long long>(m_nFileSize);
    m_nPartEnd = -1;
    m_bAlreadyComplete = false;
    RemoveRequestHeader(L"Range");
    RemoveRequestHeader(L"If-Range");
    AddRequestHeader(L"Range:bytes=" + std::to_wstring(m_nResumeOffset) + L"-",
                     HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (validated) {
        AddRequestHeader(L"If-Range: " + ThreadAnsiToWide(m_strValidator.c_str()),
                         HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    }
    if (!Execute()) return Round::kFailed;
    if (m_bAlreadyComplete || (m_nTotal >= 0 && m_nFileSize == m_nTotal)) return Round::kComplete;
    if (m_nFileSize == m_nPartEnd && m_nFileSize < m_nTotal) return Round::kMore;
    LogDownload(1, __LINE__, L"download incomplete", m_strPath);
    return Round::kFailed;
}

bool CHttpWebRequest::ReceiveResponse() {
    if (!m_bDownloadMode) return CWebRequest::ReceiveResponse();
    return ReceiveToFile();
}

bool CHttpWebRequest::ReceiveToFile() {
    WaitForData();
    if (m_bCancelled) return false;

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
            // An error's own body says nothing about the file; the status fails the request.
            if (!IsSuccessStatus(status) && status != 416) return true;
            const Start start = PrepareFile();
            if (start == Start::kAlreadyComplete) return true;
            if (start == Start::kReject) return false;
        }
        // Short of the part's end, the connection was cut.
        if (read == 0) return m_nFileSize == m_nPartEnd;
        // Once the caller has given up, nothing more reaches the file.
        if (m_bCancelled || m_nFileSize + read > m_nPartEnd) return false;
        if (!FitsTheSizeBound(m_nFileSize + read)) return false;
        // A chunk that does not reach the disk fails the download; with resume the part that
        // did stays for the next attempt.
        if (!WriteAll(m_file.Get(), chunk)) return false;
        m_nFileSize += read;
        received += read;
        ReportProgress();
        Pace(received - read, received);
        if (m_bCancelled || IsPastTimeLimit()) return false;
    }
}

void CHttpWebRequest::SetLimits(const THttpLimits& limits) {
    m_limits = limits;
    SetTimeLimit(limits.maxMilliseconds);
    SetReadsAsDataArrives(static_cast<bool>(limits.stop));
    SetHttpsOnly(limits.httpsOnly);
}

void CHttpWebRequest::Pace(long long before, long long after) const {
    // Whole chunks, whatever the size of the reads that brought them.
    for (long long chunk = before / m_nChunkSize + 1; chunk <= after / m_nChunkSize; ++chunk) {
        if (chunk % 5 != 0) Sleep(50);
    }
}

bool CHttpWebRequest::FitsTheSizeBound(long long fileBytes) {
    const long long bound = m_limits.maxFileBytes;
    if (bound <= 0 || fileBytes <= bound) return true;
    LogDownload(1, __LINE__, L"download larger than its bound, deleted", m_strPath);
    m_bOverSizeBound = true;
    TruncateFile();
    return false;
}

CHttpWebRequest::Start CHttpWebRequest::PrepareFile() {
    const int status = m_responseHeaders->StatusCode();
    if (status == 416) return HandleRangeNotSatisfiable();
    if (status == 206) return PreparePart();
    if (status == 200) return PrepareWholeFile();
    return Start::kReject;  // no other success status carries the file
}

CHttpWebRequest::Start CHttpWebRequest::PrepareWholeFile() {
    // The server ignored the range, or the file changed since the part on disk was written:
    // the whole body comes, and the file starts again.
    const bxutil::CHttpResponseHeaders& headers = *m_responseHeaders;
    if (!headers.HasContentLength() || headers.ContentLength() < 0) {
        LogDownload(1, __LINE__, L"download refused: the reply names no length", m_strPath);
        return Start::kReject;
    }
    if (!FitsTheSizeBound(headers.ContentLength()) || !OpenForWriting()) return Start::kReject;
    if (m_nFileSize != 0 && !TruncateFile()) return Start::kReject;
    m_nTotal = headers.ContentLength();
    m_nPartEnd = m_nTotal;
    KeepValidator();
    return Start::kWrite;
}

CHttpWebRequest::Start CHttpWebRequest::PreparePart() {
    // The part must start where the file ends, or appending it would corrupt the file; it must
    // name the whole size, or completion could not be judged; and it must stay the size the
    // earlier parts of this download named.
    const bxutil::CHttpResponseHeaders& headers = *m_responseHeaders;
    const bxutil::TContentRange& range = headers.ContentRange();
    bool continues = headers.HasContentRange() && range.first == m_nFileSize &&
                     range.total > range.last && (m_nTotal < 0 || range.total == m_nTotal);
    if (continues && headers.HasContentLength()) {
        continues = headers.ContentLength() == range.last - range.first + 1;
    }
    if (!continues) {
        LogDownload(1, __LINE__, L"download refused: the part does not continue the file",
                    m_strPath);
        return Start::kReject;
    }
    if (!FitsTheSizeBound(range.total) || !OpenForWriting()) return Start::kReject;
    m_nTotal = range.total;
    m_nPartEnd = range.last + 1;
    if (m_nResumeOffset == 0) KeepValidator();
    return Start::kWrite;
}

CHttpWebRequest::Start CHttpWebRequest::HandleRangeNotSatisfiable() {
    // "bytes */N" with N equal to what is on disk, in answer to a request that named the file's
    // validator: the server vouches that the earlier run already got everything.
    const bxutil::CHttpResponseHeaders& headers = *m_responseHeaders;
    const bool validated = !m_strValidator.empty() && m_nFileSize > 0;
    if (validated && headers.HasContentRange() && headers.ContentRange().total == m_nFileSize) {
        m_bAlreadyComplete = true;
        m_nTotal = m_nFileSize;
        return Start::kAlreadyComplete;
    }
    // The file on disk is no prefix of this resource (it is longer, or the server will not
    // say): drop it so the next attempt starts from the beginning. Content no reply vouched for
    // stays as it was.
    if (validated && OpenForWriting()) TruncateFile();
    return Start::kReject;
}

bool CHttpWebRequest::TruncateFile() {
    m_strValidator.clear();
    WriteValidator(m_strPath, m_strValidator);
    m_nResumeOffset = 0;
    m_nFileSize = 0;
    LARGE_INTEGER start = {};
    if (!m_file || !SetFilePointerEx(m_file.Get(), start, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(m_file.Get())) {
        return false;
    }
    m_bStaleContent = false;
    return true;
}

void CHttpWebRequest::KeepValidator() {
    // Only a download that may be continued later needs to know what it is a part of.
    m_strValidator = m_bResume ? ChooseValidator(*m_responseHeaders) : std::string();
    WriteValidator(m_strPath, m_strValidator);
}

void CHttpWebRequest::ReportProgress() {
    // Called only while the file is short of the total; callers set 100 percent themselves.
    if (m_fnProgress && m_nTotal > m_nFileSize) m_fnProgress(m_nFileSize, m_nTotal);
}
