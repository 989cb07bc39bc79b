#pragma once
// Attribute tables: every control class lists its skin attributes once, one row per name, with
// how a markup value is applied, how the current value is read back, and whether the value is
// a length in skin units. A class's table links to the table of its nearest base class that
// has one, so a control's tables form a chain from its own class down to CControlUI; the
// control base's ApplyAttribute and QueryAttribute walk that chain (the first row of the name
// decides), and ApplySkinAttribute asks the same row whether to scale the value to the
// window's density. A class overrides ApplyAttribute only where it does more than its rows.
//
// A class keeps its table in a protected static member function, so that the rows' lambdas may
// use its members, and names it to the control base in its constructor (UseAttributes):
//
//     const CAttributeTable<CLabelUI>& CLabelUI::Attributes() {
//         static const TAttributeRow<CLabelUI> rows[] = {
//             AttrInt::Row<&CLabelUI::SetFont, &CLabelUI::Font>(L"font"),
//             AttrLengthRect::Row<&CLabelUI::SetTextPadding>(L"textpadding"),
//             {L"align", [](CLabelUI& c, LPCWSTR v) { ... }, nullptr},
//         };
//         static const CAttributeTable<CLabelUI> table(rows, &CControlUI::Attributes());
//         return table;
//     }
//
// The syntax rows (AttrInt, AttrBool, AttrColor, AttrLength, ...) cover a value read by one of
// the UIAttribute.h readers and handed to one setter, and read back through one getter in the
// matching text form. Setter and getter are member function pointers or data member pointers
// (a field assigned or read directly); a getter left out makes the row apply-only. Anything
// else is a row with lambdas, which names its length syntax itself (EScaledAttr, UIDpi.h).
//
// Rows of a part that several families hold alike (a list's item settings, a tree's item
// colours) are a CAttributeRows of that part, linked into each family's chain as a
// CPartAttributes.

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

class CControlUI;

template <class Control>
struct TAttributeRow {
    LPCWSTR name;                                    // case-sensitive, as written in markup
    void (*apply)(Control& control, LPCWSTR value);  // null: the attribute is only read
    CUIString (*query)(Control& control);            // null: the attribute is only written
    // How the value holds lengths in skin units: None for any other value. A length is scaled
    // to the window's density when it comes from the skin (ApplySkinAttribute).
    EScaledAttr length = EScaledAttr::None;
};

// A row of one syntax, written before its control class is known: it becomes a row of the
// table it stands in. Set and Get are member function or data member pointers; null leaves
// that side out.
template <class Syntax, auto Set, auto Get>
struct TSyntaxRow {
    LPCWSTR name;

    template <class Control>
    constexpr operator TAttributeRow<Control>() const {  // NOLINT: converts in table rows
        return TAttributeRow<Control>{name, ApplyOf<Control>(), QueryOf<Control>(),
                                      Syntax::kLength};
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
    static constexpr EScaledAttr kLength = EScaledAttr::None;  // not a length

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
// Text taken as written.
struct AttrText : TAttributeSyntax<AttrText> {
    static LPCWSTR Parse(LPCWSTR text) { return text; }
    static CUIString Format(const CUIString& value) { return value; }
};
// Lengths in skin units: read and written as Base does, and scaled to the window's density
// when they come from the skin.
template <class Base, EScaledAttr Kind>
struct TLengthSyntax : TAttributeSyntax<TLengthSyntax<Base, Kind>> {
    static constexpr EScaledAttr kLength = Kind;
    static auto Parse(LPCWSTR text) { return Base::Parse(text); }
    template <class Value>
    static CUIString Format(const Value& value) { return Base::Format(value); }
};
using AttrLength = TLengthSyntax<AttrInt, EScaledAttr::Number>;     // "12"
using AttrLengthRect = TLengthSyntax<AttrRect, EScaledAttr::Rect>;  // "l,t,r,b"
using AttrLengthSize = TLengthSyntax<AttrSize, EScaledAttr::Size>;  // "cx,cy"

// The rows of one class or part, looked up by name.
template <class Owner>
class CAttributeRows {
public:
    template <size_t N>
    explicit constexpr CAttributeRows(const TAttributeRow<Owner> (&rows)[N])
        : m_rows(rows), m_count(N) {}

    // Applies the value through the row of that name; false when no row applies it.
    bool Apply(Owner& owner, LPCWSTR name, LPCWSTR value) const {
        const TAttributeRow<Owner>* row = Find(name, true);
        if (row == nullptr) return false;
        row->apply(owner, value);
        return true;
    }

    // The value read through the row of that name into text; false when no row reads it.
    bool Query(Owner& owner, LPCWSTR name, CUIString& text) const {
        const TAttributeRow<Owner>* row = Find(name, false);
        if (row == nullptr) return false;
        text = row->query(owner);
        return true;
    }

    // The rows, in table order.
    size_t Count() const { return m_count; }
    const TAttributeRow<Owner>& operator[](size_t index) const { return m_rows[index]; }

private:
    // A null name is in no table.
    const TAttributeRow<Owner>* Find(LPCWSTR name, bool applying) const {
        if (name == nullptr) return nullptr;
        for (size_t i = 0; i < m_count; ++i) {
            const TAttributeRow<Owner>& row = m_rows[i];
            if ((applying ? row.apply != nullptr : row.query != nullptr) &&
                wcscmp(row.name, name) == 0)
                return &row;
        }
        return nullptr;
    }

    const TAttributeRow<Owner>* m_rows;
    size_t m_count;
};

// What a walker of the tables sees of one row, whichever class it belongs to.
struct TAttributeRowInfo {
    LPCWSTR name;
    bool applies;
    bool answers;
    EScaledAttr length;
};

// One link of a control's chain of tables: its own rows, then its base's link.
class CAttributeChain {
public:
    CAttributeChain(const CAttributeChain&) = delete;
    CAttributeChain& operator=(const CAttributeChain&) = delete;

    // Through the first row of that name in this link or a later one; false when none takes
    // it. A null name is in no table; a null value is applied as empty text.
    bool Apply(CControlUI& control, LPCWSTR name, LPCWSTR value) const;
    bool Query(CControlUI& control, LPCWSTR name, CUIString& text) const;
    // How the row that would apply name holds lengths (None also when no row applies it).
    EScaledAttr Length(LPCWSTR name) const;

    // This link's rows only, and the links after it only: for a class whose ApplyAttribute
    // does more than its rows.
    bool ApplyOwn(CControlUI& control, LPCWSTR name, LPCWSTR value) const;
    bool ApplyInherited(CControlUI& control, LPCWSTR name, LPCWSTR value) const;

    const CAttributeChain* Base() const { return m_pBase; }
    virtual size_t Count() const = 0;
    virtual TAttributeRowInfo Row(size_t index) const = 0;

protected:
    explicit constexpr CAttributeChain(const CAttributeChain* base) : m_pBase(base) {}
    ~CAttributeChain() = default;  // tables are static objects, never deleted through a link

    // name and value are not null here.
    virtual bool ApplyHere(CControlUI& control, LPCWSTR name, LPCWSTR value) const = 0;
    virtual bool QueryHere(CControlUI& control, LPCWSTR name, CUIString& text) const = 0;

    template <class Owner>
    static TAttributeRowInfo InfoOf(const TAttributeRow<Owner>& row) {
        return TAttributeRowInfo{row.name, row.apply != nullptr, row.query != nullptr, row.length};
    }

private:
    const CAttributeChain* m_pBase;
};

// A control class's own table: its rows, linked to the table of its base class (null only for
// the control base's own).
template <class Control>
class CAttributeTable final : public CAttributeChain {
public:
    template <size_t N>
    constexpr CAttributeTable(const TAttributeRow<Control> (&rows)[N], const CAttributeChain* base)
        : CAttributeChain(base), m_rows(rows) {}

    size_t Count() const override { return m_rows.Count(); }
    TAttributeRowInfo Row(size_t index) const override { return InfoOf(m_rows[index]); }

private:
    // The chain of a control holds only tables of its own class and its bases.
    bool ApplyHere(CControlUI& control, LPCWSTR name, LPCWSTR value) const override {
        return m_rows.Apply(static_cast<Control&>(control), name, value);
    }
    bool QueryHere(CControlUI& control, LPCWSTR name, CUIString& text) const override {
        return m_rows.Query(static_cast<Control&>(control), name, text);
    }

    CAttributeRows<Control> m_rows;
};

// The rows of a part the control holds, as a link of its chain: part(control) is the part the
// rows read and write; after a row applied, changed(control) runs (a repaint, or spreading
// the change), unless it is null.
template <class Control, class Part>
class CPartAttributes final : public CAttributeChain {
public:
    constexpr CPartAttributes(const CAttributeRows<Part>& rows, Part& (*part)(Control&),
                              void (*changed)(Control&), const CAttributeChain* base)
        : CAttributeChain(base), m_rows(rows), m_part(part), m_changed(changed) {}

    size_t Count() const override { return m_rows.Count(); }
    TAttributeRowInfo Row(size_t index) const override { return InfoOf(m_rows[index]); }

private:
    bool ApplyHere(CControlUI& control, LPCWSTR name, LPCWSTR value) const override {
        Control& owner = static_cast<Control&>(control);
        if (!m_rows.Apply(m_part(owner), name, value)) return false;
        if (m_changed != nullptr) m_changed(owner);
        return true;
    }
    bool QueryHere(CControlUI& control, LPCWSTR name, CUIString& text) const override {
        return m_rows.Query(m_part(static_cast<Control&>(control)), name, text);
    }

    const CAttributeRows<Part>& m_rows;
    Part& (*m_part)(Control&);
    void (*m_changed)(Control&);
};

}  // namespace SkinUI
