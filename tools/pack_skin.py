#!/usr/bin/env python3
"""Packs the skin folder into the ZIP archive the installer carries as its "ZIPRES" resource.

Usage: pack_skin.py SKIN_DIR OUTPUT.zip

Every file directly in SKIN_DIR becomes one deflated entry named as the file (no directory
entries, no paths). The archive is deterministic: entries in name order, fixed time stamps and
attributes, so the same skin always gives the same bytes. A sub-folder or a name the installer's
archive reader could not match (not plain ASCII) stops the build instead of being left out.
"""
import os
import sys
import zipfile

FIXED_TIME = (1980, 1, 1, 0, 0, 0)


def skin_files(folder):
    names = []
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if name.startswith("."):
            continue
        if not os.path.isfile(path):
            raise SystemExit("pack_skin: %s is not a plain file; the skin has no folders" % path)
        if not name.isascii() or not name.isprintable():
            raise SystemExit("pack_skin: %r is not a plain ASCII file name" % name)
        names.append(name)
    if not names:
        raise SystemExit("pack_skin: no files in %s" % folder)
    return names


def pack(folder, output):
    temporary = output + ".tmp"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name in skin_files(folder):
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0
            with open(os.path.join(folder, name), "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    os.replace(temporary, output)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    pack(argv[1], argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
