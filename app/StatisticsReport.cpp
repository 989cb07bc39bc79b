#include "app/StatisticsReport.h"

#include "support/LibHttpHelper.h"
#include "support/TextConvert.h"

std::string BuildReportUrl(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom) {
    return statsBaseUrl + "/gather.ashx?action=offlineInstaller&JsonData={\"GameId\":" + gameId + ",\"Comefrom\":\"" +
           comefrom + "\"}";
}

bool SendReport(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom) {
    if (comefrom.empty()) return false;
    std::string ignored;
    return CLibHttpHelper::HttpGetDefault(AnsiToWide(BuildReportUrl(statsBaseUrl, gameId, comefrom)), ignored) != 0;
}
