// The list: header and body, the selection, keyboard navigation and notifications.

#include "ui/controls/ListUI.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/ListHeaderUI.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return name != nullptr && wcscmp(name, expected) == 0; }

}  // namespace

int ListKeyTarget(UINT key, int current, int count, int page) {
    if (count <= 0) return -1;
    const long long step = std::max(1, page);
    long long target;
    switch (key) {
    case VK_UP: target = current < 0 ? 0 : current - 1LL; break;
    case VK_DOWN: target = current + 1LL; break;
    case VK_PRIOR: target = current < 0 ? 0 : current - step; break;
    case VK_NEXT: target = current < 0 ? step - 1 : current + step; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    default: return -1;
    }
    return static_cast<int>(std::clamp<long long>(target, 0, count - 1));
}

CListUI::CListUI() {
    UseAttributes(Attributes());
    // The body is a child like any other: the container owns and deletes it.
    CContainerUI::InsertAt(m_body, 0);
}

CListUI::~CListUI() = default;

LPCWSTR CListUI::ClassName() const { return L"ListUI"; }

LPVOID CListUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"List")) return this;
    if (Is(name, L"IContainer")) return static_cast<IContainerUI*>(&m_rows);
    return CVerticalLayoutUI::InterfaceByName(name);
}

UINT CListUI::ControlFlags() const { return kControlFlagTabStop; }

// ---- Header and rows ---------------------------------------------------------------------------

bool CListUI::SetHeader(CControlUI* header) {
    auto* typed = header != nullptr ? static_cast<CListHeaderUI*>(header->InterfaceByName(L"ListHeader"))
                                    : nullptr;
    if (typed == nullptr || m_header != nullptr) return false;
    if (!CContainerUI::InsertAt(header, 0)) return false;
    m_header = typed;
    m_header->SetVisible(m_headerShown);
    return true;
}

void CListUI::SetHeaderShown(bool shown) {
    // The attribute comes before the markup's header element does.
    m_headerShown = shown;
    if (m_header != nullptr) m_header->SetVisible(shown);
}

int CListUI::RowCount() const { return m_body->Count(); }
CControlUI* CListUI::RowAt(int index) const { return m_body->ItemAt(index); }
bool CListUI::AddRow(CControlUI* row) { return m_body->Append(row); }
void CListUI::RemoveAllRows() { m_body->RemoveAllItems(); }

bool CListUI::AppendChild(CControlUI* control) {
    if (control != nullptr && control->InterfaceByName(L"ListHeader") != nullptr)
        return SetHeader(control);
    return m_body->Append(control);
}

int CListUI::ColumnCount() const {
    return m_header != nullptr && m_header->IsVisible() ? m_header->Count() : 0;
}

bool CListUI::ColumnSpan(int column, LONG& left, LONG& right) const {
    CControlUI* item = m_header != nullptr ? m_header->ItemAt(column) : nullptr;
    if (item == nullptr || !item->IsVisible()) return false;
    left = item->Rect().left;
    right = item->Rect().right;
    return true;
}

void CListUI::OnRowsChanged() {
    // Indices shifted: the rows' own flags are the truth to rebuild from.
    m_selected.clear();
    for (int i = 0; i < RowCount(); ++i) {
        const IListItemUI* item = AsListItem(RowAt(i));
        if (item != nullptr && item->IsItemSelected()) m_selected.push_back(i);
    }
    if (m_current >= RowCount()) m_current = RowCount() - 1;
    if (m_anchor >= RowCount()) m_anchor = m_current;
}

// ---- Selection ---------------------------------------------------------------------------------

void CListUI::SetMultiSelect(bool multi) {
    m_multiSelect = multi;
    if (!multi && m_current >= 0) SelectRow(m_current, false);
}

bool CListUI::IsRowSelected(int index) const {
    const IListItemUI* item = AsListItem(RowAt(index));
    return item != nullptr && item->IsItemSelected();
}

void CListUI::SetRowSelected(int index, bool selected) {
    IListItemUI* item = AsListItem(RowAt(index));
    if (item == nullptr || item->IsItemSelected() == selected) return;
    item->SetItemSelected(selected);
    const auto at = std::lower_bound(m_selected.begin(), m_selected.end(), index);
    if (selected)
        m_selected.insert(at, index);
    else if (at != m_selected.end() && *at == index)
        m_selected.erase(at);
}

void CListUI::ClearSelection() {
    for (int index : std::vector<int>(m_selected)) SetRowSelected(index, false);
    m_selected.clear();
}

void CListUI::SelectRange(int from, int to) {
    ClearSelection();
    for (int i = std::min(from, to); i <= std::max(from, to); ++i) SetRowSelected(i, true);
}

void CListUI::MoveSelection(int index, WORD keyState) {
    if (index < 0 || index >= RowCount()) return;
    if (m_multiSelect && (keyState & kKeyStateShift) != 0 && m_anchor >= 0) {
        SelectRange(m_anchor, index);
    } else if (m_multiSelect && (keyState & kKeyStateControl) != 0) {
        SetRowSelected(index, !IsRowSelected(index));
        m_anchor = index;
    } else {
        ClearSelection();
        SetRowSelected(index, true);
        m_anchor = index;
    }
    m_current = index;
}

bool CListUI::SelectRow(int index, bool notify) {
    if (index < 0 || index >= RowCount()) return false;
    MoveSelection(index, 0);
    EnsureVisible(index);
    if (notify) Notify(L"itemselect", index);
    return true;
}

void CListUI::EnsureVisible(int index) { m_body->EnsureVisible(index); }

void CListUI::Notify(LPCWSTR type, int index) {
    if (m_pManager != nullptr) m_pManager->SendNotification(this, type, static_cast<WPARAM>(index));
}

// ---- Input -------------------------------------------------------------------------------------

void CListUI::OnItemPressed(int index, WORD keyState) {
    if (!IsEnabled()) return;
    MoveSelection(index, keyState);
    Notify(L"itemclick", index);
    Notify(L"itemselect", index);
}

void CListUI::OnItemActivated(int index) {
    if (IsEnabled()) Notify(L"itemactivate", index);
}

void CListUI::OnItemEvent(TControlEvent& event) {
    if (event.nKind == kEventKeyDown) HandleKey(event);
}

bool CListUI::HandleKey(const TControlEvent& event) {
    if (!IsEnabled()) return false;
    if (event.chKey == VK_RETURN) {
        if (m_current >= 0) Notify(L"itemactivate", m_current);
        return m_current >= 0;
    }
    const int target = ListKeyTarget(event.chKey, m_current, RowCount(), m_body->RowsPerPage());
    if (target < 0) return false;
    // Ctrl moves like a plain key: toggling is for the mouse.
    MoveSelection(target, static_cast<WORD>(event.wKeyState & kKeyStateShift));
    EnsureVisible(target);
    Notify(L"itemselect", target);
    return true;
}

void CListUI::ProcessEvent(TControlEvent& event) {
    if (event.nKind == kEventKeyDown && HandleKey(event)) return;
    if (event.nKind == kEventScrollWheel) {
        m_body->ProcessEvent(event);
        return;
    }
    CVerticalLayoutUI::ProcessEvent(event);
}

// ---- Attributes --------------------------------------------------------------------------------

const CAttributeTable<CListUI>& CListUI::Attributes() {
    using C = CListUI;
    // The item settings are the rows' look: a change repaints the list.
    static const CPartAttributes<C, TListInfoUI> items(
        ListInfoAttributes(), [](C& c) -> TListInfoUI& { return c.m_info; },
        [](C& c) { c.InvalidateSelf(); }, &CLinearLayoutUI::Attributes());
    static const TAttributeRow<C> rows[] = {
        AttrBool::Row<&C::SetMultiSelect, &C::IsMultiSelect>(L"multiselect"),
        {L"header", [](C& c, LPCWSTR v) { c.SetHeaderShown(!Is(v, L"hidden")); },
         [](C& c) { return CUIString(c.m_headerShown ? L"" : L"hidden"); }},
    };
    static const CAttributeTable<C> table(rows, &items);
    return table;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"List", &CreateControlOf<CListUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CListUI::AccessibleRole() const { return ROLE_SYSTEM_LIST; }

}  // namespace SkinUI
