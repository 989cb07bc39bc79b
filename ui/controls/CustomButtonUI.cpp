// The button with a title and a value text.

#include "ui/controls/CustomButtonUI.h"

#include <oleacc.h>

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

CCustomButtonUI::CCustomButtonUI() { UseAttributes(Attributes()); }
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
    NotifyAccessible(&extra == &m_title ? EVENT_OBJECT_NAMECHANGE : EVENT_OBJECT_VALUECHANGE);
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

const CAttributeTable<CCustomButtonUI>& CCustomButtonUI::Attributes() {
    using C = CCustomButtonUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetTitleText>(L"TitleText"),
        AttrText::Row<&C::SetValueText>(L"ValueText"),
        AttrInt::Row<&C::SetTitleFont>(L"TitleFont"),
        AttrInt::Row<&C::SetValueFont>(L"ValueFont"),
        AttrLengthRect::Row<&C::SetTitlePadding>(L"textTitlepadding"),
        AttrLengthRect::Row<&C::SetValuePadding>(L"textValuepadding"),
        {L"Titletextcolor", [](C& c, LPCWSTR v) { c.m_title.color = ParseAttrColor(v); }, nullptr},
        {L"hotTitletextcolor", [](C& c, LPCWSTR v) { c.m_title.hotColor = ParseAttrColor(v); },
         nullptr},
        {L"Valuetextcolor", [](C& c, LPCWSTR v) { c.m_value.color = ParseAttrColor(v); }, nullptr},
        {L"hotValuetextcolor", [](C& c, LPCWSTR v) { c.m_value.hotColor = ParseAttrColor(v); },
         nullptr},
    };
    static const CAttributeTable<C> table(rows, &CButtonUI::Attributes());
    return table;
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

// ---- Accessibility ---------------------------------------------------------------------------

CUIString CCustomButtonUI::AccessibleName() const {
    return m_title.text.IsEmpty() ? CButtonUI::AccessibleName() : m_title.text;
}

CUIString CCustomButtonUI::AccessibleValue() const { return m_value.text; }

}  // namespace SkinUI
