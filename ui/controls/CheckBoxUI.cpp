// CCheckBoxUI: an option with the check box's names.

#include "ui/controls/CheckBoxUI.h"

#include "ui/core/manager/ControlFactory.h"

#include <cwchar>

namespace SkinUI {

LPCWSTR CCheckBoxUI::ClassName() const { return L"CheckBoxUI"; }

LPVOID CCheckBoxUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"CheckBox") == 0) return this;
    return COptionUI::InterfaceByName(name);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"CheckBox", &CreateControlOf<CCheckBoxUI>);
}  // namespace

}  // namespace SkinUI
