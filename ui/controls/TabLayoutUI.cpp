// The tab layout: one visible page, "tabselect" when it changes.

#include "ui/controls/TabLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"

namespace SkinUI {

CTabLayoutUI::CTabLayoutUI() { UseAttributes(Attributes()); }
CTabLayoutUI::~CTabLayoutUI() = default;

LPCWSTR CTabLayoutUI::ClassName() const { return L"TabLayoutUI"; }

LPVOID CTabLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"TabLayout") == 0) return this;
    return CContainerUI::InterfaceByName(name);
}

const CAttributeTable<CTabLayoutUI>& CTabLayoutUI::Attributes() {
    using C = CTabLayoutUI;
    static const TAttributeRow<C> rows[] = {
        {L"selectedid", [](C& c, LPCWSTR v) { c.SelectItem(ParseAttrInt(v)); }, nullptr},
    };
    static const CAttributeTable<C> table(rows, &CContainerUI::Attributes());
    return table;
}

void CTabLayoutUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    Attributes().ApplyOwn(*this, name, value);
    // "selectedid" reaches the container too: the base comes after the table whatever it found.
    Attributes().ApplyInherited(*this, name, value);
}

void CTabLayoutUI::AdoptChild(CControlUI* control) {
    if (m_iCurSel == -1 && control->IsVisible())
        m_iCurSel = IndexOf(control);
    else
        control->SetVisible(false);
}

bool CTabLayoutUI::Append(CControlUI* control) {
    // The container's own insertion, not the virtual one: the page rule runs once.
    if (!CContainerUI::InsertAt(control, Count())) return false;
    AdoptChild(control);
    return true;
}

bool CTabLayoutUI::InsertAt(CControlUI* control, int index) {
    if (!CContainerUI::InsertAt(control, index)) return false;
    if (m_iCurSel != -1 && index <= m_iCurSel)
        ++m_iCurSel;  // the page moved up one place; the new child keeps its visibility
    else
        AdoptChild(control);
    return true;
}

bool CTabLayoutUI::RemoveItem(CControlUI* control) {
    if (control == nullptr) return false;
    const int index = IndexOf(control);
    if (!CContainerUI::RemoveItem(control)) return false;
    if (index == m_iCurSel) {
        if (Count() > 0) {
            m_iCurSel = 0;
            ItemAt(0)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        MarkParentForLayout();
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAllItems() {
    m_iCurSel = -1;
    CContainerUI::RemoveAllItems();
    MarkParentForLayout();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= Count()) return false;
    if (index == m_iCurSel) return true;
    const int old = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < Count(); ++i) {
        CControlUI* page = ItemAt(i);
        if (i != index) {
            page->SetVisible(false);
            continue;
        }
        page->SetVisible(true);
        page->RequestFocus();
    }
    MarkParentForLayout();
    if (m_pManager != nullptr) {
        m_pManager->MoveTabFocus(true);
        m_pManager->SendNotification(this, L"tabselect", index, old);
    }
    return true;
}

void CTabLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    const RECT inner = RectDeflate(m_rcItem, m_rcInset);
    for (int i = 0; i < Count(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatChild(i);
            continue;
        }
        if (i != m_iCurSel) continue;
        const RECT rc = RectDeflate(inner, child->Padding());
        const SIZE desired = child->DesiredSize(SIZE{RectWidth(rc), RectHeight(rc)});
        const LONG cx = ClampToLimits(desired.cx != 0 ? desired.cx : std::max(RectWidth(rc), 0L),
                                      child->MinWidth(), child->MaxWidth());
        const LONG cy = ClampToLimits(desired.cy != 0 ? desired.cy : std::max(RectHeight(rc), 0L),
                                      child->MinHeight(), child->MaxHeight());
        child->Place(RECT{rc.left, rc.top, rc.left + cx, rc.top + cy}, false);
    }
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"TabLayout", &CreateControlOf<CTabLayoutUI>);
}  // namespace

}  // namespace SkinUI
