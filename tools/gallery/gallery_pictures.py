"""The gallery skin's pictures, drawn with the project's rasteriser (vexoharness.pictures):
caption buttons, navigation, buttons, check boxes, switches, sliders, progress bars, cards,
scroll bars, and the frames of the animations.

The look: a light window with a slate-blue accent, white cards on a pale grey ground, a dark
card for the spinner.
"""
import math

from vexoharness.pictures.raster import (Canvas, clamp01, hex_colour, mix, polyline, sd_circle,
                                         sd_polygon, sd_round_rect, sd_strokes, sd_subtract,
                                         vertical, with_alpha)

# The palette, by hue: the slate-blue accent, the greys of tracks and text, white and red.
ACCENT, ACCENT_LIGHT, ACCENT_DARK = (hex_colour(c) for c in ("#3d7be0", "#6fa0f0", "#2a5cb0"))
GREY, GREY_LIGHT, GREY_TRACK, INK = (hex_colour(c) for c in ("#9aa5b8", "#dce3ee", "#c9d2e0",
                                                             "#2b3445"))
WHITE, RED = (1.0, 1.0, 1.0, 1.0), hex_colour("#e0484d")
TILE_COLOURS = ["#3d7be0", "#e0484d", "#2fa36b", "#f0a830", "#8a5cd6", "#1fb5c4", "#e06aa8",
                "#6b7a90"]



def strip(frames):
    """Frames of equal size side by side in one picture."""
    width, height = frames[0].width, frames[0].height
    out = Canvas(width * len(frames), height)
    for i, frame in enumerate(frames):
        out.paste(frame, i * width, 0)
    return out


def stack(frames):
    """Frames of equal size one above the other."""
    width, height = frames[0].width, frames[0].height
    out = Canvas(width, height * len(frames))
    for i, frame in enumerate(frames):
        out.paste(frame, 0, i * height)
    return out


# ---- Window parts -------------------------------------------------------------------------------

def system_button(glyph, hot_fill):
    """Three states (normal, hot, pushed) of a 36 x 28 caption button with a white glyph."""
    frames = []
    for fill in (None, hot_fill, mix(hot_fill, (0.0, 0.0, 0.0, hot_fill[3]), 0.25)):
        c = Canvas(36, 28)
        if fill is not None:
            c.fill(fill)
        glyph(c)
        frames.append(c)
    return strip(frames)


def glyph_min(c):
    c.shape(sd_strokes([(13, 15, 23, 15)], 1.6), WHITE)


def glyph_max(c):
    c.shape(sd_strokes(polyline([(13, 9), (23, 9), (23, 19), (13, 19), (13, 9)]), 1.4), WHITE)


def glyph_restore(c):
    c.shape(sd_strokes(polyline([(13, 11), (21, 11), (21, 19), (13, 19), (13, 11)]), 1.4), WHITE)
    c.shape(sd_strokes(polyline([(15, 11), (15, 9), (23, 9), (23, 17), (21, 17)]), 1.4), WHITE)


def glyph_close(c):
    c.shape(sd_strokes([(13, 9, 23, 19), (23, 9, 13, 19)], 1.6), WHITE)


def nav_item():
    """Navigation option: normal (nothing), hot and selected, 144 x 34 each, stacked."""
    frames = []
    for fill in (None, GREY_LIGHT, ACCENT):
        c = Canvas(144, 34)
        if fill is not None:
            c.shape(sd_round_rect(0.5, 0.5, 143.5, 33.5, 7), fill)
        frames.append(c)
    return stack(frames)


def button_faces():
    """Push button: normal, hot, pushed, disabled, 96 x 32 each, stacked (nine-slice 8)."""
    frames = []
    for top, bottom in ((ACCENT_LIGHT, ACCENT), (mix(ACCENT_LIGHT, WHITE, 0.2), ACCENT_LIGHT),
                        (ACCENT_DARK, ACCENT), (GREY_LIGHT, GREY_TRACK)):
        c = Canvas(96, 32)
        c.shape(sd_round_rect(0.5, 0.5, 95.5, 31.5, 8), vertical(top, bottom, 32))
        frames.append(c)
    return stack(frames)


def check_box(round_mark):
    """Off and on, 18 x 18 each side by side: a box (or a circle) and its mark."""
    frames = []
    for on in (False, True):
        c = Canvas(18, 18)
        outline = sd_circle(9, 9, 8) if round_mark else sd_round_rect(1, 1, 17, 17, 4)
        c.shape(outline, ACCENT if on else GREY)
        inner = sd_circle(9, 9, 6.6) if round_mark else sd_round_rect(2.4, 2.4, 15.6, 15.6, 2.8)
        c.shape(inner, ACCENT if on else WHITE)
        if on and round_mark:
            c.shape(sd_circle(9, 9, 3.4), WHITE)
        elif on:
            c.shape(sd_strokes(polyline([(5, 9.5), (8, 12.5), (13.5, 6)]), 2.0), WHITE)
        frames.append(c)
    return strip(frames)


def pill(width, height, paint):
    c = Canvas(width, height)
    c.shape(sd_round_rect(0.5, 0.5, width - 0.5, height - 0.5, height / 2.0 - 0.5), paint)
    return c


def vertical_pill(width, height, paint):
    c = Canvas(width, height)
    c.shape(sd_round_rect(0.5, 0.5, width - 0.5, height - 0.5, width / 2.0 - 0.5), paint)
    return c


def padded(picture, width, height):
    """The picture centred on a transparent canvas of the given size."""
    out = Canvas(width, height)
    out.paste(picture, (width - picture.width) // 2, (height - picture.height) // 2)
    return out


def disc(size, paint, ring=None):
    c = Canvas(size, size)
    r = size / 2.0
    if ring is not None:
        c.shape(sd_circle(r, r, r - 0.5), ring)
        c.shape(sd_circle(r, r, r - 2.0), paint)
    else:
        c.shape(sd_circle(r, r, r - 0.5), paint)
    return c


def card():
    """A white card with a soft edge (nine-slice 12)."""
    c = Canvas(40, 40)
    c.glow(sd_round_rect(3, 3, 37, 38, 9), with_alpha(INK, 0.10), 3.0)
    c.shape(sd_round_rect(3, 2, 37, 37, 9), WHITE)
    return c


def scroll_thumb(horizontal):
    """Scroll bar thumb: normal, hot, pushed; 10 x 24 each, stacked (vertical bars), or 24 x 10
    each, side by side (horizontal bars); nine-slice 4."""
    colours = (GREY, mix(GREY, ACCENT, 0.5), ACCENT)
    if horizontal:
        return strip([pill(24, 10, colour) for colour in colours])
    return stack([vertical_pill(10, 24, colour) for colour in colours])


def scroll_arrow(points):
    """An arrow button: normal, hot, pushed, 12 x 12 each, side by side."""
    frames = []
    for colour in (GREY, ACCENT, ACCENT_DARK):
        c = Canvas(12, 12)
        c.shape(sd_polygon(points), colour)
        frames.append(c)
    return strip(frames)


# ---- Animation pictures -------------------------------------------------------------------------

def spinner(size, colour, background=None):
    """A ring whose arc fades from the accent to nothing: one turn of it reads as spinning."""
    c = Canvas(size, size)
    if background is not None:
        c.fill(background)
    r = size / 2.0
    outer, inner = r - 1.0, r * 0.62
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5 - r, y + 0.5 - r
            d = math.hypot(px, py)
            coverage = clamp01(0.5 - (d - outer)) * clamp01(0.5 + (d - inner))
            if coverage <= 0:
                continue
            angle = (math.degrees(math.atan2(py, px)) + 360.0) % 360.0
            c.blend(y * size + x, with_alpha(colour, angle / 360.0), coverage)
    return c


def equalizer_frame(i, count):
    """Five bars whose heights follow shifted waves."""
    c = Canvas(48, 32)
    for bar in range(5):
        level = 0.5 + 0.45 * math.sin(2 * math.pi * (i / count) + bar * 1.3)
        top = 30 - 26 * level
        c.shape(sd_round_rect(2 + bar * 9.4, top, 9 + bar * 9.4, 30, 2),
                vertical(ACCENT_LIGHT, ACCENT_DARK, 30 - top, top))
    return c


def heart_frame(i, count):
    """A heart that swells and shrinks."""
    scale = 0.78 + 0.22 * math.sin(math.pi * i / (count - 1))
    c = Canvas(32, 32)
    cx, cy = 16.0, 17.0

    def heart(x, y):
        u, v = (x - cx) / (12.0 * scale), (cy - y) / (12.0 * scale)
        # (u^2 + v^2 - 1)^3 - u^2 v^3 <= 0 inside; scaled to roughly pixels at the edge
        f = (u * u + v * v - 1.0) ** 3 - u * u * v ** 3
        return f * 8.0
    c.shape(heart, RED, box=(0, 0, 32, 32))
    return c


def tile_picture(index):
    colour = hex_colour(TILE_COLOURS[index % len(TILE_COLOURS)])
    c = Canvas(48, 48)
    c.shape(sd_round_rect(1, 1, 47, 47, 10), vertical(mix(colour, WHITE, 0.25), colour, 48))
    glyphs = [
        sd_circle(24, 24, 10),
        sd_polygon([(24, 12), (36, 34), (12, 34)]),
        sd_round_rect(14, 14, 34, 34, 3),
        sd_polygon([(24, 11), (37, 24), (24, 37), (11, 24)]),
        sd_strokes([(24, 13, 24, 35), (13, 24, 35, 24)], 5),
        sd_subtract(sd_circle(24, 24, 11), sd_circle(24, 24, 6)),
        sd_strokes(polyline([(13, 25), (21, 33), (36, 16)]), 5),
        sd_strokes([(15, 15, 33, 33), (33, 15, 15, 33)], 5),
    ]
    c.shape(glyphs[index % len(glyphs)], WHITE)
    return c


def bouncing_ball_frames(count):
    """Opaque 64 x 64 frames of a ball bouncing on a floor, and their delays (1/100 s): slow at
    the top of the bounce, fast near the floor."""
    frames, delays = [], []
    for i in range(count):
        t = i / count
        height = abs(math.sin(math.pi * t))
        c = Canvas(64, 64, WHITE)
        c.fill(hex_colour("#eef2f8"), box=(0, 52, 64, 64))
        squash = 1.0 + 0.25 * (1.0 - height) ** 4
        cy = 44 - 32 * height
        ball = lambda x, y, cy=cy, s=squash: math.hypot((x - 32) / s, (y - cy) * s) - 9
        c.shape(ball, hex_colour(TILE_COLOURS[i % 4]))
        frames.append(c)
        delays.append(4 + int(8 * height))
    return frames, delays


# ---- All pictures -------------------------------------------------------------------------------

def pictures():
    yield "sys_min.png", system_button(glyph_min, with_alpha(WHITE, 0.18))
    yield "sys_max.png", system_button(glyph_max, with_alpha(WHITE, 0.18))
    yield "sys_restore.png", system_button(glyph_restore, with_alpha(WHITE, 0.18))
    yield "sys_close.png", system_button(glyph_close, RED)
    yield "nav.png", nav_item()
    yield "button.png", button_faces()
    yield "check.png", check_box(False)
    yield "radio.png", check_box(True)
    yield "switch_track.png", pill(56, 28, GREY_TRACK)
    yield "switch_track3.png", pill(96, 28, GREY_TRACK)
    yield "knob.png", padded(disc(24, WHITE, ring=GREY), 28, 28)
    yield "slider_bk.png", padded(pill(12, 6, GREY_TRACK), 12, 16)
    yield "slider_fore.png", padded(pill(12, 6, ACCENT), 12, 16)
    yield "slider_thumb.png", disc(16, WHITE, ring=ACCENT)
    yield "slider_thumb_hot.png", disc(16, ACCENT_LIGHT, ring=ACCENT_DARK)
    yield "progress_bk.png", pill(12, 10, GREY_TRACK)
    yield "progress_fore.png", pill(200, 10, lambda x, y: mix(ACCENT_LIGHT, ACCENT, x / 200.0))
    yield "progress_vbk.png", vertical_pill(10, 12, GREY_TRACK)
    yield "progress_vfore.png", vertical_pill(10, 12, ACCENT)
    yield "card.png", card()
    yield "scroll_thumb.png", scroll_thumb(False)
    yield "scroll_hthumb.png", scroll_thumb(True)
    yield "scroll_up.png", scroll_arrow([(6, 3), (10, 9), (2, 9)])
    yield "scroll_down.png", scroll_arrow([(2, 3), (10, 3), (6, 9)])
    yield "scroll_left.png", scroll_arrow([(3, 6), (9, 2), (9, 10)])
    yield "scroll_right.png", scroll_arrow([(3, 2), (9, 6), (3, 10)])
    yield "spinner.png", spinner(48, ACCENT_LIGHT)
    yield "spinner_small.png", spinner(24, ACCENT_LIGHT)
    for i in range(8):
        yield "eq%d.png" % (i + 1), equalizer_frame(i, 8)
    for i in range(6):
        yield "heart%d.png" % (i + 1), heart_frame(i, 6)
    for i in range(8):
        yield "tile%d.png" % (i + 1), tile_picture(i)
    yield "pe_line.png", pill(400, 6, lambda x, y: mix(ACCENT_LIGHT, ACCENT_DARK, x / 400.0))
    yield "pe_point.png", disc(12, ACCENT_DARK, ring=WHITE)
    yield "badge.png", pill(30, 18, RED)
