#!/usr/bin/env python3
"""Draws every picture of the installer: the skin package's pictures (skin/), the application
icon (app/VexoInstall.ico) and the demonstration game's artwork served by the stand-in platform
(tools/platform/assets/). Python standard library only; the output is deterministic, so running
it again reproduces the committed files.

Usage: make_art.py [--root REPO] [--only NAME ...] [--list]
NAME is an output file name (for example but.png or game-logo.png).

The look: a dark game-launcher theme, deep navy panels with a sky-blue accent (the markup's own
label colours #039be5 and #048ed2), light grey text, rounded buttons whose hot state is brighter
and whose pressed state is darker.
"""
import argparse
import math
import os
import random
import sys

from vexoharness.pictures import strokefont
from vexoharness.pictures.ico import encode_ico
from vexoharness.pictures.raster import (Canvas, ValueNoise, arc_points, clamp01,
                                         drawing_scale, gradient, hex_colour, mix, polyline,
                                         sd_circle, sd_polygon, sd_round_rect, sd_strokes,
                                         sd_subtract, smoothstep, vertical, with_alpha)

# ---- Palette -----------------------------------------------------------------------------------

NAVY_DEEP = hex_colour("#0a0e16")
NAVY = hex_colour("#0f1522")
NAVY_PANEL = hex_colour("#121a28")
NAVY_LINE = hex_colour("#223049")
ACCENT = hex_colour("#039be5")
ACCENT_LIGHT = hex_colour("#4fc3f7")
ACCENT_BRIGHT = hex_colour("#29b6f6")
ACCENT_DARK = hex_colour("#0277bd")
ACCENT_DEEP = hex_colour("#01579b")
GREY = hex_colour("#9aa3b5")
GREY_DIM = hex_colour("#6b7487")
WHITE = (1.0, 1.0, 1.0, 1.0)
RED = hex_colour("#e5484d")
RED_DARK = hex_colour("#b93338")


def draw_text(canvas, text, left, baseline, cap, stroke, paint, tracking=0.22, slant=0.0):
    glyphs, _ = strokefont.layout(text, left, baseline, cap, stroke, tracking, slant)
    for segments in glyphs:
        canvas.shape(sd_strokes(segments, stroke), paint,
                     strokefont.bounds(segments, stroke / 2 + 2))


def centred_text(canvas, text, cx, baseline, cap, stroke, paint, tracking=0.22):
    width = strokefont.text_width(text, cap, stroke, tracking)
    draw_text(canvas, text, cx - width / 2.0, baseline, cap, stroke, paint, tracking)


def stars(canvas, seed, count, box, max_radius=1.3, colour=WHITE):
    """Small round stars with a faint halo, brighter ones rarer."""
    rng = random.Random(seed)
    x0, y0, x1, y1 = box
    for _ in range(count):
        x, y = rng.uniform(x0, x1), rng.uniform(y0, y1)
        size = rng.random() ** 3
        radius = 0.35 + size * max_radius
        alpha = 0.2 + 0.8 * rng.random() ** 2
        tint = mix(colour, ACCENT_LIGHT, rng.random() * 0.5)
        glow = radius * 3.5
        canvas.glow(sd_circle(x, y, radius * 0.5), with_alpha(tint, alpha * 0.35), glow,
                    (x - glow, y - glow, x + glow, y + glow))
        canvas.shape(sd_circle(x, y, radius), with_alpha(tint, alpha),
                     (x - radius - 1, y - radius - 1, x + radius + 1, y + radius + 1))


# ---- Skin: panels ------------------------------------------------------------------------------

def window_backdrop(width, height, seed, glow_centre):
    """The dark backdrop of the default pictures: navy gradient, a soft accent glow, a faint
    diagonal line pattern and a vignette."""
    c = Canvas(width, height)
    base = gradient([(0.0, hex_colour("#101829")), (0.55, hex_colour("#0c1220")),
                     (1.0, hex_colour("#080b13"))])
    gx, gy, gr = glow_centre
    noise = ValueNoise(seed)

    def paint(x, y):
        colour = base(y / height)
        d = math.hypot(x - gx, (y - gy) * 1.3) / gr
        colour = mix(colour, ACCENT_DEEP, 0.55 * math.exp(-d * d * 2.2))
        stripe = (x + y * 0.6) % 46.0
        if stripe < 1.0:
            colour = mix(colour, ACCENT, 0.035 * (1.0 - abs(stripe - 0.5) * 2))
        colour = mix(colour, WHITE, 0.01 + noise.at(x / 120.0, y / 120.0) * 0.02)
        v = math.hypot((x / width - 0.5) * 1.2, y / height - 0.45)
        return mix(colour, NAVY_DEEP, smoothstep(0.35, 0.85, v) * 0.6)
    c.fill(paint)
    return c


def draw_bg():
    c = window_backdrop(980, 600, 11, (760, 200, 420))
    stars(c, 12, 160, (0, 60, 980, 440), max_radius=0.9, colour=ACCENT_LIGHT)
    return c


def draw_title_bar():
    """Title bar: dark translucent-looking panel with a hairline at the bottom."""
    c = Canvas(980, 60)
    c.fill(vertical(hex_colour("#141c2b"), hex_colour("#0e141f"), 60))
    c.fill(with_alpha(WHITE, 0.05), (0, 0, 980, 1))
    line = gradient([(0.0, NAVY_LINE), (0.5, mix(NAVY_LINE, ACCENT, 0.45)), (1.0, NAVY_LINE)])
    c.fill(lambda x, y: line(x / 980.0), (0, 59, 980, 60))
    return c


def draw_bottom_panel():
    """Bottom panel: a slightly lighter navy with an accent-lit top edge."""
    c = Canvas(980, 160)
    c.fill(vertical(hex_colour("#111827"), hex_colour("#0a0f18"), 160))
    edge = gradient([(0.0, NAVY_LINE), (0.3, NAVY_LINE), (0.5, ACCENT), (0.7, NAVY_LINE),
                     (1.0, NAVY_LINE)])
    c.fill(lambda x, y: edge(x / 980.0), (0, 0, 980, 1))
    # A soft light falling from the edge.
    c.fill(lambda x, y: with_alpha(ACCENT, 0.10 * (1 - y / 40.0) *
                                   math.exp(-((x - 490) / 300.0) ** 2)), (0, 1, 980, 40))
    return c


# ---- Skin: buttons -----------------------------------------------------------------------------

BUTTON_STATES = {
    # top and bottom of the face, glow opacity, highlight opacity
    "normal": (hex_colour("#1fa5e8"), ACCENT_DARK, 0.25, 0.30),
    "hot": (hex_colour("#64c6f6"), hex_colour("#14a3ea"), 0.75, 0.55),
    "pushed": (ACCENT_DARK, ACCENT_DEEP, 0.0, 0.10),
}


def button_face(canvas, top, state, x_scale=1.0, width=200):
    """One 200x60 button band at row top. With x_scale below 1 the band is drawn squeezed
    horizontally (for a band the skin stretches back to 200 pixels): every column then averages
    the face over the stretch of the full-size button it stands for."""
    face_top, face_bottom, glow, highlight = BUTTON_STATES[state]
    left, right = 4.0, 196.0
    y0, y1 = top + 6.0, top + 54.0
    radius = 24.0
    face = sd_round_rect(left, y0, right, y1, radius)
    shadow = sd_round_rect(left, y0 + 3, right, y1 + 2, radius)
    inner = sd_round_rect(left + 1.5, y0 + 1.5, right - 1.5, y1 - 1.5, radius - 1.5)
    paint = vertical(face_top, face_bottom, y1 - y0, y0)
    unit = canvas.scale  # pixels per unit: the band is drawn in units, pixel by pixel
    columns = int(round(width * x_scale * unit))
    samples = 1 if x_scale == 1.0 else 4
    for y in range(int(top * unit), int((top + 60) * unit)):
        py = (y + 0.5) / unit
        for x in range(columns):
            acc = [0.0, 0.0, 0.0, 0.0]
            for s in range(samples):
                px = (x + (s + 0.5) / samples) / (x_scale * unit)
                layers = []
                if glow > 0:
                    d = shadow(px, py)
                    if d < 8:
                        t = 1.0 if d <= 0 else (1 - d / 8.0)
                        layers.append((with_alpha(ACCENT, glow), t * t * 0.8))
                elif state == "pushed":
                    d = shadow(px, py)
                    if d < 3:
                        t = 1.0 if d <= 0 else (1 - d / 3.0)
                        layers.append((with_alpha(NAVY_DEEP, 0.6), t))
                cov = clamp01(0.5 - face(px, py) * unit)
                if cov > 0:
                    layers.append((paint(px, py), cov))
                    # A thin light rim along the upper inside edge (an inset shade when pushed).
                    rim = clamp01(0.5 - abs(inner(px, py) + 0.75) / 0.75)
                    upper = clamp01(1.0 - (py - y0) / 20.0)
                    if state == "pushed":
                        layers.append((with_alpha(NAVY_DEEP, 0.45), rim * upper * cov))
                    else:
                        layers.append((with_alpha(WHITE, highlight), rim * upper * cov))
                pixel = Canvas(1, 1, scale=1)
                for colour, coverage in layers:
                    pixel.blend(0, colour, coverage)
                acc[0] += pixel.r[0]
                acc[1] += pixel.g[0]
                acc[2] += pixel.b[0]
                acc[3] += pixel.a[0]
            i = y * canvas.width + x
            canvas.r[i], canvas.g[i], canvas.b[i], canvas.a[i] = (v / samples for v in acc)


def draw_install_button():
    """but.png: three 60-pixel bands, normal, hot and pushed. The skin cuts the pushed state
    from the band's first 60 columns and stretches them over the 200-pixel button, so the
    pushed band holds the pushed button squeezed into those columns (the rest stays empty)."""
    c = Canvas(200, 180)
    button_face(c, 0, "normal")
    button_face(c, 60, "hot")
    button_face(c, 120, "pushed", x_scale=60 / 200.0)
    return c


def caption_glyph(canvas, top, kind, colour, width=1.7, size=30):
    cx, cy = size / 2.0, top + size / 2.0
    arm = size * 0.16
    if kind == "min":
        segments = [(cx - arm - 1, cy, cx + arm + 1, cy)]
    else:
        segments = [(cx - arm, cy - arm, cx + arm, cy + arm),
                    (cx + arm, cy - arm, cx - arm, cy + arm)]
    canvas.shape(sd_strokes(segments, width), colour, (0, top, size, top + size))


def draw_caption_button(kind, size=30):
    """Min.png / Close.png (and CloseBtn.png at 24): three bands of `size` rows: normal, pushed,
    hot. Close turns red under the pointer, minimise gets a light disc."""
    c = Canvas(size, size * 3)
    r = size / 2.0 - 1.0
    hot_bg = with_alpha(RED, 1.0) if kind == "close" else with_alpha(WHITE, 0.12)
    pushed_bg = with_alpha(RED_DARK, 1.0) if kind == "close" else with_alpha(WHITE, 0.07)
    caption_glyph(c, 0, kind, GREY, size=size)
    for band, bg, fg in ((1, pushed_bg, hex_colour("#e6e9ef")), (2, hot_bg, WHITE)):
        top = band * size
        c.shape(sd_circle(size / 2.0, top + size / 2.0, r), bg, (0, top, size, top + size))
        caption_glyph(c, top, kind, fg, size=size)
    return c


# ---- Skin: progress ----------------------------------------------------------------------------

def draw_progress_track():
    """site.png 620x36: the bar's track. The skin squeezes it into a 6-pixel bar, so the profile
    is made of six 6-row steps that survive any sampling: a dark top edge, the track, and a
    lighter bottom edge."""
    c = Canvas(620, 36)
    steps = [hex_colour("#0b1019"), hex_colour("#1b2434"), hex_colour("#1f293b"),
             hex_colour("#1f293b"), hex_colour("#1b2434"), hex_colour("#2a364c")]
    for i, colour in enumerate(steps):
        c.fill(colour, (0, i * 6, 620, i * 6 + 6))
    return c


def draw_progress_fill():
    """bg@1x.png 10x2: the filled part, a light upper half over a deeper lower half."""
    c = Canvas(10, 2)
    c.fill(ACCENT_BRIGHT, (0, 0, 10, 1))
    c.fill(ACCENT, (0, 1, 10, 2))
    return c


def draw_start_marker():
    """02.png: the start of the progress line, a glowing accent disc with a white core."""
    c = Canvas(24, 24)
    c.glow(sd_circle(12, 12, 7), with_alpha(ACCENT, 0.45), 5)
    c.shape(sd_circle(12, 12, 8), vertical(ACCENT_LIGHT, ACCENT_DARK, 16, 4))
    c.shape(sd_circle(12, 12, 3.2), WHITE)
    return c


def draw_end_marker():
    """01.png: the end of the progress line, a ring around a check mark."""
    c = Canvas(24, 24)
    c.shape(sd_circle(12, 12, 10.5), NAVY_PANEL)
    c.shape(sd_subtract(sd_circle(12, 12, 10.5), sd_circle(12, 12, 8.8)), ACCENT)
    c.shape(sd_strokes([(7.6, 12.4, 10.7, 15.3), (10.7, 15.3, 16.4, 9.0)], 2.0), ACCENT_LIGHT)
    return c


# ---- Icons -------------------------------------------------------------------------------------

def draw_vexo_mark(size):
    """The Vexo platform's mark: a bold white V on a rounded accent square."""
    c = Canvas(size, size)
    s = size / 36.0
    pad = 1.0 * s if size >= 32 else 0.5
    radius = 8.5 * s
    square = sd_round_rect(pad, pad, size - pad, size - pad, radius)
    c.shape(square, lambda x, y: mix(ACCENT_LIGHT, ACCENT_DEEP, clamp01((x + y) / (2.0 * size))))
    c.shape(sd_round_rect(pad + 0.8 * s, pad + 0.8 * s, size - pad - 0.8 * s,
                          size / 2.0, radius - 0.8 * s),
            lambda x, y: with_alpha(WHITE, 0.16 * (1 - (y - pad) / (size / 2.0))))
    stroke = max(4.2 * s, 2.2)
    left, right, top, bottom = 10.0 * s, 26.0 * s, 10.5 * s, 26.0 * s
    c.shape(sd_strokes([(left, top, size / 2.0, bottom)], stroke), WHITE)
    c.shape(sd_strokes([(size / 2.0, bottom, right, top)], stroke), with_alpha(WHITE, 0.78))
    return c


def draw_skin_icon():
    """ico.png: the title bar icon until the game's own icon arrives."""
    return draw_vexo_mark(36)


def draw_app_icon():
    return encode_ico([draw_vexo_mark(size) for size in (16, 32, 48, 256)])


# ---- Skin: pictures the markup does not use ----------------------------------------------------

def draw_small_button(label, glyph):
    """activateBtn.png / copletBtn.png 89x108: three 36-row bands (normal, hot, pushed) of a
    small pill button with an icon and a caption."""
    c = Canvas(89, 108)
    looks = [(ACCENT_BRIGHT, ACCENT_DARK, WHITE), (ACCENT_LIGHT, ACCENT, WHITE),
             (ACCENT_DARK, ACCENT_DEEP, hex_colour("#d8e6f3"))]
    for band, (top_colour, bottom_colour, fg) in enumerate(looks):
        top = band * 36
        face = sd_round_rect(2, top + 4, 87, top + 32, 14)
        c.shape(face, vertical(top_colour, bottom_colour, 28, top + 4))
        if glyph == "check":
            c.shape(sd_strokes([(12, top + 18.5, 15.5, top + 22), (15.5, top + 22, 22, top + 14.5)],
                               2.2), fg)
        else:
            c.shape(sd_polygon([(13, top + 12.5), (23, top + 18), (13, top + 23.5)]), fg)
        draw_text(c, label, 29, top + 22.5, 9.0, 1.7, fg, tracking=0.18)
    return c


def draw_close_small():
    return draw_caption_button("close", size=24)


def space_scene(width, height, seed, planet, horizon, palette="blue"):
    """A sci-fi landscape: night sky with nebula and stars, a lit planet, mountain ridges and a
    glowing horizon. planet: (cx, cy, radius); horizon: y of the farthest ridge."""
    c = Canvas(width, height)
    sky = gradient([(0.0, hex_colour("#05070f")), (0.45, hex_colour("#0b1430")),
                    (0.8, hex_colour("#1d1640") if palette == "blue" else hex_colour("#2a1230")),
                    (1.0, hex_colour("#3a1d4a"))])
    nebula_a = hex_colour("#1e5fa8")
    nebula_b = hex_colour("#8e3fa8") if palette == "blue" else hex_colour("#c0503c")
    # Nebula at a quarter of the resolution, enlarged: fractal noise is slow in pure Python.
    small_w, small_h = width // 4 + 2, height // 4 + 2
    noise = ValueNoise(seed)
    warp = ValueNoise(seed + 1)
    cloud = [0.0] * (small_w * small_h)
    tint = [0.0] * (small_w * small_h)
    for y in range(small_h):
        for x in range(small_w):
            n = noise.fractal(x / 38.0 + warp.at(x / 60.0, y / 60.0) * 1.5, y / 30.0, 4)
            band = math.exp(-((y * 4 - height * 0.35 - (x * 4) * 0.18) / (height * 0.28)) ** 2)
            cloud[y * small_w + x] = smoothstep(0.42, 0.85, n) * band
            tint[y * small_w + x] = warp.fractal(x / 25.0, y / 25.0, 2)

    def sample(grid, x, y):
        fx, fy = x / 4.0, y / 4.0
        x0, y0 = int(fx), int(fy)
        tx, ty = fx - x0, fy - y0
        i = y0 * small_w + x0
        top = grid[i] + (grid[i + 1] - grid[i]) * tx
        bottom = grid[i + small_w] + (grid[i + small_w + 1] - grid[i + small_w]) * tx
        return top + (bottom - top) * ty

    def paint_sky(x, y):
        colour = sky(y / height)
        amount = sample(cloud, x, y)
        if amount > 0.001:
            colour = mix(colour, mix(nebula_a, nebula_b, sample(tint, x, y)), amount * 0.8)
        return colour
    c.fill(paint_sky)
    stars(c, seed + 2, width * height // 1500, (0, 0, width, horizon))

    # The planet: a lit disc with bands, a dark side and a thin atmosphere rim.
    px, py, pr = planet
    light = (-0.55, -0.6)
    bands = ValueNoise(seed + 3)
    body_light = hex_colour("#7fb2e6") if palette == "blue" else hex_colour("#e6a57f")
    body_dark = hex_colour("#1a2a55") if palette == "blue" else hex_colour("#552a1a")

    def paint_planet(x, y):
        nx, ny = (x - px) / pr, (y - py) / pr
        nz = math.sqrt(max(0.0, 1 - nx * nx - ny * ny))
        lit = clamp01(nx * light[0] + ny * light[1] + nz * 0.55)
        stripe = bands.fractal(ny * 6.0 + 10, nx * 1.2 + 10, 3)
        base = mix(body_dark, body_light, 0.35 + 0.5 * stripe)
        return mix(hex_colour("#03050b"), base, lit ** 0.8)
    box = (px - pr - 30, py - pr - 30, px + pr + 30, py + pr + 30)
    c.glow(sd_circle(px, py, pr), with_alpha(ACCENT_LIGHT, 0.22), 28, box)
    c.shape(sd_circle(px, py, pr), paint_planet, box)
    rim = sd_subtract(sd_circle(px, py, pr + 1.5), sd_circle(px + 4, py + 3.5, pr - 1.5))
    c.shape(rim, with_alpha(hex_colour("#bfe6ff"), 0.75), box, soften=2.0)

    # Horizon glow and three ridges, farthest first.
    c.fill(lambda x, y: with_alpha(hex_colour("#ff7ac8") if palette == "blue" else
                                   hex_colour("#ffb36b"),
                                   0.35 * math.exp(-((y - horizon) / 40.0) ** 2)),
           (0, horizon - 120, width, min(height, horizon + 120)))
    ridge_noise = ValueNoise(seed + 4)
    ridges = [(horizon, 70, hex_colour("#1a1b3c"), 0.004),
              (horizon + 45, 90, hex_colour("#111330"), 0.006),
              (horizon + 100, 80, hex_colour("#080a1a"), 0.009)]
    for k, (base_y, amplitude, colour, freq) in enumerate(ridges):
        def ridge(x, base_y=base_y, amplitude=amplitude, freq=freq, k=k):
            n = ridge_noise.fractal(x * freq + k * 17.0, k * 5.0, 5)
            peak = abs(math.sin(x * freq * 2.1 + k)) * 0.3
            return base_y - amplitude * (n + peak)
        top_y = base_y - amplitude * 1.4
        c.shape(lambda x, y, ridge=ridge: ridge(x) - y,
                lambda x, y, colour=colour, base_y=base_y:
                mix(colour, hex_colour("#03040a"), clamp01((y - base_y + 40) / 260.0)),
                (0, top_y, width, height))
    return c


def draw_default_game_background():
    """0game.PNG 980x600: a default game picture for the whole window."""
    return space_scene(980, 600, 31, (720, 220, 130), 400)


def draw_default_game_picture():
    """game.PNG 520x293: a default game picture with the platform's name."""
    c = space_scene(520, 293, 47, (390, 110, 70), 210, palette="warm")
    draw_text(c, "VEXO GAMES", 28, 70, 22, 3.6, WHITE, tracking=0.3)
    c.fill(ACCENT, (28, 84, 120, 87))
    return c


# ---- Demonstration game artwork (served by the stand-in platform) ------------------------------

GAME_TITLE = "STARFALL"
GAME_SUBTITLE = "ONLINE"


def draw_game_background():
    """game-background.png 1366x600: the window shows columns 193..1172 of it. The logo sits
    over the calm upper left of that part; the planet fills the right."""
    return space_scene(1366, 600, 5, (985, 235, 150), 405)


def draw_game_logo():
    """game-logo.png 306x149 with transparency: the title in slanted letters with a light
    gradient, a dark halo for contrast over any background, and a subtitle between rules."""
    c = Canvas(306, 149)
    cap, stroke, slant, tracking = 34.0, 7.2, 0.18, 0.1
    glyphs, width = strokefont.layout(GAME_TITLE, 0, 0, cap, stroke, tracking, slant)
    left = (306 - width - slant * cap) / 2.0
    baseline = 74.0
    glyphs, _ = strokefont.layout(GAME_TITLE, left, baseline, cap, stroke, tracking, slant)
    face = vertical(WHITE, ACCENT_LIGHT, cap + stroke, baseline - cap - stroke / 2)
    for segments in glyphs:
        box = strokefont.bounds(segments, stroke / 2 + 12)
        c.glow(sd_strokes(segments, stroke), with_alpha(hex_colour("#02040a"), 0.55), 10, box)
    for segments in glyphs:
        box = strokefont.bounds(segments, stroke / 2 + 2)
        c.shape(sd_strokes(segments, stroke + 3.0), hex_colour("#0a2a4a"), box)
        c.shape(sd_strokes(segments, stroke), face, box)
    sub_cap, sub_stroke = 13.0, 2.4
    sub_width = strokefont.text_width(GAME_SUBTITLE, sub_cap, sub_stroke, 0.6)
    sub_left = (306 - sub_width) / 2.0
    sub_base = 116.0
    c.glow(sd_round_rect(sub_left - 70, sub_base - 20, sub_left + sub_width + 70, sub_base + 6, 8),
           with_alpha(hex_colour("#02040a"), 0.35), 8)
    draw_text(c, GAME_SUBTITLE, sub_left, sub_base, sub_cap, sub_stroke, ACCENT_LIGHT, 0.6)
    for x0, x1 in ((sub_left - 62, sub_left - 12), (sub_left + sub_width + 12,
                                                   sub_left + sub_width + 62)):
        c.shape(sd_strokes([(x0, sub_base - 6.5, x1, sub_base - 6.5)], 2.0),
                lambda x, y: with_alpha(ACCENT, 0.9))
    return c


def draw_game_icon():
    """game-icon.png 36x36: the game's icon for the title bar, a ringed planet and a star."""
    c = Canvas(36, 36)
    c.shape(sd_round_rect(1, 1, 35, 35, 8),
            lambda x, y: mix(hex_colour("#1b2a55"), hex_colour("#070b18"), clamp01((x + y) / 70.0)))
    cx, cy, tilt = 18.0, 19.0, math.radians(-22)

    def ring_half(start, end):
        pts = []
        for px, py in arc_points(0, 0, 15.0, 4.2, start, end, 24):
            pts.append((cx + px * math.cos(tilt) - py * math.sin(tilt),
                        cy + px * math.sin(tilt) + py * math.cos(tilt)))
        return sd_strokes(polyline(pts), 1.8)
    c.shape(ring_half(180, 360), with_alpha(ACCENT_LIGHT, 0.6))
    c.shape(sd_circle(cx, cy, 8.5),
            lambda x, y: mix(hex_colour("#a8dcff"), hex_colour("#1a3a78"),
                             clamp01((x - cx + 6 + y - cy + 6) / 15.0)))
    c.shape(ring_half(0, 180), ACCENT_LIGHT)
    c.shape(sd_strokes([(28, 4.5, 28, 9.5), (25.5, 7, 30.5, 7)], 1.2), WHITE)
    c.shape(sd_circle(8, 9, 0.8), with_alpha(WHITE, 0.8))
    return c


# ---- Outputs -----------------------------------------------------------------------------------

# The skin pictures the markup shows, drawn again at twice the density as "name@2x.png" beside
# "name.png": the framework reads those on screens of 144 DPI and more instead of enlarging the
# plain ones. ("bg@1x.png" is a picture of its own, the progress bar's fill: its variant is
# "bg@1x@2x.png".)
DENSE_SKIN = ("bg.png", "bgTitle.png", "bgBottom.png", "but.png", "Min.png", "Close.png",
              "site.png", "bg@1x.png", "01.png", "02.png", "ico.png")


def variant_name(name, scale):
    stem, extension = os.path.splitext(name)
    return "%s@%dx%s" % (stem, scale, extension)


def at_scale(draw, scale):
    def drawn():
        with drawing_scale(scale):
            return draw()
    return drawn


def outputs():
    """file name -> (folder relative to the repository, function returning Canvas or bytes,
    opaque)."""
    table = plain_outputs()
    for name in DENSE_SKIN:
        folder, draw, opaque = table[name]
        table[variant_name(name, 2)] = (folder, at_scale(draw, 2), opaque)
    return table


def plain_outputs():
    skin = "skin"
    assets = os.path.join("tools", "platform", "assets")
    return {
        "bg.png": (skin, draw_bg, True),
        "bgTitle.png": (skin, draw_title_bar, True),
        "bgBottom.png": (skin, draw_bottom_panel, True),
        "but.png": (skin, draw_install_button, False),
        "Min.png": (skin, lambda: draw_caption_button("min"), False),
        "Close.png": (skin, lambda: draw_caption_button("close"), False),
        "site.png": (skin, draw_progress_track, True),
        "bg@1x.png": (skin, draw_progress_fill, True),
        "01.png": (skin, draw_end_marker, False),
        "02.png": (skin, draw_start_marker, False),
        "ico.png": (skin, draw_skin_icon, False),
        "0game.PNG": (skin, draw_default_game_background, True),
        "game.PNG": (skin, draw_default_game_picture, True),
        "CloseBtn.png": (skin, draw_close_small, False),
        "activateBtn.png": (skin, lambda: draw_small_button("PLAY", "play"), False),
        "copletBtn.png": (skin, lambda: draw_small_button("DONE", "check"), False),
        "VexoInstall.ico": ("app", draw_app_icon, False),
        "game-icon.png": (assets, draw_game_icon, False),
        "game-logo.png": (assets, draw_game_logo, False),
        "game-background.png": (assets, draw_game_background, True),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.normpath(
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")))
    parser.add_argument("--only", nargs="*", default=None)
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    table = outputs()
    if args.list:
        for name, (folder, _, _) in table.items():
            print(os.path.join(folder, name))
        return 0
    unknown = set(args.only or []) - set(table)
    if unknown:
        parser.error("unknown output(s): " + ", ".join(sorted(unknown)))
    for name, (folder, draw, opaque) in table.items():
        if args.only is not None and name not in args.only:
            continue
        result = draw()
        data = result if isinstance(result, bytes) else result.png(opaque)
        path = os.path.join(args.root, folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
