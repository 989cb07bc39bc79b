#pragma once
// Screen density: skins are written for 96 dots per inch (scale 1.0); a window on a denser
// screen shows every coordinate, size, font and picture of its skin multiplied by dpi / 96.
// The skin's values are scaled where they enter the framework (attribute text, fonts, picture
// selection), so layout and painting work in device pixels throughout.

#include <windows.h>

#include <vector>

#include "ui/core/base/UIString.h"

namespace SkinUI {

constexpr int kBaseDpi = 96;
// Densities outside this range are taken as its ends: a broken or hostile report must not make
// the framework compute or allocate what a 100-times scale would claim.
constexpr int kMinDpi = 48;
constexpr int kMaxDpi = 480;

int ClampDpi(int dpi);
// value * dpi / 96, rounded half away from zero (so that -2 and 2 scale alike), saturated to
// the int range.
int ScaleByDpi(int value, int dpi);

// How an attribute's text holds device-independent pixels.
enum class EScaledAttr {
    None,        // not a length: the text is used as written
    Number,      // one integer
    Size,        // "cx,cy"
    Rect,        // "l,t,r,b"
    NumberOrRect, // one integer, or "l,t,r,b" when the text has a comma ("bordersize")
    FirstNumber   // one integer, then the rest kept as written ("shadowoffset": distance,angle)
};

// The text of a length attribute at dpi, written back in the syntax it was read in. The
// numbers are read exactly as the attribute's reader does (so a malformed value scales to what
// the control would have read); kind None, or dpi 96, gives the text unchanged.
CUIString ScaleAttrValue(EScaledAttr kind, LPCWSTR text, int dpi);

// The attributes of a window or control whose values were given in skin units, kept as written
// so that a change of the window's density can apply them again at the new scale. A later value
// of a name replaces the earlier one in its place (the order of first appearance is kept).
class CLogicalAttributes {
public:
    struct TEntry {
        CUIString name;
        CUIString value;
    };
    void Remember(LPCWSTR name, LPCWSTR value);
    const std::vector<TEntry>& Entries() const { return m_entries; }

private:
    std::vector<TEntry> m_entries;
};

// A picture variant made for denser screens: "name@2x.png" beside "name.png".
struct TImageVariant {
    CUIString name;   // the file to read
    int dpi = kBaseDpi;  // the density its pixels were drawn for (96, 144 or 192)
};

// The variant names of a picture for a density: scale suffix inserted before the extension of
// the last path element ("img/a.png" -> "img/a@2x.png"). A name that already carries a suffix
// (as "bg@1x.png" does) is a picture of its own: its variants are "bg@1x@2x.png" etc.
CUIString ImageVariantName(LPCWSTR name, int variantDpi);

// Picks the picture to read for a window at dpi: of the variants that exist (exists(name) is
// asked for "@1.5x" and "@2x"), the smallest drawn for at least dpi, else the densest; the
// plain picture (drawn for 96) when dpi is 96 or no variant exists.
template <class Exists>
TImageVariant PickImageVariant(LPCWSTR name, int dpi, Exists exists) {
    TImageVariant chosen{CUIString(name), kBaseDpi};
    dpi = ClampDpi(dpi);
    if (dpi <= kBaseDpi || name == nullptr || *name == L'\0') return chosen;
    for (int variantDpi : {144, 192}) {
        CUIString candidate = ImageVariantName(name, variantDpi);
        if (!exists(candidate.GetData())) continue;
        chosen = TImageVariant{candidate, variantDpi};
        if (variantDpi >= dpi) break;
    }
    return chosen;
}

}  // namespace SkinUI
