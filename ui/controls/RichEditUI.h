#pragma once
// CRichEditUI: multi-line rich text, edited and drawn by the system's Text Services without a
// window of their own (see RichEditHost.h). The framework's events reach the services as the
// window messages they stand for; the services' vertical scroll range drives the container's
// scroll bar, and the bar scrolls the text. Notifications: "textchanged" after every change of
// the text, "return" for Enter when the control does not take it as a line break.
//
// Without text services (no library in the system, or their creation failed) the control is a
// plain painted box that keeps its text as a label would.

#include <windows.h>

#include <memory>

#include "ui/controls/RichEditHost.h"
#include "ui/core/manager/ContainerUI.h"

namespace SkinUI {

class CRichEditUI : public CContainerUI, private ITextHostSite {
public:
    // Bounds of "maxchar": 0 or less means the bound, so that a skin cannot ask for no limit
    // beyond what the services handle well.
    static constexpr int kMaxCharLimit = 1 << 24;

    CRichEditUI();
    ~CRichEditUI() override;

    LPCWSTR ClassName() const override;             // "RichEditUI"
    LONG AccessibleRole() const override;  // editable text
    CUIString AccessibleValue() const override;  // the text
    CUIString AccessibleName() const override;  // the tool tip (the text is the value)
    LPVOID InterfaceByName(LPCWSTR name) override;  // "RichEdit"
    UINT ControlFlags() const override;             // a tab stop with set-cursor events
    CUIString Text() const override;                // line breaks as "\r\n"
    // Plain text, or RTF (starting "{\rtf") in rich mode.
    void SetText(LPCWSTR text) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void MoveBy(SIZE offset, bool invalidate = true) override;
    void ProcessEvent(TControlEvent& event) override;
    void PaintTextContent(HDC hDC) override;
    void SetScrollOffset(SIZE offset) override;

    bool HasTextServices() const { return m_link != nullptr; }
    int GetTextLength() const;
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    bool IsMultiLine() const { return m_bMultiLine; }
    void SetMultiLine(bool multiLine);
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool want) { m_bWantReturn = want; }
    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool want) { m_bWantTab = want; }
    int MaxChar() const { return m_nMaxChar; }
    void SetMaxChar(int count);  // bounded to 1..kMaxCharLimit
    bool IsRich() const { return m_bRich; }
    void SetRich(bool rich);
    bool IsAutoVScroll() const { return m_bAutoVScroll; }
    void SetAutoVScroll(bool autoScroll);
    int Font() const { return m_iFont; }
    void SetFont(int index);
    DWORD TextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    RECT TextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(const RECT& padding);
    // Where the text goes: the item rectangle less the inset, the padding and the scroll bar.
    RECT TextRect() const;

private:
    static const CAttributeTable<CRichEditUI>& Attributes();

    // ITextHostSite
    HWND HostWindow() const override;
    RECT HostTextRect() const override { return TextRect(); }
    const CHARFORMAT2W& HostCharFormat() const override { return m_charFormat; }
    const PARAFORMAT2& HostParaFormat() const override { return m_paraFormat; }
    DWORD HostPropertyBits() const override;
    DWORD HostScrollBars() const override;
    DWORD HostMaxLength() const override { return static_cast<DWORD>(m_nMaxChar); }
    void HostInvalidate() override { InvalidateSelf(); }
    bool HostSetTimer(UINT id, UINT elapse) override;
    void HostKillTimer(UINT id) override;
    void HostFocus() override;
    void HostNotify(DWORD code) override;

    // Tells the services that the properties in mask changed.
    void PropertyChanged(DWORD mask);
    void UpdateCharFormat();
    // Text starting with "{\rtf" in rich mode: read as RTF.
    void SetRtf(LPCWSTR rtf);
    // Sends one message to the services, then brings the scroll bar up to date.
    LRESULT Forward(UINT message, WPARAM wParam, LPARAM lParam);
    // Keys and characters: false when the control keeps the key from the services.
    bool ForwardKey(const TControlEvent& event, UINT message);
    bool ForwardMouse(const TControlEvent& event);
    void OnFocusChange(bool focused);
    // Reads the services' vertical range and position into the scroll bar.
    void SyncScrollBar();
    void PlaceScrollBar();

    std::unique_ptr<CTextServicesLink> m_link;  // null without text services
    CHARFORMAT2W m_charFormat{};
    PARAFORMAT2 m_paraFormat{};
    bool m_bReadOnly = false;
    bool m_bMultiLine = true;
    bool m_bWantReturn = true;
    bool m_bWantTab = false;
    bool m_bRich = true;
    bool m_bAutoVScroll = true;
    bool m_bRtfText = false;     // the text came as RTF: it keeps its own character formats
    bool m_bActive = false;      // in-place active (placed once in a window)
    bool m_bSyncing = false;     // SyncScrollBar runs: a nested call through the services returns
    int m_nMaxChar = kMaxCharLimit;
    int m_iFont = -1;
    DWORD m_dwTextColor = 0xFF000000;
    RECT m_rcTextPadding{2, 2, 2, 2};
};

}  // namespace SkinUI
