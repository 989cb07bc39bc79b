#include "app/ServiceHosts.h"

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

std::string GameInfoServiceUrl() { return std::string(VEXO_GAMEINFO_HOST) + "/Box/GameInfo"; }

std::wstring DataServiceQueryUrlFor(const std::wstring& baseUrl) {
    // The JSON in the query is part of the URL as the service expects it, not percent-encoded.
    return baseUrl + L"/data.ashx?JsonData={\"code\":\"10030\"}";
}

std::wstring DataServiceQueryUrl() { return DataServiceQueryUrlFor(Utf8ToWide(VEXO_DATA_HOST)); }

std::string StatsServiceBaseUrl() { return VEXO_STATS_HOST; }
