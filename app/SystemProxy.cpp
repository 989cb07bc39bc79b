#include "app/SystemProxy.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "support/LibBiz.h"
#include "support/TextConvert.h"

namespace {

const wchar_t kListSeparators[] = L"; \t\r\n";

std::vector<std::wstring> SplitList(const std::wstring& text) {
    std::vector<std::wstring> items;
    size_t start = text.find_first_not_of(kListSeparators);
    while (start != std::wstring::npos) {
        const size_t end = text.find_first_of(kListSeparators, start);
        items.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        start = end == std::wstring::npos ? end : text.find_first_not_of(kListSeparators, end);
    }
    return items;
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

bool IsLoopbackHost(const std::wstring& host) {
    return EqualsNoCase(host, L"localhost") || host.compare(0, 4, L"127.") == 0 || host == L"::1" ||
           host == L"[::1]";
}

// The scheme (lower case) and host of an absolute URL; both empty when url has no "://".
void SchemeAndHost(const std::wstring& url, std::wstring& scheme, std::wstring& host) {
    scheme.clear();
    host.clear();
    const size_t sep = url.find(L"://");
    if (sep == std::wstring::npos || sep == 0) return;
    for (size_t i = 0; i < sep; ++i) scheme += static_cast<wchar_t>(towlower(url[i]));
    std::wstring authority = url.substr(sep + 3, url.find_first_of(L"/?#", sep + 3) - (sep + 3));
    const size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos) authority.erase(0, at + 1);
    if (!authority.empty() && authority[0] == L'[') {
        const size_t close = authority.find(L']');
        host = close == std::wstring::npos ? authority : authority.substr(0, close + 1);
    } else {
        host = authority.substr(0, authority.find(L':'));
    }
}

// The proxy entry of the "ProxyServer" text for a scheme: a plain "host:port" serves every
// scheme; a per-protocol list gives the scheme's own entry, else its SOCKS entry.
std::wstring ServerEntryFor(const std::wstring& server, const std::wstring& scheme) {
    if (server.find(L'=') == std::wstring::npos) {
        const std::vector<std::wstring> items = SplitList(server);
        return items.empty() ? std::wstring() : items.front();
    }
    std::wstring socks;
    for (const std::wstring& item : SplitList(server)) {
        const size_t eq = item.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring protocol = item.substr(0, eq);
        const std::wstring address = item.substr(eq + 1);
        if (address.empty()) continue;
        if (EqualsNoCase(protocol, scheme.c_str())) return address;
        if (EqualsNoCase(protocol, L"socks")) socks = L"socks4://" + address;
    }
    return socks;
}

}  // namespace

bool MatchHostPattern(const std::wstring& pattern, const std::wstring& text) {
    // Greedy matching with one backtrack point: O(pattern x text) at worst, no recursion.
    size_t p = 0, t = 0, starP = std::wstring::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == L'?' || towlower(pattern[p]) == towlower(text[t]))) {
            ++p;
            ++t;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

bool BypassesProxy(const std::wstring& override, const std::wstring& host) {
    bool loopbackThroughProxy = false;
    for (const std::wstring& entry : SplitList(override)) {
        if (EqualsNoCase(entry, L"<-loopback>")) {
            loopbackThroughProxy = true;
        } else if (EqualsNoCase(entry, L"<local>")) {
            if (host.find(L'.') == std::wstring::npos && host.find(L':') == std::wstring::npos) return true;
        } else if (MatchHostPattern(entry, host)) {
            return true;
        }
    }
    return !loopbackThroughProxy && IsLoopbackHost(host);
}

std::string ProxyForUrl(const TProxySetting& setting, const std::string& url) {
    if (!setting.enabled) return {};
    std::wstring scheme, host;
    SchemeAndHost(Utf8ToWide(url), scheme, host);
    if (host.empty() || BypassesProxy(setting.override, host)) return {};
    std::wstring proxy = ServerEntryFor(setting.server, scheme);
    if (proxy.empty()) return {};
    if (proxy.find(L"://") == std::wstring::npos) proxy = L"http://" + proxy;
    return WideToThreadAnsi(proxy.c_str());
}

TProxySetting ReadSystemProxySetting(const std::wstring& subKey) {
    TProxySetting setting;
    DWORD enable = 0;
    DWORD size = sizeof enable;
    setting.enabled = RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), L"ProxyEnable", RRF_RT_REG_DWORD, nullptr,
                                   &enable, &size) == ERROR_SUCCESS &&
                      enable != 0;
    if (!ReadUserRegistryString(subKey, L"ProxyServer", setting.server)) setting.enabled = false;
    ReadUserRegistryString(subKey, L"ProxyOverride", setting.override);
    return setting;
}
