"""The gallery page of the list family: a list with a header of three draggable columns and
fifty text rows, a list of label rows, and a combo of eight items."""

NAME = "listcontrols"
TEXT = "List, combo"

ITEM_LOOK = ('itemtextcolor="#FF2B3445" itemselectedtextcolor="#FFFFFFFF" '
             'itemselectedbkcolor="#FF3D7BE0" itemhotbkcolor="#FFE3ECFA" itemfont="0"')

FRUITS = ["Apple", "Banana", "Cherry", "Damson", "Elderberry", "Fig", "Grape", "Hazelnut"]


def header_item(text, width):
    return ('<ListHeaderItem text="%s" width="%d" dragable="true" sepwidth="6" font="1" '
            'textcolor="#FF2B3445" hotbkcolor="#FFDCE3EE"/>' % (text, width))


def text_rows(count):
    return "".join('<ListTextElement texts="Package %02d|%d MB|%s"/>'
                   % (i + 1, (i * 37) % 900 + 10, "installed" if i % 3 == 0 else "available")
                   for i in range(count))


def markup():
    header = ('<ListHeader height="28" bkcolor="#FFE9EDF4">%s%s%s</ListHeader>'
              % (header_item("Name", 180), header_item("Size", 110), header_item("State", 130)))
    labels = "".join('<ListLabelElement text="Mirror %d"/>' % (i + 1) for i in range(12))
    combo_items = "".join('<ListLabelElement text="%s"/>' % fruit for fruit in FRUITS)
    return ('<HorizontalLayout name="page_listcontrols" childpadding="16">'
            '<VerticalLayout width="470" childpadding="8">'
            '<Label text="A list with a header: drag a separator, click a column" font="3" '
            'textcolor="#FF6B7A90" height="18"/>'
            '<List name="packages" multiselect="true" bkcolor="#FFFFFFFF" bordercolor="#FFDCE3EE" '
            'bordersize="1" itemlinecolor="#FFF0F2F6" %s>%s%s</List></VerticalLayout>'
            '<VerticalLayout childpadding="8">'
            '<Label text="Label rows" font="3" textcolor="#FF6B7A90" height="18"/>'
            '<List name="mirrors" height="200" header="hidden" bkcolor="#FFFFFFFF" '
            'bordercolor="#FFDCE3EE" bordersize="1" %s>%s</List>'
            '<Label text="A combo" font="3" textcolor="#FF6B7A90" height="18"/>'
            '<Combo name="fruits" width="200" height="28" bkcolor="#FFFFFFFF" '
            'bordercolor="#FF9AA5B8" bordersize="1" dropboxsize="0,150" %s>%s</Combo>'
            '<Control/></VerticalLayout></HorizontalLayout>'
            % (ITEM_LOOK, header, text_rows(50), ITEM_LOOK, labels, ITEM_LOOK, combo_items))
