"""The gallery's input page: edits in each of their modes and a date picker. Each field is
named, so the window test finds its rectangle in the event log and the notifications it sends
("textchanged", "return", "datetimechange")."""

NAME = "input"
TEXT = "Input"

# The look every field shares: a white box with a thin edge that turns blue with the focus.
FIELD = ('height="30" width="280" bkcolor="#FFFFFFFF" bordersize="1" bordercolor="#FFC5CDD9" '
         'focusbordercolor="#FF3D7BE0" textpadding="8,0,8,0" textcolor="#FF2B3445" '
         'disabledtextcolor="#FF6B7A90" font="0"')


def row(caption, field):
    """A caption at the left of one field."""
    return ('<HorizontalLayout height="30" childpadding="12"><Label text="%s" width="150" '
            'font="3" textcolor="#FF6B7A90" align="lcenter"/>%s</HorizontalLayout>' % (
                caption, field))


def markup():
    from make_gallery_skin import card_markup  # the page is built by that script

    fields = "".join((
        row("Plain", '<Edit name="plain" %s/>' % FIELD),
        row("Password", '<Edit name="secret" password="true" passwordchar="*" %s/>' % FIELD),
        row("Numbers, at most 6",
            '<Edit name="number" numberonly="true" maxchar="6" %s/>' % FIELD),
        row("With a placeholder",
            '<Edit name="hint" tipvalue="Type your name" tipvaluecolor="#FFA0A9B8" %s/>'
            % FIELD),
        row("Read-only", '<Edit name="fixed" readonly="true" text="You can select this" '
                         'nativebkcolor="#FFF3F5F9" %s/>' % FIELD),
        row("Date", '<DateTime name="date" %s/>' % FIELD),
    ))
    card = card_markup("Edits and a date", fields)
    return ('<VerticalLayout name="page_input"><VerticalLayout height="310">%s</VerticalLayout>'
            '<Control/></VerticalLayout>' % card)
