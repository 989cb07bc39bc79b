// The stand-in for the platform client's installer, served by the stand-in platform. Run as the
// real one is ("<path>" /qn QR="true"), it writes the stand-in client into its install folder,
// registers it under HKCU "Software\Vexo\Vexo" "Path" and exits with a chosen code.
//
// What it does is read from its configuration block, which the platform patches into the file
// it serves (lines "name=value" after the marker, UTF-8):
//   exit=N      exit code (default 0)
//   delay=MS    time the "installation" takes (default 0)
//   install=0   install nothing (a failing installer)
//   key=K       the registry key under HKCU (default Software\Vexo\Vexo)
//   dir=D       the install folder (default %LOCALAPPDATA%\Vexo\Client)
//   readonly=1  make its own file read-only while it runs (as some setups do)
// Every run appends its command line to "installer-runs.txt" in the install folder. Without the
// silent switches it installs nothing and exits with 87.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>

#include "tools/platform/StandInCommon.h"

extern "C" {
// The marker is followed by the configuration text; the rest of the block is zero.
volatile char g_standInConfig[1024] = "VEXO-STANDIN-CONFIG:exit=0\n";
}

namespace {

constexpr int kClientResource = 1;
constexpr DWORD kExitNotSilent = 87;

std::map<std::string, std::string> ReadConfig() {
    std::string text;
    bool afterMarker = false;
    for (size_t i = 0; i + 1 < sizeof g_standInConfig && g_standInConfig[i]; ++i) {
        const char c = g_standInConfig[i];
        if (afterMarker) text += c;
        if (c == ':') afterMarker = true;
    }
    std::map<std::string, std::string> config;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) config[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return config;
}

std::wstring Setting(const std::map<std::string, std::string>& config, const char* name, const wchar_t* fallback) {
    const auto found = config.find(name);
    return found == config.end() ? std::wstring(fallback) : standin::FromUtf8(found->second);
}

std::wstring DefaultInstallDir() {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base))) return L"C:\\VexoClient";
    return std::wstring(base) + L"\\Vexo\\Client";
}

bool WriteClient(const std::wstring& path) {
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(kClientResource), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = info ? LoadResource(nullptr, info) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    return standin::WriteWholeFile(path, bytes, SizeofResource(nullptr, info));
}

bool Register(const std::wstring& key, const std::wstring& clientPath) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
        return false;
    const bxutil::CRegistryKey handle(created);
    const DWORD bytes = static_cast<DWORD>((clientPath.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(handle.Get(), L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(clientPath.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool IsSilent(const std::wstring& commandLine) {
    return commandLine.find(L" /qn") != std::wstring::npos && commandLine.find(L"QR=\"true\"") != std::wstring::npos;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::map<std::string, std::string> config = ReadConfig();
    const std::wstring dir = Setting(config, "dir", DefaultInstallDir().c_str());
    const std::wstring key = Setting(config, "key", L"Software\\Vexo\\Vexo");
    const std::wstring commandLine = GetCommandLineW();
    SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    standin::AppendLine(dir + L"\\installer-runs.txt", commandLine);
    if (!IsSilent(commandLine)) return static_cast<int>(kExitNotSilent);

    if (Setting(config, "readonly", L"0") == L"1") {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        SetFileAttributesW(self, FILE_ATTRIBUTE_READONLY);
    }
    Sleep(static_cast<DWORD>(_wtoi(Setting(config, "delay", L"0").c_str())));
    if (Setting(config, "install", L"1") != L"0") {
        const std::wstring client = dir + L"\\VexoClient.exe";
        if (!WriteClient(client) || !Register(key, client)) return 1;
    }
    return _wtoi(Setting(config, "exit", L"0").c_str());
}
