#pragma once
// Attribute tables: every control class lists its skin attributes once, one row per name, with
// how a markup value is applied and how the current value is read back. ApplyAttribute and
// QueryAttribute look the name up in their class's table and hand names it does not have to
// the base class, which does the same with its own table.
//
// A class keeps its table in a private static member function, so that the rows' lambdas may
// use its private members:
//
//     const CAttributeTable<CLabelUI>& CLabelUI::Attributes() {
//         static const TAttributeRow<CLabelUI> rows[] = {
//             AttrInt::Row<&CLabelUI::SetFont, &CLabelUI::Font>(L"font"),
//             {L"align", [](CLabelUI& c, LPCWSTR v) { ... }, nullptr},
//         };
//         static const CAttributeTable<CLabelUI> table(rows);
//         return table;
//     }
//
// The syntax rows (AttrInt, AttrBool, AttrColor, ...) cover a value read by one of the
// UIAttribute.h readers and handed to one setter, and read back through one getter in the
// matching text form. Setter and getter are member function pointers or data member pointers
// (a field assigned or read directly); a getter left out makes the row apply-only. Anything
// else is a row with lambdas.

#include <windows.h>

#include <cstddef>
#include <cwchar>
#include <type_traits>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIDpi.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

// The text forms of the query side, shared by every table.
CUIString FormatAttrInt(int value);       // "%d"
CUIString FormatAttrColor(DWORD color);   // "#AARRGGBB"
CUIString FormatAttrRect(const RECT& rc); // "l,t,r,b"
CUIString FormatAttrSize(SIZE size);      // "cx,cy"
inline CUIString FormatAttrBool(bool value) { return value ? L"true" : L"false"; }

// Whether a control attribute's value is a length in skin units, and in which syntax (the
// control base scales those to the window's density, ApplySkinAttribute).
EScaledAttr ScaledControlAttribute(LPCWSTR name);

template <class Control>
struct TAttributeRow {
    LPCWSTR name;                                    // case-sensitive, as written in markup
    void (*apply)(Control& control, LPCWSTR value);  // null: the attribute is only read
    CUIString (*query)(Control& control);            // null: the attribute is only written
};

// A row of one syntax, written before its control class is known: it becomes a row of the
// table it stands in. Set and Get are member function or data member pointers; null leaves
// that side out.
template <class Syntax, auto Set, auto Get>
struct TSyntaxRow {
    LPCWSTR name;

    template <class Control>
    constexpr operator TAttributeRow<Control>() const {  // NOLINT: converts in table rows
        return TAttributeRow<Control>{name, ApplyOf<Control>(), QueryOf<Control>()};
    }

    template <auto Member>
    static constexpr bool kIsNull = std::is_same_v<decltype(Member), std::nullptr_t>;

    template <class Control>
    static constexpr auto ApplyOf() -> void (*)(Control&, LPCWSTR) {
        if constexpr (kIsNull<Set>) {
            return nullptr;
        } else {
            return [](Control& control, LPCWSTR value) {
                if constexpr (std::is_member_object_pointer_v<decltype(Set)>)
                    control.*Set = Syntax::Parse(value);
                else
                    (control.*Set)(Syntax::Parse(value));
            };
        }
    }

    template <class Control>
    static constexpr auto QueryOf() -> CUIString (*)(Control&) {
        if constexpr (kIsNull<Get>) {
            return nullptr;
        } else {
            return [](Control& control) -> CUIString {
                if constexpr (std::is_member_object_pointer_v<decltype(Get)>)
                    return Syntax::Format(control.*Get);
                else
                    return Syntax::Format((control.*Get)());
            };
        }
    }
};

// The syntaxes: how markup text becomes a value (Parse) and a value becomes text (Format), and
// Row<Set, Get>(name), the row that reads with the one and answers with the other.
template <class Syntax>
struct TAttributeSyntax {
    template <auto Set, auto Get = nullptr>
    static constexpr TSyntaxRow<Syntax, Set, Get> Row(LPCWSTR name) {
        return TSyntaxRow<Syntax, Set, Get>{name};
    }
};
struct AttrInt : TAttributeSyntax<AttrInt> {
    static int Parse(LPCWSTR text) { return ParseAttrInt(text); }
    static CUIString Format(int value) { return FormatAttrInt(value); }
};
struct AttrBool : TAttributeSyntax<AttrBool> {
    static bool Parse(LPCWSTR text) { return ParseAttrBool(text); }
    static CUIString Format(bool value) { return FormatAttrBool(value); }
};
struct AttrColor : TAttributeSyntax<AttrColor> {
    static DWORD Parse(LPCWSTR text) { return ParseAttrColor(text); }
    static CUIString Format(DWORD value) { return FormatAttrColor(value); }
};
// The background colours allow blanks before the colour.
struct AttrColorAfterBlanks : TAttributeSyntax<AttrColorAfterBlanks> {
    static DWORD Parse(LPCWSTR text) { return ParseAttrColor(text, true); }
    static CUIString Format(DWORD value) { return FormatAttrColor(value); }
};
struct AttrRect : TAttributeSyntax<AttrRect> {
    static RECT Parse(LPCWSTR text) { return ParseAttrRect(text); }
    static CUIString Format(const RECT& value) { return FormatAttrRect(value); }
};
struct AttrSize : TAttributeSyntax<AttrSize> {
    static SIZE Parse(LPCWSTR text) { return ParseAttrSize(text); }
    static CUIString Format(SIZE value) { return FormatAttrSize(value); }
};
// Text taken as written (a null value stays null for the setter).
struct AttrText : TAttributeSyntax<AttrText> {
    static LPCWSTR Parse(LPCWSTR text) { return text; }
    static CUIString Format(const CUIString& value) { return value; }
};

template <class Control>
class CAttributeTable {
public:
    template <size_t N>
    explicit constexpr CAttributeTable(const TAttributeRow<Control> (&rows)[N])
        : m_rows(rows), m_count(N) {}

    // Applies the value through the row of that name; false when no row applies it.
    bool Apply(Control& control, LPCWSTR name, LPCWSTR value) const {
        const TAttributeRow<Control>* row = Find(name, true);
        if (row == nullptr) return false;
        row->apply(control, value);
        return true;
    }

    // The value read through the row of that name into text; false when no row reads it.
    bool Query(Control& control, LPCWSTR name, CUIString& text) const {
        const TAttributeRow<Control>* row = Find(name, false);
        if (row == nullptr) return false;
        text = row->query(control);
        return true;
    }

    // The rows, in table order (tests walk them).
    size_t Count() const { return m_count; }
    const TAttributeRow<Control>& operator[](size_t index) const { return m_rows[index]; }

private:
    // A null name is in no table.
    const TAttributeRow<Control>* Find(LPCWSTR name, bool applying) const {
        if (name == nullptr) return nullptr;
        for (size_t i = 0; i < m_count; ++i) {
            const TAttributeRow<Control>& row = m_rows[i];
            if ((applying ? row.apply != nullptr : row.query != nullptr) &&
                wcscmp(row.name, name) == 0)
                return &row;
        }
        return nullptr;
    }

    const TAttributeRow<Control>* m_rows;
    size_t m_count;
};

// Tests read a class's private table through this; a class whose rows are walked by a test
// befriends it.
template <class Control>
struct TAttributeTableOf {
    static const CAttributeTable<Control>& Get() { return Control::Attributes(); }
};

}  // namespace SkinUI
