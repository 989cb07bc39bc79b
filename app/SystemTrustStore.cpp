#include "app/SystemTrustStore.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

namespace {

// True when the certificate may vouch for TLS servers: it names no usages at all, or names
// server authentication among them.
bool MayAuthenticateServers(PCCERT_CONTEXT cert) {
    DWORD size = 0;
    if (!CertGetEnhancedKeyUsage(cert, 0, nullptr, &size)) return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
    std::vector<BYTE> buffer(size);
    auto* usage = reinterpret_cast<PCERT_ENHKEY_USAGE>(buffer.data());
    if (!CertGetEnhancedKeyUsage(cert, 0, usage, &size)) return false;
    if (usage->cUsageIdentifier == 0) return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
    for (DWORD i = 0; i < usage->cUsageIdentifier; ++i) {
        if (strcmp(usage->rgpszUsageIdentifier[i], szOID_PKIX_KP_SERVER_AUTH) == 0) return true;
    }
    return false;
}

std::string ToPem(PCCERT_CONTEXT cert) {
    DWORD chars = 0;
    const DWORD flags = CRYPT_STRING_BASE64HEADER;
    if (!CryptBinaryToStringA(cert->pbCertEncoded, cert->cbCertEncoded, flags, nullptr, &chars)) return {};
    std::string pem(chars, '\0');
    if (!CryptBinaryToStringA(cert->pbCertEncoded, cert->cbCertEncoded, flags, &pem[0], &chars)) return {};
    pem.resize(chars);
    return pem;
}

std::string ReadRootStore() {
    const HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
    if (!store) return {};
    std::string pem;
    PCCERT_CONTEXT cert = nullptr;
    // The enumeration frees each context when it hands out the next one.
    while ((cert = CertEnumCertificatesInStore(store, cert)) != nullptr) {
        if (CertVerifyTimeValidity(nullptr, cert->pCertInfo) == 0 && MayAuthenticateServers(cert))
            pem += ToPem(cert);
    }
    CertCloseStore(store, 0);
    return pem;
}

}  // namespace

const std::string& SystemRootCertificatesPem() {
    static const std::string pem = ReadRootStore();
    return pem;
}
