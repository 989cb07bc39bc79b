// The HTTP traffic dumps. "loghttp" is read once per process, so run_net_tests.py runs these
// cases in three copies of the program, beside a config.ini with "loghttp=1", "loghttp=true" and
// none, and says in VEXO_NET_DUMP_MODE ("dump" or "none") what each copy must do.

#include "support/LibHttpHelper.h"
#include "tests/support/net/net_test_support.h"

namespace {

class TrafficLog : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        m_mode = EnvText(L"VEXO_NET_DUMP_MODE");
        if (m_mode.empty()) GTEST_SKIP() << "run by run_net_tests.py with a config.ini variant";
    }
    std::wstring m_mode;
};

TEST_F(TrafficLog, DumpsOnlyWhenSwitchedOn) {
    const CLogTail traffic(TrafficLogPath());
    std::string response;
    const std::wstring echo = m_http + L"/echo";
    ASSERT_TRUE(CLibHttpHelper::HttpGet(echo, L"text/plain", nullptr, "get-body", response, true));
    ASSERT_TRUE(CLibHttpHelper::HttpGet(echo, L"text/plain", nullptr, "post-body", response, false));
    const std::wstring image = m_http + L"/image";
    ASSERT_TRUE(CLibHttpHelper::HttpGetDefault(image, response));
    EXPECT_EQ(response.compare(0, 4, "\x89PNG"), 0);

    const std::string text = traffic.Text();
    if (m_mode == L"none") {
        EXPECT_EQ(text, "");
        return;
    }
    const std::string echoUrl = Narrow(echo);
    EXPECT_NE(text.find("\r\n" + echoUrl + " GET\r\nget-body\r\n\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n" + echoUrl + " POST\r\npost-body\r\n\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nResponse:" + echoUrl + "\r\nHTTP/1.1 200"), std::string::npos) << text;
    // The echoed request is the response body of the echo calls.
    EXPECT_NE(text.find("\r\n\r\nGET /echo\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Response:" + Narrow(image) + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Content-Type: image/png"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nnot log image type content!\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("PNG"), std::string::npos);
}

}  // namespace
