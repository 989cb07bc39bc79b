#!/usr/bin/env python3
"""The skin's packing step and pictures: the archive is deterministic, flat and deflated and is
what the build embedded; the packer refuses what the installer could not read; the picture
generator reproduces every committed picture pixel for pixel (so the committed files are the
generator's output, and a change to either shows).

Usage: skin_art_test.py --root REPO --packed BUILT_SKIN.zip
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

from vexoharness.pictures.png import decode_png  # the generator's own reader

ARGS = None


def pack(skin, output):
    return subprocess.run([sys.executable, os.path.join(ARGS.root, "tools", "pack_skin.py"),
                           skin, output], capture_output=True, text=True, timeout=300)


def ico_images(data):
    """The images of an .ico file: (width, bytes) per entry."""
    count = struct.unpack("<H", data[4:6])[0]
    out = []
    for i in range(count):
        entry = data[6 + 16 * i:22 + 16 * i]
        width, _, _, _, _, _, size, offset = struct.unpack("<BBBBHHII", entry)
        out.append((width or 256, data[offset:offset + size]))
    return out


class SkinArchive(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="skin-")
        self.skin = os.path.join(ARGS.root, "skin")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def test_archive_is_deterministic_flat_deflated_and_embedded(self):
        first, second = os.path.join(self.dir, "a.zip"), os.path.join(self.dir, "b.zip")
        self.assertEqual(pack(self.skin, first).returncode, 0)
        self.assertEqual(pack(self.skin, second).returncode, 0)
        with open(first, "rb") as f:
            data = f.read()
        with open(second, "rb") as f:
            self.assertEqual(f.read(), data)
        with open(ARGS.packed, "rb") as f:
            self.assertEqual(f.read(), data, "the build packed the committed skin")
        with zipfile.ZipFile(first) as archive:
            self.assertIsNone(archive.testzip())
            infos = archive.infolist()
            self.assertEqual(sorted(i.filename for i in infos), sorted(os.listdir(self.skin)))
            for info in infos:
                self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED, info.filename)
                self.assertFalse(info.is_dir())
                self.assertNotIn("/", info.filename)

    def test_packer_refuses_what_the_installer_cannot_read(self):
        cases = {"folder": lambda d: os.mkdir(os.path.join(d, "sub")),
                 "name": lambda d: open(os.path.join(d, "b\u00e4d.png"), "wb").close(),
                 "empty": lambda d: None}
        for name, make in cases.items():
            with self.subTest(name):
                skin = os.path.join(self.dir, name)
                os.mkdir(skin)
                if name != "empty":
                    with open(os.path.join(skin, "a.png"), "wb") as f:
                        f.write(b"x")
                make(skin)
                output = os.path.join(self.dir, name + ".zip")
                result = pack(skin, output)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn("pack_skin:", result.stderr)
                self.assertFalse(os.path.exists(output))


class Generator(unittest.TestCase):
    def test_generator_reproduces_the_committed_pictures(self):
        out = tempfile.mkdtemp(prefix="art-")
        try:
            result = subprocess.run([sys.executable, os.path.join(ARGS.root, "tools", "art",
                                                                  "make_art.py"), "--root", out],
                                    capture_output=True, text=True, timeout=850)
            self.assertEqual(result.returncode, 0, result.stderr)
            listed = subprocess.run([sys.executable, os.path.join(ARGS.root, "tools", "art",
                                                                  "make_art.py"), "--list"],
                                    capture_output=True, text=True, check=True).stdout.split()
            self.assertTrue(listed)
            for relative in listed:
                with self.subTest(relative):
                    with open(os.path.join(ARGS.root, relative), "rb") as f:
                        committed = f.read()
                    with open(os.path.join(out, relative), "rb") as f:
                        fresh = f.read()
                    if relative.endswith(".ico"):
                        pairs = zip(ico_images(committed), ico_images(fresh))
                        for (w1, a), (w2, b) in pairs:
                            self.assertEqual(w1, w2)
                            if a[:4] == b"\x89PNG":
                                self.assertEqual(decode_png(a), decode_png(b))
                            else:
                                self.assertEqual(a, b, "icon %d" % w1)
                    else:
                        self.assertEqual(decode_png(committed), decode_png(fresh))
        finally:
            shutil.rmtree(out, ignore_errors=True)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--packed", required=True)
    ARGS, rest = parser.parse_known_args()
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
