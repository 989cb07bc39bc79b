// The hand-over to the client and the usage report: finding the client, its command line, the
// report's URL, and which road sends a report.

#include <gtest/gtest.h>

#include <string>

#include "app/ClientLaunch.h"
#include "app/StatisticsReport.h"
#include "tests/app/AppTestSupport.h"

using testfiles::EnvText;
using testfiles::ReadBytes;
using testfiles::WinePath;
using testfiles::WriteBytes;

namespace {

TEST(ReportUrl, CarriesGameAndChannelAsTheServiceReadsThem) {
    EXPECT_EQ(BuildReportUrl("https://stats.example", "1000450", "web001"),
              "https://stats.example/gather.ashx?action=offlineInstaller&JsonData={\"GameId\":1000450,"
              "\"Comefrom\":\"web001\"}");
    // The values go in as they are, even where that makes the JSON text invalid.
    EXPECT_EQ(BuildReportUrl("https://s", "This pr", "a\"b"),
              "https://s/gather.ashx?action=offlineInstaller&JsonData={\"GameId\":This pr,\"Comefrom\":\"a\"b\"}");
}

TEST(ClientParameters, GuestOnlyForAFreshlyInstalledClient) {
    EXPECT_EQ(BuildClientParameters(true, "1000450"), "--install=1000450");
    EXPECT_EQ(BuildClientParameters(false, "1000450"), "--guest --install=1000450");
}

class ClientLaunchTest : public PlatformTest {
protected:
    // Puts the stand-in client into its folder and registers it.
    std::wstring InstallClient() {
        const std::wstring client = ClientDir() + L"\\VexoClient.exe";
        CreateDirectoryW(ClientDir().c_str(), nullptr);
        WriteBytes(client, ReadBytes(WinePath(EnvText(L"VEXO_STANDIN_CLIENT"))));
        m_clientKey->SetString(L"Path", client);
        return client;
    }
    TLaunchRequest Request(const std::string& comefrom, bool clientWasInstalled) const {
        TLaunchRequest request;
        request.gameId = "1000450";
        request.comefrom = comefrom;
        request.clientWasInstalled = clientWasInstalled;
        request.statsBaseUrl = PlatformUrlNarrow();
        request.registryKey = m_clientKey->Path();
        return request;
    }
    std::string Launches() const { return ReadBytes(ClientDir() + L"\\launches.txt"); }
};

TEST_F(ClientLaunchTest, FindsTheClientOnlyWhenItsFileExists) {
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 0) << "no key";
    m_clientKey->SetString(L"Other", L"x");
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 0) << "no value";
    m_clientKey->SetString(L"Path", Temp(L"nowhere.exe"));
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 0) << "no file";
    m_clientKey->SetDword(L"Path", 1);
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 0) << "not a string";
    m_clientKey->SetString(L"Path", std::wstring(1100, L'a'));
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 0) << "too long";
    const std::wstring client = InstallClient();
    EXPECT_EQ(IsClientInstalled(m_clientKey->Path()), 1);
    std::wstring found;
    EXPECT_TRUE(FindInstalledClient(found, m_clientKey->Path()));
    EXPECT_EQ(found, client);
}

TEST_F(ClientLaunchTest, StartsTheClientWithTheGameAndReports) {
    InstallClient();
    EXPECT_TRUE(LaunchClient(Request("web001", true)));
    ASSERT_TRUE(PumpUntil([&] { return !Launches().empty(); }, 10000));
    EXPECT_NE(Launches().find("VexoClient.exe\" --install=1000450"), std::string::npos) << Launches();
    EXPECT_EQ(Launches().find("--guest"), std::string::npos);
    const auto reports = PlatformRequests("stats");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].method, "GET");
    EXPECT_EQ(reports[0].query, "action=offlineInstaller&JsonData={\"GameId\":1000450,\"Comefrom\":\"web001\"}");
    EXPECT_EQ(reports[0].contentType, "application/oct-stream");
}

TEST_F(ClientLaunchTest, ReportsEvenWithoutAClientButNeverWithoutAChannel) {
    EXPECT_FALSE(LaunchClient(Request("web001", false)));
    EXPECT_EQ(PlatformRequests("stats").size(), 1u);

    InstallClient();
    EXPECT_TRUE(LaunchClient(Request("", false)));
    EXPECT_FALSE(SendReport(PlatformUrlNarrow(), "1000450", ""));
    ASSERT_TRUE(PumpUntil([&] { return !Launches().empty(); }, 10000));
    EXPECT_NE(Launches().find("--guest --install=1000450"), std::string::npos) << Launches();
    EXPECT_EQ(PlatformRequests("stats").size(), 1u) << "the empty channel sent nothing";
}

TEST_F(ClientLaunchTest, AFailingStatisticsServiceChangesNothing) {
    SetPlatformModes({{"stats", "status:500"}});
    InstallClient();
    EXPECT_TRUE(LaunchClient(Request("web001", true)));
    EXPECT_FALSE(SendReport(PlatformUrlNarrow(), "1000450", "web001"));
    EXPECT_FALSE(SendReport(Utf8(EnvText(L"VEXO_REFUSED")), "1000450", "web001"));
}

}  // namespace
