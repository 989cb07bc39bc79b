// The combo: its closed face, its selection, and the pop-up it opens and closes.

#include "ui/controls/ComboUI.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/ComboWnd.h"
#include "ui/controls/ListBodyUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlGeometry.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return name != nullptr && wcscmp(name, expected) == 0; }

constexpr LONG kMaxDropBoxWidth = 4096;
constexpr LONG kMaxDropBoxHeight = 1 << 14;
constexpr DWORD kArrowColor = 0xFF4A5568;

}  // namespace

CComboUI::CComboUI() { UseAttributes(Attributes()); }

CComboUI::~CComboUI() {
    if (m_popup == nullptr) return;
    // The pop-up must neither call back into a combo half gone nor keep the rows.
    m_popup->Detach();
    ReclaimBody();
    m_popup.reset();  // destroys the pop-up's window now
}

LPCWSTR CComboUI::ClassName() const { return L"ComboUI"; }

LPVOID CComboUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"Combo")) return this;
    if (Is(name, L"IContainer")) return static_cast<IContainerUI*>(&m_slot);
    return CContainerUI::InterfaceByName(name);
}

UINT CComboUI::ControlFlags() const { return kControlFlagTabStop; }

void CComboUI::AttachTo(CWindowManagerUI* manager, CContainerUI* parent, bool initialize) {
    CContainerUI::AttachTo(manager, parent, initialize);
    if (m_popup == nullptr) m_body->AttachTo(manager, this, initialize);
}

// ---- Rows and selection ------------------------------------------------------------------------

int CComboUI::RowCount() const { return m_body->Count(); }
CControlUI* CComboUI::RowAt(int index) const { return m_body->ItemAt(index); }
bool CComboUI::AddRow(CControlUI* row) { return m_body->Append(row); }

CUIString CComboUI::Text() const {
    CControlUI* row = RowAt(m_current);
    return row != nullptr ? row->Text() : CUIString();
}

bool CComboUI::SelectRow(int index, bool notify) {
    if (index < 0 || index >= RowCount()) return false;
    if (IListItemUI* old = AsListItem(RowAt(m_current))) old->SetItemSelected(false);
    if (IListItemUI* item = AsListItem(RowAt(index))) item->SetItemSelected(true);
    const bool changed = index != m_current;
    m_current = index;
    InvalidateSelf();
    if (notify && changed && m_pManager != nullptr)
        m_pManager->SendNotification(this, L"itemselect", static_cast<WPARAM>(index));
    return true;
}

void CComboUI::MoveSelectionBy(int delta) {
    if (RowCount() == 0) return;
    const int from = m_current < 0 ? (delta > 0 ? -1 : RowCount()) : m_current;
    SelectRow(std::clamp(from + delta, 0, RowCount() - 1));
}

void CComboUI::OnItemPressed(int index, WORD /*keyState*/) {
    SelectRow(index);
    CloseDropDown();
}

void CComboUI::OnItemActivated(int /*index*/) { CloseDropDown(); }

void CComboUI::OnItemEvent(TControlEvent& event) {
    if (event.nKind != kEventKeyDown) return;
    if (event.chKey == VK_UP || event.chKey == VK_DOWN) MoveSelectionBy(event.chKey == VK_UP ? -1 : 1);
    if (event.chKey == VK_ESCAPE || event.chKey == VK_RETURN) CloseDropDown();
}

void CComboUI::OnRowsChanged() {
    m_current = -1;
    for (int i = 0; i < RowCount() && m_current < 0; ++i) {
        const IListItemUI* item = AsListItem(RowAt(i));
        if (item != nullptr && item->IsItemSelected()) m_current = i;
    }
    InvalidateSelf();
}

// ---- The pop-up --------------------------------------------------------------------------------

bool CComboUI::DropDown() {
    if (m_popup != nullptr || m_pManager == nullptr || !IsEnabled()) return false;
    m_popup = std::make_unique<CComboWnd>(*this);
    if (!m_popup->Open()) {
        ReclaimBody();
        m_popup->Detach();
        m_popup.reset();
        return false;
    }
    m_pManager->SendNotification(this, L"dropdown");
    return true;
}

void CComboUI::CloseDropDown() {
    if (m_popup != nullptr && m_popup->GetHWND() != nullptr)
        m_popup->PostMessage(CComboWnd::kMsgCloseDropDown);
}

HWND CComboUI::DropDownWindow() const { return m_popup != nullptr ? m_popup->GetHWND() : nullptr; }

void CComboUI::ReclaimBody() {
    if (m_popup != nullptr) m_popup->ReleaseBody();
    if (m_body->Manager() == m_pManager && m_body->Parent() == this) return;
    m_body->AttachTo(m_pManager, this, false);
    for (int i = 0; i < RowCount(); ++i) {
        if (IListItemUI* item = AsListItem(RowAt(i))) item->ClearItemHot();
    }
}

void CComboUI::OnDropDownGone() {
    ReclaimBody();
    m_state &= ~kStatePushed;
    InvalidateSelf();
    m_popup.reset();  // deletes the pop-up's object, whose last message this is
}

void CComboUI::SetDropBoxSize(SIZE size) {
    m_dropBox = SIZE{std::clamp<LONG>(size.cx, 0, kMaxDropBoxWidth),
                     std::clamp<LONG>(size.cy, 0, kMaxDropBoxHeight)};
}

// ---- Input -------------------------------------------------------------------------------------

void CComboUI::ProcessEvent(TControlEvent& event) {
    if (!IsEnabled()) {
        CContainerUI::ProcessEvent(event);
        return;
    }
    switch (event.nKind) {
    case kEventButtonDown:
    case kEventDblClick:
        m_state |= kStatePushed;
        if (IsDroppedDown()) CloseDropDown();
        else DropDown();
        InvalidateSelf();
        return;
    case kEventButtonUp:
        m_state &= ~kStatePushed;
        InvalidateSelf();
        return;
    case kEventMouseEnter:
    case kEventMouseLeave:
        m_state = event.nKind == kEventMouseEnter ? (m_state | kStateHot) : (m_state & ~kStateHot);
        InvalidateSelf();
        return;
    case kEventKeyDown:
        if (event.chKey == VK_F4) DropDown();
        else OnItemEvent(event);
        return;
    case kEventScrollWheel:
        MoveSelectionBy(event.wParam == 0 ? -1 : 1);
        return;
    case kEventSetFocus:
    case kEventKillFocus:
        // The face shows focus as any control does (a container would not repaint).
        CControlUI::ProcessEvent(event);
        return;
    default:
        CContainerUI::ProcessEvent(event);
    }
}

// ---- Painting ----------------------------------------------------------------------------------

void CComboUI::PaintStateImage(HDC hDC) {
    TImageSpec& spec = (m_state & kStatePushed) != 0 && !m_pushedImage.description.IsEmpty()
                           ? m_pushedImage
                       : (m_state & kStateHot) != 0 && !m_hotImage.description.IsEmpty()
                           ? m_hotImage
                           : m_normalImage;
    if (!spec.description.IsEmpty()) DrawImage(hDC, spec);
    // A small downward triangle at the right edge, one line per pixel row.
    const LONG centreX = m_rcItem.right - 10;
    const LONG top = (m_rcItem.top + m_rcItem.bottom) / 2 - 2;
    for (LONG row = 0; row < 4; ++row) {
        const RECT line{centreX - 4 + row, top + row, centreX + 4 - row, top + row + 1};
        CUIRender::DrawColor(hDC, line, kArrowColor);
    }
}

void CComboUI::PaintTextContent(HDC hDC) {
    const CUIString text = Text();
    if (text.IsEmpty()) return;
    RECT area = RectDeflate(m_rcItem, m_textPadding);
    const DWORD color = IsEnabled() ? m_info.textColor : m_info.disabledTextColor;
    CUIRender::DrawText(hDC, m_pManager, area, text, color, m_info.font,
                        DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

// ---- Attributes --------------------------------------------------------------------------------

const CAttributeTable<CComboUI>& CComboUI::Attributes() {
    using C = CComboUI;
    // The item settings are the drop-down rows' look: a change repaints the combo.
    static const CPartAttributes<C, TListInfoUI> items(
        ListInfoAttributes(), [](C& c) -> TListInfoUI& { return c.m_info; },
        [](C& c) { c.InvalidateSelf(); }, &CContainerUI::Attributes());
    static const TAttributeRow<C> rows[] = {
        {L"normalimage", [](C& c, LPCWSTR v) { c.SetImage(c.m_normalImage, v); },
         [](C& c) { return c.m_normalImage.description; }},
        {L"hotimage", [](C& c, LPCWSTR v) { c.SetImage(c.m_hotImage, v); },
         [](C& c) { return c.m_hotImage.description; }},
        {L"pushedimage", [](C& c, LPCWSTR v) { c.SetImage(c.m_pushedImage, v); },
         [](C& c) { return c.m_pushedImage.description; }},
        {L"textpadding", [](C& c, LPCWSTR v) { c.m_textPadding = ClampRectCoordinates(ParseAttrRect(v)); },
         [](C& c) { return FormatAttrRect(c.m_textPadding); }, EScaledAttr::Rect},
        AttrLengthSize::Row<&C::SetDropBoxSize, &C::DropBoxSize>(L"dropboxsize"),
    };
    static const CAttributeTable<C> table(rows, &items);
    return table;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Combo", &CreateControlOf<CComboUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CComboUI::AccessibleRole() const { return ROLE_SYSTEM_COMBOBOX; }
CUIString CComboUI::AccessibleValue() const { return Text(); }
CUIString CComboUI::AccessibleName() const { return ToolTip(); }

}  // namespace SkinUI
