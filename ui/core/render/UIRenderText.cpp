// Render engine, plain text: one text run through GDI or, anti-aliased, through GDI+. Formatted
// text with its tag language is in UIFormattedText.cpp.

#include "ui/core/render/UIRender.h"

// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <objidl.h>
#include <gdiplus.h>

#include "support/GdiHandles.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/skin/WindowResources.h"

namespace SkinUI {

namespace {

// ---- Plain text -------------------------------------------------------------------------------

void DrawTextGdi(HDC hDC, CWindowResourcesUI& resources, RECT& rc, const CUIString& text, DWORD argb,
                 int fontId, UINT style) {
    const bxutil::CSavedDC saved(hDC);
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ArgbToColorRef(argb));
    ::SelectObject(hDC, resources.GetFont(fontId));
    ::DrawTextW(hDC, text, -1, &rc, style | DT_NOPREFIX);
}

void ApplyFormatFlags(Gdiplus::StringFormat& format, UINT style) {
    if (style & DT_END_ELLIPSIS) format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    INT flags = format.GetFormatFlags();
    if (style & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
    if (style & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
    format.SetFormatFlags(flags);
    format.SetAlignment((style & DT_CENTER)  ? Gdiplus::StringAlignmentCenter
                        : (style & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                             : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment((style & DT_VCENTER)  ? Gdiplus::StringAlignmentCenter
                            : (style & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                                  : Gdiplus::StringAlignmentNear);
}

void DrawTextGdiplus(HDC hDC, CWindowResourcesUI& resources, RECT& rc, const CUIString& text,
                     DWORD argb, int fontId, UINT style, BYTE alpha) {
    Gdiplus::Graphics graphics(hDC);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintSystemDefault);
    Gdiplus::Font font(hDC, resources.GetFont(fontId));
    if (font.GetLastStatus() != Gdiplus::Ok) return;
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    ApplyFormatFlags(format, style);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rc.left),
                                static_cast<Gdiplus::REAL>(rc.top),
                                static_cast<Gdiplus::REAL>(RectWidth(rc)),
                                static_cast<Gdiplus::REAL>(RectHeight(rc)));
    if (style & DT_CALCRECT) {
        Gdiplus::RectF bounds;
        if (graphics.MeasureString(text, -1, &font, layout, &format, &bounds) != Gdiplus::Ok) {
            return;
        }
        rc.right = rc.left + static_cast<LONG>(bounds.Width + 1);
        rc.bottom = rc.top + static_cast<LONG>(bounds.Height + 1);
        return;
    }
    Gdiplus::SolidBrush brush(Gdiplus::Color(ArgbWithAlpha(argb, alpha)));
    graphics.DrawString(text, -1, &font, layout, &format, &brush);
}

}  // namespace

void CUIRender::DrawText(HDC hDC, CWindowResourcesUI* resources, RECT& rc, LPCWSTR text, DWORD argb,
                         int fontId, UINT style, bool gdiplus, BYTE alpha) {
    if (hDC == nullptr || resources == nullptr || text == nullptr || *text == L'\0') return;
    CUIString expanded(text);
    CWindowResourcesUI::ExpandTextTokens(expanded);
    if (!gdiplus) {
        DrawTextGdi(hDC, *resources, rc, expanded, argb, fontId, style);
    } else if (StartGdiplusOnce()) {
        DrawTextGdiplus(hDC, *resources, rc, expanded, argb, fontId, style, alpha);
    }
}

}  // namespace SkinUI
