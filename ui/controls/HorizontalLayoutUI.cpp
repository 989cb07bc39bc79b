// The horizontal layout: children side by side, left to right.

#include "ui/controls/HorizontalLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/ControlGeometry.h"
#include "ui/controls/ScrollBarUI.h"
#include "ui/core/UIAttribute.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

CHorizontalLayoutUI::CHorizontalLayoutUI() = default;
CHorizontalLayoutUI::~CHorizontalLayoutUI() = default;

LPCWSTR CHorizontalLayoutUI::ClassName() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"HorizontalLayout") == 0) return this;
    return CContainerUI::InterfaceByName(name);
}

UINT CHorizontalLayoutUI::ControlFlags() const {
    return IsEnabled() && m_separator.Size() != 0 ? kControlFlagSetCursor : 0;
}

void CHorizontalLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    RECT rc = RectDeflate(m_rcItem, m_rcInset);
    if (Count() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }
    rc.right -= BarThickness(m_pVerticalScrollBar, false);
    rc.bottom -= BarThickness(m_pHorizontalScrollBar, true);

    SIZE available{RectWidth(rc), RectHeight(rc)};
    if (BarShown(m_pHorizontalScrollBar))
        available.cx = ClampCoordinate(available.cx + m_pHorizontalScrollBar->Range());

    // First pass: what the children of fixed width need, and how many share the rest.
    int adjustables = 0;
    int counted = 0;
    long long fixedTotal = 0;
    {
        bxutil::CAutoLock lock(m_layoutLock);
        for (int i = 0; i < Count(); ++i) {
            CControlUI* child = ItemAt(i);
            if (!child->IsVisible() || child->IsFloat()) continue;
            LONG width = child->DesiredSize(available).cx;
            if (width == 0)
                ++adjustables;
            else
                width = ClampToLimits(width, child->MinWidth(), child->MaxWidth());
            const RECT pad = child->Padding();
            fixedTotal += static_cast<long long>(width) + pad.left + pad.right;
            ++counted;
        }
    }
    fixedTotal += static_cast<long long>(m_iChildPadding) * (counted - 1);
    const long long expand =
        adjustables > 0 ? std::max<long long>(0, (available.cx - fixedTotal) / adjustables) : 0;

    // Second pass: place them; every placed child gives back its share of the child padding,
    // so that the last child without a width fills the row exactly.
    long long posX =
        rc.left - (BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Position() : 0);
    long long remaining = available.cx;
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
            remaining -= pad.left;
            SIZE size = child->DesiredSize(SIZE{ClampCoordinate(remaining), available.cy});
            if (size.cx == 0) {
                ++adjustablesSeen;
                long long width = expand;
                if (adjustablesSeen == adjustables)
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

            const LONG left = ClampCoordinate(posX + pad.left);
            const LONG top = ClampCoordinate(static_cast<long long>(rc.top) + pad.top);
            child->Place(RECT{left, top, ClampCoordinate(static_cast<long long>(left) + size.cx),
                              ClampCoordinate(static_cast<long long>(top) + size.cy)},
                         false);
            posX += static_cast<long long>(pad.left) + size.cx + pad.right + m_iChildPadding;
            needed += static_cast<long long>(pad.left) + size.cx + pad.right;
            remaining -= static_cast<long long>(size.cx) + pad.right + m_iChildPadding;
        }
    }
    needed += static_cast<long long>(m_iChildPadding) * (counted - 1);
    UpdateScrollBars(rc, ClampCoordinate(needed), 0);
}

void CHorizontalLayoutUI::ProcessEvent(TControlEvent& event) {
    if (!m_separator.ProcessEvent(*this, m_rcItem, m_cxyFixed, event))
        CContainerUI::ProcessEvent(event);
}

void CHorizontalLayoutUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name != nullptr && wcscmp(name, L"sepwidth") == 0)
        m_separator.SetSize(ClampCoordinate(ParseAttrInt(value)));
    else if (name != nullptr && wcscmp(name, L"sepimm") == 0)
        SetSeparatorImmediate(ParseAttrBool(value));
    else
        CContainerUI::ApplyAttribute(name, value);
}

void CHorizontalLayoutUI::PaintOverlay(HDC hDC, const RECT& /*dirty*/) {
    m_separator.PaintOverlay(hDC, *this);
}

RECT CHorizontalLayoutUI::SeparatorRect(bool useNew) const {
    return m_separator.StripRect(*this, useNew);
}

}  // namespace SkinUI
