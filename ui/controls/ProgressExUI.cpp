// The composite progress bar: line, marker and spinner.

#include "ui/controls/ProgressExUI.h"

#include <cstdint>
#include <cwchar>
#include <new>

#include "ui/controls/RotateAnimateUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlMath.h"

namespace SkinUI {

namespace {

// A new control appended to parent; null (and nothing appended) when memory ran out.
template <class T>
T* AppendNew(CContainerUI& parent) {
    T* control = new (std::nothrow) T;
    if (control != nullptr && !parent.Append(control)) {
        delete control;
        return nullptr;
    }
    return control;
}

// A column of three: filler, the line (returned), filler; the line sits in the middle.
CContainerUI* AppendLineColumn(CContainerUI& bar, CVerticalLayoutUI*& column) {
    column = AppendNew<CVerticalLayoutUI>(bar);
    if (column == nullptr) return nullptr;
    AppendNew<CContainerUI>(*column);
    CContainerUI* line = AppendNew<CContainerUI>(*column);
    AppendNew<CContainerUI>(*column);
    return line;
}

}  // namespace

CProgressExUI::CProgressExUI() { UseAttributes(Attributes()); }
CProgressExUI::~CProgressExUI() = default;

LPVOID CProgressExUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"ProgressEx") == 0) return this;
    return CControlUI::InterfaceByName(name);
}

CControlUI* CProgressExUI::Marker() const { return m_pMarker; }
CControlUI* CProgressExUI::LeftLine() const { return m_pLeftLine; }
CControlUI* CProgressExUI::RightLine() const { return m_pRightLine; }

void CProgressExUI::ProcessEvent(TControlEvent& /*event*/) {}

const CAttributeTable<CProgressExUI>& CProgressExUI::Attributes() {
    using C = CProgressExUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::m_strLineForeImage>(L"lineforeimage"),
        AttrColorAfterBlanks::Row<&C::m_dwLineBkColor>(L"linebkcolor"),
        AttrText::Row<&C::m_strPoint>(L"point"),
        AttrText::Row<&C::m_strAnimation>(L"animation"),
        AttrText::Row<&C::m_strInterval>(L"interval"),
        AttrText::Row<&C::m_strAuto>(L"auto"),
        AttrText::Row<&C::m_strLoop>(L"loop"),
        AttrInt::Row<&C::m_nMin>(L"min"),
        AttrInt::Row<&C::m_nMax>(L"max"),
        AttrInt::Row<&C::m_nValue>(L"value"),
        AttrLength::Row<&C::m_nWidth>(L"width"),
        AttrLength::Row<&C::m_nHeight>(L"height"),
        AttrLength::Row<&C::m_nLineHeight>(L"lineheight"),
        AttrLength::Row<&C::m_nPointHeight>(L"pointheight"),
        AttrLength::Row<&C::m_nPointWidth>(L"pointwidth"),
        AttrLength::Row<&C::m_nAnimationHeight>(L"animationheight"),
        AttrLength::Row<&C::m_nAnimationWidth>(L"animationwidth"),
    };
    static const CAttributeTable<C> table(rows, &CLinearLayoutUI::Attributes());
    return table;
}

void CProgressExUI::ApplyAttribute(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    Attributes().ApplyOwn(*this, name, value);
    // Stored as read, and the layout sees every attribute too ("width" and "height" size it):
    // the base comes after the table whether or not a row took the name.
    Attributes().ApplyInherited(*this, name, value);
}

void CProgressExUI::Initialize() {
    CHorizontalLayoutUI::Initialize();
    // Built once: a bar attached again keeps its parts.
    if (m_pLeftPart == nullptr && !BuildParts()) return;
    UpdateProgress();
}

bool CProgressExUI::BuildParts() {
    m_pLeftLine = AppendLineColumn(*this, m_pLeftPart);
    m_pMarker = AppendNew<CContainerUI>(*this);
    m_pRightLine = AppendLineColumn(*this, m_pRightPart);
    m_pSpinner = AppendNew<CRotateAnimateUI>(*this);
    if (m_pLeftLine == nullptr || m_pMarker == nullptr || m_pRightLine == nullptr ||
        m_pSpinner == nullptr)
        return false;

    m_pMarker->SetBackImage(m_strPoint);
    m_pMarker->SetFixedWidth(m_nPointWidth);
    m_pMarker->SetFixedHeight(m_nPointHeight);
    const int64_t drop = (static_cast<int64_t>(m_nAnimationHeight) - m_nPointHeight) / 2;
    m_pMarker->SetPadding(RECT{0, ClampToInt(drop), 0, 0});

    m_pSpinner->SetFloat(true);
    // What the markup did not give keeps the spinner's own default.
    if (!m_strInterval.IsEmpty()) m_pSpinner->ApplyAttribute(L"interval", m_strInterval);
    if (!m_strAuto.IsEmpty()) m_pSpinner->ApplyAttribute(L"auto", m_strAuto);
    if (!m_strLoop.IsEmpty()) m_pSpinner->ApplyAttribute(L"loop", m_strLoop);
    m_pSpinner->SetBackImage(m_strAnimation);
    m_pSpinner->SetFixedWidth(m_nAnimationWidth);
    m_pSpinner->SetFixedHeight(m_nAnimationHeight);
    m_rcSpinner = RECT{0, 0, m_nAnimationHeight, m_nAnimationHeight};
    m_pSpinner->Place(m_rcSpinner, true);
    // The spinner was initialised before it had its picture: it starts now.
    if (m_pSpinner->IsAutoStart()) m_pSpinner->Start();

    m_pLeftLine->SetFixedHeight(m_nLineHeight);
    m_pRightLine->SetFixedHeight(m_nLineHeight);
    m_pRightLine->SetBackColor(m_dwLineBkColor);
    return true;
}

void CProgressExUI::SetValue(int value) {
    m_nValue = value;
    if (m_pLeftPart != nullptr) UpdateProgress();
}

void CProgressExUI::UpdateProgress() {
    // The line's end; a maximum of 0 shows the whole line.
    int x = m_nMax != 0 ? MulDivTrunc(m_nValue, m_nWidth, m_nMax) : m_nWidth;
    if (x == 0) x = 1;
    if (m_nValue == m_nMax) {
        m_pMarker->SetVisible(false);
        m_pSpinner->SetVisible(false);
    } else if (!m_pMarker->IsVisible()) {
        m_pMarker->SetVisible(true);
        m_pSpinner->SetVisible(true);
    }
    const int64_t overhang = (static_cast<int64_t>(m_nAnimationWidth) - m_nPointWidth) / 2;
    m_rcSpinner.left = AddClamped(x, -overhang);
    m_rcSpinner.right = AddClamped(m_rcSpinner.left, m_nAnimationWidth);
    m_pSpinner->Place(m_rcSpinner, true);
    m_pLeftPart->SetFixedWidth(x);
    m_pLeftLine->SetFixedWidth(x);
    CUIString image;
    image.Format(L"file='%s' source='0,0,%d,%d'", m_strLineForeImage.GetData(), AddClamped(x, 3),
                 m_nLineHeight);
    m_pLeftLine->SetBackImage(image);
    InvalidateSelf();
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"ProgressEx", &CreateControlOf<CProgressExUI>);
}  // namespace

}  // namespace SkinUI
