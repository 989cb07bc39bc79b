// The hand-over to the client and the usage report: finding the client, its command line, the
// report's URL, and which road sends a report.

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "app/ClientLaunch.h"
#include "app/StatisticsReport.h"
#include "rapidjson/document.h"
#include "tests/app/AppTestSupport.h"

using testfiles::EnvText;
using testfiles::ReadBytes;
using testfiles::WinePath;
using testfiles::WriteBytes;

namespace {

// A report URL of game 1000450 to "https://s" up to the JsonData value.
const char kReportPrefix[] = "https://s/gather.ashx?action=offlineInstaller&JsonData=";

// The bytes a query value stands for; false when it holds anything but the unreserved characters
// and %XX escapes (a "&", "=", "#" or "+" there would end the value or change what it reads).
bool DecodeQueryValue(const std::string& value, std::string& bytes) {
    bytes.clear();
    for (size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '%') {
            if (i + 2 >= value.size()) return false;
            if (!std::isxdigit(static_cast<unsigned char>(value[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(value[i + 2])))
                return false;
            bytes += static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (std::isalnum(c) || std::string("-_.~").find(static_cast<char>(c)) != std::string::npos) {
            bytes += static_cast<char>(c);
        } else {
            return false;
        }
    }
    return true;
}

// The channel the report of tag names, read as the service reads it: the URL's query must end in
// one JsonData value that decodes to a JSON object of valid UTF-8 with the game as a number.
std::string ReportedComefrom(const std::string& tag) {
    const std::string url = BuildReportUrl("https://s", "1000450", tag);
    if (url.compare(0, sizeof(kReportPrefix) - 1, kReportPrefix) != 0) {
        ADD_FAILURE() << "not a report URL: " << url;
        return "<none>";
    }
    std::string json;
    if (!DecodeQueryValue(url.substr(sizeof(kReportPrefix) - 1), json)) {
        ADD_FAILURE() << "not one query value: " << url;
        return "<none>";
    }
    rapidjson::Document doc;
    doc.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str(), json.size());
    if (doc.HasParseError() || !doc.IsObject() || doc.MemberCount() != 2) {
        ADD_FAILURE() << "not the report's JSON object: " << json;
        return "<none>";
    }
    const auto gameId = doc.FindMember("GameId");
    EXPECT_TRUE(gameId != doc.MemberEnd() && gameId->value.IsInt() && gameId->value.GetInt() == 1000450) << json;
    const auto comefrom = doc.FindMember("Comefrom");
    if (comefrom == doc.MemberEnd() || !comefrom->value.IsString()) {
        ADD_FAILURE() << "no Comefrom string: " << json;
        return "<none>";
    }
    return std::string(comefrom->value.GetString(), comefrom->value.GetStringLength());
}

TEST(ReportUrl, EncodesTheJsonTextAsOneQueryValue) {
    EXPECT_EQ(BuildReportUrl("https://stats.example", "1000450", "web001"),
              "https://stats.example/gather.ashx?action=offlineInstaller&JsonData="
              "%7b%22GameId%22%3a1000450%2c%22Comefrom%22%3a%22web001%22%7d");
    // The tag as a JSON string (escaped where JSON needs it), then every byte of the JSON text
    // outside ASCII letters, digits and "-_.~" as lower-case %xx; a space is %20, never "+".
    const struct {
        const char* tag;
        const char* value;
    } cases[] = {
        {"a\"b", "%22a%5c%22b%22"},
        {"a\\b", "%22a%5c%5cb%22"},
        {"a b+c", "%22a%20b%2bc%22"},
        {"a&b%c", "%22a%26b%25c%22"},
        {"\x01\t", "%22%5cu0001%5ct%22"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildReportUrl("https://s", "1000450", c.tag),
                  std::string(kReportPrefix) + "%7b%22GameId%22%3a1000450%2c%22Comefrom%22%3a" + c.value + "%7d");
    }
}

TEST(ReportUrl, AnyAsciiTagComesBackAsTheJsonString) {
    const std::string tags[] = {
        "web001",
        "a\"b&c%d",  // the quote that ended the JSON string, the "&" that ended the value
        "a\\b",
        "a&b=c#d",
        "100%",
        "%41",      // not "A": a "%" of the tag is encoded itself
        "a b",
        "a+b",      // not "a b" to a form decoder
        "\x01\x1f\x7f",
        "\t\n\r\b\f",
        "\"\"\"\"\"\"\"\"\"",  // a full stamp tag, every byte escaped
        "\\u0041",  // not "A": a backslash of the tag is escaped itself
    };
    for (const auto& tag : tags) {
        SCOPED_TRACE(tag);
        EXPECT_EQ(ReportedComefrom(tag), tag);
    }
}

TEST(ReportUrl, ReadsBytesAboveAsciiInTheAnsiCodePage) {
    // Whatever nine bytes a stamp written by other means holds, the report stays valid UTF-8 JSON.
    EXPECT_FALSE(ReportedComefrom("\x81\x8D\x90\xA0\xE9\xFE\xFF\x80\xD6").empty());

    const UINT codePage = GetACP();
    if (codePage == 1252) {
        EXPECT_EQ(ReportedComefrom("caf\xE9"), "caf\xC3\xA9");  // é
    } else if (codePage == 936) {
        EXPECT_EQ(ReportedComefrom("\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");  // 中文
    } else {
        GTEST_SKIP() << "no expectation for ANSI code page " << codePage;
    }
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

TEST_F(ClientLaunchTest, AReportOfAnyTagArrivesAsSentAndReadsAsTheTag) {
    const std::string tag = "a\"b&c%d";
    EXPECT_TRUE(SendReport(PlatformUrlNarrow(), "1000450", tag));
    const auto reports = PlatformRequests("stats");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].path, BuildReportUrl("", "1000450", tag)) << "the request line as built";
    EXPECT_EQ(reports[0].query,
              "action=offlineInstaller&JsonData={\"GameId\":1000450,\"Comefrom\":\"a\\\"b&c%d\"}");
}

TEST_F(ClientLaunchTest, AFailingStatisticsServiceChangesNothing) {
    SetPlatformModes({{"stats", "status:500"}});
    InstallClient();
    EXPECT_TRUE(LaunchClient(Request("web001", true)));
    EXPECT_FALSE(SendReport(PlatformUrlNarrow(), "1000450", "web001"));
    EXPECT_FALSE(SendReport(Utf8(EnvText(L"VEXO_REFUSED")), "1000450", "web001"));
}

}  // namespace
