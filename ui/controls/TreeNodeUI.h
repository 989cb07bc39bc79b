#pragma once
// CTreeNodeUI: one row of a tree view. The row is a horizontal layout: an indent as wide as the
// node's depth asks, the folder button (expands and collapses the node), an optional check box,
// the node's text and any controls added to the row (AddToRow). Child nodes are the node's own
// logical children; they are not inside the row.
//
// A tree view keeps every node of every level as one of its direct children, in the order of a
// walk through the tree (each node followed by its descendants), so painting, laying out,
// attaching and deleting a tree never recurse as deep as the tree is. Collapsing a node hides
// its descendants' rows ("folded"), which then take no room and are not painted.
//
// Ownership: a node outside a tree view owns its child nodes and deletes them with itself; once
// its subtree joins a tree view, the tree view owns every row of it (a container owns its
// children), and the links between nodes only describe the tree.

#include <windows.h>

#include <vector>

#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/TreeItemColors.h"
#include "ui/core/manager/TreeAttachment.h"

namespace SkinUI {

class CLabelUI;
class CTreeViewUI;
class CTreeFolderButtonUI;
class CTreeCheckBoxUI;

class CTreeNodeUI : public CHorizontalLayoutUI, public ITreeNodeAttachUI {
public:
    CTreeNodeUI();
    ~CTreeNodeUI() override;

    LPCWSTR ClassName() const override;             // "TreeNodeUI"
    LONG AccessibleRole() const override;
    DWORD AccessibleState() const override;  // expanded or collapsed, when it has children
    LPVOID InterfaceByName(LPCWSTR name) override;  // "TreeNode": the ITreeNodeAttachUI
    CUIString Text() const override;
    void SetText(LPCWSTR text) override;
    bool IsVisible() const override;  // false while an ancestor is collapsed
    void ProcessEvent(TControlEvent& event) override;
    void PaintBackColor(HDC hDC) override;

    // ITreeNodeAttachUI.
    bool AddChildNode(CControlUI* node) override;
    bool AddToRow(CControlUI* control) override;

    // Removes child (one of this node's child nodes) and deletes it with its descendants.
    bool RemoveChildNode(CTreeNodeUI* child);
    CTreeNodeUI* GetChildNode(int index) const;
    int GetCountChild() const { return static_cast<int>(m_children.size()); }
    CTreeNodeUI* GetParentNode() const { return m_pParentNode; }
    // 0 for a top-level node.
    int GetTreeLevel() const { return m_nLevel; }
    CTreeViewUI* TreeView() const { return m_pTree; }

    bool IsExpanded() const { return m_bExpanded; }
    // With notify, the tree view sends "itemexpand" when the state changed.
    void SetExpanded(bool expanded, bool notify = false);
    bool IsChecked() const { return m_bChecked; }
    // With notify, the tree view sends "itemcheck" when the state changed.
    void SetChecked(bool checked, bool notify = false);
    bool IsSelected() const { return m_bSelected; }
    bool IsHot() const { return m_bHot; }

    // The row's parts (for the tree view and for tests).
    CControlUI* FolderButton() const;
    CControlUI* CheckBox() const;
    CLabelUI* TextLabel() const { return m_pLabel; }

    // The node's own item colours; each 0 takes the tree view's.
    const TTreeItemColors& ItemColors() const { return m_colors; }
    void SetItemColors(const TTreeItemColors& colors);

    // ---- Kept in step by the tree view ----------------------------------------------------------
    // The nodes of the subtree rooted here, this one first, in walking order.
    std::vector<CTreeNodeUI*> Subtree();
    // Joins (tree non-null) or leaves a tree view at the given depth.
    void JoinTree(CTreeViewUI* tree, int level);
    // Forgets every link to other nodes: the node is leaving its tree on its own.
    void Unlink();
    void SetFolded(bool folded);
    bool IsFolded() const { return m_bFolded; }
    void SetSelected(bool selected);
    // Takes the tree view's indent, folder button and check box settings.
    void ApplyTreeLook();

private:
    static const CAttributeTable<CTreeNodeUI>& Attributes();
    void SetHot(bool hot);
    void UpdateTextColor();
    // The colours in force: the node's own over the tree view's.
    TTreeItemColors EffectiveColors() const;
    // Deletes the child nodes of a node outside a tree, without recursing.
    void DeleteOwnSubtree();

    CTreeNodeUI* m_pParentNode = nullptr;  // not owned
    std::vector<CTreeNodeUI*> m_children;  // owned while outside a tree view
    CTreeViewUI* m_pTree = nullptr;        // not owned
    CControlUI* m_pIndent = nullptr;       // the row's parts, owned as its children
    CTreeFolderButtonUI* m_pFolder = nullptr;
    CTreeCheckBoxUI* m_pCheck = nullptr;
    CLabelUI* m_pLabel = nullptr;
    int m_nLevel = 0;
    bool m_bExpanded = true;
    bool m_bChecked = false;
    bool m_bSelected = false;
    bool m_bHot = false;
    bool m_bFolded = false;
    TTreeItemColors m_colors;
};

}  // namespace SkinUI
