#pragma once
// COptionUI: a button that stays selected. Options sharing a group name behave like radio
// buttons (selecting one deselects the others, through the window manager's option groups);
// an option without a group toggles on each click. Each change of selection by the user sends
// "selectchanged" from the option that changed. A selected option paints its selected images,
// background and text colour instead of the button's state images; an option never shows its
// pushed image or pushed text colour.
//
// Group membership: an option with a group joins its window manager's group table when it is
// attached with initialisation or given the group while attached. It remembers which manager
// lists it and leaves that table when it changes group, joins another manager's table or is
// destroyed, so no table keeps referring to an option that is gone.

#include <windows.h>

#include "ui/controls/ButtonUI.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
public:
    COptionUI() { UseAttributes(Attributes()); }
    ~COptionUI() override;                                      // 0: leaves its group

    LPCWSTR ClassName() const override;                         // 3: "OptionUI"
    LONG AccessibleRole() const override;  // radio button in a group, else check box
    DWORD AccessibleState() const override;  // checked while selected
    CUIString AccessibleDefaultAction() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;              // 4: "Option"
    bool CanActivate() override;                                // 6: click, then select
    void AttachTo(CWindowManagerUI* manager, CContainerUI* parent,
                  bool initialize = true) override;             // 8: joins its group
    void SetEnabled(bool enabled = true) override;              // 54: keeps only the selection
    SIZE DesiredSize(SIZE available) override;                  // 70
    void PaintStateImage(HDC hDC) override;                     // 76
    void PaintTextContent(HDC hDC) override;                    // 77

    // Slot 85. Selects or deselects; with notify "selectchanged" is sent when the selection
    // changed. Selecting an option of a group deselects the other members (silently).
    virtual void Select(bool selected = true, bool notify = true);

    bool IsSelected() const { return m_bSelected; }
    LPCWSTR Group() const { return m_strGroup; }
    // Leaves the current group and joins the named one (an empty name: no group).
    void SetGroup(LPCWSTR group);

    LPCWSTR SelectedImage() const { return m_selectedImage.description; }
    void SetSelectedImage(LPCWSTR description);
    LPCWSTR SelectedHotImage() const { return m_selectedHotImage.description; }
    void SetSelectedHotImage(LPCWSTR description);
    DWORD SelectedBkColor() const { return m_dwSelectedBkColor; }
    void SetSelectedBkColor(DWORD color) { m_dwSelectedBkColor = color; }
    DWORD SelectedTextColor() const { return m_dwSelectedTextColor; }
    void SetSelectedTextColor(DWORD color) { m_dwSelectedTextColor = color; }

protected:
    // The group table entry is kept while attached to a manager; these keep it in step.
    void JoinGroup();
    void LeaveGroup();
    void PaintSelectedStateImage(HDC hDC);
    void PaintSelectedText(HDC hDC);

    bool m_bSelected = false;
    CUIString m_strGroup;
    CWindowManagerUI* m_pGroupManager = nullptr;  // the manager whose group table lists it
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    TImageSpec m_selectedImage;
    TImageSpec m_selectedHotImage;

    // The class's attribute table, linked to its base's (AttributeTable.h).
    static const CAttributeTable<COptionUI>& Attributes();
};

}  // namespace SkinUI
