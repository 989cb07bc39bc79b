#pragma once
// Rectangles, sizes and colours as the framework uses them. Rectangles are Win32 RECTs (left,
// top, right, bottom; right and bottom exclusive), so they pass straight to GDI. Colours are
// 32-bit ARGB (0xAARRGGBB) everywhere in the framework; GDI's COLORREF is made at the last step.

#include <windows.h>

namespace SkinUI {

// ARGB → COLORREF: the alpha byte is dropped, red and blue change places.
constexpr COLORREF ArgbToColorRef(DWORD argb) {
    return ((argb >> 16) & 0xFFu) | (argb & 0xFF00u) | ((argb & 0xFFu) << 16);
}
constexpr BYTE ArgbAlpha(DWORD argb) { return static_cast<BYTE>(argb >> 24); }
// Replaces the alpha byte of an ARGB colour.
constexpr DWORD ArgbWithAlpha(DWORD argb, BYTE alpha) {
    return (static_cast<DWORD>(alpha) << 24) | (argb & 0x00FFFFFFu);
}

constexpr RECT MakeRect(LONG left, LONG top, LONG right, LONG bottom) {
    return RECT{left, top, right, bottom};
}
constexpr LONG RectWidth(const RECT& rc) { return rc.right - rc.left; }
constexpr LONG RectHeight(const RECT& rc) { return rc.bottom - rc.top; }
// True when the rectangle covers no pixel (also for inverted rectangles).
constexpr bool RectIsEmpty(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }
constexpr bool RectIsZero(const RECT& rc) {
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}
constexpr bool RectEquals(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
constexpr bool RectContains(const RECT& rc, POINT pt) {
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}
// The common part of a and b; empty (all zero) when they do not meet. Returns whether they meet.
inline bool RectIntersect(RECT& out, const RECT& a, const RECT& b) {
    out.left = a.left > b.left ? a.left : b.left;
    out.top = a.top > b.top ? a.top : b.top;
    out.right = a.right < b.right ? a.right : b.right;
    out.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    if (RectIsEmpty(out)) {
        out = RECT{0, 0, 0, 0};
        return false;
    }
    return true;
}
constexpr bool RectsMeet(const RECT& a, const RECT& b) {
    return !RectIsEmpty(a) && !RectIsEmpty(b) && a.left < b.right && b.left < a.right &&
           a.top < b.bottom && b.top < a.bottom;
}
// The smallest rectangle holding both (an empty one does not count).
inline RECT RectUnion(const RECT& a, const RECT& b) {
    if (RectIsEmpty(a)) return b;
    if (RectIsEmpty(b)) return a;
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}
constexpr RECT RectOffset(const RECT& rc, LONG dx, LONG dy) {
    return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}
// Moves each side inwards by the matching width of insets (padding, borders, nine-slice corners).
constexpr RECT RectDeflate(const RECT& rc, const RECT& insets) {
    return RECT{rc.left + insets.left, rc.top + insets.top, rc.right - insets.right,
                rc.bottom - insets.bottom};
}
constexpr RECT RectInflate(const RECT& rc, const RECT& outsets) {
    return RECT{rc.left - outsets.left, rc.top - outsets.top, rc.right + outsets.right,
                rc.bottom + outsets.bottom};
}

// GDI works with 27-bit coordinates. Drawing clamps every rectangle it is handed into that range,
// so that the sums and differences of layout and nine-slice arithmetic stay far inside 32 bits
// whatever a skin or caller passes.
constexpr LONG kMaxDrawCoordinate = 1L << 27;
constexpr LONG ClampDrawCoordinate(LONG value) {
    return value < -kMaxDrawCoordinate ? -kMaxDrawCoordinate
           : value > kMaxDrawCoordinate ? kMaxDrawCoordinate
                                        : value;
}
constexpr RECT ClampToDrawRange(const RECT& rc) {
    return RECT{ClampDrawCoordinate(rc.left), ClampDrawCoordinate(rc.top),
                ClampDrawCoordinate(rc.right), ClampDrawCoordinate(rc.bottom)};
}

constexpr SIZE MakeSize(LONG cx, LONG cy) { return SIZE{cx, cy}; }
constexpr bool SizeEquals(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }

}  // namespace SkinUI
