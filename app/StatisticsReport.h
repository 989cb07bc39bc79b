#pragma once
// The usage report: one GET to the statistics service when the installer hands a game to the
// client, naming the game and the channel the installer came through. Fire and forget.

#include <string>

// "<base>/gather.ashx?action=offlineInstaller&JsonData=<value>", where value is the
// percent-encoded JSON text {"GameId":<gameId>,"Comefrom":"<comefrom>"}: the game id goes in as
// a JSON number, so it must be the digits of one (EffectiveGameId); comefrom is text of the ANSI
// code page (any stamp bytes, up to the first NUL), written as a JSON string in UTF-8.
// The value keeps ASCII letters, digits and "-_.~"; every other byte becomes "%" and two
// lower-case hex digits (a space too: %20, not "+").
std::string BuildReportUrl(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom);

// Sends the report unless comefrom is empty (an installer without a channel tag reports
// nothing); blocks until the request has finished. True when a request was sent and answered 2xx.
bool SendReport(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom);
