#pragma once
// CListHeaderUI ("ListHeader"): the row of column headers on top of a list, laid out
// horizontally; the list's cells take their columns' horizontal extents from it. It takes at
// most kMaxListColumns items.
//
// CListHeaderItemUI ("ListHeaderItem"): one column header. A press within "sepwidth" pixels of
// its right edge drags the column's width (when "dragable"); any other click sends
// "headerclick" with the column's index, the request to sort by that column.

#include <windows.h>

#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/ListBodyUI.h"
#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

class CListHeaderUI : public CHorizontalLayoutUI {
public:
    CListHeaderUI();
    LPCWSTR ClassName() const override;             // "ListHeaderUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "ListHeader"
    bool InsertAt(CControlUI* control, int index) override;
};

class CListHeaderItemUI : public CControlUI {
public:
    static constexpr int kMinColumnWidth = 16;
    static constexpr int kMaxColumnWidth = 4096;

    CListHeaderItemUI() { UseAttributes(Attributes()); }

    LPCWSTR ClassName() const override;             // "ListHeaderItemUI"
    LONG AccessibleRole() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;  // "ListHeaderItem"
    UINT ControlFlags() const override;
    void ProcessEvent(TControlEvent& event) override;
    void PaintBackColor(HDC hDC) override;
    void PaintTextContent(HDC hDC) override;

    bool IsDragable() const { return m_dragable; }
    void SetDragable(bool dragable) { m_dragable = dragable; }
    int SeparatorWidth() const { return m_sepWidth; }
    void SetSeparatorWidth(int width);
    // Where a press starts a width drag (empty when the column cannot be dragged).
    RECT SeparatorRect() const;

private:
    void OnPress(POINT pt);
    void OnRelease(POINT pt);
    void OnDrag(POINT pt);

    bool m_dragable = true;
    int m_sepWidth = 4;
    int m_font = -1;
    DWORD m_textColor = 0xFF1E2430;
    DWORD m_hotBkColor = 0;
    DWORD m_sepColor = 0xFFB8C2D0;
    UINT m_textStyle = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER;
    bool m_hot = false;
    bool m_pressed = false;
    bool m_dragging = false;
    LONG m_dragStartX = 0;
    LONG m_dragStartWidth = 0;

    static const CAttributeTable<CListHeaderItemUI>& Attributes();
};

}  // namespace SkinUI
