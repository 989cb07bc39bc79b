#include "app/ClientInstallerTrust.h"

#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <algorithm>
#include <cstring>
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
        CRYPT_PROVIDER_DATA* provider = Provider();
        return provider != nullptr ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    }

    // The decoded signature (PKCS#7), when the verification got that far.
    HCRYPTMSG Message() const {
        const CRYPT_PROVIDER_DATA* provider = Provider();
        return provider != nullptr ? provider->hMsg : nullptr;
    }

private:
    CRYPT_PROVIDER_DATA* Provider() const { return ::WTHelperProvDataFromStateData(m_data.hWVTStateData); }

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

// A parameter of the decoded signature, bounded: a signature is small, whatever the file says.
std::vector<BYTE> MessageParam(HCRYPTMSG message, DWORD type) {
    constexpr DWORD kMaxParam = 1024 * 1024;
    DWORD size = 0;
    if (!::CryptMsgGetParam(message, type, 0, nullptr, &size) || size == 0 || size > kMaxParam) return {};
    std::vector<BYTE> value(size);
    if (!::CryptMsgGetParam(message, type, 0, value.data(), &size) || size > value.size()) return {};
    value.resize(size);
    return value;
}

// The CNG name of the signer's digest algorithm; null for one not accepted.
const wchar_t* DigestAlgorithm(const std::vector<BYTE>& signerInfo) {
    if (signerInfo.size() < sizeof(CMSG_SIGNER_INFO)) return nullptr;
    const char* oid = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerInfo.data())->HashAlgorithm.pszObjId;
    if (oid == nullptr) return nullptr;
    if (std::strcmp(oid, szOID_NIST_sha256) == 0) return BCRYPT_SHA256_ALGORITHM;
    if (std::strcmp(oid, szOID_NIST_sha384) == 0) return BCRYPT_SHA384_ALGORITHM;
    if (std::strcmp(oid, szOID_NIST_sha512) == 0) return BCRYPT_SHA512_ALGORITHM;
    if (std::strcmp(oid, szOID_OIWSEC_sha1) == 0) return BCRYPT_SHA1_ALGORITHM;
    return nullptr;
}

// The digest the signer signed: the value of its messageDigest attribute (an OCTET STRING of a
// digest's size), as hexadecimal digits; empty when there is none.
std::string SignedDigest(const std::vector<BYTE>& attributes) {
    if (attributes.size() < sizeof(CRYPT_ATTRIBUTES)) return {};
    const CRYPT_ATTRIBUTES& list = *reinterpret_cast<const CRYPT_ATTRIBUTES*>(attributes.data());
    for (DWORD i = 0; i < list.cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = list.rgAttr[i];
        if (attribute.pszObjId == nullptr || std::strcmp(attribute.pszObjId, szOID_PKCS_9_MESSAGE_DIGEST) != 0 ||
            attribute.cValue != 1)
            continue;
        const CRYPT_ATTR_BLOB& value = attribute.rgValue[0];
        if (value.cbData < 2 || value.cbData > 66 || value.pbData[0] != 0x04 || value.pbData[1] != value.cbData - 2)
            return {};
        return HexOfBytes(value.pbData + 2, value.cbData - 2);
    }
    return {};
}

// The body of a DER SEQUENCE (after its tag and length), when the bytes are exactly one.
bool SequenceBody(const std::vector<BYTE>& der, const BYTE*& body, size_t& size) {
    if (der.size() < 2 || der[0] != 0x30) return false;
    size_t header = 2, length = der[1];
    if (length & 0x80) {
        const size_t count = length & 0x7F;
        if (count == 0 || count > 4 || der.size() < 2 + count) return false;
        length = 0;
        for (size_t i = 0; i < count; ++i) length = (length << 8) | der[2 + i];
        header += count;
    }
    if (length != der.size() - header) return false;
    body = der.data() + header;
    size = length;
    return true;
}

// Whether the content the signature holds (the program's image digest) is the content its signer
// signed: the signer's messageDigest attribute is the digest of that content's body, as PKCS#7
// defines it for content other than plain data. Windows' WinVerifyTrust compares them itself;
// Wine's compares the image with the content, and checks the signature over the attributes, but
// not the one with the other, so that a changed program whose content was rewritten to its new
// digest would pass. Some implementations hand the content back whole, some as its body: either
// digest must then match the signed one.
bool IsSignedContentIntact(HCRYPTMSG message) {
    if (message == nullptr) return false;
    const std::vector<BYTE> content = MessageParam(message, CMSG_CONTENT_PARAM);
    const wchar_t* algorithm = DigestAlgorithm(MessageParam(message, CMSG_SIGNER_INFO_PARAM));
    const std::string signedDigest = SignedDigest(MessageParam(message, CMSG_SIGNER_AUTH_ATTR_PARAM));
    if (content.empty() || algorithm == nullptr || signedDigest.empty()) return false;
    const BYTE* body = nullptr;
    size_t bodySize = 0;
    if (SequenceBody(content, body, bodySize) && DigestOfBytes(algorithm, body, bodySize) == signedDigest) return true;
    return DigestOfBytes(algorithm, content.data(), content.size()) == signedDigest;
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
    if (trust.status != ERROR_SUCCESS || certificate == nullptr || !IsSignedContentIntact(verification.Message())) {
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
