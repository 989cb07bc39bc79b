// The skin's shadow attributes, handed to the window's shadow.

#include "ui/core/manager/WindowShadowSettings.h"

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

namespace {

// The shadow's setters take the window's device pixels: the lengths arrive scaled. Nothing
// happens while the manager has no shadow.
using M = CWindowManagerUI;
const TWindowAttribute kShadowAttributes[] = {
    {L"shadowsize", true,
     [](M& m, LPCWSTR v) { if (CShadowUI* s = m.WindowShadow()) s->SetSize(ParseAttrInt(v)); },
     EScaledAttr::Number},
    {L"shadowsharpness", true,
     [](M& m, LPCWSTR v) { if (CShadowUI* s = m.WindowShadow()) s->SetSharpness(ParseAttrInt(v)); },
     EScaledAttr::Number},
    {L"shadowdarkness", true,
     [](M& m, LPCWSTR v) { if (CShadowUI* s = m.WindowShadow()) s->SetDarkness(ParseAttrInt(v)); },
     EScaledAttr::None},
    {L"shadowposition", true,
     [](M& m, LPCWSTR v) {
         const POINT offset = ParseAttrPoint(v);
         if (CShadowUI* s = m.WindowShadow()) s->SetPosition(offset.x, offset.y);
     },
     EScaledAttr::Size},
    {L"shadowcolor", true,
     [](M& m, LPCWSTR v) { if (CShadowUI* s = m.WindowShadow()) s->SetColor(ParseAttrColor(v)); },
     EScaledAttr::None},
    {L"shadowcorner", true,
     [](M& m, LPCWSTR v) {
         if (CShadowUI* s = m.WindowShadow()) s->SetShadowCorner(ParseAttrRect(v));
     },
     EScaledAttr::Rect},
    {L"shadowimage", true,
     [](M& m, LPCWSTR v) { if (CShadowUI* s = m.WindowShadow()) s->SetImage(v); },
     EScaledAttr::None},
    {L"showshadow", true,
     [](M& m, LPCWSTR v) { if (CShadowUI* s = m.WindowShadow()) s->ShowShadow(ParseAttrBool(v)); },
     EScaledAttr::None},
};

}  // namespace

const TWindowAttribute* FindShadowAttribute(LPCWSTR name) {
    if (name == nullptr) return nullptr;
    for (const TWindowAttribute& attribute : kShadowAttributes)
        if (wcscmp(attribute.name, name) == 0) return &attribute;
    return nullptr;
}

void ShowWindowShadow(CWindowManagerUI& manager, bool show) {
    if (CShadowUI* shadow = manager.WindowShadow()) shadow->ShowShadow(show);
}

}  // namespace SkinUI
