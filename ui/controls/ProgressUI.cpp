// CProgressUI: values, attributes and the fore image stretched over the filled part.

#include "ui/controls/ProgressUI.h"

#include <oleacc.h>

#include <algorithm>
#include <climits>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlMath.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return wcscmp(name, expected) == 0; }

}  // namespace

CProgressUI::CProgressUI() {
    UseAttributes(Attributes());
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_cxyFixed.cy = 12;
}

CProgressUI::~CProgressUI() = default;

LPCWSTR CProgressUI::ClassName() const { return L"ProgressUI"; }

LPVOID CProgressUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && Is(name, L"Progress")) return this;
    return CLabelUI::InterfaceByName(name);
}

const CAttributeTable<CProgressUI>& CProgressUI::Attributes() {
    using C = CProgressUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetProgressForeImage>(L"foreimage"),
        AttrBool::Row<&C::SetHorizontal>(L"hor"),
        AttrInt::Row<&C::SetMinValue>(L"min"),
        AttrInt::Row<&C::SetMaxValue>(L"max"),
        AttrInt::Row<&C::SetValue>(L"value"),
        AttrBool::Row<&C::SetStretchForeImage>(L"isstretchfore"),
    };
    static const CAttributeTable<C> table(rows, &CLabelUI::Attributes());
    return table;
}

// ---- Values ---------------------------------------------------------------------------------
// The setters only store and ask for a repaint: the installer's worker thread calls SetValue,
// and everything else happens while painting on the UI thread.

void CProgressUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal != horizontal) StoreAndRepaint(m_bHorizontal, horizontal);
}

void CProgressUI::SetStretchForeImage(bool stretch) {
    if (m_bStretchForeImage != stretch) StoreAndRepaint(m_bStretchForeImage, stretch);
}

void CProgressUI::SetMinValue(int value) { StoreAndRepaint(m_nMin, value); }
void CProgressUI::SetMaxValue(int value) { StoreAndRepaint(m_nMax, value); }
void CProgressUI::SetValue(int value) {
    const bool changed = value != m_nValue;
    StoreAndRepaint(m_nValue, value);
    if (changed) NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

void CProgressUI::SetProgressForeImage(LPCWSTR description) {
    SetImageDescription(m_progressForeImage, description);
}

void CProgressUI::NormalizeValues() {
    if (m_nMax <= m_nMin) {
        // The range must hold at least one step; at the top of the int range the minimum
        // makes room instead of the maximum overflowing.
        if (m_nMin == INT_MAX) m_nMin = INT_MAX - 1;
        m_nMax = m_nMin + 1;
    }
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
}

long long CProgressUI::RangeForMath() const {
    return std::max<long long>(1, static_cast<long long>(m_nMax) - m_nMin);
}

RECT CProgressUI::FilledRect(int width, int height) const {
    const long long range = RangeForMath();
    const long long value = std::clamp<long long>(m_nValue, m_nMin, m_nMin + range);
    if (m_bHorizontal) return RECT{0, 0, MulDivTrunc(width, value - m_nMin, range), height};
    // A vertical bar fills from the bottom up.
    return RECT{0, MulDivTrunc(m_nMin + range - value, height, range), width, height};
}

// ---- Painting -------------------------------------------------------------------------------

void CProgressUI::PaintStateImage(HDC hDC) {
    NormalizeValues();
    DrawImageAt(hDC, m_progressForeImage, FilledRect(RectWidth(m_rcItem), RectHeight(m_rcItem)));
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Progress", &CreateControlOf<CProgressUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CProgressUI::AccessibleRole() const { return ROLE_SYSTEM_PROGRESSBAR; }

// The values may be out of order until the next paint (the setters only store).
CUIString CProgressUI::AccessibleValue() const {
    const long long range = RangeForMath();
    const long long filled =
        std::clamp<long long>(static_cast<long long>(m_nValue) - m_nMin, 0, range);
    wchar_t text[16];
    swprintf(text, 16, L"%d%%", static_cast<int>(filled * 100 / range));
    return text;
}

}  // namespace SkinUI
