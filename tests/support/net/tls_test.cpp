// HTTPS: the test authority's localhost certificate is accepted; a certificate for another
// name, an expired one, a self-signed one and one signed by a certificate that may not sign are
// refused, and the refusal is logged.

#include "support/LibHttpHelper.h"
#include "tests/support/net/net_test_support.h"

namespace {

class Tls : public ServerTest {};


TEST_F(Tls, TrustedCertificateForTheNameIsAccepted) {
    const std::wstring url = EnvText(L"VEXO_NET_TLS_GOOD") + L"/small.txt";
    std::string response;
    int status = 0;
    EXPECT_TRUE(CLibHttpHelper::HttpGet(url, L"text/plain", &status, "", response, true));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(response, DocrootFile(L"small.txt"));
}

TEST_F(Tls, DownloadFromTheTrustedServerResumesAPartialFile) {
    CTempDir folder;
    const std::wstring target = folder / L"VexoInstall.exe";
    const std::string whole = DocrootFile(L"file300k.bin");
    // An earlier download cut short: the file's start, and the validator nginx named for it.
    ASSERT_TRUE(CLibHttpHelper::DownloadFile(true, EnvText(L"VEXO_NET_TLS_GOOD") + L"/file300k.bin",
                                             target, {}));
    std::filesystem::resize_file(target, 1000);
    const CLogTail access(m_accessLog);
    long long lastDone = 0;
    long long lastTotal = 0;
    ASSERT_TRUE(CLibHttpHelper::DownloadFile(true, EnvText(L"VEXO_NET_TLS_GOOD") + L"/file300k.bin",
                                             target, [&](long long done, long long total) {
                                                 lastDone = done;
                                                 lastTotal = total;
                                             }));
    EXPECT_EQ(ReadBytes(target), whole);
    EXPECT_EQ(access.Text(), "GET /file300k.bin range=[bytes=1000-] status=206\n");
    EXPECT_EQ(lastTotal, static_cast<long long>(whole.size()));
    EXPECT_GT(lastDone, 1000);
}

TEST_F(Tls, BadCertificatesAreRefusedAndLogged) {
    CTempDir folder;
    const struct {
        const wchar_t* server;
        DWORD error;
    } cases[] = {
        {L"VEXO_NET_TLS_WRONGNAME", ERROR_INTERNET_SEC_CERT_CN_INVALID},
        {L"VEXO_NET_TLS_EXPIRED", ERROR_INTERNET_SEC_CERT_DATE_INVALID},
        {L"VEXO_NET_TLS_SELFSIGNED", ERROR_INTERNET_INVALID_CA},
        // Signed by a certificate of the authority that may not sign certificates.
        {L"VEXO_NET_TLS_NONCA", ERROR_INTERNET_SEC_INVALID_CERT},
    };
    for (const auto& c : cases) {
        const std::wstring url = EnvText(c.server) + L"/small.txt";
        SCOPED_TRACE(Narrow(c.server));
        const CLogTail log;
        std::string response;
        int status = 0;
        EXPECT_FALSE(CLibHttpHelper::HttpGet(url, L"text/plain", &status, "", response, true));
        EXPECT_EQ(status, 400);
        EXPECT_EQ(response, "");
        EXPECT_FALSE(CLibHttpHelper::HttpGet(url, L"text/plain", &status, "x=1", response, false));
        const std::wstring target = folder / L"download.bin";
        EXPECT_FALSE(CLibHttpHelper::DownloadFile(false, url, target, {}));
        EXPECT_FALSE(std::filesystem::exists(target));

        const std::string text = log.Text();
        const std::string error = "dwError = " + std::to_string(c.error) + " ";
        EXPECT_NE(text.find("HttpSendRequest false , " + error), std::string::npos) << text;
        EXPECT_NE(text.find("server certificate refused, " + error), std::string::npos) << text;
        // Each send was tried twice (the second time after a pause, with the same checks):
        // the GET and the download log each try, the POST only its refusal.
        EXPECT_EQ(CountOf(text, "HttpSendRequest false"), 4u) << text;
        EXPECT_EQ(CountOf(text, "server certificate refused"), 6u) << text;
        EXPECT_NE(text.find("http request failled"), std::string::npos) << text;
    }
}

}  // namespace
