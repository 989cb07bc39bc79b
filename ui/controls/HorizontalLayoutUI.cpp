// The horizontal layout: children side by side, left to right.

#include "ui/controls/HorizontalLayoutUI.h"

#include <algorithm>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ScrollBarUI.h"

namespace SkinUI {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(false) {}
CHorizontalLayoutUI::~CHorizontalLayoutUI() = default;

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
    TShare share = BeginShare(available);

    // The vertical scroll position does not apply to a row.
    long long posX =
        rc.left - (BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Position() : 0);
    {
        bxutil::CAutoLock lock(m_layoutLock);
        ForEachLaidOutChild([&](CControlUI* child) {
            const RECT pad = child->Padding();
            share.remaining -= pad.left;
            const SIZE desired =
                child->DesiredSize(SIZE{ClampCoordinate(share.remaining), available.cy});
            const LONG width = ShareNext(share, *child, desired, pad.left, pad.right);
            long long height = child->FixedHeight();
            if (height == 0) height = static_cast<long long>(RectHeight(rc)) - pad.top - pad.bottom;
            height = ClampToLimits(std::max<long long>(0, height), child->MinHeight(),
                                   child->MaxHeight());
            // The right edge leaves out the right padding.
            const LONG left = ClampCoordinate(posX + pad.left);
            const LONG top = ClampCoordinate(static_cast<long long>(rc.top) + pad.top);
            child->Place(RECT{left, top, ClampCoordinate(static_cast<long long>(left) + width),
                              ClampCoordinate(top + height)},
                         false);
            posX += static_cast<long long>(pad.left) + width + pad.right + m_iChildPadding;
        });
    }
    UpdateScrollBars(rc, ClampCoordinate(EndShare(share)), 0);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"HorizontalLayout", &CreateControlOf<CHorizontalLayoutUI>);
}  // namespace

}  // namespace SkinUI
