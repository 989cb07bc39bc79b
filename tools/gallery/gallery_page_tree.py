"""The gallery's tree page: a file tree three levels deep (folders collapsed and expanded, a row
holding a small button) and a tree of install parts with check boxes."""

NAME = "tree"
TEXT = "Tree"

_VIEW = ('bkcolor="#FFFFFFFF" bordercolor="#FFB8C2D3" bordersize="1" inset="1,1,1,1" '
         'indent="18" itemtextcolor="#FF26324A" itemhottextcolor="#FF1F56B8" '
         'selitemtextcolor="#FFFFFFFF" itemhotbkcolor="#FFE4ECF8" selitembkcolor="#FF3D7BE0"')


def _node(name, text, children="", extra=""):
    named = ' name="%s"' % name if name else ""
    if not children:
        return '<TreeNode%s text="%s"%s/>' % (named, text, extra)
    return '<TreeNode%s text="%s"%s>%s</TreeNode>' % (named, text, extra, children)


def _files():
    reports = _node("tn_reports", "Reports", _node("tn_q1", "q1.pdf") + _node("", "q2.pdf"))
    docs = _node("tn_docs", "Documents", reports + _node("tn_readme", "readme.txt"),
                 ' expanded="false"')
    open_button = ('<Button name="tn_open" text="Open" width="46" height="18" '
                   'padding="4,2,4,2" bkcolor="#FFE8EEF8" hotbkcolor="#FFD0DDF3" '
                   'bordercolor="#FF9AA5B8" bordersize="1" textcolor="#FF26324A"/>')
    shots = _node("tn_shots", "Screenshots", open_button + _node("tn_shot1", "shot1.png"))
    saves = _node("tn_saves", "Saves", _node("", "slot1.sav") + _node("", "slot2.sav"))
    games = _node("tn_games", "Games", saves + shots)
    return '<TreeView name="tree_files" width="300" %s>%s%s%s</TreeView>' % (
        _VIEW, docs, games, _node("tn_log", "install.log"))


def _parts():
    tools = _node("tc_tools", "Tools", _node("tc_editor", "Editor") + _node("", "Profiler"))
    platform = _node("tc_all", "Vexo platform",
                     _node("tc_client", "Client", extra=' checked="true"') +
                     _node("tc_sdk", "SDK") + tools, ' checked="true"')
    return ('<TreeView name="tree_parts" width="300" padding="24,0,0,0" visiblecheckbtn="true" '
            '%s>%s</TreeView>' % (_VIEW, platform))


def markup():
    return ('<VerticalLayout inset="24,20,24,20">'
            '<Label text="Tree view" font="1" height="24" textcolor="#FF26324A"/>'
            '<HorizontalLayout height="300" padding="0,8,0,0">%s%s</HorizontalLayout>'
            '</VerticalLayout>' % (_files(), _parts()))
