// The sliding switch: knob placement, clicks and drags.

#include "ui/controls/ButtonSwitchExUI.h"

#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlMath.h"

namespace SkinUI {

CButtonSwitchExUI::CButtonSwitchExUI() { UseAttributes(Attributes()); }
CButtonSwitchExUI::~CButtonSwitchExUI() = default;

LPCWSTR CButtonSwitchExUI::ClassName() const { return L"CButtonSwitchExUI"; }

LPVOID CButtonSwitchExUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"CheckBox") == 0) return this;
    return CButtonUI::InterfaceByName(name);
}

void CButtonSwitchExUI::Trace(LPCWSTR format, ...) {
    CUIString line;
    va_list args;
    va_start(args, format);
    line.FormatV(format, args);
    va_end(args);
    ::OutputDebugStringW(line);
}

// ---- Value and knob ----------------------------------------------------------------------------

int CButtonSwitchExUI::KnobOffset() const {
    if (m_nSwitchMin >= m_nSwitchMax) return 0;
    const int64_t travel = static_cast<int64_t>(RectWidth(m_rcItem)) - m_nPointWidth;
    return MulDivTrunc(travel, static_cast<int64_t>(m_nSwitchValue) - m_nSwitchMin,
                       static_cast<int64_t>(m_nSwitchMax) - m_nSwitchMin);
}

RECT CButtonSwitchExUI::KnobRect() const {
    const LONG left = AddClamped(m_rcItem.left, KnobOffset());
    return RECT{left, m_rcItem.top, AddClamped(left, m_nPointWidth),
                AddClamped(m_rcItem.top, m_nPointHeight)};
}

void CButtonSwitchExUI::SetSwitchValue(int value, bool notify) {
    Trace(L"nValue=%d", value);
    if (value == m_nSwitchValue) {
        UpdatePoint(0);
        return;
    }
    m_nSwitchValue = std::max(std::min(value, m_nSwitchMax), m_nSwitchMin);
    UpdatePoint(0);
    NotifyAccessible(IsTwoPositions() ? EVENT_OBJECT_STATECHANGE : EVENT_OBJECT_VALUECHANGE);
    if (notify && m_pManager != nullptr) m_pManager->SendNotification(this, L"selectchanged");
}

void CButtonSwitchExUI::UpdatePoint(int offset) { DrawKnobAt(offset, true); }

void CButtonSwitchExUI::DrawKnobAt(int offset, bool invalidate) {
    const int64_t pos = KnobOffset();
    int64_t moved = offset;
    if (moved != 0) {
        // The knob stays on the track: 0 <= pos + offset <= width - knob width.
        const int64_t last = static_cast<int64_t>(RectWidth(m_rcItem)) - m_nPointWidth;
        moved = std::min(std::max(moved, -pos), last - pos);
    }
    const int left = ClampToInt(pos + moved);
    CUIString image;
    image.Format(L"file='%s' dest='%d,%d,%d,%d'", m_strPointImage.GetData(), left, 0,
                 AddClamped(left, m_nPointWidth), m_nPointHeight);
    Trace(L"%s", image.GetData());
    if (image != NormalImage()) SetNormalImage(image);
    if (invalidate) InvalidateSelf();
}

void CButtonSwitchExUI::Place(const RECT& rect, bool invalidate) {
    CButtonUI::Place(rect, invalidate);
    // The knob's place depends on the width: it follows every placement (not during a drag,
    // whose own ticks place it).
    if (!(m_uThumbState & kStateCaptured)) DrawKnobAt(0, false);
}

void CButtonSwitchExUI::SelectAt(LONG x) {
    if (m_nSwitchMin >= m_nSwitchMax) return;
    // Positions are step pixels apart from the button's left edge, each owning the half step
    // on either side; a point beyond the first or the last position counts as that position.
    const int64_t span = static_cast<int64_t>(m_nSwitchMax) - m_nSwitchMin;
    const int64_t step = (static_cast<int64_t>(RectWidth(m_rcItem)) - m_nPointWidth) / span;
    if (step <= 0) return;
    const double along = std::min(std::max(static_cast<double>(x) - m_rcItem.left, 0.0),
                                  static_cast<double>(span * step));
    const double index = std::max(std::ceil(along / static_cast<double>(step) - 0.5), 0.0);
    SetSwitchValue(ClampToInt(m_nSwitchMin + static_cast<int64_t>(index)), true);
}

// ---- Attributes --------------------------------------------------------------------------------

const CAttributeTable<CButtonSwitchExUI>& CButtonSwitchExUI::Attributes() {
    using C = CButtonSwitchExUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::m_strPointImage>(L"pointImage"),
        AttrLength::Row<&C::m_nPointHeight>(L"pointheight"),
        AttrLength::Row<&C::m_nPointWidth>(L"pointwidth"),
        AttrInt::Row<&C::m_nSwitchMax>(L"max"),
        AttrInt::Row<&C::m_nSwitchMin>(L"min"),
        {L"value", [](C& c, LPCWSTR v) { c.SetSwitchValue(ParseAttrInt(v), false); }, nullptr},
    };
    static const CAttributeTable<C> table(rows, &CButtonUI::Attributes());
    return table;
}

void CButtonSwitchExUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    Attributes().ApplyOwn(*this, name, value);
    // Every attribute also reaches the button, and the knob is drawn anew after each: the base
    // comes after the table whether or not a row took the name.
    Attributes().ApplyInherited(*this, name, value);
    SetSwitchValue(m_nSwitchValue, false);
}

// ---- Events ------------------------------------------------------------------------------------

void CButtonSwitchExUI::ProcessEvent(TControlEvent& event) {
    Trace(L"event.Type:%d, event.ptMouse.x:%d:%d, m_uThumbState=%d", event.nKind,
          event.ptMouse.x, event.ptMouse.y, m_uThumbState);
    const bool captured = (m_uThumbState & kStateCaptured) != 0;
    switch (event.nKind) {
    case kEventButtonDown:
    case kEventDblClick:
        if (!IsEnabled()) return;
        m_rcThumb = KnobRect();
        Trace(L"m_rcThumb:%d,%d,%d,%d", m_rcThumb.left, m_rcThumb.top, m_rcThumb.right,
              m_rcThumb.bottom);
        if (RectContains(m_rcThumb, event.ptMouse)) {
            if (m_pManager != nullptr) m_pManager->SetTimer(this, kDragTimerId, kDragInterval);
            m_uThumbState |= kStatePushed | kStateCaptured;
            m_ptDragStart = event.ptMouse;
        } else {
            SelectAt(event.ptMouse.x);
        }
        break;  // the button sees the press too
    case kEventButtonUp:
        if (!captured) break;
        if (m_pManager != nullptr) m_pManager->KillTimer(this, kDragTimerId);
        m_uThumbState &= ~(kStatePushed | kStateCaptured);
        m_nDragOffset = 0;
        // A drag ends the button's own press without a click.
        m_uButtonState &= ~(kStatePushed | kStateCaptured);
        SelectAt(event.ptMouse.x);
        // The knob snaps to the value, also when the value did not change.
        UpdatePoint(0);
        return;
    case kEventMouseMove:
        if (!captured) break;
        m_nDragOffset = ClampToInt(static_cast<int64_t>(event.ptMouse.x) - m_ptDragStart.x);
        return;
    case kEventTimer:
        if (event.wParam != kDragTimerId) break;
        UpdatePoint(m_nDragOffset);
        return;
    default:
        break;
    }
    CButtonUI::ProcessEvent(event);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"ButtonSwitchEx", &CreateControlOf<CButtonSwitchExUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CButtonSwitchExUI::AccessibleRole() const {
    return IsTwoPositions() ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_SLIDER;
}

DWORD CButtonSwitchExUI::AccessibleState() const {
    return IsTwoPositions() && m_nSwitchValue == m_nSwitchMax ? STATE_SYSTEM_CHECKED : 0;
}

CUIString CButtonSwitchExUI::AccessibleValue() const {
    if (IsTwoPositions()) return CUIString();
    wchar_t text[16];
    swprintf(text, 16, L"%d", m_nSwitchValue);
    return text;
}

CUIString CButtonSwitchExUI::AccessibleDefaultAction() const { return CUIString(); }

}  // namespace SkinUI
