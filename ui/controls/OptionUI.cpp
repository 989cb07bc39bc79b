// COptionUI: selection, option groups and the painting of a selected option.

#include "ui/controls/OptionUI.h"

#include <oleacc.h>

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIPtrArray.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

bool Is(LPCWSTR name, LPCWSTR expected) { return wcscmp(name, expected) == 0; }

// Runs paint with the pushed bit of state hidden: an option never looks pushed.
template <class Paint>
void WithoutPushedBit(UINT& state, Paint paint) {
    const UINT pushed = state & kStatePushed;
    state &= ~kStatePushed;
    paint();
    state |= pushed;
}

}  // namespace

COptionUI::~COptionUI() { LeaveGroup(); }

LPCWSTR COptionUI::ClassName() const { return L"OptionUI"; }

LPVOID COptionUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && Is(name, L"Option")) return this;
    return CButtonUI::InterfaceByName(name);
}

bool COptionUI::CanActivate() {
    // "click" goes first, then the selection changes.
    if (!CButtonUI::CanActivate()) return false;
    Select(m_strGroup.IsEmpty() ? !m_bSelected : true, true);
    return true;
}

void COptionUI::AttachTo(CWindowManagerUI* manager, CContainerUI* parent, bool initialize) {
    CButtonUI::AttachTo(manager, parent, initialize);
    if (initialize) JoinGroup();
}

void COptionUI::SetEnabled(bool enabled) {
    CButtonUI::SetEnabled(enabled);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? kStateSelected : 0;
}

// ---- Selection and groups -------------------------------------------------------------------

void COptionUI::Select(bool selected, bool notify) {
    if (selected == m_bSelected) return;
    m_bSelected = selected;
    if (selected) m_uButtonState |= kStateSelected;
    else m_uButtonState &= ~kStateSelected;
    NotifyAccessible(EVENT_OBJECT_STATECHANGE);
    if (m_pManager != nullptr) {
        if (!m_strGroup.IsEmpty()) {
            if (!selected) {
                InvalidateSelf();
                return;
            }
            // The other members only repaint: one "selectchanged" comes from this option.
            const CUIPtrArray* members = m_pManager->GetOptionGroup(m_strGroup);
            for (int i = 0; members != nullptr && i < members->GetSize(); ++i) {
                auto* option = static_cast<COptionUI*>(members->GetAt(i));
                if (option != nullptr && option != this) option->Select(false, true);
            }
        }
        if (notify) m_pManager->SendNotification(this, L"selectchanged");
    }
    InvalidateSelf();
}

void COptionUI::SetGroup(LPCWSTR group) {
    if (m_strGroup == (group != nullptr ? group : L"")) return;
    LeaveGroup();
    m_strGroup = group;
    if (m_pManager != nullptr) JoinGroup();
}

void COptionUI::JoinGroup() {
    if (m_pManager == nullptr || m_strGroup.IsEmpty()) return;
    if (m_pGroupManager != nullptr && m_pGroupManager != m_pManager) LeaveGroup();
    m_pManager->AddOptionGroup(m_strGroup, this);  // false when already listed
    m_pGroupManager = m_pManager;
}

void COptionUI::LeaveGroup() {
    if (m_pGroupManager == nullptr) return;
    if (!m_strGroup.IsEmpty()) m_pGroupManager->RemoveOptionGroup(m_strGroup, this);
    m_pGroupManager = nullptr;
}

// ---- Attributes and size --------------------------------------------------------------------

const CAttributeTable<COptionUI>& COptionUI::Attributes() {
    using C = COptionUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetGroup>(L"group"),
        // A selection from markup notifies like any other.
        {L"selected", [](C& c, LPCWSTR v) { c.Select(ParseAttrBool(v), true); }, nullptr},
        AttrText::Row<&C::SetSelectedImage>(L"selectedimage"),
        AttrText::Row<&C::SetSelectedHotImage>(L"selectedhotimage"),
        // The label family's image slot: loaded at the next paint, not at once.
        {L"foreimage", [](C& c, LPCWSTR v) { c.SetImageDescription(c.m_foreImage, v); }, nullptr},
        AttrColor::Row<&C::SetSelectedBkColor>(L"selectedbkcolor"),
        AttrColor::Row<&C::SetSelectedTextColor>(L"selectedtextcolor"),
    };
    static const CAttributeTable<C> table(rows, &CButtonUI::Attributes());
    return table;
}

void COptionUI::SetSelectedImage(LPCWSTR description) {
    SetImageDescription(m_selectedImage, description);
}

void COptionUI::SetSelectedHotImage(LPCWSTR description) {
    SetImageDescription(m_selectedHotImage, description);
}

SIZE COptionUI::DesiredSize(SIZE /*available*/) { return LabelDesiredSize(false, 8); }

// ---- Painting -------------------------------------------------------------------------------

void COptionUI::PaintStateImage(HDC hDC) {
    if (m_bSelected)
        PaintSelectedStateImage(hDC);
    else
        WithoutPushedBit(m_uButtonState, [&] { CButtonUI::PaintStateImage(hDC); });
}

void COptionUI::PaintSelectedStateImage(HDC hDC) {
    if (m_uButtonState & kStateHot) {
        const DWORD hotColor = m_dwHotBkColor != 0 ? m_dwHotBkColor : m_dwSelectedBkColor;
        if (hotColor != 0) CUIRender::DrawColor(hDC, m_rcPaint, AdjustedColor(hotColor));
        if (DrawImage(hDC, m_selectedHotImage)) return;
        if (!DrawImage(hDC, m_selectedImage)) {
            DrawImage(hDC, m_foreImage);
            return;
        }
        // With the selected image drawn, the steps of the not-hot state follow.
    }
    if (m_dwSelectedBkColor != 0)
        CUIRender::DrawColor(hDC, m_rcPaint, AdjustedColor(m_dwSelectedBkColor));
    if (!DrawImage(hDC, m_selectedImage)) DrawImage(hDC, m_foreImage);
}

void COptionUI::PaintTextContent(HDC hDC) {
    if (m_bSelected)
        PaintSelectedText(hDC);
    else
        WithoutPushedBit(m_uButtonState, [&] { CButtonUI::PaintTextContent(hDC); });
}

void COptionUI::PaintSelectedText(HDC hDC) {
    ApplyDefaultTextColors();
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_dwSelectedTextColor != 0) color = m_dwSelectedTextColor;
    DrawPlainText(hDC, TextRect(), color, m_iFont, m_uTextStyle);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"Option", &CreateControlOf<COptionUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG COptionUI::AccessibleRole() const {
    return m_strGroup.IsEmpty() ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_RADIOBUTTON;
}
DWORD COptionUI::AccessibleState() const { return m_bSelected ? STATE_SYSTEM_CHECKED : 0; }
// A selected option of a group stays selected when clicked; one without a group toggles.
CUIString COptionUI::AccessibleDefaultAction() const {
    return m_bSelected && m_strGroup.IsEmpty() ? L"Uncheck" : L"Check";
}

}  // namespace SkinUI
