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
//             {L"align", [](CLabelUI& c, LPCWSTR v) { ... }, [](CLabelUI& c) { ... }},
//         };
//         static const CAttributeTable<CLabelUI> table(rows);
//         return table;
//     }

#include <windows.h>

#include <cstddef>
#include <cwchar>

#include "ui/core/base/UIString.h"

namespace SkinUI {

template <class Control>
struct TAttributeRow {
    LPCWSTR name;                                    // case-sensitive, as written in markup
    void (*apply)(Control& control, LPCWSTR value);  // null: the attribute is only read
    CUIString (*query)(Control& control);            // null: the attribute is only written
};

template <class Control>
class CAttributeTable {
public:
    template <size_t N>
    explicit CAttributeTable(const TAttributeRow<Control> (&rows)[N]) : m_rows(rows), m_count(N) {}

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

private:
    const TAttributeRow<Control>* Find(LPCWSTR name, bool applying) const {
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

}  // namespace SkinUI
