#include "support/Log.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <utility>

#include "support/FileUtil.h"
#include "support/LibBiz.h"
#include "support/LibThread.h"
#include "support/LogClock.h"
#include "support/StringUtil.h"
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

const char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkSize = 3;

// Only the log kinds that carry text for other tools (HTTP dumps, SIP) start with a UTF-8 mark.
bool KindHasByteOrderMark(int kind) { return kind == CLogFile::kHttp || kind == CLogFile::kSip; }

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

namespace {

// Names Windows takes for a device whatever folder or extension follows ("CON.log" is CON on
// most of its versions); compared without case.
bool IsDeviceName(const std::wstring& name) {
    const std::wstring stem = LowerText(TrimChars(name, L" "));
    static const wchar_t* const kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$", L"clock$"};
    for (const wchar_t* device : kDevices)
        if (stem == device) return true;
    // COM0 to COM9 and LPT0 to LPT9, also with the superscript digits Windows counts as digits.
    const bool port = stem.size() == 4 && (stem.compare(0, 3, L"com") == 0 || stem.compare(0, 3, L"lpt") == 0);
    return port && ((stem[3] >= L'0' && stem[3] <= L'9') || wcschr(L"\u00B9\u00B2\u00B3", stem[3]) != nullptr);
}

bool IsNameCharacter(wchar_t c) { return c >= 0x20 && wcschr(L"<>:\"/\\|?*", c) == nullptr; }

// A name that is nothing but a file of the folder it is put in, and a log file by its extension.
bool IsPlainLogFileName(const std::wstring& name) {
    if (name.empty() || !std::all_of(name.begin(), name.end(), IsNameCharacter)) return false;
    // Windows drops trailing dots and spaces, so such a name is not the file it reads as ("..").
    if (name.back() == L'.' || name.back() == L' ') return false;
    if (IsDeviceName(name.substr(0, name.find(L'.')))) return false;
    const size_t lastDot = name.rfind(L'.');
    return lastDot == std::wstring::npos || LowerText(name.substr(lastDot)) == L".log";
}

// Whether a file of that name can be made (or opened for writing) in the folder: the probe is
// the general log's own file, which the log then opens.
bool CanWriteLogIn(const std::wstring& folder, const std::wstring& fileName) {
    const std::wstring probe = LogFileNameFor(folder + fileName, CLogFile::kNormal);
    const bxutil::CFileHandle file(CreateFileW(probe.c_str(), FILE_APPEND_DATA,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

std::wstring TemporaryDirectory() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(folder, length);
}

}  // namespace

std::wstring LogFileNameFromConfigValue(const std::wstring& value) {
    return IsPlainLogFileName(value) ? value : std::wstring();
}

std::wstring LogBasePathFromConfigValue(const std::wstring& value, const std::wstring& programDirectory,
                                        const std::wstring& temporaryDirectory) {
    const std::wstring name = LogFileNameFromConfigValue(value);
    if (name.empty()) return {};
    if (!programDirectory.empty() && CanWriteLogIn(programDirectory, name)) return programDirectory + name;
    if (temporaryDirectory.empty()) return {};
    return temporaryDirectory + name;
}

std::wstring ConfigureLogFromConfigFile() {
    const std::wstring path =
        LogBasePathFromConfigValue(GetConfigValue(L"log", L""), GetConfigDirectory(), TemporaryDirectory());
    if (!path.empty()) SetLogBasePath(path);
    return path;
}

std::wstring UrlForLog(const std::wstring& url) {
    std::wstring shown = url.substr(0, url.find_first_of(L"?#"));
    // The authority runs from "//" to the next slash; a user name and password end with "@".
    const size_t scheme = shown.find(L"://");
    if (scheme == std::wstring::npos) return shown;
    const size_t start = scheme + 3;
    const size_t end = std::min(shown.find_first_of(L"/\\", start), shown.size());
    if (end == start) return shown;
    const size_t at = shown.rfind(L'@', end - 1);
    if (at != std::wstring::npos && at >= start) shown.erase(start, at + 1 - start);
    return shown;
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
    m_bOpened = true;  // also after a failure: the log then stays silent for the process
    long long size = 0;
    if (QueryFileSize(m_strName, &size) && size > m_nMaxFileSize) MoveAside();
    // A full file that could not be moved aside is not appended to.
    if (OpenFile() && m_nFileSize > m_nMaxFileSize) StartOver();
}

bool CLogFile::OpenFile() {
    bxutil::CFileHandle file(CreateFileW(m_strName.c_str(), FILE_WRITE_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // Entries are appended at the file's real end, so the mark goes only into an empty file.
    LARGE_INTEGER end{};
    const LARGE_INTEGER zero{};
    const bool positioned = SetFilePointerEx(file.Get(), zero, &end, FILE_END);
    m_hFile = std::move(file);
    m_nFileSize = positioned ? end.QuadPart : 0;
    if (positioned && m_nFileSize == 0) WriteMark();
    return true;
}

void CLogFile::WriteMark() {
    if (!KindHasByteOrderMark(m_nKind)) return;
    WriteBytes(m_hFile.Get(), kByteOrderMark, kByteOrderMarkSize);
    m_nFileSize = static_cast<long long>(kByteOrderMarkSize);
}

bool CLogFile::MoveAside() {
    const std::wstring older = RotatedLogFileName(m_strName);
    // A read-only older file would refuse to be replaced.
    SetFileAttributesW(older.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ReplaceFileWith(older, m_strName);
}

void CLogFile::Rotate() {
    m_hFile.Reset();
    const bool moved = MoveAside();
    if (OpenFile() && !moved) StartOver();
}

void CLogFile::StartOver() {
    const LARGE_INTEGER zero{};
    if (!SetFilePointerEx(m_hFile.Get(), zero, nullptr, FILE_BEGIN) || !SetEndOfFile(m_hFile.Get())) {
        m_hFile.Reset();
        return;
    }
    m_nFileSize = 0;
    WriteMark();
}

void CLogFile::Write(bool lineBreakAfterStamp, const std::string& text) {
    try {
        bxutil::CAutoLock lock(m_lock);
        if (!m_bOpened) Open();
        if (!m_hFile) return;
        const std::string stamp = FormatLogStamp(LogClockToLocalTime(CLogClock::Process().Now()));
        // What one file holds after its mark: a longer entry is cut to that.
        const long long room = m_nMaxFileSize - static_cast<long long>(kByteOrderMarkSize + stamp.size() + 2);
        const size_t textSize = static_cast<size_t>(std::max(0ll, std::min(room, static_cast<long long>(text.size()))));
        const long long entrySize = static_cast<long long>(stamp.size() + 2 + textSize);
        // An entry that would carry the file past its limit begins the next file.
        if (m_nFileSize > 0 && m_nFileSize + entrySize > m_nMaxFileSize) {
            Rotate();
            if (!m_hFile) return;
        }
        const HANDLE out = m_hFile.Get();
        WriteBytes(out, stamp.data(), stamp.size());
        WriteBytes(out, lineBreakAfterStamp ? "\r\n" : "  ", 2);
        WriteBytes(out, text.data(), textSize);
        m_nFileSize += entrySize;
    } catch (...) {
        // An entry that cannot be stamped (out of memory) is dropped.
    }
}
