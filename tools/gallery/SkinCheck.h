#pragma once
// Why a skin's markup cannot become a window, in words a skin author can act on: the file, the
// line and the parser's message (with the text where it stopped), or that the document builds
// no control at all. The skin's location (folder or archive) must be set before the check.

#include <windows.h>

#include "ui/core/base/UIString.h"

namespace gallery {

// Empty when the markup file loads and builds at least one control.
SkinUI::CUIString SkinLoadFailure(LPCWSTR markupName);

}  // namespace gallery
