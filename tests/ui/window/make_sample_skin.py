#!/usr/bin/env python3
"""Draws the sample skin of the window tests: its markup and pictures, written into the folder
sample_skin beside this script, and the icon of the test host, sample_window.ico (the output is
committed; the ZIP forms of the skin are packed at build time by tools/pack_skin.py).

The skin uses every control of the labels, buttons, options, progress bars and slider family in
one frameless window with a caption band, system buttons named "minbtn", "maxbtn", "restorebtn"
and "closebtn", rounded corners and an included footer.

Usage: make_sample_skin.py [OUTPUT_DIR]   (default: the folder of this script)
Standard library only: PNG and ICO files are encoded with vexoharness.pictures (found through
PYTHONPATH=REPO/tools, which scripts/env.sh sets).
"""
import os
import sys

from vexoharness.pictures.ico import encode_ico
from vexoharness.pictures.png import encode_png

HERE = os.path.dirname(os.path.abspath(__file__))

# ---- Pictures -----------------------------------------------------------------------------------


class Canvas:
    """Straight RGBA pixels, transparent to begin with."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, rgba):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = rgba

    def fill(self, left, top, right, bottom, rgba):
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                self.rows[y][x] = rgba

    def frame(self, left, top, right, bottom, rgba, width=1):
        self.fill(left, top, right, top + width, rgba)
        self.fill(left, bottom - width, right, bottom, rgba)
        self.fill(left, top, left + width, bottom, rgba)
        self.fill(right - width, top, right, bottom, rgba)

    def disc(self, cx, cy, radius, rgba, hole=0.0):
        """A filled circle (a ring when hole > 0) centred on the pixel grid point (cx, cy)."""
        for y in range(self.height):
            for x in range(self.width):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if hole <= d <= radius:
                    self.put(x, y, rgba)

    def line(self, x0, y0, x1, y1, rgba, width=2):
        steps = max(abs(x1 - x0), abs(y1 - y0)) * 2 + 1
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            self.fill(int(x), int(y), int(x) + width, int(y) + width, rgba)

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                self.put(left + x, top + y, other.rows[y][x])

    def rgba_bytes(self):
        return bytes(channel for row in self.rows for pixel in row for channel in pixel)

    def png(self):
        return encode_png(self.width, self.height, self.rgba_bytes())


WHITE = (255, 255, 255, 255)
TITLE_TOP, TITLE_BOTTOM = (30, 60, 120), (20, 45, 95)


def title_band():
    canvas = Canvas(4, 36)
    for y in range(36):
        mix = [round(a + (b - a) * y / 35) for a, b in zip(TITLE_TOP, TITLE_BOTTOM)]
        canvas.fill(0, y, 4, y + 1, tuple(mix) + (255,))
    return canvas


def system_button(glyph, hot, pushed):
    """Three 36 x 36 cells side by side: normal (no background), hot, pushed; a white glyph."""
    canvas = Canvas(108, 36)
    canvas.fill(36, 0, 72, 36, hot + (255,))
    canvas.fill(72, 0, 108, 36, pushed + (255,))
    for cell in range(3):
        glyph(canvas, cell * 36)
    return canvas


def glyph_min(c, x):
    c.fill(x + 12, 22, x + 24, 24, WHITE)


def glyph_max(c, x):
    c.frame(x + 12, 12, x + 24, 24, WHITE, 2)


def glyph_restore(c, x):
    c.frame(x + 15, 10, x + 26, 21, WHITE, 2)
    c.fill(x + 10, 15, x + 21, 26, (0, 0, 0, 0))
    c.frame(x + 10, 15, x + 21, 26, WHITE, 2)


def glyph_close(c, x):
    c.line(x + 12, 12, x + 23, 23, WHITE)
    c.line(x + 23, 12, x + 12, 23, WHITE)


def push_button():
    """Four 160 x 40 bands: normal, hot, pushed, disabled."""
    canvas = Canvas(160, 160)
    bands = [((40, 120, 200), (20, 80, 150)), ((90, 170, 245), (40, 120, 200)),
             ((20, 70, 140), (10, 40, 90)), ((190, 190, 190), (150, 150, 150))]
    for i, (face, edge) in enumerate(bands):
        canvas.fill(0, i * 40, 160, i * 40 + 40, face + (255,))
        canvas.frame(0, i * 40, 160, i * 40 + 40, edge + (255,), 2)
    return canvas


def radio_cells():
    """Four 16 x 16 cells: normal, hot, selected, selected and hot."""
    canvas = Canvas(64, 16)
    grey, blue = (120, 120, 120, 255), (40, 120, 200, 255)
    for i, ring in enumerate([grey, blue, grey, blue]):
        canvas.disc(i * 16 + 8, 8, 7.5, WHITE)
        canvas.disc(i * 16 + 8, 8, 7.5, ring, hole=6.0)
        if i >= 2:
            canvas.disc(i * 16 + 8, 8, 4.0, blue)
    return canvas


def check_cells():
    """Four 16 x 16 cells: normal, hot, selected, selected and hot."""
    canvas = Canvas(64, 16)
    grey, blue = (120, 120, 120, 255), (40, 120, 200, 255)
    for i, edge in enumerate([grey, blue, grey, blue]):
        x = i * 16
        canvas.fill(x, 0, x + 16, 16, WHITE)
        canvas.frame(x, 0, x + 16, 16, edge, 2)
        if i >= 2:
            canvas.line(x + 3, 8, x + 6, 11, blue)
            canvas.line(x + 6, 11, x + 12, 4, blue)
    return canvas


def bar(width, height, rgba, top=0, bottom=None):
    """A picture transparent except for rows top..bottom."""
    canvas = Canvas(width, height)
    canvas.fill(0, top, width, height if bottom is None else bottom, rgba)
    return canvas


def thumb_cells():
    """Three 16 x 16 cells: normal, hot, pushed."""
    canvas = Canvas(48, 16)
    for i, face in enumerate([(250, 250, 250), (200, 225, 250), (40, 120, 200)]):
        canvas.disc(i * 16 + 8, 8, 7.5, (80, 80, 80, 255))
        canvas.disc(i * 16 + 8, 8, 6.0, face + (255,))
    return canvas


def pictures():
    return {
        "title.png": title_band(),
        "min.png": system_button(glyph_min, (60, 100, 170), (15, 35, 80)),
        "max.png": system_button(glyph_max, (60, 100, 170), (15, 35, 80)),
        "restore.png": system_button(glyph_restore, (60, 100, 170), (15, 35, 80)),
        "close.png": system_button(glyph_close, (200, 50, 50), (150, 30, 30)),
        "button.png": push_button(),
        "radio.png": radio_cells(),
        "check.png": check_cells(),
        "progress_bk.png": bar(8, 8, (215, 218, 222, 255)),
        "progress_fore.png": bar(8, 8, (60, 170, 90, 255)),
        "slider_bk.png": bar(8, 16, (200, 204, 210, 255), 6, 10),
        "slider_fore.png": bar(8, 16, (40, 120, 200, 255), 6, 10),
        "thumb.png": thumb_cells(),
    }


def icon():
    """A 32 x 32 icon (32-bit BMP inside an ICO): a blue square with a white frame."""
    size = 32
    canvas = Canvas(size, size, (40, 120, 200, 255))
    canvas.frame(0, 0, size, size, WHITE, 3)
    return encode_ico([canvas])


# ---- Markup -------------------------------------------------------------------------------------

def state_images(picture, cell, states):
    """Attribute text naming one cell of a picture for each state, side by side."""
    parts = []
    for i, state in enumerate(states):
        parts.append("%s=\"file='%s' source='%d,0,%d,%d'\""
                     % (state, picture, i * cell, (i + 1) * cell, cell))
    return " ".join(parts)


def list_value(pairs):
    """A default attribute list (name="value" pairs) written as one markup attribute value."""
    return " ".join('%s=&quot;%s&quot;' % (name, value) for name, value in pairs)


def box_defaults(picture):
    def cell(i):
        return "file='%s' source='%d,0,%d,16' dest='0,4,16,20'" % (picture, i * 16, i * 16 + 16)
    return list_value([("normalimage", cell(0)), ("hotimage", cell(1)), ("selectedimage", cell(2)),
                       ("selectedhotimage", cell(3)), ("textpadding", "22,0,0,0"),
                       ("align", "lcenter"), ("height", "24"), ("textcolor", "#FF303030")])


def button_images():
    return " ".join("%s=\"file='button.png' source='0,%d,160,%d'\"" % (state, top, top + 40)
                    for state, top in [("normalimage", 0), ("hotimage", 40), ("pushedimage", 80),
                                       ("disabledimage", 120)])


def system_button_markup(name, picture, visible=True):
    hidden = '' if visible else ' visible="false"'
    return ('<Button name="%s" width="36" height="36"%s %s/>' %
            (name, hidden, state_images(picture, 36, ["normalimage", "hotimage", "pushedimage"])))


SAMPLE = """<?xml version="1.0" encoding="UTF-8"?>
<Window size="640,420" caption="0,0,0,36" roundcorner="8,8" sizebox="4,4,4,4" mininfo="480,320"
        showshadow="true" shadowsize="4" shadowposition="0,0" shadowcolor="#FF000000">
  <Font id="0" name="Tahoma" size="13" default="true"/>
  <Font id="1" name="Tahoma" size="16" bold="true"/>
  <Image name="button.png"/>
  <Default name="Option" value="{option_defaults}"/>
  <Default name="CheckBox" value="{check_defaults}"/>
  <VerticalLayout name="root" bkcolor="#FFF4F6F8">
    <HorizontalLayout name="titlebar" height="36" bkimage="title.png">
      <Label name="title" text="SkinUI sample" font="1" textcolor="#FFFFFFFF" padding="12,0,0,0"
             width="220" align="lcenter"/>
      <Control name="titlespace"/>
      {minbtn}
      {maxbtn}
      {restorebtn}
      {closebtn}
    </HorizontalLayout>
    <HorizontalLayout name="body" inset="16,16,16,16" childpadding="24">
      <VerticalLayout name="leftcolumn" width="220" childpadding="10">
        <Button name="clickbtn" text="Click me" width="160" height="40" textcolor="#FFFFFFFF"
                font="1" {button_images}/>
        <Button name="disabledbtn" text="Disabled" width="160" height="40" enabled="false"
                textcolor="#FFFFFFFF" {button_images}/>
        <Option name="opt1" group="colors" text="Red" selected="true"/>
        <Option name="opt2" group="colors" text="Green"/>
        <Option name="opt3" group="colors" text="Blue"/>
        <CheckBox name="check" text="Check me"/>
      </VerticalLayout>
      <VerticalLayout name="rightcolumn" childpadding="10">
        <Label name="status" text="Ready" height="24" textcolor="#FF1E3C78" align="lcenter"/>
        <Text name="text" text="A text with {{a home}}a link{{/a}} in it." showhtml="true"/>
        <LabelEx name="labelex" text="LabelEx with effects" height="28" font="1"
                 enabledeffect="true" textcolor="#FF1E3C78" textcolor1="#FF3CB4FF"
                 enabledshadow="true" shadowoffset="2,45"/>
        <Progress name="progress" height="12" bkimage="progress_bk.png"
                  foreimage="progress_fore.png" value="37"/>
        <HorizontalLayout name="sliderrow" height="130" childpadding="24">
          <Progress name="vprogress" width="12" height="120" hor="false" bkimage="progress_bk.png"
                    foreimage="progress_fore.png" value="60"/>
          <Slider name="slider" width="240" height="16" thumbsize="16,16" value="20" step="5"
                  bkimage="slider_bk.png" foreimage="slider_fore.png" {thumb_images}/>
        </HorizontalLayout>
      </VerticalLayout>
    </HorizontalLayout>
    <Include source="footer.xml" count="1"/>
  </VerticalLayout>
</Window>
"""

FOOTER = """<?xml version="1.0" encoding="UTF-8"?>
<Window>
  <Label name="footer" text="Included footer" height="22" padding="16,0,0,0" textcolor="#FF808080"
         align="lcenter"/>
</Window>
"""


def markup():
    return SAMPLE.format(
        option_defaults=box_defaults("radio.png"),
        check_defaults=box_defaults("check.png"),
        minbtn=system_button_markup("minbtn", "min.png"),
        maxbtn=system_button_markup("maxbtn", "max.png"),
        restorebtn=system_button_markup("restorebtn", "restore.png", visible=False),
        closebtn=system_button_markup("closebtn", "close.png"),
        button_images=button_images(),
        thumb_images=state_images("thumb.png", 16,
                                  ["thumbimage", "thumbhotimage", "thumbpushedimage"]))


# ---- Output -------------------------------------------------------------------------------------

def write(out_dir):
    skin_dir = os.path.join(out_dir, "sample_skin")
    os.makedirs(skin_dir, exist_ok=True)
    files = {"sample.xml": markup().encode("utf-8"), "footer.xml": FOOTER.encode("utf-8")}
    files.update({name: canvas.png() for name, canvas in pictures().items()})
    for name, data in sorted(files.items()):
        with open(os.path.join(skin_dir, name), "wb") as f:
            f.write(data)
    with open(os.path.join(out_dir, "sample_window.ico"), "wb") as f:
        f.write(icon())


def main(argv):
    if len(argv) > 2:
        sys.stderr.write(__doc__)
        return 2
    write(argv[1] if len(argv) == 2 else HERE)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
