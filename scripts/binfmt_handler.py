"""Names the binfmt_misc handler that the kernel would hand a program to: the first enabled
entry whose magic (under its mask, at its offset) matches the program's first bytes. Prints the
entry's name and interpreter ("NAME INTERPRETER") and exits with 0, or exits with 1 when no
handler takes the program (it then runs natively, or not at all).

scripts/env.sh asks it about the 32-bit probe: a probe that runs through a handler runs under
emulation, however native it looks.
Usage: binfmt_handler.py PROGRAM [BINFMT_FOLDER]   (default /proc/sys/fs/binfmt_misc)"""
import os
import sys


def parse_entry(text):
    """The fields of an entry file ("enabled", "interpreter ...", "offset N", "magic HEX",
    "mask HEX"); None for an entry that matches by file name extension, or is unreadable."""
    fields = {"enabled": False, "offset": 0, "mask": None}
    for line in text.splitlines():
        key, _, value = line.partition(" ")
        if line == "enabled":
            fields["enabled"] = True
        elif key == "interpreter":
            fields["interpreter"] = value
        elif key == "offset":
            fields["offset"] = int(value)
        elif key in ("magic", "mask"):
            fields[key] = bytes.fromhex(value)
        elif key == "extension":
            return None
    return fields if "magic" in fields and "interpreter" in fields else None


def matches(entry, head):
    magic, offset = entry["magic"], entry["offset"]
    mask = entry["mask"] or b"\xff" * len(magic)
    data = head[offset:offset + len(magic)]
    return len(data) == len(magic) and all(
        (d & m) == (g & m) for d, m, g in zip(data, mask, magic))


def handler_for(program, folder):
    with open(program, "rb") as f:
        head = f.read(256)
    try:
        names = sorted(os.listdir(folder))
    except OSError:  # binfmt_misc is not mounted: no handler
        return None
    for name in names:
        if name in ("register", "status"):
            continue
        try:
            with open(os.path.join(folder, name)) as f:
                entry = parse_entry(f.read())
        except (OSError, ValueError):
            continue
        if entry and entry["enabled"] and matches(entry, head):
            return name, entry["interpreter"]
    return None


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    folder = argv[2] if len(argv) == 3 else "/proc/sys/fs/binfmt_misc"
    found = handler_for(argv[1], folder)
    if not found:
        return 1
    print(*found)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
