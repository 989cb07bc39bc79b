#!/usr/bin/env python3
"""Writes the gallery's own skin into tools/gallery/skin/: its pictures, its animated GIF and
its markup (gallery.xml, the window; gallery_child.xml, the document a child layout builds;
gallery_row.xml, one row of a list, included many times). Python standard library only: the
pictures are drawn in gallery_pictures.py with the project's rasteriser and written as PNG files
with zlib; the GIF encoder is vexoharness.pictures.gif. The output is deterministic, so running
it again reproduces the committed files.

Usage: make_gallery_skin.py [OUTPUT_DIR]   (default: the skin folder beside this script)
Needs PYTHONPATH=REPO/tools (scripts/env.sh sets it).
"""
import glob
import importlib
import os
import sys
import xml.dom.minidom

from gallery_pictures import bouncing_ball_frames, pictures
from vexoharness.pictures.gif import encode_gif

HERE = os.path.dirname(os.path.abspath(__file__))


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


def extra_pages():
    """The pages of further control families: each is a module gallery_page_<name>.py beside
    this script with NAME (short, for the navigation option "nav_<NAME>"), TEXT (the option's
    label) and markup() (the page, a control of its own), taken in file-name order."""
    pages = []
    for path in sorted(glob.glob(os.path.join(HERE, "gallery_page_*.py"))):
        module = importlib.import_module(os.path.splitext(os.path.basename(path))[0])
        pages.append((module.NAME, module.TEXT, module.markup()))
    return pages


def window_markup():
    extra = extra_pages()
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
            'childpadding="4">%s%s%s%s%s<Control/>'
            '<Label text="Skin: gallery.xml" font="3" textcolor="#FF6B7A90" height="18"/>'
            '</VerticalLayout><TabLayout name="pages" inset="16,16,16,16">%s%s%s%s%s</TabLayout>'
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
                "".join(nav_option("nav_" + name, text, 4 + index)
                        for index, (name, text, _) in enumerate(extra)),
                controls_page(), lists_page(), animation_page(), layouts_page(),
                "".join(markup for _, _, markup in extra)))


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
