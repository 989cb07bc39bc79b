#pragma once
// CEditUI: a one-line text input. While idle the control paints itself: its state image, then
// its text (as passwordChar repeated in password mode), or the placeholder text (tipvalue) in
// its own colour while the text is empty. When it gets the focus or a click and is enabled, a
// native EDIT (CEditWnd) is put over its text rectangle, in the control's font and colours, so
// that caret, selection, IME and clipboard are the system's; every change is copied back into
// the control's text at once. Editing ends when the focus leaves, on Enter or Escape, and when
// the control hides, moves, is disabled or destroyed (CNativeFieldUI).
//
// Notifications: "textchanged" for each change the user makes, "return" for Enter; the window
// manager sends "setfocus" and "killfocus".

#include <windows.h>

#include "support/GdiHandles.h"
#include "ui/controls/NativeFieldUI.h"
#include "ui/core/render/ImageSpec.h"

namespace SkinUI {

// The most characters an edit takes; "maxchar" outside 1..kEditCharLimit means this.
constexpr int kEditCharLimit = 32767;

class CEditUI;

// The native EDIT of a CEditUI being edited: made, configured from the control and subclassed
// for the keys that end editing.
class CEditWnd {
public:
    // The EDIT over the control's text rectangle, with the focus; null when it cannot be made.
    static HWND Open(CEditUI& owner);
    // Brings the EDIT's style, limit and password character in line with the control.
    static void Configure(const CEditUI& owner, HWND edit);

private:
    static LRESULT CALLBACK SubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
};

class CEditUI : public CNativeFieldUI {
public:
    CEditUI();
    ~CEditUI() override;                                        // 0

    LPCWSTR ClassName() const override;                         // 3: "EditUI"
    DWORD AccessibleState() const override;         // read-only, protected for a password
    CUIString AccessibleValue() const override;     // a password's text is never given out
    LPVOID InterfaceByName(LPCWSTR name) override;              // 4: "Edit"
    void SetText(LPCWSTR text) override;                        // 11: reaches the EDIT too
    void PaintStateImage(HDC hDC) override;                     // 76
    void PaintTextContent(HDC hDC) override;                    // 77

    // ---- Settings (they reach the EDIT at once while editing) --------------------------------
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    bool IsPassword() const { return m_bPassword; }
    void SetPassword(bool password);
    wchar_t PasswordChar() const { return m_chPassword; }
    void SetPasswordChar(wchar_t ch);  // 0 means '*'
    bool IsNumberOnly() const { return m_bNumberOnly; }
    void SetNumberOnly(bool numberOnly);
    int MaxChar() const { return m_nMaxChar; }
    void SetMaxChar(int count);  // kept within 1..kEditCharLimit
    CUIString TipValue() const { return m_strTipValue; }
    void SetTipValue(LPCWSTR text);
    DWORD TipValueColor() const { return m_dwTipValueColor; }
    void SetTipValueColor(DWORD color);
    DWORD NativeBkColor() const { return m_dwNativeBkColor; }
    void SetNativeBkColor(DWORD color);

    LPCWSTR NormalImage() const { return m_normalImage.description; }
    void SetNormalImage(LPCWSTR description);
    LPCWSTR HotImage() const { return m_hotImage.description; }
    void SetHotImage(LPCWSTR description);
    LPCWSTR FocusedImage() const { return m_focusedImage.description; }
    void SetFocusedImage(LPCWSTR description);
    LPCWSTR DisabledImage() const { return m_disabledImage.description; }
    void SetDisabledImage(LPCWSTR description);

protected:
    void OnHostCommand(WORD code) override;
    HBRUSH OnHostColor(HDC dc) override;

private:
    friend class CEditWnd;
    static const CAttributeTable<CEditUI>& Attributes();

    // The text rectangle narrowed to one line of the font, centred, for the EDIT.
    RECT NativeRect() const;
    // Copies the EDIT's text into the control; "textchanged" when it differs.
    void TakeNativeText();
    // Enter and Escape in the EDIT.
    void OnReturn();
    void ApplyToNative();

    bool m_bReadOnly = false;
    bool m_bPassword = false;
    bool m_bNumberOnly = false;
    wchar_t m_chPassword = L'*';
    int m_nMaxChar = kEditCharLimit;
    CUIString m_strTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0CA;
    DWORD m_dwNativeBkColor = 0xFFFFFFFF;
    bxutil::CBrushHandle m_nativeBrush;  // the EDIT's background, made at the first colour query
    TImageSpec m_normalImage;
    TImageSpec m_hotImage;
    TImageSpec m_focusedImage;
    TImageSpec m_disabledImage;
};

}  // namespace SkinUI
