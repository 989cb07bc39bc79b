#!/usr/bin/env python3
"""The stamping tool on real executables, and the stamp as a stamped program reads it itself."""
import argparse
import contextlib
import importlib.util
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

from vexoharness import signing

ARGS = None
STAMP_OFFSET = 0x4E


def load_tool():
    spec = importlib.util.spec_from_file_location("stamp", ARGS.tool)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


class ProbeCopy(unittest.TestCase):
    """A copy of the stamp probe, which prints the stamp it reads from its own file."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="stamp-")
        self.probe = os.path.join(self.dir, "probe.exe")
        shutil.copy(ARGS.probe, self.probe)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def tool(self, *args):
        return subprocess.run([sys.executable, ARGS.tool, *args], capture_output=True, text=True)

    def read_by_probe(self, *probe_args):
        out = subprocess.run([ARGS.wine, self.probe, *probe_args], capture_output=True,
                             timeout=120, check=True).stdout
        return out.decode("latin-1").rstrip("\r\n")

    def write_raw(self, stamp_bytes):
        with open(self.probe, "r+b") as f:
            f.seek(STAMP_OFFSET)
            f.write(stamp_bytes)


class StampedExecutable(ProbeCopy):
    def test_unstamped_executable_reads_its_dos_stub(self):
        self.assertEqual(self.read_by_probe(), "This pr|gram cann")

    def test_tool_stamp_is_read_by_the_program_whatever_its_command_line(self):
        result = self.tool(self.probe, "1000450", "qqgame")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.read_by_probe(), "1000450|qqgame")
        self.assertEqual(self.read_by_probe("7777777", "--comefrom=x"), "1000450|qqgame")

    def test_tool_changes_exactly_the_seventeen_stamp_bytes(self):
        with open(self.probe, "rb") as f:
            before = f.read()
        self.assertEqual(self.tool(self.probe, "1234567", "abcdefghi").returncode, 0)
        with open(self.probe, "rb") as f:
            after = f.read()
        self.assertEqual(len(before), len(after))
        changed = [i for i in range(len(before)) if before[i] != after[i]]
        self.assertTrue(changed)
        self.assertGreaterEqual(min(changed), STAMP_OFFSET)
        self.assertLess(max(changed), STAMP_OFFSET + 17)
        self.assertEqual(after[STAMP_OFFSET:STAMP_OFFSET + 17], b"1234567 abcdefghi")

    def test_stamps_written_by_other_means(self):
        cases = [
            (b"1000450Xqqgame   ", "1000450|qqgame"),      # separator never examined
            (b" 123456 qqgame   ", " 123456|qqgame"),      # game id not trimmed
            (b"1000450          ", "1000450|"),            # all-space tag
            (b"1000450 ab\x00cdefgh", "1000450|ab"),           # early NUL ends the text
            (b"1000\x00450 qqgame  ", "1000|"),
        ]
        for raw, expected in cases:
            with self.subTest(raw=raw):
                self.write_raw(raw)
                self.assertEqual(self.read_by_probe(), expected)

    def test_print_shows_the_stamp(self):
        self.tool(self.probe, "1000450", "web")
        result = self.tool("--print", self.probe)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout.splitlines(), ["GameId=1000450", "Comefrom=web", "Place=DOS stub"])

    def test_refusals_leave_the_file_untouched(self):
        text_file = os.path.join(self.dir, "notes.exe")
        with open(text_file, "wb") as f:
            f.write(b"MZ" + b"x" * 200)
        cases = [
            (self.probe, "123456", "web"),            # six digits
            (self.probe, "12345678", "web"),          # eight digits
            (self.probe, " 123456", "web"),           # a space is not a digit
            (self.probe, "12a4567", "web"),
            (self.probe, "0001234", "web"),           # a leading zero: no id of the platform
            (self.probe, "1234567", "tenletters"),    # 10 characters
            (self.probe, "1234567", "\u6e20\u9053"),    # not ASCII (6 bytes in UTF-8)
            (self.probe, "1234567", "caf\u00e9"),        # one byte in the ANSI code page, not ASCII
            (self.probe, "1234567", "a\tb"),             # a control character
            (self.probe, "1234567", "ab\x7f"),
            # printable ASCII that JSON text or a URL would have to escape
            (self.probe, "1234567", 'a"b'),
            (self.probe, "1234567", "a&b"),
            (self.probe, "1234567", "100%"),
            (self.probe, "1234567", "a b"),
            (self.probe, "1234567", "a/b"),
            (text_file, "1234567", "web"),             # MZ but no PE image
            (os.path.join(self.dir, "missing.exe"), "1234567", "web"),
        ]
        with open(self.probe, "rb") as f:
            probe_before = f.read()
        for args in cases:
            with self.subTest(args=args):
                result = self.tool(*args)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                self.assertTrue(result.stderr.startswith("stamp: "), result.stderr)
        with open(self.probe, "rb") as f:
            self.assertEqual(f.read(), probe_before)
        with open(text_file, "rb") as f:
            self.assertEqual(f.read(), b"MZ" + b"x" * 200)

    def test_nul_in_tag_is_refused(self):
        tool = load_tool()
        with self.assertRaises(tool.StampError):
            tool.encode_stamp("1234567", "ab\0cd")

    def test_letters_digits_dash_underscore_and_dot_are_written_as_they_are(self):
        result = self.tool(self.probe, "1234567", "web-0_1.x")
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.probe, "rb") as f:
            f.seek(STAMP_OFFSET)
            self.assertEqual(f.read(17), b"1234567 web-0_1.x")
        # No tag: an installer that sends no usage report.
        self.assertEqual(load_tool().encode_stamp("1234567", ""), b"1234567          ")

    def test_file_that_cannot_be_written_gives_one_line(self):
        # The real file is a PE image that can be read; only opening it for writing fails (as for
        # a read-only file, which root could still write, so the open is made to fail here).
        tool = load_tool()
        real_open = open

        def refusing_open(path, mode="r", *args, **kwargs):
            if "+" in mode or "w" in mode:
                raise PermissionError(13, "Permission denied", path)
            return real_open(path, mode, *args, **kwargs)
        tool.open = refusing_open
        stderr = io.StringIO()
        with contextlib.redirect_stderr(stderr):
            code = tool.main(["stamp.py", self.probe, "1234567", "web"])
        self.assertEqual(code, 1)
        lines = stderr.getvalue().splitlines()
        self.assertEqual(len(lines), 1, stderr.getvalue())
        self.assertTrue(lines[0].startswith("stamp: ") and "cannot write" in lines[0], lines[0])


class SignedExecutable(ProbeCopy):
    """The stamp of a signed program goes into its signature, which stays valid."""

    def setUp(self):
        super().setUp()
        result = signing.sign(self.probe)
        self.assertEqual(result.returncode, 0, result.stderr)

    def read(self):
        with open(self.probe, "rb") as f:
            return f.read()

    def assert_signature_holds(self, label):
        passed, output = signing.osslsigncode_verify(self.probe)
        self.assertTrue(passed, label + ": osslsigncode verify\n" + output)
        self.assertFalse(signing.invalid_checksum(output), label + ": the PE checksum\n" + output)
        verdict = signing.probe_verdict(ARGS.wine, ARGS.signature_probe, self.probe)
        self.assertEqual(verdict.trust, signing.TRUSTED, label + ": WinVerifyTrust %r" % verdict)

    def test_three_tags_one_after_the_other_keep_the_signature_valid(self):
        signed = self.read()
        pe = signing.PeLayout(signed)
        oid = load_tool().STAMP_OID_DER
        stamped_size = None
        for game_id, tag in [("1000450", "qqgame"), ("7654321", "web-0_1.x"), ("1234567", "")]:
            label = "%s %r" % (game_id, tag)
            result = self.tool(self.probe, game_id, tag)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assert_signature_holds(label)
            self.assertEqual(self.read_by_probe(), game_id + "|" + tag, label)
            self.assertEqual(self.tool("--print", self.probe).stdout.splitlines(),
                             ["GameId=" + game_id, "Comefrom=" + tag, "Place=signature"], label)
            data = self.read()
            self.assertEqual(data[pe.table:].count(oid), 1, label + ": one stamp, the earlier one replaced")
            # Before the table only the checksum and the table's size may change; the DOS stub
            # (under the signature's digest) is as it was signed.
            unchanged = [(0, pe.checksum_at), (pe.checksum_at + 4, pe.security_at + 4),
                         (pe.security_at + 8, pe.table)]
            for start, end in unchanged:
                self.assertEqual(data[start:end], signed[start:end], label)
            table, size = struct.unpack_from("<II", data, pe.security_at)
            length, revision, kind = struct.unpack_from("<IHH", data, table)
            self.assertEqual((table + size, size % 8, length, revision, kind),
                             (len(data), 0, size, 0x0200, 2), label + ": one aligned entry ends the file")
            stamped_size = stamped_size or len(data)
            self.assertEqual(len(data), stamped_size, label + ": a new stamp takes the old one's place")

    def test_a_stamp_written_before_signing_is_read_until_one_goes_into_the_signature(self):
        shutil.copy(ARGS.probe, self.probe)
        self.assertEqual(self.tool(self.probe, "1111111", "old").returncode, 0)
        self.assertEqual(signing.sign(self.probe).returncode, 0)
        self.assertEqual(self.read_by_probe(), "1111111|old")
        self.assertEqual(self.tool("--print", self.probe).stdout.splitlines()[2], "Place=DOS stub")
        self.assertEqual(self.tool(self.probe, "2222222", "new").returncode, 0)
        self.assert_signature_holds("stamped after signing")
        self.assertEqual(self.read_by_probe(), "2222222|new")
        self.assertEqual(self.read()[STAMP_OFFSET:STAMP_OFFSET + 17], b"1111111 old      ")

    def test_signatures_the_tool_cannot_rewrite_are_refused_untouched(self):
        signed = self.read()
        pe = signing.PeLayout(signed)

        def with_entry_field(offset, value):
            data = bytearray(signed)
            struct.pack_into("<I", data, pe.table + offset, value)
            return bytes(data)
        cases = [
            ("bytes after the certificate table", signed + bytes(8)),
            ("an entry that is no PKCS#7", with_entry_field(4, 0x00010200)),
            ("a PKCS#7 cut off", with_entry_field(0, pe.table_size - 64)),
        ]
        for name, content in cases:
            with self.subTest(name):
                with open(self.probe, "wb") as f:
                    f.write(content)
                result = self.tool(self.probe, "1234567", "web")
                self.assertEqual(result.returncode, 1, name)
                self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                self.assertEqual(self.read(), content, name)


class InstallerImage(unittest.TestCase):
    # The build under test is i686 (PE32) or, on machines without 32-bit support, x86_64 (PE32+);
    # shipped_image_test.py checks that the installer that ships is PE32.
    def test_installer_is_a_gui_pe_image_that_takes_a_stamp(self):
        with open(ARGS.installer, "rb") as f:
            data = f.read(4096)
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        self.assertEqual(data[pe:pe + 4], b"PE\0\0")
        (machine,) = struct.unpack_from("<H", data, pe + 4)
        (magic,) = struct.unpack_from("<H", data, pe + 24)
        self.assertIn((machine, magic), [(0x14C, 0x10B), (0x8664, 0x20B)])  # PE32 or PE32+
        (subsystem,) = struct.unpack_from("<H", data, pe + 24 + 68)
        self.assertEqual(subsystem, 2)                        # Windows GUI
        self.assertEqual(data[STAMP_OFFSET:STAMP_OFFSET + 17], b"This program cann")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("tool", "probe", "signature-probe", "installer", "wine"):
        parser.add_argument("--" + name, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
