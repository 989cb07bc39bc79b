#pragma once
// Owners of crypt32 objects in the support library's handle family (support/UniqueHandle.h):
// certificate contexts and certificate chains. Programs that use them link crypt32.

#include <windows.h>
#include <wincrypt.h>

#include "support/UniqueHandle.h"

namespace bxutil {

struct TCertificateTraits {
    using Handle = PCCERT_CONTEXT;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle certificate) { ::CertFreeCertificateContext(certificate); }
};

struct TCertificateChainTraits {
    using Handle = PCCERT_CHAIN_CONTEXT;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle chain) { ::CertFreeCertificateChain(chain); }
};

using CCertificate = CUniqueHandle<TCertificateTraits>;
using CCertificateChain = CUniqueHandle<TCertificateChainTraits>;

}  // namespace bxutil
