"""The gallery's page of the component hosts: an ActiveX control and the web browser.

The ActiveX control is the project's own test control (vexo_test_control.dll, built with the
tests), in its windowed form: it paints four coloured quadrants in a window of its own that the
host moves, clips and hides with the page. It shows once the DLL is registered for the user
(`regsvr32 vexo_test_control.dll`, as the window test does); unregistered, the host stays empty
and says so in the log ("showactivex" with the error). The browser opens a blank page; where
the system has no HTML engine (Wine here) it shows its message instead."""

NAME = "activex"
TEXT = "ActiveX"

HOST = 'bkcolor="#FFE9EDF3" bordersize="1" bordercolor="#FFC5CDD9"'


def markup():
    from make_gallery_skin import card_markup  # the page is built by that script

    control = ('<HorizontalLayout height="120"><ActiveX name="activex" '
               'clsid="Vexo.TestControlWindowed" width="240" %s/><Control/>'
               '</HorizontalLayout><Label text="The project\'s test control, in a window of its '
               'own (vexo_test_control.dll, registered for the user)." height="20" font="3" '
               'textcolor="#FF6B7A90"/>' % HOST)
    browser = ('<WebBrowser name="browser" homepage="about:blank" autonavi="true" '
               'height="150" %s/>' % HOST)
    return ('<VerticalLayout name="page_activex" childpadding="16">'
            '<VerticalLayout height="214">%s</VerticalLayout>'
            '<VerticalLayout height="210">%s</VerticalLayout><Control/></VerticalLayout>' % (
                card_markup("ActiveX control", control), card_markup("Web browser", browser)))
