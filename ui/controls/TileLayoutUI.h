#pragma once
// CTileLayoutUI: a container that arranges its children in a grid of equal-width cells, row by
// row. Each row is as tall as its tallest tile; tiles smaller than their cell are centred in it.
// The number of columns is fixed ("columns") or follows the width when "itemsize" gives a tile
// width. The grid scrolls vertically with the container's scroll bar.

#include <windows.h>

#include "ui/core/manager/ContainerUI.h"

namespace SkinUI {

class CTileLayoutUI : public CContainerUI {
public:
    CTileLayoutUI();
    ~CTileLayoutUI() override;

    LPCWSTR ClassName() const override;
    LPVOID InterfaceByName(LPCWSTR name) override;
    void Place(const RECT& rect, bool invalidate = true) override;

    SIZE ItemSize() const { return m_szItem; }
    // A width above 0 makes the number of columns follow the layout's width; the height is kept
    // for the skin and not used by the layout.
    void SetItemSize(SIZE size);
    int Columns() const { return m_nColumns; }
    void SetColumns(int columns);  // values of 0 and below are ignored

protected:
    // The height of the row that starts with child index first: the tallest of its tiles
    // measured in their cells, paddings included.
    LONG MeasureRow(int first, int placed, LONG cellWidth) const;

    SIZE m_szItem = {0, 0};
    int m_nColumns = 1;

private:
    static const CAttributeTable<CTileLayoutUI>& Attributes();
};

}  // namespace SkinUI
