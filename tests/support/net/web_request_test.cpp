// The synchronous helpers: status judgement, bodies, content types and the request log lines.

#include "support/LibHttpHelper.h"
#include "tests/support/net/net_test_support.h"

namespace {

class HttpGet : public ServerTest {};

TEST_F(HttpGet, GetWithBodySendsItAndTheContentType) {
    std::string response;
    int status = 0;
    ASSERT_TRUE(CLibHttpHelper::HttpGet(m_http + L"/echo", L"application/json", &status,
                                        "{\"code\":\"10030\"}", response, true));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(response.rfind("GET /echo\r\n", 0), 0u) << response;
    EXPECT_NE(response.find("Content-Type: application/json\r\n"), std::string::npos) << response;
    EXPECT_EQ(response.find("Range"), std::string::npos) << response;
    EXPECT_EQ(response.substr(response.size() - 16), "{\"code\":\"10030\"}");
}

TEST_F(HttpGet, PostSendsBodyWithItsLength) {
    std::string response;
    ASSERT_TRUE(CLibHttpHelper::HttpGet(m_http + L"/echo", L"application/x-www-form-urlencoded",
                                        nullptr, "jsondata=%7b%7d", response, false));
    EXPECT_EQ(response.rfind("POST /echo\r\n", 0), 0u) << response;
    EXPECT_NE(response.find("Content-Length: 15\r\n"), std::string::npos) << response;
    EXPECT_EQ(response.substr(response.size() - 15), "jsondata=%7b%7d");
}

TEST_F(HttpGet, PostFollowsARedirectWithItsBodyAndOneLength) {
    // Each request of the exchange carries its own Content-Length (and Host); the redirect's
    // request must not meet the first request's.
    std::string response;
    int status = 0;
    ASSERT_TRUE(CLibHttpHelper::HttpGet(m_http + L"/goto/echo", L"application/x-www-form-urlencoded",
                                        &status, "a=1&b=2", response, false));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(response.rfind("POST /echo\r\n", 0), 0u) << response;
    EXPECT_EQ(CountOf(response, "Content-Length: "), 1u) << response;
    EXPECT_NE(response.find("Content-Length: 7\r\n"), std::string::npos) << response;
    EXPECT_EQ(CountOf(response, "Host: "), 1u) << response;
    EXPECT_EQ(response.substr(response.size() - 7), "a=1&b=2");
}

TEST_F(HttpGet, DefaultIsAnOctetStreamGetWithoutBody) {
    std::string response;
    ASSERT_TRUE(CLibHttpHelper::HttpGetDefault(m_http + L"/echo?x=1", response));
    EXPECT_EQ(response.rfind("GET /echo?x=1\r\n", 0), 0u) << response;
    EXPECT_NE(response.find("Content-Type: application/oct-stream\r\n"), std::string::npos);
    EXPECT_EQ(response.find("Content-Length"), std::string::npos) << response;
}

// The lines name each address without its query: the data of the request (ids, the channel
// tag of the usage report) stays out of the log.
TEST_F(HttpGet, StatusJudgementAndLogLines) {
    const struct {
        std::wstring address;  // as logged
        const wchar_t* query;
        int result;
        int status;
        const char* body;
        const char* line;  // the closing log line's number and text
    } cases[] = {
        {m_http + L"/status/200", L"", 1, 200, "status 200 page", "(188)("},
        {m_http + L"/status/200", L"?JsonData=%7B%22GameId%22%3A1000450%7D", 1, 200, "status 200 page", "(188)("},
        {m_http + L"/status/204", L"", 1, 204, "", "(188)("},
        {m_http + L"/status/404", L"?token=secret#part", 0, 404, "status 404 page", "(184)("},
        {m_http + L"/status/500", L"", 0, 500, "status 500 page", "(184)("},
        {m_refused + L"/x", L"?token=secret", 0, 400, "", "(193)("},
    };
    for (const auto& c : cases) {
        const std::wstring url = c.address + c.query;
        SCOPED_TRACE(Narrow(url));
        const CLogTail log;
        std::string response = "stale";
        int status = 0;
        EXPECT_EQ(CLibHttpHelper::HttpGet(url, L"text/plain", &status, "", response, true),
                  c.result);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(response, c.body);
        const std::string text = log.Text();
        EXPECT_NE(text.find("(142)(" ), std::string::npos) << text;
        EXPECT_NE(text.find("start HTTP request:" + Narrow(c.address) + "\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find(c.line), std::string::npos) << text;
        if (c.result == 0) {
            EXPECT_NE(text.find("address:" + Narrow(c.address) + ",code"), std::string::npos) << text;
            EXPECT_NE(text.find(std::to_string(c.status) + "\r\n"), std::string::npos) << text;
        }
        if (*c.query != L'\0') {
            EXPECT_EQ(text.find(Narrow(c.query).substr(1)), std::string::npos) << text;
        }
        EXPECT_EQ(text.find("page"), std::string::npos) << "no reply body in the log: " << text;
    }
}

}  // namespace
