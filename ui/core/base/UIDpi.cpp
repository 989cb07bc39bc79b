// Screen density: scaling of skin lengths and the names of picture variants.

#include "ui/core/base/UIDpi.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "ui/core/base/UIAttribute.h"

namespace SkinUI {

int ClampDpi(int dpi) { return std::clamp(dpi, kMinDpi, kMaxDpi); }

int ScaleByDpi(int value, int dpi) {
    dpi = ClampDpi(dpi);
    if (dpi == kBaseDpi) return value;
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kBaseDpi / 2;
    const long long scaled = product >= 0 ? (product + half) / kBaseDpi : (product - half) / kBaseDpi;
    return static_cast<int>(std::clamp<long long>(scaled, INT_MIN, INT_MAX));
}

namespace {

CUIString FormatScaledList(const int* values, int count, int dpi) {
    CUIString text;
    for (int i = 0; i < count; ++i) {
        CUIString number;
        number.Format(i == 0 ? L"%d" : L",%d", ScaleByDpi(values[i], dpi));
        text.Append(number);
    }
    return text;
}

}  // namespace

CUIString ScaleAttrValue(EScaledAttr kind, LPCWSTR text, int dpi) {
    if (kind == EScaledAttr::None || ClampDpi(dpi) == kBaseDpi) return CUIString(text);
    if (kind == EScaledAttr::NumberOrRect)
        kind = text != nullptr && wcschr(text, L',') != nullptr ? EScaledAttr::Rect
                                                                 : EScaledAttr::Number;
    if (kind == EScaledAttr::FirstNumber) {
        LPCWSTR rest = nullptr;
        const int value = ParseAttrInt(text, &rest);
        CUIString scaled = FormatScaledList(&value, 1, dpi);
        if (rest != nullptr) scaled.Append(rest);
        return scaled;
    }
    int values[4] = {};
    switch (kind) {
        case EScaledAttr::Number: values[0] = ParseAttrInt(text); return FormatScaledList(values, 1, dpi);
        case EScaledAttr::Size: ParseAttrIntList(text, values, 2); return FormatScaledList(values, 2, dpi);
        default: ParseAttrIntList(text, values, 4); return FormatScaledList(values, 4, dpi);
    }
}

void CLogicalAttributes::Remember(LPCWSTR name, LPCWSTR value) {
    for (TEntry& entry : m_entries) {
        if (entry.name == name) {
            entry.value = value;
            return;
        }
    }
    m_entries.push_back(TEntry{CUIString(name), CUIString(value)});
}

CUIString ImageVariantName(LPCWSTR name, int variantDpi) {
    const CUIString whole(name);
    LPCWSTR text = whole.GetData();
    LPCWSTR element = text;
    for (LPCWSTR p = text; *p != L'\0'; ++p)
        if (*p == L'\\' || *p == L'/') element = p + 1;
    LPCWSTR dot = wcsrchr(element, L'.');
    const int stem = static_cast<int>((dot != nullptr ? dot : text + whole.GetLength()) - text);
    CUIString variant(text, stem);
    variant.Append(variantDpi == 144 ? L"@1.5x" : L"@2x");
    variant.Append(text + stem);
    return variant;
}

}  // namespace SkinUI
