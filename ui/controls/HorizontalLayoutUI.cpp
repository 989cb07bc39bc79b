// The horizontal layout: children side by side, left to right.

#include "ui/controls/HorizontalLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/ControlGeometry.h"
#include "ui/controls/ScrollBarUI.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(false) {}
CHorizontalLayoutUI::~CHorizontalLayoutUI() = default;

LPCWSTR CHorizontalLayoutUI::ClassName() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"HorizontalLayout") == 0) return this;
    return CContainerUI::InterfaceByName(name);
}

void CHorizontalLayoutUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (!ApplySeparatorAttribute(name, value, L"sepwidth"))
        CContainerUI::ApplyAttribute(name, value);
}

void CHorizontalLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    RECT rc = RectDeflate(m_rcItem, m_rcInset);
    // Without children the scroll bars are not taken off (they are placed on the inner area).
    if (Count() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }
    rc.right -= BarThickness(m_pVerticalScrollBar, false);
    rc.bottom -= BarThickness(m_pHorizontalScrollBar, true);
    SIZE available{RectWidth(rc), RectHeight(rc)};
    if (BarShown(m_pHorizontalScrollBar))
        available.cx = ClampCoordinate(available.cx + m_pHorizontalScrollBar->Range());
    const TEstimate estimate = Estimate(available);
    const long long expand =
        estimate.adjustables > 0
            ? std::max<long long>(0, (available.cx - estimate.fixedTotal) / estimate.adjustables)
            : 0;

    // Second pass: every placed child gives back its share of what it reserved (its width and
    // paddings when fixed, the child padding always), so that the last child without a width
    // fills the row exactly. The vertical scroll position does not apply.
    long long posX =
        rc.left - (BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Position() : 0);
    long long remaining = available.cx;
    long long fixedLeft = estimate.fixedTotal;
    long long needed = 0;
    int adjustablesSeen = 0;
    {
        bxutil::CAutoLock lock(m_layoutLock);
        ForEachLaidOutChild([&](CControlUI* child) {
            const RECT pad = child->Padding();
            remaining -= pad.left;
            SIZE size = child->DesiredSize(SIZE{ClampCoordinate(remaining), available.cy});
            if (size.cx == 0) {
                ++adjustablesSeen;
                long long width = expand;
                if (adjustablesSeen == estimate.adjustables)
                    width = std::max<long long>(0, remaining - pad.right - fixedLeft);
                size.cx = ClampToLimits(width, child->MinWidth(), child->MaxWidth());
            } else {
                size.cx = ClampToLimits(size.cx, child->MinWidth(), child->MaxWidth());
                fixedLeft -= static_cast<long long>(size.cx) + pad.left + pad.right;
            }
            fixedLeft -= m_iChildPadding;
            long long height = child->FixedHeight();
            if (height == 0) height = static_cast<long long>(RectHeight(rc)) - pad.top - pad.bottom;
            size.cy = ClampToLimits(std::max<long long>(0, height), child->MinHeight(),
                                    child->MaxHeight());

            // The right edge leaves out the right padding.
            const LONG left = ClampCoordinate(posX + pad.left);
            const LONG top = ClampCoordinate(static_cast<long long>(rc.top) + pad.top);
            child->Place(RECT{left, top, ClampCoordinate(static_cast<long long>(left) + size.cx),
                              ClampCoordinate(static_cast<long long>(top) + size.cy)},
                         false);
            const long long taken = static_cast<long long>(pad.left) + size.cx + pad.right;
            posX += taken + m_iChildPadding;
            needed += taken;
            remaining -= static_cast<long long>(size.cx) + pad.right + m_iChildPadding;
        });
    }
    needed += static_cast<long long>(m_iChildPadding) * (estimate.counted - 1);
    UpdateScrollBars(rc, ClampCoordinate(needed), 0);
}

}  // namespace SkinUI
