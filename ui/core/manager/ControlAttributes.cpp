// The control base's skin attributes: its table, the lookup every subclass chains to, the
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
         [](C& c) { return FormatAttrRect(c.m_rcItem); }},
        AttrRect::Row<nullptr, &C::RelativeRect>(L"relativepos"),
        AttrRect::Row<&C::SetPadding, &C::m_rcPadding>(L"padding"),
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
         [](C& c) { return FormatAttrInt(c.m_nBorderSize); }},
        AttrInt::Row<&C::SetLeftBorderSize>(L"leftbordersize"),
        AttrInt::Row<&C::SetTopBorderSize>(L"topbordersize"),
        AttrInt::Row<&C::SetRightBorderSize>(L"rightbordersize"),
        AttrInt::Row<&C::SetBottomBorderSize>(L"bottombordersize"),
        AttrInt::Row<&C::SetBorderStyle>(L"borderstyle"),
        AttrSize::Row<&C::SetBorderRound, &C::m_cxyBorderRound>(L"borderround"),
        AttrText::Row<&C::SetBackImage, &C::BackImage>(L"bkimage"),
        AttrText::Row<&C::SetForeImage>(L"foreimage"),
        AttrText::Row<&C::SetForeImage>(L"bkimage2"),
        AttrInt::Row<&C::SetFixedWidth, &C::FixedWidth>(L"width"),
        AttrInt::Row<&C::SetFixedHeight, &C::FixedHeight>(L"height"),
        AttrInt::Row<&C::SetMinWidth, &C::MinWidth>(L"minwidth"),
        AttrInt::Row<&C::SetMinHeight, &C::MinHeight>(L"minheight"),
        AttrInt::Row<&C::SetMaxWidth, &C::MaxWidth>(L"maxwidth"),
        AttrInt::Row<&C::SetMaxHeight, &C::MaxHeight>(L"maxheight"),
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
    static const CAttributeTable<C> table(rows);
    return table;
}

CUIString CControlUI::QueryAttribute(LPCWSTR name) {
    CUIString text;
    if (name != nullptr) Attributes().Query(*this, name, text);
    return text;
}

void CControlUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    if (value == nullptr) value = L"";
    Attributes().Apply(*this, name, value);
}

EScaledAttr ScaledControlAttribute(LPCWSTR name) {
    struct TLength {
        LPCWSTR name;
        EScaledAttr kind;
    };
    // Every attribute of the framework's controls whose value is a length in pixels.
    static const TLength kLengths[] = {
        {L"pos", EScaledAttr::Rect},          {L"padding", EScaledAttr::Rect},
        {L"inset", EScaledAttr::Rect},        {L"textpadding", EScaledAttr::Rect},
        {L"itemtextpadding", EScaledAttr::Rect},
        {L"bordersize", EScaledAttr::NumberOrRect},
        {L"borderround", EScaledAttr::Size},  {L"itemsize", EScaledAttr::Size},
        {L"dropboxsize", EScaledAttr::Size},  {L"thumbsize", EScaledAttr::Size},
        {L"width", EScaledAttr::Number},      {L"height", EScaledAttr::Number},
        {L"minwidth", EScaledAttr::Number},   {L"minheight", EScaledAttr::Number},
        {L"maxwidth", EScaledAttr::Number},   {L"maxheight", EScaledAttr::Number},
        {L"leftbordersize", EScaledAttr::Number}, {L"topbordersize", EScaledAttr::Number},
        {L"rightbordersize", EScaledAttr::Number}, {L"bottombordersize", EScaledAttr::Number},
        {L"childpadding", EScaledAttr::Number}, {L"sepwidth", EScaledAttr::Number},
        {L"itemheight", EScaledAttr::Number}, {L"itemminwidth", EScaledAttr::Number},
        {L"indent", EScaledAttr::Number},     {L"linesize", EScaledAttr::Number},
        {L"lineheight", EScaledAttr::Number}, {L"pointwidth", EScaledAttr::Number},
        {L"pointheight", EScaledAttr::Number}, {L"animationwidth", EScaledAttr::Number},
        {L"animationheight", EScaledAttr::Number},
    };
    if (name == nullptr) return EScaledAttr::None;
    for (const TLength& length : kLengths)
        if (wcscmp(length.name, name) == 0) return length.kind;
    return EScaledAttr::None;
}

int CControlUI::Dpi() const { return m_pManager != nullptr ? m_pManager->Dpi() : kBaseDpi; }

void CControlUI::ApplySkinAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    if (value == nullptr) value = L"";
    const EScaledAttr kind = ScaledControlAttribute(name);
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
        ApplyAttribute(entry.name, ScaleAttrValue(ScaledControlAttribute(entry.name), entry.value, dpi));
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
