#pragma once
// A GDI region as its rectangles, for code that visits a few parts one by one.

#include <windows.h>

#include <cstddef>
#include <vector>

namespace SkinUI {

// Replaces rects with the region's rectangles (none for an empty region). False, with rects
// empty, when the region has more than most rectangles or cannot be read: the caller then
// takes another road (the bounding box, or GDI's own drawing).
bool RegionRects(HRGN region, size_t most, std::vector<RECT>& rects);

}  // namespace SkinUI
