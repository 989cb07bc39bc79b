// The item attributes shared by the list and the combo.

#include "ui/controls/ListInfoUI.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/manager/ControlGeometry.h"

namespace SkinUI {

void TListInfoUI::SetRowHeight(int height) {
    rowHeight = std::clamp(height, kMinListRowHeight, kMaxListRowHeight);
}

void TListInfoUI::SetAlignment(LPCWSTR value) {
    if (value == nullptr) return;
    textStyle &= ~static_cast<UINT>(DT_CENTER | DT_RIGHT);
    if (wcsstr(value, L"center") != nullptr) textStyle |= DT_CENTER;
    if (wcsstr(value, L"right") != nullptr) textStyle |= DT_RIGHT;
}

const CAttributeRows<TListInfoUI>& ListInfoAttributes() {
    using I = TListInfoUI;
    static const TAttributeRow<I> rows[] = {
        AttrInt::Row<&I::font, &I::font>(L"itemfont"),
        AttrColor::Row<&I::textColor, &I::textColor>(L"itemtextcolor"),
        AttrColor::Row<&I::bkColor, &I::bkColor>(L"itembkcolor"),
        AttrColor::Row<&I::selectedTextColor, &I::selectedTextColor>(L"itemselectedtextcolor"),
        AttrColor::Row<&I::selectedBkColor, &I::selectedBkColor>(L"itemselectedbkcolor"),
        AttrColor::Row<&I::hotTextColor, &I::hotTextColor>(L"itemhottextcolor"),
        AttrColor::Row<&I::hotBkColor, &I::hotBkColor>(L"itemhotbkcolor"),
        AttrColor::Row<&I::disabledTextColor, &I::disabledTextColor>(L"itemdisabledtextcolor"),
        AttrColor::Row<&I::lineColor, &I::lineColor>(L"itemlinecolor"),
        AttrText::Row<&I::SetAlignment>(L"itemalign"),
        {L"itemtextpadding", [](I& i, LPCWSTR v) { i.textPadding = ClampRectCoordinates(ParseAttrRect(v)); },
         [](I& i) { return FormatAttrRect(i.textPadding); }, EScaledAttr::Rect},
        AttrBool::Row<&I::showHtml, &I::showHtml>(L"itemshowhtml"),
        AttrLength::Row<&I::SetRowHeight, &I::rowHeight>(L"itemheight"),
    };
    static const CAttributeRows<I> table(rows);
    return table;
}

}  // namespace SkinUI
