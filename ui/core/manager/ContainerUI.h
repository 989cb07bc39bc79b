#pragma once
// CContainerUI: the control that owns child controls. It keeps them in order, attaches them to
// its window manager, passes visibility down, paints them clipped to itself, searches them,
// scrolls them with optional scroll bars and, by default, stacks every child over its whole
// inner area. IContainerUI is the child-list interface the dialog builder and the layouts use
// (InterfaceByName "IContainer").
//
// Ownership: a container owns its children and its two scroll bars. Removed children are
// deleted when OwnsChildren is set — at once, or through the window manager's deferred
// deletion when IsDeferredDelete is set and the container is attached.

#include <windows.h>

#include "ui/core/base/UIPtrArray.h"
#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

class CScrollBarUI;

class IContainerUI {
public:
    virtual CControlUI* ItemAt(int index) const = 0;           // 0: null out of range
    virtual int IndexOf(CControlUI* control) const = 0;        // 1: -1 when not a child
    virtual bool MoveItem(CControlUI* control, int index) = 0; // 2
    virtual int Count() const = 0;                             // 3
    virtual bool Append(CControlUI* control) = 0;              // 4
    virtual bool InsertAt(CControlUI* control, int index) = 0; // 5
    virtual bool RemoveItem(CControlUI* control) = 0;          // 6
    virtual bool RemoveItemAt(int index) = 0;                  // 7
    virtual void RemoveAllItems() = 0;                         // 8

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    // Slots of CControlUI overridden here.
    LPCWSTR ClassName() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;
    void AttachTo(CWindowManagerUI* manager, CContainerUI* parent,
                  bool initialize = true) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void MoveBy(SIZE offset, bool invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void SetMouseEnabled(bool enabled = true) override;
    CControlUI* Find(FindControlProc visitor, LPVOID data, UINT flags) override;
    void ProcessEvent(TControlEvent& event) override;
    void Paint(HDC hDC, const RECT& dirty) override;
    LONG AccessibleRole() const override;  // a pane

    // IContainerUI.
    CControlUI* ItemAt(int index) const override;
    int IndexOf(CControlUI* control) const override;
    bool MoveItem(CControlUI* control, int index) override;
    int Count() const override;
    bool Append(CControlUI* control) override;
    bool InsertAt(CControlUI* control, int index) override;
    bool RemoveItem(CControlUI* control) override;
    bool RemoveItemAt(int index) override;
    void RemoveAllItems() override;

    // Slots 85 to 116, in this order (after the control base's 0 to 84).
    virtual RECT Inset() const;                                        // 85
    virtual void SetInset(const RECT& inset);                          // 86
    virtual int ChildPadding() const;                                  // 87
    virtual void SetChildPadding(int padding);                         // 88
    virtual bool OwnsChildren() const;                                 // 89
    virtual void SetOwnsChildren(bool owns);                           // 90
    virtual bool IsDeferredDelete() const;                             // 91
    virtual void SetDeferredDelete(bool deferred);                     // 92
    virtual bool IsChildMouseEnabled() const;                          // 93
    virtual void SetChildMouseEnabled(bool enabled);                   // 94
    virtual int NextSelectable(int start, bool forward = true) const;  // 95
    virtual SIZE ScrollOffset() const;                                 // 96
    virtual SIZE ScrollExtent() const;                                 // 97
    virtual void SetScrollOffset(SIZE offset);                         // 98
    virtual void ScrollLineUp();                                       // 99
    virtual void ScrollLineDown();                                     // 100
    virtual void ScrollPageUp();                                       // 101
    virtual void ScrollPageDown();                                     // 102
    virtual void ScrollToTop();                                        // 103
    virtual void ScrollToBottom();                                     // 104
    virtual void ScrollLineLeft();                                     // 105
    virtual void ScrollLineRight();                                    // 106
    virtual void ScrollPageLeft();                                     // 107
    virtual void ScrollPageRight();                                    // 108
    virtual void ScrollToLeft();                                       // 109
    virtual void ScrollToRight();                                      // 110
    virtual void ScrollByPan(int delta, bool overScrollBar);           // 111
    virtual void EnableScrollBars(bool vertical = true, bool horizontal = false);  // 112
    virtual CScrollBarUI* VerticalScrollBar() const;                   // 113
    virtual CScrollBarUI* HorizontalScrollBar() const;                 // 114
    virtual void PlaceFloatChild(int index);                           // 115
    virtual void UpdateScrollBars(const RECT& inner, int widthNeeded, int heightNeeded);  // 116

    // Icon drawn instead of the container's decoration when "icon" is true (not owned).
    void SetIcon(HICON icon) { m_hIcon = icon; }

protected:
    // itemRect shrunk by inset and by the visible scroll bars (the children's area).
    RECT InnerRect() const;
    // Calls place(child) for each visible child in order, after giving each floating one its
    // place (PlaceFloatChild): the shape of every layout's placing pass.
    template <class Place>
    void ForEachLaidOutChild(Place place) {
        for (int i = 0; i < Count(); ++i) {
            CControlUI* child = ItemAt(i);
            if (!child->IsVisible()) continue;
            if (child->IsFloat())
                PlaceFloatChild(i);
            else
                place(child);
        }
    }
    // Deletes a removed child as OwnsChildren and IsDeferredDelete say.
    void DisposeChild(CControlUI* child);
    // Places the container again on its own rectangle (relative when floating).
    void PlaceAgain(bool invalidate);
    // True when the scroll bar exists and is visible.
    static bool BarShown(const CScrollBarUI* bar);
    static LONG BarThickness(const CScrollBarUI* bar, bool horizontal);
    // Creates or deletes one scroll bar (EnableScrollBars).
    void UpdateScrollBar(CScrollBarUI*& bar, bool wanted, bool horizontal);
    // Keys, wheel and panning that scroll the container; false when the event is not one.
    bool ScrollByEvent(const TControlEvent& event);
    void ScrollVertically(long long delta);
    void ScrollHorizontally(long long delta);
    LONG LineHeight() const;
    LONG PageHeight() const;
    LONG PageWidth() const;
    void PaintChildren(HDC hDC, const RECT& dirty);

    CUIPtrArray m_items;  // children, owned
    RECT m_rcInset = {0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    bool m_bScrollProcess = false;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;    // owned
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;  // owned
    HICON m_hIcon = nullptr;                         // not owned
    bool m_bDrawIcon = false;

    // The class's attribute table, linked to its base's (AttributeTable.h).
    static const CAttributeTable<CContainerUI>& Attributes();
};

}  // namespace SkinUI
