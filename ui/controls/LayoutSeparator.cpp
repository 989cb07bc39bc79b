// The separator strip of the linear layouts. Coordinates "along" the strip's axis are y for a
// vertical layout (the strip resizes its height) and x for a horizontal one.

#include "ui/controls/LayoutSeparator.h"

#include <algorithm>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

// The preview of a drag in progress: black at alpha 0xAA over the strip.
constexpr DWORD kPreviewColor = 0xAA000000;

}  // namespace

void CLayoutSeparator::SetImmediate(bool immediate, CContainerUI& layout) {
    if (m_bImmediate == immediate) return;
    if (IsDragging() && !m_bImmediate && layout.Manager() != nullptr)
        layout.Manager()->RemoveOverlay(&layout);
    m_bImmediate = immediate;
}

RECT CLayoutSeparator::StripRect(const CContainerUI& layout, bool useNew) const {
    const RECT r = useNew && IsDragging() ? m_rcNewPos : layout.Rect();
    if (m_bVertical) {
        if (m_nSize > 0) return RECT{r.left, std::max(r.bottom - m_nSize, r.top), r.right, r.bottom};
        return RECT{r.left, r.top, r.right, std::min(r.top - m_nSize, r.bottom)};
    }
    if (m_nSize > 0) return RECT{r.right - m_nSize, r.top, r.right, r.bottom};
    return RECT{r.left, r.top, r.left - m_nSize, r.bottom};
}

bool CLayoutSeparator::ProcessEvent(CContainerUI& layout, RECT& itemRect, SIZE& fixedSize,
                                    const TControlEvent& event) {
    if (m_nSize == 0) return false;
    CWindowManagerUI* manager = layout.Manager();
    switch (event.nKind) {
    case kEventButtonDown:
        if (!layout.IsEnabled() || !RectContains(StripRect(layout, false), event.ptMouse))
            return false;
        m_uState |= kCaptured;
        m_ptLastMouse = event.ptMouse;
        m_rcNewPos = itemRect;
        if (!m_bImmediate && manager != nullptr) manager->AddOverlay(&layout);
        return true;
    case kEventButtonUp:
        if (!IsDragging()) return false;
        m_uState &= ~kCaptured;
        itemRect = m_rcNewPos;
        if (!m_bImmediate && manager != nullptr) manager->RemoveOverlay(&layout);
        layout.MarkParentForLayout();
        return true;
    case kEventMouseMove:
        if (!IsDragging()) return false;
        return OnMove(layout, itemRect, fixedSize, event.ptMouse);
    case kEventSetCursor:
        if (!layout.IsEnabled() || !RectContains(StripRect(layout, false), event.ptMouse))
            return false;
        ::SetCursor(::LoadCursorW(nullptr, m_bVertical ? IDC_SIZENS : IDC_SIZEWE));
        return true;
    default:
        return false;
    }
}

bool CLayoutSeparator::OnMove(CContainerUI& layout, RECT& itemRect, SIZE& fixedSize,
                              POINT pt) {
    const LONG along = m_bVertical ? pt.y : pt.x;
    const LONG delta = along - (m_bVertical ? m_ptLastMouse.y : m_ptLastMouse.x);
    m_ptLastMouse = pt;
    RECT r = m_rcNewPos;
    if (!DraggedRect(layout, along, delta, r)) return true;

    const RECT oldStrip = StripRect(layout, true);
    m_rcNewPos = r;
    if (m_bVertical)
        fixedSize.cy = RectHeight(r);
    else
        fixedSize.cx = RectWidth(r);
    if (m_bImmediate) {
        itemRect = r;
        layout.MarkParentForLayout();
    } else if (CWindowManagerUI* manager = layout.Manager()) {
        manager->Invalidate(
            RectUnion(RectUnion(oldStrip, StripRect(layout, true)), StripRect(layout, false)));
    }
    return true;
}

bool CLayoutSeparator::DraggedRect(const CContainerUI& layout, LONG along, LONG delta,
                                   RECT& r) const {
    // The moving edge: bottom/right for a strip at the far edge, top/left for one at the near.
    const bool farEdge = m_nSize > 0;
    LONG RECT::*low = m_bVertical ? &RECT::top : &RECT::left;
    LONG RECT::*high = m_bVertical ? &RECT::bottom : &RECT::right;
    LONG RECT::*moving = farEdge ? high : low;
    const LONG edge = m_rcNewPos.*moving;
    // The pointer must be on the right side of the edge for the move to count. The vertical
    // strip measures that band with its signed thickness added, the horizontal one subtracted.
    const LONG band = edge + (m_bVertical ? m_nSize : -m_nSize);
    const LONG forwardLimit = farEdge ? band : edge;
    const LONG backwardLimit = farEdge ? edge : band;
    if ((delta > 0 && along < forwardLimit) || (delta < 0 && along > backwardLimit)) return false;
    r.*moving += delta;

    const LONG minimum = m_bVertical ? layout.MinHeight() : layout.MinWidth();
    const LONG maximum = m_bVertical ? layout.MaxHeight() : layout.MaxWidth();
    const LONG oldLength = m_rcNewPos.*high - m_rcNewPos.*low;
    auto setLength = [&](LONG length) {
        if (farEdge)
            r.*high = r.*low + length;
        else
            r.*low = r.*high - length;
    };
    if (r.*high - r.*low <= minimum) {
        if (oldLength <= minimum) return false;
        setLength(minimum);
    }
    if (r.*high - r.*low >= maximum) {
        if (oldLength >= maximum) return false;
        setLength(maximum);
    }
    return true;
}

void CLayoutSeparator::PaintOverlay(HDC hDC, const CContainerUI& layout) const {
    if (IsDragging() && !m_bImmediate)
        CUIRender::DrawColor(hDC, StripRect(layout, true), kPreviewColor);
}

}  // namespace SkinUI
