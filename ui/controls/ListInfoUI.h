#pragma once
// What the rows of a list or a combo share with the control that hosts them: the item
// attributes that decide how a row paints (TListInfoUI), the interface a row calls back on its
// host (IListOwnerUI), the interface the host sets a row through (IListItemUI) and the text
// callback an owner may supply instead of storing texts in the rows (IListCallbackUI).
//
// Rows keep no copy of the item attributes: a list of 100 000 rows changes one colour in one
// place, and a row stays small.

#include <windows.h>

#include "ui/core/base/UIString.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

class CControlUI;

// A list takes at most this many rows, and a header this many columns: a hostile skin or a
// runaway caller gets a bounded list instead of one that exhausts memory.
constexpr int kMaxListRows = 200000;
constexpr int kMaxListColumns = 64;
// Row heights are kept within this range, so that rows times height stays in a coordinate.
constexpr int kMinListRowHeight = 1;
constexpr int kMaxListRowHeight = 80;

struct TListInfoUI {
    int font = -1;
    UINT textStyle = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    RECT textPadding = {4, 0, 4, 0};
    DWORD textColor = 0xFF1E2430;
    DWORD bkColor = 0;
    DWORD selectedTextColor = 0xFFFFFFFF;
    DWORD selectedBkColor = 0xFF3D7BE0;
    DWORD hotTextColor = 0xFF1E2430;
    DWORD hotBkColor = 0xFFE3ECFA;
    DWORD disabledTextColor = 0xFF9AA0A8;
    DWORD lineColor = 0;
    bool showHtml = false;
    int rowHeight = 24;

    void SetRowHeight(int height);
    // "itemalign": left, center or right.
    void SetAlignment(LPCWSTR value);
};

// The item attributes ("itemfont", "itemtextcolor", ...), shared by the list and the combo.
const CAttributeRows<TListInfoUI>& ListInfoAttributes();

class IListCallbackUI {
public:
    // The text of one cell; the row's own text is used when no callback is set.
    virtual CUIString GetItemText(CControlUI* control, int row, int column) = 0;

protected:
    ~IListCallbackUI() = default;
};

class IListOwnerUI {
public:
    virtual const TListInfoUI& ListInfo() const = 0;
    virtual IListCallbackUI* TextCallback() const = 0;
    // Columns as the header shows them; 0 when there is no visible header (one text per row).
    virtual int ColumnCount() const = 0;
    // The horizontal extent of a column in window coordinates; false for a column not shown.
    virtual bool ColumnSpan(int column, LONG& left, LONG& right) const = 0;
    // A row was pressed with the mouse (keyState: kKeyStateShift, kKeyStateControl).
    virtual void OnItemPressed(int index, WORD keyState) = 0;
    // A row was double-clicked.
    virtual void OnItemActivated(int index) = 0;
    // Keys and the wheel reach the row under the pointer or in focus; the host acts on them.
    virtual void OnItemEvent(TControlEvent& event) = 0;
    // Rows were inserted, removed or moved: indices kept by the owner are stale.
    virtual void OnRowsChanged() = 0;

protected:
    ~IListOwnerUI() = default;
};

// Found through InterfaceByName(L"ListItem").
class IListItemUI {
public:
    virtual int ItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0;
    virtual IListOwnerUI* ItemOwner() const = 0;
    virtual void SetItemOwner(IListOwnerUI* owner) = 0;
    virtual bool IsItemSelected() const = 0;
    virtual void SetItemSelected(bool selected) = 0;
    // Drops the hover look (a row leaving a window gets no mouse-leave).
    virtual void ClearItemHot() = 0;

protected:
    ~IListItemUI() = default;
};

// The row interface of a control, or null when it is not a row.
IListItemUI* AsListItem(CControlUI* control);

}  // namespace SkinUI
