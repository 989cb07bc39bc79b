#pragma once
// CHorizontalLayoutUI: a container that arranges its children in a row. Children with a fixed
// width get it (within their minimum and maximum); the others share what is left equally, the
// last of them taking the remainder. Paddings and the child padding take room; floating and
// invisible children take none. An optional separator strip ("sepwidth") resizes the layout
// itself when dragged.

#include <windows.h>

#include "support/LibThread.h"
#include "ui/controls/ContainerUI.h"
#include "ui/controls/LayoutSeparator.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
public:
    CHorizontalLayoutUI();
    ~CHorizontalLayoutUI() override;

    LPCWSTR ClassName() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;
    UINT ControlFlags() const override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void ProcessEvent(TControlEvent& event) override;
    void ApplyAttribute(LPCWSTR name, LPCWSTR value) override;
    void PaintOverlay(HDC hDC, const RECT& dirty) override;

    // The separator strip on the layout's rectangle, or on the dragged one (useNew).
    RECT SeparatorRect(bool useNew) const;
    int SeparatorSize() const { return m_separator.Size(); }
    void SetSeparatorSize(int size) { m_separator.SetSize(size); }
    bool IsSeparatorImmediate() const { return m_separator.IsImmediate(); }
    void SetSeparatorImmediate(bool immediate) { m_separator.SetImmediate(immediate, *this); }

protected:
    // Held during each of the two passes over the children.
    bxutil::CCriticalSection m_layoutLock;
    CLayoutSeparator m_separator{false};
};

}  // namespace SkinUI
