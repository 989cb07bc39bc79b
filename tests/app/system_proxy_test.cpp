// The system proxy setting as WinInet applies it, for the libcurl request.

#include <gtest/gtest.h>

#include "app/SystemProxy.h"
#include "tests/app/AppTestSupport.h"

namespace {

TEST(SystemProxy, ChoosesTheProxyForTheUrlsScheme) {
    struct TCase {
        bool enabled;
        const wchar_t* server;
        const wchar_t* override;
        const char* url;
        const char* proxy;
    };
    const TCase cases[] = {
        {false, L"p:8080", L"", "https://game.example.com/x", ""},
        {true, L"p:8080", L"", "https://game.example.com/x", "http://p:8080"},
        {true, L" p:8080 ", L"", "http://game.example.com/x", "http://p:8080"},
        {true, L"http=h:1;https=s:2", L"", "https://game.example.com/x", "http://s:2"},
        {true, L"http=h:1;https=s:2", L"", "http://game.example.com/x", "http://h:1"},
        {true, L"http=h:1", L"", "https://game.example.com/x", ""},
        {true, L"http=h:1;socks=k:3", L"", "https://game.example.com/x", "socks4://k:3"},
        {true, L"https=", L"", "https://game.example.com/x", ""},
        {true, L"", L"", "https://game.example.com/x", ""},
        {true, L"https=http://s:2", L"", "https://game.example.com/x", "http://s:2"},
        // Bypass list and loopback.
        {true, L"p:1", L"*.example.com", "https://game.example.com/x", ""},
        {true, L"p:1", L"*.EXAMPLE.com;<local>", "https://user:pw@GAME.example.com:443/x", ""},
        {true, L"p:1", L"<local>", "https://intranet/x", ""},
        {true, L"p:1", L"<local>", "https://intranet.corp/x", "http://p:1"},
        {true, L"p:1", L"", "https://localhost:8443/x", ""},
        {true, L"p:1", L"", "https://127.0.0.1/x", ""},
        {true, L"p:1", L"", "https://[::1]:8443/x", ""},
        {true, L"p:1", L"<-loopback>", "https://localhost:8443/x", "http://p:1"},
        {true, L"p:1", L"10.0.?.*", "https://10.0.5.77/x", ""},
        {true, L"p:1", L"10.0.?.*", "https://10.0.55.7/x", "http://p:1"},
        {true, L"p:1", L"", "not a url", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.url);
        const TProxySetting setting{c.enabled, c.server, c.override};
        EXPECT_EQ(ProxyForUrl(setting, c.url), c.proxy);
    }
}

TEST(SystemProxy, HostPatternsMatchLikeWildcards) {
    EXPECT_TRUE(MatchHostPattern(L"*", L"anything"));
    EXPECT_TRUE(MatchHostPattern(L"a*b*c", L"aXXbYYc"));
    EXPECT_FALSE(MatchHostPattern(L"a*b*c", L"aXXbYY"));
    EXPECT_TRUE(MatchHostPattern(L"**", L""));
    EXPECT_FALSE(MatchHostPattern(L"?", L""));
    // Many stars against a long text stay cheap (no exponential backtracking).
    EXPECT_FALSE(MatchHostPattern(std::wstring(200, L'*') + L"b", std::wstring(100000, L'a')));
}

TEST(SystemProxy, ReadsTheUsersInternetSettings) {
    CTestRegistryKey key;
    EXPECT_FALSE(ReadSystemProxySetting(key.Path()).enabled);
    key.SetDword(L"ProxyEnable", 1);
    EXPECT_FALSE(ReadSystemProxySetting(key.Path()).enabled) << "no server named";
    key.SetString(L"ProxyServer", L"proxy.corp:3128");
    key.SetString(L"ProxyOverride", L"<local>");
    const TProxySetting setting = ReadSystemProxySetting(key.Path());
    EXPECT_TRUE(setting.enabled);
    EXPECT_EQ(setting.server, L"proxy.corp:3128");
    EXPECT_EQ(setting.override, L"<local>");
    key.SetDword(L"ProxyEnable", 0);
    EXPECT_FALSE(ReadSystemProxySetting(key.Path()).enabled);
}

}  // namespace
