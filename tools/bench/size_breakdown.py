"""What an executable is made of, by library, from the linker's map file (GNU ld -Map).

Every input section the link kept is counted under the library (or object) it came from; the
sections the link dropped (--gc-sections) and the debugging sections (stripped from the shipped
file) are not. Sizes are the sections' own, before the file's alignment padding.

    python3 size_breakdown.py PROGRAM.map [--top N]
"""
import argparse
import collections
import os
import re
import sys

# An input section line: " .text  0x00401000  0x1c  /path/lib.a(member.o)"; a long section name
# puts the address, size and file on the next line.
_INPUT = re.compile(r"^ (\S+)?\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
_NAME_ONLY = re.compile(r"^ (\S+)$")
_OUTPUT = re.compile(r"^(\S+)(\s+0x[0-9a-fA-F]+\s+0x[0-9a-fA-F]+)?")

# Output sections that are not part of the loaded image.
_NOT_LOADED = re.compile(r"^(/DISCARD/|\.debug|\.zdebug|\.stab|\.comment|\.gnu\.)")

_RUNTIME = {"libstdc++.a", "libgcc.a", "libgcc_eh.a", "libmingwex.a", "libmingw32.a",
            "libmsvcrt.a", "libmoldname.a", "libpthread.a", "libwinpthread.a", "libssp.a"}


def owner(path):
    """The library a kept input section belongs to, named for the reader."""
    member = re.match(r"^(.*\.a)\((.*)\)$", path)
    if member:
        library = os.path.basename(member.group(1))
        if library in _RUNTIME:
            return "C and C++ run-time"
        # The toolchain's own libraries (not the dependencies built into the cache).
        if re.match(r"/usr/.*-w64-mingw32/lib/", member.group(1)) and library != "libz.a":
            return "Windows import tables"
        return library
    if path.endswith(".res.o"):
        return "resources (icon, skin package)"
    target = re.search(r"CMakeFiles/([^/]+)\.dir/", path)
    if target:
        return target.group(1) + " (objects)"
    base = os.path.basename(path)
    if base.startswith(("crt", "dll")) or "/mingw" in path or "/gcc/" in path:
        return "C and C++ run-time"
    return base


def kept_sizes(lines):
    """Bytes per owner of every input section placed in a loaded output section."""
    sizes = collections.Counter()
    in_map = False
    loaded = False
    pending = None
    for line in lines:
        line = line.rstrip("\n")
        if not in_map:
            in_map = line.startswith("Linker script and memory map")
            continue
        if line and not line[0].isspace():
            output = _OUTPUT.match(line)
            loaded = bool(output) and not _NOT_LOADED.match(output.group(1))
            pending = None
            continue
        if not loaded:
            continue
        if _NAME_ONLY.match(line):
            pending = line.strip()
            continue
        found = _INPUT.match(line)
        if found and (found.group(1) or pending):
            size = int(found.group(3), 16)
            if size:
                sizes[owner(found.group(4).strip())] += size
        pending = None
    return sizes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("map")
    parser.add_argument("--top", type=int, default=14)
    args = parser.parse_args()
    with open(args.map, encoding="utf-8", errors="replace") as f:
        sizes = kept_sizes(f)
    if not sizes:
        sys.exit("size_breakdown: no kept sections in " + args.map)
    total = sum(sizes.values())
    ranked = sizes.most_common()
    shown, rest = ranked[:args.top], ranked[args.top:]
    print(f"{'part of ' + os.path.basename(args.map):<44} {'KiB':>9} {'share':>7}")
    for name, size in shown:
        print(f"{name:<44} {size / 1024:9.1f} {100 * size / total:6.1f}%")
    if rest:
        other = sum(size for _, size in rest)
        print(f"{'(' + str(len(rest)) + ' more)':<44} {other / 1024:9.1f} {100 * other / total:6.1f}%")
    print(f"{'total of the kept sections':<44} {total / 1024:9.1f}")


if __name__ == "__main__":
    main()
