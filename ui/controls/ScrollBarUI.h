#pragma once
// CScrollBarUI: a scroll bar keeping an integer position in 0..range. A bar owned by a
// container (CContainerUI::EnableScrollBars) forwards its line, page and drag actions to the
// owner's scroll operations, and the owner sets its range and position during layout.
//
// This is the part of the bar the containers rely on; the bar's own drawing, arrow buttons,
// thumb and input come with the scroll bar control itself.

#include <windows.h>

#include "ui/controls/ControlUI.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();  // a vertical bar 16 pixels wide

    LPCWSTR ClassName() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;

    CContainerUI* Owner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner);  // not owned
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int Range() const { return m_nRange; }
    void SetRange(int range);        // at least 0; the position follows
    int Position() const { return m_nScrollPos; }
    void SetPosition(int position);  // clamped to 0..range
    // How far the thumb can travel along the bar.
    int TrackLength() const;

protected:
    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    CContainerUI* m_pOwner = nullptr;
    RECT m_rcThumb = {0, 0, 0, 0};
};

}  // namespace SkinUI
