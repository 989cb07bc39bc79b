// The WinInet session: URL splitting, redirects, whole-body reads, header parsing and its log
// lines, against the scriptable server.

#include "support/wininet/HttpClientSession.h"
#include "tests/support/net/net_test_support.h"

using bxutil::CWebRequest;
using bxutil::TContentRange;
using bxutil::TUrlParts;

namespace {

struct TSplitCase {
    const wchar_t* url;
    const wchar_t* scheme;
    const wchar_t* host;
    int port;
    const wchar_t* path;
};

const TSplitCase kSplitCases[] = {
    {L"https://games.example.com/a/b?x=1", L"https", L"games.example.com", 443, L"/a/b?x=1"},
    {L"games.example.com:8080/x", L"http", L"games.example.com", 8080, L"/x"},
    {L"http://host", L"http", L"host", 80, L""},
    {L"HTTPS://HOST:8443", L"HTTPS", L"HOST", 8443, L""},
    {L"ftp://host/file", L"ftp", L"host", 0, L"/file"},
    {L"http://host:abc/p", L"http", L"host", 0, L"/p"},
    {L"http://[::1]:8081/p", L"http", L"[::1]", 8081, L"/p"},
    {L"http://[::1]/p", L"http", L"[::1]", 80, L"/p"},
    {L"x:/", L"x", L"", 0, L""},
};

TEST(UrlSplit, Table) {
    for (const TSplitCase& c : kSplitCases) {
        const TUrlParts parts = bxutil::SplitUrl(c.url);
        SCOPED_TRACE(Narrow(c.url));
        EXPECT_EQ(parts.scheme, c.scheme);
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.port, c.port);
        EXPECT_EQ(parts.path, c.path);
    }
}

TEST(UrlSplit, RedirectTargets) {
    const struct {
        const wchar_t* current;
        const wchar_t* location;
        const wchar_t* expected;
    } cases[] = {
        {L"http://a:81/x", L"http://b/y", L"http://b/y"},
        {L"http://a:81/x", L"/y?z=1", L"http://a:81/y?z=1"},
        {L"https://a/x", L"/y", L"https://a/y"},
        {L"https://a:443/x", L"//b/y", L"https://b/y"},
        {L"http://a/x", L"", L""},
        // Absolute only with a scheme and "://" at the start; everything else is relative.
        {L"http://a/x", L"HTTPS://b:8443/y", L"HTTPS://b:8443/y"},
        {L"http://a/x", L"svn+ssh://b/y", L"svn+ssh://b/y"},
        {L"http://a:81/dir/x?q=1", L"/p?u=https://x", L"http://a:81/p?u=https://x"},
        {L"http://a/dir/page?q=1", L"file.exe", L"http://a/dir/file.exe"},
        {L"http://a/dir/page?q=1", L"?v=2", L"http://a/dir/page?v=2"},
        {L"http://a/dir/sub/page", L"../x", L"http://a/dir/x"},
        {L"http://a/dir/page", L"../../../x?y=../z", L"http://a/x?y=../z"},
        {L"http://a/dir/page", L"./b/./c/..", L"http://a/dir/b/"},
        {L"http://a/dir/page", L"/p/../q", L"http://a/q"},
        {L"http://a", L"file.exe", L"http://a/file.exe"},
        {L"http://a?q=1", L"file.exe", L"http://a/file.exe"},
        {L"http://a/dir/page?q=1#f", L"#g", L"http://a/dir/page?q=1"},
        {L"http://a/dir/page", L"x#frag", L"http://a/dir/x"},
        {L"http://a/dir/page", L"mailto:x", L"http://a/dir/mailto:x"},
        {L"a:8080/dir/page", L"b", L"http://a:8080/dir/b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bxutil::ResolveRedirect(c.current, c.location), c.expected) << Narrow(c.location);
    }
}

TEST(ContentRange, Table) {
    const struct {
        const wchar_t* text;
        bool ok;
        long long first, last, total;
    } cases[] = {
        {L"bytes 1000-299999/300000", true, 1000, 299999, 300000},
        {L"  Bytes 0-0/1 ", true, 0, 0, 1},
        {L"bytes 5-9/*", true, 5, 9, -1},
        {L"bytes */300000", true, -1, -1, 300000},
        {L"bytes */*", false, -1, -1, -1},
        {L"bytes 9-5/10", false, -1, -1, -1},
        {L"items 0-1/2", false, -1, -1, -1},
        {L"bytes 0-1/2x", false, -1, -1, -1},
        {L"bytes 99999999999999999999-1/2", false, -1, -1, -1},
    };
    for (const auto& c : cases) {
        TContentRange range;
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(bxutil::ParseContentRange(c.text, &range), c.ok);
        EXPECT_EQ(range.first, c.first);
        EXPECT_EQ(range.last, c.last);
        EXPECT_EQ(range.total, c.total);
    }
}

class Session : public ServerTest {
protected:
    std::wstring Url(const wchar_t* path) const { return m_http + path; }
};

TEST_F(Session, RedirectChainsUpToFiveRequests) {
    const struct {
        const wchar_t* path;
        bool ok;
    } cases[] = {{L"/redirect/4", true}, {L"/redirect/5", false}, {L"/redirect-relative", true}};
    for (const auto& c : cases) {
        CWebRequest request(Url(c.path));
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(request.Request(), c.ok);
        EXPECT_EQ(request.ResponseHeaders()->StatusCode(), c.ok ? 200 : 302);
    }
    CWebRequest final(Url(L"/redirect/4"));
    ASSERT_TRUE(final.Request());
    EXPECT_EQ(final.ResponseBody(), "final");
}

TEST_F(Session, RelativeRedirectTargetsAreFollowed) {
    const struct {
        const wchar_t* path;
        int status;
    } cases[] = {
        {L"/goto/sub?to=../status/201", 201},                  // relative to the folder
        {L"/goto/sub?to=/status/202%3Fu%3Dhttps://x", 202},    // "://" only in the query
        {L"/goto/sub?to=../status/203%23part", 203},           // with a fragment
    };
    for (const auto& c : cases) {
        CWebRequest request(Url(c.path));
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_TRUE(request.Request());
        EXPECT_EQ(request.ResponseHeaders()->StatusCode(), c.status);
    }
}

TEST_F(Session, RedirectWithoutLocationFails) {
    const CLogTail log;
    CWebRequest request(Url(L"/redirect-nolocation"));
    EXPECT_FALSE(request.Request());
    EXPECT_NE(log.Text().find("(480)("), std::string::npos) << log.Text();
}

TEST_F(Session, ErrorStatusIsStillAnExchange) {
    CWebRequest request(Url(L"/status/404"));
    EXPECT_TRUE(request.Request());
    EXPECT_EQ(request.ResponseHeaders()->StatusCode(), 404);
    EXPECT_EQ(request.ResponseBody(), "status 404 page");
}

TEST_F(Session, OnlyHttpSchemesAreRequested) {
    const CLogTail log;
    CWebRequest request(L"ftp://127.0.0.1/file");
    EXPECT_FALSE(request.Request());
    EXPECT_EQ(request.ResponseHeaders()->StatusCode(), 400);
    EXPECT_FALSE(request.IsClosed());  // turned down before anything was opened
    EXPECT_EQ(log.Text(), "");
}

TEST_F(Session, ClosedAfterOneExchange) {
    CWebRequest request(Url(L"/status/200"));
    EXPECT_TRUE(request.Request());
    EXPECT_TRUE(request.IsClosed());
    EXPECT_FALSE(request.Request());
}

TEST_F(Session, BodiesWholeSlowAndWithoutLength) {
    CWebRequest slow(Url(L"/slow"));
    ASSERT_TRUE(slow.Request());
    EXPECT_EQ(slow.ResponseBody().size(), 4000u);
    EXPECT_EQ(slow.ResponseHeaders()->ContentLength(), 4000);

    CWebRequest unsized(Url(L"/nolength"));
    ASSERT_TRUE(unsized.Request());
    EXPECT_EQ(unsized.ResponseBody().size(), 1500u);
    EXPECT_FALSE(unsized.ResponseHeaders()->HasContentLength());
    EXPECT_EQ(unsized.ResponseHeaders()->ContentLength(), 0);
}

TEST_F(Session, BodyLongerThanTheLimitFailsAndIsDropped) {
    struct Case {
        size_t limit;
        bool fits;
    };
    for (const Case& c : {Case{4000, true}, Case{3999, false}, Case{1, false}}) {
        SCOPED_TRACE(c.limit);
        CWebRequest request(Url(L"/blob/4000"));
        request.SetMaxResponseBody(c.limit);
        EXPECT_EQ(request.Request(), c.fits);
        EXPECT_EQ(request.ResponseBody().size(), c.fits ? 4000u : 0u);
    }
}

TEST_F(Session, BodyStillArrivingAfterTheTimeLimitFailsAndIsDropped) {
    // The drip route announces 100000 bytes and sends one every 100 ms for 20 s; a read that
    // waited for a whole buffer would return only when the server gives up.
    CWebRequest request(Url(L"/drip"));
    request.SetTimeLimit(1000);
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(request.Request());
    EXPECT_LT(GetTickCount64() - start, 10000u);
    EXPECT_EQ(request.ResponseBody(), "");

    CWebRequest quick(Url(L"/blob/4000"));
    quick.SetTimeLimit(60000);
    ASSERT_TRUE(quick.Request());
    EXPECT_EQ(quick.ResponseBody(), Blob(4000));
}

TEST_F(Session, BodyCutShortOfItsLengthFails) {
    CWebRequest request(Url(L"/cutoff"));
    EXPECT_FALSE(request.Request());
}

TEST_F(Session, HeadersOfTheFinalResponseOnly) {
    // The redirect carries a length and a target; the final answer has neither.
    CWebRequest request(Url(L"/goto/nolength"));
    ASSERT_TRUE(request.Request());
    const auto& headers = *request.ResponseHeaders();
    EXPECT_FALSE(headers.HasContentLength());
    EXPECT_EQ(headers.Location(), L"");
    EXPECT_NE(request.ResponseHeaderText().find(L"HTTP/1.1 200"), std::wstring::npos);
}

TEST_F(Session, ResponseHeaderFields) {
    CWebRequest request(Url(L"/image"));
    ASSERT_TRUE(request.Request());
    const auto& headers = *request.ResponseHeaders();
    EXPECT_EQ(headers.StatusCode(), 200);
    EXPECT_EQ(headers.ContentType(), L"image/png");
    EXPECT_TRUE(headers.HasContentLength());
    EXPECT_EQ(headers.ContentLength(), static_cast<long long>(request.ResponseBody().size()));
    EXPECT_EQ(headers.RawHeaders(), request.ResponseHeaderText());
}

// The failure lines name the address without its query; a "%" in it is text, never a conversion.
TEST_F(Session, FailureLinesNameTheUrlWithoutItsQuery) {
    // Nothing listens on m_refused, so sending fails after the (lazy) connection was made.
    const struct {
        std::wstring url;
        std::wstring logged;
    } cases[] = {{m_refused + L"/plain", m_refused + L"/plain"},
                 {m_refused + L"/with%41percent%s%n", m_refused + L"/with%41percent%s%n"},
                 {m_refused + L"/q?token=secret%s", m_refused + L"/q"}};
    for (const auto& c : cases) {
        const CLogTail log;
        CWebRequest request(c.url);
        EXPECT_FALSE(request.Request());
        const std::string expected =
            "In CHttpClientSession::Request: RequestOfURI false , url = " + Narrow(c.logged) + " \r\n";
        const std::string text = log.Text();
        EXPECT_NE(text.find(expected), std::string::npos) << text;
        EXPECT_EQ(text.find("secret"), std::string::npos) << text;
        EXPECT_EQ(CountOf(text, "(651)("), 1u) << text;  // the send failure, not retried
    }
}

}  // namespace
