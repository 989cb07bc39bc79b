#pragma once
// CComboUI ("Combo"): a closed face like a button showing the selected row's text, over a list
// of rows that opens in a pop-up window of its own (CComboWnd) below the combo, or above it
// when the monitor's work area has no room below. The pop-up closes on a click outside (focus
// loss), Escape, Alt+F4 or a selection; its rows come back to the combo then. Up/Down select
// while closed. Notifications: "dropdown" when the pop-up opens, "itemselect" (wParam: the
// row) when the selection changes.
//
// Ownership: the combo owns the body that holds the rows (lent to the pop-up while it is open)
// and the pop-up's object; destroying the combo while open closes the pop-up first.

#include <windows.h>

#include <memory>

#include "ui/controls/ListBodyUI.h"
#include "ui/controls/ListInfoUI.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/render/ImageSpec.h"

namespace SkinUI {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;

    LPCWSTR ClassName() const override;             // "ComboUI"
    LONG AccessibleRole() const override;
    CUIString AccessibleValue() const override;  // the selected row's text
    CUIString AccessibleName() const override;  // the tool tip (the text is the value)
    LPVOID InterfaceByName(LPCWSTR name) override;  // "Combo"; "IContainer": the rows
    UINT ControlFlags() const override;
    void AttachTo(CWindowManagerUI* manager, CContainerUI* parent,
                  bool initialize = true) override;
    CUIString Text() const override;  // the selected row's text
    void ProcessEvent(TControlEvent& event) override;
    void PaintStateImage(HDC hDC) override;
    void PaintTextContent(HDC hDC) override;

    // IListOwnerUI.
    const TListInfoUI& ListInfo() const override { return m_info; }
    IListCallbackUI* TextCallback() const override { return nullptr; }
    int ColumnCount() const override { return 0; }
    bool ColumnSpan(int, LONG&, LONG&) const override { return false; }
    void OnItemPressed(int index, WORD keyState) override;
    void OnItemActivated(int index) override;
    void OnItemEvent(TControlEvent& event) override;
    void OnRowsChanged() override;

    int RowCount() const;
    CControlUI* RowAt(int index) const;
    bool AddRow(CControlUI* row);
    int CurrentRow() const { return m_current; }
    // Selects index alone; false for an index out of range.
    bool SelectRow(int index, bool notify = true);

    // Opens the pop-up (false when it is open already or cannot be made).
    bool DropDown();
    // Closes the pop-up later, from its own message (safe from inside its handlers).
    void CloseDropDown();
    bool IsDroppedDown() const { return m_popup != nullptr; }
    HWND DropDownWindow() const;
    CListBodyUI* Body() const { return m_body.get(); }
    SIZE DropBoxSize() const { return m_dropBox; }
    void SetDropBoxSize(SIZE size);

private:
    friend class CComboWnd;
    // The pop-up's window is gone: the body is home again and the object can go.
    void OnDropDownGone();
    // Takes the body back from the pop-up.
    void ReclaimBody();
    void MoveSelectionBy(int delta);

    TListInfoUI m_info;
    std::unique_ptr<CListBodyUI> m_body = std::make_unique<CListBodyUI>(this);  // lent while open
    CAppendSlotUI m_slot{*m_body};        // the markup's rows
    std::unique_ptr<CComboWnd> m_popup;   // while open
    int m_current = -1;
    UINT m_state = 0;
    RECT m_textPadding = {6, 0, 20, 0};
    SIZE m_dropBox = {0, 160};
    TImageSpec m_normalImage;
    TImageSpec m_hotImage;
    TImageSpec m_pushedImage;

    static const CAttributeTable<CComboUI>& Attributes();
};

}  // namespace SkinUI
