#pragma once
// CListBodyUI: the scrolling part of a list (and of a combo's drop-down) that holds the rows.
// Every row has the owner's row height, so the body knows where any row lies without asking it:
// placing, painting, hit-testing and scrolling touch only the rows in view. Rows that leave the
// view get an empty rectangle; rows never in view are never placed. A list of 100 000 rows
// therefore costs a page of rows per scroll step, not 100 000.
//
// The body keeps each row's index and owner current as rows come and go, and refuses controls
// that are not rows (IListItemUI) and rows past kMaxListRows.

#include <windows.h>

#include <functional>

#include "ui/controls/ListInfoUI.h"
#include "ui/core/manager/ContainerUI.h"

namespace SkinUI {

// The child list the markup builder fills for a list or a combo ("IContainer"): the rows go to
// the body (or where append decides), everything else to the target as it is. A control refused
// here stays the builder's, which deletes it.
class CAppendSlotUI final : public IContainerUI {
public:
    using AppendFn = std::function<bool(CControlUI*)>;
    // target outlives the slot; append (when given) decides where an appended control goes.
    explicit CAppendSlotUI(IContainerUI& target, AppendFn append = nullptr);

    CControlUI* ItemAt(int index) const override { return m_target.ItemAt(index); }
    int IndexOf(CControlUI* control) const override { return m_target.IndexOf(control); }
    bool MoveItem(CControlUI* control, int index) override {
        return m_target.MoveItem(control, index);
    }
    int Count() const override { return m_target.Count(); }
    bool Append(CControlUI* control) override;
    bool InsertAt(CControlUI* control, int index) override {
        return m_target.InsertAt(control, index);
    }
    bool RemoveItem(CControlUI* control) override { return m_target.RemoveItem(control); }
    bool RemoveItemAt(int index) override { return m_target.RemoveItemAt(index); }
    void RemoveAllItems() override { m_target.RemoveAllItems(); }

private:
    IContainerUI& m_target;
    AppendFn m_append;
};

class CListBodyUI : public CContainerUI {
public:
    explicit CListBodyUI(IListOwnerUI* owner);  // owner not owned; it outlives the body
    ~CListBodyUI() override;

    LPCWSTR ClassName() const override;  // "ListBodyUI"
    void AttachTo(CWindowManagerUI* manager, CContainerUI* parent,
                  bool initialize = true) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void MoveBy(SIZE offset, bool invalidate = true) override;
    CControlUI* Find(FindControlProc visitor, LPVOID data, UINT flags) override;
    void ProcessEvent(TControlEvent& event) override;
    void Paint(HDC hDC, const RECT& dirty) override;

    bool MoveItem(CControlUI* control, int index) override;
    bool InsertAt(CControlUI* control, int index) override;
    bool RemoveItem(CControlUI* control) override;
    void RemoveAllItems() override;

    void SetScrollOffset(SIZE offset) override;

    // Rows wholly or partly in view: [first, last], empty (last < first) without rows.
    int FirstVisibleRow() const;
    int LastVisibleRow() const;
    // Whole rows a page holds (at least 1).
    int RowsPerPage() const;
    // Scrolls the least distance that shows the whole row.
    void EnsureVisible(int index);
    // Scrolls by whole rows (negative: up), within the content.
    void ScrollRows(int rows);
    // The height all rows take together.
    long long ContentHeight() const;

private:
    int RowHeight() const;
    // Places the rows in view and empties the rectangles of rows that left it.
    void LayoutVisibleRows();
    void RenumberFrom(int index);
    // Empties the rectangles of the placed rows before indices shift under them.
    void ForgetPlacedRows();

    IListOwnerUI* m_owner;
    int m_firstPlaced = 0;
    int m_lastPlaced = -1;
    bool m_barStyled = false;
};

}  // namespace SkinUI
