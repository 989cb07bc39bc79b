#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ServiceClient.h"
#include "app/StatisticsReport.h"
#include "tests/common/TestFiles.h"
#include "tests/support/SupportLogFile.h"

namespace {

// What each request of the installer must be on the wire and within which bounds: the stand-in
// platform and the end-to-end tests hold the installer to these.
struct EndpointCase {
    EService service;
    EServiceHost host;
    const wchar_t* path;
    EServiceMethod method;
    EServiceTransport transport;
    EServiceReply reply;
    const wchar_t* contentType;
    unsigned long deadlineMs;
    long long maxBytes;
    bool httpsOnly;
    int attempts;
};

const EndpointCase kEndpointCases[] = {
    {EService::kGameInfo, EServiceHost::kGameInfo, L"/Box/GameInfo", EServiceMethod::kPost, EServiceTransport::kLibcurl,
     EServiceReply::kText, nullptr, 10000, 1 << 20, false, 3},
    {EService::kGamePicture, EServiceHost::kFromReply, L"", EServiceMethod::kGet, EServiceTransport::kWinInet,
     EServiceReply::kFile, nullptr, 10000, 16 << 20, true, 1},
    {EService::kInstallerAddress, EServiceHost::kData, L"/data.ashx?JsonData={\"code\":\"10030\"}",
     EServiceMethod::kGet, EServiceTransport::kWinInet, EServiceReply::kText, L"application/oct-stream", 20000,
     16 << 20, false, 1},
    {EService::kClientInstaller, EServiceHost::kFromReply, L"", EServiceMethod::kGet, EServiceTransport::kWinInet,
     EServiceReply::kResumedFile, nullptr, 30 * 60 * 1000, 1ll << 30, true, 1},
    {EService::kUsageReport, EServiceHost::kStats, L"/gather.ashx", EServiceMethod::kGet, EServiceTransport::kWinInet,
     EServiceReply::kText, L"application/oct-stream", 60000, 16 << 20, false, 1},
};

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L"(none)"; }

TEST(ServiceEndpoints, EachRequestHasItsMethodPathDeadlineAndBound) {
    ASSERT_EQ(std::size(kServiceEndpoints), std::size(kEndpointCases));
    for (const EndpointCase& c : kEndpointCases) {
        const TServiceEndpoint& row = ServiceEndpoint(c.service);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.service, c.service);
        EXPECT_EQ(row.host, c.host);
        EXPECT_EQ(std::wstring(row.path), c.path);
        EXPECT_EQ(row.method, c.method);
        EXPECT_EQ(row.transport, c.transport);
        EXPECT_EQ(row.reply, c.reply);
        EXPECT_EQ(Text(row.contentType), Text(c.contentType));
        EXPECT_EQ(row.deadlineMs, c.deadlineMs);
        EXPECT_EQ(row.maxBytes, c.maxBytes);
        EXPECT_EQ(row.httpsOnly, c.httpsOnly);
        EXPECT_EQ(row.retry.attempts, c.attempts);
        EXPECT_EQ(row.retry.pauseMs, 0u);
    }
    // libcurl's own share of the game information's deadline: the connection.
    EXPECT_EQ(ServiceEndpoint(EService::kGameInfo).connectMs, 2000u);
}

TEST(ServiceEndpoints, AddressesAreTheHostAndTheRowsPath) {
    EXPECT_EQ(ServiceUrlFor(EService::kInstallerAddress, L"https://data.example"),
              L"https://data.example/data.ashx?JsonData={\"code\":\"10030\"}");
    EXPECT_EQ(DataServiceQueryUrl(), L"https://localhost:8443/data.ashx?JsonData={\"code\":\"10030\"}");
    EXPECT_EQ(GameInfoServiceUrl(), "https://localhost:8443/Box/GameInfo");
    EXPECT_EQ(ServiceUrl(EService::kGamePicture), L"");
    EXPECT_EQ(BuildReportUrl("https://stats.example", "1", "a").rfind("https://stats.example/gather.ashx?action=", 0),
              0u);
}

TEST(ServiceEndpoints, PlainHttpIsRefusedBeforeAnyExchangeWhereTheRowTakesHttpsOnly) {
    TServiceCall call;
    call.url = L"http://127.0.0.1:9/picture.png";
    call.file = L"never-written.png";
    const TServiceResult result = CallService(EService::kGamePicture, call);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.attempts, 0);
}

}  // namespace

namespace {

std::vector<std::string> ServiceLogLines(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : testfiles::SplitCrLfLines(testfiles::ReadBytes(testfiles::GeneralLogFile()))) {
        if (line.find(prefix) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

// Nothing listens on port 1: every attempt is refused at once.
TEST(ServiceClientLog, OneLinePerExchangeNamingServiceOutcomeAndAttemptWithoutTheQuery) {
    testfiles::GeneralLogFile();
    struct {
        EService service;
        const char* prefix;
        int attempts;
    } const cases[] = {
        {EService::kUsageReport, "service report: GET http://127.0.0.1:1/gather.ashx failed, status ", 1},
        {EService::kGameInfo, "service gameinfo: POST http://127.0.0.1:1/gather.ashx failed, status 0, 0 bytes, ", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        TServiceCall call;
        call.url = L"http://127.0.0.1:1/gather.ashx?action=offlineInstaller&JsonData=channel-secret";
        call.body = "jsondata=1";
        const TProxySetting direct;
        call.proxy = &direct;
        const TServiceResult result = CallService(c.service, call);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.attempts, c.attempts);
        const std::vector<std::string> lines = ServiceLogLines(c.prefix);
        ASSERT_EQ(lines.size(), static_cast<size_t>(c.attempts));
        for (int i = 0; i < c.attempts; ++i) {
            const std::string attempt = "attempt " + std::to_string(i + 1) + " of " + std::to_string(c.attempts);
            EXPECT_NE(lines[i].find(attempt), std::string::npos) << lines[i];
            EXPECT_NE(lines[i].find(" ms, "), std::string::npos) << lines[i];
            EXPECT_EQ(lines[i].find("channel-secret"), std::string::npos) << lines[i];
        }
    }
}

}  // namespace
