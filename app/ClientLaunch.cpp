#include "app/ClientLaunch.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "app/StatisticsReport.h"
#include "support/ComHolders.h"
#include "support/LibBiz.h"
#include "support/TextConvert.h"

bool FindInstalledClient(std::wstring& path, const std::wstring& registryKey) {
    std::wstring found;
    if (!ReadUserRegistryString(registryKey, L"Path", found) || found.empty() || !PathFileExistsW(found.c_str()))
        return false;
    path = found;
    return true;
}

int IsClientInstalled(const std::wstring& registryKey) {
    std::wstring path;
    return FindInstalledClient(path, registryKey) ? 1 : 0;
}

std::string BuildClientParameters(bool clientWasInstalled, const std::string& gameId) {
    return (clientWasInstalled ? "--install=" : "--guest --install=") + gameId;
}

bool LaunchClient(const TLaunchRequest& request) {
    // The registration is read again: the client may have arrived since the window opened.
    std::wstring client;
    bool started = false;
    if (FindInstalledClient(client, request.registryKey)) {
        const std::wstring parameters = AnsiToWide(BuildClientParameters(request.clientWasInstalled, request.gameId));
        // The shell may hand the start to extensions that need COM on the calling thread, which
        // may be a worker thread; a thread that already has COM keeps its own set-up.
        const bxutil::CComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        const HINSTANCE result =
            ShellExecuteW(nullptr, L"open", client.c_str(), parameters.c_str(), nullptr, SW_SHOW);
        started = reinterpret_cast<INT_PTR>(result) > 32;
    }
    SendReport(request.statsBaseUrl, request.gameId, request.comefrom);
    return started;
}
