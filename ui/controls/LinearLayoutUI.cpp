#include "ui/controls/LinearLayoutUI.h"

#include <cwchar>

#include "ui/controls/ControlGeometry.h"
#include "ui/core/UIAttribute.h"

namespace SkinUI {

CLinearLayoutUI::CLinearLayoutUI(bool vertical) : m_separator(vertical), m_bVertical(vertical) {}

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

bool CLinearLayoutUI::ApplySeparatorAttribute(LPCWSTR name, LPCWSTR value, LPCWSTR sizeName) {
    if (name == nullptr) return false;
    if (wcscmp(name, sizeName) == 0) {
        SetSeparatorSize(ParseAttrInt(value));
        return true;
    }
    if (wcscmp(name, L"sepimm") == 0) {
        SetSeparatorImmediate(ParseAttrBool(value));
        return true;
    }
    return false;
}

CLinearLayoutUI::TEstimate CLinearLayoutUI::Estimate(SIZE available) {
    TEstimate estimate;
    bxutil::CAutoLock lock(m_layoutLock);
    for (int i = 0; i < Count(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const SIZE desired = child->DesiredSize(available);
        const RECT pad = child->Padding();
        LONG size = m_bVertical ? desired.cy : desired.cx;
        if (size == 0)
            ++estimate.adjustables;
        else if (m_bVertical)
            size = ClampToLimits(size, child->MinHeight(), child->MaxHeight());
        else
            size = ClampToLimits(size, child->MinWidth(), child->MaxWidth());
        estimate.fixedTotal += static_cast<long long>(size) +
                               (m_bVertical ? pad.top + pad.bottom : pad.left + pad.right);
        ++estimate.counted;
    }
    estimate.fixedTotal += static_cast<long long>(m_iChildPadding) * (estimate.counted - 1);
    return estimate;
}

}  // namespace SkinUI
