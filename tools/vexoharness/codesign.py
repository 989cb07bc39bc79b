"""Authenticode signatures of Windows programs with the test authority's code-signing
certificates (osslsigncode), as a publisher signs what it ships: the stand-in client installer at
build time and, each time its content changes, as the stand-in platform serves it.

Signers: "codesign" ("Vexo Test Publisher", the publisher the default build requires),
"othersigner" ("Other Test Publisher"), both vouched for by the test authority, and "impostor":
a self-signed certificate under the publisher's name that no authority vouches for (made on
first use, kept for the process).

    python3 -m vexoharness.codesign FILE [--cert SIGNER]     signs FILE in place
"""
import argparse
import atexit
import hashlib
import os
import shutil
import ssl
import struct
import subprocess
import sys
import tempfile

from . import testca

PUBLISHER = "Vexo Test Publisher"
_impostor = {}


def _impostor_pair():
    if not _impostor:
        folder = tempfile.mkdtemp(prefix="vexo-impostor-")
        atexit.register(shutil.rmtree, folder, True)
        crt, key = os.path.join(folder, "impostor.crt"), os.path.join(folder, "impostor.key")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
                        "-subj", "/CN=" + PUBLISHER, "-keyout", key, "-out", crt,
                        "-addext", "basicConstraints=critical,CA:FALSE",
                        "-addext", "keyUsage=critical,digitalSignature",
                        "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True)
        _impostor.update(crt=crt, key=key)
    return _impostor["crt"], _impostor["key"]


def cert_pair(signer):
    """The certificate and key files of a signer."""
    return _impostor_pair() if signer == "impostor" else testca.cert_pair(signer)


def thumbprint(signer="codesign"):
    """The SHA-256 of the signer's certificate (DER), in lower-case hexadecimal."""
    with open(cert_pair(signer)[0], encoding="ascii") as f:
        return hashlib.sha256(ssl.PEM_cert_to_DER_cert(f.read())).hexdigest()


def _security_entry(data):
    """The file offset of the certificate table's data-directory entry."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    return pe + 24 + (96 if magic == 0x10B else 112) + 4 * 8


def strip(data):
    """The image without its signature (the certificate table, which ends the file)."""
    entry = _security_entry(data)
    offset, size = struct.unpack_from("<II", data, entry)
    if offset == 0:
        return bytes(data)
    if offset + size != len(data):
        raise ValueError("the certificate table does not end the file")
    out = bytearray(data[:offset])
    struct.pack_into("<II", out, entry, 0, 0)
    return bytes(out)


def sign(data, signer="codesign"):
    """The image signed by signer (SHA-256), replacing any signature it had."""
    crt, key = cert_pair(signer)
    with tempfile.TemporaryDirectory(prefix="vexo-sign-") as folder:
        unsigned, signed = os.path.join(folder, "in.exe"), os.path.join(folder, "out.exe")
        with open(unsigned, "wb") as f:
            f.write(strip(data))
        subprocess.run(["osslsigncode", "sign", "-certs", crt, "-key", key, "-h", "sha256",
                        "-n", "Vexo client installer", "-in", unsigned, "-out", signed],
                       check=True, capture_output=True)
        with open(signed, "rb") as f:
            return f.read()


def change_code_byte(data):
    """The image with one byte of its first code section changed (its signature no longer
    holds)."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, optional = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    for i in range(count):
        raw_size, raw_at = struct.unpack_from("<II", data, table + 40 * i + 16)
        characteristics = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
        if characteristics & 0x20 and raw_size > 64:  # IMAGE_SCN_CNT_CODE
            out = bytearray(data)
            out[raw_at + 64] ^= 0xFF
            return bytes(out)
    raise ValueError("no code section")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("file")
    parser.add_argument("--cert", default="codesign", help="codesign, othersigner or impostor")
    args = parser.parse_args()
    with open(args.file, "rb") as f:
        data = f.read()
    try:
        signed = sign(data, args.cert)
    except (OSError, subprocess.CalledProcessError) as error:
        detail = getattr(error, "stderr", b"") or b""
        sys.exit("codesign: cannot sign %s with %s: %s %s" % (args.file, args.cert, error,
                                                             detail.decode(errors="replace")))
    with open(args.file, "wb") as f:
        f.write(signed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
