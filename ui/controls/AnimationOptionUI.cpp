// Options with hover and working animations.

#include "ui/controls/AnimationOptionUI.h"

#include <cstdint>
#include <cwchar>

#include "ui/controls/AnimationFrames.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlMath.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

using C = CAnimationOptionUI;

// One setting of one animation mode: stored in Field[Mode] as Syntax reads it, and answered only
// once the markup has set it.
template <class Syntax, auto Field, int Mode>
constexpr TAttributeRow<C> ModeRow(LPCWSTR name) {
    return TAttributeRow<C>{
        name, [](C& c, LPCWSTR v) { (c.*Field)[Mode] = Syntax::Parse(v); },
        [](C& c) -> CUIString {
            const auto& values = c.*Field;
            const auto found = values.find(Mode);
            return found != values.end() ? Syntax::Format(found->second) : CUIString();
        }};
}

}  // namespace

CAnimationOptionUI::CAnimationOptionUI() { UseAttributes(Attributes()); }
CAnimationOptionUI::~CAnimationOptionUI() = default;

LPVOID CAnimationOptionUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"AnimationOption") == 0) return this;
    return CControlUI::InterfaceByName(name);
}

// ---- Attributes --------------------------------------------------------------------------------

const CAttributeTable<CAnimationOptionUI>& CAnimationOptionUI::Attributes() {
    static const TAttributeRow<C> rows[] = {
        ModeRow<AttrInt, &C::m_startIndex, kHover>(L"startindexhover"),
        ModeRow<AttrInt, &C::m_endIndex, kHover>(L"endindexhover"),
        ModeRow<AttrText, &C::m_picture, kHover>(L"picturehover"),
        ModeRow<AttrInt, &C::m_interval, kHover>(L"intervalhover"),
        ModeRow<AttrBool, &C::m_loop, kHover>(L"loophover"),
        ModeRow<AttrInt, &C::m_startIndex, kWorking>(L"startindexworking"),
        ModeRow<AttrInt, &C::m_endIndex, kWorking>(L"endindexworking"),
        ModeRow<AttrText, &C::m_picture, kWorking>(L"pictureworking"),
        ModeRow<AttrInt, &C::m_interval, kWorking>(L"intervalworking"),
        ModeRow<AttrBool, &C::m_loop, kWorking>(L"loopworking"),
    };
    static const CAttributeTable<C> table(rows, &COptionUI::Attributes());
    return table;
}

// ---- Animations --------------------------------------------------------------------------------

void CAnimationOptionUI::StartAnimation(int mode) {
    if (mode != kHover && (mode != kWorking || !m_bWorkingEnabled)) return;
    const int interval = Lookup(m_interval, mode, 0);
    // A mode without an interval does not animate, and the option keeps its own painting.
    if (interval == 0) return;
    m_nRunning |= mode;
    const int start = Lookup(m_startIndex, mode, -1);
    m_current[mode] = start;
    SetForeImage(FrameName(Lookup(m_picture, mode, CUIString()), start));
    if (m_pManager != nullptr)
        m_pManager->SetTimer(this, TimerOf(mode), static_cast<UINT>(interval));
}

void CAnimationOptionUI::AdvanceAnimation(int mode) {
    int64_t next = static_cast<int64_t>(Lookup(m_current, mode, -1)) + 1;
    if (next > Lookup(m_endIndex, mode, -1)) {
        if (!Lookup(m_loop, mode, false)) {
            StopAnimation(mode);
            return;
        }
        next = Lookup(m_startIndex, mode, -1);
    }
    m_current[mode] = ClampToInt(next);
    SetForeImage(FrameName(Lookup(m_picture, mode, CUIString()), m_current[mode]));
}

void CAnimationOptionUI::StopAnimation(int modes) {
    m_nRunning &= ~modes;
    if (m_pManager != nullptr) {
        if (modes & kHover) m_pManager->KillTimer(this, kHoverTimerId);
        if (modes & kWorking) m_pManager->KillTimer(this, kWorkingTimerId);
    }
    SetForeImage(L"");
}

void CAnimationOptionUI::StopWhenHidden() {
    // A hidden option gets no mouse-leave: its animations stop here.
    if (!IsVisible() && m_nRunning != 0) StopAnimation(m_nRunning);
}

void CAnimationOptionUI::SetVisible(bool visible) {
    COptionUI::SetVisible(visible);
    StopWhenHidden();
}

void CAnimationOptionUI::SetInheritedVisible(bool visible) {
    COptionUI::SetInheritedVisible(visible);
    StopWhenHidden();
}

void CAnimationOptionUI::Select(bool selected, bool notify) {
    if (!selected && m_bWorkingEnabled && !(m_nRunning & kWorking)) StartAnimation(kWorking);
    COptionUI::Select(selected, notify);
}

// ---- Events ------------------------------------------------------------------------------------

void CAnimationOptionUI::ProcessEvent(TControlEvent& event) {
    if (PassMouseEventOn(event)) return;
    if (!IsVisible()) return;
    switch (event.nKind) {
    case kEventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState &= ~kStateHot;
            if (m_pManager != nullptr) m_pManager->SendNotification(this, L"mouseleave");
            InvalidateSelf();
        }
        StopAnimation(kHover);
        return;
    case kEventMouseEnter:
        if (IsEnabled()) {
            m_uButtonState |= kStateHot;
            if (m_pManager != nullptr) m_pManager->SendNotification(this, L"mouseenter");
        }
        if (m_nRunning == 0) StartAnimation(kHover);
        // The hot look shows also when no animation takes over the painting.
        InvalidateSelf();
        return;
    case kEventTimer:
        if (event.wParam == kHoverTimerId)
            AdvanceAnimation(kHover);
        else if (event.wParam == kWorkingTimerId && m_bWorkingEnabled)
            AdvanceAnimation(kWorking);
        else if (event.wParam == kWorkingTimerId)
            StopAnimation(kWorking);
        return;
    case kEventButtonUp:
        if (!(m_uButtonState & kStateCaptured)) break;
        m_uButtonState &= ~(kStatePushed | kStateCaptured);
        InvalidateSelf();
        if (!RectContains(m_rcItem, event.ptMouse)) return;
        if (m_nRunning & kWorking) {
            // The work is done: the selected picture replaces the working animation.
            StopAnimation(kWorking);
            SetForeImage(m_selectedImage.description);
        }
        CanActivate();
        return;
    default:
        break;
    }
    CButtonUI::ProcessEvent(event);
}

// ---- Painting ----------------------------------------------------------------------------------

void CAnimationOptionUI::PaintStateImage(HDC hDC) {
    if (m_nRunning == 0) {
        COptionUI::PaintStateImage(hDC);
        return;
    }
    const bool hot = (m_uButtonState & kStateHot) != 0;
    const DWORD fill = hot ? m_dwHotBkColor : IsSelected() ? m_dwSelectedBkColor : 0;
    if (fill != 0) CUIRender::DrawColor(hDC, m_rcPaint, AdjustedColor(fill));
    DrawImage(hDC, m_foreImage);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"AnimationOption", &CreateControlOf<CAnimationOptionUI>);
}  // namespace

}  // namespace SkinUI
