// CTreeNodeUI: a tree view's row, its folder button and check box, and the links between nodes.

#include "ui/controls/TreeNodeUI.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/LabelUI.h"
#include "ui/controls/TreeViewUI.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

constexpr int kButtonSize = 16;
constexpr int kRowHeight = 22;
constexpr DWORD kGlyphColor = 0xFF606060;

bool Is(LPCWSTR name, LPCWSTR expected) { return name != nullptr && wcscmp(name, expected) == 0; }

// A triangle of one-pixel strips, pointing right (collapsed) or down (expanded), so that no pen
// or brush is needed.
void DrawFolderGlyph(HDC hDC, const RECT& rc, bool expanded) {
    const LONG size = std::min(rc.right - rc.left, rc.bottom - rc.top) / 2;
    const LONG half = size / 2;
    const LONG cx = (rc.left + rc.right) / 2;
    const LONG cy = (rc.top + rc.bottom) / 2;
    for (LONG i = 0; i <= half; ++i) {
        const LONG reach = half - i;
        const RECT strip = expanded ? RECT{cx - reach, cy - half / 2 + i, cx + reach + 1,
                                           cy - half / 2 + i + 1}
                                    : RECT{cx - half / 2 + i, cy - reach, cx - half / 2 + i + 1,
                                           cy + reach + 1};
        CUIRender::DrawColor(hDC, strip, kGlyphColor);
    }
}

}  // namespace

// ---- The row's parts ----------------------------------------------------------------------------

// A part of the row that works on its node: a click acts on it, keys go to it.
class CTreeRowPartUI : public CControlUI {
public:
    explicit CTreeRowPartUI(CTreeNodeUI& node) : m_node(node) {
        m_cxyFixed = SIZE{kButtonSize, 0};
    }

    void ProcessEvent(TControlEvent& event) override {
        switch (event.nKind) {
        case kEventButtonDown:
            Act();
            return;
        case kEventDblClick:  // a double click on the button is two clicks, not a row's
            Act();
            return;
        case kEventKeyDown:
            m_node.ProcessEvent(event);
            return;
        case kEventMouseEnter:
        case kEventMouseLeave:
            m_bHot = event.nKind == kEventMouseEnter;
            InvalidateSelf();
            return;
        default:
            CControlUI::ProcessEvent(event);
        }
    }

protected:
    virtual void Act() = 0;

    CTreeNodeUI& m_node;
    bool m_bHot = false;
};

// The folder button: an image per state when the skin gives one, else a drawn triangle. A node
// without child nodes shows nothing there, but keeps the room so that texts line up.
class CTreeFolderButtonUI : public CTreeRowPartUI {
public:
    enum EImage { kCollapsed, kCollapsedHot, kExpanded, kExpandedHot, kImageCount };

    using CTreeRowPartUI::CTreeRowPartUI;

    void SetImage(EImage which, LPCWSTR description) {
        LoadImageSpec(m_images[which], description);
        InvalidateSelf();
    }
    LPCWSTR Image(EImage which) const { return m_images[which].description; }

    void PaintStateImage(HDC hDC) override {
        if (m_node.GetCountChild() == 0) return;
        const bool expanded = m_node.IsExpanded();
        const int base = expanded ? kExpanded : kCollapsed;
        if (m_bHot && DrawImage(hDC, m_images[base + 1])) return;
        if (DrawImage(hDC, m_images[base])) return;
        DrawFolderGlyph(hDC, m_rcItem, expanded);
    }

protected:
    void Act() override {
        if (m_node.GetCountChild() > 0) m_node.SetExpanded(!m_node.IsExpanded(), true);
    }

private:
    TImageSpec m_images[kImageCount];
};

// The check box: a square, filled when checked.
class CTreeCheckBoxUI : public CTreeRowPartUI {
public:
    using CTreeRowPartUI::CTreeRowPartUI;

    void PaintStateImage(HDC hDC) override {
        const LONG cx = (m_rcItem.left + m_rcItem.right) / 2;
        const LONG cy = (m_rcItem.top + m_rcItem.bottom) / 2;
        const RECT box{cx - 6, cy - 6, cx + 7, cy + 7};
        CUIRender::DrawRect(hDC, box, 1, m_bHot ? 0xFF2060C0 : kGlyphColor);
        if (m_node.IsChecked())
            CUIRender::DrawColor(hDC, RECT{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3},
                                 0xFF2060C0);
    }

protected:
    void Act() override { m_node.SetChecked(!m_node.IsChecked(), true); }
};

// ---- CTreeNodeUI ---------------------------------------------------------------------------------

CTreeNodeUI::CTreeNodeUI() {
    UseAttributes(Attributes());
    m_cxyFixed.cy = kRowHeight;
    // The parts are created here and owned as the row's children from then on.
    m_pIndent = new CControlUI;
    m_pIndent->SetMouseEnabled(false);
    m_pIndent->SetVisible(false);
    m_pFolder = new CTreeFolderButtonUI(*this);
    m_pCheck = new CTreeCheckBoxUI(*this);
    m_pCheck->SetVisible(false);
    m_pLabel = new CLabelUI;
    m_pLabel->SetMouseEnabled(false);
    m_pLabel->SetTextPadding(RECT{4, 0, 0, 0});
    for (CControlUI* part : {m_pIndent, static_cast<CControlUI*>(m_pFolder),
                             static_cast<CControlUI*>(m_pCheck), static_cast<CControlUI*>(m_pLabel)})
        CHorizontalLayoutUI::Append(part);
}

CTreeNodeUI::~CTreeNodeUI() {
    // Inside a tree view every row is the view's child and is deleted by it.
    if (m_pTree == nullptr) DeleteOwnSubtree();
}

void CTreeNodeUI::DeleteOwnSubtree() {
    std::vector<CTreeNodeUI*> nodes = Subtree();
    for (CTreeNodeUI* node : nodes) node->Unlink();
    for (size_t i = 1; i < nodes.size(); ++i) delete nodes[i];
}

LPCWSTR CTreeNodeUI::ClassName() const { return L"TreeNodeUI"; }

LPVOID CTreeNodeUI::InterfaceByName(LPCWSTR name) {
    if (Is(name, L"TreeNode")) return static_cast<ITreeNodeAttachUI*>(this);
    return CHorizontalLayoutUI::InterfaceByName(name);
}

CUIString CTreeNodeUI::Text() const { return m_pLabel->Text(); }

void CTreeNodeUI::SetText(LPCWSTR text) {
    CHorizontalLayoutUI::SetText(text);
    m_pLabel->SetText(text);
}

bool CTreeNodeUI::IsVisible() const { return !m_bFolded && CHorizontalLayoutUI::IsVisible(); }

void CTreeNodeUI::ProcessEvent(TControlEvent& event) {
    switch (event.nKind) {
    case kEventButtonDown:
        if (m_pTree != nullptr) m_pTree->SelectNode(this, true);
        return;
    case kEventDblClick:
        if (!m_children.empty()) SetExpanded(!m_bExpanded, true);
        return;
    case kEventKeyDown:
        if (m_pTree != nullptr && m_pTree->HandleKey(event)) return;
        break;
    case kEventMouseEnter:
    case kEventMouseLeave:
        SetHot(event.nKind == kEventMouseEnter);
        break;
    default:
        break;
    }
    CHorizontalLayoutUI::ProcessEvent(event);
}

// ---- Links between nodes -------------------------------------------------------------------------

bool CTreeNodeUI::AddChildNode(CControlUI* control) {
    auto* node = dynamic_cast<CTreeNodeUI*>(control);
    if (node == nullptr || node->m_pParentNode != nullptr || node->m_pTree != nullptr) return false;
    // A node may not become its own descendant.
    for (const CTreeNodeUI* up = this; up != nullptr; up = up->m_pParentNode)
        if (up == node) return false;
    m_children.push_back(node);
    node->m_pParentNode = this;
    if (m_pTree != nullptr) {
        m_pTree->InsertSubtree(this, node);
    } else {
        for (CTreeNodeUI* n : node->Subtree()) n->m_nLevel = n->m_pParentNode->m_nLevel + 1;
    }
    m_pFolder->InvalidateSelf();
    return true;
}

bool CTreeNodeUI::AddToRow(CControlUI* control) {
    return control != nullptr && CHorizontalLayoutUI::Append(control);
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* child) {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) return false;
    m_children.erase(it);
    child->m_pParentNode = nullptr;
    if (m_pTree != nullptr) m_pTree->RemoveSubtree(child);
    else delete child;
    m_pFolder->InvalidateSelf();
    return true;
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int index) const {
    if (index < 0 || index >= GetCountChild()) return nullptr;
    return m_children[static_cast<size_t>(index)];
}

std::vector<CTreeNodeUI*> CTreeNodeUI::Subtree() {
    // An explicit stack: a tree may be far deeper than the call stack allows.
    std::vector<CTreeNodeUI*> order;
    std::vector<CTreeNodeUI*> pending{this};
    while (!pending.empty()) {
        CTreeNodeUI* node = pending.back();
        pending.pop_back();
        order.push_back(node);
        pending.insert(pending.end(), node->m_children.rbegin(), node->m_children.rend());
    }
    return order;
}

void CTreeNodeUI::JoinTree(CTreeViewUI* tree, int level) {
    m_pTree = tree;
    m_nLevel = level;
    if (tree != nullptr) ApplyTreeLook();
}

void CTreeNodeUI::Unlink() {
    m_children.clear();
    m_pParentNode = nullptr;
    m_pTree = nullptr;
    m_bSelected = false;
}

// ---- State ---------------------------------------------------------------------------------------

void CTreeNodeUI::SetExpanded(bool expanded, bool notify) {
    if (expanded == m_bExpanded) return;
    m_bExpanded = expanded;
    m_pFolder->InvalidateSelf();
    if (m_pTree == nullptr) return;
    m_pTree->Refold(this);
    if (notify) m_pTree->NotifyNode(this, L"itemexpand", expanded);
}

void CTreeNodeUI::SetChecked(bool checked, bool notify) {
    if (checked == m_bChecked) return;
    m_bChecked = checked;
    m_pCheck->InvalidateSelf();
    if (notify && m_pTree != nullptr) m_pTree->NotifyNode(this, L"itemcheck", checked);
}

void CTreeNodeUI::SetFolded(bool folded) {
    if (folded == m_bFolded) return;
    m_bFolded = folded;
    // The row's parts follow the row, as they follow any container's visibility: otherwise a
    // row folded while the view was hidden would come back with parts that stay hidden.
    for (int i = 0; i < Count(); ++i) ItemAt(i)->SetInheritedVisible(IsVisible());
}

void CTreeNodeUI::SetSelected(bool selected) {
    m_bSelected = selected;
    UpdateTextColor();
    InvalidateSelf();
}

void CTreeNodeUI::SetHot(bool hot) {
    m_bHot = hot;
    UpdateTextColor();
}

CControlUI* CTreeNodeUI::FolderButton() const { return m_pFolder; }
CControlUI* CTreeNodeUI::CheckBox() const { return m_pCheck; }

// ---- Look ------------------------------------------------------------------------------------------

void CTreeNodeUI::ApplyTreeLook() {
    if (m_pTree == nullptr) return;
    // The indent is bounded by the control coordinates, however deep the node sits.
    const long long indent = static_cast<long long>(m_nLevel) * m_pTree->Indent();
    const int width = static_cast<int>(std::min<long long>(indent, kMaxControlCoordinate));
    // A width of 0 would mean "share what is left": no indent is no part at all.
    m_pIndent->SetFixedWidth(width);
    m_pIndent->SetVisible(width > 0);
    m_pFolder->SetVisible(m_pTree->IsFolderButtonVisible());
    m_pCheck->SetVisible(m_pTree->IsCheckBoxVisible());
    SetMinWidth(m_pTree->ItemMinWidth());
    UpdateTextColor();
}

void CTreeNodeUI::SetItemColors(const TTreeItemColors& colors) {
    m_colors = colors;
    UpdateTextColor();
    InvalidateSelf();
}

TTreeItemColors CTreeNodeUI::EffectiveColors() const {
    return m_pTree != nullptr ? m_colors.Over(m_pTree->ItemColors()) : m_colors;
}

void CTreeNodeUI::UpdateTextColor() {
    const DWORD color = EffectiveColors().TextFor(m_bHot, m_bSelected);
    if (color != 0) m_pLabel->SetTextColor(color);
}

void CTreeNodeUI::PaintBackColor(HDC hDC) {
    CHorizontalLayoutUI::PaintBackColor(hDC);
    const DWORD color = EffectiveColors().BackFor(m_bHot, m_bSelected);
    if (color != 0) CUIRender::DrawColor(hDC, m_rcPaint, AdjustedColor(color));
}

// ---- Attributes ----------------------------------------------------------------------------------

namespace {

template <CTreeFolderButtonUI::EImage Which>
TAttributeRow<CTreeNodeUI> FolderImageRow(LPCWSTR name) {
    return {name,
            [](CTreeNodeUI& c, LPCWSTR v) {
                static_cast<CTreeFolderButtonUI*>(c.FolderButton())->SetImage(Which, v);
            },
            [](CTreeNodeUI& c) -> CUIString {
                return static_cast<CTreeFolderButtonUI*>(c.FolderButton())->Image(Which);
            }};
}

}  // namespace

const CAttributeTable<CTreeNodeUI>& CTreeNodeUI::Attributes() {
    using C = CTreeNodeUI;
    // A node's own colours; SetItemColors repaints the row in them.
    static const CPartAttributes<C, TTreeItemColors> colors(
        TreeItemColorAttributes(), [](C& c) -> TTreeItemColors& { return c.m_colors; },
        [](C& c) { c.SetItemColors(c.m_colors); }, &CLinearLayoutUI::Attributes());
    static const TAttributeRow<C> rows[] = {
        {L"expanded", [](C& c, LPCWSTR v) { c.SetExpanded(ParseAttrBool(v)); },
         [](C& c) { return FormatAttrBool(c.IsExpanded()); }},
        {L"folderexpanded", [](C& c, LPCWSTR v) { c.SetExpanded(ParseAttrBool(v)); }, nullptr},
        {L"checked", [](C& c, LPCWSTR v) { c.SetChecked(ParseAttrBool(v)); },
         [](C& c) { return FormatAttrBool(c.IsChecked()); }},
        FolderImageRow<CTreeFolderButtonUI::kCollapsed>(L"folderbtnimage"),
        FolderImageRow<CTreeFolderButtonUI::kCollapsedHot>(L"folderbtnhotimage"),
        FolderImageRow<CTreeFolderButtonUI::kExpanded>(L"folderbtnexpandedimage"),
        FolderImageRow<CTreeFolderButtonUI::kExpandedHot>(L"folderbtnexpandedhotimage"),
    };
    static const CAttributeTable<C> table(rows, &colors);
    return table;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"TreeNode", &CreateControlOf<CTreeNodeUI>);
}  // namespace

// ---- Accessibility ---------------------------------------------------------------------------

LONG CTreeNodeUI::AccessibleRole() const { return ROLE_SYSTEM_OUTLINEITEM; }
DWORD CTreeNodeUI::AccessibleState() const {
    if (GetCountChild() == 0) return 0;
    return m_bExpanded ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
}

}  // namespace SkinUI
