#include "app/StatisticsReport.h"

#include "app/ServiceClient.h"
#include "rapidjson/encodings.h"
#include "rapidjson/stringbuffer.h"
#include "rapidjson/writer.h"
#include "support/LibBiz.h"
#include "support/TextConvert.h"

namespace {

// The tag as a quoted JSON string in UTF-8. Its bytes are text of the ANSI code page, whatever
// wrote the stamp, so they are read as such; RapidJSON's writer then escapes what JSON needs
// escaped (quote, backslash, control characters) while it turns UTF-16 into UTF-8.
std::string JsonStringOfAnsiText(const std::string& ansi) {
    const std::wstring wide = AnsiToWide(ansi);
    rapidjson::StringBuffer json;
    rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF16<wchar_t>, rapidjson::UTF8<>> writer(json);
    // The writer stops half-way on UTF-16 it cannot read (a lone surrogate, which no ANSI code
    // page yields); an empty name is still JSON, a cut one is not.
    if (!writer.String(wide.c_str(), static_cast<rapidjson::SizeType>(wide.size()))) return "\"\"";
    return std::string(json.GetString(), json.GetSize());
}

// Percent-encoding of a query value. UrlEncodeForm writes a space as "+", which only form
// decoders read as a space; every "+" it writes is one (a "+" itself becomes %2b), so each is
// replaced by %20, which every percent-decoder reads alike.
std::string EncodeQueryValue(const std::string& bytes) {
    std::string encoded;
    for (const char c : UrlEncodeForm(bytes)) {
        if (c == '+') {
            encoded += "%20";
        } else {
            encoded += c;
        }
    }
    return encoded;
}

}  // namespace

std::string BuildReportUrl(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom) {
    const std::string json = "{\"GameId\":" + gameId + ",\"Comefrom\":" + JsonStringOfAnsiText(comefrom) + "}";
    return statsBaseUrl + WideToAnsi(ServiceEndpoint(EService::kUsageReport).path) +
           "?action=offlineInstaller&JsonData=" + EncodeQueryValue(json);
}

bool SendReport(const std::string& statsBaseUrl, const std::string& gameId, const std::string& comefrom) {
    if (comefrom.empty()) return false;
    TServiceCall call;
    call.url = AnsiToWide(BuildReportUrl(statsBaseUrl, gameId, comefrom));
    return CallService(EService::kUsageReport, call).ok;
}
