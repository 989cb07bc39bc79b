// Image descriptions: reading the key='value' syntax into a TImageSpec.

#include "ui/core/render/ImageSpec.h"

#include "ui/core/base/UIAttribute.h"

namespace SkinUI {

namespace {

BYTE ClampToByte(int value) {
    if (value < 0) return 0;
    if (value > 255) return 255;
    return static_cast<BYTE>(value);
}

// Applies one pair; keys are case-sensitive and unknown keys are ignored.
void ApplyPair(const CUIString& key, const CUIString& value, TImageSpec& spec,
               TImageSource& source) {
    if (ApplyPictureSourcePair(key, value, source)) return;
    if (key == L"dest") {
        spec.dest = ParseAttrRect(value);
    } else if (key == L"source") {
        spec.source = ParseAttrRect(value);
    } else if (key == L"corner") {
        spec.corner = ParseAttrRect(value);
    } else if (key == L"mask") {
        source.mask = ParseAttrHex(value);
    } else if (key == L"fade") {
        spec.fade = ClampToByte(ParseAttrInt(value));
    } else if (key == L"hole") {
        spec.hole = ParseAttrBool(value);
    } else if (key == L"xtiled") {
        spec.xtiled = ParseAttrBool(value);
    } else if (key == L"ytiled") {
        spec.ytiled = ParseAttrBool(value);
    }
    // "hsl" is accepted for compatibility with older skins; pictures are never adjusted.
}

}  // namespace

bool ApplyPictureSourcePair(const CUIString& key, const CUIString& value, TImageSource& source) {
    if (key == L"file" || key == L"res") {
        source.name = value;
        source.fromResource = key == L"res";
    } else if (key == L"restype") {
        source.resourceType = value;
    } else {
        return false;
    }
    return true;
}

void TImageSpec::Reset() { *this = TImageSpec(); }

void TImageSpec::Reset(LPCWSTR text) {
    Reset();
    description = text;
}

bool ReadDescriptionPair(LPCWSTR text, CUIString& key, CUIString& value, LPCWSTR* next) {
    if (text == nullptr) return false;
    LPCWSTR p = SkipBlanks(text);
    LPCWSTR keyStart = p;
    while (*p != L'\0' && *p != L'=' && !IsBlank(*p)) ++p;
    LPCWSTR keyEnd = p;
    p = SkipBlanks(p);
    if (*p != L'=') return false;
    p = SkipBlanks(p + 1);
    if (*p != L'\'') return false;
    LPCWSTR valueStart = ++p;
    while (*p != L'\0' && *p != L'\'') ++p;
    if (*p != L'\'') return false;  // unterminated value
    key.Assign(keyStart, static_cast<int>(keyEnd - keyStart));
    value.Assign(valueStart, static_cast<int>(p - valueStart));
    if (next != nullptr) *next = p + 1;
    return true;
}

void ParseImageDescription(LPCWSTR text, TImageSpec& spec, TImageSource& source) {
    if (text == nullptr) text = L"";
    bool named = false;
    CUIString key;
    CUIString value;
    LPCWSTR p = text;
    while (ReadDescriptionPair(p, key, value, &p)) {
        if (!value.IsEmpty()) {
            ApplyPair(key, value, spec, source);
            named = named || key == L"file" || key == L"res";
        }
        // Pairs are separated by blanks; anything glued to a closing quote ends the list.
        if (!IsBlank(*p)) break;
        ++p;
    }
    if (!named) {
        source.name = text;
        source.fromResource = false;
    }
}

}  // namespace SkinUI
