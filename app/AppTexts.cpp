#include "app/AppTexts.h"

#include "ui/core/manager/WindowManager.h"

std::wstring AppText(EAppText id) {
    const wchar_t* text = SkinUI::CWindowManagerUI::TextById(static_cast<int>(id));
    return text != nullptr ? text : L"";
}

std::wstring FillTextField(std::wstring text, const std::wstring& name, const std::wstring& value) {
    const std::wstring field = L"{" + name + L"}";
    for (size_t at = text.find(field); at != std::wstring::npos; at = text.find(field, at + value.size()))
        text.replace(at, field.size(), value);
    return text;
}
