"""Checks the image of the installer that ships, as Windows reads it before running a line of it,
and the same things of the gallery executable:

- the installer is a 32-bit Windows GUI program (PE32, Intel 80386) without a symbol table
  (stripped, as players get it), whatever architecture the rest of the suite was built for;
- the process manifest: runs as invoker (no elevation by Windows' installer detection), the
  supported systems 7 to 11, Common Controls 6, long paths, per-monitor DPI awareness;
- the version resource: the project's version as numbers and as text, the program's names, in
  a Chinese (Simplified) and an English block, both named in the Translation list;
- the PE flags: relocatable (with its relocations), NX compatible, Remote Desktop aware,
  high-entropy addresses for a PE32+ image, no section both writable and executable;
- stack protection: the image holds the support library's stack check failure routine (its
  message is linked only when instrumented code calls it: the link drops every unreferenced
  function), and not GCC's libssp ("stack smashing detected"), whose guard set-up would load
  DLLs before the program restricts where DLLs come from;
- DLL search: every DLL loaded at start (the import table) is a KnownDLL of every supported
  system, which Windows never takes from the program's folder (the others are delay-loaded; GNU
  ld leaves the delay-import directory of the header empty, so the image does not list them).

Usage: shipped_image_test.py --installer EXE --gallery EXE --version X.Y.Z
"""
import argparse
import struct
import sys
import xml.etree.ElementTree as ElementTree

try:
    import pefile
except ImportError:
    # Debian's python3-pefile, for an interpreter that does not search Debian's own folder.
    sys.path.append("/usr/lib/python3/dist-packages")
    import pefile

from vexoharness.checks import check, summary

IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
PE32_MAGIC = 0x10B
PE32_PLUS_MAGIC = 0x20B
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
DLL_FLAGS = {  # IMAGE_DLLCHARACTERISTICS_*
    "HIGH_ENTROPY_VA": 0x0020,
    "DYNAMIC_BASE": 0x0040,
    "NX_COMPAT": 0x0100,
    "TERMINAL_SERVER_AWARE": 0x8000,
}
SECTION_EXECUTE = 0x20000000
SECTION_WRITE = 0x80000000

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
# KnownDLLs of Windows 7 that are KnownDLLs of Windows 8, 8.1, 10 and 11 as well.
KNOWN_DLLS = {
    "advapi32", "clbcatq", "comdlg32", "difxapi", "gdi32", "imagehlp", "imm32", "kernel32",
    "msctf", "msvcrt", "normaliz", "nsi", "ole32", "oleaut32", "psapi", "rpcrt4", "sechost",
    "setupapi", "shell32", "shlwapi", "user32", "wldap32", "ws2_32",
}
VERSION_KEYS = ("CompanyName", "ProductName", "FileDescription", "FileVersion",
                "ProductVersion", "InternalName", "OriginalFilename", "LegalCopyright")
# StringFileInfo blocks: language and code page 1200 (Unicode).
BLOCKS = {"080404b0": (0x0804, 1200), "040904b0": (0x0409, 1200)}
STACK_CHECK_MESSAGE = b"Vexo: stack buffer overrun detected"
LIBSSP_MESSAGE = b"stack smashing detected"


def load(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[
        pefile.DIRECTORY_ENTRY[name] for name in (
            "IMAGE_DIRECTORY_ENTRY_IMPORT", "IMAGE_DIRECTORY_ENTRY_RESOURCE")])
    return pe


def check_shipped_build(name, pe):
    """The installer as players get it: 32-bit, GUI, stripped."""
    header = pe.FILE_HEADER
    check(header.Machine == IMAGE_FILE_MACHINE_I386, name + ": an Intel 80386 image")
    check(pe.OPTIONAL_HEADER.Magic == PE32_MAGIC, name + ": PE32")
    check(header.PointerToSymbolTable == 0 and header.NumberOfSymbols == 0,
          name + ": no symbol table (stripped)")


def manifest_elements(pe):
    """The process manifest's elements by local name (namespaces dropped)."""
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != pefile.RESOURCE_TYPE["RT_MANIFEST"]:
            continue
        for item in entry.directory.entries:
            if item.id != 1:  # the process manifest
                continue
            data = item.directory.entries[0].data.struct
            text = pe.get_data(data.OffsetToData, data.Size)
            elements = {}
            for element in ElementTree.fromstring(text).iter():
                elements.setdefault(element.tag.split("}")[-1], []).append(element)
            return elements
    return {}


def check_manifest(name, pe):
    elements = manifest_elements(pe)
    if not check(bool(elements), name + ": has a process manifest"):
        return
    level = [e.attrib for e in elements.get("requestedExecutionLevel", [])]
    check(level == [{"level": "asInvoker", "uiAccess": "false"}],
          name + ": runs as invoker, without UI access", [str(level)])
    systems = {e.get("Id", "").lower() for e in elements.get("supportedOS", [])}
    check(systems == set(SUPPORTED_OS), name + ": supports " + ", ".join(SUPPORTED_OS.values()),
          sorted(systems))
    controls = [e.attrib for e in elements.get("assemblyIdentity", [])
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    check(len(controls) == 1 and controls[0].get("version") == "6.0.0.0" and
          controls[0].get("processorArchitecture") == "*" and
          controls[0].get("publicKeyToken") == "6595b64144ccf1df" and
          controls[0].get("type") == "win32",
          name + ": depends on Common Controls 6", [str(controls)])

    def texts(tag):
        return [(e.text or "").strip() for e in elements.get(tag, [])]

    check(texts("longPathAware") == ["true"], name + ": long path aware")
    check(texts("dpiAware") == ["true/pm"] and
          texts("dpiAwareness") == ["PerMonitorV2, PerMonitor, System"],
          name + ": per-monitor DPI aware", texts("dpiAware") + texts("dpiAwareness"))


def version_strings(pe):
    """{block: {key: value}} of the StringFileInfo."""
    blocks = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                blocks[table.LangID.decode().lower()] = {
                    k.decode(): v.decode() for k, v in table.entries.items()}
    return blocks


def translations(pe):
    """The (language, code page) pairs of VarFileInfo's Translation, read from the resource's
    bytes (pefile keeps only one pair): a Var structure is its length, its value's length in
    bytes and its type (three words), the key, padding to a 4-byte boundary, then the value."""
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != pefile.RESOURCE_TYPE["RT_VERSION"]:
            continue
        data = entry.directory.entries[0].directory.entries[0].data.struct
        raw = pe.get_data(data.OffsetToData, data.Size)
        key = "Translation\0".encode("utf-16-le")
        at = raw.find(key)
        if at < 6:
            return []
        value_length = struct.unpack_from("<H", raw, at - 4)[0]
        start = (at + len(key) + 3) & ~3
        words = struct.unpack_from("<%dH" % (value_length // 2), raw, start)
        return list(zip(words[0::2], words[1::2]))
    return []


def check_version(name, pe, version, original_filename):
    if not check(hasattr(pe, "VS_FIXEDFILEINFO"), name + ": has a version resource"):
        return
    numbers = tuple(int(part) for part in version.split(".")) + (0,)
    fixed = pe.VS_FIXEDFILEINFO[0]
    as_numbers = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    check(as_numbers(fixed.FileVersionMS, fixed.FileVersionLS) == numbers and
          as_numbers(fixed.ProductVersionMS, fixed.ProductVersionLS) == numbers,
          name + ": file and product version %s as numbers" % version)
    blocks = version_strings(pe)
    check(set(blocks) == set(BLOCKS), name + ": a Chinese and an English block", sorted(blocks))
    pairs = translations(pe)
    check(sorted(pairs) == sorted(BLOCKS.values()),
          name + ": the Translation list names both blocks", [str(pairs)])
    for block, strings in blocks.items():
        missing = [key for key in VERSION_KEYS if not strings.get(key)]
        check(not missing, "%s %s: every name is given" % (name, block), missing)
        check(strings.get("FileVersion") == "%d.%d.%d.%d" % numbers and
              strings.get("ProductVersion") == version,
              "%s %s: the version as text" % (name, block),
              [strings.get("FileVersion", ""), strings.get("ProductVersion", "")])
        check(strings.get("OriginalFilename") == original_filename,
              "%s %s: original file name %s" % (name, block, original_filename))


def check_pe_flags(name, pe):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    wanted = ["DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVER_AWARE"]
    if pe.OPTIONAL_HEADER.Magic == PE32_PLUS_MAGIC:
        wanted.append("HIGH_ENTROPY_VA")
    print("%s: DllCharacteristics %#06x" % (name, flags))
    for flag in wanted:
        check(flags & DLL_FLAGS[flag], "%s: %s" % (name, flag))
    check(not pe.FILE_HEADER.Characteristics & IMAGE_FILE_RELOCS_STRIPPED,
          name + ": keeps its relocations (a random base needs them)")
    both = [s.Name.rstrip(b"\0").decode(errors="replace") for s in pe.sections
            if s.Characteristics & SECTION_WRITE and s.Characteristics & SECTION_EXECUTE]
    check(not both, name + ": no section both writable and executable", both)
    check(pe.OPTIONAL_HEADER.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI, name + ": a GUI program")


def check_dll_search(name, pe):
    static = sorted(entry.dll.decode().lower().removesuffix(".dll")
                    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    print("%s: imports %s" % (name, " ".join(static)))
    unknown = [dll for dll in static if dll not in KNOWN_DLLS]
    check(not unknown, name + ": every DLL loaded at start is a KnownDLL", unknown)


def check_image(name, path, version, original_filename):
    pe = load(path)
    check_manifest(name, pe)
    check_version(name, pe, version, original_filename)
    check_pe_flags(name, pe)
    check_dll_search(name, pe)
    with open(path, "rb") as f:
        image = f.read()
    check(STACK_CHECK_MESSAGE in image and LIBSSP_MESSAGE not in image,
          name + ": stack protection is linked, with the support library's guard")
    return pe


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--gallery", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()
    installer = check_image("installer", args.installer, args.version, "VexoInstall.exe")
    check_shipped_build("installer", installer)
    check_image("gallery", args.gallery, args.version, "gallery.exe")
    return summary()


if __name__ == "__main__":
    sys.exit(main())
