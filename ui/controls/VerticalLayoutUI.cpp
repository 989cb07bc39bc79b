// The vertical layout: children stacked top to bottom.

#include "ui/controls/VerticalLayoutUI.h"

#include <algorithm>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ScrollBarUI.h"

namespace SkinUI {

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(true) {}
CVerticalLayoutUI::~CVerticalLayoutUI() = default;

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
    TShare share = BeginShare(available);

    long long posY = rc.top - (BarShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->Position() : 0);
    const long long posX =
        rc.left - (BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Position() : 0);
    {
        bxutil::CAutoLock lock(m_layoutLock);
        ForEachLaidOutChild([&](CControlUI* child) {
            const RECT pad = child->Padding();
            share.remaining -= pad.top;
            const SIZE desired =
                child->DesiredSize(SIZE{available.cx, ClampCoordinate(share.remaining)});
            const LONG height = ShareNext(share, *child, desired, pad.top, pad.bottom);
            long long width = child->FixedWidth();
            if (width == 0) width = static_cast<long long>(available.cx) - pad.left - pad.right;
            width = ClampToLimits(std::max<long long>(0, width), child->MinWidth(),
                                  child->MaxWidth());
            // The bottom edge includes the bottom padding.
            const LONG left = ClampCoordinate(posX + pad.left);
            const LONG top = ClampCoordinate(posY + pad.top);
            child->Place(RECT{left, top, ClampCoordinate(left + width),
                              ClampCoordinate(static_cast<long long>(top) + height + pad.bottom)},
                         false);
            posY += static_cast<long long>(pad.top) + height + pad.bottom + m_iChildPadding;
        });
    }
    UpdateScrollBars(rc, 0, ClampCoordinate(EndShare(share)));
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"VerticalLayout", &CreateControlOf<CVerticalLayoutUI>);
}  // namespace

}  // namespace SkinUI
