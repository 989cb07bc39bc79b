#pragma once
// The skin's shadow settings ("shadowsize", "showshadow", ...) go to the window's CShadowUI
// through these two functions only, so that the markup and the window base need not know the
// shadow class.

#include <windows.h>

namespace SkinUI {

class CWindowManagerUI;

// Applies one root attribute of the shadow group (names matched exactly); false when name is not
// one of them. Values the shadow refuses are ignored. Nothing happens while the manager has no
// shadow.
bool ApplyShadowAttribute(CWindowManagerUI& manager, LPCWSTR name, LPCWSTR value);
// Shows or hides the window's shadow (when it has one).
void ShowWindowShadow(CWindowManagerUI& manager, bool show);

}  // namespace SkinUI
