#include "app/ServiceHosts.h"

#include "app/ServiceClient.h"
#include "support/TextConvert.h"

// The build passes the three base URLs; a build outside CMake still gets the stand-in platform.
#ifndef VEXO_GAMEINFO_HOST
#define VEXO_GAMEINFO_HOST "https://localhost:8443"
#endif
#ifndef VEXO_DATA_HOST
#define VEXO_DATA_HOST "https://localhost:8443"
#endif
#ifndef VEXO_STATS_HOST
#define VEXO_STATS_HOST "https://localhost:8443"
#endif

std::wstring ServiceHostUrl(EServiceHost host) {
    switch (host) {
    case EServiceHost::kGameInfo:
        return Utf8ToWide(VEXO_GAMEINFO_HOST);
    case EServiceHost::kData:
        return Utf8ToWide(VEXO_DATA_HOST);
    case EServiceHost::kStats:
        return Utf8ToWide(VEXO_STATS_HOST);
    case EServiceHost::kFromReply:
        break;
    }
    return std::wstring();
}

std::string GameInfoServiceUrl() {
    // The row's path is ASCII.
    return std::string(VEXO_GAMEINFO_HOST) + WideToAnsi(ServiceEndpoint(EService::kGameInfo).path);
}

std::wstring DataServiceQueryUrlFor(const std::wstring& baseUrl) {
    return ServiceUrlFor(EService::kInstallerAddress, baseUrl);
}

std::wstring DataServiceQueryUrl() { return ServiceUrl(EService::kInstallerAddress); }

std::string StatsServiceBaseUrl() { return VEXO_STATS_HOST; }
