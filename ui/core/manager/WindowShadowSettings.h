#pragma once
// The skin's shadow settings ("shadowsize", "showshadow", ...) go to the window's CShadowUI
// through these functions only, so that the markup and the window base need not know the
// shadow class.

#include <windows.h>

#include "ui/core/base/UIDpi.h"

namespace SkinUI {

class CWindowManagerUI;

// One attribute of the markup's root element, which sets up the window: its name, whether the
// name is matched exactly (else ignoring case), how its value is applied to the window's
// manager, and how the value holds lengths in skin units (scaled to the window's density
// before it is applied, as control lengths are).
struct TWindowAttribute {
    LPCWSTR name;
    bool exactCase;
    void (*apply)(CWindowManagerUI& manager, LPCWSTR value);
    EScaledAttr length;
};

// The row of a root attribute of the shadow group (names matched exactly), or null. Values the
// shadow refuses are ignored; nothing happens while the manager has no shadow.
const TWindowAttribute* FindShadowAttribute(LPCWSTR name);
// Shows or hides the window's shadow (when it has one).
void ShowWindowShadow(CWindowManagerUI& manager, bool show);

}  // namespace SkinUI
