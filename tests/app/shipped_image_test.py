"""Checks the image of the installer that ships: a 32-bit Windows GUI program (PE32, Intel
80386) without a symbol table (stripped, as players get it), whatever architecture the rest of
the suite was built for on this machine.
Usage: shipped_image_test.py INSTALLER"""
import struct
import sys

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read(4096)
    assert data[:2] == b"MZ", "no DOS header"
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", "no PE header"
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    symbol_table, symbols = struct.unpack_from("<II", data, pe + 12)
    magic, = struct.unpack_from("<H", data, pe + 24)
    subsystem, = struct.unpack_from("<H", data, pe + 24 + 68)
    print(f"machine {machine:#x}, optional header {magic:#x}, subsystem {subsystem}, "
          f"{symbols} symbols")
    assert machine == IMAGE_FILE_MACHINE_I386, "not an Intel 80386 image"
    assert magic == PE32_MAGIC, "not PE32"
    assert subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI, "not a GUI program"
    assert symbol_table == 0 and symbols == 0, "carries a symbol table (not stripped)"
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
