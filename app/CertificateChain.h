#pragma once
// The chain of a certificate to a root, built by the system's chain engine for one purpose: the
// server's certificate of a TLS connection, the signer's certificate of a program.

#include <windows.h>
#include <wincrypt.h>

#include "support/CryptHandles.h"

// The chain from certificate to a root, from the certificates that came with it (its store) and
// the system's stores, asked for usageOid (szOID_PKIX_KP_...), as of when (null: now), with the
// chain engine's flags (CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL: no certificate is fetched over the
// network). Revocation is not checked (it may need the network). No chain when the engine cannot
// build one.
bxutil::CCertificateChain CertificateChainFor(PCCERT_CONTEXT certificate, LPCSTR usageOid,
                                              const FILETIME* when = nullptr, DWORD flags = 0);
