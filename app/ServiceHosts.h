#pragma once
// Where the platform's three web services live. The base URLs ("https://host[:port]") are
// deployment settings fixed at build time; the paths are the services' own.

#include <string>

// The game-information service: POST "<base>/Box/GameInfo".
std::string GameInfoServiceUrl();
// The data service's query for the client installer's address.
std::wstring DataServiceQueryUrl();
// The statistics service's base URL (the report path is added by BuildReportUrl).
std::string StatsServiceBaseUrl();

// The query the data service answers with the client installer's address, for a base URL.
std::wstring DataServiceQueryUrlFor(const std::wstring& baseUrl);
