// List rows: the state every row shares (index, owner, selection, hover) and the three row
// kinds painted from the owner's item attributes.

#include "ui/controls/ListElementsUI.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return name != nullptr && wcscmp(name, expected) == 0; }

}  // namespace

IListItemUI* AsListItem(CControlUI* control) {
    return control != nullptr ? static_cast<IListItemUI*>(control->InterfaceByName(L"ListItem"))
                              : nullptr;
}

// ---- Row state -------------------------------------------------------------------------------

const TListInfoUI& CListRowState::Info() const {
    static const TListInfoUI kDefaults;
    return m_owner != nullptr ? m_owner->ListInfo() : kDefaults;
}

void CListRowState::SetItemSelected(bool selected) {
    if (m_selected == selected) return;
    m_selected = selected;
    if (m_row == nullptr) return;
    m_row->InvalidateSelf();
    m_row->NotifyAccessible(selected ? EVENT_OBJECT_SELECTIONADD : EVENT_OBJECT_SELECTIONREMOVE);
}

bool CListRowState::HandleEvent(CControlUI& row, TControlEvent& event) {
    if (m_owner == nullptr || !row.IsEnabled()) return false;
    switch (event.nKind) {
    case kEventButtonDown:
    case kEventRButtonDown:
        m_owner->OnItemPressed(m_index, event.wKeyState);
        return true;
    case kEventDblClick:
        m_owner->OnItemActivated(m_index);
        return true;
    case kEventMouseEnter:
    case kEventMouseLeave:
        m_hot = event.nKind == kEventMouseEnter;
        row.InvalidateSelf();
        return true;
    case kEventKeyDown:
        m_owner->OnItemEvent(event);
        return true;
    case kEventScrollWheel:
        // The body under the row scrolls.
        if (row.Parent() != nullptr) row.Parent()->ProcessEvent(event);
        return true;
    case kEventButtonUp:
        return true;
    default:
        return false;
    }
}

void CListRowState::PaintBackground(HDC hDC, const CControlUI& row) const {
    const TListInfoUI& info = Info();
    const DWORD fill = m_selected ? info.selectedBkColor : m_hot ? info.hotBkColor : info.bkColor;
    const RECT rc = row.Rect();
    if (fill != 0) CUIRender::DrawColor(hDC, rc, fill);
    if (info.lineColor != 0) {
        const RECT line{rc.left, rc.bottom - 1, rc.right, rc.bottom - 1};
        CUIRender::DrawLine(hDC, line, 1, info.lineColor);
    }
}

void CListRowState::DrawText(HDC hDC, CControlUI& row, const RECT& rc, LPCWSTR text) const {
    if (text == nullptr || text[0] == L'\0') return;
    const TListInfoUI& info = Info();
    const DWORD color = !row.IsEnabled() ? info.disabledTextColor
                        : m_selected     ? info.selectedTextColor
                        : m_hot          ? info.hotTextColor
                                         : info.textColor;
    RECT area = RectDeflate(rc, info.textPadding);
    if (RectIsEmpty(area)) return;
    CWindowManagerUI* manager = row.Manager();
    if (info.showHtml) {
        int links = 0;
        CUIRender::DrawFormattedText(hDC, manager, area, text, color, nullptr, nullptr, links,
                                     info.textStyle);
    } else {
        CUIRender::DrawText(hDC, manager, area, text, color, info.font, info.textStyle);
    }
}

// ---- Label rows --------------------------------------------------------------------------------

CListLabelElementUI::CListLabelElementUI() { m_row.SetRow(this); }

LPCWSTR CListLabelElementUI::ClassName() const { return L"ListLabelElementUI"; }

LPVOID CListLabelElementUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"ListItem")) return static_cast<IListItemUI*>(&m_row);
    if (Is(name, L"ListLabelElement")) return this;
    return CControlUI::InterfaceByName(name);
}

void CListLabelElementUI::ProcessEvent(TControlEvent& event) {
    if (!m_row.HandleEvent(*this, event)) CControlUI::ProcessEvent(event);
}

void CListLabelElementUI::PaintBackColor(HDC hDC) {
    CControlUI::PaintBackColor(hDC);
    m_row.PaintBackground(hDC, *this);
}

void CListLabelElementUI::PaintTextContent(HDC hDC) { m_row.DrawText(hDC, *this, m_rcItem, m_strText); }

// ---- Text rows -------------------------------------------------------------------------------

LPCWSTR CListTextElementUI::ClassName() const { return L"ListTextElementUI"; }

LPVOID CListTextElementUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"ListTextElement")) return this;
    return CListLabelElementUI::InterfaceByName(name);
}

CUIString CListTextElementUI::ColumnText(int column) const {
    if (column == 0) return m_strText;
    if (column < 0 || column > static_cast<int>(m_texts.size())) return CUIString();
    return CUIString(m_texts[column - 1].c_str());
}

void CListTextElementUI::SetColumnText(int column, LPCWSTR text) {
    if (column < 0 || column >= kMaxListColumns) return;
    if (column == 0) {
        SetText(text);
        return;
    }
    if (m_texts.size() < static_cast<size_t>(column)) m_texts.resize(column);
    m_texts[column - 1] = text != nullptr ? text : L"";
    InvalidateSelf();
}

void CListTextElementUI::SetColumnTexts(LPCWSTR value) {
    m_texts.clear();
    const std::wstring all = value != nullptr ? value : L"";
    size_t start = 0;
    for (int column = 0; column < kMaxListColumns && start <= all.size(); ++column) {
        const size_t bar = std::min(all.find(L'|', start), all.size());
        SetColumnText(column, all.substr(start, bar - start).c_str());
        start = bar + 1;
    }
}

CUIString CListTextElementUI::CellText(int column) {
    const IListOwnerUI* owner = m_row.ItemOwner();
    IListCallbackUI* callback = owner != nullptr ? owner->TextCallback() : nullptr;
    if (callback != nullptr) return callback->GetItemText(this, m_row.ItemIndex(), column);
    return ColumnText(column);
}

void CListTextElementUI::PaintTextContent(HDC hDC) {
    const IListOwnerUI* owner = m_row.ItemOwner();
    const int columns = owner != nullptr ? owner->ColumnCount() : 0;
    if (columns == 0) {
        m_row.DrawText(hDC, *this, m_rcItem, CellText(0));
        return;
    }
    for (int column = 0; column < columns; ++column) {
        RECT cell = m_rcItem;
        if (!owner->ColumnSpan(column, cell.left, cell.right)) continue;
        if (RectsMeet(cell, m_rcPaint)) m_row.DrawText(hDC, *this, cell, CellText(column));
    }
}

const CAttributeTable<CListTextElementUI>& CListTextElementUI::Attributes() {
    using C = CListTextElementUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetColumnTexts>(L"texts"),
    };
    static const CAttributeTable<C> table(rows, &CControlUI::Attributes());
    return table;
}

// ---- Container rows --------------------------------------------------------------------------

CListContainerElementUI::CListContainerElementUI() { m_row.SetRow(this); }

LPCWSTR CListContainerElementUI::ClassName() const { return L"ListContainerElementUI"; }

LPVOID CListContainerElementUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"ListItem")) return static_cast<IListItemUI*>(&m_row);
    if (Is(name, L"ListContainerElement")) return this;
    return CHorizontalLayoutUI::InterfaceByName(name);
}

void CListContainerElementUI::Place(const RECT& rect, bool invalidate) {
    const IListOwnerUI* owner = m_row.ItemOwner();
    const int columns = owner != nullptr ? owner->ColumnCount() : 0;
    if (columns == 0 || RectIsEmpty(rect)) {
        CHorizontalLayoutUI::Place(rect, invalidate);
        return;
    }
    // Under a header each child fills its column, so the cells follow a dragged separator.
    CControlUI::Place(rect, invalidate);
    for (int i = 0; i < Count(); ++i) {
        RECT cell{0, 0, 0, 0};
        if (i < columns && owner->ColumnSpan(i, cell.left, cell.right)) {
            cell.top = rect.top;
            cell.bottom = rect.bottom;
        }
        ItemAt(i)->Place(cell, false);
    }
}

void CListContainerElementUI::ProcessEvent(TControlEvent& event) {
    if (!m_row.HandleEvent(*this, event)) CHorizontalLayoutUI::ProcessEvent(event);
}

void CListContainerElementUI::PaintBackColor(HDC hDC) {
    CHorizontalLayoutUI::PaintBackColor(hDC);
    m_row.PaintBackground(hDC, *this);
}

// The markup elements these classes answer to.
namespace {
const CControlRegistration kLabelElement(L"ListLabelElement",
                                         &CreateControlOf<CListLabelElementUI>);
const CControlRegistration kTextElement(L"ListTextElement", &CreateControlOf<CListTextElementUI>);
const CControlRegistration kContainerElement(L"ListContainerElement",
                                             &CreateControlOf<CListContainerElementUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

DWORD CListRowState::AccessibleState() const {
    return STATE_SYSTEM_SELECTABLE | (m_selected ? STATE_SYSTEM_SELECTED : 0);
}

LONG CListLabelElementUI::AccessibleRole() const { return ROLE_SYSTEM_LISTITEM; }
DWORD CListLabelElementUI::AccessibleState() const { return m_row.AccessibleState(); }
LONG CListContainerElementUI::AccessibleRole() const { return ROLE_SYSTEM_LISTITEM; }
DWORD CListContainerElementUI::AccessibleState() const { return m_row.AccessibleState(); }

}  // namespace SkinUI
