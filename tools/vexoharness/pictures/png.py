"""PNG files written and read with zlib only: chunks, whole files from filtered scanlines, an
encoder that picks each row's filter as common encoders do, and a reader for what it writes."""
import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(kind, data, length=None):
    """One chunk; length (optional) is the length it declares instead of the real one."""
    body = kind + data
    declared = len(data) if length is None else length
    return struct.pack(">I", declared) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def assemble(width, height, raw, bit_depth=8, colour_type=6, level=9, interlace=0, idat_parts=1,
             before_data=b""):
    """A PNG file from raw scanlines (filter bytes included), compressed at a zlib level (0:
    stored blocks) and split into idat_parts IDAT chunks; before_data goes between the header
    and the image data."""
    header = struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, interlace)
    data = zlib.compress(bytes(raw), level)
    step = -(-len(data) // idat_parts)
    idats = b"".join(chunk(b"IDAT", data[i:i + step]) for i in range(0, len(data), step))
    return SIGNATURE + chunk(b"IHDR", header) + before_data + idats + chunk(b"IEND", b"")


def encode_plain(width, height, pixel, level=9, idat_parts=1):
    """8-bit RGBA whose pixel (x, y) is pixel(x, y) -> (r, g, b, a), every row unfiltered: quick
    to write for large pictures whose size does not matter."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend(pixel(x, y))
    return assemble(width, height, raw, level=level, idat_parts=idat_parts)


def encode_solid(width, height, rgba):
    """8-bit RGBA of one colour: a large picture in a small file (3200 x 3200 in about 45 KB)."""
    return assemble(width, height, (b"\0" + bytes(rgba) * width) * height)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _predict(kind, left, up, up_left):
    """The value a PNG scanline filter (0 none, 1 sub, 2 up, 3 average, 4 Paeth) predicts."""
    if kind == 0:
        return 0
    if kind == 1:
        return left
    if kind == 2:
        return up
    if kind == 3:
        return (left + up) // 2
    if kind == 4:
        return _paeth(left, up, up_left)
    raise ValueError("bad PNG filter")


def _filter_row(kind, row, prior, bpp):
    out = bytearray(len(row))
    for i, value in enumerate(row):
        left, up_left = (row[i - bpp], prior[i - bpp]) if i >= bpp else (0, 0)
        out[i] = (value - _predict(kind, left, prior[i], up_left)) & 0xFF
    return out


def _unfilter_row(kind, row, prior, bpp):
    out = bytearray(len(row))
    for i, value in enumerate(row):
        left, up_left = (out[i - bpp], prior[i - bpp]) if i >= bpp else (0, 0)
        out[i] = (value + _predict(kind, left, prior[i], up_left)) & 0xFF
    return out


def encode_png(width, height, rgba, opaque=False):
    """Straight RGBA rows -> PNG bytes (colour type 6, or 2 when opaque). Each row takes the
    filter with the smallest sum of absolute differences, as common encoders do."""
    channels = 3 if opaque else 4
    stride = width * channels
    raw = bytearray()
    prior = bytearray(stride)
    for y in range(height):
        row = rgba[y * width * 4:(y + 1) * width * 4]
        if opaque:
            row = bytearray(b for i, b in enumerate(row) if i % 4 != 3)
        candidates = [_filter_row(kind, row, prior, channels) for kind in range(5)]
        costs = [sum(v if v < 128 else 256 - v for v in c) for c in candidates]
        best = costs.index(min(costs))
        raw.append(best)
        raw.extend(candidates[best])
        prior = bytearray(row)
    return assemble(width, height, raw, colour_type=6 if channels == 4 else 2)


def decode_png(data):
    """Reads back 8-bit RGB and RGBA PNG files (what encode_png writes): (width, height,
    straight RGBA rows)."""
    if data[:8] != SIGNATURE:
        raise ValueError("not a PNG file")
    pos, width, height, colour_type, idat = 8, 0, 0, 6, b""
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour_type = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour_type not in (2, 6) or body[12] != 0:
                raise ValueError("unsupported PNG layout")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = 4 if colour_type == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    if len(raw) != height * (stride + 1):
        raise ValueError("PNG data of the wrong size")
    out = bytearray()
    prior = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        row = _unfilter_row(raw[start], raw[start + 1:start + 1 + stride], prior, channels)
        for x in range(width):
            px = row[x * channels:(x + 1) * channels]
            out.extend(px if channels == 4 else px + b"\xff")
        prior = row
    return width, height, bytes(out)
