#pragma once
// The attachment points of tree controls, as the dialog builder sees them. A tree keeps its
// nodes in an order of its own (a node's rows follow its parent's), so the builder cannot simply
// append a node to whatever element encloses it; it asks the enclosing control for these
// interfaces (InterfaceByName "TreeNode" and "TreeView") and leaves the placing to the tree.
// Declared here, below the window layer, so that the builder names no concrete control.

#include <windows.h>

namespace SkinUI {

class CControlUI;

// What a tree node answers to InterfaceByName(L"TreeNode").
class ITreeNodeAttachUI {
public:
    // Takes node (a tree node) as the last child node; false when it is not one or is refused.
    virtual bool AddChildNode(CControlUI* node) = 0;
    // Takes control into the node's row, after its text; false when refused.
    virtual bool AddToRow(CControlUI* control) = 0;

protected:
    ~ITreeNodeAttachUI() = default;
};

// What a tree view answers to InterfaceByName(L"TreeView").
class ITreeViewAttachUI {
public:
    // Takes node (a tree node) as the last top-level node; false when it is not one.
    virtual bool AddNode(CControlUI* node) = 0;

protected:
    ~ITreeViewAttachUI() = default;
};

}  // namespace SkinUI
