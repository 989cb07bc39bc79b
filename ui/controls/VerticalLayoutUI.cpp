// The vertical layout: children stacked top to bottom.

#include "ui/controls/VerticalLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/ControlGeometry.h"
#include "ui/controls/ScrollBarUI.h"
#include "ui/core/UIAttribute.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

CVerticalLayoutUI::CVerticalLayoutUI() = default;
CVerticalLayoutUI::~CVerticalLayoutUI() = default;

LPCWSTR CVerticalLayoutUI::ClassName() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"VerticalLayout") == 0) return this;
    return CContainerUI::InterfaceByName(name);
}

UINT CVerticalLayoutUI::ControlFlags() const {
    return IsEnabled() && m_separator.Size() != 0 ? kControlFlagSetCursor : 0;
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

    // First pass: what the children of fixed height need, and how many share the rest.
    int adjustables = 0;
    int counted = 0;
    long long fixedTotal = 0;
    {
        bxutil::CAutoLock lock(m_layoutLock);
        for (int i = 0; i < Count(); ++i) {
            CControlUI* child = ItemAt(i);
            if (!child->IsVisible() || child->IsFloat()) continue;
            LONG height = child->DesiredSize(available).cy;
            if (height == 0)
                ++adjustables;
            else
                height = ClampToLimits(height, child->MinHeight(), child->MaxHeight());
            const RECT pad = child->Padding();
            fixedTotal += static_cast<long long>(height) + pad.top + pad.bottom;
            ++counted;
        }
    }
    fixedTotal += static_cast<long long>(m_iChildPadding) * (counted - 1);
    const long long expand =
        adjustables > 0 ? std::max<long long>(0, (available.cy - fixedTotal) / adjustables) : 0;

    // Second pass: place them; the last child without a height takes what is left.
    long long posY = rc.top - (BarShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->Position() : 0);
    const long long posX =
        rc.left - (BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Position() : 0);
    long long remaining = available.cy;
    long long fixedLeft = fixedTotal;
    long long needed = 0;
    int adjustablesSeen = 0;
    {
        bxutil::CAutoLock lock(m_layoutLock);
        for (int i = 0; i < Count(); ++i) {
            CControlUI* child = ItemAt(i);
            if (!child->IsVisible()) continue;
            if (child->IsFloat()) {
                PlaceFloatChild(i);
                continue;
            }
            const RECT pad = child->Padding();
            remaining -= pad.top;
            SIZE size = child->DesiredSize(SIZE{available.cx, ClampCoordinate(remaining)});
            if (size.cy == 0) {
                ++adjustablesSeen;
                long long height = expand;
                if (adjustablesSeen == adjustables)
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

            const LONG left = ClampCoordinate(posX + pad.left);
            const LONG top = ClampCoordinate(posY + pad.top);
            child->Place(RECT{left, top, ClampCoordinate(static_cast<long long>(left) + size.cx),
                              ClampCoordinate(static_cast<long long>(top) + size.cy + pad.bottom)},
                         false);
            posY += static_cast<long long>(pad.top) + size.cy + pad.bottom + m_iChildPadding;
            needed += static_cast<long long>(pad.top) + size.cy + pad.bottom;
            remaining -= static_cast<long long>(size.cy) + pad.bottom + m_iChildPadding;
        }
    }
    needed += static_cast<long long>(m_iChildPadding) * (counted - 1);
    UpdateScrollBars(rc, 0, ClampCoordinate(needed));
}

void CVerticalLayoutUI::ProcessEvent(TControlEvent& event) {
    if (!m_separator.ProcessEvent(*this, m_rcItem, m_cxyFixed, event))
        CContainerUI::ProcessEvent(event);
}

void CVerticalLayoutUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name != nullptr && wcscmp(name, L"sepheight") == 0)
        m_separator.SetSize(ClampCoordinate(ParseAttrInt(value)));
    else if (name != nullptr && wcscmp(name, L"sepimm") == 0)
        SetSeparatorImmediate(ParseAttrBool(value));
    else
        CContainerUI::ApplyAttribute(name, value);
}

void CVerticalLayoutUI::PaintOverlay(HDC hDC, const RECT& /*dirty*/) {
    m_separator.PaintOverlay(hDC, *this);
}

RECT CVerticalLayoutUI::SeparatorRect(bool useNew) const {
    return m_separator.StripRect(*this, useNew);
}

}  // namespace SkinUI
