#!/usr/bin/env python3
"""Writes or prints the package stamp of a built installer executable.

The stamp is 17 bytes at file offset 0x4E, inside the DOS-stub text of the PE image:
7 bytes of game id, one separator byte (a space), and a 9-byte channel tag padded with spaces.
The tag is made of ASCII letters, digits, "-", "_" and "." only: the installer reads it as text
of the system's ANSI code page, where only ASCII reads the same on every machine, and names it
in its usage report (JSON text in a URL), which these characters pass through unescaped. An
empty tag is allowed: that installer sends no usage report.

    stamp.py EXE GAMEID COMEFROM   write the stamp (nothing else in the file changes): GAMEID is
                                   7 digits, COMEFROM up to 9 of A-Z a-z 0-9 - _ . (or "")
    stamp.py --print EXE           print the stamp as the installer reads it

Runs with Python 3 on Linux and on Windows. Every check is made before the file is opened for
writing, so a refused request leaves the file untouched.
"""
import string
import struct
import sys

STAMP_OFFSET = 0x4E
STAMP_SIZE = 17
GAME_ID_SIZE = 7
TAG_SIZE = 9
TAG_CHARACTERS = frozenset(string.ascii_letters + string.digits + "-_.")


class StampError(Exception):
    pass


def check_pe_image(path):
    """Refuses anything that is not a PE image whose stub holds the stamp bytes."""
    try:
        with open(path, "rb") as f:
            head = f.read(0x40)
            if len(head) < 0x40 or head[:2] != b"MZ":
                raise StampError(f"{path}: not a Windows executable (no MZ header)")
            (pe_offset,) = struct.unpack_from("<I", head, 0x3C)
            if pe_offset < STAMP_OFFSET + STAMP_SIZE:
                raise StampError(f"{path}: the PE header overlaps the stamp bytes")
            f.seek(pe_offset)
            if f.read(4) != b"PE\0\0":
                raise StampError(f"{path}: not a PE image (no PE signature)")
    except OSError as e:
        raise StampError(f"{path}: cannot read: {e.strerror}") from None


def encode_stamp(game_id, comefrom):
    if len(game_id) != GAME_ID_SIZE or not all("0" <= c <= "9" for c in game_id):
        raise StampError(f"game id {game_id!r}: must be exactly {GAME_ID_SIZE} decimal digits")
    if game_id[0] == "0":
        raise StampError(f"game id {game_id!r}: the platform's ids do not begin with 0")
    if not all(c in TAG_CHARACTERS for c in comefrom):
        raise StampError(f"channel tag {comefrom!r}: only ASCII letters, digits, '-', '_' and '.'")
    if len(comefrom) > TAG_SIZE:
        raise StampError(f"channel tag {comefrom!r}: {len(comefrom)} characters, at most {TAG_SIZE}")
    return game_id.encode("ascii") + b" " + comefrom.encode("ascii").ljust(TAG_SIZE, b" ")


def decode_stamp(raw):
    """Splits stamp bytes the way the installer does."""
    text = raw.split(b"\0", 1)[0]
    game_id = text[:GAME_ID_SIZE]
    comefrom = text[8:STAMP_SIZE].strip(b" ") if len(text) > 8 else b""
    return game_id.decode("latin-1"), comefrom.decode("latin-1")


def write_stamp(path, game_id, comefrom):
    stamp = encode_stamp(game_id, comefrom)
    check_pe_image(path)
    try:
        with open(path, "r+b") as f:
            f.seek(STAMP_OFFSET)
            f.write(stamp)
    except OSError as e:
        raise StampError(f"{path}: cannot write: {e.strerror}") from None


def read_stamp(path):
    check_pe_image(path)
    with open(path, "rb") as f:
        f.seek(STAMP_OFFSET)
        return f.read(STAMP_SIZE)


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "--print":
            game_id, comefrom = decode_stamp(read_stamp(argv[2]))
            print(f"GameId={game_id}")
            print(f"Comefrom={comefrom}")
            return 0
        if len(argv) == 4:
            write_stamp(argv[1], argv[2], argv[3])
            return 0
    except StampError as e:
        print(f"stamp: {e}", file=sys.stderr)
        return 1
    print(__doc__.strip().split("\n\n")[2], file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
