// CCheckBoxUI: an option with the check box's names.

#include "ui/controls/CheckBoxUI.h"

#include <cwchar>

namespace SkinUI {

LPCWSTR CCheckBoxUI::ClassName() const { return L"CheckBoxUI"; }

LPVOID CCheckBoxUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"CheckBox") == 0) return this;
    return COptionUI::InterfaceByName(name);
}

}  // namespace SkinUI
