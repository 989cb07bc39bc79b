#include "app/PeerCertificateCheck.h"

#include <windows.h>
#include <wincrypt.h>
// The SSPI header needs to be told which interface it declares.
#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
#include <security.h>
#include <schannel.h>

#include <memory>

#include "app/CertificateChain.h"
#include "support/CryptHandles.h"
#include "support/TextConvert.h"

namespace {

struct TCurlTextFree {
    void operator()(char* text) const { curl_free(text); }
};
struct TCurlUrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

bxutil::CCertificate PeerCertificate(CtxtHandle* context) {
    PCCERT_CONTEXT certificate = nullptr;
    if (::QueryContextAttributesW(context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK)
        certificate = nullptr;
    return bxutil::CCertificate(certificate);
}

// Every trust error the chain engine found, in the chain, its simple chains and their elements.
// A revocation status that could not be had is no error: revocation is checked as by the system's
// browser, best effort (a certificate known to be revoked is still refused).
DWORD ChainTrustErrors(PCCERT_CHAIN_CONTEXT chain) {
    constexpr DWORD kRevocationUnknown = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
    DWORD errors = chain->TrustStatus.dwErrorStatus;
    for (DWORD i = 0; i < chain->cChain; ++i) {
        const CERT_SIMPLE_CHAIN& simple = *chain->rgpChain[i];
        errors |= simple.TrustStatus.dwErrorStatus;
        for (DWORD j = 0; j < simple.cElement; ++j) errors |= simple.rgpElement[j]->TrustStatus.dwErrorStatus;
    }
    return errors & ~kRevocationUnknown;
}

bool PassesPolicy(LPCSTR policyId, PCCERT_CHAIN_CONTEXT chain, void* extra) {
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof(policy);
    policy.pvExtraPolicyPara = extra;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof(status);
    return ::CertVerifyCertificateChainPolicy(policyId, chain, &policy, &status) && status.dwError == 0;
}

// The chain engine's own verdict and two policies over it: the SSL policy (trusted root, dates,
// server use, the host's name) and the basic constraints (only authorities sign). Each on its own
// is not enough everywhere: Wine's SSL policy accepts a chain whose signer is no authority, though
// the chain's trust status names the fault.
bool IsChainGoodForServer(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host) {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA server{};
    server.cbSize = sizeof(server);
    server.dwAuthType = AUTHTYPE_SERVER;
    server.pwszServerName = const_cast<wchar_t*>(host.c_str());
    return ChainTrustErrors(chain) == 0 && PassesPolicy(CERT_CHAIN_POLICY_SSL, chain, &server) &&
           PassesPolicy(CERT_CHAIN_POLICY_BASIC_CONSTRAINTS, chain, nullptr);
}

}  // namespace

bool IsPeerCertificateTrusted(CURL* handle, const std::wstring& host) {
    struct curl_tlssessioninfo* session = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || session == nullptr)
        return false;
    if (session->backend == CURLSSLBACKEND_NONE || session->internals == nullptr) return true;
    if (session->backend != CURLSSLBACKEND_SCHANNEL || host.empty()) return false;
    const bxutil::CCertificate certificate = PeerCertificate(static_cast<CtxtHandle*>(session->internals));
    if (!certificate) return false;
    // Revocation stays Schannel's check (it may need the network, which this check must not wait
    // for).
    const bxutil::CCertificateChain chain = CertificateChainFor(certificate.Get(), szOID_PKIX_KP_SERVER_AUTH);
    return chain && IsChainGoodForServer(chain.Get(), host);
}

std::wstring HostOfUrl(const std::string& url) {
    std::unique_ptr<CURLU, TCurlUrlFree> parsed(curl_url());
    char* text = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_HOST, &text, 0) != CURLUE_OK) {
        return {};
    }
    const std::unique_ptr<char, TCurlTextFree> host(text);
    std::string name = host.get();
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    return Utf8ToWide(name);
}
