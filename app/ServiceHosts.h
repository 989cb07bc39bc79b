#pragma once
// Where the platform's three web services live. The base URLs ("https://host[:port]") are
// deployment settings fixed at build time; the paths of the services' requests are rows of the
// service client (ServiceClient.h).

#include <string>

// Whose address a request goes to: one of the three services, or an address that arrived in a
// reply of another request (the pictures, the client installer).
enum class EServiceHost { kGameInfo, kData, kStats, kFromReply };

// The base URL of a service host; empty for kFromReply.
std::wstring ServiceHostUrl(EServiceHost host);

// The game-information service: POST "<base>/Box/GameInfo".
std::string GameInfoServiceUrl();
// The data service's query for the client installer's address.
std::wstring DataServiceQueryUrl();
// The statistics service's base URL (the report path is added by BuildReportUrl).
std::string StatsServiceBaseUrl();

// The query the data service answers with the client installer's address, for a base URL.
std::wstring DataServiceQueryUrlFor(const std::wstring& baseUrl);
