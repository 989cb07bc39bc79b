// The process runner's test child: records how it was started and exits with a chosen code.
// It takes no arguments of its own (its command line is fixed by the runner), so it reads the
// environment it inherits: VEXO_CHILD_RECORD names the record file, VEXO_CHILD_EXIT the code.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
    const wchar_t* recordPath = _wgetenv(L"VEXO_CHILD_RECORD");
    const wchar_t* exitText = _wgetenv(L"VEXO_CHILD_EXIT");
    if (recordPath != nullptr) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        GetStartupInfoW(&startup);
        FILE* out = _wfopen(recordPath, L"wb");
        if (out != nullptr) {
            const std::wstring commandLine = GetCommandLineW();
            // UTF-16 text, one fact per line.
            std::fwrite(commandLine.data(), sizeof(wchar_t), commandLine.size(), out);
            wchar_t facts[256] = {};
            _snwprintf(facts, 255, L"\nflags=%lu show=%u console=%d\n",
                       static_cast<unsigned long>(startup.dwFlags),
                       static_cast<unsigned>(startup.wShowWindow),
                       GetConsoleWindow() != nullptr ? 1 : 0);
            std::fwrite(facts, sizeof(wchar_t), wcslen(facts), out);
            std::fclose(out);
        }
    }
    return exitText != nullptr ? _wtoi(exitText) : 0;
}
