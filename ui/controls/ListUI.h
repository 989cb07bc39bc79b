#pragma once
// CListUI ("List"): a column of an optional header (CListHeaderUI) over a scrolling body of rows
// (CListBodyUI) that shows only the rows in view. Rows are selected with the mouse (Ctrl and
// Shift add and extend when "multiselect" is on) and with Up/Down, Home/End, PgUp/PgDn, which
// also scroll the current row into view; Enter activates it. Notifications: "itemselect"
// (wParam: the current row), "itemclick" (wParam: the row), "itemactivate" (wParam: the row);
// the header's items send "headerclick".
//
// Markup children go where they belong: a ListHeader becomes the header, rows go to the body
// (the list's IContainer is the rows). The item attributes (TListInfoUI) are the list's and
// read by every row.

#include <windows.h>

#include <vector>

#include "ui/controls/ListBodyUI.h"
#include "ui/controls/ListInfoUI.h"
#include "ui/controls/VerticalLayoutUI.h"

namespace SkinUI {

class CListHeaderUI;

// The row a navigation key moves the current row to: clamped to the rows, -1 for a key that
// does not move, or without rows. page is the number of rows a page holds.
int ListKeyTarget(UINT key, int current, int count, int page);

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    ~CListUI() override;

    LPCWSTR ClassName() const override;             // "ListUI"
    LONG AccessibleRole() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;  // "List"; "IContainer": the rows
    UINT ControlFlags() const override;
    void ProcessEvent(TControlEvent& event) override;

    // IListOwnerUI.
    const TListInfoUI& ListInfo() const override { return m_info; }
    IListCallbackUI* TextCallback() const override { return m_callback; }
    int ColumnCount() const override;
    bool ColumnSpan(int column, LONG& left, LONG& right) const override;
    void OnItemPressed(int index, WORD keyState) override;
    void OnItemActivated(int index) override;
    void OnItemEvent(TControlEvent& event) override;
    void OnRowsChanged() override;

    CListHeaderUI* Header() const { return m_header; }
    CListBodyUI* Body() const { return m_body; }
    // Takes the header (a control answering "ListHeader"); false when the list has one.
    bool SetHeader(CControlUI* header);
    void SetHeaderShown(bool shown);

    // Rows (owned by the body once added).
    int RowCount() const;
    CControlUI* RowAt(int index) const;
    bool AddRow(CControlUI* row);
    void RemoveAllRows();

    void SetTextCallback(IListCallbackUI* callback) { m_callback = callback; }  // not owned
    TListInfoUI& MutableListInfo() { return m_info; }
    bool IsMultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool multi);

    // The current row (the last one selected or moved to), -1 for none.
    int CurrentRow() const { return m_current; }
    // Selected rows in ascending order.
    const std::vector<int>& Selection() const { return m_selected; }
    bool IsRowSelected(int index) const;
    // Selects index alone and makes it current; false for an index out of range.
    bool SelectRow(int index, bool notify = true);
    void ClearSelection();
    void EnsureVisible(int index);

private:
    // Moves the current row to index: alone, or with Shift (and multiselect) the range from the
    // anchor, or with Ctrl (and multiselect) toggled.
    void MoveSelection(int index, WORD keyState);
    void SetRowSelected(int index, bool selected);
    void SelectRange(int from, int to);
    bool HandleKey(const TControlEvent& event);
    void Notify(LPCWSTR type, int index);
    // A header becomes the header, anything else a row.
    bool AppendChild(CControlUI* control);

    TListInfoUI m_info;
    CListHeaderUI* m_header = nullptr;  // a child of the list, or null
    // A child of the list (handed to the container in the constructor).
    CListBodyUI* m_body = new CListBodyUI(this);
    IListCallbackUI* m_callback = nullptr;
    // The markup's children: the header to the list, rows to the body.
    CAppendSlotUI m_rows{*m_body, [this](CControlUI* control) { return AppendChild(control); }};
    bool m_multiSelect = false;
    bool m_headerShown = true;
    std::vector<int> m_selected;
    int m_current = -1;
    int m_anchor = -1;

    static const CAttributeTable<CListUI>& Attributes();
};

}  // namespace SkinUI
