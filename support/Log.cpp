#include "support/Log.h"

#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>
#include <utility>

#include "support/FileUtil.h"
#include "support/LibBiz.h"
#include "support/LibThread.h"
#include "support/LogClock.h"
#include "support/TextConvert.h"

namespace {

// Levels above this are dropped before anything is formatted.
constexpr int kMaxLoggedLevel = 3;
const wchar_t kInvalidFormatMessage[] = L"Log format is invalid!!!";

struct TBasePath {
    bxutil::CCriticalSection lock;
    std::wstring path;
};

// Never destroyed, like the log files that read it.
TBasePath& BasePath() {
    static TBasePath* const basePath = new TBasePath;
    return *basePath;
}

const wchar_t* KindInfix(int kind) {
    switch (kind) {
        case CLogFile::kHttp: return L"http";
        case CLogFile::kSip: return L"sip";
        default: return L"normal";
    }
}

// Only the log kinds that carry text for other tools (HTTP dumps, SIP) start with a UTF-8 mark.
bool KindHasByteOrderMark(int kind) { return kind == CLogFile::kHttp || kind == CLogFile::kSip; }

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

void WriteBytes(HANDLE file, const char* data, size_t size) {
    DWORD written = 0;
    WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);  // failures are ignored
}

// One conversion directive after its "%": flags, width, precision, size, type, in this
// order. Returns the position after it, or null when the logger refuses it.
const wchar_t* SkipConversion(const wchar_t* p) {
    if (*p == L'%') return p + 1;
    while (*p && wcschr(L"-+0 #", *p)) ++p;
    auto skipCount = [&p] {
        if (*p == L'*') ++p;
        else
            while (*p >= L'0' && *p <= L'9') ++p;
    };
    skipCount();
    if (*p == L'.') {
        ++p;
        skipCount();
    }
    if (wcsncmp(p, L"I64", 3) == 0 || wcsncmp(p, L"I32", 3) == 0) p += 3;
    else if (wcsncmp(p, L"ll", 2) == 0 || wcsncmp(p, L"hh", 2) == 0) p += 2;
    else if (*p && wcschr(L"hlLwI", *p)) ++p;
    // "%n" writes through its argument and "%Z" reads a counted-string record: both refused.
    if (!*p || !wcschr(L"cCdiouxXeEfgGaApsS", *p)) return nullptr;
    return p + 1;
}

bool IsAcceptedFormat(const wchar_t* format) {
    for (const wchar_t* p = format; (p = wcschr(p, L'%')) != nullptr;) {
        p = SkipConversion(p + 1);
        if (!p) return false;
    }
    return true;
}

}  // namespace

// ---- base path and file names --------------------------------------------------------------

void SetLogBasePath(const std::wstring& path) {
    TBasePath& base = BasePath();
    bxutil::CAutoLock lock(base.lock);
    base.path = path;
}

std::wstring GetLogBasePath() {
    TBasePath& base = BasePath();
    bxutil::CAutoLock lock(base.lock);
    return base.path;
}

std::wstring LogFileNameFor(const std::wstring& basePath, int kind) {
    if (basePath.empty()) return {};
    const size_t nameStart = basePath.find_last_of(L"\\/");
    const size_t dot = basePath.rfind(L'.');
    const std::wstring infix = KindInfix(kind);
    if (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart))
        return basePath + L"." + infix + L".log";
    return basePath.substr(0, dot) + L"." + infix + basePath.substr(dot);
}

std::wstring RotatedLogFileName(const std::wstring& fileName) {
    const size_t nameStart = fileName.find_last_of(L"\\/");
    const size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart)) return fileName + L".1";
    return fileName.substr(0, dot) + L".1" + fileName.substr(dot);
}

std::wstring LogBasePathFromConfigValue(const std::wstring& value, const std::wstring& configDirectory,
                                        const std::wstring& defaultFileName) {
    if (value.empty()) return {};
    std::wstring path = PathIsRelativeW(value.c_str()) ? configDirectory + value : value;
    if (IsSlash(path.back())) path += defaultFileName;
    return path;
}

namespace {

// The executable's name with ".log" for its extension ("VexoInstall.log").
std::wstring ExecutableLogName() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring name = PathFindFileNameW(path);
    return name.substr(0, name.rfind(L'.')) + L".log";
}

}  // namespace

std::wstring ConfigureLogFromConfigFile() {
    const std::wstring path = LogBasePathFromConfigValue(GetConfigValue(L"log", L""), GetConfigDirectory(),
                                                         ExecutableLogName());
    if (!path.empty()) SetLogBasePath(path);
    return path;
}

// ---- formatting ----------------------------------------------------------------------------

bool FormatLogText(std::wstring& out, const wchar_t* format, va_list args) {
    if (!format || !IsAcceptedFormat(format)) return false;
    // The msvcrt functions are called on purpose: their "%s" takes a wide string.
    va_list measureArgs;
    va_copy(measureArgs, args);
    const int length = _vscwprintf(format, measureArgs);
    va_end(measureArgs);
    if (length < 0) return false;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    va_list formatArgs;
    va_copy(formatArgs, args);
    const int written = _vsnwprintf(&text[0], text.size(), format, formatArgs);
    va_end(formatArgs);
    if (written < 0) return false;
    text.resize(wcslen(text.c_str()));
    out.swap(text);
    return true;
}

void WriteLog(const TLogRecord* record, const wchar_t* format, ...) {
    if (!record || record->level > kMaxLoggedLevel) return;
    try {
        // The caller's format goes unexpanded behind the filled prefix, then everything is
        // expanded with the caller's arguments.
        const std::wstring fullFormat = L"(" + std::to_wstring(record->line) + L")(" +
                                        std::to_wstring(GetCurrentThreadId()) + L"): " + (format ? format : L"");
        std::wstring message;
        va_list args;
        va_start(args, format);
        const bool formatted = format && FormatLogText(message, fullFormat.c_str(), args);
        va_end(args);
        if (!formatted) message = kInvalidFormatMessage;

        const wchar_t* fileName = record->sourceFile ? PathFindFileNameW(record->sourceFile) : L"";
        CLogFile::General().Write(false, WideToThreadAnsi(fileName) + "  " + WideToThreadAnsi(message.c_str()) + "\r\n");
    } catch (...) {
        // Logging never throws into its caller; a line that cannot be built is dropped.
    }
}

// ---- log files -----------------------------------------------------------------------------

CLogFile::CLogFile(int kind, long long maxFileSize) : m_nKind(kind), m_nMaxFileSize(maxFileSize) {}

CLogFile::~CLogFile() { Close(); }

template <int Kind>
CLogFile& CLogFile::ProcessInstance() {
    static CLogFile* const file = new CLogFile(Kind);
    static const int closeAtExit = std::atexit([] { ProcessInstance<Kind>().Close(); });
    (void)closeAtExit;
    return *file;
}

CLogFile& CLogFile::General() { return ProcessInstance<kNormal>(); }
CLogFile& CLogFile::HttpTraffic() { return ProcessInstance<kHttp>(); }

void CLogFile::Close() {
    bxutil::CAutoLock lock(m_lock);
    m_hFile.Reset();
    m_bOpened = true;
}

void CLogFile::Open() {
    if (m_strName.empty()) m_strName = LogFileNameFor(GetLogBasePath(), m_nKind);
    if (m_strName.empty()) return;  // no base path yet: try again at the next entry
    long long size = 0;
    if (QueryFileSize(m_strName, &size) && size > m_nMaxFileSize) MoveAside();
    bxutil::CFileHandle file(CreateFileW(m_strName.c_str(), FILE_WRITE_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    m_bOpened = true;  // also after a failure: the log then stays silent for the process
    if (!file) return;
    // Entries are appended at the file's real end, so the mark goes only into an empty file.
    LARGE_INTEGER end{};
    const LARGE_INTEGER zero{};
    const bool positioned = SetFilePointerEx(file.Get(), zero, &end, FILE_END);
    m_nFileSize = positioned ? end.QuadPart : 0;
    if (positioned && end.QuadPart == 0 && KindHasByteOrderMark(m_nKind)) {
        WriteBytes(file.Get(), "\xEF\xBB\xBF", 3);
        m_nFileSize = 3;
    }
    m_hFile = std::move(file);
}

bool CLogFile::MoveAside() {
    const std::wstring older = RotatedLogFileName(m_strName);
    // A read-only older file would refuse to be replaced.
    SetFileAttributesW(older.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (ReplaceFileWith(older, m_strName)) return true;
    m_bRotationFailed = true;
    return false;
}

void CLogFile::Rotate() {
    m_hFile.Reset();
    MoveAside();
    Open();
}

void CLogFile::Write(bool lineBreakAfterStamp, const std::string& text) {
    try {
        bxutil::CAutoLock lock(m_lock);
        if (!m_bOpened) Open();
        if (!m_hFile) return;
        const std::string stamp = FormatLogStamp(LogClockToLocalTime(CLogClock::Process().Now()));
        const long long entrySize = static_cast<long long>(stamp.size() + 2 + text.size());
        // An entry that would carry the file past its limit begins the next file.
        if (!m_bRotationFailed && m_nFileSize > 0 && m_nFileSize + entrySize > m_nMaxFileSize) {
            Rotate();
            if (!m_hFile) return;
        }
        const HANDLE out = m_hFile.Get();
        WriteBytes(out, stamp.data(), stamp.size());
        WriteBytes(out, lineBreakAfterStamp ? "\r\n" : "  ", 2);
        WriteBytes(out, text.data(), text.size());
        m_nFileSize += entrySize;
    } catch (...) {
        // An entry that cannot be stamped (out of memory) is dropped.
    }
}
