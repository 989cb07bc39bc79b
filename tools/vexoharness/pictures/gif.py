"""Animated GIF files with the standard library only."""
import struct

LEVELS = (0, 64, 128, 191, 255)


def quantize(value):
    return min(range(len(LEVELS)), key=lambda i: abs(LEVELS[i] - value))


def encode_gif(frames, delays):
    """Opaque frames of equal size -> an animated GIF that loops for ever. Colours are reduced
    to a 5 x 5 x 5 cube (125 entries of a 128-colour table). Pixels are written with 8-bit codes
    and a clear code every 120 of them, so the codes never grow: plain LZW data that every
    decoder reads."""
    width, height = frames[0].width, frames[0].height
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | 6, 0, 0)
    for i in range(128):
        if i < 125:
            out += bytes((LEVELS[i // 25], LEVELS[i // 5 % 5], LEVELS[i % 5]))
        else:
            out += b"\0\0\0"
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for frame, delay in zip(frames, delays):
        out += b"\x21\xF9\x04\x04" + struct.pack("<H", delay) + b"\0\0"
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x07"
        rgba = frame.rgba_bytes()
        codes = bytearray()
        for p in range(width * height):
            if p % 120 == 0:
                codes.append(128)
            r, g, b = rgba[p * 4], rgba[p * 4 + 1], rgba[p * 4 + 2]
            codes.append(quantize(r) * 25 + quantize(g) * 5 + quantize(b))
        codes.append(129)
        for at in range(0, len(codes), 255):
            block = codes[at:at + 255]
            out.append(len(block))
            out += block
        out.append(0)
    out.append(0x3B)
    return bytes(out)
