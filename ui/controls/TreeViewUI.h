#pragma once
// CTreeViewUI: a scrolling column of tree nodes. Every node of every level is one of the view's
// direct children, in walking order (a node, then its descendants), each row indented by its
// depth; a collapsed node's descendants are folded away. The user expands and collapses a node
// with its folder button, a double click on its row or the Right and Left keys, moves the
// selection with Up and Down and toggles the selected node's check box with Space. The view
// sends "itemexpand" (wParam: expanded), "itemcheck" (wParam: checked) and "itemselect" from the
// node concerned.
//
// Settings shared by the rows: the folder buttons and check boxes shown or not, the indent of
// one level, the rows' minimum width and the item colours a node does not set itself.

#include <windows.h>

#include <vector>

#include "ui/controls/TreeItemColors.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/manager/TreeAttachment.h"

namespace SkinUI {

class CTreeNodeUI;

class CTreeViewUI : public CVerticalLayoutUI, public ITreeViewAttachUI {
public:
    static constexpr int kMaxIndent = 256;
    static constexpr int kDefaultIndent = 16;

    CTreeViewUI();
    ~CTreeViewUI() override;

    LPCWSTR ClassName() const override;             // "TreeViewUI"
    LONG AccessibleRole() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;  // "TreeView": the ITreeViewAttachUI
    void ProcessEvent(TControlEvent& event) override;

    // A tree node appended is taken as a top-level node with its descendants; removing a node
    // removes its descendants too.
    bool Append(CControlUI* control) override;
    bool RemoveItem(CControlUI* control) override;
    void RemoveAllItems() override;

    // ITreeViewAttachUI.
    bool AddNode(CControlUI* node) override;

    // The top-level node count and nodes.
    int GetCountNode() const;
    CTreeNodeUI* GetNode(int index) const;

    CTreeNodeUI* SelectedNode() const { return m_pSelected; }
    // Selects node (null: none); with notify "itemselect" is sent when the selection changed.
    void SelectNode(CTreeNodeUI* node, bool notify = false);
    // The keys of the tree (arrows, Space); false for any other key.
    bool HandleKey(const TControlEvent& event);

    bool IsFolderButtonVisible() const { return m_bFolderVisible; }
    void SetFolderButtonVisible(bool visible);
    bool IsCheckBoxVisible() const { return m_bCheckVisible; }
    void SetCheckBoxVisible(bool visible);
    int Indent() const { return m_nIndent; }
    void SetIndent(int indent);  // kept within 0..kMaxIndent
    int ItemMinWidth() const { return m_nItemMinWidth; }
    void SetItemMinWidth(int width);
    // The rows' item colours, where a node does not set its own.
    const TTreeItemColors& ItemColors() const { return m_colors; }
    void SetItemColors(const TTreeItemColors& colors);

    // ---- Called by the nodes ---------------------------------------------------------------------
    // Takes node's subtree in as rows after parent's descendants (parent null: at the end).
    void InsertSubtree(CTreeNodeUI* parent, CTreeNodeUI* node);
    // Removes node's rows and its descendants' and deletes them.
    void RemoveSubtree(CTreeNodeUI* node);
    // Folds or shows node's descendants after node's state changed.
    void Refold(CTreeNodeUI* node);
    void NotifyNode(CTreeNodeUI* node, LPCWSTR type, bool state);

private:
    static const CAttributeTable<CTreeViewUI>& Attributes();
    static CTreeNodeUI* AsNode(CControlUI* control);
    // Refold on the row at index, known to be a node (a skin's many top-level nodes would make
    // looking each one up again quadratic).
    void RefoldAt(int index);
    // The row index just past node's last descendant.
    int EndOfSubtree(int index) const;
    // The next (or previous) row that is shown, from index; -1 when none.
    int NextShownNode(int index, bool forward) const;
    // Scrolls so that the row (laid out) shows whole, or its top when it is taller than the view.
    void ScrollIntoView(const CControlUI& row);
    // Lets every row forget the tree: the rows are then deleted on their own.
    void ReleaseAllNodes();
    void UpdateNodeLook();

    CTreeNodeUI* m_pSelected = nullptr;  // a row, not owned
    bool m_bFolderVisible = true;
    bool m_bCheckVisible = false;
    int m_nIndent = kDefaultIndent;
    int m_nItemMinWidth = 0;
    TTreeItemColors m_colors;
};

}  // namespace SkinUI
