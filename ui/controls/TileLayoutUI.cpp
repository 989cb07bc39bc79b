// The tile layout: rows of equal cells, each row as tall as its tallest tile.

#include "ui/controls/TileLayoutUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/manager/ScrollBarUI.h"

namespace SkinUI {

namespace {

LONG ClampWidth(const CControlUI& control, int64_t cx) {
    return ClampToLimits(cx, control.MinWidth(), control.MaxWidth());
}
LONG ClampHeight(const CControlUI& control, int64_t cy) {
    return ClampToLimits(cy, control.MinHeight(), control.MaxHeight());
}

bool TakesTile(const CControlUI* control) {
    return control != nullptr && control->IsVisible() && !control->IsFloat();
}

}  // namespace

CTileLayoutUI::CTileLayoutUI() { UseAttributes(Attributes()); }
CTileLayoutUI::~CTileLayoutUI() = default;

LPCWSTR CTileLayoutUI::ClassName() const { return L"TileLayoutUI"; }

LPVOID CTileLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"TileLayout") == 0) return this;
    return CContainerUI::InterfaceByName(name);
}

void CTileLayoutUI::SetItemSize(SIZE size) {
    if (SizeEquals(m_szItem, size)) return;
    m_szItem = size;
    MarkForLayout();
}

void CTileLayoutUI::SetColumns(int columns) {
    if (columns <= 0) return;
    m_nColumns = columns;
    MarkForLayout();
}

const CAttributeTable<CTileLayoutUI>& CTileLayoutUI::Attributes() {
    using C = CTileLayoutUI;
    static const TAttributeRow<C> rows[] = {
        AttrLengthSize::Row<&C::SetItemSize>(L"itemsize"),
        AttrInt::Row<&C::SetColumns>(L"columns"),
    };
    static const CAttributeTable<C> table(rows, &CContainerUI::Attributes());
    return table;
}

LONG CTileLayoutUI::MeasureRow(int first, int placed, LONG cellWidth) const {
    int64_t rowHeight = 0;
    int k = 0;
    for (int i = first; i < m_items.GetSize() && k < m_nColumns; ++i) {
        auto* tile = static_cast<CControlUI*>(m_items.GetAt(i));
        if (!TakesTile(tile)) continue;
        const RECT pad = tile->Padding();
        // The first and the last column give up half the child padding, the others all of it.
        const bool edge = k == 0 || (static_cast<int64_t>(placed) + k + 1) % m_nColumns == 0;
        const int64_t gap = edge ? m_iChildPadding / 2 : m_iChildPadding;
        const LONG width =
            ClampWidth(*tile, static_cast<int64_t>(cellWidth) - pad.left - pad.right - gap);
        const SIZE desired = tile->DesiredSize(SIZE{width, 9999});
        const int64_t height = ClampHeight(*tile, desired.cy) + pad.top + pad.bottom;
        rowHeight = std::max(rowHeight, height);
        ++k;
    }
    return ClampCoordinate(rowHeight);
}

void CTileLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    RECT rc = RectDeflate(m_rcItem, m_rcInset);
    if (m_items.GetSize() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }
    const bool vertical = BarShown(m_pVerticalScrollBar);
    const bool horizontal = BarShown(m_pHorizontalScrollBar);
    if (vertical) rc.right -= m_pVerticalScrollBar->FixedWidth();
    if (horizontal) rc.bottom -= m_pHorizontalScrollBar->FixedHeight();

    const LONG width = RectWidth(rc);
    // An inset wider than the layout leaves no width: one column then.
    if (m_szItem.cx > 0) m_nColumns = std::max(width / m_szItem.cx, 1L);
    LONG cellWidth = width / m_nColumns;
    if (horizontal)
        cellWidth = ClampCoordinate(
            (static_cast<int64_t>(m_pHorizontalScrollBar->Range()) + width) / m_nColumns);

    // Rows may add up beyond the int range in a hostile skin: the running values are 64-bit.
    const int64_t rowStartX = rc.left - (horizontal ? m_pHorizontalScrollBar->Position() : 0);
    const int64_t scrollY = vertical ? m_pVerticalScrollBar->Position() : 0;
    int64_t tileX = rowStartX;
    int64_t tileY = rc.top - scrollY;
    int64_t rowHeight = 0;
    int64_t heightNeeded = 0;
    int placed = 0;
    const int half = m_iChildPadding / 2;

    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* tile = static_cast<CControlUI*>(m_items.GetAt(i));
        if (tile == nullptr || !tile->IsVisible()) continue;
        if (tile->IsFloat()) {
            PlaceFloatChild(i);
            continue;
        }
        const int64_t cellRight = tileX + cellWidth;
        const bool firstColumn = placed % m_nColumns == 0;
        if (firstColumn) rowHeight = MeasureRow(i, placed, cellWidth);

        const RECT pad = tile->Padding();
        int64_t left = firstColumn ? tileX + pad.left : tileX + pad.left + half;
        int64_t right = cellRight - pad.right - half;
        ++placed;
        const bool lastColumn = placed % m_nColumns == 0;
        if (lastColumn) right = cellRight - pad.right;
        const int64_t top = tileY + pad.top;
        const int64_t bottom = tileY + rowHeight;

        const SIZE desired = tile->DesiredSize(
            SIZE{ClampCoordinate(right - left), ClampCoordinate(bottom - top)});
        const LONG cx = ClampWidth(*tile, desired.cx != 0 ? desired.cx : right - left);
        const LONG cy = ClampHeight(*tile, desired.cy != 0 ? desired.cy : bottom - top);
        const int64_t x = (left + right - cx) / 2;
        const int64_t y = (top + bottom - cy) / 2;
        tile->Place(RECT{ClampCoordinate(x), ClampCoordinate(y), ClampCoordinate(x + cx),
                         ClampCoordinate(y + cy)},
                    false);

        if (lastColumn) {
            tileY += rowHeight + m_iChildPadding;
            rowHeight = 0;
            tileX = rowStartX;
        } else {
            tileX = cellRight;
        }
        heightNeeded = bottom - rc.top + scrollY;
    }
    UpdateScrollBars(rc, 0, ClampCoordinate(heightNeeded));
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"TileLayout", &CreateControlOf<CTileLayoutUI>);
}  // namespace

}  // namespace SkinUI
