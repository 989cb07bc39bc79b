#pragma once
// The system's trusted root authorities, for TLS connections that do not go through the
// system's own TLS stack (the game-information request uses libcurl with OpenSSL).

#include <string>

// The certificates of the current user's trusted root store (which includes the machine's) that
// are within their validity period and may vouch for servers, as PEM text. Read once per process
// and kept; empty when the store cannot be read.
const std::string& SystemRootCertificatesPem();
