#pragma once
// The server's certificate checked by the Windows certificate chain engine, for the libcurl build
// on Schannel: it chains to an authority of the system's store through certificates that may
// each sign the next, is valid today, is meant for servers and names the host, and the engine
// found no fault in the chain. Schannel is asked to validate by itself, but not every Schannel
// does (Wine's accepts any certificate), so the request checks again before it sends anything.

#include <curl/curl.h>

#include <string>

// Whether the connection that handle has just set up may carry the request to host: true for a
// connection without TLS (nothing to check), else the certificate check above.
bool IsPeerCertificateTrusted(CURL* handle, const std::wstring& host);

// The host name of an address ("localhost" of "https://localhost:8443/Box"), without the
// brackets of an IPv6 literal; empty when the address does not parse.
std::wstring HostOfUrl(const std::string& url);
