"""Windows icon files: 32-bit DIB images for the small sizes, PNG for 256 pixels and up."""
import struct


def bgra_dib(canvas):
    """A 32-bit icon image: BITMAPINFOHEADER (double height), bottom-up BGRA rows and the
    1-bit AND mask (all zero: the alpha channel decides)."""
    w, h = canvas.width, canvas.height
    rgba = canvas.rgba_bytes()
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b, a = rgba[(y * w + x) * 4:(y * w + x) * 4 + 4]
            pixels.extend((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    return header + bytes(pixels) + bytes(mask_stride * h)


def encode_ico(canvases):
    """Canvases (one per size) -> .ico bytes: 256-pixel images as PNG, smaller ones as DIBs."""
    images = [c.png() if c.width >= 256 else bgra_dib(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(canvases))
    offset = 6 + 16 * len(canvases)
    for canvas, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
    return out + b"".join(images)
