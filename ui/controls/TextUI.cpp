// CTextUI: multi-line text measured to its width, with clickable links in formatted text.

#include "ui/controls/TextUI.h"

#include <algorithm>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

CTextUI::CTextUI() {
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding = RECT{2, 0, 2, 0};
}

CTextUI::~CTextUI() = default;

LPCWSTR CTextUI::ClassName() const { return L"TextUI"; }

LPVOID CTextUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"Text") == 0) return this;
    return CLabelUI::InterfaceByName(name);
}

UINT CTextUI::ControlFlags() const {
    return IsEnabled() && m_nLinks > 0 ? kControlFlagSetCursor : 0;
}

void CTextUI::SetText(LPCWSTR text) {
    CLabelUI::SetText(text);
    // The height follows the text.
    MarkParentForLayout();
}

RECT CTextUI::LinkRect(int index) const {
    return index >= 0 && index < m_nLinks ? m_rcLinks[index] : RECT{0, 0, 0, 0};
}

CUIString CTextUI::LinkText(int index) const {
    return index >= 0 && index < m_nLinks ? m_sLinks[index] : CUIString();
}

int CTextUI::LinkAt(POINT pt) const {
    for (int i = 0; i < m_nLinks && i < kMaxLinks; ++i) {
        if (RectContains(m_rcLinks[i], pt)) return i;
    }
    return -1;
}

void CTextUI::ProcessEvent(TControlEvent& event) {
    if (PassMouseEventOn(event)) return;
    const int link = LinkAt(event.ptMouse);
    switch (event.nKind) {
    case kEventSetCursor:
        if (link >= 0) {
            SetCursorShape(IDC_HAND);
            return;
        }
        break;
    case kEventButtonDown:
    case kEventDblClick:
        if (IsEnabled() && link >= 0) {
            InvalidateSelf();  // the link shows pressed
            return;
        }
        break;
    case kEventButtonUp:
        if (IsEnabled() && link >= 0) {
            if (m_pManager != nullptr)
                m_pManager->SendNotification(this, L"link", static_cast<WPARAM>(link));
            return;
        }
        break;
    case kEventContextMenu:
        return;
    case kEventMouseMove:
        if (IsEnabled() && m_nLinks > 0 && link != m_nHoverLink) {
            m_nHoverLink = link;
            InvalidateSelf();
        }
        break;
    case kEventMouseLeave:
        if (m_nHoverLink != -1) {
            m_nHoverLink = -1;
            InvalidateSelf();
        }
        break;
    default:
        break;
    }
    CLabelUI::ProcessEvent(event);
}

SIZE CTextUI::DesiredSize(SIZE available) {
    HDC dc = m_pManager != nullptr ? m_pManager->GetPaintDC() : nullptr;
    if (dc == nullptr) return m_cxyFixed;
    const LONG width = std::max<LONG>(m_cxyFixed.cx, ClampCoordinate(available.cx));
    RECT measured = {m_rcTextPadding.left, 0, width - m_rcTextPadding.right, 9999};
    if (m_strText.IsEmpty()) {
        // Nothing to measure: no text takes no room.
        measured.right = measured.left;
        measured.bottom = measured.top;
    } else if (m_bShowHtml) {
        int links = 0;
        CUIRender::DrawFormattedText(dc, m_pManager, measured, m_strText, m_dwTextColor, nullptr,
                                     nullptr, links, m_uTextStyle | DT_CALCRECT);
    } else {
        CUIRender::DrawText(dc, m_pManager, measured, m_strText, m_dwTextColor, m_iFont,
                            m_uTextStyle | DT_CALCRECT);
    }
    SIZE size = {measured.right + m_rcTextPadding.right + m_rcTextPadding.left - measured.left,
                 m_rcTextPadding.top + m_rcTextPadding.bottom + RectHeight(measured)};
    if (m_cxyFixed.cy != 0) size.cy = m_cxyFixed.cy;
    return size;
}

void CTextUI::PaintTextContent(HDC hDC) {
    if (m_strText.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    ApplyDefaultTextColors();
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    RECT rc = TextRect();
    if (m_bShowHtml) {
        m_nLinks = kMaxLinks;
        CUIRender::DrawFormattedText(hDC, m_pManager, rc, m_strText, color, m_rcLinks, m_sLinks,
                                     m_nLinks, m_uTextStyle);
    } else {
        // Plain text has no links.
        m_nLinks = 0;
        CUIRender::DrawText(hDC, m_pManager, rc, m_strText, color, m_iFont, m_uTextStyle);
    }
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Text", &CreateControlOf<CTextUI>);
}  // namespace

}  // namespace SkinUI
