#pragma once
// Numbered animation frames: a picture name and a frame number give the frame's picture name.
// "run.png" with 3 gives "run3.png"; a name without an extension ("anim", or ".png" whose only
// dot is its first character) gets the number appended ("anim3").

#include <windows.h>

#include "ui/core/base/UIString.h"

namespace SkinUI {

CUIString FrameName(LPCWSTR picture, int frame);

}  // namespace SkinUI
