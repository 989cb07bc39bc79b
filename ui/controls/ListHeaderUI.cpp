// The list header and its column items, with the separator drag that resizes a column.

#include "ui/controls/ListHeaderUI.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/ListInfoUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return name != nullptr && wcscmp(name, expected) == 0; }

constexpr int kDefaultHeaderHeight = 26;

}  // namespace

// ---- Header ----------------------------------------------------------------------------------

// A header without a height in markup keeps this one rather than sharing the list's height
// with the body.
CListHeaderUI::CListHeaderUI() { SetFixedHeight(kDefaultHeaderHeight); }

LPCWSTR CListHeaderUI::ClassName() const { return L"ListHeaderUI"; }

LPVOID CListHeaderUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"ListHeader")) return this;
    return CHorizontalLayoutUI::InterfaceByName(name);
}

bool CListHeaderUI::InsertAt(CControlUI* control, int index) {
    if (Count() >= kMaxListColumns) return false;
    return CHorizontalLayoutUI::InsertAt(control, index);
}


// ---- Header item -----------------------------------------------------------------------------

LPCWSTR CListHeaderItemUI::ClassName() const { return L"ListHeaderItemUI"; }

LPVOID CListHeaderItemUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"ListHeaderItem")) return this;
    return CControlUI::InterfaceByName(name);
}

UINT CListHeaderItemUI::ControlFlags() const { return kControlFlagSetCursor; }

void CListHeaderItemUI::SetSeparatorWidth(int width) { m_sepWidth = std::clamp(width, 0, 32); }

RECT CListHeaderItemUI::SeparatorRect() const {
    if (!m_dragable || m_sepWidth == 0) return RECT{0, 0, 0, 0};
    return RECT{m_rcItem.right - m_sepWidth, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
}

void CListHeaderItemUI::ProcessEvent(TControlEvent& event) {
    if (!IsEnabled()) {
        CControlUI::ProcessEvent(event);
        return;
    }
    switch (event.nKind) {
    case kEventSetCursor:
        ::SetCursor(::LoadCursorW(nullptr, RectContains(SeparatorRect(), event.ptMouse) || m_dragging
                                               ? IDC_SIZEWE
                                               : IDC_ARROW));
        return;
    case kEventButtonDown:
    case kEventDblClick:
        OnPress(event.ptMouse);
        return;
    case kEventButtonUp:
        OnRelease(event.ptMouse);
        return;
    case kEventMouseMove:
        OnDrag(event.ptMouse);
        return;
    case kEventMouseEnter:
    case kEventMouseLeave:
        m_hot = event.nKind == kEventMouseEnter;
        InvalidateSelf();
        return;
    default:
        CControlUI::ProcessEvent(event);
    }
}

void CListHeaderItemUI::OnPress(POINT pt) {
    m_pressed = true;
    m_dragging = RectContains(SeparatorRect(), pt);
    m_dragStartX = pt.x;
    m_dragStartWidth = Width();
    InvalidateSelf();
}

void CListHeaderItemUI::OnDrag(POINT pt) {
    if (!m_dragging) return;
    const long long width = static_cast<long long>(m_dragStartWidth) + pt.x - m_dragStartX;
    const int clamped = static_cast<int>(std::clamp<long long>(width, kMinColumnWidth, kMaxColumnWidth));
    if (clamped == Width()) return;
    SetFixedWidth(clamped);
    // The cells below follow the columns: the list around the header lays out and paints anew.
    if (m_pParent != nullptr && m_pParent->Parent() != nullptr) m_pParent->Parent()->MarkForLayout();
}

void CListHeaderItemUI::OnRelease(POINT pt) {
    const bool wasDrag = m_dragging;
    const bool wasPressed = m_pressed;
    m_pressed = false;
    m_dragging = false;
    InvalidateSelf();
    if (wasDrag || !wasPressed || !RectContains(m_rcItem, pt) || m_pManager == nullptr) return;
    auto* header = m_pParent;
    const int column = header != nullptr ? header->IndexOf(this) : -1;
    m_pManager->SendNotification(this, L"headerclick", static_cast<WPARAM>(column));
}

void CListHeaderItemUI::PaintBackColor(HDC hDC) {
    CControlUI::PaintBackColor(hDC);
    if (m_hot && m_hotBkColor != 0) CUIRender::DrawColor(hDC, m_rcItem, m_hotBkColor);
    if (m_sepColor != 0) {
        const RECT line{m_rcItem.right - 1, m_rcItem.top + 4, m_rcItem.right - 1,
                        m_rcItem.bottom - 4};
        CUIRender::DrawLine(hDC, line, 1, m_sepColor);
    }
}

void CListHeaderItemUI::PaintTextContent(HDC hDC) {
    if (m_strText.IsEmpty()) return;
    RECT area = RectDeflate(m_rcItem, RECT{4, 0, 4 + m_sepWidth, 0});
    CUIRender::DrawText(hDC, m_pManager, area, m_strText, m_textColor, m_font, m_textStyle);
}

const CAttributeTable<CListHeaderItemUI>& CListHeaderItemUI::Attributes() {
    using C = CListHeaderItemUI;
    static const TAttributeRow<C> rows[] = {
        AttrBool::Row<&C::m_dragable, &C::m_dragable>(L"dragable"),
        AttrLength::Row<&C::SetSeparatorWidth, &C::m_sepWidth>(L"sepwidth"),
        AttrInt::Row<&C::m_font, &C::m_font>(L"font"),
        AttrColor::Row<&C::m_textColor, &C::m_textColor>(L"textcolor"),
        AttrColor::Row<&C::m_hotBkColor, &C::m_hotBkColor>(L"hotbkcolor"),
        AttrColor::Row<&C::m_sepColor, &C::m_sepColor>(L"sepcolor"),
    };
    static const CAttributeTable<C> table(rows, &CControlUI::Attributes());
    return table;
}

// The markup elements these classes answer to.
namespace {
const CControlRegistration kHeader(L"ListHeader", &CreateControlOf<CListHeaderUI>);
const CControlRegistration kHeaderItem(L"ListHeaderItem", &CreateControlOf<CListHeaderItemUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CListHeaderItemUI::AccessibleRole() const { return ROLE_SYSTEM_COLUMNHEADER; }

}  // namespace SkinUI
