#!/usr/bin/env python3
"""Writes the gallery's own skin into tools/gallery/skin/: its pictures, its animated GIF and
its markup (gallery.xml, the window; gallery_child.xml, the document a child layout builds;
gallery_row.xml, one row of a list, included many times). Python standard library only: the
shapes are drawn with tools/art/raster.py and written as PNG files with zlib; the GIF is
encoded here. The output is deterministic, so running it again reproduces the committed files.

Usage: make_gallery_skin.py [OUTPUT_DIR]   (default: the skin folder beside this script)

The look: a light window with a slate-blue accent, white cards on a pale grey ground, a dark
card for the spinner.
"""
import math
import os
import struct
import sys
import xml.dom.minidom

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "art"))

from make_art import vertical  # noqa: E402  (the installer art's gradient paint)
from raster import (Canvas, clamp01, hex_colour, mix, polyline, sd_circle,  # noqa: E402
                    sd_polygon, sd_round_rect, sd_strokes, sd_subtract, with_alpha)

ACCENT = hex_colour("#3d7be0")
ACCENT_LIGHT = hex_colour("#6fa0f0")
ACCENT_DARK = hex_colour("#2a5cb0")
GREY = hex_colour("#9aa5b8")
GREY_LIGHT = hex_colour("#dce3ee")
GREY_TRACK = hex_colour("#c9d2e0")
INK = hex_colour("#2b3445")
WHITE = (1.0, 1.0, 1.0, 1.0)
RED = hex_colour("#e0484d")
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


# ---- GIF ----------------------------------------------------------------------------------------

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

# ---- Markup -------------------------------------------------------------------------------------

def frame_of(name, index, width, height, across=True, extra=""):
    """An image description of one frame of a sprite (frames side by side, or stacked)."""
    left, top = (index * width, 0) if across else (0, index * height)
    text = "file='%s' source='%d,%d,%d,%d'" % (name, left, top, left + width, top + height)
    return text + (" " + extra if extra else "")


def attr_list(**pairs):
    """A default attribute list (name="value" pairs) written into an XML attribute value."""
    return " ".join('%s=&quot;%s&quot;' % (k, v) for k, v in pairs.items())


def scroll_defaults(horizontal):
    back, forward = (("scroll_left.png", "scroll_right.png") if horizontal else
                     ("scroll_up.png", "scroll_down.png"))
    pairs = {"height" if horizontal else "width": "12", "bkcolor": "#FFEDF1F7"}
    for button, picture in (("button1", back), ("button2", forward)):
        for i, state in enumerate(("normal", "hot", "pushed")):
            pairs[button + state + "image"] = frame_of(picture, i, 12, 12)
    for i, state in enumerate(("normal", "hot", "pushed")):
        pairs["thumb" + state + "image"] = (
            frame_of("scroll_hthumb.png", i, 24, 10, True, "corner='4,4,4,4'") if horizontal
            else frame_of("scroll_thumb.png", i, 10, 24, False, "corner='4,4,4,4'"))
    return attr_list(**pairs)


def caption_button(name, picture, extra=""):
    states = " ".join('%simage="%s"' % (state, frame_of(picture, i, 36, 28))
                      for i, state in enumerate(("normal", "hot", "pushed")))
    return '<Button name="%s" width="36" height="28" padding="0,8,0,0" %s%s/>' % (
        name, states, extra)


def nav_option(name, text, page, selected=False):
    images = " ".join('%s="%s"' % (attr, frame_of("nav.png", i, 144, 34, False,
                                                    "corner='7,7,7,7'"))
                      for i, attr in enumerate(("normalimage", "hotimage", "selectedimage")))
    return ('<Option name="%s" group="nav" userdata="pages:%d" text="%s" height="34" %s '
            'align="lcenter" textpadding="14,0,0,0" font="1" textcolor="#FF2B3445" '
            'selectedtextcolor="#FFFFFFFF"%s/>' % (name, page, text, images,
                                                    ' selected="true"' if selected else ""))


def card_markup(title, body, dark=False):
    """A titled card: white with a soft edge, or dark (for the pictures that turn)."""
    # The framework turns pictures on a black ground: dark cards are nearly black.
    look = ('bkcolor="#FF07090D" borderround="12,12" padding="3,2,3,3"' if dark else
            'bkimage="file=\'card.png\' corner=\'12,12,12,12\'"')
    return ('<VerticalLayout %s inset="18,14,18,14" childpadding="8"><Label text="%s" font="1" '
            'textcolor="%s" height="20"/>%s</VerticalLayout>' % (
                look, title, "#FFDCE6F8" if dark else "#FF2B3445", body))


def choice(kind, name, text, group="", selected=False):
    picture = "radio.png" if kind == "Option" else "check.png"
    return ('<%s name="%s"%s text="%s" height="26" align="lcenter" textpadding="26,0,0,0" '
            'textcolor="#FF2B3445" normalimage="%s" selectedimage="%s"%s/>' % (
                kind, name, ' group="%s"' % group if group else "", text,
                frame_of(picture, 0, 18, 18, True, "dest='0,4,18,22'"),
                frame_of(picture, 1, 18, 18, True, "dest='0,4,18,22'"),
                ' selected="true"' if selected else ""))


def controls_page():
    labels = card_markup("Labels and text", (
        '<Label text="A plain label, end ellipsis when it runs out of room" endellipsis="true" '
        'textcolor="#FF4A5568" height="20"/>'
        '<Label text="Gradient text with a shadow" font="4" height="34" enabledeffect="true" '
        'textcolor="#FF3D7BE0" textcolor1="#FFE0484D" enabledshadow="true" '
        'textshadowcolora="#FF9AA5B8" shadowoffset="2,-135" transtext="255" transtext1="255"/>'
        '<Text name="links" showhtml="true" height="40" textcolor="#FF4A5568" '
        'text="Formatted: {b}bold{/b}, {i}italic{/i}, {c #FFE0484D}red{/c} and '
        '{a one}a link{/a} or {a two}another{/a}."/>'
        '<LabelEx text="LabelEx: a hand over it" textcolor="#FF2FA36B" height="20"/>'))
    button_images = " ".join('%s="%s"' % (attr, frame_of("button.png", i, 96, 32, False,
                                                          "corner='8,8,8,8'"))
                             for i, attr in enumerate(("normalimage", "hotimage", "pushedimage",
                                                       "disabledimage")))
    buttons = card_markup("Buttons", (
        '<HorizontalLayout height="32" childpadding="10">'
        '<Button name="button" text="Button" width="110" textcolor="#FFFFFFFF" font="1" %s/>'
        '<Button name="disabled" text="Disabled" width="110" enabled="false" '
        'disabledtextcolor="#FF9AA5B8" %s/></HorizontalLayout>'
        '<CustonButton name="custom" width="330" height="44" %s TitleText="Storage" TitleFont="1" '
        'textTitlepadding="14,0,0,0" Titletextcolor="#FFFFFFFF" hotTitletextcolor="#FFFFF3B0" '
        'ValueText="37 GB free" ValueFont="3" textValuepadding="230,0,0,0" '
        'Valuetextcolor="#FFDCE6F8" hotValuetextcolor="#FFFFFFFF" align="vcenter"/>'
        % (button_images, button_images, button_images.replace("card.png", "button.png"))))
    # The title sits at the left, the value at the right: the custom button aligns per text.
    buttons = buttons.replace('align="vcenter"/>', 'align="lcenter"/>')
    choices = card_markup("Options and check boxes", (
        '<HorizontalLayout childpadding="12"><VerticalLayout>%s%s%s</VerticalLayout>'
        '<VerticalLayout>%s%s<Control/></VerticalLayout></HorizontalLayout>' % (
            choice("Option", "small", "Small", "size"),
            choice("Option", "medium", "Medium", "size", True),
            choice("Option", "large", "Large", "size"),
            choice("CheckBox", "sound", "Sound", selected=True),
            choice("CheckBox", "music", "Music"))))
    switches = card_markup("Switches", (
        '<HorizontalLayout height="28" childpadding="12">'
        '<ButtonSwitchEx name="switch" width="56" bkimage="switch_track.png" pointImage="knob.png" '
        'pointwidth="28" pointheight="28" min="0" max="1" value="1"/>'
        '<Label text="two positions: click or drag" textcolor="#FF6B7A90" font="3"/>'
        '</HorizontalLayout>'
        '<HorizontalLayout height="28" childpadding="12">'
        '<ButtonSwitchEx name="switch3" width="96" bkimage="switch_track3.png" '
        'pointImage="knob.png" pointwidth="28" pointheight="28" min="0" max="2" value="0"/>'
        '<Label text="three positions" textcolor="#FF6B7A90" font="3"/></HorizontalLayout>'))
    sliders = card_markup("Sliders", (
        '<Slider name="slider" height="16" width="240" min="0" max="100" value="40" '
        'bkimage="file=\'slider_bk.png\' corner=\'5,0,5,0\'" '
        'foreimage="file=\'slider_fore.png\' corner=\'5,0,5,0\'" thumbsize="16,16" '
        'thumbimage="slider_thumb.png" thumbhotimage="slider_thumb_hot.png" '
        'thumbpushedimage="slider_thumb_hot.png" step="5"/>'
        '<Label text="drag the thumb, or turn the wheel over it" font="3" '
        'textcolor="#FF6B7A90" height="18"/>'))
    progress = card_markup("Progress bars", (
        '<HorizontalLayout childpadding="16"><VerticalLayout childpadding="8">'
        '<Progress name="progress" height="10" width="240" value="37" '
        'bkimage="file=\'progress_bk.png\' corner=\'5,0,5,0\'" '
        'foreimage="file=\'progress_fore.png\'"/>'
        '<Label text="37 of 100" font="3" textcolor="#FF6B7A90" height="18"/><Control/>'
        '</VerticalLayout>'
        '<Progress name="vprogress" hor="false" width="10" height="80" value="60" '
        'bkimage="file=\'progress_vbk.png\' corner=\'0,5,0,5\'" '
        'foreimage="file=\'progress_vfore.png\' corner=\'0,5,0,5\'"/></HorizontalLayout>'))
    return ('<VerticalLayout name="page_controls" childpadding="14">'
            '<HorizontalLayout height="196" childpadding="14">%s%s</HorizontalLayout>'
            '<HorizontalLayout height="150" childpadding="14">%s%s</HorizontalLayout>'
            '<HorizontalLayout childpadding="14">%s%s</HorizontalLayout>'
            '</VerticalLayout>' % (labels, buttons, choices, switches, sliders, progress))


def solo_bar_images():
    """The horizontal bar's images as attributes of a ScrollBar element of its own (its
    thickness and ground are given there)."""
    pairs = scroll_defaults(True).replace("&quot;", '"')
    return pairs.replace('height="12" ', "").replace('bkcolor="#FFEDF1F7" ',
                                                      'bkcolor="#FFDCE3EE" ')


def lists_page():
    tiles = "".join(
        '<VerticalLayout height="92" bkcolor="#FFFFFFFF" inset="0,10,0,6">'
        '<Control bkimage="tile%d.png" width="48" height="48" padding="26,0,0,0"/>'
        '<Label text="Tile %d" align="center" font="3" textcolor="#FF4A5568"/>'
        '</VerticalLayout>' % (i % 8 + 1, i + 1) for i in range(24))
    strip_items = "".join(
        '<Control bkimage="tile%d.png" width="48" height="48" padding="0,6,0,0"/>'
        % (i % 8 + 1) for i in range(14))
    # 14 pictures of 48 with 16 between them: 896 in a strip 400 wide, 496 to scroll.
    return ('<HorizontalLayout name="page_lists" childpadding="14">'
            '<VerticalLayout width="380" childpadding="8">'
            '<Label text="Tile layout: columns from its width, scrolled by its bar or the wheel" '
            'font="3" textcolor="#FF6B7A90" height="18"/>'
            '<TileLayout name="tiles" itemsize="96,92" childpadding="8" vscrollbar="true" '
            'bkcolor="#FFE9EDF4" inset="8,8,8,8">%s</TileLayout></VerticalLayout>'
            '<VerticalLayout childpadding="8">'
            '<Label text="Rows from an included document (30 times)" font="3" '
            'textcolor="#FF6B7A90" height="18"/>'
            '<VerticalLayout name="rows" vscrollbar="true" bkcolor="#FFFFFFFF" '
            'bordercolor="#FFDCE3EE" bordersize="1">'
            '<Include source="gallery_row.xml" count="30"/></VerticalLayout>'
            '<Label text="A strip with a horizontal scroll bar" font="3" textcolor="#FF6B7A90" '
            'height="18"/>'
            '<HorizontalLayout name="strip" height="72" width="400" childpadding="16" '
            'inset="8,0,8,0" hscrollbar="true" hscrollbarstyle="range=&quot;496&quot;" '
            'bkcolor="#FFFFFFFF">%s</HorizontalLayout>'
            '<Label text="A scroll bar on its own (it sends &quot;scroll&quot;)" font="3" '
            'textcolor="#FF6B7A90" height="18"/>'
            '<ScrollBar name="solo" hor="true" height="12" width="400" range="100" value="30" '
            'linesize="5" %s/></VerticalLayout></HorizontalLayout>' % (
                tiles, strip_items, solo_bar_images()))


def animation_page():
    return ('<VerticalLayout name="page_animation" childpadding="14">'
            '<HorizontalLayout height="150" childpadding="14">%s%s%s</HorizontalLayout>'
            '<HorizontalLayout height="150" childpadding="14">%s%s</HorizontalLayout>'
            '<Control/></VerticalLayout>' % (
                card_markup("Spinner", '<RotateAnimateUI name="spinner" bkimage="spinner.png" '
                     'width="48" height="48" interval="40" padding="40,10,0,0"/>',
                     dark=True),
                card_markup("Picture sequence", '<SequencePic name="equalizer" bkimage="eq1.png" '
                     'picture="eq.png" startindex="1" endindex="8" interval="90" width="48" '
                     'height="32" padding="40,20,0,0"/>'),
                card_markup("Animated GIF", '<GifAnim name="ball" bkimage="ball.gif" width="64" '
                     'height="64" padding="32,4,0,0"/>'),
                card_markup("Animation option", (
                    '<AnimationOption name="heart" width="200" height="40" text="Hover over me" '
                    'textpadding="44,0,0,0" align="lcenter" textcolor="#FF2B3445" '
                    'hotbkcolor="#FFF6E3E4" normalimage="file=\'heart1.png\' dest=\'6,4,38,36\'" '
                    'picturehover="file=\'heart.png\' dest=\'6,4,38,36\'" startindexhover="1" '
                    'endindexhover="6" intervalhover="70" loophover="true"/>'
                    '<Label text="the heart beats while the pointer is over it" font="3" '
                    'textcolor="#FF6B7A90" height="18"/>')),
                card_markup("Progress with a spinner", (
                    '<ProgressEx name="progressex" width="360" height="24" min="0" max="100" '
                    'value="64" lineforeimage="pe_line.png" lineheight="6" '
                    'linebkcolor="#FF2A3142" point="pe_point.png" pointwidth="12" '
                    'pointheight="12" animation="spinner_small.png" animationwidth="24" '
                    'animationheight="24" interval="50"/>'), dark=True)))


def layouts_page():
    subtabs = "".join(
        '<Option name="sub%d" group="sub" userdata="subpages:%d" text="%s" width="90" '
        'height="28" textcolor="#FF2B3445" selectedtextcolor="#FFFFFFFF" '
        'selectedbkcolor="#FF3D7BE0" hotbkcolor="#FFDCE3EE"%s/>' % (
            i, i, text, ' selected="true"' if i == 0 else "")
        for i, text in enumerate(("First", "Second", "Third")))
    pages = "".join(
        '<VerticalLayout bkcolor="%s"><Label text="%s" align="vcenter" font="2" textcolor="%s"/>'
        '</VerticalLayout>' % (page[2], page[0], page[1])
        for page in (("Page one", "#FF3D7BE0", "#FFEEF3FC"),
                     ("Page two", "#FF2FA36B", "#FFEAF6EF"),
                     ("Page three", "#FFE0484D", "#FFFCEEEE")))
    return ('<VerticalLayout name="page_layouts" childpadding="14">'
            '<HorizontalLayout height="170" childpadding="14">'
            '<ChildLayout name="child" xmlfile="gallery_child.xml"/>%s</HorizontalLayout>'
            '<HorizontalLayout height="190" childpadding="14">%s%s</HorizontalLayout>'
            '<Control/></VerticalLayout>' % (
                card_markup("Tab layout", '<HorizontalLayout height="28" childpadding="6">%s'
                     '</HorizontalLayout><TabLayout name="subpages">%s</TabLayout>'
                     % (subtabs, pages)),
                card_markup("A panel that resizes", (
                    '<VerticalLayout name="panel" height="90" sepheight="6" bkcolor="#FFEEF3FC" '
                    'inset="10,8,10,8"><Label text="Drag the strip at the bottom edge" '
                    'font="3" textcolor="#FF4A5568"/></VerticalLayout>')),
                card_markup("Floating controls", (
                    '<Container bkcolor="#FFEEF3FC" height="100">'
                    '<Label text="Placed by the layout" align="center" font="3" '
                    'textcolor="#FF4A5568"/>'
                    '<Label float="true" pos="10,10,40,28" bkimage="badge.png" text="9" '
                    'align="vcenter" font="3" textcolor="#FFFFFFFF"/>'
                    '<Control float="0.5,0.5,0.5,0.5" pos="-12,-12,12,12" '
                    'bkimage="pe_point.png"/></Container>'))))


def window_markup():
    return ('<?xml version="1.0" encoding="utf-8"?>\n'
            '<Window size="1000,680" caption="0,0,0,44" roundcorner="8,8" sizebox="4,4,4,4" '
            'mininfo="800,560">\n'
            '<Font id="0" name="Tahoma" size="13" default="true"/>\n'
            '<Font id="1" name="Tahoma" size="13" bold="true"/>\n'
            '<Font id="2" name="Tahoma" size="18" bold="true"/>\n'
            '<Font id="3" name="Tahoma" size="11"/>\n'
            '<Font id="4" name="Tahoma" size="22" bold="true"/>\n'
            '<Default name="VScrollBar" value="%s"/>\n'
            '<Default name="HScrollBar" value="%s"/>\n'
            '<VerticalLayout bkcolor="#FFF3F5F9" bordercolor="#FF9AA5B8" bordersize="1">'
            '<HorizontalLayout height="44" bkcolor="#FF2F5FB3" bkcolor2="#FF3D7BE0">'
            '<Label text="SkinUI gallery" font="2" textcolor="#FFFFFFFF" padding="18,0,0,0" '
            'width="200" align="lcenter"/><Label name="status" font="3" textcolor="#FFDCE6F8" '
            'align="lcenter" '
            'text="every control of the framework in one window"/>%s%s%s%s'
            '</HorizontalLayout><HorizontalLayout>'
            '<VerticalLayout width="176" bkcolor="#FFE9EDF4" inset="16,16,16,16" '
            'childpadding="4">%s%s%s%s<Control/>'
            '<Label text="Skin: gallery.xml" font="3" textcolor="#FF6B7A90" height="18"/>'
            '</VerticalLayout><TabLayout name="pages" inset="16,16,16,16">%s%s%s%s</TabLayout>'
            '</HorizontalLayout></VerticalLayout>\n</Window>\n' % (
                scroll_defaults(False), scroll_defaults(True),
                caption_button("minbtn", "sys_min.png"),
                caption_button("maxbtn", "sys_max.png"),
                caption_button("restorebtn", "sys_restore.png", ' visible="false"'),
                caption_button("closebtn", "sys_close.png").replace(
                    'padding="0,8,0,0"', 'padding="0,8,8,0"'),
                nav_option("nav_controls", "Controls", 0, True),
                nav_option("nav_lists", "Lists", 1),
                nav_option("nav_animation", "Animation", 2),
                nav_option("nav_layouts", "Layouts", 3),
                controls_page(), lists_page(), animation_page(), layouts_page()))


def child_markup():
    return ('<?xml version="1.0" encoding="utf-8"?>\n<Window>%s</Window>\n' % card_markup(
        "Child layout", (
            '<Label text="This card comes from gallery_child.xml." '
            'font="3" textcolor="#FF4A5568" height="36"/>'
            '<HorizontalLayout height="28" childpadding="8">'
            '<Button name="child_button" text="In the child" width="120" textcolor="#FFFFFFFF" '
            '%s/></HorizontalLayout>' % " ".join(
                '%s="%s"' % (attr, frame_of("button.png", i, 96, 32, False, "corner='8,8,8,8'"))
                for i, attr in enumerate(("normalimage", "hotimage", "pushedimage"))))))


def row_markup():
    return ('<?xml version="1.0" encoding="utf-8"?>\n<Window>'
            '<HorizontalLayout height="30" inset="12,0,12,0" bordercolor="#FFE9EDF4" '
            'bottombordersize="1"><Label text="A row of the list" font="0" align="lcenter" '
            'textcolor="#FF2B3445"/><Label text="included" width="80" align="rcenter" font="3" '
            'textcolor="#FF9AA5B8"/></HorizontalLayout></Window>\n')


def pretty(markup):
    """The markup indented, one element per line, for the skin's readers."""
    document = xml.dom.minidom.parseString(markup.replace("\n", "").encode("utf-8"))
    return document.toprettyxml(indent="  ", encoding="utf-8").decode("utf-8")


def markups():
    yield "gallery.xml", pretty(window_markup())
    yield "gallery_child.xml", pretty(child_markup())
    yield "gallery_row.xml", pretty(row_markup())



def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "skin")
    os.makedirs(out_dir, exist_ok=True)
    for name, canvas in pictures():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(canvas.png())
    frames, delays = bouncing_ball_frames(12)
    with open(os.path.join(out_dir, "ball.gif"), "wb") as f:
        f.write(encode_gif(frames, delays))
    for name, text in markups():
        with open(os.path.join(out_dir, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    main()
