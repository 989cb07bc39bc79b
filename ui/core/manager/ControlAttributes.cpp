// The control base's skin attributes: its table, the walk of a control's chain of tables that
// ApplyAttribute and QueryAttribute do for every class, the scaling of skin lengths, the
// default attribute lists, and the text forms that every table's query side uses.

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

CUIString FormatAttrInt(int value) {
    CUIString text;
    text.Format(L"%d", value);
    return text;
}

CUIString FormatAttrColor(DWORD color) {
    CUIString text;
    text.Format(L"#%08X", static_cast<unsigned>(color));
    return text;
}

CUIString FormatAttrRect(const RECT& rc) {
    CUIString text;
    text.Format(L"%d,%d,%d,%d", static_cast<int>(rc.left), static_cast<int>(rc.top),
                static_cast<int>(rc.right), static_cast<int>(rc.bottom));
    return text;
}

CUIString FormatAttrSize(SIZE size) {
    CUIString text;
    text.Format(L"%d,%d", static_cast<int>(size.cx), static_cast<int>(size.cy));
    return text;
}

const CAttributeTable<CControlUI>& CControlUI::Attributes() {
    using C = CControlUI;
    static const TAttributeRow<C> rows[] = {
        {L"pos",
         [](C& c, LPCWSTR v) {
             const RECT rc = ParseAttrRect(v);
             c.SetFixedXY(SIZE{rc.left, rc.top});
             c.SetFixedWidth(ClampCoordinate(static_cast<long long>(rc.right) - rc.left));
             c.SetFixedHeight(ClampCoordinate(static_cast<long long>(rc.bottom) - rc.top));
         },
         [](C& c) { return FormatAttrRect(c.m_rcItem); }, EScaledAttr::Rect},
        AttrRect::Row<nullptr, &C::RelativeRect>(L"relativepos"),
        AttrLengthRect::Row<&C::SetPadding, &C::m_rcPadding>(L"padding"),
        AttrColorAfterBlanks::Row<&C::SetBackColor, &C::m_dwBackColor>(L"bkcolor"),
        AttrColorAfterBlanks::Row<&C::SetBackColor, &C::m_dwBackColor>(L"bkcolor1"),
        AttrColorAfterBlanks::Row<&C::SetBackColor2, &C::m_dwBackColor2>(L"bkcolor2"),
        AttrColorAfterBlanks::Row<&C::SetBackColor3, &C::m_dwBackColor3>(L"bkcolor3"),
        AttrColor::Row<&C::SetBorderColor, &C::m_dwBorderColor>(L"bordercolor"),
        AttrColor::Row<&C::SetFocusBorderColor, &C::m_dwFocusBorderColor>(L"focusbordercolor"),
        AttrBool::Row<&C::SetColorHSL, &C::m_bColorHSL>(L"colorhsl"),
        // One number sets the width of all four lines; a list sets each side's own.
        {L"bordersize",
         [](C& c, LPCWSTR v) {
             if (wcschr(v, L',') == nullptr) {
                 c.SetBorderSize(ParseAttrInt(v));
                 c.SetBorderSides(RECT{0, 0, 0, 0});
             } else {
                 c.SetBorderSides(ParseAttrRect(v));
             }
         },
         [](C& c) { return FormatAttrInt(c.m_nBorderSize); }, EScaledAttr::NumberOrRect},
        AttrLength::Row<&C::SetLeftBorderSize>(L"leftbordersize"),
        AttrLength::Row<&C::SetTopBorderSize>(L"topbordersize"),
        AttrLength::Row<&C::SetRightBorderSize>(L"rightbordersize"),
        AttrLength::Row<&C::SetBottomBorderSize>(L"bottombordersize"),
        AttrInt::Row<&C::SetBorderStyle>(L"borderstyle"),
        AttrLengthSize::Row<&C::SetBorderRound, &C::m_cxyBorderRound>(L"borderround"),
        AttrText::Row<&C::SetBackImage, &C::BackImage>(L"bkimage"),
        AttrText::Row<&C::SetForeImage>(L"foreimage"),
        AttrText::Row<&C::SetForeImage>(L"bkimage2"),
        AttrLength::Row<&C::SetFixedWidth, &C::FixedWidth>(L"width"),
        AttrLength::Row<&C::SetFixedHeight, &C::FixedHeight>(L"height"),
        AttrLength::Row<&C::SetMinWidth, &C::MinWidth>(L"minwidth"),
        AttrLength::Row<&C::SetMinHeight, &C::MinHeight>(L"minheight"),
        AttrLength::Row<&C::SetMaxWidth, &C::MaxWidth>(L"maxwidth"),
        AttrLength::Row<&C::SetMaxHeight, &C::MaxHeight>(L"maxheight"),
        AttrText::Row<&C::SetName, &C::m_strName>(L"name"),
        AttrText::Row<&C::SetText, &C::m_strText>(L"text"),
        AttrText::Row<&C::SetToolTip, &C::m_strToolTip>(L"tooltip"),
        AttrText::Row<&C::SetUserData, &C::m_strUserData>(L"userdata"),
        AttrBool::Row<&C::SetEnabled, &C::IsEnabled>(L"enabled"),
        AttrBool::Row<&C::SetMouseEnabled, &C::IsMouseEnabled>(L"mouse"),
        AttrBool::Row<&C::SetKeyboardEnabled>(L"keyboard"),
        AttrBool::Row<&C::SetVisible, &C::IsVisible>(L"visible"),
        // "true"/"false", or the four parts of the parent's size added to the edges, which
        // make the control floating.
        {L"float",
         [](C& c, LPCWSTR v) {
             if (wcschr(v, L',') == nullptr) {
                 c.SetFloat(ParseAttrBool(v));
             } else {
                 double parts[4] = {};
                 ParseAttrDoubleList(v, parts, 4);
                 c.SetFloatPercent(TFloatPercent{parts[0], parts[1], parts[2], parts[3]});
                 c.SetFloat(true);
             }
         },
         [](C& c) { return FormatAttrBool(c.m_bFloat); }},
        {L"shortcut", [](C& c, LPCWSTR v) { c.SetShortcut(v[0]); },
         [](C& c) { return c.m_chShortcut != 0 ? CUIString(c.m_chShortcut) : CUIString(); }},
        AttrBool::Row<&C::SetMenuEnabled, &C::m_bMenuUsed>(L"menu"),
        AttrText::Row<&C::SetVirtualWindowName>(L"virtualwnd"),
    };
    static const CAttributeTable<C> table(rows, nullptr);
    return table;
}

// ---- The chain of tables ----------------------------------------------------------------------

bool CAttributeChain::Apply(CControlUI& control, LPCWSTR name, LPCWSTR value) const {
    return ApplyOwn(control, name, value) || ApplyInherited(control, name, value);
}

bool CAttributeChain::ApplyOwn(CControlUI& control, LPCWSTR name, LPCWSTR value) const {
    if (name == nullptr) return false;
    return ApplyHere(control, name, value != nullptr ? value : L"");
}

bool CAttributeChain::ApplyInherited(CControlUI& control, LPCWSTR name, LPCWSTR value) const {
    for (const CAttributeChain* link = m_pBase; link != nullptr; link = link->m_pBase)
        if (link->ApplyOwn(control, name, value)) return true;
    return false;
}

bool CAttributeChain::Query(CControlUI& control, LPCWSTR name, CUIString& text) const {
    if (name == nullptr) return false;
    for (const CAttributeChain* link = this; link != nullptr; link = link->m_pBase)
        if (link->QueryHere(control, name, text)) return true;
    return false;
}

EScaledAttr CAttributeChain::Length(LPCWSTR name) const {
    if (name == nullptr) return EScaledAttr::None;
    for (const CAttributeChain* link = this; link != nullptr; link = link->m_pBase) {
        for (size_t i = 0; i < link->Count(); ++i) {
            const TAttributeRowInfo row = link->Row(i);
            if (row.applies && wcscmp(row.name, name) == 0) return row.length;
        }
    }
    return EScaledAttr::None;
}

CUIString CControlUI::QueryAttribute(LPCWSTR name) {
    CUIString text;
    m_pAttributes->Query(*this, name, text);
    return text;
}

void CControlUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    m_pAttributes->Apply(*this, name, value);
}

int CControlUI::Dpi() const { return m_pManager != nullptr ? m_pManager->Dpi() : kBaseDpi; }

void CControlUI::ApplySkinAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    if (value == nullptr) value = L"";
    const EScaledAttr kind = m_pAttributes->Length(name);
    if (kind == EScaledAttr::None) {
        ApplyAttribute(name, value);
        return;
    }
    m_skinLengths.Remember(name, value);
    ApplyAttribute(name, ScaleAttrValue(kind, value, Dpi()));
}

void CControlUI::RescaleSkinAttributes() {
    const int dpi = Dpi();
    // A copy: applying an attribute may not change the list, but the copy makes that certain.
    const std::vector<CLogicalAttributes::TEntry> lengths = m_skinLengths.Entries();
    for (const CLogicalAttributes::TEntry& entry : lengths)
        ApplyAttribute(entry.name, ScaleAttrValue(m_pAttributes->Length(entry.name), entry.value, dpi));
}

void CControlUI::ApplyAttributeString(LPCWSTR list) {
    // name="value" pairs separated by exactly one blank; any deviation ends the list (what was
    // applied stays applied). There is no escaping.
    LPCWSTR pos = list;
    while (pos != nullptr && *pos != L'\0') {
        LPCWSTR equals = wcschr(pos, L'=');
        if (equals == nullptr || equals[1] != L'"') return;
        LPCWSTR valueStart = equals + 2;
        LPCWSTR closing = wcschr(valueStart, L'"');
        if (closing == nullptr) return;
        const CUIString name(pos, static_cast<int>(equals - pos));
        const CUIString value(valueStart, static_cast<int>(closing - valueStart));
        ApplySkinAttribute(name, value);
        if (closing[1] != L' ' || closing[2] == L'\0') return;
        pos = closing + 2;
    }
}

}  // namespace SkinUI
