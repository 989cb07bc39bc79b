// Child layouts: a subtree built from another markup document at initialisation.

#include "ui/controls/ChildLayoutUI.h"

#include <cwchar>
#include <map>
#include <vector>

#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/window/DialogBuilder.h"

namespace SkinUI {

namespace {

// The documents being built right now, outermost first: a child layout's tree is attached (and
// so initialised) inside the build of the layout that holds it.
std::vector<CUIString>& DocumentsInBuild() {
    static std::vector<CUIString> documents;
    return documents;
}

// Controls child layouts have built, per tree: keyed by the tree's top control and dropped
// when that control is destroyed.
std::map<CControlUI*, int>& BudgetsInUse() {
    static std::map<CControlUI*, int> budgets;
    return budgets;
}

bool ForgetBudget(void* topControl) {
    BudgetsInUse().erase(static_cast<CControlUI*>(topControl));
    return true;
}

int& BudgetUsedBy(CControlUI* layout) {
    CControlUI* top = layout;
    while (top->Parent() != nullptr) top = top->Parent();
    auto found = BudgetsInUse().find(top);
    if (found != BudgetsInUse().end()) return found->second;
    top->DestroyListeners() += MakeDelegate(&ForgetBudget);
    return BudgetsInUse()[top];
}

CControlUI* CountControl(CControlUI* /*control*/, LPVOID data) {
    ++*static_cast<int*>(data);
    return nullptr;
}

int CountTree(CControlUI* root) {
    int count = 0;
    root->Find(&CountControl, &count, kFindAll);
    return count;
}

class CBuildScope {
public:
    explicit CBuildScope(const CUIString& document) { DocumentsInBuild().push_back(document); }
    ~CBuildScope() { DocumentsInBuild().pop_back(); }
    CBuildScope(const CBuildScope&) = delete;
    CBuildScope& operator=(const CBuildScope&) = delete;
};

bool MayBuild(const CUIString& document) {
    const std::vector<CUIString>& documents = DocumentsInBuild();
    if (documents.size() >= static_cast<size_t>(CChildLayoutUI::kMaxNesting)) return false;
    for (const CUIString& open : documents) {
        if (open.CompareNoCase(document) == 0) return false;
    }
    return true;
}

}  // namespace

CChildLayoutUI::CChildLayoutUI() { UseAttributes(Attributes()); }
CChildLayoutUI::~CChildLayoutUI() = default;

LPCWSTR CChildLayoutUI::ClassName() const { return L"ChildLayoutUI"; }

LPVOID CChildLayoutUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"ChildLayout") == 0) return this;
    return CControlUI::InterfaceByName(name);
}

void CChildLayoutUI::SetXmlFile(LPCWSTR xmlFile) { m_strXmlFile = xmlFile; }

const CAttributeTable<CChildLayoutUI>& CChildLayoutUI::Attributes() {
    using C = CChildLayoutUI;
    static const TAttributeRow<C> rows[] = {
        AttrText::Row<&C::SetXmlFile>(L"xmlfile"),
    };
    static const CAttributeTable<C> table(rows, &CContainerUI::Attributes());
    return table;
}

void CChildLayoutUI::Initialize() {
    // Replaces the base's initialisation: the document is the layout's whole content.
    if (m_strXmlFile.IsEmpty()) return;
    if (!MayBuild(m_strXmlFile)) {
        RemoveAllItems();
        return;
    }
    // The scope covers attaching the tree too, which initialises the child layouts inside it.
    CBuildScope scope(m_strXmlFile);
    CControlUI* tree = BuildDocument();
    // The new tree replaces an earlier build (a layout initialised again is not filled twice).
    RemoveAllItems();
    if (tree != nullptr && !Append(tree)) delete tree;
}

CControlUI* CChildLayoutUI::BuildDocument() {
    CLayoutBuilder builder;
    CControlUI* tree = builder.Create(m_strXmlFile, nullptr, nullptr, m_pManager, nullptr);
    if (tree == nullptr) return nullptr;
    int& used = BudgetUsedBy(this);
    const int count = CountTree(tree);
    if (count > kMaxControls - used) {
        delete tree;
        return nullptr;
    }
    used += count;
    return tree;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"ChildLayout", &CreateControlOf<CChildLayoutUI>);
}  // namespace

}  // namespace SkinUI
