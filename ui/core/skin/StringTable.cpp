#include "ui/core/skin/StringTable.h"

#include <algorithm>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/skin/WindowResources.h"

namespace SkinUI {

namespace {

// One field of the locale of a language ("en", "GB"); empty when the system does not know it.
std::wstring LocaleField(LANGID language, LCTYPE field) {
    wchar_t text[16] = {};
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    if (GetLocaleInfoW(locale, field, text, static_cast<int>(sizeof text / sizeof text[0])) <= 0) return {};
    return text;
}

// UI thread only, like the text table it describes.
std::wstring& LastLoadedTag() {
    static std::wstring tag;
    return tag;
}

void AddTagOnce(std::vector<std::wstring>& tags, const std::wstring& tag) {
    if (!tag.empty() && std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(tag);
}

}  // namespace

std::vector<std::wstring> LanguageTagsFor(LANGID language, const std::wstring& fallbackTag) {
    std::vector<std::wstring> tags;
    const std::wstring name = LocaleField(language, LOCALE_SISO639LANGNAME);
    if (!name.empty()) {
        const std::wstring region = LocaleField(language, LOCALE_SISO3166CTRYNAME);
        if (!region.empty()) AddTagOnce(tags, name + L"-" + region);
        AddTagOnce(tags, name);
    }
    AddTagOnce(tags, fallbackTag);
    return tags;
}

bool AddTextFromElement(CSkinXmlNode& node) {
    LPCWSTR idText = node.AttributeValueNoCase(L"id");
    LPCWSTR value = node.AttributeValueNoCase(L"value");
    const int id = idText != nullptr ? ParseAttrInt(idText) : -1;
    if (id < 0 || value == nullptr) return false;
    CWindowResourcesUI::AddTextById(id, value);
    return true;
}

bool LoadStringTableFile(const std::wstring& fileName) {
    CSkinXml table;
    if (!LoadSkinMarkupFile(table, fileName.c_str())) return false;
    CSkinXmlNode root = table.Root();
    if (!root.IsValid()) return false;
    for (CSkinXmlNode node = root.FirstChild(); node.IsValid(); node = node.NextSibling())
        if (_wcsicmp(node.Name(), L"MultiLanguage") == 0) AddTextFromElement(node);
    return true;
}

std::wstring LoadUserStringTable(const std::wstring& name, const std::wstring& fallbackTag) {
    for (const std::wstring& tag : LanguageTagsFor(GetUserDefaultUILanguage(), fallbackTag))
        if (LoadStringTableFile(name + L"." + tag + L".xml")) return LastLoadedTag() = tag;
    return {};
}

std::wstring LoadedLanguageTag() { return LastLoadedTag(); }

}  // namespace SkinUI
