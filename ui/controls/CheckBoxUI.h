#pragma once
// CCheckBoxUI: an option under the names of a check box ("CheckBoxUI", "CheckBox"). Without a
// group it toggles on each click; its selected images show the checked state.

#include <windows.h>

#include "ui/controls/OptionUI.h"

namespace SkinUI {

class CCheckBoxUI : public COptionUI {
public:
    CCheckBoxUI() = default;

    LPCWSTR ClassName() const override;             // "CheckBoxUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "CheckBox"

    bool IsChecked() const { return IsSelected(); }
    void SetCheck(bool checked, bool notify = true) { Select(checked, notify); }
};

}  // namespace SkinUI
