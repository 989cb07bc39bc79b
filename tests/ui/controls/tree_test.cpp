// Tree view and tree nodes: where the dialog builder attaches nodes and the controls inside
// them, levels, folding and the rows' rectangles, the tree's keys and clicks with their
// notifications, bounded settings, and trees far deeper than the call stack.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/common/RectAssert.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/TreeNodeUI.h"
#include "ui/controls/TreeViewUI.h"
#include "ui/core/window/DialogBuilder.h"

using control_test::CTestWindow;
using SkinUI::CControlUI;
using SkinUI::CTreeNodeUI;
using SkinUI::CTreeViewUI;
using test_support::SameRect;

namespace {

constexpr int kRow = 22;  // a row's default height
constexpr RECT kArea{0, 0, 240, 400};

CTreeNodeUI* AsNode(CControlUI* control) { return dynamic_cast<CTreeNodeUI*>(control); }

// The parts every row has before the controls added to it: indent, folder, check box, text.
constexpr int kRowParts = 4;

// One line per row: text, level, "-" when folded, and the classes added to the row.
std::wstring DescribeTree(CTreeViewUI& tree) {
    std::wstring text;
    for (int i = 0; i < tree.Count(); ++i) {
        CTreeNodeUI* node = AsNode(tree.ItemAt(i));
        if (!text.empty()) text += L" ";
        text += node->Text().GetData() + std::wstring(L"@") + std::to_wstring(node->GetTreeLevel());
        if (node->IsFolded()) text += L"-";
        for (int part = kRowParts; part < node->Count(); ++part)
            text += std::wstring(L"+") + node->ItemAt(part)->ClassName();
    }
    return text;
}

// What the builder returned: a tree's rows, a node's children, or a container's child classes.
std::wstring Describe(CControlUI* root) {
    if (root == nullptr) return L"(nothing)";
    if (auto* tree = dynamic_cast<CTreeViewUI*>(root)) return L"tree: " + DescribeTree(*tree);
    if (CTreeNodeUI* node = AsNode(root))
        return L"node " + std::wstring(node->Text().GetData()) + L" with " +
               std::to_wstring(node->GetCountChild()) + L" child nodes";
    auto* container = static_cast<SkinUI::IContainerUI*>(root->InterfaceByName(L"IContainer"));
    std::wstring text = root->ClassName();
    for (int i = 0; container != nullptr && i < container->Count(); ++i)
        text += std::wstring(L" ") + container->ItemAt(i)->ClassName();
    return text;
}

std::unique_ptr<CControlUI> Build(const std::wstring& markup,
                                  SkinUI::CWindowManagerUI* manager = nullptr) {
    SkinUI::CLayoutBuilder builder;
    return std::unique_ptr<CControlUI>(
        builder.Create(markup.c_str(), nullptr, nullptr, manager, nullptr));
}

struct TAttachCase {
    const wchar_t* what;
    const wchar_t* markup;
    const wchar_t* expected;
};

const TAttachCase kAttachCases[] = {
    {L"nodes under a tree view, and under nodes, in walking order",
     L"<Window><TreeView><TreeNode text=\"a\"><TreeNode text=\"b\"><TreeNode text=\"c\"/></TreeNode>"
     L"<TreeNode text=\"d\"/></TreeNode><TreeNode text=\"e\"/></TreeView></Window>",
     L"tree: a@0 b@1 c@2 d@1 e@0"},
    {L"the element name ignores case",
     L"<Window><TreeView><treenode text=\"a\"><TREENODE text=\"b\"/></treenode></TreeView></Window>",
     L"tree: a@0 b@1"},
    {L"other controls under a node go to its row, child nodes stay nodes",
     L"<Window><TreeView><TreeNode text=\"a\"><Button text=\"go\"/><TreeNode text=\"b\"/>"
     L"<Label/></TreeNode></TreeView></Window>",
     L"tree: a@0+ButtonUI+LabelUI b@1"},
    {L"a collapsed node's descendants are folded",
     L"<Window><TreeView><TreeNode text=\"a\" expanded=\"false\"><TreeNode text=\"b\">"
     L"<TreeNode text=\"c\"/></TreeNode></TreeNode><TreeNode text=\"d\"/></TreeView></Window>",
     L"tree: a@0 b@1- c@2- d@0"},
    {L"a node outside any tree is deleted, its siblings stay",
     L"<Window><HorizontalLayout><TreeNode text=\"x\"><TreeNode/></TreeNode><Label/>"
     L"</HorizontalLayout></Window>",
     L"HorizontalLayoutUI LabelUI"},
    {L"a node at the root is returned with its child nodes",
     L"<Window><TreeNode text=\"r\"><TreeNode text=\"s\"/><TreeNode/></TreeNode></Window>",
     L"node r with 2 child nodes"},
    {L"plain controls in a tree view stay plain rows' neighbours",
     L"<Window><VerticalLayout><TreeView/><Button/></VerticalLayout></Window>",
     L"VerticalLayoutUI TreeViewUI ButtonUI"},
};

TEST(TreeBuilder, AttachesNodesAndRowControlsAsTheMarkupNestsThem) {
    CTestWindow window;
    for (const TAttachCase& c : kAttachCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Describe(Build(c.markup).get()), c.expected);
        // With a manager the attributes come through the temporary attachment instead.
        EXPECT_EQ(Describe(Build(c.markup, &window.Manager()).get()), c.expected);
    }
}

TEST(TreeBuilder, KeepsNodeLinksAndTheRowControlsParent) {
    auto root = Build(
        L"<Window><TreeView><TreeNode text=\"a\" checked=\"true\"><Button name=\"go\"/>"
        L"<TreeNode text=\"b\"/></TreeNode></TreeView></Window>");
    auto* tree = dynamic_cast<CTreeViewUI*>(root.get());
    ASSERT_NE(tree, nullptr);
    CTreeNodeUI* a = tree->GetNode(0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(tree->GetCountNode(), 1);
    EXPECT_TRUE(a->IsChecked());
    ASSERT_EQ(a->GetCountChild(), 1);
    EXPECT_EQ(a->GetChildNode(0)->GetParentNode(), a);
    EXPECT_EQ(a->GetChildNode(1), nullptr);
    EXPECT_EQ(a->ItemAt(kRowParts)->Name(), L"go");  // the first control of the row
    EXPECT_EQ(a->QueryAttribute(L"checked"), L"true");
    EXPECT_EQ(a->InterfaceByName(L"TreeNode"),
              static_cast<SkinUI::ITreeNodeAttachUI*>(a));
}

// Markup nested ten thousand levels deep: the builder's depth limit cuts it.
TEST(TreeBuilder, HostileNestingIsCutAtTheBuildersDepthLimit) {
    constexpr int kDepth = 10000;
    std::wstring markup = L"<Window><TreeView>";
    for (int i = 0; i < kDepth; ++i) markup += L"<TreeNode text=\"n\">";
    for (int i = 0; i < kDepth; ++i) markup += L"</TreeNode>";
    markup += L"</TreeView></Window>";
    auto root = Build(markup);
    auto* tree = dynamic_cast<CTreeViewUI*>(root.get());
    ASSERT_NE(tree, nullptr);
    EXPECT_GT(tree->Count(), 0);
    EXPECT_LE(tree->Count(), SkinUI::CLayoutBuilder::kMaxNestingDepth);
}

// Many siblings, at the top and under one node: built whole, in walking order.
TEST(TreeBuilder, ManyNodesAreBuiltInOrder) {
    constexpr int kMany = 20000;
    std::wstring markup = L"<Window><TreeView><TreeNode text=\"top\">";
    for (int i = 0; i < kMany; ++i) markup += L"<TreeNode/>";
    markup += L"</TreeNode>";
    for (int i = 0; i < kMany; ++i) markup += L"<TreeNode/>";
    markup += L"<TreeNode text=\"last\"/></TreeView></Window>";
    auto root = Build(markup);
    auto* tree = dynamic_cast<CTreeViewUI*>(root.get());
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->Count(), 2 * kMany + 2);
    EXPECT_EQ(tree->GetNode(0)->GetCountChild(), kMany);
    EXPECT_EQ(AsNode(tree->ItemAt(kMany))->GetTreeLevel(), 1);
    EXPECT_EQ(AsNode(tree->ItemAt(kMany + 1))->GetTreeLevel(), 0);
    EXPECT_EQ(tree->GetNode(kMany + 1)->Text(), L"last");
}

// ---- A tree in a window ---------------------------------------------------------------------------

// a (b (c), d), e — built in a test window and placed on kArea.
class TreeInWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = Build(
            L"<Window><TreeView visiblecheckbtn=\"true\"><TreeNode text=\"a\"><TreeNode text=\"b\">"
            L"<TreeNode text=\"c\"/></TreeNode><TreeNode text=\"d\"/></TreeNode><TreeNode text=\"e\"/>"
            L"</TreeView></Window>",
            &m_window.Manager());
        tree = dynamic_cast<CTreeViewUI*>(m_root.get());
        ASSERT_NE(tree, nullptr);
        m_window.Adopt(m_root, kArea);
        Layout();
        m_window.Recorder().Clear();
    }

    void Layout() { tree->Place(kArea, false); }
    CTreeNodeUI* Row(int index) { return AsNode(tree->ItemAt(index)); }
    CTreeNodeUI* Named(const wchar_t* text) {
        for (int i = 0; i < tree->Count(); ++i)
            if (Row(i)->Text() == text) return Row(i);
        return nullptr;
    }
    void Key(wchar_t key) { control_test::SendEvent(*tree, SkinUI::kEventKeyDown, {}, 0, key); }
    // The shown rows' texts and the selected one in brackets.
    std::wstring Shown() {
        std::wstring text;
        for (int i = 0; i < tree->Count(); ++i) {
            if (!Row(i)->IsVisible()) continue;
            const bool selected = Row(i) == tree->SelectedNode();
            text += selected ? L"[" : L"";
            text += Row(i)->Text().GetData();
            text += selected ? L"]" : L"";
        }
        return text;
    }
    // The notifications seen: type, the sender's text and wParam.
    std::wstring Notifications() {
        std::wstring text;
        for (const control_test::TSeen& seen : m_window.Recorder().Seen()) {
            CTreeNodeUI* node = AsNode(seen.sender);
            if (node == nullptr) continue;
            if (!text.empty()) text += L" ";
            text += seen.type + L":" + node->Text().GetData() + L"=" + std::to_wstring(seen.wParam);
        }
        return text;
    }

    CTestWindow m_window;
    std::unique_ptr<CControlUI> m_root;
    CTreeViewUI* tree = nullptr;
};

TEST_F(TreeInWindow, RowsStackByDepthAndCollapsingTakesTheDescendantsOut) {
    EXPECT_TRUE(SameRect(Named(L"e")->Rect(), RECT{0, 4 * kRow, 240, 5 * kRow}));
    EXPECT_EQ(Named(L"c")->Rect().top, 2 * kRow);
    // Each level moves the text right by one indent.
    const LONG textA = Named(L"a")->TextLabel()->Rect().left;
    EXPECT_EQ(Named(L"c")->TextLabel()->Rect().left - textA, 2 * tree->Indent());

    Named(L"b")->SetExpanded(false);
    Named(L"a")->SetExpanded(false);
    Layout();
    EXPECT_EQ(Shown(), L"ae");
    EXPECT_EQ(Named(L"e")->Rect().top, kRow);

    // Expanding a shows b and d again, but b's own child stays folded under collapsed b.
    Named(L"a")->SetExpanded(true);
    Layout();
    EXPECT_EQ(Shown(), L"abde");
    EXPECT_EQ(Named(L"d")->Rect().top, 2 * kRow);
    EXPECT_EQ(Named(L"e")->Rect().top, 3 * kRow);
    EXPECT_EQ(Notifications(), L"");  // changes from code are silent
}

// The view hidden and shown again while a node is collapsed (a tab page switched away and
// back): the rows unfolded afterwards show their parts.
TEST_F(TreeInWindow, RowsUnfoldedAfterTheViewWasHiddenShowTheirParts) {
    Named(L"a")->SetExpanded(false);
    tree->SetVisible(false);
    tree->SetVisible(true);
    Named(L"a")->SetExpanded(true);
    Layout();
    EXPECT_TRUE(Named(L"b")->TextLabel()->IsVisible());
    EXPECT_TRUE(Named(L"c")->FolderButton()->IsVisible());
    EXPECT_TRUE(Named(L"d")->CheckBox()->IsVisible());
}

// Keys written as letters: Up, Down, Left, Right and Space (a blank).
wchar_t VirtualKey(wchar_t letter) {
    switch (letter) {
    case L'U': return VK_UP;
    case L'D': return VK_DOWN;
    case L'L': return VK_LEFT;
    case L'R': return VK_RIGHT;
    default: return VK_SPACE;
    }
}

// From the selection on a, everything expanded: the keys, then the rows shown with the
// selected one in brackets, then the notifications.
const wchar_t* const kKeyCases[][3] = {
    {L"DD", L"ab[c]de", L"itemselect:b=1 itemselect:c=1"},
    {L"DDL", L"a[b]cde", L"itemselect:b=1 itemselect:c=1 itemselect:b=1"},
    {L"DL", L"a[b]de", L"itemselect:b=1 itemexpand:b=0"},
    {L"L", L"[a]e", L"itemexpand:a=0"},
    {L"LDD", L"a[e]", L"itemexpand:a=0 itemselect:e=1"},
    {L"LR", L"[a]bcde", L"itemexpand:a=0 itemexpand:a=1"},
    {L"U   ", L"[a]bcde", L"itemcheck:a=1 itemcheck:a=0 itemcheck:a=1"},
    // Right on a leaf and Up on the first row change nothing.
    {L"DDRUUU", L"[a]bcde", L"itemselect:b=1 itemselect:c=1 itemselect:b=1 itemselect:a=1"},
};

TEST_F(TreeInWindow, KeysMoveExpandCollapseAndCheck) {
    for (const auto& c : kKeyCases) {
        const wchar_t* keys = c[0];
        SCOPED_TRACE(testing::PrintToString(std::wstring(keys)));
        for (int i = 0; i < tree->Count(); ++i) {
            Row(i)->SetExpanded(true);
            Row(i)->SetChecked(false);
        }
        tree->SelectNode(Named(L"a"));
        m_window.Recorder().Clear();
        // Keys reach the tree from the focused row as well as from the view itself.
        for (const wchar_t* key = keys; *key != 0; ++key) {
            CControlUI* target = (key - keys) % 2 == 0 ? static_cast<CControlUI*>(tree)
                                                       : tree->SelectedNode();
            control_test::SendEvent(*target, SkinUI::kEventKeyDown, {}, 0,
                                    VirtualKey(*key));
        }
        EXPECT_EQ(Shown(), c[1]);
        EXPECT_EQ(Notifications(), c[2]);
    }
}

TEST_F(TreeInWindow, MovingTheSelectionScrollsItIntoView) {
    tree->Place(RECT{0, 0, 240, 2 * kRow}, false);
    tree->SelectNode(Named(L"a"));
    for (int i = 0; i < 4; ++i) Key(VK_DOWN);
    ASSERT_EQ(tree->SelectedNode(), Named(L"e"));
    EXPECT_EQ(tree->ScrollOffset().cy, 3 * kRow);
    for (int i = 0; i < 4; ++i) Key(VK_UP);
    EXPECT_EQ(tree->ScrollOffset().cy, 0);
}

TEST_F(TreeInWindow, CollapsingOverTheSelectionSelectsTheCollapsedNode) {
    tree->SelectNode(Named(L"c"));
    Named(L"a")->SetExpanded(false, true);
    EXPECT_EQ(Shown(), L"[a]e");
    EXPECT_EQ(Notifications(), L"itemselect:a=1 itemexpand:a=0");
}

TEST_F(TreeInWindow, ClicksOnFolderButtonCheckBoxAndRow) {
    CTreeNodeUI* a = Named(L"a");
    CTreeNodeUI* b = Named(L"b");
    control_test::Click(*a->FolderButton(), control_test::Centre(a->FolderButton()->Rect()));
    control_test::Click(*b->CheckBox(), control_test::Centre(b->CheckBox()->Rect()));
    control_test::Click(*a, control_test::Centre(a->Rect()));
    control_test::SendEvent(*a, SkinUI::kEventDblClick, control_test::Centre(a->Rect()));
    // A leaf's folder button does nothing; a double click on a leaf does not expand it.
    CTreeNodeUI* e = Named(L"e");
    control_test::Click(*e->FolderButton(), control_test::Centre(e->FolderButton()->Rect()));
    control_test::SendEvent(*e, SkinUI::kEventDblClick, control_test::Centre(e->Rect()));
    EXPECT_EQ(Notifications(),
              L"itemexpand:a=0 itemcheck:b=1 itemselect:a=1 itemexpand:a=1");
    EXPECT_TRUE(b->IsChecked());
    EXPECT_EQ(Shown(), L"[a]bcde");
}

TEST_F(TreeInWindow, RemovingANodeRemovesItsRowsAndTheSelection) {
    tree->SelectNode(Named(L"c"));
    EXPECT_TRUE(Named(L"a")->RemoveChildNode(Named(L"b")));
    EXPECT_EQ(tree->SelectedNode(), nullptr);
    EXPECT_EQ(DescribeTree(*tree), L"a@0 d@1 e@0");
    EXPECT_FALSE(Named(L"a")->RemoveChildNode(Named(L"e")));  // not its child
    // Removing through the container's interface keeps the links right too.
    EXPECT_TRUE(tree->RemoveItem(Named(L"d")));
    EXPECT_EQ(Named(L"a")->GetCountChild(), 0);
    EXPECT_TRUE(tree->RemoveItem(Named(L"a")));
    EXPECT_EQ(DescribeTree(*tree), L"e@0");
}

TEST_F(TreeInWindow, RefusesNodesThatWouldMakeACycleOrHaveAPlace) {
    CTreeNodeUI* a = Named(L"a");
    EXPECT_FALSE(Named(L"c")->AddChildNode(a));   // a is c's ancestor
    EXPECT_FALSE(a->AddChildNode(Named(L"e")));   // e is in the tree already
    CControlUI plain;
    EXPECT_FALSE(a->AddChildNode(&plain));  // not a node: not taken
    EXPECT_FALSE(tree->AddNode(Named(L"b")));
    auto* added = new CTreeNodeUI;
    added->SetText(L"f");
    EXPECT_TRUE(Named(L"b")->AddChildNode(added));
    EXPECT_EQ(DescribeTree(*tree), L"a@0 b@1 c@2 f@2 d@1 e@0");
}

struct TSettingCase {
    const wchar_t* name;
    const wchar_t* value;
    const wchar_t* queried;
};

const TSettingCase kSettingCases[] = {
    {L"indent", L"20", L"20"},
    {L"indent", L"999999999", L"256"},
    {L"indent", L"-40", L"0"},
    {L"itemminwidth", L"-3", L"0"},
    {L"visiblefolderbtn", L"false", L"false"},
    {L"visiblecheckbtn", L"false", L"false"},
    {L"selitembkcolor", L"#FF102030", L"#FF102030"},
};

TEST_F(TreeInWindow, SettingsAreBoundedAndReachEveryRow) {
    for (const TSettingCase& c : kSettingCases) {
        SCOPED_TRACE(c.name);
        tree->ApplyAttribute(c.name, c.value);
        EXPECT_EQ(tree->QueryAttribute(c.name), c.queried);
    }
    Layout();
    CTreeNodeUI* c = Named(L"c");
    EXPECT_FALSE(c->FolderButton()->IsVisible());
    EXPECT_FALSE(c->CheckBox()->IsVisible());
    EXPECT_EQ(c->TextLabel()->Rect().left, Named(L"a")->TextLabel()->Rect().left);  // indent 0
    // The selected row is painted in the selected colour.
    tree->SelectNode(c);
    EXPECT_GT(control_test::CountPaintedColour(*tree, 240, 200, 0x102030), 200);
    // A node's own colour wins over the view's.
    c->ApplyAttribute(L"selitembkcolor", L"#FF405060");
    EXPECT_EQ(c->QueryAttribute(L"selitembkcolor"), L"#FF405060");
    EXPECT_GT(control_test::CountPaintedColour(*tree, 240, 200, 0x405060), 200);
    EXPECT_EQ(control_test::CountPaintedColour(*tree, 240, 200, 0x102030), 0);
}

// The folder button shows the skin's image for the node's state, the drawn triangle where the
// skin has none, and nothing on a leaf.
TEST_F(TreeInWindow, FolderButtonsShowTheImageOfTheirState) {
    constexpr DWORD kGlyph = 0x606060;
    tree->ApplyAttribute(L"visiblecheckbtn", L"false");
    for (int i = 0; i < tree->Count(); ++i)
        Row(i)->ApplyAttribute(L"folderbtnexpandedimage", L"solid.png");
    Layout();
    EXPECT_EQ(Named(L"a")->QueryAttribute(L"folderbtnexpandedimage"), L"solid.png");
    // a and b are expanded and have children: two buttons of 16 x 22.
    EXPECT_EQ(control_test::CountPaintedColour(*tree, 240, 400, RenderTest::kSolidColor),
              2 * 16 * kRow);
    // (The texts' smoothed edges have a few pixels of the glyph's grey too.)
    const int greyBefore = control_test::CountPaintedColour(*tree, 240, 400, kGlyph);
    Named(L"b")->SetExpanded(false);
    Layout();
    EXPECT_EQ(control_test::CountPaintedColour(*tree, 240, 400, RenderTest::kSolidColor),
              16 * kRow);
    EXPECT_GE(control_test::CountPaintedColour(*tree, 240, 400, kGlyph), greyBefore + 9);
}

// ---- Deep trees -----------------------------------------------------------------------------------

constexpr int kDeep = 5000;

// A chain of kDeep nodes, each the only child of the one before.
CTreeNodeUI* NewChain() {
    auto* top = new CTreeNodeUI;
    CTreeNodeUI* last = top;
    for (int i = 1; i < kDeep; ++i) {
        auto* next = new CTreeNodeUI;
        last->AddChildNode(next);
        last = next;
    }
    return top;
}

TEST(TreeDeep, ChainsDeeperThanTheStackFoldLayOutPaintAndDelete) {
    CTestWindow window;
    auto tree = std::make_unique<CTreeViewUI>();
    window.Adopt(tree, kArea);
    tree->ApplyAttribute(L"indent", L"256");
    // One chain grown outside and joining whole, one grown inside the tree node by node.
    ASSERT_TRUE(tree->AddNode(NewChain()));
    auto* inside = new CTreeNodeUI;
    ASSERT_TRUE(tree->AddNode(inside));
    for (int i = 1; i < kDeep; ++i) {
        auto* next = new CTreeNodeUI;
        ASSERT_TRUE(inside->AddChildNode(next));
        inside = next;
    }
    ASSERT_EQ(tree->Count(), 2 * kDeep);
    EXPECT_EQ(inside->GetTreeLevel(), kDeep - 1);
    EXPECT_EQ(AsNode(tree->ItemAt(kDeep - 1))->GetTreeLevel(), kDeep - 1);

    tree->Place(kArea, false);
    control_test::PaintOnCanvas(*tree, 240, 400);
    tree->GetNode(0)->SetExpanded(false);
    tree->Place(kArea, false);
    EXPECT_EQ(tree->GetNode(1)->Rect().top, kRow);
    EXPECT_FALSE(tree->ItemAt(kDeep - 1)->IsVisible());
    tree->GetNode(0)->SetExpanded(true);
    EXPECT_TRUE(tree->ItemAt(kDeep - 1)->IsVisible());
    tree.reset();

    // A chain that never joined a tree is deleted by its top node.
    delete NewChain();
}

}  // namespace
