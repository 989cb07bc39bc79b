#pragma once
// The rows of a list and of a combo's drop-down:
//   CListLabelElementUI     ("ListLabelElement")     one text over the whole row;
//   CListTextElementUI      ("ListTextElement")      one text per header column, from the
//                                                    owner's text callback or its own texts;
//   CListContainerElementUI ("ListContainerElement") any controls in a row, laid out
//                                                    horizontally (in the header's columns
//                                                    when the list shows a header).
// A row keeps its index, owner, selected and hot state in a CListRowState (its IListItemUI),
// and paints from the owner's item attributes, so a row costs little beyond its control.

#include <windows.h>

#include <string>
#include <vector>

#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/ListInfoUI.h"
#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

class CListRowState : public IListItemUI {
public:
    int ItemIndex() const override { return m_index; }
    void SetItemIndex(int index) override { m_index = index; }
    IListOwnerUI* ItemOwner() const override { return m_owner; }
    void SetItemOwner(IListOwnerUI* owner) override { m_owner = owner; }
    bool IsItemSelected() const override { return m_selected; }
    void SetItemSelected(bool selected) override;
    void ClearItemHot() override { m_hot = false; }
    // Selectable, and selected while it is (for accessibility clients).
    DWORD AccessibleState() const;

    // The row's part of event handling: presses, double clicks, hover, keys and the wheel go
    // to the owner. False for an event the row's class handles itself.
    bool HandleEvent(CControlUI& row, TControlEvent& event);
    // The state fill (selected, hot, or the item background) and the line under the row.
    void PaintBackground(HDC hDC, const CControlUI& row) const;
    // Text in the row's state colour with the item font, padding and style.
    void DrawText(HDC hDC, CControlUI& row, const RECT& rc, LPCWSTR text) const;
    // The owner's item attributes (the defaults for a row without an owner).
    const TListInfoUI& Info() const;

    void SetRow(CControlUI* row) { m_row = row; }

private:
    CControlUI* m_row = nullptr;      // the control this state belongs to
    IListOwnerUI* m_owner = nullptr;  // not owned
    int m_index = -1;
    bool m_selected = false;
    bool m_hot = false;
};

class CListLabelElementUI : public CControlUI {
public:
    CListLabelElementUI();
    LPCWSTR ClassName() const override;             // "ListLabelElementUI"
    LONG AccessibleRole() const override;  // a list item
    DWORD AccessibleState() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;  // "ListItem", "ListLabelElement"
    void ProcessEvent(TControlEvent& event) override;
    void PaintBackColor(HDC hDC) override;
    void PaintTextContent(HDC hDC) override;

protected:
    CListRowState m_row;
};

class CListTextElementUI : public CListLabelElementUI {
public:
    CListTextElementUI() { UseAttributes(Attributes()); }

    LPCWSTR ClassName() const override;             // "ListTextElementUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "ListTextElement"
    void PaintTextContent(HDC hDC) override;

    // Column 0 is the control's text; the others are kept here (columns past
    // kMaxListColumns are ignored).
    CUIString ColumnText(int column) const;
    void SetColumnText(int column, LPCWSTR text);
    // "texts": the columns' texts separated by '|'.
    void SetColumnTexts(LPCWSTR value);

private:
    // The owner's callback when it has one, else the row's own text.
    CUIString CellText(int column);

    std::vector<std::wstring> m_texts;  // columns 1 and up

    static const CAttributeTable<CListTextElementUI>& Attributes();
};

class CListContainerElementUI : public CHorizontalLayoutUI {
public:
    CListContainerElementUI();
    LPCWSTR ClassName() const override;             // "ListContainerElementUI"
    LONG AccessibleRole() const override;  // a list item
    DWORD AccessibleState() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;  // "ListItem", "ListContainerElement"
    void Place(const RECT& rect, bool invalidate = true) override;
    void ProcessEvent(TControlEvent& event) override;
    void PaintBackColor(HDC hDC) override;

private:
    CListRowState m_row;
};

}  // namespace SkinUI
