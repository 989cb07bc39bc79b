#!/usr/bin/env python3
"""The signing script (scripts/sign.sh), and what Wine's WinVerifyTrust checks of a signature:
the verdicts of the signature probe on a signed program and on copies spoilt one way each.

Usage: signature_test.py --probe signature_probe.exe --program SOME.exe --wine scripts/wine-run.sh
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

from vexoharness import signing

ARGS = None


class Workspace(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="sign-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def signed_copy(self, name, cert=None):
        out = self.path(name)
        result = signing.sign(ARGS.program, out, cert)
        self.assertEqual(result.returncode, 0, result.stderr)
        return out

    def verdict(self, exe):
        return signing.probe_verdict(ARGS.wine, ARGS.probe, exe)


class SigningScript(Workspace):
    def test_signs_a_copy_that_verifies_with_the_authority_and_its_chain(self):
        with open(ARGS.program, "rb") as f:
            before = f.read()
        signed = self.signed_copy("signed.exe")
        with open(ARGS.program, "rb") as f:
            self.assertEqual(f.read(), before, "the input is left as it was")
        passed, output = signing.osslsigncode_verify(signed)
        self.assertTrue(passed, output)
        self.assertIn("Message digest algorithm  : SHA256", output)
        self.assertIn("Subject: /CN=Vexo Test Publisher", output)
        self.assertFalse(signing.invalid_checksum(output), output)
        # The chain travels in the signature: the authority's certificate is among its own.
        self.assertIn("Subject: /CN=Vexo Test CA", output)
        verdict = self.verdict(signed)
        self.assertEqual((verdict.trust, verdict.signer), (signing.TRUSTED, "Vexo Test Publisher"), verdict)

    def test_signing_again_in_place_replaces_the_signature(self):
        exe = self.signed_copy("exe.exe")
        size = os.path.getsize(exe)
        result = signing.sign(exe, cert="othersigner")
        self.assertEqual(result.returncode, 0, result.stderr)
        passed, output = signing.osslsigncode_verify(exe)
        self.assertTrue(passed, output)
        self.assertIn("Number of verified signatures: 1", output)
        self.assertEqual(self.verdict(exe).signer, "Other Test Publisher")
        self.assertLess(abs(os.path.getsize(exe) - size), 64, "one signature, not two")

    def test_refusals_say_why_and_leave_the_file_alone(self):
        junk = self.path("junk.exe")
        with open(junk, "wb") as f:
            f.write(b"MZ not a program")
        shutil.copy(ARGS.program, self.path("program.exe"))
        for args, code in [([], 2), ([self.path("program.exe"), "--cert"], 2),
                           ([self.path("program.exe"), "--cert", "nosuch"], 1), ([junk], 1),
                           ([self.path("missing.exe")], 1)]:
            with self.subTest(args=args):
                result = subprocess.run(["bash", signing.SIGN, *args], capture_output=True, text=True)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
        with open(junk, "rb") as f:
            self.assertEqual(f.read(), b"MZ not a program")
        with open(self.path("program.exe"), "rb") as f, open(ARGS.program, "rb") as g:
            self.assertEqual(f.read(), g.read())


def spoilt(data, at, value=None):
    """A copy of data with the byte at at changed (to value, or one bit flipped)."""
    copy = bytearray(data)
    copy[at] = value if value is not None else copy[at] ^ 1
    return bytes(copy)


class WhatWinVerifyTrustChecks(Workspace):
    """Measured under Wine 8: what the system's verdict rests on. Windows refuses every spoilt
    copy here; Wine refuses those of the first table and accepts those of the second, whose
    faults only a separate chain check (or osslsigncode) finds."""

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def test_refused(self):
        with open(self.signed_copy("signed.exe"), "rb") as f:
            data = f.read()
        with open(ARGS.program, "rb") as f:
            unsigned = f.read()
        pe = signing.PeLayout(data)
        cases = [
            ("unsigned", unsigned, signing.TRUST_E_NOSIGNATURE),
            ("a byte of code changed", spoilt(data, pe.code + 100), signing.TRUST_E_BAD_DIGEST),
            ("a byte of the DOS stub changed", spoilt(data, 0x4E), signing.TRUST_E_BAD_DIGEST),
            ("a byte of the signature value changed", spoilt(data, pe.table + pe.table_size - 20),
             signing.TRUST_E_CERT_SIGNATURE),
            # Wine finds no signature in a file whose certificate table is not its end.
            ("bytes after the certificate table", data + bytes(8), signing.TRUST_E_NOSIGNATURE),
        ]
        for name, content, expected in cases:
            with self.subTest(name):
                verdict = self.verdict(self.write("spoilt.exe", content))
                self.assertEqual(verdict.trust, expected, verdict)

    def test_accepted_under_wine(self):
        with open(self.signed_copy("signed.exe"), "rb") as f:
            data = f.read()
        pe = signing.PeLayout(data)
        padded = bytearray(data + b"\x01" * 8)
        struct.pack_into("<I", padded, pe.table, pe.table_size + 8)
        struct.pack_into("<I", padded, pe.security_at + 4, pe.table_size + 8)
        cases = [
            # Left out of the digest on Windows too.
            ("the PE checksum changed", spoilt(data, pe.checksum_at), signing.TRUSTED),
            # Windows' padding check refuses bytes after the PKCS#7 blob inside its entry.
            ("bytes after the PKCS#7 blob", bytes(padded), signing.TRUSTED),
            ("a code change with the signed digest rewritten to match", signing.forged(data), signing.TRUSTED),
        ]
        for name, content, expected in cases:
            with self.subTest(name):
                exe = self.write("spoilt.exe", content)
                verdict = self.verdict(exe)
                self.assertEqual(verdict.trust, expected, verdict)
        self.assertFalse(signing.osslsigncode_verify(self.write("forged.exe", signing.forged(data)))[0],
                         "osslsigncode refuses the forged digest")

    def test_signers_accepted_under_wine_whose_chain_fails(self):
        cases = [
            ("a self-signed certificate", "selfsigned", signing.CERT_E_UNTRUSTEDROOT),
            ("an expired certificate", "expired", signing.CERT_E_EXPIRED),
            ("another publisher of the authority", "othersigner", signing.TRUSTED),
        ]
        for name, cert, chain in cases:
            with self.subTest(name):
                verdict = self.verdict(self.signed_copy(cert + ".exe", cert))
                self.assertEqual((verdict.trust, verdict.chain), (signing.TRUSTED, chain), verdict)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("probe", "program", "wine"):
        parser.add_argument("--" + name, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
