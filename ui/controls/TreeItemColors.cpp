// The item colours shared by the tree view and its nodes.

#include "ui/controls/TreeItemColors.h"

namespace SkinUI {

namespace {
DWORD Either(DWORD own, DWORD fallback) { return own != 0 ? own : fallback; }
}  // namespace

TTreeItemColors TTreeItemColors::Over(const TTreeItemColors& fallback) const {
    return TTreeItemColors{Either(text, fallback.text), Either(hotText, fallback.hotText),
                           Either(selText, fallback.selText), Either(hotBk, fallback.hotBk),
                           Either(selBk, fallback.selBk)};
}

DWORD TTreeItemColors::TextFor(bool hot, bool selected) const {
    // A state without a colour of its own keeps the plainer state's.
    DWORD color = text;
    if (hot) color = Either(hotText, color);
    if (selected) color = Either(selText, color);
    return color;
}

DWORD TTreeItemColors::BackFor(bool hot, bool selected) const {
    if (selected) return selBk;
    return hot ? hotBk : 0;
}

const CAttributeRows<TTreeItemColors>& TreeItemColorAttributes() {
    using C = TTreeItemColors;
    static const TAttributeRow<C> rows[] = {
        AttrColor::Row<&C::text, &C::text>(L"itemtextcolor"),
        AttrColor::Row<&C::hotText, &C::hotText>(L"itemhottextcolor"),
        AttrColor::Row<&C::selText, &C::selText>(L"selitemtextcolor"),
        AttrColor::Row<&C::hotBk, &C::hotBk>(L"itemhotbkcolor"),
        AttrColor::Row<&C::selBk, &C::selBk>(L"selitembkcolor"),
    };
    static const CAttributeRows<C> table(rows);
    return table;
}

}  // namespace SkinUI
