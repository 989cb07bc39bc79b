#include "ui/core/render/RegionRects.h"

namespace SkinUI {

bool RegionRects(HRGN region, size_t most, std::vector<RECT>& rects) {
    rects.clear();
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER) || size > sizeof(RGNDATAHEADER) + most * sizeof(RECT))
        return false;
    std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* data = reinterpret_cast<RGNDATA*>(storage.data());
    if (::GetRegionData(region, size, data) != size || data->rdh.nCount > most) return false;
    const auto* first = reinterpret_cast<const RECT*>(data->Buffer);
    rects.assign(first, first + data->rdh.nCount);
    return true;
}

}  // namespace SkinUI
