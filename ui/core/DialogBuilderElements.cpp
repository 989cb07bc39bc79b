// The framework's element vocabulary: which control class each markup element creates. One
// table; a control family adds its rows here when its classes exist.

#include <cwchar>
#include <new>

#include "ui/controls/AnimationOptionUI.h"
#include "ui/controls/ButtonSwitchExUI.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/CheckBoxUI.h"
#include "ui/controls/ChildLayoutUI.h"
#include "ui/controls/ContainerUI.h"
#include "ui/controls/ControlUI.h"
#include "ui/controls/CustomButtonUI.h"
#include "ui/controls/GifAnimUI.h"
#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/LabelUIEx.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressExUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/RotateAnimateUI.h"
#include "ui/controls/ScrollBarUI.h"
#include "ui/controls/SequencePictureUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/controls/TabLayoutUI.h"
#include "ui/controls/TextUI.h"
#include "ui/controls/TileLayoutUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/DialogBuilder.h"

namespace SkinUI {

namespace {

template <class T>
CControlUI* New() {
    return new (std::nothrow) T;
}

struct TElementClass {
    LPCWSTR name;
    bool exactCase;  // the name must be written exactly as here
    CControlUI* (*create)();
};

const TElementClass kElementClasses[] = {
    {L"Control", false, &New<CControlUI>},
    {L"Container", false, &New<CContainerUI>},
    {L"VerticalLayout", false, &New<CVerticalLayoutUI>},
    {L"HorizontalLayout", false, &New<CHorizontalLayoutUI>},
    {L"TileLayout", false, &New<CTileLayoutUI>},
    {L"TabLayout", false, &New<CTabLayoutUI>},
    {L"ChildLayout", false, &New<CChildLayoutUI>},
    {L"ScrollBar", false, &New<CScrollBarUI>},
    {L"Label", false, &New<CLabelUI>},
    {L"LabelEx", true, &New<CLabelUIEx>},
    {L"Text", false, &New<CTextUI>},
    {L"Button", false, &New<CButtonUI>},
    {L"CustonButton", false, &New<CCustomButtonUI>},
    {L"Option", false, &New<COptionUI>},
    {L"CheckBox", false, &New<CCheckBoxUI>},
    {L"ButtonSwitchEx", false, &New<CButtonSwitchExUI>},
    {L"AnimationOption", false, &New<CAnimationOptionUI>},
    {L"Progress", false, &New<CProgressUI>},
    {L"ProgressEx", false, &New<CProgressExUI>},
    {L"Slider", false, &New<CSliderUI>},
    {L"SequencePic", false, &New<CSequencePictureUI>},
    {L"RotateAnimateUI", false, &New<CRotateAnimateUI>},
    {L"GifAnim", true, &New<CGifAnimUI>},
};

}  // namespace

CControlUI* CreateVocabularyControl(LPCWSTR elementName) {
    if (elementName == nullptr) return nullptr;
    for (const TElementClass& element : kElementClasses) {
        const bool same = element.exactCase ? wcscmp(element.name, elementName) == 0
                                            : _wcsicmp(element.name, elementName) == 0;
        if (same) return element.create();
    }
    return nullptr;
}

}  // namespace SkinUI
