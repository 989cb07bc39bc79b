// The skin's shadow attributes, handed to the window's shadow.

#include "ui/core/manager/WindowShadowSettings.h"

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

namespace {

struct TShadowAttribute {
    LPCWSTR name;
    void (*apply)(CShadowUI& shadow, LPCWSTR value);
};

const TShadowAttribute kShadowAttributes[] = {
    {L"shadowsize", [](CShadowUI& s, LPCWSTR v) { s.SetSize(ParseAttrInt(v)); }},
    {L"shadowsharpness", [](CShadowUI& s, LPCWSTR v) { s.SetSharpness(ParseAttrInt(v)); }},
    {L"shadowdarkness", [](CShadowUI& s, LPCWSTR v) { s.SetDarkness(ParseAttrInt(v)); }},
    {L"shadowposition", [](CShadowUI& s, LPCWSTR v) {
         const POINT offset = ParseAttrPoint(v);
         s.SetPosition(offset.x, offset.y);
     }},
    {L"shadowcolor", [](CShadowUI& s, LPCWSTR v) { s.SetColor(ParseAttrColor(v)); }},
    {L"shadowcorner", [](CShadowUI& s, LPCWSTR v) { s.SetShadowCorner(ParseAttrRect(v)); }},
    {L"shadowimage", [](CShadowUI& s, LPCWSTR v) { s.SetImage(v); }},
    {L"showshadow", [](CShadowUI& s, LPCWSTR v) { s.ShowShadow(ParseAttrBool(v)); }},
};

}  // namespace

bool ApplyShadowAttribute(CWindowManagerUI& manager, LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return false;
    for (const TShadowAttribute& attribute : kShadowAttributes) {
        if (wcscmp(attribute.name, name) != 0) continue;
        if (CShadowUI* shadow = manager.WindowShadow()) attribute.apply(*shadow, value);
        return true;
    }
    return false;
}

void ShowWindowShadow(CWindowManagerUI& manager, bool show) {
    if (CShadowUI* shadow = manager.WindowShadow()) shadow->ShowShadow(show);
}

}  // namespace SkinUI
