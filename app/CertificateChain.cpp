#include "app/CertificateChain.h"

bxutil::CCertificateChain CertificateChainFor(PCCERT_CONTEXT certificate, LPCSTR usageOid, const FILETIME* when,
                                              DWORD flags) {
    LPSTR usages[] = {const_cast<LPSTR>(usageOid)};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof(para);
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    FILETIME time = when ? *when : FILETIME{};
    if (!::CertGetCertificateChain(nullptr, certificate, when ? &time : nullptr, certificate->hCertStore, &para,
                                   flags, nullptr, &chain))
        chain = nullptr;
    return bxutil::CCertificateChain(chain);
}
