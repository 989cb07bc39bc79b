"""Authenticode signatures in the tests and the stand-in platform: signing with the test
authority's code-signing certificates (scripts/sign.sh), osslsigncode's verification against the
authority, and the system's own verdict under Wine (the signature probe,
tests/shipped/signature_probe.cpp).

Signers: "codesign" ("Vexo Test Publisher", the publisher the default build requires),
"othersigner" ("Other Test Publisher"), both vouched for by the test authority, and "impostor":
a self-signed certificate under the publisher's name that no authority vouches for (made on
first use, kept for the process)."""
import atexit
import hashlib
import os
import shutil
import ssl
import struct
import subprocess
import tempfile

from . import ROOT, testca

SIGN = os.path.join(ROOT, "scripts", "sign.sh")
PUBLISHER = "Vexo Test Publisher"
_impostor = {}

# WinVerifyTrust's results that the tests meet.
TRUSTED = 0
TRUST_E_NOSIGNATURE = 0x800B0100
TRUST_E_BAD_DIGEST = 0x80096010
TRUST_E_CERT_SIGNATURE = 0x80096004
CERT_E_EXPIRED = 0x800B0101
CERT_E_UNTRUSTEDROOT = 0x800B0109


def sign(exe, out=None, cert=None):
    """Signs exe (in place, or into out) with a certificate of the authority's folder; the
    completed process (sign.sh's exit code and its one-line error)."""
    args = ["bash", SIGN, exe] + ([out] if out else []) + (["--cert", cert] if cert else [])
    return subprocess.run(args, capture_output=True, text=True, timeout=120)


def osslsigncode_verify(exe):
    """(passed, output) of osslsigncode's verification with the test authority as the only
    trusted root. A PE checksum that does not match the file is only warned about, so callers
    look for that warning themselves (invalid_checksum)."""
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(testca.ca_dir(), "ca.crt"),
                             "-in", exe], capture_output=True, text=True, timeout=120)
    output = result.stdout + result.stderr
    return result.returncode == 0 and "Signature verification: ok" in output, output


def invalid_checksum(output):
    return "invalid PE checksum" in output


class Verdict:
    """What the signature probe printed: WinVerifyTrust's result, the signer's name and the
    Authenticode chain policy's verdict on the signer's chain."""

    def __init__(self, output):
        fields = dict(line.split("=", 1) for line in output.splitlines() if "=" in line)
        self.trust = int(fields.get("trust", "-1"), 16) & 0xFFFFFFFF
        self.signer = fields.get("signer", "")
        self.chain = int(fields.get("chain", "-1"), 16) & 0xFFFFFFFF
        self.output = output

    def __repr__(self):
        return "trust=0x%08x signer=%r chain=0x%08x" % (self.trust, self.signer, self.chain)


def probe_verdict(wine_run, probe, exe):
    """The system's verdict on exe's signature, from the signature probe run under Wine."""
    result = subprocess.run([wine_run, probe, exe], capture_output=True, timeout=120)
    return Verdict(result.stdout.decode("utf-8", "replace"))


class PeLayout:
    """Where the parts of a PE image (PE32 or PE32+) that a signature concerns lie in its bytes:
    the PE checksum, the certificate table's directory entry and the table, the first section's
    data (code, under the signature's digest)."""

    def __init__(self, data):
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        optional = pe + 24
        (optional_size,) = struct.unpack_from("<H", data, pe + 20)
        (magic,) = struct.unpack_from("<H", data, optional)
        self.checksum_at = optional + 64
        self.security_at = optional + (96 if magic == 0x10B else 112) + 4 * 8
        self.table, self.table_size = struct.unpack_from("<II", data, self.security_at)
        self.code = struct.unpack_from("<I", data, optional + optional_size + 20)[0]


def _impostor_base():
    """The impostor's certificate and key, as the path both share without their extensions."""
    if not _impostor:
        folder = tempfile.mkdtemp(prefix="vexo-impostor-")
        atexit.register(shutil.rmtree, folder, True)
        base = os.path.join(folder, "impostor")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
                        "-subj", "/CN=" + PUBLISHER, "-keyout", base + ".key", "-out", base + ".crt",
                        "-addext", "basicConstraints=critical,CA:FALSE",
                        "-addext", "keyUsage=critical,digitalSignature",
                        "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True)
        _impostor["base"] = base
    return _impostor["base"]


def _signer_name(signer):
    """What sign.sh's --cert takes for a signer."""
    return _impostor_base() if signer == "impostor" else signer


def thumbprint(signer="codesign"):
    """The SHA-256 of the signer's certificate (DER), in lower-case hexadecimal."""
    crt = _impostor_base() + ".crt" if signer == "impostor" else testca.cert_pair(signer)[0]
    with open(crt, encoding="ascii") as f:
        return hashlib.sha256(ssl.PEM_cert_to_DER_cert(f.read())).hexdigest()


def strip(data):
    """The image without its signature (the certificate table, which ends the file)."""
    pe = PeLayout(data)
    if pe.table == 0:
        return bytes(data)
    if pe.table + pe.table_size != len(data):
        raise ValueError("the certificate table does not end the file")
    out = bytearray(data[:pe.table])
    struct.pack_into("<II", out, pe.security_at, 0, 0)
    return bytes(out)


def sign_image(data, signer="codesign"):
    """The image signed by signer, replacing any signature it had."""
    with tempfile.TemporaryDirectory(prefix="vexo-sign-") as folder:
        exe = os.path.join(folder, "image.exe")
        with open(exe, "wb") as f:
            f.write(strip(data))
        result = sign(exe, cert=_signer_name(signer))
        if result.returncode != 0:
            raise RuntimeError(result.stderr.strip() or "sign.sh failed")
        with open(exe, "rb") as f:
            return f.read()


def change_code_byte(data, at=64):
    """The image with one byte of its first section's data (code, under the signature's digest)
    changed: its signature no longer holds."""
    out = bytearray(data)
    out[PeLayout(data).code + at] ^= 0xFF
    return bytes(out)


def image_digest(image):
    """The SHA-256 Authenticode digest of a signed image: everything before its certificate table
    but the checksum and the table's directory entry."""
    pe = PeLayout(image)
    return hashlib.sha256(image[:pe.checksum_at] + image[pe.checksum_at + 4:pe.security_at] +
                          image[pe.security_at + 8:pe.table]).digest()


def forged(data):
    """The signed image with a byte of code changed and the image digest in the signed content
    rewritten to the changed image's: the signer's own digest of that content no longer matches,
    which only a verifier that compares the two notices."""
    stored = data.find(image_digest(data), PeLayout(data).table)
    if stored < 0:
        raise ValueError("the signed content does not hold a SHA-256 image digest")
    changed = bytearray(change_code_byte(data, 100))
    changed[stored:stored + 32] = image_digest(bytes(changed))
    return bytes(changed)
