#pragma once
// CLinearLayoutUI: what the vertical and horizontal layouts share — the separator strip that
// resizes the layout itself, the lock held over each pass of a layout, and the first pass that
// estimates what the children of fixed size need. It adds no virtual operations: the layouts
// keep the container's slot order.

#include <windows.h>

#include "support/LibThread.h"
#include "ui/controls/LayoutSeparator.h"
#include "ui/core/manager/ContainerUI.h"

namespace SkinUI {

class CLinearLayoutUI : public CContainerUI {
public:
    // "VerticalLayoutUI" / "HorizontalLayoutUI", answering "VerticalLayout" /
    // "HorizontalLayout" besides the container's names.
    LPCWSTR ClassName() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;
    UINT ControlFlags() const override;
    void ProcessEvent(TControlEvent& event) override;
    void PaintOverlay(HDC hDC, const RECT& dirty) override;

    // The separator strip on the layout's rectangle, or on the dragged one (useNew).
    RECT SeparatorRect(bool useNew) const { return m_separator.StripRect(*this, useNew); }
    int SeparatorSize() const { return m_separator.Size(); }
    void SetSeparatorSize(int size);
    bool IsSeparatorImmediate() const { return m_separator.IsImmediate(); }
    void SetSeparatorImmediate(bool immediate) { m_separator.SetImmediate(immediate, *this); }

protected:
    explicit CLinearLayoutUI(bool vertical);

    // The sharing of the layout's axis among its visible, non-floating children. The first
    // pass (BeginShare) finds how many children have no size of their own along the axis
    // (they share the rest equally) and what the others take with their paddings and the
    // child padding; the second pass asks ShareNext for each child's size in order, the last
    // child without a size taking what is left.
    struct TShare {
        int adjustables = 0;
        int counted = 0;
        long long fixedTotal = 0;
        long long expand = 0;     // the equal share
        long long remaining = 0;  // what is left along the axis
        long long fixedLeft = 0;  // what the children still to come have reserved
        long long needed = 0;     // the extent the children take
        int adjustablesSeen = 0;
    };
    TShare BeginShare(SIZE available);
    // The next child's size along the axis; padBefore and padAfter are its paddings along it.
    LONG ShareNext(TShare& share, CControlUI& child, SIZE desired, LONG padBefore, LONG padAfter);
    // After the last child: the child padding between the children counts as needed too.
    long long EndShare(const TShare& share) const;

    bxutil::CCriticalSection m_layoutLock;  // held during each pass over the children
    CLayoutSeparator m_separator;

    // "sepheight" (vertical) or "sepwidth" (horizontal), and "sepimm"; the rest as a container.
    static const CAttributeTable<CLinearLayoutUI>& Attributes();

private:
    // The separator's size from markup, when the name's orientation is the layout's own.
    void SetSeparatorSizeAlong(bool vertical, LPCWSTR value);

    bool m_bVertical;
};

}  // namespace SkinUI
