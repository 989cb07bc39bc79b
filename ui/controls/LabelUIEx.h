#pragma once
// CLabelUIEx: a label that shows the hand cursor while the pointer is over it (for labels used
// as links) and draws its effects with a simpler rule than CLabelUI: whenever effects are on,
// the GDI+ gradient drawing runs, aligned top-left, from textColor to textColor1 (or plain
// textColor when textColor1 is not set). It keeps the label's names ("LabelUI", "Label").

#include <windows.h>

#include "ui/controls/LabelUI.h"

namespace SkinUI {

class CLabelUIEx : public CLabelUI {
public:
    CLabelUIEx() = default;

    void ProcessEvent(TControlEvent& event) override;
    void PaintTextContent(HDC hDC) override;

    bool IsHovered() const { return m_bHovered; }

protected:
    bool m_bHovered = false;
};

}  // namespace SkinUI
