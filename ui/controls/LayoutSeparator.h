#pragma once
// The draggable separator strip of the linear layouts: a band along one edge of the layout
// (bottom or top for a vertical layout, right or left for a horizontal one) that resizes the
// layout itself while dragged. The vertical and horizontal layouts each keep one and hand it
// their events; the axis decides which coordinates it works on.

#include <windows.h>

#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

class CContainerUI;

class CLayoutSeparator {
public:
    static constexpr UINT kCaptured = 0x40;  // a drag is in progress

    explicit CLayoutSeparator(bool vertical) : m_bVertical(vertical) {}

    int Size() const { return m_nSize; }
    // Thickness: positive puts the strip at the bottom (right) edge, negative at the top
    // (left) edge, 0 means no separator.
    void SetSize(int size) { m_nSize = size; }
    bool IsImmediate() const { return m_bImmediate; }
    // Live re-layout instead of a preview; leaving preview mode mid-drag drops the preview.
    void SetImmediate(bool immediate, CContainerUI& layout);
    bool IsDragging() const { return (m_uState & kCaptured) != 0; }

    // The strip on the layout's rectangle, or on the dragged rectangle (useNew during a drag).
    RECT StripRect(const CContainerUI& layout, bool useNew) const;
    // Handles button-down, button-up, mouse-move and set-cursor for the layout, whose item
    // rectangle and fixed size it changes; false when the event is not the separator's (the
    // container's handling then runs).
    bool ProcessEvent(CContainerUI& layout, RECT& itemRect, SIZE& fixedSize,
                      const TControlEvent& event);
    // The drag preview: the strip at its new place, darkened.
    void PaintOverlay(HDC hDC, const CContainerUI& layout) const;

private:
    bool OnMove(CContainerUI& layout, RECT& itemRect, SIZE& fixedSize, POINT pt);
    // The rectangle the drag would leave for a pointer move of delta; false to ignore it.
    bool DraggedRect(const CContainerUI& layout, LONG along, LONG delta, RECT& r) const;

    bool m_bVertical;
    int m_nSize = 0;
    UINT m_uState = 0;
    POINT m_ptLastMouse = {0, 0};
    RECT m_rcNewPos = {0, 0, 0, 0};
    bool m_bImmediate = false;
};

}  // namespace SkinUI
