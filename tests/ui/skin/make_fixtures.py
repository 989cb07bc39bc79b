#!/usr/bin/env python3
"""Writes the skin fixtures of the UI core tests into one folder: pictures (PNG encoded here),
markup files, and ZIP archives made by real tools (Python's zipfile and Info-ZIP's zip) plus
damaged and hostile archives derived from them.

Usage: make_fixtures.py OUTPUT_DIR [--resources-only]
"""
import base64
import io
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

from vexoharness.pictures.png import SIGNATURE as PNG_SIGNATURE
from vexoharness.pictures.png import assemble, chunk, encode_plain


def png_rows(width, height, bit_depth, color_type, rows, before_data=b"", idat_parts=1, level=1,
             interlace=0):
    """A PNG from raw scanlines (filter bytes included); the data may be split into parts and
    compressed at any zlib level (0: stored blocks)."""
    return assemble(width, height, rows, bit_depth, color_type, level, interlace, idat_parts,
                    before_data)


def png(width, height, pixels, idat_parts=1):
    """Encodes straight RGBA pixels (a list of (r, g, b, a) rows top to bottom) as PNG."""
    return encode_plain(width, height, lambda x, y: pixels[y][x], level=1, idat_parts=idat_parts)


def solid(width, height, rgba):
    return png(width, height, [[rgba] * width for _ in range(height)])


def pictures():
    """name -> bytes of every picture fixture."""
    out = {}
    out["opaque.png"] = solid(4, 3, (10, 20, 30, 255))
    # Row 0: opaque red, semi-transparent red (alpha 128), transparent, opaque magenta.
    out["alpha.png"] = png(4, 1, [[(255, 0, 0, 255), (255, 0, 0, 128), (0, 0, 0, 0),
                                   (255, 0, 255, 255)]])
    # All opaque; the magenta pixel is the mask colour in the tests.
    out["mask.png"] = png(2, 1, [[(255, 0, 255, 255), (0, 128, 0, 255)]])
    good = out["opaque.png"]
    out["corrupt.png"] = good[:len(good) // 2]
    out["garbage.png"] = b"this is not a picture at all" * 4
    # A header claiming 30000 x 30000 pixels over a few bytes of data.
    big_header = struct.pack(">IIBBBBB", 30000, 30000, 8, 6, 0, 0, 0)
    out["huge.png"] = (b"\x89PNG\r\n\x1a\n" + struct.pack(">I", 13) + b"IHDR" + big_header +
                       struct.pack(">I", zlib.crc32(b"IHDR" + big_header) & 0xFFFFFFFF) + good[33:])
    # About 5.7 MB of noise, so that it stays large inside a deflated archive as well.
    rng = random.Random(7)
    side = 1200
    noise = bytearray(rng.getrandbits(8) for _ in range(side * side * 4))
    rows = bytearray()
    for y in range(side):
        rows.append(0)
        rows.extend(noise[y * side * 4:(y + 1) * side * 4])
    ihdr = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)
    out["large.png"] = (PNG_SIGNATURE + chunk(b"IHDR", ihdr) +
                        chunk(b"IDAT", zlib.compress(bytes(rows), 0)) + chunk(b"IEND", b""))
    out.update(png_variants())
    out.update(other_formats())
    out.update(hostile_pictures())
    return out


def png_variants():
    """PNGs in the other bit depths and colour types, and with the data split over chunks
    (fuzzing seeds as well)."""
    deep = bytearray([0])  # 1 x 2, 16-bit RGBA: opaque red, then half-transparent blue
    deep += struct.pack(">HHHH", 65535, 0, 0, 65535)
    deep += bytes([0]) + struct.pack(">HHHH", 0, 0, 65535, 32768)
    palette = chunk(b"PLTE", bytes([255, 0, 0, 0, 255, 0])) + chunk(b"tRNS", bytes([255, 128]))
    return {
        "deep.png": png_rows(1, 2, 16, 6, deep),
        "palette.png": png_rows(2, 1, 8, 3, bytes([0, 0, 1]), before_data=palette),
        "gray_alpha.png": png_rows(2, 1, 8, 4, bytes([0, 200, 255, 50, 128])),
        "split_idat.png": png(4, 3, [[(10, 20, 30, 255)] * 4] * 3, idat_parts=3),
        # Stored (zlib level 0) data: the pixel and filter bytes lie in the file as they are, so
        # the fuzz mutates them and the picture still reaches the decoder. 9 x 9 fills all seven
        # Adam7 passes, some of them partly; the plain one's block crosses two IDAT chunks.
        "interlaced.png": png_rows(9, 9, 8, 6, scanlines(pattern(9, 9), ADAM7), level=0,
                                   interlace=1),
        "stored.png": png_rows(16, 16, 8, 6, scanlines(pattern(16, 16)), level=0, idat_parts=2),
    }


# Adam7 passes: first column and row, column and row steps.
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2))


def pattern(width, height):
    """RGBA rows with something in every channel, so that no filter or pass sees only zeros."""
    return [[(x * 29 & 255, y * 31 & 255, (x ^ y) * 17 & 255, 255 - x * y & 255)
             for x in range(width)] for y in range(height)]


def scanlines(pixels, passes=((0, 0, 1, 1),)):
    """The raw data of RGBA rows, pass by pass, with filter types 0 to 4 in turn over the rows
    (the decoder's five unfiltering paths; the picture shown is the bytes unfiltered)."""
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    rows = 0
    for x0, y0, dx, dy in passes:
        columns = range(x0, width, dx)
        for y in range(y0, height, dy) if columns else ():
            raw.append(rows % 5)
            rows += 1
            for x in columns:
                raw.extend(pixels[y][x])
    return raw


def other_formats():
    """Small pictures in formats the decoder library knows but the skin refuses."""
    # 2 x 2, 32 bits, bottom-up rows, BGRA.
    pixels = bytes([0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 128])
    info = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    bmp = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + pixels
    tga = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 2, 1, 32, 8) + bytes(
        [255, 0, 0, 255, 0, 0, 255, 128])
    gif = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00"
           b"\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")
    ppm = b"P6\n2 1\n255\n" + bytes([255, 0, 0, 0, 0, 255])
    # A 1 x 1 baseline JPEG.
    jpg = base64.b64decode(
        "/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP//////////////////////////////////////////////////////"
        "////////////////////////////////wgALCAABAAEBAREA/8QAFBABAAAAAAAAAAAAAAAAAAAAAP/aAAgBAQAB"
        "PxA=")
    return {"pic.bmp": bmp, "pic.tga": tga, "pic.gif": gif, "pic.ppm": ppm, "pic.jpg": jpg,
            "baseline.jpg": baseline_jpeg(), "restart.jpg": restart_jpeg(),
            "progressive.jpg": progressive_jpeg()}


# A small JPEG encoder for fuzzing seeds with real entropy-coded data. Its Huffman tables give
# every symbol a code of one length (DC categories 4 bits, AC run/size pairs 8 bits), so that no
# code needs building from statistics and most mutated bits still decode to some symbol.
ZIGZAG = sorted(((x, y) for y in range(8) for x in range(8)),
                key=lambda p: (p[0] + p[1], p[0] if (p[0] + p[1]) % 2 == 0 else p[1]))
QUANT = bytes(2 + k // 4 for k in range(64))  # in zigzag order
AC_SYMBOLS = [0x00, 0xF0] + [run << 4 | size for run in range(16) for size in range(1, 11)]
AC_CODE = {symbol: code for code, symbol in enumerate(AC_SYMBOLS)}
DCT = [[(0.5 ** 0.5 if u == 0 else 1) * math.cos((2 * x + 1) * u * math.pi / 16) / 2
        for x in range(8)] for u in range(8)]


class BitWriter:
    """Entropy-coded bytes: most significant bit first, 0xFF stuffed with 0x00, 1-padded."""
    def __init__(self):
        self.out, self.bits, self.count = bytearray(), 0, 0

    def put(self, value, length):
        for i in reversed(range(length)):
            self.bits, self.count = self.bits << 1 | (value >> i) & 1, self.count + 1
            if self.count == 8:
                self.out += b"\xff\x00" if self.bits == 0xFF else bytes([self.bits])
                self.bits, self.count = 0, 0

    def flush(self):
        while self.count:
            self.put(1, 1)

    def number(self, value):
        """The category of value (bit length of its magnitude) and its bits."""
        size = abs(value).bit_length()
        return size, value if value >= 0 else value + (1 << size) - 1


def quantised_block(plane, bx, by):
    """The zigzag-ordered quantised DCT coefficients of an 8 x 8 block of a sample plane."""
    rows = [[sum(DCT[u][x] * (plane[by * 8 + y][bx * 8 + x] - 128) for x in range(8))
             for u in range(8)] for y in range(8)]
    coefficients = [[sum(DCT[v][y] * rows[y][u] for y in range(8)) for u in range(8)]
                    for v in range(8)]
    return [round(coefficients[y][x] / QUANT[k]) for k, (x, y) in enumerate(ZIGZAG)]


def put_dc(writer, difference):
    size, bits = writer.number(difference)
    writer.put(size, 4)
    writer.put(bits, size)


def put_ac(writer, block, first, last):
    """Coefficients first..last as run/size pairs, with an end of block after the last one."""
    run = 0
    for k in range(first, last + 1):
        if block[k] == 0:
            run += 1
            continue
        for _ in range(run // 16):
            writer.put(AC_CODE[0xF0], 8)
        size, bits = writer.number(block[k])
        writer.put(AC_CODE[(run % 16) << 4 | size], 8)
        writer.put(bits, size)
        run = 0
    if run:
        writer.put(AC_CODE[0x00], 8)


def jpeg_tables():
    """The quantisation table 0, DC table 0 and AC table 0 every component and scan uses."""
    return (segment(0xDB, b"\x00" + QUANT) +
            segment(0xC4, b"\x00" + bytes([0, 0, 0, 12] + [0] * 12) + bytes(range(12))) +
            segment(0xC4, b"\x10" + bytes([0] * 7 + [len(AC_SYMBOLS)] + [0] * 8) +
                    bytes(AC_SYMBOLS)))


def frame(marker, width, height, components):
    """components: (id, horizontal, vertical sampling)."""
    payload = struct.pack(">BHHB", 8, height, width, len(components))
    return segment(marker, payload + b"".join(bytes([i, h << 4 | v, 0]) for i, h, v in components))


def scan(ids, first, last, approximation=0):
    return segment(0xDA, bytes([len(ids)]) + b"".join(bytes([i, 0]) for i in ids) +
                   bytes([first, last, approximation]))


def restart_jpeg():
    """A 32 x 16 baseline YCbCr 4:2:0 JPEG with a restart marker after each of its two MCUs:
    the decoder's interleaved, restart, upsampling and colour conversion paths."""
    rgb = pattern(32, 16)
    luma = [[(77 * r + 150 * g + 29 * b) >> 8 for r, g, b, _ in row] for row in rgb]
    def chroma(weights):
        full = [[min(255, max(0, 128 + (sum(w * c for w, c in zip(weights, p[:3])) >> 8)))
                 for p in row] for row in rgb]
        return [[sum(full[2 * y + j][2 * x + i] for i in (0, 1) for j in (0, 1)) // 4
                 for x in range(16)] for y in range(8)]
    blue, red = chroma((-43, -85, 128)), chroma((128, -107, -21))
    writer, out = BitWriter(), bytearray()
    for mcu in range(2):
        if mcu:
            writer.flush()
            out += writer.out + bytes([0xFF, 0xD0 + (mcu - 1) % 8])
            writer.out = bytearray()
        predictors = {}  # by plane; every restart resets them
        blocks = [(luma, 2 * mcu + i, j) for j in (0, 1) for i in (0, 1)]
        for plane, bx, by in blocks + [(blue, mcu, 0), (red, mcu, 0)]:
            block = quantised_block(plane, bx, by)
            put_dc(writer, block[0] - predictors.get(id(plane), 0))
            predictors[id(plane)] = block[0]
            put_ac(writer, block, 1, 63)
    writer.flush()
    out += writer.out
    return (b"\xff\xd8" + jpeg_tables() + frame(0xC0, 32, 16, [(1, 2, 2), (2, 1, 1), (3, 1, 1)]) +
            segment(0xDD, struct.pack(">H", 1)) + scan([1, 2, 3], 0, 63) + bytes(out) + b"\xff\xd9")


def progressive_jpeg():
    """A 16 x 16 grey progressive JPEG: a DC scan at half precision, its refinement, then two
    bands of AC coefficients (the decoder's progressive paths and its EOB handling)."""
    grey = [[(x * 13 ^ y * 7) & 255 for x in range(16)] for y in range(16)]
    blocks = [quantised_block(grey, bx, by) for by in (0, 1) for bx in (0, 1)]
    scans = []
    for first, last, approximation in ((0, 0, 0x01), (0, 0, 0x10), (1, 5, 0), (6, 63, 0)):
        writer, predictor = BitWriter(), 0
        for block in blocks:
            if approximation == 0x01:
                put_dc(writer, (block[0] >> 1) - predictor)
                predictor = block[0] >> 1
            elif approximation == 0x10:
                writer.put(block[0] & 1, 1)
            else:
                put_ac(writer, block, first, last)
        writer.flush()
        scans.append(scan([1], first, last, approximation) + bytes(writer.out))
    return (b"\xff\xd8" + jpeg_tables() + frame(0xC2, 16, 16, [(1, 1, 1)]) + b"".join(scans) +
            b"\xff\xd9")


def segment(marker, payload):
    """One JPEG marker segment."""
    return b"\xff" + bytes([marker]) + struct.pack(">H", len(payload) + 2) + payload


def baseline_jpeg(scan_tables=0x00, dc_counts=None):
    """A 1 x 1 grey baseline JPEG with one-code Huffman tables: DC difference 0, then end of
    block, so the pixel is mid-grey (128). The arguments make hostile variants."""
    counts = dc_counts if dc_counts is not None else bytes([1] + [0] * 15)
    return (b"\xff\xd8" + segment(0xDB, b"\x00" + b"\x01" * 64) +
            segment(0xC0, bytes([8, 0, 1, 0, 1, 1, 1, 0x11, 0])) +
            segment(0xC4, b"\x00" + counts + b"\x00") +
            segment(0xC4, b"\x10" + bytes([1] + [0] * 15) + b"\x00") +
            segment(0xDA, bytes([1, 1, scan_tables, 0, 63, 0])) + b"\x3f\xff\xd9")


def hostile_pictures():
    """Pictures that would drive stb_image 2.27 into its memory faults, a hang or a huge
    reservation."""
    first_idat = zlib.compress(bytes([0, 1, 2, 3, 4]), 1)
    idat_claims = (PNG_SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 6, 0, 0, 0)) +
                   chunk(b"IDAT", first_idat[:4]) + chunk(b"IDAT", first_idat[4:], 1 << 30))
    return {
        # A Radiance picture whose run-length scanline is cut short: the decoder never returns.
        "truncated_rle.hdr": b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 8\n\x02\x02\x00\x08",
        # The second data chunk declares 2^30 bytes: 2 GiB reserved before anything is read.
        "idat_claims_1g.png": idat_claims,
        "dht_overflow.jpg": baseline_jpeg(dc_counts=bytes([32] * 16)),
        "undefined_table.jpg": baseline_jpeg(scan_tables=0x11),
        "pnm16.ppm": b"P6\n22 1255 1255\n\n255\n\xff\x00",
        "pnm_overflow.pgm": b"P5\n99999999999 1\n255\n\x00\x00",
    }


SKIN_XML = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<Window size="980,600" caption="0,0,0,40">\n'
            '  <Font id="0" name="Tahoma" size="12"/>\n'
            '  <VerticalLayout bkimage="bg.png">\n'
            '    <Label text="Vexo \u00e9t\u00e9 \u4e2d\u6587" />\n'
            '  </VerticalLayout>\n'
            '</Window>\n').encode("utf-8")


def markups():
    return {
        "skin.xml": SKIN_XML,
        "empty.xml": b"",
        "big.xml": b"<Window>" + b"<Control/>" * (5 * 1024 * 1024 // 10) + b"</Window>",
        "broken.xml": b"<Window><Label></Window>",
    }


def write(folder, name, data):
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return path


def python_archive(path, entries, method, streamed=False):
    """entries: (name, bytes); name ending in "/" is a directory entry."""
    buffer = io.BytesIO()

    class Unseekable(io.RawIOBase):  # makes zipfile write data descriptors
        def writable(self):
            return True

        def write(self, data):
            return buffer.write(data)
    target = Unseekable() if streamed else buffer
    with zipfile.ZipFile(target, "w", compression=method) as archive:
        for name, data in entries:
            if name.endswith("/"):
                archive.writestr(zipfile.ZipInfo(name), b"")
            else:
                archive.writestr(name, data, compress_type=method)
    with open(path, "wb") as f:
        f.write(buffer.getvalue())
    return buffer.getvalue()


def infozip_archive(path, source_dir, streamed):
    """Runs Debian's zip over source_dir; streamed output (a pipe) uses data descriptors."""
    if os.path.exists(path):
        os.remove(path)
    if streamed:
        data = subprocess.run(["zip", "-q", "-r", "-", "."], cwd=source_dir, check=True,
                              stdout=subprocess.PIPE).stdout
        with open(path, "wb") as f:
            f.write(data)
    else:
        subprocess.run(["zip", "-q", "-r", "-9", os.path.abspath(path), "."], cwd=source_dir,
                       check=True)
    with open(path, "rb") as f:
        return f.read()


def find_central(data, index):
    """Offset of the index-th central directory record."""
    end = data.rfind(b"PK\x05\x06")
    offset = struct.unpack_from("<I", data, end + 16)[0]
    for _ in range(index):
        n, m, k = struct.unpack_from("<HHH", data, offset + 28)
        offset += 46 + n + m + k
    return offset


def patched(data, offset, fmt, value):
    out = bytearray(data)
    struct.pack_into(fmt, out, offset, value)
    return bytes(out)


def hostile_archives(folder, base):
    """Damaged variants of base (a deflated archive whose first entry is skin.xml)."""
    first = find_central(base, 0)
    end = base.rfind(b"PK\x05\x06")
    write(folder, "truncated.zip", base[:len(base) // 2])
    write(folder, "no_directory.zip", base[:end])
    write(folder, "dir_outside.zip", patched(base, end + 16, "<I", len(base) + 1000))
    write(folder, "count_lies.zip", patched(base, end + 10, "<H", 60000))
    write(folder, "size_lies.zip", patched(base, first + 24, "<I", 0x7FFFFFF0))
    write(folder, "small_size_lies.zip", patched(base, first + 24, "<I", 10))
    write(folder, "large_size_lies.zip", patched(base, first + 24, "<I", len(SKIN_XML) + 100))
    write(folder, "local_outside.zip", patched(base, first + 42, "<I", len(base) + 5))
    write(folder, "compressed_lies.zip", patched(base, first + 20, "<I", 0x7FFFFFF0))
    # Both sizes lie together: 256 MiB said to come from 300000 compressed bytes (a ratio deflate
    # allows), in an archive of a few hundred bytes.
    write(folder, "both_sizes_lie.zip",
          patched(patched(base, first + 20, "<I", 300000), first + 24, "<I", 0x10000000))
    write(folder, "method_unknown.zip", patched(base, first + 10, "<H", 99))
    corrupt = bytearray(base)
    data_start = 30 + len("skin.xml")
    for i in range(data_start, data_start + 40):
        corrupt[i] ^= 0x5A
    write(folder, "bad_deflate.zip", bytes(corrupt))
    long_name = "d/" + "n" * 300 + ".xml"
    python_archive(os.path.join(folder, "long_name.zip"),
                   [(long_name, b"<a/>"), ("x" * 255, b"<b/>"), ("y" * 256, b"<c/>")],
                   zipfile.ZIP_DEFLATED)
    write(folder, "not_a_zip.zip", b"PK\x03\x04 but nothing else follows")
    write(folder, "empty.zip", b"")


def archives(folder, pics):
    small = [("skin.xml", SKIN_XML), ("BG.png", pics["opaque.png"]),
             ("img/", b""), ("img/a.png", pics["alpha.png"]), ("Img/Mask.PNG", pics["mask.png"]),
             ("empty.xml", b""), ("empty.png", b""), ("\u00fcber.xml", b"<u/>")]
    # The large members live in one archive only, to keep the fixtures small.
    large = [("large.png", pics["large.png"]), ("big.xml", markups()["big.xml"])]
    python_archive(os.path.join(folder, "py_large.zip"), small + large, zipfile.ZIP_DEFLATED)
    deflated = python_archive(os.path.join(folder, "py_deflated.zip"), small, zipfile.ZIP_DEFLATED)
    python_archive(os.path.join(folder, "py_stored.zip"), small, zipfile.ZIP_STORED)
    python_archive(os.path.join(folder, "py_streamed.zip"), small, zipfile.ZIP_DEFLATED,
                   streamed=True)
    tree = os.path.join(folder, "zip_tree")
    shutil.rmtree(tree, ignore_errors=True)
    for name, data in small:
        if not name.endswith("/") and not name.startswith("\u00fc"):
            write(tree, name, data)
    infozip_archive(os.path.join(folder, "infozip.zip"), tree, streamed=False)
    infozip_archive(os.path.join(folder, "infozip_streamed.zip"), tree, streamed=True)
    shutil.rmtree(tree)
    hostile_archives(folder, deflated)
    huge_entry_archive(os.path.join(folder, "huge_entry.zip"), pics)


def huge_entry_archive(path, pics):
    """A real deflated entry of 140 MiB (zeros: about 140 KB compressed), more than any picture
    within the pixel limit can need, beside a small picture."""
    with zipfile.ZipFile(path, "w", compression=zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("small.png", pics["opaque.png"])
        info = zipfile.ZipInfo("zeros.png")
        info.compress_type = zipfile.ZIP_DEFLATED
        block = bytes(1 << 20)
        with archive.open(info, "w") as entry:
            for _ in range(140):
                entry.write(block)


def resources(folder, pics):
    """Payloads compiled into the test program as resources."""
    python_archive(os.path.join(folder, "resource_skin.zip"),
                   [("skin.xml", SKIN_XML), ("bg.png", pics["opaque.png"])], zipfile.ZIP_DEFLATED)
    write(folder, "resource_skin.xml", SKIN_XML)
    write(folder, "resource_picture.png", pics["alpha.png"])


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    pics = pictures()
    if "--resources-only" in sys.argv:
        resources(folder, pics)
        return
    for name, data in pics.items():
        write(folder, name, data)
    for name, data in markups().items():
        write(folder, name, data)
    archives(folder, pics)


if __name__ == "__main__":
    main()
