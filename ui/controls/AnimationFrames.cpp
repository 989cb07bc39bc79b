// Frame picture names of the animated controls.

#include "ui/controls/AnimationFrames.h"

namespace SkinUI {

CUIString FrameName(LPCWSTR picture, int frame) {
    const CUIString name(picture);
    const int dot = name.ReverseFind(L'.');
    CUIString result;
    if (dot > 0)
        result.Format(L"%s%d%s", name.Left(dot).GetData(), frame, name.Mid(dot).GetData());
    else
        result.Format(L"%s%d", name.GetData(), frame);
    return result;
}

}  // namespace SkinUI
