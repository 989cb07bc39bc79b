#pragma once
// The usage report: one GET to the statistics service when the installer hands a game to the
// client, naming the game and the channel the installer came through. Fire and forget.

#include <string>

// "<base>/gather.ashx?action=offlineInstaller&JsonData={"GameId":<gameId>,"Comefrom":"<comefrom>"}",
// the two values inserted as they are (the service reads them so).
std::string BuildReportUrl(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom);

// Sends the report unless comefrom is empty (an installer without a channel tag reports
// nothing); blocks until the request has finished. True when a request was sent and answered 2xx.
bool SendReport(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom);
