#include "ui/controls/LinearLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlGeometry.h"

namespace SkinUI {

CLinearLayoutUI::CLinearLayoutUI(bool vertical) : m_separator(vertical), m_bVertical(vertical) {
    UseAttributes(Attributes());
}

UINT CLinearLayoutUI::ControlFlags() const {
    return IsEnabled() && m_separator.Size() != 0 ? kControlFlagSetCursor : 0;
}

void CLinearLayoutUI::ProcessEvent(TControlEvent& event) {
    if (!m_separator.ProcessEvent(*this, m_rcItem, m_cxyFixed, event))
        CContainerUI::ProcessEvent(event);
}

void CLinearLayoutUI::PaintOverlay(HDC hDC, const RECT& /*dirty*/) {
    m_separator.PaintOverlay(hDC, *this);
}

void CLinearLayoutUI::SetSeparatorSize(int size) { m_separator.SetSize(ClampCoordinate(size)); }

void CLinearLayoutUI::SetSeparatorSizeAlong(bool vertical, LPCWSTR value) {
    if (vertical == m_bVertical) SetSeparatorSize(ParseAttrInt(value));
}

LPCWSTR CLinearLayoutUI::ClassName() const {
    return m_bVertical ? L"VerticalLayoutUI" : L"HorizontalLayoutUI";
}

LPVOID CLinearLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, m_bVertical ? L"VerticalLayout" : L"HorizontalLayout") == 0)
        return this;
    return CContainerUI::InterfaceByName(name);
}

const CAttributeTable<CLinearLayoutUI>& CLinearLayoutUI::Attributes() {
    using C = CLinearLayoutUI;
    static const TAttributeRow<C> rows[] = {
        AttrBool::Row<&C::SetSeparatorImmediate>(L"sepimm"),
        // The separator's size is named after the orientation: "sepheight" in a vertical
        // layout, "sepwidth" in a horizontal one. The other name changes nothing.
        {L"sepheight", [](C& c, LPCWSTR v) { c.SetSeparatorSizeAlong(true, v); }, nullptr,
         EScaledAttr::Number},
        {L"sepwidth", [](C& c, LPCWSTR v) { c.SetSeparatorSizeAlong(false, v); }, nullptr,
         EScaledAttr::Number},
    };
    static const CAttributeTable<C> table(rows, &CContainerUI::Attributes());
    return table;
}

CLinearLayoutUI::TShare CLinearLayoutUI::BeginShare(SIZE available) {
    TShare share;
    {
        bxutil::CAutoLock lock(m_layoutLock);
        for (int i = 0; i < Count(); ++i) {
            CControlUI* child = ItemAt(i);
            if (!child->IsVisible() || child->IsFloat()) continue;
            const SIZE desired = child->DesiredSize(available);
            const RECT pad = child->Padding();
            LONG size = m_bVertical ? desired.cy : desired.cx;
            if (size == 0)
                ++share.adjustables;
            else if (m_bVertical)
                size = ClampToLimits(size, child->MinHeight(), child->MaxHeight());
            else
                size = ClampToLimits(size, child->MinWidth(), child->MaxWidth());
            share.fixedTotal += static_cast<long long>(size) +
                                (m_bVertical ? pad.top + pad.bottom : pad.left + pad.right);
            ++share.counted;
        }
    }
    share.fixedTotal += static_cast<long long>(m_iChildPadding) * (share.counted - 1);
    const long long along = m_bVertical ? available.cy : available.cx;
    if (share.adjustables > 0)
        share.expand = std::max<long long>(0, (along - share.fixedTotal) / share.adjustables);
    share.remaining = along;
    share.fixedLeft = share.fixedTotal;
    return share;
}

LONG CLinearLayoutUI::ShareNext(TShare& share, CControlUI& child, SIZE desired, LONG padBefore,
                                LONG padAfter) {
    const LONG minimum = m_bVertical ? child.MinHeight() : child.MinWidth();
    const LONG maximum = m_bVertical ? child.MaxHeight() : child.MaxWidth();
    const LONG own = m_bVertical ? desired.cy : desired.cx;
    LONG size = 0;
    if (own == 0) {
        ++share.adjustablesSeen;
        long long shared = share.expand;
        if (share.adjustablesSeen == share.adjustables)
            shared = std::max<long long>(0, share.remaining - padAfter - share.fixedLeft);
        size = ClampToLimits(shared, minimum, maximum);
    } else {
        size = ClampToLimits(own, minimum, maximum);
        // A column gives back only the height of a fixed child (its paddings and the child
        // padding stay reserved for the last shared child); a row gives back all it reserved
        // for each child, so that its last shared child fills the row exactly.
        share.fixedLeft -= m_bVertical ? size : static_cast<long long>(size) + padBefore + padAfter;
    }
    if (!m_bVertical) share.fixedLeft -= m_iChildPadding;
    share.needed += static_cast<long long>(padBefore) + size + padAfter;
    share.remaining -= static_cast<long long>(size) + padAfter + m_iChildPadding;
    return size;
}

long long CLinearLayoutUI::EndShare(const TShare& share) const {
    return share.needed + static_cast<long long>(m_iChildPadding) * (share.counted - 1);
}

}  // namespace SkinUI
