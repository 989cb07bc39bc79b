// The button with a title and a value text.

#include "ui/controls/CustomButtonUI.h"

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

CCustomButtonUI::CCustomButtonUI() = default;
CCustomButtonUI::~CCustomButtonUI() = default;

LPCWSTR CCustomButtonUI::ClassName() const { return L"CustomButtonUI"; }

LPVOID CCustomButtonUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"CustonButton") == 0) return this;
    return CButtonUI::InterfaceByName(name);
}

void CCustomButtonUI::SetExtraText(TExtraText& extra, LPCWSTR text) {
    if (extra.text == text) return;
    extra.text = text;
    InvalidateSelf();
}

void CCustomButtonUI::SetExtraFont(TExtraText& extra, int font) {
    extra.font = font;
    InvalidateSelf();
}

void CCustomButtonUI::SetExtraPadding(TExtraText& extra, const RECT& padding) {
    extra.padding = padding;
    MarkParentForLayout();
}

void CCustomButtonUI::SetTitleColors(DWORD color, DWORD hotColor) {
    m_title.color = color;
    m_title.hotColor = hotColor;
}

void CCustomButtonUI::SetValueColors(DWORD color, DWORD hotColor) {
    m_value.color = color;
    m_value.hotColor = hotColor;
}

void CCustomButtonUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    if (wcscmp(name, L"TitleText") == 0) SetTitleText(value);
    else if (wcscmp(name, L"ValueText") == 0) SetValueText(value);
    else if (wcscmp(name, L"TitleFont") == 0) SetTitleFont(ParseAttrInt(value));
    else if (wcscmp(name, L"ValueFont") == 0) SetValueFont(ParseAttrInt(value));
    else if (wcscmp(name, L"textTitlepadding") == 0) SetTitlePadding(ParseAttrRect(value));
    else if (wcscmp(name, L"textValuepadding") == 0) SetValuePadding(ParseAttrRect(value));
    else if (wcscmp(name, L"Titletextcolor") == 0) m_title.color = ParseAttrColor(value);
    else if (wcscmp(name, L"hotTitletextcolor") == 0) m_title.hotColor = ParseAttrColor(value);
    else if (wcscmp(name, L"Valuetextcolor") == 0) m_value.color = ParseAttrColor(value);
    else if (wcscmp(name, L"hotValuetextcolor") == 0) m_value.hotColor = ParseAttrColor(value);
    else CButtonUI::ApplyAttribute(name, value);
}

void CCustomButtonUI::PaintTextContent(HDC hDC) {
    RefreshStateBits();
    ApplyDefaultTextColors();
    // The button's own text in its state's colour and font, without label effects.
    DWORD color = 0;
    int fontId = -1;
    StateTextColorAndFont(color, fontId);
    DrawPlainText(hDC, TextRect(), color, fontId, m_uTextStyle);
    PaintExtraText(hDC, m_title);
    PaintExtraText(hDC, m_value);
}

void CCustomButtonUI::PaintExtraText(HDC hDC, const TExtraText& extra) {
    if (extra.text.IsEmpty()) return;
    const bool hot = (m_uButtonState & kStateHot) != 0 && extra.hotColor != 0;
    RECT rc = RectDeflate(m_rcItem, extra.padding);
    CUIRender::DrawText(hDC, m_pManager, rc, extra.text, hot ? extra.hotColor : extra.color,
                        extra.font, m_uTextStyle);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"CustonButton", &CreateControlOf<CCustomButtonUI>);
}  // namespace

}  // namespace SkinUI
