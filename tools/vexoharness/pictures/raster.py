"""A small software rasteriser for the project's artwork (Python standard library only).

Shapes are described by signed distance functions (negative inside, in pixels), so every edge
is anti-aliased the same way: a pixel's coverage is 0.5 - distance, clamped to 0..1. Colours are
straight (r, g, b, a) tuples of floats 0..1; the canvas keeps premultiplied floats and writes
straight 8-bit RGBA PNG files (zlib only). The output is deterministic: no clocks, no unseeded
randomness, fixed compression settings.

Drawing is in units: a canvas made while drawing_scale(2) is in force has two pixels per unit
(the picture a skin offers as "name@2x.png" for screens of twice the density), and the same
drawing code gives the same picture with twice the detail. Distances and coordinates stay in
units; only the pixel grid changes.
"""
import contextlib
import math

from .png import encode_png

_SCALE = [1]


@contextlib.contextmanager
def drawing_scale(scale):
    """Canvases made inside have scale pixels per unit."""
    previous = _SCALE[0]
    _SCALE[0] = scale
    try:
        yield
    finally:
        _SCALE[0] = previous


def hex_colour(text, alpha=1.0):
    """'#rrggbb' -> (r, g, b, alpha) floats."""
    text = text.lstrip("#")
    return (int(text[0:2], 16) / 255.0, int(text[2:4], 16) / 255.0,
            int(text[4:6], 16) / 255.0, alpha)


def mix(c0, c1, t):
    """Linear mix of two colours (t = 0 gives c0)."""
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def with_alpha(colour, alpha):
    return (colour[0], colour[1], colour[2], alpha)


def clamp01(value):
    return 0.0 if value < 0.0 else 1.0 if value > 1.0 else value


def smoothstep(edge0, edge1, x):
    t = clamp01((x - edge0) / (edge1 - edge0))
    return t * t * (3.0 - 2.0 * t)


def gradient(stops):
    """stops: [(position 0..1, colour), ...] sorted -> function(t) -> colour."""
    def at(t):
        if t <= stops[0][0]:
            return stops[0][1]
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if t <= p1:
                return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0.0)
        return stops[-1][1]
    return at


def vertical(top, bottom, height, y0=0.0):
    """Paint: a vertical two-colour gradient over [y0, y0 + height)."""
    return lambda x, y: mix(top, bottom, clamp01((y - y0) / height))


# ---- Signed distance functions (pixel coordinates, negative inside) ----------------------------

def sd_circle(cx, cy, radius):
    def d(x, y):
        return math.hypot(x - cx, y - cy) - radius
    return d


def sd_round_rect(left, top, right, bottom, radius):
    cx, cy = (left + right) / 2.0, (top + bottom) / 2.0
    hx, hy = (right - left) / 2.0 - radius, (bottom - top) / 2.0 - radius

    def d(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return d


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else clamp01(((x - ax) * dx + (y - ay) * dy) / length2)
    return math.hypot(x - ax - dx * t, y - ay - dy * t)


def sd_strokes(segments, width):
    """Union of round-capped strokes of the given width along segments [(ax, ay, bx, by)]."""
    half = width / 2.0

    def d(x, y):
        best = 1e9
        for ax, ay, bx, by in segments:
            dist = segment_distance(x, y, ax, ay, bx, by)
            if dist < best:
                best = dist
        return best - half
    return d


def sd_polygon(points):
    """Signed distance to a simple polygon (even-odd inside test)."""
    edges = list(zip(points, points[1:] + points[:1]))

    def d(x, y):
        best = 1e9
        inside = False
        for (ax, ay), (bx, by) in edges:
            best = min(best, segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                inside = not inside
        return -best if inside else best
    return d


def sd_union(*fns):
    return lambda x, y: min(f(x, y) for f in fns)


def sd_subtract(base, cut):
    return lambda x, y: max(base(x, y), -cut(x, y))


def polyline(points):
    """[(x, y), ...] -> segments joining consecutive points."""
    return [(a[0], a[1], b[0], b[1]) for a, b in zip(points, points[1:])]


def arc_points(cx, cy, rx, ry, start_deg, end_deg, steps=24):
    """Points along an elliptical arc, angles in degrees (0 = right, 90 = down)."""
    out = []
    for i in range(steps + 1):
        a = math.radians(start_deg + (end_deg - start_deg) * i / steps)
        out.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return out


# ---- Noise -------------------------------------------------------------------------------------

class ValueNoise:
    """Smooth 2-D value noise on an integer lattice, seeded."""

    def __init__(self, seed, size=256):
        import random
        rng = random.Random(seed)
        self.size = size
        self.values = [rng.random() for _ in range(size * size)]

    def at(self, x, y):
        size = self.size
        x0, y0 = math.floor(x), math.floor(y)
        fx, fy = x - x0, y - y0
        fx = fx * fx * (3 - 2 * fx)
        fy = fy * fy * (3 - 2 * fy)
        x0 %= size
        y0 %= size
        x1, y1 = (x0 + 1) % size, (y0 + 1) % size
        v = self.values
        top = v[y0 * size + x0] + (v[y0 * size + x1] - v[y0 * size + x0]) * fx
        bottom = v[y1 * size + x0] + (v[y1 * size + x1] - v[y1 * size + x0]) * fx
        return top + (bottom - top) * fy

    def fractal(self, x, y, octaves=4):
        total, amplitude, norm = 0.0, 1.0, 0.0
        for _ in range(octaves):
            total += self.at(x, y) * amplitude
            norm += amplitude
            amplitude *= 0.5
            x, y = x * 2.03, y * 2.03
        return total / norm


# ---- Canvas ------------------------------------------------------------------------------------

class Canvas:
    """Premultiplied RGBA floats, rows top to bottom. width and height are in pixels: the
    units asked for times the scale (pixels per unit) in force when it was made."""

    def __init__(self, width, height, fill=(0.0, 0.0, 0.0, 0.0), scale=None):
        self.scale = _SCALE[0] if scale is None else scale
        width, height = int(round(width * self.scale)), int(round(height * self.scale))
        self.width, self.height = width, height
        count = width * height
        a = fill[3]
        self.r = [fill[0] * a] * count
        self.g = [fill[1] * a] * count
        self.b = [fill[2] * a] * count
        self.a = [a] * count

    def blend(self, index, colour, coverage):
        """Source-over of a straight colour at the given coverage."""
        alpha = colour[3] * coverage
        if alpha <= 0.0:
            return
        keep = 1.0 - alpha
        self.r[index] = colour[0] * alpha + self.r[index] * keep
        self.g[index] = colour[1] * alpha + self.g[index] * keep
        self.b[index] = colour[2] * alpha + self.b[index] * keep
        self.a[index] = alpha + self.a[index] * keep

    def fill(self, paint, box=None):
        """Covers the box (default: everything) with paint: a colour or function(x, y)."""
        self.shape(None, paint, box)

    def shape(self, sdf, paint, box=None, soften=1.0):
        """Draws the inside of sdf (None: the whole box) with paint. soften widens the edge
        (in pixels) for soft shapes; 1 is a crisp anti-aliased edge."""
        x0, y0, x1, y1 = self._box(box)
        constant = not callable(paint)
        unit = self.scale
        # A crisp edge is one pixel wide at any scale; a soft one is soften units wide.
        edge = 1.0 if soften <= 1.0 else soften * unit
        for y in range(y0, y1):
            py = (y + 0.5) / unit
            row = y * self.width
            for x in range(x0, x1):
                px = (x + 0.5) / unit
                if sdf is None:
                    coverage = 1.0
                else:
                    coverage = clamp01(0.5 - sdf(px, py) * unit / edge)
                    if coverage <= 0.0:
                        continue
                self.blend(row + x, paint if constant else paint(px, py), coverage)

    def glow(self, sdf, colour, radius, box=None, strength=1.0):
        """A soft halo outside (and a full fill inside) a shape, fading over radius pixels."""
        x0, y0, x1, y1 = self._box(box)
        unit = self.scale
        for y in range(y0, y1):
            py = (y + 0.5) / unit
            row = y * self.width
            for x in range(x0, x1):
                d = sdf((x + 0.5) / unit, py)
                if d >= radius:
                    continue
                t = 1.0 if d <= 0 else (1.0 - d / radius)
                self.blend(row + x, colour, strength * t * t)

    def paste(self, other, left, top, opacity=1.0):
        """Source-over of another canvas (of the same scale) placed at (left, top) units."""
        left, top = int(round(left * self.scale)), int(round(top * self.scale))
        for y in range(other.height):
            ty = top + y
            if ty < 0 or ty >= self.height:
                continue
            for x in range(other.width):
                tx = left + x
                if tx < 0 or tx >= self.width:
                    continue
                i = y * other.width + x
                alpha = other.a[i] * opacity
                if alpha <= 0.0:
                    continue
                j = ty * self.width + tx
                keep = 1.0 - alpha
                self.r[j] = other.r[i] * opacity + self.r[j] * keep
                self.g[j] = other.g[i] * opacity + self.g[j] * keep
                self.b[j] = other.b[i] * opacity + self.b[j] * keep
                self.a[j] = alpha + self.a[j] * keep

    def crop(self, left, top, width, height):
        out = Canvas(width, height, scale=self.scale)
        left, top = int(round(left * self.scale)), int(round(top * self.scale))
        width, height = out.width, out.height
        for y in range(height):
            src = (top + y) * self.width + left
            dst = y * width
            out.r[dst:dst + width] = self.r[src:src + width]
            out.g[dst:dst + width] = self.g[src:src + width]
            out.b[dst:dst + width] = self.b[src:src + width]
            out.a[dst:dst + width] = self.a[src:src + width]
        return out

    def scaled(self, width, height):
        """Bilinear resampling (premultiplied, so edges do not darken) to width x height units."""
        out = Canvas(width, height, scale=self.scale)
        width, height = out.width, out.height
        sx, sy = self.width / width, self.height / height
        for y in range(height):
            fy = min(max((y + 0.5) * sy - 0.5, 0.0), self.height - 1.0)
            y0 = int(fy)
            y1 = min(y0 + 1, self.height - 1)
            ty = fy - y0
            for x in range(width):
                fx = min(max((x + 0.5) * sx - 0.5, 0.0), self.width - 1.0)
                x0 = int(fx)
                x1 = min(x0 + 1, self.width - 1)
                tx = fx - x0
                i00, i01 = y0 * self.width + x0, y0 * self.width + x1
                i10, i11 = y1 * self.width + x0, y1 * self.width + x1
                j = y * width + x
                for src, dst in ((self.r, out.r), (self.g, out.g), (self.b, out.b),
                                 (self.a, out.a)):
                    top = src[i00] + (src[i01] - src[i00]) * tx
                    bottom = src[i10] + (src[i11] - src[i10]) * tx
                    dst[j] = top + (bottom - top) * ty
        return out

    def rgba_bytes(self):
        """Straight 8-bit RGBA rows."""
        out = bytearray(self.width * self.height * 4)
        for i in range(self.width * self.height):
            a = self.a[i]
            o = i * 4
            if a <= 0.0:
                continue
            inv = 1.0 / a
            out[o] = int(round(clamp01(self.r[i] * inv) * 255))
            out[o + 1] = int(round(clamp01(self.g[i] * inv) * 255))
            out[o + 2] = int(round(clamp01(self.b[i] * inv) * 255))
            out[o + 3] = int(round(clamp01(a) * 255))
        return bytes(out)

    def png(self, opaque=False):
        return encode_png(self.width, self.height, self.rgba_bytes(), opaque)

    def _box(self, box):
        if box is None:
            return 0, 0, self.width, self.height
        x0, y0, x1, y1 = (v * self.scale for v in box)
        return (max(int(math.floor(x0)), 0), max(int(math.floor(y0)), 0),
                min(int(math.ceil(x1)), self.width), min(int(math.ceil(y1)), self.height))
