#pragma once
// Why a skin's markup cannot become a window, in words a skin author can act on: the file, the
// line and the parser's message (with the text where it stopped), or that the document builds
// no control at all. The skin's location (folder or archive) must be set before the check.

#include <windows.h>

#include "ui/core/UIString.h"

namespace gallery {

// Empty when the markup file loads and builds at least one control.
SkinUI::CUIString SkinLoadFailure(LPCWSTR markupName);

// The 1-based line of the text on which the location snippet (what the parser reports as the
// place of an error: the text from there on, possibly cut short) begins; 0 when it is not found.
int LineOfLocation(LPCWSTR text, LPCWSTR location);

// The 1-based line of the fault for an error the parser reports without a place: where the
// shortest beginning of the text that fails with the same message ends, or the last line when
// any text cut short fails that way (the data ended too soon); 0 when the text does not fail
// with that message.
int LineOfFailure(LPCWSTR text, LPCWSTR message);

}  // namespace gallery
