"""The gallery page of the rich edit: an editable multi-line rich edit whose text runs past its
height (so its vertical scroll bar shows), and a read-only one."""

from make_gallery_skin import card_markup

NAME = "richedit"
TEXT = "Rich edit"

# RTF, so that the lines break and a few words show the rich text's formats.
LINES = [r"{\b Rich edit:} click here and type.",
         "Enter starts a new line; the wheel or the bar scrolls.",
         r"Line three, {\i in italics} and {\cf1 in red}.",
         "Line four of the sample text.",
         "Line five of the sample text.",
         "Line six of the sample text.",
         "Line seven of the sample text.",
         "Line eight: the last one."]


def edit(name, text, height, extra=""):
    return ('<RichEdit name="%s" height="%d" text="%s" font="0" textcolor="#FF2B3445" '
            'bkcolor="#FFFFFFFF" bordercolor="#FF9AA5B8" bordersize="1" inset="1,1,1,1" '
            'textpadding="6,4,6,4" multiline="true" vscrollbar="true"%s/>' % (
                name, height, text, extra))


def markup():
    rtf = (r"{\rtf1{\fonttbl{\f0 Tahoma;}}{\colortbl;\red224\green72\blue77;}\f0\fs20 " +
           r"\par ".join(LINES) + "}")
    editable = edit("richtext", rtf, 120)
    readonly = edit("richread", "This text is read-only: typing leaves it as it is.", 60,
                    ' readonly="true"')
    return ('<VerticalLayout childpadding="16">%s%s<Control/></VerticalLayout>' % (
        card_markup("Rich edit", editable), card_markup("Read-only rich edit", readonly)))
