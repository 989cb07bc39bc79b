// CTreeViewUI: the rows of a tree in walking order, folding, selection and the tree's keys.

#include "ui/controls/TreeViewUI.h"

#include <oleacc.h>

#include <algorithm>
#include <climits>
#include <cwchar>

#include "ui/controls/TreeNodeUI.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"

namespace SkinUI {

CTreeViewUI::CTreeViewUI() {
    UseAttributes(Attributes());
    EnableScrollBars(true, false);
}

CTreeViewUI::~CTreeViewUI() {
    // The container's destructor deletes the rows one by one; none may then reach for another.
    ReleaseAllNodes();
}

LPCWSTR CTreeViewUI::ClassName() const { return L"TreeViewUI"; }

LPVOID CTreeViewUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"TreeView") == 0)
        return static_cast<ITreeViewAttachUI*>(this);
    return CVerticalLayoutUI::InterfaceByName(name);
}

CTreeNodeUI* CTreeViewUI::AsNode(CControlUI* control) {
    return dynamic_cast<CTreeNodeUI*>(control);
}

// ---- Rows --------------------------------------------------------------------------------------

bool CTreeViewUI::AddNode(CControlUI* control) {
    CTreeNodeUI* node = AsNode(control);
    if (node == nullptr || node->GetParentNode() != nullptr || node->TreeView() != nullptr)
        return false;
    InsertSubtree(nullptr, node);
    return true;
}

bool CTreeViewUI::Append(CControlUI* control) {
    if (AsNode(control) != nullptr) return AddNode(control);
    return CVerticalLayoutUI::Append(control);
}

bool CTreeViewUI::RemoveItem(CControlUI* control) {
    CTreeNodeUI* node = AsNode(control);
    if (node == nullptr || node->TreeView() != this) return CVerticalLayoutUI::RemoveItem(control);
    if (CTreeNodeUI* parent = node->GetParentNode()) return parent->RemoveChildNode(node);
    RemoveSubtree(node);
    return true;
}

void CTreeViewUI::RemoveAllItems() {
    ReleaseAllNodes();
    CVerticalLayoutUI::RemoveAllItems();
}

void CTreeViewUI::ReleaseAllNodes() {
    m_pSelected = nullptr;
    for (int i = 0; i < Count(); ++i)
        if (CTreeNodeUI* node = AsNode(ItemAt(i))) node->Unlink();
}

void CTreeViewUI::InsertSubtree(CTreeNodeUI* parent, CTreeNodeUI* node) {
    int at = Count();
    if (parent != nullptr) {
        const int index = IndexOf(parent);
        if (index >= 0) at = EndOfSubtree(index);
    }
    const int first = at;
    // Walking order puts every parent before its children, so each level is known in turn.
    for (CTreeNodeUI* row : node->Subtree()) {
        const CTreeNodeUI* up = row->GetParentNode();
        row->JoinTree(this, up != nullptr ? up->GetTreeLevel() + 1 : 0);
        if (at >= Count()) CVerticalLayoutUI::Append(row);
        else CVerticalLayoutUI::InsertAt(row, at);
        ++at;
    }
    RefoldAt(first);
}

void CTreeViewUI::RemoveSubtree(CTreeNodeUI* node) {
    const int first = IndexOf(node);
    if (first < 0) return;
    const int end = EndOfSubtree(first);
    // Each row leaves on its own, from the last, so that no row's deletion reaches another.
    for (int i = end - 1; i >= first; --i) {
        CTreeNodeUI* row = AsNode(ItemAt(i));
        if (row == m_pSelected) m_pSelected = nullptr;
        row->Unlink();
        CVerticalLayoutUI::RemoveItem(row);
    }
}

int CTreeViewUI::EndOfSubtree(int index) const {
    const CTreeNodeUI* root = AsNode(ItemAt(index));
    int end = index + 1;
    while (end < Count()) {
        const CTreeNodeUI* row = AsNode(ItemAt(end));
        if (row == nullptr || row->GetTreeLevel() <= root->GetTreeLevel()) break;
        ++end;
    }
    return end;
}

void CTreeViewUI::Refold(CTreeNodeUI* node) {
    const int index = IndexOf(node);
    if (index >= 0) RefoldAt(index);
}

void CTreeViewUI::RefoldAt(int index) {
    CTreeNodeUI* node = AsNode(ItemAt(index));
    const CTreeNodeUI* parent = node->GetParentNode();
    node->SetFolded(parent != nullptr && (parent->IsFolded() || !parent->IsExpanded()));
    // One pass: below a folded or collapsed node every deeper row is folded, until the walk
    // comes back up to that node's level.
    int foldBelow = node->IsFolded() || !node->IsExpanded() ? node->GetTreeLevel() : INT_MAX;
    const int end = EndOfSubtree(index);
    for (int i = index + 1; i < end; ++i) {
        CTreeNodeUI* row = AsNode(ItemAt(i));
        const int level = row->GetTreeLevel();
        if (level <= foldBelow) foldBelow = INT_MAX;
        row->SetFolded(level > foldBelow);
        if (foldBelow == INT_MAX && !row->IsExpanded()) foldBelow = level;
    }
    // The selection may not stay on a row that is no longer shown.
    if (m_pSelected != nullptr && m_pSelected->IsFolded()) {
        CTreeNodeUI* shown = m_pSelected;
        while (shown->IsFolded() && shown->GetParentNode() != nullptr) shown = shown->GetParentNode();
        SelectNode(shown, true);
    }
    MarkForLayout();
    InvalidateSelf();
}

int CTreeViewUI::GetCountNode() const {
    int count = 0;
    for (int i = 0; i < Count(); ++i) {
        const CTreeNodeUI* row = AsNode(ItemAt(i));
        if (row != nullptr && row->GetParentNode() == nullptr) ++count;
    }
    return count;
}

CTreeNodeUI* CTreeViewUI::GetNode(int index) const {
    for (int i = 0; i < Count() && index >= 0; ++i) {
        CTreeNodeUI* row = AsNode(ItemAt(i));
        if (row != nullptr && row->GetParentNode() == nullptr && index-- == 0) return row;
    }
    return nullptr;
}

// ---- Selection, notifications and keys -----------------------------------------------------------

void CTreeViewUI::SelectNode(CTreeNodeUI* node, bool notify) {
    if (node == m_pSelected || (node != nullptr && node->TreeView() != this)) return;
    if (m_pSelected != nullptr) m_pSelected->SetSelected(false);
    m_pSelected = node;
    if (node == nullptr) return;
    node->SetSelected(true);
    if (notify) NotifyNode(node, L"itemselect", true);
}

void CTreeViewUI::NotifyNode(CTreeNodeUI* node, LPCWSTR type, bool state) {
    if (m_pManager != nullptr) m_pManager->SendNotification(node, type, state ? 1 : 0, 0);
}

int CTreeViewUI::NextShownNode(int index, bool forward) const {
    const int step = forward ? 1 : -1;
    for (int i = index + step; i >= 0 && i < Count(); i += step) {
        const CTreeNodeUI* row = AsNode(ItemAt(i));
        if (row != nullptr && row->IsVisible()) return i;
    }
    return -1;
}

bool CTreeViewUI::HandleKey(const TControlEvent& event) {
    if (event.nKind != kEventKeyDown) return false;
    CTreeNodeUI* node = m_pSelected;
    const int index = node != nullptr ? IndexOf(node) : -1;
    switch (event.chKey) {
    case VK_UP:
    case VK_DOWN: {
        const int next = NextShownNode(index, event.chKey == VK_DOWN);
        if (next < 0) return true;
        SelectNode(AsNode(ItemAt(next)), true);
        ScrollIntoView(*m_pSelected);
        return true;
    }
    case VK_RIGHT:
        if (node != nullptr && node->GetCountChild() > 0) node->SetExpanded(true, true);
        return true;
    case VK_LEFT:
        // Left on a collapsed node goes to its parent, as in the system's tree views.
        if (node != nullptr && node->IsExpanded() && node->GetCountChild() > 0)
            node->SetExpanded(false, true);
        else if (node != nullptr && node->GetParentNode() != nullptr)
            SelectNode(node->GetParentNode(), true);
        return true;
    case VK_SPACE:
        if (node != nullptr && m_bCheckVisible) node->SetChecked(!node->IsChecked(), true);
        return true;
    default:
        return false;
    }
}

void CTreeViewUI::ScrollIntoView(const CControlUI& row) {
    const RECT rc = row.Rect();
    const RECT inner = InnerRect();
    SIZE offset = ScrollOffset();
    if (rc.top < inner.top) offset.cy -= inner.top - rc.top;
    else if (rc.bottom > inner.bottom) offset.cy += std::min(rc.bottom - inner.bottom, rc.top - inner.top);
    else return;
    SetScrollOffset(offset);
}

void CTreeViewUI::ProcessEvent(TControlEvent& event) {
    if (HandleKey(event)) return;
    CVerticalLayoutUI::ProcessEvent(event);
}

// ---- Settings shared by the rows ---------------------------------------------------------------

void CTreeViewUI::UpdateNodeLook() {
    for (int i = 0; i < Count(); ++i)
        if (CTreeNodeUI* node = AsNode(ItemAt(i))) node->ApplyTreeLook();
    MarkForLayout();
    InvalidateSelf();
}

void CTreeViewUI::SetFolderButtonVisible(bool visible) {
    m_bFolderVisible = visible;
    UpdateNodeLook();
}

void CTreeViewUI::SetCheckBoxVisible(bool visible) {
    m_bCheckVisible = visible;
    UpdateNodeLook();
}

void CTreeViewUI::SetIndent(int indent) {
    m_nIndent = std::clamp(indent, 0, kMaxIndent);
    UpdateNodeLook();
}

void CTreeViewUI::SetItemMinWidth(int width) {
    m_nItemMinWidth = std::clamp(width, 0, static_cast<int>(kMaxControlCoordinate));
    UpdateNodeLook();
}

void CTreeViewUI::SetItemColors(const TTreeItemColors& colors) {
    m_colors = colors;
    UpdateNodeLook();
}

const CAttributeTable<CTreeViewUI>& CTreeViewUI::Attributes() {
    using C = CTreeViewUI;
    // The item colours reach the nodes through SetItemColors.
    static const CPartAttributes<C, TTreeItemColors> colors(
        TreeItemColorAttributes(), [](C& c) -> TTreeItemColors& { return c.m_colors; },
        [](C& c) { c.SetItemColors(c.m_colors); }, &CLinearLayoutUI::Attributes());
    static const TAttributeRow<C> rows[] = {
        AttrBool::Row<&C::SetFolderButtonVisible, &C::m_bFolderVisible>(L"visiblefolderbtn"),
        AttrBool::Row<&C::SetCheckBoxVisible, &C::m_bCheckVisible>(L"visiblecheckbtn"),
        AttrLength::Row<&C::SetItemMinWidth, &C::m_nItemMinWidth>(L"itemminwidth"),
        AttrLength::Row<&C::SetIndent, &C::m_nIndent>(L"indent"),
    };
    static const CAttributeTable<C> table(rows, &colors);
    return table;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"TreeView", &CreateControlOf<CTreeViewUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CTreeViewUI::AccessibleRole() const { return ROLE_SYSTEM_OUTLINE; }

}  // namespace SkinUI
