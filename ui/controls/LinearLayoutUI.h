#pragma once
// CLinearLayoutUI: what the vertical and horizontal layouts share — the separator strip that
// resizes the layout itself, the lock held over each pass of a layout, and the first pass that
// estimates what the children of fixed size need. It adds no virtual operations: the layouts
// keep the container's slot order.

#include <windows.h>

#include "support/LibThread.h"
#include "ui/controls/ContainerUI.h"
#include "ui/controls/LayoutSeparator.h"

namespace SkinUI {

class CLinearLayoutUI : public CContainerUI {
public:
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

    // sizeName ("sepheight" or "sepwidth") and "sepimm"; false for any other attribute.
    bool ApplySeparatorAttribute(LPCWSTR name, LPCWSTR value, LPCWSTR sizeName);

    // First pass over the visible, non-floating children along the layout's axis: how many
    // have no size of their own (they share the rest), how many there are, and what the others
    // take with their paddings and the child padding between all of them.
    struct TEstimate {
        int adjustables = 0;
        int counted = 0;
        long long fixedTotal = 0;
    };
    TEstimate Estimate(SIZE available);

    bxutil::CCriticalSection m_layoutLock;  // held during each pass over the children
    CLayoutSeparator m_separator;

private:
    bool m_bVertical;
};

}  // namespace SkinUI
