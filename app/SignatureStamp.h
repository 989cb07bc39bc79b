#pragma once
// The package stamp of a signed executable. The signature (Authenticode) covers the DOS stub, so
// a signed build is stamped inside the signature instead, where the signed digest does not reach:
// tools/stamp.py writes the 17 stamp bytes as an unauthenticated attribute of the signature's
// signer, and one signed build serves every game and channel.
//
// The attribute: SEQUENCE { OID 2.25.12558274358900491936639886794395106262, SET { OCTET STRING
// stamp } } among the SignerInfo's unauthenticatedAttributes ([1]) of the PKCS#7 SignedData held
// by the first entry (a WIN_CERTIFICATE of type PKCS_SIGNED_DATA) of the certificate table. The
// OID is under 2.25 (X.667): made from the UUID 0972a2ba-dc44-4a32-b70f-f2df2ae23bd6, it needs no
// registration and is no one else's.

#include <cstddef>

struct TByteRange {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// Largest certificate table looked at: a signature with its chain, a time stamp and a nested
// signature takes a few tens of KiB.
constexpr size_t kMaxCertificateTableSize = 256 * 1024;

// The stamp bytes inside the signature of the PE image [image, image + size), pointing into the
// image. Empty (null data) when the file has no signature, its signature holds no stamp, or
// anything on the way is malformed: a certificate table whose place or lengths do not fit the
// file, DER that is cut off, indefinite or runs past its container. Reads only inside the image.
TByteRange FindSignatureStamp(const unsigned char* image, size_t size);
