#pragma once
// CCustomButtonUI: a button that draws two more texts besides its own: a title and a value, each
// with its own font, margins inside the button, and normal and hot colours ("TitleText",
// "TitleFont", "textTitlepadding", "Titletextcolor", "hotTitletextcolor", and the same for
// "Value"). The button's own text is drawn as a button draws it, without label effects.

#include <windows.h>

#include "ui/controls/ButtonUI.h"
#include "ui/core/base/UIString.h"

namespace SkinUI {

class CCustomButtonUI : public CButtonUI {
public:
    CCustomButtonUI();
    ~CCustomButtonUI() override;

    LPCWSTR ClassName() const override;             // "CustomButtonUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "CustonButton", then the button's
    void PaintTextContent(HDC hDC) override;
    // Its title, else the button's own name; the value text is the accessible value.
    CUIString AccessibleName() const override;
    CUIString AccessibleValue() const override;

    // One of the two extra texts.
    struct TExtraText {
        CUIString text;
        int font = 0;
        RECT padding = {0, 0, 0, 0};
        DWORD color = 0;
        DWORD hotColor = 0;
    };
    const TExtraText& Title() const { return m_title; }
    const TExtraText& Value() const { return m_value; }
    // These invalidate (the texts only when they change; the margins lay the parent out anew).
    void SetTitleText(LPCWSTR text) { SetExtraText(m_title, text); }
    void SetValueText(LPCWSTR text) { SetExtraText(m_value, text); }
    void SetTitleFont(int font) { SetExtraFont(m_title, font); }
    void SetValueFont(int font) { SetExtraFont(m_value, font); }
    void SetTitlePadding(const RECT& padding) { SetExtraPadding(m_title, padding); }
    void SetValuePadding(const RECT& padding) { SetExtraPadding(m_value, padding); }
    // The colours only store.
    void SetTitleColors(DWORD color, DWORD hotColor);
    void SetValueColors(DWORD color, DWORD hotColor);

protected:
    void SetExtraText(TExtraText& extra, LPCWSTR text);
    void SetExtraFont(TExtraText& extra, int font);
    void SetExtraPadding(TExtraText& extra, const RECT& padding);
    void PaintExtraText(HDC hDC, const TExtraText& extra);

    TExtraText m_title;
    TExtraText m_value;

private:
    static const CAttributeTable<CCustomButtonUI>& Attributes();
};

}  // namespace SkinUI
