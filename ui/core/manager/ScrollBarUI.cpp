// The scroll bar: placing its parts, painting them by state, and the arrow, track and thumb
// input with its repeat timer.

#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ScrollBarUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlMath.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

constexpr int kDefaultThickness = 16;

// Attribute names of the images: a part prefix followed by a state suffix.
struct TImagePrefix {
    LPCWSTR prefix;
    CScrollBarUI::EPart part;
};
constexpr TImagePrefix kImagePrefixes[] = {
    {L"bk", CScrollBarUI::EPart::Background},  {L"button1", CScrollBarUI::EPart::Button1},
    {L"button2", CScrollBarUI::EPart::Button2}, {L"thumb", CScrollBarUI::EPart::Thumb},
    {L"rail", CScrollBarUI::EPart::Rail},
};
struct TImageSuffix {
    LPCWSTR suffix;
    CScrollBarUI::EImageState state;
};
constexpr TImageSuffix kImageSuffixes[] = {
    {L"normalimage", CScrollBarUI::EImageState::Normal},
    {L"hotimage", CScrollBarUI::EImageState::Hot},
    {L"pushedimage", CScrollBarUI::EImageState::Pushed},
    {L"disabledimage", CScrollBarUI::EImageState::Disabled},
};

bool StartsWith(LPCWSTR text, LPCWSTR prefix, LPCWSTR* rest) {
    const size_t length = wcslen(prefix);
    if (wcsncmp(text, prefix, length) != 0) return false;
    *rest = text + length;
    return true;
}

}  // namespace

CScrollBarUI::CScrollBarUI() {
    UseAttributes(Attributes());
    m_cxyFixed.cx = kDefaultThickness;
}

LPCWSTR CScrollBarUI::ClassName() const { return L"ScrollBarUI"; }

LPVOID CScrollBarUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"ScrollBar") == 0) return this;
    return CControlUI::InterfaceByName(name);
}

// ---- Settings ----------------------------------------------------------------------------------

void CScrollBarUI::SetOwner(CContainerUI* owner) { m_pOwner = owner; }

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    if (horizontal && m_cxyFixed.cy == 0) {
        m_cxyFixed.cx = 0;
        m_cxyFixed.cy = kDefaultThickness;
    } else if (!horizontal && m_cxyFixed.cx == 0) {
        m_cxyFixed.cy = 0;
        m_cxyFixed.cx = kDefaultThickness;
    }
    if (m_pOwner != nullptr)
        m_pOwner->MarkForLayout();
    else
        MarkParentForLayout();
}

void CScrollBarUI::SetRange(int range) {
    if (m_nRange == range) return;
    m_nRange = range > 0 ? range : 0;
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    PlaceAgain();
}

void CScrollBarUI::SetPosition(int position) {
    if (m_nScrollPos == position) return;
    m_nScrollPos = std::min(std::max(position, 0), m_nRange);
    PlaceAgain();
}

int CScrollBarUI::TrackLength() const {
    if (m_bHorizontal)
        return RectWidth(m_rcItem) - 2 * m_cxyFixed.cy - RectWidth(m_thumb.rect);
    return RectHeight(m_rcItem) - 2 * m_cxyFixed.cx - RectHeight(m_thumb.rect);
}

void CScrollBarUI::SetShowButton1(bool show) {
    m_bShowButton1 = show;
    PlaceAgain();
}

void CScrollBarUI::SetShowButton2(bool show) {
    m_bShowButton2 = show;
    PlaceAgain();
}

void CScrollBarUI::PlaceAgain() {
    // A floating bar is placed relative to its parent; placing it on its window rectangle
    // would move it by the parent's offset each time.
    Place(m_bFloat && m_pParent != nullptr ? RelativeRect() : m_rcItem, true);
}

void CScrollBarUI::SetPartColor(TBarPart& part, DWORD color) {
    if (part.color == color) return;
    part.color = color;
    InvalidateSelf();
}

void CScrollBarUI::SetButton1Color(DWORD color) { SetPartColor(m_button1, color); }
void CScrollBarUI::SetButton2Color(DWORD color) { SetPartColor(m_button2, color); }
void CScrollBarUI::SetThumbColor(DWORD color) { SetPartColor(m_thumb, color); }

CScrollBarUI::TStateImages* CScrollBarUI::PartImages(EPart part) {
    switch (part) {
    case EPart::Background: return &m_bkImages;
    case EPart::Button1: return &m_button1.images;
    case EPart::Button2: return &m_button2.images;
    case EPart::Thumb: return &m_thumb.images;
    case EPart::Rail: return &m_railImages;
    }
    return &m_bkImages;
}

TImageSpec& CScrollBarUI::StateImage(TStateImages& images, EImageState state) {
    switch (state) {
    case EImageState::Hot: return images.hot;
    case EImageState::Pushed: return images.pushed;
    case EImageState::Disabled: return images.disabled;
    case EImageState::Normal: break;
    }
    return images.normal;
}

LPCWSTR CScrollBarUI::Image(EPart part, EImageState state) const {
    return StateImage(*const_cast<CScrollBarUI*>(this)->PartImages(part), state).description;
}

void CScrollBarUI::SetImage(EPart part, EImageState state, LPCWSTR description) {
    TImageSpec& spec = StateImage(*PartImages(part), state);
    if (spec.description == description && spec.image != nullptr) return;
    spec.Reset(description);
    InvalidateSelf();
}

// ---- Attributes --------------------------------------------------------------------------------

bool CScrollBarUI::ApplyImageAttribute(LPCWSTR name, LPCWSTR value) {
    for (const TImagePrefix& prefix : kImagePrefixes) {
        LPCWSTR rest = nullptr;
        if (!StartsWith(name, prefix.prefix, &rest)) continue;
        for (const TImageSuffix& suffix : kImageSuffixes) {
            if (wcscmp(rest, suffix.suffix) != 0) continue;
            SetImage(prefix.part, suffix.state, value);
            return true;
        }
    }
    return false;
}

const CAttributeTable<CScrollBarUI>& CScrollBarUI::Attributes() {
    using C = CScrollBarUI;
    static const TAttributeRow<C> rows[] = {
        AttrColor::Row<&C::SetButton1Color>(L"button1color"),
        AttrColor::Row<&C::SetButton2Color>(L"button2color"),
        AttrColor::Row<&C::SetThumbColor>(L"thumbcolor"),
        AttrBool::Row<&C::SetHorizontal>(L"hor"),
        AttrLength::Row<&C::SetLineSize>(L"linesize"),
        AttrInt::Row<&C::SetRange>(L"range"),
        AttrInt::Row<&C::SetPosition>(L"value"),
        AttrBool::Row<&C::SetShowButton1>(L"showbutton1"),
        AttrBool::Row<&C::SetShowButton2>(L"showbutton2"),
    };
    static const CAttributeTable<C> table(rows, &CControlUI::Attributes());
    return table;
}

void CScrollBarUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    if (Attributes().ApplyOwn(*this, name, value)) return;
    // The twenty image names are a part prefix and a state suffix, read by ApplyImageAttribute
    // from the two short lists instead of twenty rows.
    if (!ApplyImageAttribute(name, value)) Attributes().ApplyInherited(*this, name, value);
}

// ---- Visibility, enabling, focus ---------------------------------------------------------------

void CScrollBarUI::SetVisible(bool visible) {
    // The owner shows and hides its bars while laying itself out: no layout is marked here and
    // the window's focus is left alone.
    if (m_bVisible == visible) return;
    m_bVisible = visible;
    if (m_bFocused) m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        m_button1.state = 0;
        m_button2.state = 0;
        m_thumb.state = 0;
    }
}

void CScrollBarUI::RequestFocus() {
    if (m_pOwner != nullptr)
        m_pOwner->RequestFocus();
    else
        CControlUI::RequestFocus();
}

// ---- Placing -----------------------------------------------------------------------------------

void CScrollBarUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);

    // Worked out along the bar (start..end) and across it (from `across`, `thickness` wide);
    // span() turns a stretch along the bar into a rectangle.
    const RECT& rc = m_rcItem;
    const bool horizontal = m_bHorizontal;
    const int thickness = horizontal ? m_cxyFixed.cy : m_cxyFixed.cx;
    const LONG start = horizontal ? rc.left : rc.top;
    const LONG end = horizontal ? rc.right : rc.bottom;
    const LONG across = horizontal ? rc.top : rc.left;
    const auto span = [&](int64_t from, int64_t to, int64_t width) {
        const LONG a0 = ClampToInt(from), a1 = ClampToInt(to);
        const LONG c1 = ClampToInt(across + width);
        return horizontal ? RECT{a0, across, a1, c1} : RECT{across, a0, c1, a1};
    };
    const int64_t length = static_cast<int64_t>(end) - start;
    const int64_t avail =
        length - (m_bShowButton1 ? thickness : 0) - (m_bShowButton2 ? thickness : 0);

    if (thickness < avail) {
        m_button1.rect = m_bShowButton1 ? span(start, start + thickness, thickness)
                                        : span(start, start, 0);
        m_button2.rect =
            m_bShowButton2 ? span(end - thickness, end, thickness) : span(end, end, 0);
        const LONG track0 = horizontal ? m_button1.rect.right : m_button1.rect.bottom;
        const LONG track1 = horizontal ? m_button2.rect.left : m_button2.rect.top;
        if (m_nRange <= 0) {
            m_thumb.rect = span(track0, track1, thickness);
            return;
        }
        // 64-bit: the range comes from the skin and may be near the int limit.
        const int64_t len =
            std::max<int64_t>(length * avail / (length + m_nRange), thickness);
        int64_t first = (avail - len) * m_nScrollPos / m_nRange + track0;
        int64_t last = first + len;
        if (last > track1) {
            last = track1;
            first = last - len;
        }
        m_thumb.rect = span(first, last, thickness);
        return;
    }

    // Too short for a thumb: the buttons share the length and keep the full thickness across.
    const int64_t squeezed = std::min<int64_t>(thickness, length / 2);
    m_button1.rect =
        m_bShowButton1 ? span(start, start + squeezed, thickness) : span(start, start, 0);
    m_button2.rect = m_bShowButton2 ? span(end - squeezed, end, thickness) : span(end, end, 0);
    m_thumb.rect = RECT{0, 0, 0, 0};
}

// ---- Painting ----------------------------------------------------------------------------------

void CScrollBarUI::Paint(HDC hDC, const RECT& dirty) {
    if (!RectIntersect(m_rcPaint, dirty, m_rcItem)) return;
    PaintBackColor(hDC);
    PaintBackImage(hDC);

    if (IsEnabled())
        m_thumb.state &= ~kStateDisabled;
    else
        m_thumb.state |= kStateDisabled;
    DrawStateImage(hDC, m_bkImages, m_thumb.state, nullptr);

    if (m_bShowButton1) PaintPart(hDC, m_button1);
    if (m_bShowButton2) PaintPart(hDC, m_button2);
    if (!RectIsZero(m_thumb.rect)) {
        PaintPart(hDC, m_thumb);
        PaintRail(hDC);
    }
    PaintBorderLines(hDC);
}

void CScrollBarUI::PaintPart(HDC hDC, TBarPart& part) {
    if (IsEnabled())
        part.state &= ~kStateDisabled;
    else
        part.state |= kStateDisabled;
    if (part.color != 0) CUIRender::DrawColor(hDC, part.rect, AdjustedColor(part.color));
    const RECT dest = RectOffset(part.rect, -m_rcItem.left, -m_rcItem.top);
    DrawStateImage(hDC, part.images, part.state, &dest);
}

void CScrollBarUI::PaintRail(HDC hDC) {
    // A strip one thickness long, centred on the thumb.
    const RECT& thumb = m_thumb.rect;
    RECT dest;
    if (m_bHorizontal) {
        const int m = m_cxyFixed.cy;
        const LONG c = (thumb.left + thumb.right) / 2 - m_rcItem.left;
        dest = RECT{c - m / 2, thumb.top - m_rcItem.top, c - m / 2 + m,
                    thumb.bottom - m_rcItem.top};
    } else {
        const int m = m_cxyFixed.cx;
        const LONG c = (thumb.top + thumb.bottom) / 2 - m_rcItem.top;
        dest = RECT{thumb.left - m_rcItem.left, c - m / 2, thumb.right - m_rcItem.left,
                    c - m / 2 + m};
    }
    DrawStateImage(hDC, m_railImages, m_thumb.state, &dest);
}

void CScrollBarUI::DrawStateImage(HDC hDC, TStateImages& images, UINT state, const RECT* dest) {
    TImageSpec* chosen = nullptr;
    if (state & kStateDisabled)
        chosen = &images.disabled;
    else if (state & kStatePushed)
        chosen = &images.pushed;
    else if (state & kStateHot)
        chosen = &images.hot;
    if (chosen != nullptr && DrawImageAt(hDC, *chosen, dest)) return;
    DrawImageAt(hDC, images.normal, dest);
}

bool CScrollBarUI::DrawImageAt(HDC hDC, TImageSpec& spec, const RECT* dest) {
    if (spec.description.IsEmpty()) return false;
    if (dest != nullptr) {
        // Read the description first, so that the part's place wins over a "dest" in it.
        CUIRender::DrawImageSpec(nullptr, m_pManager, m_rcItem, m_rcPaint, spec);
        spec.dest = *dest;
    }
    return DrawImage(hDC, spec);
}

// ---- Input -------------------------------------------------------------------------------------

void CScrollBarUI::ProcessEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.nKind)) {
        PassOn(event);
        return;
    }
    switch (event.nKind) {
    case kEventSetFocus:
    case kEventKillFocus:
    case kEventContextMenu:
        return;
    case kEventButtonDown:
    case kEventDblClick:
        OnPress(event.ptMouse);
        return;
    case kEventButtonUp:
        OnRelease();
        return;
    case kEventMouseMove:
        OnMouseMove(event.ptMouse);
        return;
    case kEventMouseEnter:
        OnMouseEnter(event.ptMouse);
        return;
    case kEventMouseLeave:
        OnMouseLeave();
        return;
    case kEventTimer:
        if (event.wParam == kRepeatTimerId) {
            OnRepeatTick();
            return;
        }
        break;
    default:
        break;
    }
    PassOn(event);
}

void CScrollBarUI::PassOn(TControlEvent& event) {
    // The wheel and everything else the bar does not use: the owner scrolls with it.
    if (m_pOwner != nullptr)
        m_pOwner->ProcessEvent(event);
    else
        CControlUI::ProcessEvent(event);
}

void CScrollBarUI::OnPress(POINT pt) {
    if (!IsEnabled()) return;
    m_nDragDelta = 0;
    m_nRepeatCount = 0;
    if (m_pManager != nullptr) m_pManager->SetTimer(this, kRepeatTimerId, kRepeatInterval);
    if (RectContains(m_button1.rect, pt)) {
        m_button1.state |= kStatePushed;
        LineBack();
    } else if (RectContains(m_button2.rect, pt)) {
        m_button2.state |= kStatePushed;
        LineForward();
    } else if (RectContains(m_thumb.rect, pt)) {
        m_thumb.state |= kStatePushed | kStateCaptured;
        m_ptDragOrigin = pt;
        m_nDragStartPos = m_nScrollPos;
    } else {
        PageToward(pt);
    }
    // The pushed look shows even when the position did not change.
    InvalidateSelf();
    NotifyScroll();
}

void CScrollBarUI::OnRelease() {
    m_nRepeatCount = 0;
    m_nDragDelta = 0;
    if (m_pManager != nullptr) m_pManager->KillTimer(this, kRepeatTimerId);
    if (m_thumb.state & kStateCaptured)
        m_thumb.state &= ~(kStatePushed | kStateCaptured);
    else if (m_button1.state & kStatePushed)
        m_button1.state &= ~kStatePushed;
    else if (m_button2.state & kStatePushed)
        m_button2.state &= ~kStatePushed;
    else
        return;
    InvalidateSelf();
}

void CScrollBarUI::OnMouseMove(POINT pt) {
    if (m_thumb.state & kStateCaptured) {
        // Only worked out here; the repeat tick applies it.
        const int track = TrackLength();
        if (track == 0) return;
        m_nDragDelta = MulDivTrunc(static_cast<int64_t>(Along(pt)) - Along(m_ptDragOrigin),
                                   m_nRange, track);
        return;
    }
    const bool inside = RectContains(m_thumb.rect, pt);
    if ((m_thumb.state & kStateHot) && !inside) {
        m_thumb.state &= ~kStateHot;
        InvalidateSelf();
    } else if (!(m_thumb.state & kStateHot) && IsEnabled() && inside) {
        m_thumb.state |= kStateHot;
        InvalidateSelf();
    }
}

void CScrollBarUI::OnRepeatTick() {
    if (m_nRepeatCount < INT_MAX) ++m_nRepeatCount;
    if (m_thumb.state & kStateCaptured) {
        const int position = AddClamped(m_nDragStartPos, m_nDragDelta);
        if (m_pOwner != nullptr) {
            SIZE offset = m_pOwner->ScrollOffset();
            (m_bHorizontal ? offset.cx : offset.cy) = position;
            m_pOwner->SetScrollOffset(offset);
        } else {
            SetPosition(position);
        }
        InvalidateSelf();
    } else {
        if (m_nRepeatCount <= kRepeatDelayTicks) return;
        if (m_button1.state & kStatePushed) {
            LineBack();
        } else if (m_button2.state & kStatePushed) {
            LineForward();
        } else {
            // Held on the track: page toward where the pointer is now.
            POINT pt = {0, 0};
            ::GetCursorPos(&pt);
            if (m_pManager != nullptr) ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
            PageToward(pt);
        }
    }
    NotifyScroll();
}

void CScrollBarUI::OnMouseEnter(POINT pt) {
    if (!IsEnabled()) return;
    m_button1.state |= kStateHot;
    m_button2.state |= kStateHot;
    if (RectContains(m_thumb.rect, pt)) m_thumb.state |= kStateHot;
    InvalidateSelf();
}

void CScrollBarUI::OnMouseLeave() {
    if (!IsEnabled()) return;
    m_button1.state &= ~kStateHot;
    m_button2.state &= ~kStateHot;
    m_thumb.state &= ~kStateHot;
    InvalidateSelf();
}

void CScrollBarUI::StepBy(int64_t delta, void (CContainerUI::*horizontal)(),
                          void (CContainerUI::*vertical)()) {
    if (m_pOwner == nullptr)
        SetPosition(AddClamped(m_nScrollPos, delta));
    else
        (m_pOwner->*(m_bHorizontal ? horizontal : vertical))();
}

void CScrollBarUI::LineBack() {
    StepBy(-static_cast<int64_t>(m_nLineSize), &CContainerUI::ScrollLineLeft,
           &CContainerUI::ScrollLineUp);
}

void CScrollBarUI::LineForward() {
    StepBy(m_nLineSize, &CContainerUI::ScrollLineRight, &CContainerUI::ScrollLineDown);
}

void CScrollBarUI::PageToward(POINT pt) {
    const LONG along = Along(pt);
    const LONG thumbStart = m_bHorizontal ? m_thumb.rect.left : m_thumb.rect.top;
    const LONG thumbEnd = m_bHorizontal ? m_thumb.rect.right : m_thumb.rect.bottom;
    const int64_t page = m_bHorizontal ? RectWidth(m_rcItem) : RectHeight(m_rcItem);
    if (along < thumbStart)
        StepBy(-page, &CContainerUI::ScrollPageLeft, &CContainerUI::ScrollPageUp);
    else if (along > thumbEnd)
        StepBy(page, &CContainerUI::ScrollPageRight, &CContainerUI::ScrollPageDown);
}

void CScrollBarUI::NotifyScroll() {
    // An owned bar says nothing: the owner's scroll operations carry the effect.
    if (m_pManager != nullptr && m_pOwner == nullptr)
        m_pManager->SendNotification(this, L"scroll");
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"ScrollBar", &CreateControlOf<CScrollBarUI>);
}  // namespace

}  // namespace SkinUI
