#pragma once
// CTabLayoutUI: a container that shows one child at a time (a page). Selecting another page
// hides the others, moves the focus into the new page and sends "tabselect" (wParam: the new
// index, lParam: the old one). The child list operations keep exactly one visible page while
// there are children to show.

#include <windows.h>

#include "ui/core/manager/ContainerUI.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI();
    ~CTabLayoutUI() override;

    LPCWSTR ClassName() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void ApplyAttribute(LPCWSTR name, LPCWSTR value) override;

    bool Append(CControlUI* control) override;
    bool InsertAt(CControlUI* control, int index) override;
    bool RemoveItem(CControlUI* control) override;
    void RemoveAllItems() override;

    // Index of the page shown, -1 for none.
    int SelectedIndex() const { return m_iCurSel; }
    // Shows the page at index; false for an index out of range, true (and nothing else) for
    // the page already shown.
    bool SelectItem(int index);

protected:
    // A new child becomes the page when none is shown yet and it is visible; otherwise it is
    // hidden behind the page.
    void AdoptChild(CControlUI* control);

    int m_iCurSel = -1;

private:
    static const CAttributeTable<CTabLayoutUI>& Attributes();
};

}  // namespace SkinUI
