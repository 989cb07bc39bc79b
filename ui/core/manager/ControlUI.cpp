// The control base: identity, geometry, state, decoration, painting and the default event
// handling every control inherits (its attributes are in ControlAttributes.cpp, its colour
// adjustment in ControlHsl.cpp).

#include "ui/core/manager/ControlUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

// The smallest rectangle covering both, by plain minimum and maximum of the edges.
RECT JoinRects(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool Is(LPCWSTR name, LPCWSTR expected) { return wcscmp(name, expected) == 0; }

}  // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (!m_destroyListeners.IsEmpty()) m_destroyListeners.Invoke(this);
    if (m_pManager != nullptr) m_pManager->ForgetControl(this);
}

// ---- Identity -------------------------------------------------------------------------------

CUIString CControlUI::Name() const { return m_strName; }
void CControlUI::SetName(LPCWSTR name) { m_strName = name; }
LPCWSTR CControlUI::ClassName() const { return L"ControlUI"; }

LPVOID CControlUI::InterfaceByName(LPCWSTR name) {
    return name != nullptr && Is(name, L"Control") ? this : nullptr;
}

UINT CControlUI::ControlFlags() const { return 0; }
bool CControlUI::CanActivate() { return IsVisible() && IsEnabled(); }
CWindowManagerUI* CControlUI::Manager() const { return m_pManager; }

void CControlUI::AttachTo(CWindowManagerUI* manager, CContainerUI* parent, bool initialize) {
    m_pManager = manager;
    m_pParent = parent;
    if (initialize && m_pParent != nullptr) Initialize();
}

CContainerUI* CControlUI::Parent() const { return m_pParent; }
CUIString CControlUI::Text() const { return m_strText; }

void CControlUI::SetText(LPCWSTR text) {
    if (m_strText == text) return;
    m_strText = text;
    InvalidateSelf();
}

// ---- Geometry -------------------------------------------------------------------------------

RECT CControlUI::Rect() const { return m_rcItem; }

RECT CControlUI::RelativeRect() const {
    if (m_pParent == nullptr) return RECT{0, 0, 0, 0};
    const RECT parent = m_pParent->Rect();
    return RectOffset(m_rcItem, -parent.left, -parent.top);
}

void CControlUI::Place(const RECT& rect, bool invalidate) {
    RECT rc = ClampRectCoordinates(rect);
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;

    RECT region = RectIsEmpty(m_rcItem) ? rc : m_rcItem;
    if (!m_bFloat) {
        m_rcItem = rc;
    } else if (m_pParent != nullptr) {
        // rc is relative to the parent; the position is written back so that a later layout of
        // the parent reproduces it.
        const RECT parent = m_pParent->Rect();
        const LONG width = RectWidth(parent);
        const LONG height = RectHeight(parent);
        m_rcItem = ClampRectCoordinates(RectOffset(rc, parent.left, parent.top));
        m_cXY.cx = rc.left - PercentOf(m_floatPercent.left, width);
        m_cXY.cy = rc.top - PercentOf(m_floatPercent.top, height);
        m_cxyFixed.cx = rc.right - m_cXY.cx - PercentOf(m_floatPercent.right, width);
        m_cxyFixed.cy = rc.bottom - m_cXY.cy - PercentOf(m_floatPercent.bottom, height);
    }
    if (m_pManager == nullptr) return;

    if (!m_bSetPos) {
        m_bSetPos = true;
        if (!m_sizeListeners.IsEmpty()) m_sizeListeners.Invoke(this);
        m_bSetPos = false;
    }
    m_bUpdateNeeded = false;

    if (invalidate && IsVisible()) InvalidateThroughAncestors(JoinRects(region, m_rcItem));
}

void CControlUI::MoveBy(SIZE offset, bool invalidate) {
    const RECT old = m_rcItem;
    m_rcItem = RECT{ClampCoordinate(static_cast<long long>(old.left) + offset.cx),
                    ClampCoordinate(static_cast<long long>(old.top) + offset.cy),
                    ClampCoordinate(static_cast<long long>(old.right) + offset.cx),
                    ClampCoordinate(static_cast<long long>(old.bottom) + offset.cy)};
    if (invalidate && m_pManager != nullptr && IsVisible())
        InvalidateThroughAncestors(JoinRects(old, m_rcItem));
}

int CControlUI::Width() const { return RectWidth(m_rcItem); }
int CControlUI::Height() const { return RectHeight(m_rcItem); }
int CControlUI::X() const { return m_rcItem.left; }
int CControlUI::Y() const { return m_rcItem.top; }
RECT CControlUI::Padding() const { return m_rcPadding; }

void CControlUI::SetPadding(const RECT& padding) {
    m_rcPadding = ClampRectCoordinates(padding);
    MarkParentForLayout();
}

SIZE CControlUI::FixedXY() const { return m_cXY; }

void CControlUI::SetFixedXY(SIZE xy) {
    m_cXY = SIZE{ClampCoordinate(xy.cx), ClampCoordinate(xy.cy)};
    MarkLayoutChanged();
}

int CControlUI::FixedWidth() const { return m_cxyFixed.cx; }

void CControlUI::SetFixedWidth(int width) {
    if (width < 0) return;
    m_cxyFixed.cx = ClampCoordinate(width);
    MarkLayoutChanged();
}

int CControlUI::FixedHeight() const { return m_cxyFixed.cy; }

void CControlUI::SetFixedHeight(int height) {
    if (height < 0) return;
    m_cxyFixed.cy = ClampCoordinate(height);
    MarkLayoutChanged();
}

// The minimum and maximum setters ignore negative and unchanged values.
void CControlUI::SetSizeLimit(LONG& field, int value) {
    if (value < 0 || field == ClampCoordinate(value)) return;
    field = ClampCoordinate(value);
    MarkLayoutChanged();
}

int CControlUI::MinWidth() const { return m_cxyMin.cx; }
void CControlUI::SetMinWidth(int width) { SetSizeLimit(m_cxyMin.cx, width); }
int CControlUI::MaxWidth() const { return m_cxyMax.cx; }
void CControlUI::SetMaxWidth(int width) { SetSizeLimit(m_cxyMax.cx, width); }
int CControlUI::MinHeight() const { return m_cxyMin.cy; }
void CControlUI::SetMinHeight(int height) { SetSizeLimit(m_cxyMin.cy, height); }
int CControlUI::MaxHeight() const { return m_cxyMax.cy; }
void CControlUI::SetMaxHeight(int height) { SetSizeLimit(m_cxyMax.cy, height); }

TFloatPercent CControlUI::FloatPercent() const { return m_floatPercent; }

void CControlUI::SetFloatPercent(const TFloatPercent& percent) {
    m_floatPercent = percent;
    MarkParentForLayout();
}

// ---- Plain properties -----------------------------------------------------------------------

CUIString CControlUI::ToolTip() const { return m_strToolTip; }

void CControlUI::SetToolTip(LPCWSTR text) {
    m_strToolTip = text;
    m_strToolTip.Replace(L"<n>", L"\r\n");
}

void CControlUI::SetToolTipWidth(int width) { m_nToolTipWidth = width; }
int CControlUI::ToolTipWidth() const { return m_nToolTipWidth; }
wchar_t CControlUI::Shortcut() const { return m_chShortcut; }
void CControlUI::SetShortcut(wchar_t ch) { m_chShortcut = ch; }
bool CControlUI::IsMenuEnabled() const { return m_bMenuUsed; }
void CControlUI::SetMenuEnabled(bool enabled) { m_bMenuUsed = enabled; }
CUIString CControlUI::UserData() const { return m_strUserData; }
void CControlUI::SetUserData(LPCWSTR text) { m_strUserData = text; }
UINT_PTR CControlUI::Tag() const { return m_pTag; }
void CControlUI::SetTag(UINT_PTR tag) { m_pTag = tag; }

// ---- State ----------------------------------------------------------------------------------

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    const bool wasVisible = IsVisible();
    m_bVisible = visible;
    m_bFocused = false;
    if (!visible && m_pManager != nullptr && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) MarkParentForLayout();
}

void CControlUI::SetInheritedVisible(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager != nullptr && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool enabled) {
    if (m_bEnabled == enabled) return;
    m_bEnabled = enabled;
    InvalidateSelf();
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool enabled) { m_bMouseEnabled = enabled; }
bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool enabled) { m_bKeyboardEnabled = enabled; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::RequestFocus() {
    if (m_pManager != nullptr) m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_bFloat; }

void CControlUI::SetFloat(bool floating) {
    if (m_bFloat == floating) return;
    m_bFloat = floating;
    MarkParentForLayout();
}

// ---- Search, initialisation, events ---------------------------------------------------------

CControlUI* CControlUI::Find(FindControlProc visitor, LPVOID data, UINT flags) {
    if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
    if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
    if ((flags & kFindHitTest) != 0 &&
        (!IsMouseEnabled() || !RectContains(m_rcItem, *static_cast<const POINT*>(data))))
        return nullptr;
    if ((flags & kFindUpdateTest) != 0 && visitor(this, data) != nullptr) return nullptr;
    return visitor(this, data);
}

void CControlUI::Initialize() {
    OnInitialize();
    if (!m_initListeners.IsEmpty()) m_initListeners.Invoke(this);
}

void CControlUI::OnInitialize() {}

void CControlUI::HandleEvent(TControlEvent& event) {
    if (m_eventListeners.Invoke(&event)) ProcessEvent(event);
}

void CControlUI::NotifyEvent(LPCWSTR type, const TControlEvent& event) {
    if (m_pManager != nullptr)
        m_pManager->SendNotification(this, type, event.wParam, event.lParam);
}

void CControlUI::ProcessEvent(TControlEvent& event) {
    switch (event.nKind) {
    case kEventSetCursor:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    case kEventSetFocus:
    case kEventKillFocus:
        m_bFocused = event.nKind == kEventSetFocus;
        InvalidateSelf();
        return;
    case kEventMouseEnter:
    case kEventMouseLeave:
        NotifyEvent(event.nKind == kEventMouseEnter ? L"mouseenter" : L"mouseleave", event);
        // Only the control the pointer entered or left changed; its ancestors see the event
        // bubble past, and repainting them would repaint most of the window on every move.
        if (event.pSender == this) InvalidateSelf();
        break;
    case kEventTimer:
        NotifyEvent(L"timer", event);
        return;
    case kEventContextMenu:
        if (m_bMenuUsed) {
            NotifyEvent(L"menu", event);
            return;
        }
        break;
    default:
        break;
    }
    // Events bubble up the tree; the sender stays the control that received the event first.
    if (m_pParent != nullptr) m_pParent->ProcessEvent(event);
}

SIZE CControlUI::DesiredSize(SIZE /*available*/) { return m_cxyFixed; }

// ---- Painting -------------------------------------------------------------------------------

void CControlUI::Paint(HDC hDC, const RECT& dirty) {
    if (!RectIntersect(m_rcPaint, dirty, m_rcItem)) return;
    CPaintClip roundClip;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        CUIRender::ClipToRoundRect(hDC, m_rcPaint, m_rcItem, m_cxyBorderRound.cx,
                                   m_cxyBorderRound.cy, roundClip);
    PaintBackColor(hDC);
    PaintBackImage(hDC);
    PaintForeImage(hDC);
    PaintStateImage(hDC);
    PaintTextContent(hDC);
    PaintBorderLines(hDC);
}

void CControlUI::PaintBackColor(HDC hDC) {
    if (m_dwBackColor == 0) return;
    const DWORD first = AdjustedColor(m_dwBackColor);
    if (m_dwBackColor2 == 0) {
        CUIRender::DrawColor(hDC, ArgbAlpha(m_dwBackColor) == 0xFF ? m_rcPaint : m_rcItem, first);
        return;
    }
    const DWORD second = AdjustedColor(m_dwBackColor2);
    if (m_dwBackColor3 == 0) {
        CUIRender::DrawGradient(hDC, m_rcItem, first, second, true, 16);
        return;
    }
    const LONG middle = (m_rcItem.top + m_rcItem.bottom) / 2;
    RECT upper = m_rcItem;
    upper.bottom = middle;
    RECT lower = m_rcItem;
    lower.top = middle;
    CUIRender::DrawGradient(hDC, upper, first, second, true, 8);
    CUIRender::DrawGradient(hDC, lower, second, AdjustedColor(m_dwBackColor3), true, 8);
}

void CControlUI::PaintBackImage(HDC hDC) { DrawImage(hDC, m_backImage); }
void CControlUI::PaintSecondImage(HDC hDC) { DrawImage(hDC, m_foreImage); }
void CControlUI::PaintForeImage(HDC hDC) { DrawImage(hDC, m_foreImage); }
void CControlUI::PaintStateImage(HDC /*hDC*/) {}
void CControlUI::PaintTextContent(HDC /*hDC*/) {}

void CControlUI::PaintBorderLines(HDC hDC) {
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0) return;
    const bool rounded = m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0;
    const bool focusColored = m_bFocused && m_dwFocusBorderColor != 0;
    if (m_nBorderSize > 0 && rounded) {
        const DWORD color = AdjustedColor(focusColored ? m_dwFocusBorderColor : m_dwBorderColor);
        CUIRender::DrawRoundRect(hDC, m_rcItem, m_nBorderSize, m_cxyBorderRound.cx,
                                 m_cxyBorderRound.cy, color);
    } else if (focusColored && m_nBorderSize > 0) {
        CUIRender::DrawRect(hDC, m_rcItem, m_nBorderSize, AdjustedColor(m_dwFocusBorderColor));
    } else if (m_rcBorderSides.left <= 0 && m_rcBorderSides.top <= 0 &&
               m_rcBorderSides.right <= 0 && m_rcBorderSides.bottom <= 0) {
        if (m_nBorderSize > 0)
            CUIRender::DrawRect(hDC, m_rcItem, m_nBorderSize, AdjustedColor(m_dwBorderColor));
    } else {
        const DWORD color = AdjustedColor(m_dwBorderColor);
        const RECT& r = m_rcItem;
        const struct {
            LONG width;
            RECT line;
        } sides[] = {
            {m_rcBorderSides.left, RECT{r.left, r.top, r.left, r.bottom}},
            {m_rcBorderSides.top, RECT{r.left, r.top, r.right, r.top}},
            {m_rcBorderSides.right, RECT{r.right, r.top, r.right, r.bottom}},
            {m_rcBorderSides.bottom, RECT{r.left, r.bottom, r.right, r.bottom}},
        };
        for (const auto& side : sides)
            if (side.width > 0)
                CUIRender::DrawLine(hDC, side.line, side.width, color, m_nBorderStyle);
    }
}

void CControlUI::PaintOverlay(HDC /*hDC*/, const RECT& /*dirty*/) {}

bool CControlUI::DrawImage(HDC hDC, TImageSpec& spec, int angle) {
    return CUIRender::DrawImageSpec(hDC, m_pManager, m_rcItem, m_rcPaint, spec, angle);
}

// ---- Invalidation and layout marks ----------------------------------------------------------

void CControlUI::InvalidateThroughAncestors(RECT rc) {
    if (m_pManager == nullptr) return;
    for (const CControlUI* ancestor = m_pParent; ancestor != nullptr;
         ancestor = ancestor->Parent()) {
        if (!ancestor->IsVisible()) return;
        RECT clipped;
        if (!RectIntersect(clipped, rc, ancestor->Rect())) return;
        rc = clipped;
    }
    m_pManager->Invalidate(rc);
}

void CControlUI::InvalidateSelf() {
    if (IsVisible()) InvalidateThroughAncestors(m_rcItem);
}

void CControlUI::MarkForLayout() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    InvalidateSelf();
    if (m_pManager != nullptr) m_pManager->MarkUpdateNeeded();
}

void CControlUI::MarkParentForLayout() {
    if (m_pParent != nullptr) {
        m_pParent->MarkForLayout();
        m_pParent->InvalidateSelf();
    } else {
        MarkForLayout();
    }
    if (m_pManager != nullptr) m_pManager->MarkUpdateNeeded();
}

void CControlUI::MarkLayoutChanged() {
    if (m_bFloat)
        MarkForLayout();
    else
        MarkParentForLayout();
}

// ---- Virtual windows ------------------------------------------------------------------------

CUIString CControlUI::VirtualWindowName() const {
    for (const CControlUI* control = this; control != nullptr; control = control->Parent())
        if (!control->m_strVirtualWnd.IsEmpty()) return control->m_strVirtualWnd;
    return CUIString();
}

void CControlUI::SetVirtualWindowName(LPCWSTR name) {
    m_strVirtualWnd = name;
    if (m_pManager != nullptr) m_pManager->SetVirtualWindowsUsed(true);
}

// ---- Images ---------------------------------------------------------------------------------

bool CControlUI::LoadImageSpec(TImageSpec& spec, LPCWSTR description) {
    if (spec.description == description && spec.image != nullptr) return false;
    spec.Reset(description);
    // Drawing without a device context parses the description and loads the picture.
    CUIRender::DrawImageSpec(nullptr, m_pManager, m_rcItem, m_rcPaint, spec);
    return true;
}

void CControlUI::SetImage(TImageSpec& spec, LPCWSTR description) {
    if (!LoadImageSpec(spec, description)) return;
    if (m_bFloat && m_cxyFixed.cx == 0 && m_cxyFixed.cy == 0 && spec.image != nullptr) {
        m_cxyFixed.cx = spec.image->nWidth;
        m_cxyFixed.cy = spec.image->nHeight;
    }
    InvalidateSelf();
}

void CControlUI::SetBackImage(LPCWSTR description) { SetImage(m_backImage, description); }
void CControlUI::SetForeImage(LPCWSTR description) { SetImage(m_foreImage, description); }

// ---- Decoration setters ---------------------------------------------------------------------

void CControlUI::SetDecoration(DWORD& field, DWORD value) {
    if (field == value) return;
    field = value;
    InvalidateSelf();
}

void CControlUI::SetBackColor(DWORD color) { SetDecoration(m_dwBackColor, color); }
void CControlUI::SetBackColor2(DWORD color) { SetDecoration(m_dwBackColor2, color); }
void CControlUI::SetBackColor3(DWORD color) { SetDecoration(m_dwBackColor3, color); }
void CControlUI::SetBorderColor(DWORD color) { SetDecoration(m_dwBorderColor, color); }
void CControlUI::SetFocusBorderColor(DWORD color) { SetDecoration(m_dwFocusBorderColor, color); }

void CControlUI::SetColorHSL(bool hsl) {
    if (m_bColorHSL == hsl) return;
    m_bColorHSL = hsl;
    InvalidateSelf();
}

void CControlUI::SetBorderSize(int size) {
    if (m_nBorderSize == size) return;
    m_nBorderSize = size;
    InvalidateSelf();
}

void CControlUI::SetBorderStyle(int style) {
    m_nBorderStyle = style;
    InvalidateSelf();
}

void CControlUI::SetBorderRound(SIZE round) {
    m_cxyBorderRound = round;
    InvalidateSelf();
}

void CControlUI::SetBorderSides(const RECT& sides) {
    m_rcBorderSides = sides;
    InvalidateSelf();
}

void CControlUI::SetLeftBorderSize(int size) {
    m_rcBorderSides.left = size;
    InvalidateSelf();
}

void CControlUI::SetTopBorderSize(int size) {
    m_rcBorderSides.top = size;
    InvalidateSelf();
}

void CControlUI::SetRightBorderSize(int size) {
    m_rcBorderSides.right = size;
    InvalidateSelf();
}

void CControlUI::SetBottomBorderSize(int size) {
    m_rcBorderSides.bottom = size;
    InvalidateSelf();
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Control", &CreateControlOf<CControlUI>);
}  // namespace

}  // namespace SkinUI
