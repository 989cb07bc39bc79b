"""Writes a minimal static 32-bit x86 Linux program that exits with code 0 (scripts/env.sh runs
it to learn whether this machine runs 32-bit programs at all).
Usage: make-i386-probe.py OUTPUT"""
import os
import struct
import sys

BASE = 0x08048000
# mov eax, 1 (exit); xor ebx, ebx (code 0); int 0x80
CODE = bytes([0xB8, 0x01, 0x00, 0x00, 0x00, 0x31, 0xDB, 0xCD, 0x80])
EHDR_SIZE, PHDR_SIZE = 52, 32
entry = BASE + EHDR_SIZE + PHDR_SIZE
size = EHDR_SIZE + PHDR_SIZE + len(CODE)

ehdr = b"\x7fELF" + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, entry, EHDR_SIZE, 0, 0, EHDR_SIZE, PHDR_SIZE, 1, 0, 0, 0)
# One loadable, readable and executable segment holding the whole file.
phdr = struct.pack("<IIIIIIII", 1, 0, BASE, BASE, size, size, 5, 0x1000)

out = sys.argv[1]
with open(out + ".tmp", "wb") as f:
    f.write(ehdr + phdr + CODE)
os.chmod(out + ".tmp", 0o755)
os.replace(out + ".tmp", out)
