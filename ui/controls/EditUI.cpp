// CEditUI and its native EDIT: settings, the text going both ways, the idle painting and the
// keys that end editing.

#include "ui/controls/EditUI.h"

#include <oleacc.h>

#include <commctrl.h>

#include <string>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

// One subclass of the EDIT's procedure; the id tells it from others the system may add.
constexpr UINT_PTR kEditSubclassId = 1;

// The alignment of the idle text carried over to the EDIT, so that the text does not jump
// when editing starts.
DWORD AlignmentStyle(UINT textStyle) {
    if (textStyle & DT_CENTER) return ES_CENTER;
    if (textStyle & DT_RIGHT) return ES_RIGHT;
    return ES_LEFT;
}

void SetStyleBit(HWND window, DWORD bit, bool on) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    ::SetWindowLongPtrW(window, GWL_STYLE, on ? (style | bit) : (style & ~static_cast<LONG_PTR>(bit)));
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

}  // namespace

// ---- CEditWnd ---------------------------------------------------------------------------------

HWND CEditWnd::Open(CEditUI& owner) {
    const DWORD style = ES_AUTOHSCROLL | AlignmentStyle(owner.TextStyle());
    HWND edit = owner.OpenNative(owner.NativeRect(), L"EDIT", style);
    if (edit == nullptr) return nullptr;
    // The subclass ends with the window (WM_NCDESTROY below); it refers to the control, which
    // closes the window before it goes.
    ::SetWindowSubclass(edit, &SubclassProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(&owner));
    // No inner margins: the text stays where the idle painting put it.
    ::SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    Configure(owner, edit);
    ::SetWindowTextW(edit, owner.m_strText);
    const LRESULT end = ::GetWindowTextLengthW(edit);
    ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    return edit;
}

void CEditWnd::Configure(const CEditUI& owner, HWND edit) {
    ::SendMessageW(edit, EM_SETREADONLY, owner.m_bReadOnly ? TRUE : FALSE, 0);
    ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(owner.m_nMaxChar), 0);
    // A password character of 0 takes ES_PASSWORD away again.
    ::SendMessageW(edit, EM_SETPASSWORDCHAR, owner.m_bPassword ? owner.m_chPassword : 0, 0);
    SetStyleBit(edit, ES_NUMBER, owner.m_bNumberOnly);
    ::InvalidateRect(edit, nullptr, TRUE);
}

LRESULT CALLBACK CEditWnd::SubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR /*id*/, DWORD_PTR data) {
    auto& owner = *reinterpret_cast<CEditUI*>(data);
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            owner.OnReturn();
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            owner.m_native.RequestClose(false);
            return 0;
        }
        break;
    case WM_CHAR:
        // The characters of Enter and Escape would only make the single-line EDIT beep.
        if (wParam == L'\r' || wParam == 0x1B) return 0;
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(edit, &SubclassProc, kEditSubclassId);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

// ---- CEditUI ----------------------------------------------------------------------------------

CEditUI::CEditUI()
    : CNativeFieldUI([](CNativeFieldUI& control) {
          return CEditWnd::Open(static_cast<CEditUI&>(control)) != nullptr;
      }) {
    UseAttributes(Attributes());
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER;
}

CEditUI::~CEditUI() { EndEditing(); }  // before the brush the EDIT may still paint with

LPCWSTR CEditUI::ClassName() const { return L"EditUI"; }

LPVOID CEditUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"Edit") == 0) return this;
    return CNativeFieldUI::InterfaceByName(name);
}

void CEditUI::SetText(LPCWSTR text) {
    CNativeFieldUI::SetText(text);
    HWND edit = NativeWindow();
    // The EDIT's own change comes back as EN_CHANGE with the same text: nothing is sent then.
    if (edit != nullptr && WindowText(edit) != m_strText.GetData())
        ::SetWindowTextW(edit, m_strText);
}

RECT CEditUI::NativeRect() const {
    RECT rc = TextRect();
    const TFontData* font = m_pManager != nullptr ? m_pManager->GetFontInfo(m_iFont) : nullptr;
    // One line and a pixel above and below it: the EDIT draws its text at its top.
    const LONG line = font != nullptr ? font->tm.tmHeight + 2 : RectHeight(rc);
    if (line > 0 && line < RectHeight(rc)) {
        rc.top += (RectHeight(rc) - line) / 2;
        rc.bottom = rc.top + line;
    }
    return rc;
}

void CEditUI::TakeNativeText() {
    HWND edit = NativeWindow();
    if (edit == nullptr) return;
    const std::wstring text = WindowText(edit);
    if (m_strText == text.c_str()) return;
    CNativeFieldUI::SetText(text.c_str());
    if (m_pManager != nullptr) m_pManager->SendNotification(this, L"textchanged");
}

void CEditUI::OnReturn() {
    TakeNativeText();
    m_native.RequestClose(false);
    // Last: a listener may end this control's life.
    if (m_pManager != nullptr) m_pManager->SendNotification(this, L"return");
}

void CEditUI::OnHostCommand(WORD code) {
    if (code == EN_CHANGE) TakeNativeText();
    // Closed from the message loop: a click back into the control may return the focus first.
    else if (code == EN_KILLFOCUS) m_native.RequestClose(true);
}

HBRUSH CEditUI::OnHostColor(HDC dc) {
    ApplyDefaultTextColors();
    ::SetTextColor(dc, ArgbToColorRef(m_dwTextColor));
    ::SetBkColor(dc, ArgbToColorRef(m_dwNativeBkColor));
    if (!m_nativeBrush) m_nativeBrush.Reset(::CreateSolidBrush(ArgbToColorRef(m_dwNativeBkColor)));
    return m_nativeBrush.Get();
}

void CEditUI::ApplyToNative() {
    if (HWND edit = NativeWindow()) CEditWnd::Configure(*this, edit);
}

// ---- Settings ---------------------------------------------------------------------------------

void CEditUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    ApplyToNative();
    InvalidateSelf();
}

void CEditUI::SetPassword(bool password) {
    m_bPassword = password;
    ApplyToNative();
    InvalidateSelf();
}

void CEditUI::SetPasswordChar(wchar_t ch) {
    m_chPassword = ch != 0 ? ch : L'*';
    ApplyToNative();
    InvalidateSelf();
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    m_bNumberOnly = numberOnly;
    ApplyToNative();
}

void CEditUI::SetMaxChar(int count) {
    m_nMaxChar = (count <= 0 || count > kEditCharLimit) ? kEditCharLimit : count;
    ApplyToNative();
}

void CEditUI::SetTipValue(LPCWSTR text) { StoreAndRepaint(m_strTipValue, CUIString(text)); }
void CEditUI::SetTipValueColor(DWORD color) { StoreAndRepaint(m_dwTipValueColor, color); }

void CEditUI::SetNativeBkColor(DWORD color) {
    m_dwNativeBkColor = color;
    m_nativeBrush.Reset();  // made again in the new colour at the next query
    if (HWND edit = NativeWindow()) ::InvalidateRect(edit, nullptr, TRUE);
}

void CEditUI::SetNormalImage(LPCWSTR description) { SetImageDescription(m_normalImage, description); }
void CEditUI::SetHotImage(LPCWSTR description) { SetImageDescription(m_hotImage, description); }
void CEditUI::SetFocusedImage(LPCWSTR description) {
    SetImageDescription(m_focusedImage, description);
}
void CEditUI::SetDisabledImage(LPCWSTR description) {
    SetImageDescription(m_disabledImage, description);
}

// ---- Attributes -------------------------------------------------------------------------------

const CAttributeTable<CEditUI>& CEditUI::Attributes() {
    using C = CEditUI;
    static const TAttributeRow<C> rows[] = {
        AttrBool::Row<&C::SetReadOnly, &C::IsReadOnly>(L"readonly"),
        AttrBool::Row<&C::SetPassword, &C::IsPassword>(L"password"),
        // The first character counts; an empty value means the default.
        {L"passwordchar", [](C& c, LPCWSTR v) { c.SetPasswordChar(v != nullptr ? *v : 0); },
         [](C& c) { return CUIString(c.PasswordChar()); }},
        AttrBool::Row<&C::SetNumberOnly, &C::IsNumberOnly>(L"numberonly"),
        AttrInt::Row<&C::SetMaxChar, &C::MaxChar>(L"maxchar"),
        AttrText::Row<&C::SetTipValue, &C::TipValue>(L"tipvalue"),
        AttrColor::Row<&C::SetTipValueColor, &C::TipValueColor>(L"tipvaluecolor"),
        AttrColor::Row<&C::SetNativeBkColor, &C::NativeBkColor>(L"nativebkcolor"),
        {L"normalimage", [](C& c, LPCWSTR v) { c.SetNormalImage(v); },
         [](C& c) { return CUIString(c.NormalImage()); }},
        {L"hotimage", [](C& c, LPCWSTR v) { c.SetHotImage(v); },
         [](C& c) { return CUIString(c.HotImage()); }},
        {L"focusedimage", [](C& c, LPCWSTR v) { c.SetFocusedImage(v); },
         [](C& c) { return CUIString(c.FocusedImage()); }},
        {L"disabledimage", [](C& c, LPCWSTR v) { c.SetDisabledImage(v); },
         [](C& c) { return CUIString(c.DisabledImage()); }},
    };
    static const CAttributeTable<C> table(rows, &CLabelUI::Attributes());
    return table;
}

// ---- Painting ---------------------------------------------------------------------------------

void CEditUI::PaintStateImage(HDC hDC) {
    TImageSpec* state = &m_normalImage;
    if (!IsEnabled()) state = &m_disabledImage;
    else if (IsFocused() || IsEditing()) state = &m_focusedImage;
    else if (m_uFieldState & kStateHot) state = &m_hotImage;
    if (state == &m_normalImage || !DrawImage(hDC, *state)) DrawImage(hDC, m_normalImage);
}

void CEditUI::PaintTextContent(HDC hDC) {
    // While editing the EDIT shows the text.
    if (IsEditing()) return;
    ApplyDefaultTextColors();
    RECT rc = TextRect();
    if (m_strText.IsEmpty()) {
        if (!m_strTipValue.IsEmpty())
            CUIRender::DrawText(hDC, m_pManager, rc, m_strTipValue, m_dwTipValueColor, m_iFont,
                                m_uTextStyle);
        return;
    }
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (!m_bPassword) {
        DrawLabelText(hDC, rc, color, m_iFont);
        return;
    }
    const std::wstring mask(static_cast<size_t>(m_strText.GetLength()), m_chPassword);
    CUIRender::DrawText(hDC, m_pManager, rc, mask.c_str(), color, m_iFont, m_uTextStyle);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Edit", &CreateControlOf<CEditUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

DWORD CEditUI::AccessibleState() const {
    DWORD state = 0;
    if (m_bReadOnly) state |= STATE_SYSTEM_READONLY;
    if (m_bPassword) state |= STATE_SYSTEM_PROTECTED;
    return state;
}

CUIString CEditUI::AccessibleValue() const {
    return m_bPassword ? CUIString() : CNativeFieldUI::AccessibleValue();
}

}  // namespace SkinUI
