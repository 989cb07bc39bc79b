// The list body: rows of one height, of which only those in view are placed, painted and
// hit-tested.

#include "ui/controls/ListBodyUI.h"

#include <algorithm>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ScrollBarUI.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

constexpr RECT kNoPlace = {0, 0, 0, 0};
constexpr int kWheelRows = 3;

}  // namespace

CAppendSlotUI::CAppendSlotUI(IContainerUI& target, AppendFn append)
    : m_target(target), m_append(std::move(append)) {}

bool CAppendSlotUI::Append(CControlUI* control) {
    return m_append ? m_append(control) : m_target.Append(control);
}

CListBodyUI::CListBodyUI(IListOwnerUI* owner) : m_owner(owner) { EnableScrollBars(true, false); }

CListBodyUI::~CListBodyUI() = default;

LPCWSTR CListBodyUI::ClassName() const { return L"ListBodyUI"; }

void CListBodyUI::AttachTo(CWindowManagerUI* manager, CContainerUI* parent, bool initialize) {
    CContainerUI::AttachTo(manager, parent, initialize);
    // The bar was made with the body, before any window's defaults were known.
    if (manager == nullptr || m_barStyled || m_pVerticalScrollBar == nullptr) return;
    m_barStyled = true;
    if (LPCWSTR style = manager->ClassDefaults(L"VScrollBar"))
        m_pVerticalScrollBar->ApplyAttributeString(style);
}

// ---- Rows ------------------------------------------------------------------------------------

int CListBodyUI::RowHeight() const {
    return m_owner != nullptr ? m_owner->ListInfo().rowHeight : TListInfoUI().rowHeight;
}

long long CListBodyUI::ContentHeight() const {
    return static_cast<long long>(Count()) * RowHeight();
}

bool CListBodyUI::InsertAt(CControlUI* control, int index) {
    IListItemUI* item = AsListItem(control);
    if (item == nullptr || Count() >= kMaxListRows) return false;
    ForgetPlacedRows();
    if (!CContainerUI::InsertAt(control, index)) return false;
    item->SetItemOwner(m_owner);
    // Appending renumbers one row; inserting near the top renumbers those below.
    RenumberFrom(index);
    if (index < Count() - 1 && m_owner != nullptr) m_owner->OnRowsChanged();
    return true;
}

bool CListBodyUI::RemoveItem(CControlUI* control) {
    const int index = IndexOf(control);
    if (index < 0) return false;
    ForgetPlacedRows();
    if (IListItemUI* item = AsListItem(control)) item->SetItemOwner(nullptr);
    CContainerUI::RemoveItem(control);
    RenumberFrom(index);
    if (m_owner != nullptr) m_owner->OnRowsChanged();
    return true;
}

bool CListBodyUI::MoveItem(CControlUI* control, int index) {
    ForgetPlacedRows();
    if (!CContainerUI::MoveItem(control, index)) return false;
    RenumberFrom(0);
    if (m_owner != nullptr) m_owner->OnRowsChanged();
    return true;
}

void CListBodyUI::RemoveAllItems() {
    ForgetPlacedRows();
    CContainerUI::RemoveAllItems();
    if (m_owner != nullptr) m_owner->OnRowsChanged();
}

void CListBodyUI::RenumberFrom(int index) {
    for (int i = std::max(0, index); i < Count(); ++i) {
        if (IListItemUI* item = AsListItem(ItemAt(i))) item->SetItemIndex(i);
    }
}

void CListBodyUI::ForgetPlacedRows() {
    const int end = std::min(m_lastPlaced, Count() - 1);
    for (int i = std::max(0, m_firstPlaced); i <= end; ++i) ItemAt(i)->Place(kNoPlace, false);
    m_firstPlaced = 0;
    m_lastPlaced = -1;
}

// ---- Geometry --------------------------------------------------------------------------------

int CListBodyUI::FirstVisibleRow() const {
    const int first = ScrollOffset().cy / RowHeight();
    return std::min(first, Count());
}

int CListBodyUI::LastVisibleRow() const {
    const long long viewHeight = RectHeight(InnerRect());
    if (viewHeight <= 0 || Count() == 0) return FirstVisibleRow() - 1;
    const long long bottom = static_cast<long long>(ScrollOffset().cy) + viewHeight - 1;
    return static_cast<int>(std::min<long long>(Count() - 1, bottom / RowHeight()));
}

int CListBodyUI::RowsPerPage() const {
    return std::max(1, static_cast<int>(RectHeight(InnerRect()) / RowHeight()));
}

void CListBodyUI::EnsureVisible(int index) {
    if (index < 0 || index >= Count()) return;
    const long long top = static_cast<long long>(index) * RowHeight();
    const long long viewHeight = RectHeight(InnerRect());
    const long long offset = ScrollOffset().cy;
    if (top < offset)
        SetScrollOffset(SIZE{0, ClampCoordinate(top)});
    else if (top + RowHeight() > offset + viewHeight)
        SetScrollOffset(SIZE{0, ClampCoordinate(top + RowHeight() - viewHeight)});
}

void CListBodyUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    UpdateScrollBars(InnerRect(), 0, ClampCoordinate(ContentHeight()));
    LayoutVisibleRows();
}

void CListBodyUI::MoveBy(SIZE offset, bool invalidate) {
    CControlUI::MoveBy(offset, invalidate);
    if (BarShown(m_pVerticalScrollBar)) m_pVerticalScrollBar->MoveBy(offset, false);
    LayoutVisibleRows();
}

void CListBodyUI::LayoutVisibleRows() {
    const int first = FirstVisibleRow();
    const int last = LastVisibleRow();
    const int placedEnd = std::min(m_lastPlaced, Count() - 1);
    for (int i = std::max(0, m_firstPlaced); i <= placedEnd; ++i) {
        if (i < first || i > last) ItemAt(i)->Place(kNoPlace, false);
    }
    const RECT inner = InnerRect();
    const int height = RowHeight();
    const long long offset = ScrollOffset().cy;
    for (int i = first; i <= last; ++i) {
        const LONG top = ClampCoordinate(inner.top + static_cast<long long>(i) * height - offset);
        ItemAt(i)->Place(RECT{inner.left, top, inner.right, top + height}, false);
    }
    m_firstPlaced = first;
    m_lastPlaced = last;
}

void CListBodyUI::ScrollRows(int rows) {
    const long long target = ScrollOffset().cy + static_cast<long long>(rows) * RowHeight();
    SetScrollOffset(SIZE{0, static_cast<LONG>(std::clamp<long long>(target, 0, ScrollExtent().cy))});
}

void CListBodyUI::SetScrollOffset(SIZE offset) {
    if (!BarShown(m_pVerticalScrollBar)) return;
    const int old = m_pVerticalScrollBar->Position();
    m_pVerticalScrollBar->SetPosition(offset.cy);
    if (m_pVerticalScrollBar->Position() == old) return;
    LayoutVisibleRows();
    InvalidateSelf();
}

// ---- Input -----------------------------------------------------------------------------------

void CListBodyUI::ProcessEvent(TControlEvent& event) {
    if (event.nKind == kEventScrollWheel) {
        ScrollRows(event.wParam == 0 ? -kWheelRows : kWheelRows);
        return;
    }
    // Keys act on the selection the owner keeps.
    if (event.nKind == kEventKeyDown && m_owner != nullptr) {
        m_owner->OnItemEvent(event);
        return;
    }
    CContainerUI::ProcessEvent(event);
}

CControlUI* CListBodyUI::Find(FindControlProc visitor, LPVOID data, UINT flags) {
    // Name and tree searches must see every row; only a hit test can stop at the view.
    if ((flags & kFindHitTest) == 0) return CContainerUI::Find(visitor, data, flags);
    const POINT& point = *static_cast<const POINT*>(data);
    if (((flags & kFindVisible) != 0 && !IsVisible()) ||
        ((flags & kFindEnabled) != 0 && !IsEnabled()) || !RectContains(m_rcItem, point))
        return nullptr;
    if (!IsMouseEnabled()) return nullptr;
    if (BarShown(m_pVerticalScrollBar)) {
        if (CControlUI* found = m_pVerticalScrollBar->Find(visitor, data, flags)) return found;
    }
    if (m_bMouseChildEnabled && RectContains(InnerRect(), point)) {
        for (int i = FirstVisibleRow(); i <= LastVisibleRow(); ++i) {
            if (CControlUI* found = ItemAt(i)->Find(visitor, data, flags)) return found;
        }
    }
    return visitor(this, data);
}

// ---- Painting --------------------------------------------------------------------------------

void CListBodyUI::Paint(HDC hDC, const RECT& dirty) {
    RECT visible;
    if (!RectIntersect(visible, dirty, m_rcItem)) return;
    CPaintClip clip;
    CUIRender::ClipToRect(hDC, visible, clip);
    CControlUI::Paint(hDC, dirty);
    RECT dirtyInner;
    if (RectIntersect(dirtyInner, dirty, InnerRect())) {
        CPaintClip rowsClip;
        CUIRender::ClipToRect(hDC, dirtyInner, rowsClip);
        for (int i = FirstVisibleRow(); i <= LastVisibleRow(); ++i) {
            CControlUI* row = ItemAt(i);
            if (row->IsVisible() && RectsMeet(row->Rect(), dirty)) row->Paint(hDC, dirty);
        }
    }
    if (BarShown(m_pVerticalScrollBar) && RectsMeet(m_pVerticalScrollBar->Rect(), dirty))
        m_pVerticalScrollBar->Paint(hDC, dirty);
}

}  // namespace SkinUI
