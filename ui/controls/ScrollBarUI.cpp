// The part of the scroll bar the containers rely on: orientation, range, position and the
// thumb's travel.

#include "ui/controls/ScrollBarUI.h"

#include <cwchar>

#include "ui/controls/ContainerUI.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

namespace {
constexpr int kDefaultThickness = 16;
}

CScrollBarUI::CScrollBarUI() { m_cxyFixed.cx = kDefaultThickness; }

LPCWSTR CScrollBarUI::ClassName() const { return L"ScrollBarUI"; }

LPVOID CScrollBarUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"ScrollBar") == 0) return this;
    return CControlUI::InterfaceByName(name);
}

void CScrollBarUI::SetOwner(CContainerUI* owner) { m_pOwner = owner; }

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    if (horizontal && m_cxyFixed.cy == 0) {
        m_cxyFixed.cx = 0;
        m_cxyFixed.cy = kDefaultThickness;
    } else if (!horizontal && m_cxyFixed.cx == 0) {
        m_cxyFixed.cy = 0;
        m_cxyFixed.cx = kDefaultThickness;
    }
    if (m_pOwner != nullptr)
        m_pOwner->MarkForLayout();
    else
        MarkParentForLayout();
}

void CScrollBarUI::SetRange(int range) {
    if (m_nRange == range) return;
    m_nRange = range > 0 ? range : 0;
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    Place(m_rcItem, true);
}

void CScrollBarUI::SetPosition(int position) {
    if (m_nScrollPos == position) return;
    m_nScrollPos = position > 0 ? position : 0;
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    Place(m_rcItem, true);
}

int CScrollBarUI::TrackLength() const {
    if (m_bHorizontal)
        return RectWidth(m_rcItem) - 2 * m_cxyFixed.cy - RectWidth(m_rcThumb);
    return RectHeight(m_rcItem) - 2 * m_cxyFixed.cx - RectHeight(m_rcThumb);
}

}  // namespace SkinUI
