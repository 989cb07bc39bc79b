// CButtonUI: state tracking from mouse and keyboard events, "click", state images and colours,
// and the ellipse picture mode.

#include "ui/controls/ButtonUI.h"

// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <oleacc.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "support/UniqueHandle.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/render/UIRender.h"
#include "ui/core/skin/SkinImage.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return wcscmp(name, expected) == 0; }

// The ellipse picture is scaled to its box; a box larger than this (hostile markup) is not
// drawn rather than allocated.
constexpr LONG kMaxEllipseSide = 4096;

// Reads the picture file at path (as given) and decodes it as the skin's pictures are decoded,
// so that a hostile file meets the same checks; null when it cannot be read or decoded.
std::unique_ptr<TImageData> LoadPictureFile(LPCWSTR path) {
    bxutil::CFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > kMaxPictureBytes) {
        return nullptr;
    }
    std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size()) {
        return nullptr;
    }
    return DecodeSkinImage(bytes.data(), bytes.size());
}

}  // namespace

CButtonUI::CButtonUI() {
    UseAttributes(Attributes());
    m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

CButtonUI::~CButtonUI() = default;

LPCWSTR CButtonUI::ClassName() const { return L"ButtonUI"; }

LPVOID CButtonUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && Is(name, L"Button")) return this;
    return CLabelUI::InterfaceByName(name);
}

UINT CButtonUI::ControlFlags() const {
    return (IsEnabled() ? kControlFlagSetCursor : 0) |
           (IsKeyboardEnabled() ? kControlFlagTabStop : 0);
}

bool CButtonUI::CanActivate() {
    if (!CLabelUI::CanActivate()) return false;
    if (m_pManager != nullptr) m_pManager->SendNotification(this, L"click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) m_uButtonState = 0;
}

// ---- Events ---------------------------------------------------------------------------------

void CButtonUI::ProcessEvent(TControlEvent& event) {
    if (PassMouseEventOn(event)) return;
    const bool inside = RectContains(m_rcItem, event.ptMouse);
    switch (event.nKind) {
    case kEventSetFocus:
    case kEventKillFocus:
        InvalidateSelf();  // the label's handling records the focus
        break;
    case kEventKeyDown:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            CanActivate();
            return;
        }
        break;
    case kEventButtonDown:
    case kEventDblClick:
        if (inside && IsEnabled()) {
            m_uButtonState |= kStatePushed | kStateCaptured;
            InvalidateSelf();
        }
        return;
    case kEventMouseMove:
        if (m_uButtonState & kStateCaptured) {
            if (inside) m_uButtonState |= kStatePushed;
            else m_uButtonState &= ~kStatePushed;
            InvalidateSelf();
        }
        return;
    case kEventButtonUp:
        // Only a release that ends a press on this button activates it.
        if (m_uButtonState & kStateCaptured) {
            m_uButtonState &= ~(kStatePushed | kStateCaptured);
            InvalidateSelf();
            if (inside) CanActivate();
        }
        return;
    case kEventContextMenu:
        if (m_bMenuUsed && m_pManager != nullptr)
            m_pManager->SendNotification(this, L"menu", event.wParam, event.lParam);
        return;
    case kEventMouseEnter:
    case kEventMouseLeave:
        FollowHover(m_uButtonState, event.nKind);
        break;
    case kEventSetCursor:
        SetCursorShape(IDC_HAND);
        return;
    default:
        break;
    }
    CLabelUI::ProcessEvent(event);
}

// ---- Attributes -----------------------------------------------------------------------------

const CAttributeTable<CButtonUI>& CButtonUI::Attributes() {
    using C = CButtonUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetNormalImage>(L"normalimage"),
        AttrText::Row<&C::SetHotImage>(L"hotimage"),
        AttrText::Row<&C::SetPushedImage>(L"pushedimage"),
        AttrText::Row<&C::SetFocusedImage>(L"focusedimage"),
        AttrText::Row<&C::SetDisabledImage>(L"disabledimage"),
        AttrText::Row<&C::SetHotForeImage>(L"hotforeimage"),
        // The label family's image slot: loaded at the next paint, not at once.
        {L"foreimage", [](C& c, LPCWSTR v) { c.SetImageDescription(c.m_foreImage, v); }, nullptr},
        AttrColor::Row<&C::SetHotBkColor>(L"hotbkcolor"),
        AttrColor::Row<&C::SetHotTextColor>(L"hottextcolor"),
        AttrColor::Row<&C::SetPushedTextColor>(L"pushedtextcolor"),
        AttrColor::Row<&C::SetFocusedTextColor>(L"focusedtextcolor"),
        // The angle is written in hexadecimal: "5A" is 90 degrees.
        {L"Angle", [](C& c, LPCWSTR v) { c.SetImageAngle(static_cast<int>(ParseAttrHex(v))); },
         nullptr},
        AttrBool::Row<&C::SetEllipse>(L"Ellipse"),
        AttrText::Row<&C::SetEllipseImage>(L"Ellipseimage"),
        AttrLengthRect::Row<&C::SetEllipsePadding>(L"Ellipsepadding"),
        AttrLengthRect::Row<&C::SetTranslatePadding>(L"Translatepadding"),
    };
    static const CAttributeTable<C> table(rows, &CLabelUI::Attributes());
    return table;
}

void CButtonUI::SetNormalImage(LPCWSTR description) { SetImageDescription(m_normalImage, description); }
void CButtonUI::SetHotImage(LPCWSTR description) { SetImageDescription(m_hotImage, description); }
void CButtonUI::SetHotForeImage(LPCWSTR description) {
    SetImageDescription(m_hotForeImage, description);
}
void CButtonUI::SetPushedImage(LPCWSTR description) { SetImageDescription(m_pushedImage, description); }
void CButtonUI::SetFocusedImage(LPCWSTR description) {
    SetImageDescription(m_focusedImage, description);
}
void CButtonUI::SetDisabledImage(LPCWSTR description) {
    SetImageDescription(m_disabledImage, description);
}
void CButtonUI::SetEllipseImage(LPCWSTR path) { SetImageDescription(m_ellipseImage, path); }

void CButtonUI::SetEllipsePadding(const RECT& padding) {
    m_rcEllipsePadding = ClampRectCoordinates(padding);
}

void CButtonUI::SetTranslatePadding(const RECT& padding) {
    m_rcTranslatePadding = ClampRectCoordinates(padding);
}

void CButtonUI::SetImageAngle(int degrees) {
    m_nImageAngle = degrees;
    InvalidateSelf();
}

// ---- Size -----------------------------------------------------------------------------------

SIZE CButtonUI::DesiredSize(SIZE /*available*/) {
    return m_bAutoCalcWidth ? LabelDesiredSize(true, 4) : LabelDesiredSize(false, 8);
}

// ---- Painting -------------------------------------------------------------------------------

void CButtonUI::RefreshStateBits() {
    const auto follow = [this](UINT bit, bool on) {
        if (on) m_uButtonState |= bit;
        else m_uButtonState &= ~bit;
    };
    follow(kStateFocused, IsFocused());
    follow(kStateDisabled, !IsEnabled());
    follow(kStateEllipse, m_bEllipse);
}

void CButtonUI::DrawStateOrNormal(HDC hDC, TImageSpec& spec) {
    if (!DrawImage(hDC, spec, m_nImageAngle)) DrawImage(hDC, m_normalImage, m_nImageAngle);
}

void CButtonUI::PaintStateImage(HDC hDC) {
    RefreshStateBits();
    if (m_uButtonState & kStateEllipse) {
        PaintEllipse(hDC);
        return;
    }
    if (m_uButtonState & kStateDisabled) {
        DrawStateOrNormal(hDC, m_disabledImage);
    } else if (m_uButtonState & kStatePushed) {
        DrawStateOrNormal(hDC, m_pushedImage);
        if (DrawImage(hDC, m_pushedForeImage, m_nImageAngle)) return;
    } else if (m_uButtonState & kStateHot) {
        DrawStateOrNormal(hDC, m_hotImage);
        if (m_dwHotBkColor != 0) CUIRender::DrawColor(hDC, m_rcPaint, AdjustedColor(m_dwHotBkColor));
        if (DrawImage(hDC, m_hotForeImage, m_nImageAngle)) return;
    } else if (m_uButtonState & kStateFocused) {
        DrawStateOrNormal(hDC, m_focusedImage);
    } else {
        DrawImage(hDC, m_normalImage, m_nImageAngle);
    }
    DrawImage(hDC, m_foreImage, m_nImageAngle);
}

void CButtonUI::PaintEllipse(HDC hDC) {
    // In ellipse mode the picture replaces the state images and the background image.
    m_normalImage.Reset();
    m_hotImage.Reset();
    m_backImage.Reset();
    const LONG width = m_rcEllipsePadding.right - m_rcEllipsePadding.left;
    const LONG height = m_rcEllipsePadding.bottom - m_rcEllipsePadding.top;
    if (hDC == nullptr || m_ellipseImage.description.IsEmpty() || width <= 0 || height <= 0 ||
        width > kMaxEllipseSide || height > kMaxEllipseSide) {
        return;
    }
    // The file is read on every paint, so a changed picture shows at once.
    const std::unique_ptr<TImageData> image = LoadPictureFile(m_ellipseImage.description);
    if (!image) return;
    // GDI+ works on the decoded pixels in place (premultiplied BGRA, rows top to bottom).
    Gdiplus::Bitmap picture(image->nWidth, image->nHeight, image->nWidth * 4,
                            PixelFormat32bppPARGB, image->pBits);
    if (picture.GetLastStatus() != Gdiplus::Ok) return;
    std::unique_ptr<Gdiplus::Image> thumbnail(picture.GetThumbnailImage(
        static_cast<UINT>(width), static_cast<UINT>(height), nullptr, nullptr));
    if (!thumbnail || thumbnail->GetLastStatus() != Gdiplus::Ok) return;
    Gdiplus::TextureBrush brush(thumbnail.get());
    if (brush.GetLastStatus() != Gdiplus::Ok) return;
    brush.TranslateTransform(static_cast<Gdiplus::REAL>(m_rcTranslatePadding.left),
                             static_cast<Gdiplus::REAL>(m_rcTranslatePadding.top));
    Gdiplus::Graphics graphics(hDC);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.FillEllipse(&brush, static_cast<INT>(m_rcItem.left + m_rcEllipsePadding.left),
                         static_cast<INT>(m_rcItem.top + m_rcEllipsePadding.top),
                         static_cast<INT>(width), static_cast<INT>(height));
}

void CButtonUI::StateTextColorAndFont(DWORD& color, int& fontId) const {
    color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    fontId = m_iFont;
    if ((m_uButtonState & kStatePushed) && m_dwPushedTextColor != 0) {
        color = m_dwPushedTextColor;
    } else if ((m_uButtonState & kStateHot) && m_dwHotTextColor != 0) {
        color = m_dwHotTextColor;
        if (m_iHoverFont >= 0) fontId = m_iHoverFont;
    } else if ((m_uButtonState & kStateFocused) && m_dwFocusedTextColor != 0) {
        color = m_dwFocusedTextColor;
    }
}

void CButtonUI::PaintTextContent(HDC hDC) {
    RefreshStateBits();
    ApplyDefaultTextColors();
    if (m_strText.IsEmpty()) return;
    DWORD color = 0;
    int fontId = -1;
    StateTextColorAndFont(color, fontId);
    DrawLabelText(hDC, TextRect(), color, fontId);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Button", &CreateControlOf<CButtonUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CButtonUI::AccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }
CUIString CButtonUI::AccessibleDefaultAction() const { return L"Press"; }

}  // namespace SkinUI
