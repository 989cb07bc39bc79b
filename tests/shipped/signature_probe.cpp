// Asks the system whether it trusts a file's Authenticode signature, as a program would before it
// runs a file it downloaded: WinVerifyTrust with the generic verify action, no user interface, no
// revocation check and no network fetch for the chain. Prints
//   trust=0x........   WinVerifyTrust's result (0: trusted)
//   signer=NAME        the simple display name of the signer's certificate, when there is one
// and exits with 0 when the file is trusted, 1 when it is not, 2 on a usage error.
//   signature_probe FILE
#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

// The signer as WinVerifyTrust kept it: the leaf of its chain, and the chain itself.
CRYPT_PROVIDER_SGNR* Signer(HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
    return provider != nullptr ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
}

std::wstring SignerName(const CRYPT_PROVIDER_SGNR* signer) {
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr ||
        signer->pasCertChain[0].pCert == nullptr)
        return {};
    wchar_t name[256] = {};
    CertGetNameStringW(signer->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                       name, ARRAYSIZE(name));
    return name;
}

// The Authenticode chain policy on the signer's chain, asked separately: 0 when the chain ends
// at a trusted root and every certificate may sign code.
LONG ChainVerdict(const CRYPT_PROVIDER_SGNR* signer) {
    if (signer == nullptr || signer->pChainContext == nullptr) return -1;
    CERT_CHAIN_POLICY_PARA para = {};
    para.cbSize = sizeof(para);
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, signer->pChainContext, &para, &status))
        return static_cast<LONG>(GetLastError());
    return static_cast<LONG>(status.dwError);
}

// Verifies the file and reports the signer; the state is released before returning.
LONG VerifyFile(const wchar_t* path, std::wstring& signer, LONG& chain) {
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = path;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    const CRYPT_PROVIDER_SGNR* kept = Signer(data.hWVTStateData);
    signer = SignerName(kept);
    chain = ChainVerdict(kept);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: signature_probe FILE\n");
        return 2;
    }
    std::wstring signer;
    LONG chain = 0;
    const LONG result = VerifyFile(argv[1], signer, chain);
    std::printf("trust=0x%08lx\nsigner=%s\nchain=0x%08lx\n", static_cast<unsigned long>(result),
                Utf8(signer).c_str(), static_cast<unsigned long>(chain));
    return result == ERROR_SUCCESS ? 0 : 1;
}
