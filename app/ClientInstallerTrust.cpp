#include "app/ClientInstallerTrust.h"

#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "app/CertificateChain.h"
#include "app/FileHash.h"
#include "support/TextConvert.h"

// The build passes the publisher; a build outside CMake requires the stand-in platform's.
#ifndef VEXO_CLIENT_PUBLISHER
#define VEXO_CLIENT_PUBLISHER "Vexo Test Publisher"
#endif

namespace {

// One WinVerifyTrust verification of a file and the state it leaves (the decoded signature and
// its signer), which stays readable until this object goes.
class CTrustVerification {
public:
    CTrustVerification(HANDLE file, const std::wstring& path) {
        m_file.cbStruct = sizeof(m_file);
        m_file.pcwszFilePath = path.c_str();
        m_file.hFile = file;
        m_data.cbStruct = sizeof(m_data);
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = WTD_REVOKE_NONE;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        // Nothing is fetched over the network: no revocation lists, no certificates.
        m_data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        m_status = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }
    ~CTrustVerification() {
        if (m_data.hWVTStateData == nullptr) return;
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }
    CTrustVerification(const CTrustVerification&) = delete;
    CTrustVerification& operator=(const CTrustVerification&) = delete;

    LONG Status() const { return m_status; }

    // The signature's first signer, when the verification decoded one.
    const CRYPT_PROVIDER_SGNR* Signer() const {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(m_data.hWVTStateData);
        return provider != nullptr ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    }

private:
    GUID m_action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO m_file{};
    WINTRUST_DATA m_data{};
    LONG m_status = TRUST_E_FAIL;
};

PCCERT_CONTEXT SignerCertificate(const CRYPT_PROVIDER_SGNR* signer) {
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr) return nullptr;
    return signer->pasCertChain[0].pCert;
}

std::wstring CommonName(PCCERT_CONTEXT certificate) {
    void* const oid = const_cast<char*>(szOID_COMMON_NAME);
    const DWORD length = ::CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, oid, nullptr, 0);
    if (length <= 1) return {};
    std::vector<wchar_t> name(length);
    ::CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, oid, name.data(), length);
    return std::wstring(name.data());
}

// The thumbprint as written in the setting, without the separators people copy along with it,
// in lower case; empty when it is not 64 hexadecimal digits.
std::string ThumbprintDigits(const std::wstring& publisher) {
    std::string digits;
    for (const wchar_t c : publisher) {
        if (c == L' ' || c == L':') continue;
        if (!std::iswxdigit(c) || c > 0x7F) return {};
        digits += static_cast<char>(std::towlower(c));
    }
    return IsSha256Text(digits) ? digits : std::string();
}

bool IsPublisher(PCCERT_CONTEXT certificate, const std::wstring& commonName, const std::wstring& publisher) {
    const std::string thumbprint = ThumbprintDigits(publisher);
    if (thumbprint.empty()) return !commonName.empty() && commonName == publisher;
    return Sha256OfBytes(certificate->pbCertEncoded, certificate->cbCertEncoded) == thumbprint;
}

// Whether the signer's certificate leads to an authority the system trusts for code signing, as
// of the time the verification judged the signature by (a time stamp's, else now), from the
// certificates the signature carries and the system's stores. Windows' WinVerifyTrust requires
// this itself; Wine's accepts any certificate whose signature holds (self-signed, expired, made
// for servers), so the chain is asked for here.
bool IsTrustedForCodeSigning(const CRYPT_PROVIDER_SGNR& signer, PCCERT_CONTEXT certificate) {
    const FILETIME& asOf = signer.sftVerifyAsOf;
    const bool hasTime = asOf.dwLowDateTime != 0 || asOf.dwHighDateTime != 0;
    const bxutil::CCertificateChain chain = CertificateChainFor(
        certificate, szOID_PKIX_KP_CODE_SIGNING, hasTime ? &asOf : nullptr, CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL);
    return chain && chain.Get()->TrustStatus.dwErrorStatus == CERT_TRUST_NO_ERROR;
}

}  // namespace

std::wstring BuiltInClientPublisher() { return Utf8ToWide(VEXO_CLIENT_PUBLISHER); }

bool IsThumbprintPublisher(const std::wstring& publisher) { return !ThumbprintDigits(publisher).empty(); }

TInstallerTrust CheckInstallerPublisher(HANDLE file, const std::wstring& path, const std::wstring& publisher) {
    TInstallerTrust trust;
    const CTrustVerification verification(file, path);
    trust.status = verification.Status();
    if (trust.status == TRUST_E_NOSIGNATURE) {
        trust.verdict = EInstallerTrust::kUnsigned;
        return trust;
    }
    const CRYPT_PROVIDER_SGNR* signer = verification.Signer();
    const PCCERT_CONTEXT certificate = SignerCertificate(signer);
    if (trust.status != ERROR_SUCCESS || certificate == nullptr) {
        trust.verdict = EInstallerTrust::kBadSignature;
        return trust;
    }
    trust.signer = CommonName(certificate);
    if (!IsTrustedForCodeSigning(*signer, certificate))
        trust.verdict = EInstallerTrust::kUntrustedSigner;
    else if (!IsPublisher(certificate, trust.signer, publisher))
        trust.verdict = EInstallerTrust::kOtherPublisher;
    else
        trust.verdict = EInstallerTrust::kTrusted;
    return trust;
}
