"""A geometric stroke font for lettering in the artwork (capital letters and a few signs).

Each glyph is a list of polylines in a box one unit high (y grows downwards) and `width` units
wide; strokes are drawn with round caps, so letters stay readable from about 8 pixels of cap
height up and can be slanted for an italic look.
"""
from .raster import arc_points


def _glyphs():
    g = {}

    def add(ch, width, *lines):
        g[ch] = (width, [list(line) for line in lines])

    add("A", 0.9, [(0, 1), (0.45, 0), (0.9, 1)], [(0.17, 0.64), (0.73, 0.64)])
    add("B", 0.72, [(0, 0.5), (0, 0), (0.42, 0)] + arc_points(0.42, 0.25, 0.25, 0.25, -90, 90)
        + [(0, 0.5), (0.47, 0.5)] + arc_points(0.47, 0.75, 0.25, 0.25, -90, 90)
        + [(0, 1), (0, 0.5)])
    add("C", 0.82, arc_points(0.5, 0.5, 0.5, 0.5, -40, -320, 32))
    add("D", 0.8, [(0, 0), (0.3, 0)] + arc_points(0.3, 0.5, 0.5, 0.5, -90, 90, 32)
        + [(0, 1), (0, 0)])
    add("E", 0.68, [(0.68, 0), (0, 0), (0, 1), (0.68, 1)], [(0, 0.5), (0.56, 0.5)])
    add("F", 0.64, [(0.64, 0), (0, 0), (0, 1)], [(0, 0.5), (0.54, 0.5)])
    add("G", 0.86, arc_points(0.5, 0.5, 0.5, 0.5, -40, -360, 32) + [(0.55, 0.5)])
    add("H", 0.76, [(0, 0), (0, 1)], [(0.76, 0), (0.76, 1)], [(0, 0.5), (0.76, 0.5)])
    add("I", 0.0, [(0, 0), (0, 1)])
    add("J", 0.6, [(0.6, 0), (0.6, 0.7)] + arc_points(0.3, 0.7, 0.3, 0.3, 0, 180))
    add("K", 0.74, [(0, 0), (0, 1)], [(0.72, 0), (0, 0.62)], [(0.26, 0.43), (0.74, 1)])
    add("L", 0.62, [(0, 0), (0, 1), (0.62, 1)])
    add("M", 1.0, [(0, 1), (0, 0), (0.5, 0.62), (1.0, 0), (1.0, 1)])
    add("N", 0.78, [(0, 1), (0, 0), (0.78, 1), (0.78, 0)])
    add("O", 1.0, arc_points(0.5, 0.5, 0.5, 0.5, 0, 360, 40))
    add("P", 0.7, [(0, 1), (0, 0), (0.42, 0)] + arc_points(0.42, 0.27, 0.28, 0.27, -90, 90)
        + [(0, 0.54)])
    add("Q", 1.0, arc_points(0.5, 0.5, 0.5, 0.5, 0, 360, 40), [(0.62, 0.68), (1.0, 1.05)])
    add("R", 0.74, [(0, 1), (0, 0), (0.42, 0)] + arc_points(0.42, 0.27, 0.28, 0.27, -90, 90)
        + [(0, 0.54)], [(0.38, 0.54), (0.74, 1)])
    add("S", 0.74, arc_points(0.37, 0.26, 0.35, 0.26, -25, -270, 20)
        + arc_points(0.37, 0.76, 0.37, 0.24, -90, 155, 20))
    add("T", 0.78, [(0, 0), (0.78, 0)], [(0.39, 0), (0.39, 1)])
    add("U", 0.78, [(0, 0), (0, 0.6)] + arc_points(0.39, 0.6, 0.39, 0.4, 180, 0, 20)
        + [(0.78, 0)])
    add("V", 0.88, [(0, 0), (0.44, 1), (0.88, 0)])
    add("W", 1.24, [(0, 0), (0.3, 1), (0.62, 0.22), (0.94, 1), (1.24, 0)])
    add("X", 0.8, [(0, 0), (0.8, 1)], [(0.8, 0), (0, 1)])
    add("Y", 0.82, [(0, 0), (0.41, 0.52), (0.82, 0)], [(0.41, 0.52), (0.41, 1)])
    add("Z", 0.76, [(0, 0), (0.76, 0), (0, 1), (0.76, 1)])
    add("-", 0.4, [(0, 0.55), (0.4, 0.55)])
    add(".", 0.0, [(0, 1), (0, 1)])
    add(" ", 0.45)
    return g


GLYPHS = _glyphs()


def layout(text, left, baseline, cap_height, stroke, tracking=0.22, slant=0.0):
    """Segments of the text in pixels and its total advance. The strokes' centre lines run
    from baseline - cap_height to baseline; tracking is the gap between letters in units of
    cap height (on top of the stroke width); slant shears the letters right at the top."""
    segments_per_glyph = []
    x = left + stroke / 2.0
    for ch in text.upper():
        width, lines = GLYPHS.get(ch, GLYPHS[" "])
        glyph = []
        for line in lines:
            pts = [(x + px * cap_height + (1.0 - py) * slant * cap_height,
                    baseline - cap_height + py * cap_height) for px, py in line]
            glyph.extend((a[0], a[1], b[0], b[1]) for a, b in zip(pts, pts[1:]))
        if glyph:
            segments_per_glyph.append(glyph)
        x += width * cap_height + stroke + tracking * cap_height
    advance = x - left - tracking * cap_height - stroke / 2.0
    return segments_per_glyph, advance


def text_width(text, cap_height, stroke, tracking=0.22):
    return layout(text, 0, cap_height, cap_height, stroke, tracking)[1]


def bounds(segments, pad):
    xs = [s[0] for s in segments] + [s[2] for s in segments]
    ys = [s[1] for s in segments] + [s[3] for s in segments]
    return (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)
