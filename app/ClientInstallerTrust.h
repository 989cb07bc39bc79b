#pragma once
// Whether a downloaded client installer comes from the platform's publisher: the address and the
// sha256 that name it come from one service, so whoever controls that reply controls what would
// run. As browsers do with the installers their stub installers fetch, the file's Authenticode
// signature must hold and name the configured publisher before it is run.
//
// The publisher is the signer certificate's subject common name ("Vexo Test Publisher") or its
// SHA-256 thumbprint, 64 hexadecimal digits (spaces and colons between them are ignored). The
// name form trusts every authority the system trusts to vouch for that name; the thumbprint names
// one certificate.

#include <windows.h>

#include <string>

// The publisher this build requires (the CMake cache option VEXO_CLIENT_PUBLISHER); empty when
// the build requires none.
std::wstring BuiltInClientPublisher();

// True when publisher is written as a thumbprint rather than a name.
bool IsThumbprintPublisher(const std::wstring& publisher);

enum class EInstallerTrust {
    kTrusted,          // signed by the publisher: the signature holds and its certificate chains
                       // to an authority the system trusts for code signing
    kUnsigned,         // the file carries no signature
    kBadSignature,     // the signature does not hold (the file changed after signing, or it is
                       // no program the signature could cover)
    kUntrustedSigner,  // the signature holds, but its certificate is not vouched for by a trusted
                       // authority for code signing (self-signed, expired, wrong usage)
    kOtherPublisher,   // a sound signature of someone other than the publisher
};

struct TInstallerTrust {
    EInstallerTrust verdict = EInstallerTrust::kBadSignature;
    long status = 0;     // WinVerifyTrust's answer
    std::wstring signer;  // the signer's common name, when the signature named one
};

// Checks the installer at path, read through file (an open handle to it, which the caller keeps
// so that the file checked is the file run), against publisher (not empty). Asks nothing over the
// network: revocation is not checked.
TInstallerTrust CheckInstallerPublisher(HANDLE file, const std::wstring& path, const std::wstring& publisher);
