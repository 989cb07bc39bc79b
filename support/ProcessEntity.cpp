#include "support/ProcessEntity.h"

#include <shlwapi.h>

#include <vector>

#include "support/Log.h"
#include "support/UniqueHandle.h"

using bxutil::CKernelHandle;

namespace {

constexpr const wchar_t* kSource = L"ProcessEntity.cpp";
constexpr const wchar_t* kInstallerSwitches = L"/qn QR=\"true\"";

STARTUPINFOW HiddenStartupInfo() {
    STARTUPINFOW info = {};
    info.cb = sizeof(info);
    // The installer runs without a visible window and without standard handles of ours.
    info.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    info.wShowWindow = SW_HIDE;
    return info;
}

}  // namespace

std::wstring BuildInstallerCommandLine(const std::wstring& path) {
    return L"\"" + path + L"\" " + kInstallerSwitches;
}

bool ExecuteProcess(const std::wstring& path, DWORD* exitCode) {
    if (!PathFileExistsW(path.c_str())) {
        const TLogRecord record = {3, kSource, 84};
        WriteLog(&record, L"ExecuteProcess--quit!!--file not exist : %s", path.c_str());
        return false;
    }

    STARTUPINFOW startup = HiddenStartupInfo();
    const std::wstring commandText = BuildInstallerCommandLine(path);
    // CreateProcessW may write into the command line, so it gets a private copy.
    std::vector<wchar_t> commandLine(commandText.begin(), commandText.end());
    commandLine.push_back(L'\0');
    PROCESS_INFORMATION process = {};
    const BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    const TLogRecord createdRecord = {3, kSource, 103};
    WriteLog(&createdRecord, L"CreateProcess--result is %d", static_cast<int>(created));
    if (!created) return false;

    CKernelHandle processHandle(process.hProcess);
    CKernelHandle threadHandle(process.hThread);
    threadHandle.Reset();  // only the process is waited for
    if (WaitForSingleObject(processHandle.Get(), INFINITE) != WAIT_OBJECT_0) return false;

    DWORD code = 1;  // stays 1 when the exit code cannot be read
    GetExitCodeProcess(processHandle.Get(), &code);
    if (exitCode != nullptr) *exitCode = code;
    const TLogRecord exitRecord = {3, kSource, 128};
    WriteLog(&exitRecord, L"WaitForSingleObject Process exit,code is %ld", static_cast<long>(code));
    return true;
}
