// The vertical layout: children stacked top to bottom.

#include "ui/controls/VerticalLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/ControlGeometry.h"
#include "ui/controls/ScrollBarUI.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(true) {}
CVerticalLayoutUI::~CVerticalLayoutUI() = default;

LPCWSTR CVerticalLayoutUI::ClassName() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"VerticalLayout") == 0) return this;
    return CContainerUI::InterfaceByName(name);
}

void CVerticalLayoutUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (!ApplySeparatorAttribute(name, value, L"sepheight"))
        CContainerUI::ApplyAttribute(name, value);
}

void CVerticalLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    RECT rc = RectDeflate(m_rcItem, m_rcInset);
    rc.right -= BarThickness(m_pVerticalScrollBar, false);
    rc.bottom -= BarThickness(m_pHorizontalScrollBar, true);
    if (Count() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }
    SIZE available{RectWidth(rc), RectHeight(rc)};
    if (BarShown(m_pHorizontalScrollBar))
        available.cx = ClampCoordinate(available.cx + m_pHorizontalScrollBar->Range());
    const TEstimate estimate = Estimate(available);
    const long long expand =
        estimate.adjustables > 0
            ? std::max<long long>(0, (available.cy - estimate.fixedTotal) / estimate.adjustables)
            : 0;

    // Second pass: the last child without a height takes what is left. Only the heights of
    // the fixed children come off what is left; their paddings and the child padding stay
    // reserved in it.
    long long posY = rc.top - (BarShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->Position() : 0);
    const long long posX =
        rc.left - (BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Position() : 0);
    long long remaining = available.cy;
    long long fixedLeft = estimate.fixedTotal;
    long long needed = 0;
    int adjustablesSeen = 0;
    {
        bxutil::CAutoLock lock(m_layoutLock);
        ForEachLaidOutChild([&](CControlUI* child) {
            const RECT pad = child->Padding();
            remaining -= pad.top;
            SIZE size = child->DesiredSize(SIZE{available.cx, ClampCoordinate(remaining)});
            if (size.cy == 0) {
                ++adjustablesSeen;
                long long height = expand;
                if (adjustablesSeen == estimate.adjustables)
                    height = std::max<long long>(0, remaining - pad.bottom - fixedLeft);
                size.cy = ClampToLimits(height, child->MinHeight(), child->MaxHeight());
            } else {
                size.cy = ClampToLimits(size.cy, child->MinHeight(), child->MaxHeight());
                fixedLeft -= size.cy;
            }
            long long width = child->FixedWidth();
            if (width == 0) width = static_cast<long long>(available.cx) - pad.left - pad.right;
            size.cx = ClampToLimits(std::max<long long>(0, width), child->MinWidth(),
                                    child->MaxWidth());

            // The bottom edge includes the bottom padding.
            const LONG left = ClampCoordinate(posX + pad.left);
            const LONG top = ClampCoordinate(posY + pad.top);
            child->Place(RECT{left, top, ClampCoordinate(static_cast<long long>(left) + size.cx),
                              ClampCoordinate(static_cast<long long>(top) + size.cy + pad.bottom)},
                         false);
            const long long taken = static_cast<long long>(pad.top) + size.cy + pad.bottom;
            posY += taken + m_iChildPadding;
            needed += taken;
            remaining -= static_cast<long long>(size.cy) + pad.bottom + m_iChildPadding;
        });
    }
    needed += static_cast<long long>(m_iChildPadding) * (estimate.counted - 1);
    UpdateScrollBars(rc, 0, ClampCoordinate(needed));
}

}  // namespace SkinUI
