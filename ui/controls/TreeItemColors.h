#pragma once
// The item colours of tree rows: the text in the normal, hot and selected states and the hot
// and selected backgrounds. A tree view holds them for all its rows; a node may set its own,
// where each colour left at 0 takes the view's. Both read the same five markup attributes from
// one table (TreeItemColorAttributes), a link of both chains of tables.

#include <windows.h>

#include "ui/core/manager/AttributeTable.h"

namespace SkinUI {

struct TTreeItemColors {
    DWORD text = 0;
    DWORD hotText = 0;
    DWORD selText = 0;
    DWORD hotBk = 0;
    DWORD selBk = 0;

    // Each colour of this set, or fallback's where this one is 0.
    TTreeItemColors Over(const TTreeItemColors& fallback) const;
    // The text colour and the background for a row in that state; 0 for none.
    DWORD TextFor(bool hot, bool selected) const;
    DWORD BackFor(bool hot, bool selected) const;
};

// "itemtextcolor", "itemhottextcolor", "selitemtextcolor", "itemhotbkcolor", "selitembkcolor".
const CAttributeRows<TTreeItemColors>& TreeItemColorAttributes();

}  // namespace SkinUI
