// CSliderUI: the thumb's place, dragging it, the wheel step and "valuechanged".

#include "ui/controls/SliderUI.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ControlMath.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return wcscmp(name, expected) == 0; }

}  // namespace

CSliderUI::CSliderUI() {
    UseAttributes(Attributes());
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
}

CSliderUI::~CSliderUI() = default;

LPCWSTR CSliderUI::ClassName() const { return L"SliderUI"; }

LPVOID CSliderUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && Is(name, L"Slider")) return this;
    return CProgressUI::InterfaceByName(name);
}

UINT CSliderUI::ControlFlags() const { return IsEnabled() ? kControlFlagSetCursor : 0; }

void CSliderUI::SetEnabled(bool enabled) {
    CProgressUI::SetEnabled(enabled);
    if (!IsEnabled()) m_uSliderState = 0;
}

const CAttributeTable<CSliderUI>& CSliderUI::Attributes() {
    using C = CSliderUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetThumbImage>(L"thumbimage"),
        AttrText::Row<&C::SetThumbHotImage>(L"thumbhotimage"),
        AttrText::Row<&C::SetThumbPushedImage>(L"thumbpushedimage"),
        AttrLengthSize::Row<&C::SetThumbSize>(L"thumbsize"),
        AttrInt::Row<&C::SetChangeStep>(L"step"),
    };
    static const CAttributeTable<C> table(rows, &CProgressUI::Attributes());
    return table;
}

void CSliderUI::SetThumbSize(SIZE size) {
    m_szThumb = SIZE{ClampCoordinate(size.cx), ClampCoordinate(size.cy)};
}

void CSliderUI::SetThumbImage(LPCWSTR description) {
    SetImageDescription(m_thumbImage, description);
}

void CSliderUI::SetThumbHotImage(LPCWSTR description) {
    SetImageDescription(m_thumbHotImage, description);
}

void CSliderUI::SetThumbPushedImage(LPCWSTR description) {
    SetImageDescription(m_thumbPushedImage, description);
}

// ---- Geometry -------------------------------------------------------------------------------
// Values are taken within the range even between the paints that write them back, and the
// arithmetic is made in 64 bits: the range and the value come from markup or the wheel.

RECT CSliderUI::ThumbRect() const {
    const long long range = RangeForMath();
    const long long offset = std::clamp<long long>(m_nValue, m_nMin, m_nMin + range) - m_nMin;
    const RECT& rc = m_rcItem;
    const LONG tw = m_szThumb.cx;
    const LONG th = m_szThumb.cy;
    RECT thumb;
    if (m_bHorizontal) {
        thumb.left = rc.left + MulDivTrunc(offset, rc.right - rc.left - tw, range);
        thumb.top = (rc.bottom + rc.top - th) / 2;
        thumb.bottom = thumb.top + th;
    } else {
        thumb.left = (rc.right + rc.left - tw) / 2;
        thumb.bottom = rc.bottom - MulDivTrunc(rc.bottom - rc.top - th, offset, range);
        thumb.top = thumb.bottom - th;
    }
    thumb.right = thumb.left + tw;
    return thumb;
}

int CSliderUI::ValueFromPoint(POINT pt) const {
    const long long range = RangeForMath();
    const int maxValue = ClampToInt(m_nMin + range);
    const RECT& rc = m_rcItem;
    if (m_bHorizontal) {
        const LONG half = m_szThumb.cx / 2;
        if (pt.x >= rc.right - half) return maxValue;
        if (pt.x <= rc.left + half) return m_nMin;
        return AddClamped(m_nMin, MulDivTrunc(range, pt.x - half - rc.left,
                                              rc.right - rc.left - m_szThumb.cx));
    }
    const LONG half = m_szThumb.cy / 2;
    if (pt.y >= rc.bottom - half) return m_nMin;
    if (pt.y <= rc.top + half) return maxValue;
    return AddClamped(m_nMin, MulDivTrunc(rc.bottom - half - pt.y, range,
                                          rc.bottom - rc.top - m_szThumb.cy));
}

// ---- Events ---------------------------------------------------------------------------------

void CSliderUI::ChangeValue(int value) {
    SetValue(value);
    if (m_pManager != nullptr) m_pManager->SendNotification(this, L"valuechanged");
}

void CSliderUI::ProcessEvent(TControlEvent& event) {
    if (PassMouseEventOn(event)) return;
    const bool captured = (m_uSliderState & kStateCaptured) != 0;
    switch (event.nKind) {
    case kEventButtonDown:
    case kEventDblClick:
        if (IsEnabled() && RectContains(ThumbRect(), event.ptMouse)) {
            m_uSliderState |= kStateCaptured;
            return;
        }
        break;
    case kEventButtonUp:
        if (captured) {
            m_nValue = ValueFromPoint(event.ptMouse);
            if (m_pManager != nullptr) m_pManager->SendNotification(this, L"valuechanged");
            m_uSliderState &= ~kStateCaptured;
            InvalidateSelf();
            return;
        }
        break;
    case kEventContextMenu:
        return;
    case kEventScrollWheel:
        // wParam 0: the wheel turned away from the user. The value is brought back into the
        // range at the next paint.
        if (event.wParam == 0 || event.wParam == 1) {
            ChangeValue(AddClamped(m_nValue, event.wParam == 0 ? m_nStep : -int64_t{m_nStep}));
            return;
        }
        break;
    case kEventMouseMove:
        if (captured) {
            // The value follows the drag; "valuechanged" waits for the release.
            m_nValue = ValueFromPoint(event.ptMouse);
            InvalidateSelf();
            return;
        }
        break;
    case kEventSetCursor:
        if (IsEnabled() && RectContains(ThumbRect(), event.ptMouse)) {
            SetCursorShape(IDC_HAND);
            return;
        }
        break;
    case kEventMouseEnter:
    case kEventMouseLeave:
        if (FollowHover(m_uSliderState, event.nKind)) return;
        break;
    default:
        break;
    }
    // The control's default handling, not the label's (a focus change repaints the slider).
    CControlUI::ProcessEvent(event);
}

// ---- Painting -------------------------------------------------------------------------------

void CSliderUI::PaintStateImage(HDC hDC) {
    CProgressUI::PaintStateImage(hDC);
    const RECT thumb = RectOffset(ThumbRect(), -m_rcItem.left, -m_rcItem.top);
    bool drawn = false;
    if (m_uSliderState & kStateCaptured)
        drawn = DrawImageAt(hDC, m_thumbPushedImage, thumb);
    else if (m_uSliderState & kStateHot)
        drawn = DrawImageAt(hDC, m_thumbHotImage, thumb);
    if (!drawn) DrawImageAt(hDC, m_thumbImage, thumb);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Slider", &CreateControlOf<CSliderUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CSliderUI::AccessibleRole() const { return ROLE_SYSTEM_SLIDER; }
CUIString CSliderUI::AccessibleValue() const {
    wchar_t text[16];
    swprintf(text, 16, L"%d", Value());
    return text;
}

}  // namespace SkinUI
