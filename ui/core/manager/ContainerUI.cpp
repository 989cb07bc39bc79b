// The container: child list, attachment, visibility, default placement, floating children,
// searching, painting with clipping, scrolling and the scroll bar hooks.

#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ContainerUI.h"

#include <oleacc.h>

#include <cstdlib>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ScrollBarUI.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return wcscmp(name, expected) == 0; }

constexpr LONG kHorizontalLineStep = 8;

}  // namespace

CContainerUI::CContainerUI() { UseAttributes(Attributes()); }

CContainerUI::~CContainerUI() {
    // The children go now, not through the window manager's deferred deletion.
    m_bDelayedDestroy = false;
    RemoveAllItems();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

LPCWSTR CContainerUI::ClassName() const { return L"ContainerUI"; }

LPVOID CContainerUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && Is(name, L"IContainer")) return static_cast<IContainerUI*>(this);
    if (name != nullptr && Is(name, L"Container")) return static_cast<CContainerUI*>(this);
    return CControlUI::InterfaceByName(name);
}

// ---- IContainerUI ---------------------------------------------------------------------------

CControlUI* CContainerUI::ItemAt(int index) const {
    return static_cast<CControlUI*>(m_items.GetAt(index));
}

int CContainerUI::IndexOf(CControlUI* control) const {
    return control != nullptr ? m_items.Find(control) : -1;
}

int CContainerUI::Count() const { return m_items.GetSize(); }

bool CContainerUI::MoveItem(CControlUI* control, int index) {
    const int current = IndexOf(control);
    if (current < 0) return false;
    MarkForLayout();
    m_items.Remove(current);
    // An index past the end puts the child last rather than losing it.
    const int last = m_items.GetSize();
    return m_items.InsertAt(index < 0 ? 0 : (index > last ? last : index), control);
}

bool CContainerUI::Append(CControlUI* control) {
    return InsertAt(control, Count());
}

bool CContainerUI::InsertAt(CControlUI* control, int index) {
    if (control == nullptr || index < 0 || index > Count()) return false;
    if (m_pManager != nullptr) m_pManager->RegisterTree(control, this);
    if (IsVisible())
        MarkForLayout();
    else
        control->SetInheritedVisible(false);
    return m_items.InsertAt(index, control);
}

bool CContainerUI::RemoveItem(CControlUI* control) {
    const int index = IndexOf(control);
    if (index < 0) return false;
    MarkForLayout();
    // Out of the list before it goes, so that its destroy listeners see the list without it.
    m_items.Remove(index);
    if (m_bAutoDestroy) DisposeChild(control);
    return true;
}

bool CContainerUI::RemoveItemAt(int index) {
    CControlUI* control = ItemAt(index);
    return control != nullptr && RemoveItem(control);
}

void CContainerUI::RemoveAllItems() {
    CUIPtrArray removed = std::move(m_items);
    m_items.Empty();
    if (m_bAutoDestroy)
        for (int i = 0; i < removed.GetSize(); ++i)
            DisposeChild(static_cast<CControlUI*>(removed.GetAt(i)));
    MarkForLayout();
}

void CContainerUI::DisposeChild(CControlUI* child) {
    if (m_bDelayedDestroy && m_pManager != nullptr)
        m_pManager->DeferDelete(child);
    else
        delete child;
}

// ---- Attachment, visibility, moving ---------------------------------------------------------

void CContainerUI::AttachTo(CWindowManagerUI* manager, CContainerUI* parent, bool initialize) {
    for (int i = 0; i < Count(); ++i) ItemAt(i)->AttachTo(manager, this, initialize);
    if (m_pVerticalScrollBar != nullptr) m_pVerticalScrollBar->AttachTo(manager, this, initialize);
    if (m_pHorizontalScrollBar != nullptr)
        m_pHorizontalScrollBar->AttachTo(manager, this, initialize);
    CControlUI::AttachTo(manager, parent, initialize);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < Count(); ++i) ItemAt(i)->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    for (int i = 0; i < Count(); ++i) ItemAt(i)->SetInheritedVisible(IsVisible());
}

void CContainerUI::MoveBy(SIZE offset, bool invalidate) {
    CControlUI::MoveBy(offset, invalidate);
    if (BarShown(m_pVerticalScrollBar)) m_pVerticalScrollBar->MoveBy(offset, false);
    if (BarShown(m_pHorizontalScrollBar)) m_pHorizontalScrollBar->MoveBy(offset, false);
    for (int i = 0; i < Count(); ++i) {
        CControlUI* child = ItemAt(i);
        if (child->IsVisible()) child->MoveBy(offset, false);
    }
}

void CContainerUI::SetMouseEnabled(bool enabled) {
    if (m_pVerticalScrollBar != nullptr) m_pVerticalScrollBar->SetMouseEnabled(enabled);
    if (m_pHorizontalScrollBar != nullptr) m_pHorizontalScrollBar->SetMouseEnabled(enabled);
    CControlUI::SetMouseEnabled(enabled);
}

// ---- Placement ------------------------------------------------------------------------------

bool CContainerUI::BarShown(const CScrollBarUI* bar) { return bar != nullptr && bar->IsVisible(); }

LONG CContainerUI::BarThickness(const CScrollBarUI* bar, bool horizontal) {
    if (!BarShown(bar)) return 0;
    return horizontal ? bar->FixedHeight() : bar->FixedWidth();
}

RECT CContainerUI::InnerRect() const {
    RECT inner = RectDeflate(m_rcItem, m_rcInset);
    inner.right -= BarThickness(m_pVerticalScrollBar, false);
    inner.bottom -= BarThickness(m_pHorizontalScrollBar, true);
    return inner;
}

void CContainerUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    if (Count() == 0) return;
    // The children's area, extended by what the scroll bars hide.
    RECT inner = RectDeflate(m_rcItem, m_rcInset);
    if (BarShown(m_pVerticalScrollBar)) {
        const CScrollBarUI& bar = *m_pVerticalScrollBar;
        inner.top -= bar.Position();
        inner.right -= bar.FixedWidth();
        inner.bottom += bar.Range() - bar.Position();
    }
    if (BarShown(m_pHorizontalScrollBar)) {
        const CScrollBarUI& bar = *m_pHorizontalScrollBar;
        inner.left -= bar.Position();
        inner.bottom -= bar.FixedHeight();
        inner.right += bar.Range() - bar.Position();
    }
    ForEachLaidOutChild([&](CControlUI* child) {
        const LONG width = ClampToLimits(RectWidth(inner), child->MinWidth(), child->MaxWidth());
        const LONG height =
            ClampToLimits(RectHeight(inner), child->MinHeight(), child->MaxHeight());
        child->Place(RECT{inner.left, inner.top, inner.left + width, inner.top + height}, false);
    });
}

void CContainerUI::PlaceFloatChild(int index) {
    CControlUI* child = ItemAt(index);
    if (child == nullptr || !child->IsVisible() || !child->IsFloat()) return;
    const LONG width = RectWidth(m_rcItem);
    const LONG height = RectHeight(m_rcItem);
    const SIZE xy = child->FixedXY();
    const TFloatPercent percent = child->FloatPercent();
    const RECT relative{
        PercentOf(percent.left, width) + xy.cx,
        PercentOf(percent.top, height) + xy.cy,
        PercentOf(percent.right, width) + xy.cx + child->FixedWidth(),
        PercentOf(percent.bottom, height) + xy.cy + child->FixedHeight(),
    };
    child->Place(relative, false);
}

void CContainerUI::PlaceAgain(bool invalidate) {
    Place(IsFloat() ? RelativeRect() : m_rcItem, invalidate);
}

void CContainerUI::UpdateScrollBars(const RECT& inner, int /*widthNeeded*/, int heightNeeded) {
    if (BarShown(m_pHorizontalScrollBar)) {
        m_pHorizontalScrollBar->Place(
            RECT{inner.left, inner.bottom, inner.right,
                 inner.bottom + m_pHorizontalScrollBar->FixedHeight()},
            false);
    }
    CScrollBarUI* bar = m_pVerticalScrollBar;
    if (bar == nullptr) return;
    const int over = heightNeeded - static_cast<int>(RectHeight(inner));
    if (over > 0 && !bar->IsVisible()) {
        bar->SetVisible(true);
        bar->SetRange(over);
        bar->SetPosition(0);
        m_bScrollProcess = true;
        PlaceAgain(true);
        m_bScrollProcess = false;
        return;
    }
    if (!bar->IsVisible()) return;
    if (over <= 0 && !m_bScrollProcess) {
        bar->SetVisible(false);
        bar->SetPosition(0);
        bar->SetRange(0);
        PlaceAgain(true);
        return;
    }
    bar->Place(RECT{inner.right, inner.top, inner.right + bar->FixedWidth(), inner.bottom}, false);
    if (bar->Range() != over) {
        const int position = bar->Position();
        bar->SetRange(std::abs(over));
        if (bar->Range() == 0) {
            bar->SetVisible(false);
            bar->SetPosition(0);
        }
        if (position > bar->Position()) PlaceAgain(false);
    }
}

// ---- Searching ------------------------------------------------------------------------------

CControlUI* CContainerUI::Find(FindControlProc visitor, LPVOID data, UINT flags) {
    const bool hitTest = (flags & kFindHitTest) != 0;
    const POINT* point = static_cast<const POINT*>(data);
    if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
    if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
    if (hitTest && !RectContains(m_rcItem, *point)) return nullptr;
    if ((flags & kFindUpdateTest) != 0 && visitor(this, data) != nullptr) return nullptr;

    const bool selfCounts = !hitTest || IsMouseEnabled();
    if ((flags & kFindMeFirst) != 0 && selfCounts) {
        if (CControlUI* found = visitor(this, data)) return found;
    }
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (bar == nullptr || !selfCounts) continue;
        if (CControlUI* found = bar->Find(visitor, data, flags)) return found;
    }
    if (!hitTest || m_bMouseChildEnabled) {
        const RECT inner = InnerRect();
        const bool topFirst = (flags & kFindTopFirst) != 0;
        const int count = Count();
        for (int n = 0; n < count; ++n) {
            CControlUI* child = ItemAt(topFirst ? count - 1 - n : n);
            CControlUI* found = child != nullptr ? child->Find(visitor, data, flags) : nullptr;
            if (found == nullptr) continue;
            if (!hitTest || found->IsFloat() || RectContains(inner, *point)) return found;
        }
    }
    if ((flags & kFindMeFirst) == 0 && selfCounts) return visitor(this, data);
    return nullptr;
}

// ---- Events ---------------------------------------------------------------------------------

void CContainerUI::ProcessEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.nKind)) {
        if (m_pParent != nullptr)
            m_pParent->ProcessEvent(event);
        else
            CControlUI::ProcessEvent(event);
        return;
    }
    if (event.nKind == kEventSetFocus || event.nKind == kEventKillFocus) {
        m_bFocused = event.nKind == kEventSetFocus;
        return;
    }
    if (ScrollByEvent(event)) return;
    if (m_eventListeners.Invoke(&event)) CControlUI::ProcessEvent(event);
}

bool CContainerUI::ScrollByEvent(const TControlEvent& event) {
    using Action = void (CContainerUI::*)();
    struct TKeys {
        Action pageBack, pageForward, toEnd, toStart, lineBack, lineForward;
    };
    static const TKeys vertical{&CContainerUI::ScrollPageUp,  &CContainerUI::ScrollPageDown,
                                &CContainerUI::ScrollToBottom, &CContainerUI::ScrollToTop,
                                &CContainerUI::ScrollLineUp,  &CContainerUI::ScrollLineDown};
    static const TKeys horizontal{&CContainerUI::ScrollPageLeft, &CContainerUI::ScrollPageRight,
                                  &CContainerUI::ScrollToRight,  &CContainerUI::ScrollToLeft,
                                  &CContainerUI::ScrollLineLeft, &CContainerUI::ScrollLineRight};
    const bool verticalActive = BarShown(m_pVerticalScrollBar) && m_pVerticalScrollBar->IsEnabled();
    const bool horizontalActive =
        BarShown(m_pHorizontalScrollBar) && m_pHorizontalScrollBar->IsEnabled();
    if (!verticalActive && !horizontalActive) return false;
    const TKeys& keys = verticalActive ? vertical : horizontal;

    Action action = nullptr;
    if (event.nKind == kEventKeyDown) {
        switch (event.chKey) {
        case VK_PRIOR: action = keys.pageBack; break;
        case VK_NEXT: action = keys.pageForward; break;
        case VK_END: action = keys.toEnd; break;
        case VK_HOME: action = keys.toStart; break;
        case VK_UP: action = keys.lineBack; break;
        case VK_DOWN: action = keys.lineForward; break;
        default: break;
        }
    } else if (event.nKind == kEventScrollWheel) {
        if (event.wParam == 0) action = keys.lineBack;
        if (event.wParam == 1) action = keys.lineForward;
    } else if (event.nKind == kEventGesturePan && verticalActive) {
        ScrollByPan(static_cast<int>(event.lParam), event.wParam != 0);
        return true;
    }
    if (action == nullptr) return false;
    (this->*action)();
    return true;
}

// ---- Attributes and settings ----------------------------------------------------------------

const CAttributeTable<CContainerUI>& CContainerUI::Attributes() {
    using C = CContainerUI;
    static const TAttributeRow<C> rows[] = {
        AttrLengthRect::Row<&C::SetInset>(L"inset"),
        AttrBool::Row<&C::SetChildMouseEnabled>(L"mousechild"),
        // The scroll bar settings keep the other bar as it is; a style creates the bar.
        {L"vscrollbar",
         [](C& c, LPCWSTR v) {
             c.EnableScrollBars(ParseAttrBool(v), c.m_pHorizontalScrollBar != nullptr);
         },
         nullptr},
        {L"vscrollbarstyle",
         [](C& c, LPCWSTR v) {
             c.EnableScrollBars(true, c.m_pHorizontalScrollBar != nullptr);
             if (c.m_pVerticalScrollBar != nullptr) c.m_pVerticalScrollBar->ApplyAttributeString(v);
         },
         nullptr},
        {L"hscrollbar",
         [](C& c, LPCWSTR v) {
             c.EnableScrollBars(c.m_pVerticalScrollBar != nullptr, ParseAttrBool(v));
         },
         nullptr},
        {L"hscrollbarstyle",
         [](C& c, LPCWSTR v) {
             c.EnableScrollBars(c.m_pVerticalScrollBar != nullptr, true);
             if (c.m_pHorizontalScrollBar != nullptr)
                 c.m_pHorizontalScrollBar->ApplyAttributeString(v);
         },
         nullptr},
        AttrLength::Row<&C::SetChildPadding>(L"childpadding"),
        AttrBool::Row<&C::m_bDrawIcon>(L"icon"),
    };
    static const CAttributeTable<C> table(rows, &CControlUI::Attributes());
    return table;
}

RECT CContainerUI::Inset() const { return m_rcInset; }

void CContainerUI::SetInset(const RECT& inset) {
    m_rcInset = ClampRectCoordinates(inset);
    MarkForLayout();
}

int CContainerUI::ChildPadding() const { return m_iChildPadding; }

void CContainerUI::SetChildPadding(int padding) {
    m_iChildPadding = ClampCoordinate(padding);
    MarkForLayout();
}

bool CContainerUI::OwnsChildren() const { return m_bAutoDestroy; }
void CContainerUI::SetOwnsChildren(bool owns) { m_bAutoDestroy = owns; }
bool CContainerUI::IsDeferredDelete() const { return m_bDelayedDestroy; }
void CContainerUI::SetDeferredDelete(bool deferred) { m_bDelayedDestroy = deferred; }
bool CContainerUI::IsChildMouseEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetChildMouseEnabled(bool enabled) { m_bMouseChildEnabled = enabled; }

int CContainerUI::NextSelectable(int start, bool forward) const {
    const int count = Count();
    if (count == 0) return -1;
    start = start < 0 ? 0 : (start > count - 1 ? count - 1 : start);
    auto selectable = [this](int index) {
        CControlUI* child = ItemAt(index);
        return child->InterfaceByName(L"ListItem") != nullptr && child->IsVisible() &&
               child->IsEnabled();
    };
    if (forward) {
        for (int i = start; i < count; ++i)
            if (selectable(i)) return i;
        return -1;
    }
    for (int i = start; i >= 0; --i)
        if (selectable(i)) return i;
    return NextSelectable(0, true);
}

// ---- Scrolling ------------------------------------------------------------------------------

SIZE CContainerUI::ScrollOffset() const {
    return SIZE{BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Position() : 0,
                BarShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->Position() : 0};
}

SIZE CContainerUI::ScrollExtent() const {
    return SIZE{BarShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->Range() : 0,
                BarShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->Range() : 0};
}

void CContainerUI::SetScrollOffset(SIZE offset) {
    LONG dx = 0;
    LONG dy = 0;
    if (BarShown(m_pVerticalScrollBar)) {
        const int old = m_pVerticalScrollBar->Position();
        m_pVerticalScrollBar->SetPosition(offset.cy);
        dy = m_pVerticalScrollBar->Position() - old;
    }
    if (BarShown(m_pHorizontalScrollBar)) {
        const int old = m_pHorizontalScrollBar->Position();
        m_pHorizontalScrollBar->SetPosition(offset.cx);
        dx = m_pHorizontalScrollBar->Position() - old;
    }
    if (dx == 0 && dy == 0) return;
    for (int i = 0; i < Count(); ++i) {
        CControlUI* child = ItemAt(i);
        if (child->IsVisible() && !child->IsFloat()) child->MoveBy(SIZE{-dx, -dy}, false);
    }
    InvalidateSelf();
}

void CContainerUI::ScrollVertically(long long delta) {
    SIZE offset = ScrollOffset();
    offset.cy = ClampCoordinate(offset.cy + delta);
    SetScrollOffset(offset);
}

void CContainerUI::ScrollHorizontally(long long delta) {
    SIZE offset = ScrollOffset();
    offset.cx = ClampCoordinate(offset.cx + delta);
    SetScrollOffset(offset);
}

LONG CContainerUI::LineHeight() const {
    LONG line = 8;
    if (m_pManager != nullptr) {
        if (const TFontData* font = m_pManager->GetDefaultFontInfo()) line += font->tm.tmHeight;
    }
    return line;
}

LONG CContainerUI::PageHeight() const {
    return RectHeight(m_rcItem) - m_rcInset.top - m_rcInset.bottom -
           BarThickness(m_pHorizontalScrollBar, true);
}

LONG CContainerUI::PageWidth() const {
    return RectWidth(m_rcItem) - m_rcInset.left - m_rcInset.right -
           BarThickness(m_pVerticalScrollBar, false);
}

void CContainerUI::ScrollLineUp() { ScrollVertically(-LineHeight()); }
void CContainerUI::ScrollLineDown() { ScrollVertically(LineHeight()); }
void CContainerUI::ScrollPageUp() { ScrollVertically(-PageHeight()); }
void CContainerUI::ScrollPageDown() { ScrollVertically(PageHeight()); }
void CContainerUI::ScrollToTop() { ScrollVertically(-ScrollOffset().cy); }
void CContainerUI::ScrollToBottom() { ScrollVertically(ScrollExtent().cy - ScrollOffset().cy); }
void CContainerUI::ScrollLineLeft() { ScrollHorizontally(-kHorizontalLineStep); }
void CContainerUI::ScrollLineRight() { ScrollHorizontally(kHorizontalLineStep); }
void CContainerUI::ScrollPageLeft() { ScrollHorizontally(-PageWidth()); }
void CContainerUI::ScrollPageRight() { ScrollHorizontally(PageWidth()); }
void CContainerUI::ScrollToLeft() { ScrollHorizontally(-ScrollOffset().cx); }
void CContainerUI::ScrollToRight() { ScrollHorizontally(ScrollExtent().cx - ScrollOffset().cx); }

void CContainerUI::ScrollByPan(int delta, bool overScrollBar) {
    // The pointer's travel scaled to the content: along the thumb's track when the gesture
    // started over the bar, along the container otherwise. Without room to travel (an empty
    // track or container) there is nothing to scale by, and nothing moves.
    const long long range = ScrollExtent().cy;
    const long long travel = overScrollBar && m_pVerticalScrollBar != nullptr
                                 ? m_pVerticalScrollBar->TrackLength()
                                 : RectHeight(m_rcItem);
    if (travel <= 0) return;
    const long long step = static_cast<long long>(delta) * range / travel;
    ScrollVertically(overScrollBar ? -step : step);
}

void CContainerUI::EnableScrollBars(bool vertical, bool horizontal) {
    UpdateScrollBar(m_pVerticalScrollBar, vertical, false);
    UpdateScrollBar(m_pHorizontalScrollBar, horizontal, true);
    MarkForLayout();
}

void CContainerUI::UpdateScrollBar(CScrollBarUI*& bar, bool wanted, bool horizontal) {
    if (!wanted) {
        delete bar;
        bar = nullptr;
        return;
    }
    if (bar != nullptr) return;
    bar = new CScrollBarUI();
    bar->SetOwner(this);
    if (horizontal) bar->SetHorizontal(true);
    bar->AttachTo(m_pManager, nullptr, false);
    if (m_pManager != nullptr) {
        if (LPCWSTR style = m_pManager->ClassDefaults(horizontal ? L"HScrollBar" : L"VScrollBar"))
            bar->ApplyAttributeString(style);
    }
}

CScrollBarUI* CContainerUI::VerticalScrollBar() const { return m_pVerticalScrollBar; }
CScrollBarUI* CContainerUI::HorizontalScrollBar() const { return m_pHorizontalScrollBar; }

// ---- Painting -------------------------------------------------------------------------------

void CContainerUI::Paint(HDC hDC, const RECT& dirty) {
    RECT visible;
    if (!RectIntersect(visible, dirty, m_rcItem)) return;
    CPaintClip clip;
    CUIRender::ClipToRect(hDC, visible, clip);
    if (m_bDrawIcon) {
        if (m_hIcon != nullptr) {
            const int side = RectWidth(m_rcItem) + m_rcInset.left - m_rcInset.right;
            ::DrawIconEx(hDC, m_rcItem.left, m_rcItem.top, m_hIcon, side, side, 0, nullptr,
                         DI_NORMAL);
        }
    } else {
        CControlUI::Paint(hDC, dirty);
    }
    if (Count() > 0) PaintChildren(hDC, dirty);
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (BarShown(bar) && RectsMeet(bar->Rect(), dirty)) bar->Paint(hDC, dirty);
    }
}

void CContainerUI::PaintChildren(HDC hDC, const RECT& dirty) {
    const RECT inner = InnerRect();
    RECT dirtyInner;
    if (!RectIntersect(dirtyInner, dirty, inner)) {
        // Only floating children can reach outside the children's area.
        for (int i = 0; i < Count(); ++i) {
            CControlUI* child = ItemAt(i);
            const RECT rc = child->Rect();
            if (child->IsVisible() && child->IsFloat() && RectsMeet(rc, dirty) &&
                RectsMeet(rc, m_rcItem))
                child->Paint(hDC, dirty);
        }
        return;
    }
    CPaintClip childClip;
    CUIRender::ClipToRect(hDC, dirtyInner, childClip);
    for (int i = 0; i < Count(); ++i) {
        CControlUI* child = ItemAt(i);
        const RECT rc = child->Rect();
        if (!child->IsVisible() || !RectsMeet(rc, dirty)) continue;
        if (child->IsFloat()) {
            if (!RectsMeet(rc, m_rcItem)) continue;
            // A floating child may cover the insets and scroll bars: the container's clip.
            CUIRender::SuspendClip(hDC, childClip);
            child->Paint(hDC, dirty);
            CUIRender::ResumeClip(hDC, childClip);
        } else if (RectsMeet(rc, inner)) {
            child->Paint(hDC, dirty);
        }
    }
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Container", &CreateControlOf<CContainerUI>);
}  // namespace

LONG CContainerUI::AccessibleRole() const { return ROLE_SYSTEM_PANE; }

}  // namespace SkinUI
