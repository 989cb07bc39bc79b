#pragma once
// CVerticalLayoutUI: a container that arranges its children in a column. Children with a fixed
// height get it (within their minimum and maximum); the others share what is left equally, the
// last of them taking the remainder. Paddings and the child padding take room; floating and
// invisible children take none. An optional separator strip ("sepheight") resizes the layout
// itself when dragged.

#include <windows.h>

#include "ui/controls/LinearLayoutUI.h"

namespace SkinUI {

class CVerticalLayoutUI : public CLinearLayoutUI {
public:
    CVerticalLayoutUI();
    ~CVerticalLayoutUI() override;

    void Place(const RECT& rect, bool invalidate = true) override;
};

}  // namespace SkinUI
