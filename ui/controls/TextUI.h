#pragma once
// CTextUI: a multi-line label. Its height follows its text (DesiredSize measures the text at the
// available width), and with formatted text ("showhtml") the links of the text become clickable
// areas: the hand cursor shows over them, the link under the pointer is drawn in the link-hover
// colour and releasing the button over link i sends "link" with wParam i.

#include <windows.h>

#include "ui/controls/LabelUI.h"

namespace SkinUI {

class CTextUI : public CLabelUI {
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();  // word-wrapped text, padding 2,0,2,0
    ~CTextUI() override;

    LPCWSTR ClassName() const override;                 // "TextUI"
    LPVOID InterfaceByName(LPCWSTR name) override;      // "Text"
    UINT ControlFlags() const override;                 // set-cursor events while it has links
    void SetText(LPCWSTR text) override;                // the parent lays out again
    void ProcessEvent(TControlEvent& event) override;
    SIZE DesiredSize(SIZE available) override;
    void PaintTextContent(HDC hDC) override;

    // Links found by the last paint (formatted text only).
    int LinkCount() const { return m_nLinks; }
    RECT LinkRect(int index) const;        // empty for an index out of range
    CUIString LinkText(int index) const;   // empty for an index out of range
    int HoverLink() const { return m_nHoverLink; }

protected:
    // Index of the link whose rectangle holds pt, or -1.
    int LinkAt(POINT pt) const;

    int m_nLinks = 0;
    RECT m_rcLinks[kMaxLinks] = {};
    CUIString m_sLinks[kMaxLinks];
    int m_nHoverLink = -1;
};

}  // namespace SkinUI
