"""Authenticode signatures in the tests: signing with the test authority's code-signing
certificates (scripts/sign.sh), osslsigncode's verification against the authority, and the
system's own verdict under Wine (the signature probe, tests/shipped/signature_probe.cpp)."""
import os
import struct
import subprocess

from . import ROOT, testca

SIGN = os.path.join(ROOT, "scripts", "sign.sh")

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
