#pragma once
// The system's proxy setting, as WinInet applies it, for requests that do not go through
// WinInet (the game-information request uses libcurl).
//
// The setting is the manual proxy of the current user's Internet Settings: "ProxyEnable"
// (DWORD), "ProxyServer" ("host:port", or per protocol "http=host:port;https=host:port;
// socks=host:port") and "ProxyOverride" (the bypass list: host patterns with "*" and "?",
// "<local>" for host names without a dot, and "<-loopback>", which sends loopback addresses
// through the proxy as well; without it they always go direct). Automatic configuration scripts
// are not evaluated.

#include <string>

struct TProxySetting {
    bool enabled = false;
    std::wstring server;    // "ProxyServer" as stored
    std::wstring override;  // "ProxyOverride" as stored
};

// The user's Internet Settings key.
constexpr const wchar_t* kInternetSettingsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Reads the setting from subKey of the current user's registry (the Internet Settings key unless
// a test names another). Missing values leave the proxy disabled.
TProxySetting ReadSystemProxySetting(const std::wstring& subKey = kInternetSettingsKey);

// The proxy a request for url goes through, as libcurl takes it ("http://host:port" or
// "socks4://host:port"), or an empty text when the request goes direct.
std::string ProxyForUrl(const TProxySetting& setting, const std::string& url);

// True when host (without port) matches one entry of the bypass list, or is a loopback address
// that the list does not send through the proxy.
bool BypassesProxy(const std::wstring& override, const std::wstring& host);

// Case-insensitive match of text against a pattern with "*" (any run) and "?" (one character).
bool MatchHostPattern(const std::wstring& pattern, const std::wstring& text);
