#pragma once
// Logging: one printf-style entry point for every component, two process-wide log files.

#include <windows.h>

#include <cstdarg>
#include <string>

#include "support/UniqueHandle.h"

// One log call's origin; every call site fills it with constants.
struct TLogRecord {
    int level;                  // 1 failure, 3 progress; levels above 3 are dropped
    const wchar_t* sourceFile;  // source file name (a leading directory is cut off)
    int line;                   // source line
};

// Formats one line ("%s" takes a wide string, "%d" an int, "%ld" a long) and appends it to the
// general log. Safe on any thread at any time; without a log base path the line is discarded.
void WriteLog(const TLogRecord* record, const wchar_t* format, ...);

// Log files; one per kind, each created on first use and living until process exit.
class CLogFile {
public:
    enum Kind { kHttp = 1, kSip = 2, kNormal = 3 };

    // Past this size a log file is moved aside (to its ".1" name, replacing the older one there)
    // and a new one begun, so that a kind never keeps more than twice this on disk. When the
    // move fails (another program holds a file without sharing its deletion), the file is
    // emptied and begun again instead: a log never grows past this size.
    static constexpr long long kDefaultMaxFileSize = 2 * 1024 * 1024;

    explicit CLogFile(int kind, long long maxFileSize = kDefaultMaxFileSize);
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Appends one entry: the time stamp, then "\r\n" or two spaces, then text (already
    // terminated by the caller where it wants a line break). Opens the file when needed. Text
    // longer than a whole file is cut to fit one.
    void Write(bool lineBreakAfterStamp, const std::string& text);

    static CLogFile& General();      // kind 3, written by WriteLog
    static CLogFile& HttpTraffic();  // kind 1, the HTTP request and response dumps

private:
    // Opens the file of the current base path for appending; a file already past the limit is
    // moved aside first, or emptied when it cannot be moved.
    void Open();
    // Opens m_strName for appending (writing the mark into an empty file); false on failure.
    bool OpenFile();
    // Moves the file to its ".1" name (replacing an older one); false when another program holds
    // one of them.
    bool MoveAside();
    // Moves the full file aside and begins a new one; when the move fails, empties the file and
    // begins it again, so that a log never grows past its limit.
    void Rotate();
    // Empties the open file and writes its mark again; a file that cannot be emptied is closed
    // for good (later entries are dropped rather than grow it).
    void StartOver();
    // Writes the UTF-8 mark of the kinds that have one into the empty open file.
    void WriteMark();
    // Closes the file for good: later entries are dropped (used at process exit).
    void Close();
    // The process-wide instance of a kind: never destroyed, so threads still logging while the
    // process runs its exit-time clean-up find a valid object; only its file is closed then.
    template <int Kind>
    static CLogFile& ProcessInstance();

    int m_nKind;
    long long m_nMaxFileSize;
    std::wstring m_strName;    // the open file's name
    long long m_nFileSize = 0;  // bytes in the open file
    bxutil::CFileHandle m_hFile;
    bool m_bOpened = false;
    bxutil::CCriticalSection m_lock;
};

// The process-wide log base path (a full file path with an extension); empty by default, in
// which case no file is written. A log file takes its path at its first entry with a non-empty
// base path and keeps it for the rest of the process.
void SetLogBasePath(const std::wstring& path);
std::wstring GetLogBasePath();

// Where an older log file goes when its successor begins: ".1" before the file name's
// extension (C:\x\app.normal.log gives C:\x\app.normal.1.log).
std::wstring RotatedLogFileName(const std::wstring& fileName);

// Log on demand: the key "log" of config.ini beside the executable names the log, and only by a
// file name: the log goes beside the executable, or into the temporary folder when no file can
// be made there (a program folder the user may not write). A value that is not a plain name of
// a .log file gives no log at all: a folder, a drive or a share ("\\", "/", ":"), "." or ".."
// (every name ending in a dot or a space), a stream (":"), a device (CON, NUL, COM1, LPT1, ...,
// also with an extension), a character Windows refuses in names, or an extension other than
// ".log" (which would make a log that Windows runs or opens as something else, "x.bat").

// The value as the log's file name ("VexoInstall.log", or a name without an extension, whose
// files then end in ".log"), or empty when it is refused or empty.
std::wstring LogFileNameFromConfigValue(const std::wstring& value);
// The log base path for the value: its file in programDirectory when a file can be made there,
// else in temporaryDirectory (both end with a backslash). Empty when the value is refused.
std::wstring LogBasePathFromConfigValue(const std::wstring& value, const std::wstring& programDirectory,
                                        const std::wstring& temporaryDirectory);
// Sets the log base path from config.ini (GetConfigDirectory, the executable's folder) and the
// system's temporary folder; without the key, or with a refused value, nothing is logged.
// Returns the path set (or empty).
std::wstring ConfigureLogFromConfigFile();

// An address as log lines show it: without its query and fragment (the data of a request:
// ids, channel tags, tokens) and without a user name and password. Only the HTTP traffic dumps
// ("loghttp") show whole addresses.
std::wstring UrlForLog(const std::wstring& url);

// The file name of the log of the given kind: the kind's infix ("http", "sip", "normal") goes
// before the extension of the base path's file name: C:\x\app.log gives C:\x\app.normal.log.
// When the file name has no "." (a dot in a folder name does not count), the infix and ".log" are
// appended: C:\x.d\app gives C:\x.d\app.normal.log. An empty base path gives an empty name.
std::wstring LogFileNameFor(const std::wstring& basePath, int kind);

// Formats a wide printf-style message with Microsoft semantics ("%s" takes a wide string, "%hs" a
// narrow one). Returns false, leaving out untouched, for a format the logger refuses: a conversion
// other than c C d i o u x X e E f g G a A p s S or "%%", the writing conversion "%n", a "%" at
// the end, or flags, width, precision and size prefixes out of their order.
bool FormatLogText(std::wstring& out, const wchar_t* format, va_list args);
