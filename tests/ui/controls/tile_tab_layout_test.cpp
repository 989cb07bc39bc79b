// Tile, tab and child layouts: the grid's columns, cells and rows, scrolling a grid; one visible
// page and "tabselect"; a layout built from another document, once, and bounded.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/common/RectAssert.h"
#include "tests/common/TestFiles.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/ChildLayoutUI.h"
#include "ui/controls/TabLayoutUI.h"
#include "ui/controls/TileLayoutUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ScrollBarUI.h"
#include "ui/core/window/DialogBuilder.h"

using control_test::CTestWindow;
using test_support::SameRect;
using SkinUI::CControlUI;

namespace {

// A tile with a fixed size (0: not fixed) and paddings.
CControlUI* NewTile(int width, int height, RECT padding = {0, 0, 0, 0}) {
    auto* tile = new CControlUI;
    if (width > 0) tile->SetFixedWidth(width);
    if (height > 0) tile->SetFixedHeight(height);
    tile->SetPadding(padding);
    return tile;
}

// Notifications with both parameters.
class CFullRecorder : public SkinUI::INotifyUI {
public:
    struct TEntry {
        std::wstring type;
        WPARAM wParam;
        LPARAM lParam;
    };
    void Notify(SkinUI::TNotifyMsg& msg) override {
        entries.push_back(TEntry{msg.strType.GetData(), msg.wParam, msg.lParam});
    }
    int Count(const wchar_t* type) const {
        int count = 0;
        for (const TEntry& entry : entries) count += entry.type == type;
        return count;
    }
    std::vector<TEntry> entries;
};

class CListening {
public:
    CListening(SkinUI::CWindowManagerUI& manager, SkinUI::INotifyUI& notifier)
        : m_manager(manager), m_notifier(notifier) {
        m_manager.AddNotifier(&m_notifier);
    }
    ~CListening() { m_manager.RemoveNotifier(&m_notifier); }
    CListening(const CListening&) = delete;
    CListening& operator=(const CListening&) = delete;

private:
    SkinUI::CWindowManagerUI& m_manager;
    SkinUI::INotifyUI& m_notifier;
};

}  // namespace

// ---- Tile layout -------------------------------------------------------------------------------

TEST(TileLayout, CellsShareTheWidthAndTheChildPaddingByColumn) {
    SkinUI::CTileLayoutUI tiles;
    tiles.SetColumns(3);
    tiles.SetChildPadding(10);
    tiles.Append(NewTile(0, 40));
    tiles.Append(NewTile(0, 40, RECT{3, 0, 4, 0}));
    tiles.Append(NewTile(0, 40));
    tiles.Append(NewTile(0, 40));  // opens the second row
    tiles.Place(RECT{100, 20, 400, 500}, false);
    EXPECT_TRUE(SameRect(tiles.ItemAt(0)->Rect(), RECT{100, 20, 195, 60}));
    EXPECT_TRUE(SameRect(tiles.ItemAt(1)->Rect(), RECT{208, 20, 291, 60}));
    EXPECT_TRUE(SameRect(tiles.ItemAt(2)->Rect(), RECT{305, 20, 400, 60}));
    EXPECT_TRUE(SameRect(tiles.ItemAt(3)->Rect(), RECT{100, 70, 195, 110}));
}

TEST(TileLayout, RowsAreAsTallAsTheirTallestTileAndSmallTilesAreCentred) {
    SkinUI::CTileLayoutUI tiles;
    tiles.SetColumns(3);
    tiles.SetChildPadding(6);
    tiles.Append(NewTile(0, 20));
    tiles.Append(NewTile(50, 40, RECT{0, 5, 0, 5}));  // 50 with its vertical padding
    tiles.Append(NewTile(30, 30));
    tiles.Append(NewTile(0, 10));
    tiles.Place(RECT{0, 0, 300, 400}, false);
    // Row one is 50 high; a 20-high tile sits in the middle of it.
    EXPECT_TRUE(SameRect(tiles.ItemAt(0)->Rect(), RECT{0, 15, 97, 35}));
    // Cell 103..197, top at the padding (5), bottom at the row's end (50).
    EXPECT_TRUE(SameRect(tiles.ItemAt(1)->Rect(), RECT{125, 7, 175, 47}));
    EXPECT_TRUE(SameRect(tiles.ItemAt(2)->Rect(), RECT{236, 10, 266, 40}));
    // Row two starts below row one and the child padding.
    EXPECT_EQ(tiles.ItemAt(3)->Rect().top, 56);
    EXPECT_EQ(tiles.ItemAt(3)->Rect().bottom, 66);
}

struct TColumnsCase {
    const wchar_t* itemSize;
    LONG width;
    int columns;
    LONG secondTileLeft;
};

class TileColumns : public ::testing::TestWithParam<TColumnsCase> {};

TEST_P(TileColumns, ItemWidthDecidesTheColumnsFromTheLayoutWidth) {
    const TColumnsCase& c = GetParam();
    SkinUI::CTileLayoutUI tiles;
    tiles.ApplyAttribute(L"itemsize", c.itemSize);
    tiles.Append(NewTile(0, 40));
    tiles.Append(NewTile(0, 40));
    tiles.Place(RECT{0, 0, c.width, 200}, false);
    EXPECT_EQ(tiles.Columns(), c.columns);
    EXPECT_EQ(tiles.ItemAt(1)->Rect().left, c.secondTileLeft);
}

INSTANTIATE_TEST_SUITE_P(Cases, TileColumns,
                         ::testing::Values(TColumnsCase{L"80,40", 250, 3, 83},
                                           TColumnsCase{L"80,40", 70, 1, 0},  // next row
                                           TColumnsCase{L"100,40", 1000, 10, 100}));

TEST(TileLayout, InvisibleTilesTakeNoCellAndFloatingTilesKeepTheirPlace) {
    CTestWindow window;
    auto tiles = std::make_unique<SkinUI::CTileLayoutUI>();
    tiles->SetColumns(2);
    tiles->Append(NewTile(0, 40));
    CControlUI* hidden = NewTile(0, 40);
    hidden->SetVisible(false);
    tiles->Append(hidden);
    CControlUI* floating = NewTile(20, 20);
    floating->ApplyAttribute(L"float", L"true");
    floating->ApplyAttribute(L"pos", L"5,6,25,26");
    tiles->Append(floating);
    tiles->Append(NewTile(0, 40));
    window.Adopt(tiles, RECT{10, 10, 210, 210});
    EXPECT_TRUE(SameRect(tiles->ItemAt(3)->Rect(), RECT{110, 10, 210, 50}));
    EXPECT_TRUE(SameRect(floating->Rect(), RECT{15, 16, 35, 36}));
}

TEST(TileLayout, TallGridScrollsWithItsBar) {
    CTestWindow window;
    auto tiles = std::make_unique<SkinUI::CTileLayoutUI>();
    tiles->SetColumns(2);
    tiles->SetChildPadding(10);
    for (int i = 0; i < 6; ++i) tiles->Append(NewTile(0, 50));  // three rows: 170 high
    tiles->EnableScrollBars(true, false);
    window.Adopt(tiles, RECT{0, 0, 116, 100});
    SkinUI::CScrollBarUI* bar = tiles->VerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->Range(), 70);
    EXPECT_EQ(tiles->ItemAt(1)->Rect().right, 100);  // the bar keeps its 16 pixels
    tiles->SetScrollOffset(SIZE{0, 70});
    EXPECT_EQ(tiles->ItemAt(5)->Rect().bottom, 100);
    EXPECT_EQ(tiles->ItemAt(0)->Rect().top, -70);
    // A new layout pass keeps the scrolled place.
    tiles->Place(RECT{0, 0, 116, 100}, false);
    EXPECT_EQ(tiles->ItemAt(0)->Rect().top, -70);
}

TEST(TileLayout, HostileSizesStayWithinTheCoordinateRange) {
    SkinUI::CTileLayoutUI tiles;
    tiles.ApplyAttribute(L"columns", L"2147483647");
    tiles.ApplyAttribute(L"childpadding", L"2147483647");
    for (int i = 0; i < 300; ++i) {
        CControlUI* tile = NewTile(0, 0);
        tile->ApplyAttribute(L"minheight", L"2147483647");
        tile->ApplyAttribute(L"maxheight", L"2147483647");
        tile->ApplyAttribute(L"padding", L"2147483647,2147483647,2147483647,2147483647");
        tiles.Append(tile);
    }
    tiles.Place(RECT{0, 0, 300, 300}, false);
    tiles.SetColumns(1);
    tiles.Place(RECT{0, 0, 300, 300}, false);
    for (int i = 0; i < tiles.Count(); ++i) {
        const RECT rc = tiles.ItemAt(i)->Rect();
        EXPECT_LE(rc.bottom, SkinUI::kMaxControlCoordinate);
        EXPECT_GE(rc.top, -SkinUI::kMaxControlCoordinate);
    }
    EXPECT_EQ(tiles.Columns(), 1);
    tiles.ApplyAttribute(L"columns", L"0");  // ignored
    EXPECT_EQ(tiles.Columns(), 1);
}

namespace {

// A tab layout with three plain pages, attached to the test window.
std::unique_ptr<SkinUI::CTabLayoutUI> ThreePages(CTestWindow& window) {
    auto tabs = std::make_unique<SkinUI::CTabLayoutUI>();
    for (int i = 0; i < 3; ++i) tabs->Append(new CControlUI);
    window.Adopt(tabs, RECT{0, 0, 100, 100});
    return tabs;
}

}  // namespace

// ---- Tab layout --------------------------------------------------------------------------------

TEST(TabLayout, FirstVisibleChildIsThePageAndTheOthersAreHidden) {
    SkinUI::CTabLayoutUI tabs;
    for (int i = 0; i < 3; ++i) tabs.Append(new CControlUI);
    EXPECT_EQ(tabs.SelectedIndex(), 0);
    EXPECT_TRUE(tabs.ItemAt(0)->IsVisible());
    EXPECT_FALSE(tabs.ItemAt(1)->IsVisible());
    EXPECT_FALSE(tabs.ItemAt(2)->IsVisible());
}

TEST(TabLayout, SelectingShowsOnePageAndNotifiesOnlyOnChange) {
    CTestWindow window;
    CFullRecorder seen;
    CListening listening(window.Manager(), seen);
    auto tabs = ThreePages(window);

    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_EQ(tabs->SelectedIndex(), 2);
    EXPECT_FALSE(tabs->ItemAt(0)->IsVisible());
    EXPECT_TRUE(tabs->ItemAt(2)->IsVisible());
    ASSERT_EQ(seen.Count(L"tabselect"), 1);
    EXPECT_EQ(seen.entries.back().wParam, 2u);
    EXPECT_EQ(seen.entries.back().lParam, 0);

    EXPECT_TRUE(tabs->SelectItem(2));  // already shown: nothing to tell
    EXPECT_FALSE(tabs->SelectItem(-1));
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_EQ(tabs->SelectedIndex(), 2);
    EXPECT_EQ(seen.Count(L"tabselect"), 1);
}

TEST(TabLayout, OnlyTheSelectedPageIsLaidOut) {
    SkinUI::CTabLayoutUI tabs;
    tabs.SetInset(RECT{2, 2, 2, 2});
    for (int i = 0; i < 2; ++i) tabs.Append(new CControlUI);
    tabs.ItemAt(1)->SetPadding(RECT{5, 5, 5, 5});
    tabs.Place(RECT{0, 0, 100, 80}, false);
    EXPECT_TRUE(SameRect(tabs.ItemAt(0)->Rect(), RECT{2, 2, 98, 78}));
    EXPECT_TRUE(SkinUI::RectIsZero(tabs.ItemAt(1)->Rect()));
    tabs.SelectItem(1);
    tabs.Place(RECT{0, 0, 100, 80}, false);
    EXPECT_TRUE(SameRect(tabs.ItemAt(1)->Rect(), RECT{7, 7, 93, 73}));
}

TEST(TabLayout, RemovingAndInsertingPagesKeepsTheSelectionOnAPage) {
    CTestWindow window;
    CFullRecorder seen;
    CListening listening(window.Manager(), seen);
    auto tabs = ThreePages(window);
    tabs->SelectItem(1);
    seen.entries.clear();

    CControlUI* inserted = new CControlUI;
    EXPECT_TRUE(tabs->InsertAt(inserted, 0));  // before the page: the index follows it
    EXPECT_EQ(tabs->SelectedIndex(), 2);
    EXPECT_TRUE(tabs->RemoveItem(inserted));
    EXPECT_EQ(tabs->SelectedIndex(), 1);
    EXPECT_TRUE(tabs->RemoveItem(tabs->ItemAt(1)));  // the page itself: page 0 shows
    EXPECT_EQ(tabs->SelectedIndex(), 0);
    EXPECT_TRUE(tabs->ItemAt(0)->IsVisible());
    EXPECT_EQ(seen.Count(L"tabselect"), 0);
    tabs->RemoveAllItems();
    EXPECT_EQ(tabs->SelectedIndex(), -1);
    EXPECT_FALSE(tabs->RemoveItem(nullptr));
}

TEST(TabLayout, MarkupSelectsAmongTheChildrenItWasGiven) {
    CTestWindow window;
    CFullRecorder seen;
    CListening listening(window.Manager(), seen);
    SkinUI::CLayoutBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(
        LR"(<Window><TabLayout name="tabs" selectedid="2">)"
        LR"(<Control name="a"/><Control name="b"/><Control name="c"/></TabLayout></Window>)",
        nullptr, nullptr, &window.Manager()));
    ASSERT_NE(root, nullptr);
    auto* tabs = static_cast<SkinUI::CTabLayoutUI*>(root->InterfaceByName(L"TabLayout"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->SelectedIndex(), 2);
    EXPECT_FALSE(tabs->ItemAt(0)->IsVisible());
    EXPECT_TRUE(tabs->ItemAt(2)->IsVisible());
    ASSERT_EQ(seen.Count(L"tabselect"), 1);
    EXPECT_EQ(seen.entries.back().wParam, 2u);
    EXPECT_EQ(seen.entries.back().lParam, 0);
    // The page took the focus while the tree was built; a window takes it back when it takes
    // the tree (here the tree goes instead).
    window.Manager().SetFocus(nullptr);
}

// ---- Child layout ------------------------------------------------------------------------------

namespace {

// Writes a markup document into the skin folder (the render fixtures' folder).
void WriteSkinFile(const std::wstring& name, const std::string& markup) {
    RenderTest::PreparePictures();
    testfiles::WriteBytes(RenderTest::FixtureFolder() + name, markup);
}

// Builds markup with the test window's manager and attaches the result to it (names
// registered, so that FindControl sees them).
std::unique_ptr<CControlUI> BuildAttached(CTestWindow& window, LPCWSTR markup) {
    SkinUI::CLayoutBuilder builder;
    std::unique_ptr<CControlUI> root(
        builder.Create(markup, nullptr, nullptr, &window.Manager()));
    if (root) {
        window.Manager().RegisterTree(root.get());
        root->Place(RECT{0, 0, 200, 200}, false);
    }
    return root;
}

SkinUI::CChildLayoutUI* ChildLayout(CTestWindow& window, LPCWSTR name) {
    CControlUI* control = window.Manager().FindControl(name);
    return control != nullptr
               ? static_cast<SkinUI::CChildLayoutUI*>(control->InterfaceByName(L"ChildLayout"))
               : nullptr;
}

int CountControls(CControlUI* root) {
    int count = 0;
    root->Find([](CControlUI*, LPVOID data) -> CControlUI* {
        ++*static_cast<int*>(data);
        return nullptr;
    }, &count, SkinUI::kFindAll);
    return count;
}

}  // namespace

TEST(ChildLayout, BuildsTheOtherDocumentOnceWhenAttached) {
    CTestWindow window;
    WriteSkinFile(L"child_part.xml",
                  R"(<Window><HorizontalLayout name="part"><Control name="inner"/>)"
                  "<Control/></HorizontalLayout></Window>");
    auto root = BuildAttached(window, L"<Window><VerticalLayout>"
                                      LR"(<ChildLayout name="child" xmlfile="child_part.xml"/>)"
                                      L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    SkinUI::CChildLayoutUI* child = ChildLayout(window, L"child");
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->Count(), 1);
    EXPECT_STREQ(child->ItemAt(0)->ClassName(), L"HorizontalLayoutUI");
    EXPECT_NE(window.Manager().FindControl(L"inner"), nullptr);
    // The child layout offers no container interface of its own.
    EXPECT_EQ(child->InterfaceByName(L"IContainer"), nullptr);
    EXPECT_EQ(child->InterfaceByName(L"Control"), child);

    // Initialised again (attached anew): the document's tree replaces the first one.
    child->Initialize();
    EXPECT_EQ(child->Count(), 1);
}

TEST(ChildLayout, MissingOrBrokenDocumentLeavesItEmpty) {
    CTestWindow window;
    WriteSkinFile(L"child_broken.xml", R"(<Window><Control name="x"></Window>)");
    auto root = BuildAttached(window, L"<Window><VerticalLayout>"
                                      LR"(<ChildLayout name="missing" xmlfile="no_such.xml"/>)"
                                      LR"(<ChildLayout name="broken" xmlfile="child_broken.xml"/>)"
                                      LR"(<ChildLayout name="none"/>)"
                                      L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildLayout(window, L"missing")->Count(), 0);
    EXPECT_EQ(ChildLayout(window, L"broken")->Count(), 0);
    // Without a document the layout keeps what it has.
    SkinUI::CChildLayoutUI* none = ChildLayout(window, L"none");
    none->Append(new CControlUI);
    none->Initialize();
    EXPECT_EQ(none->Count(), 1);
}

TEST(ChildLayout, DocumentBuildingItselfIsNotRepeated) {
    CTestWindow window;
    WriteSkinFile(L"child_self.xml",
                  R"(<Window><VerticalLayout name="self">)"
                  R"(<ChildLayout name="again" xmlfile="child_self.xml"/>)"
                  R"(</VerticalLayout></Window>)");
    WriteSkinFile(L"child_ping.xml",
                  R"(<Window><ChildLayout xmlfile="child_pong.xml"/></Window>)");
    WriteSkinFile(L"child_pong.xml",
                  R"(<Window><ChildLayout xmlfile="child_ping.xml"/></Window>)");
    auto root = BuildAttached(window, L"<Window><VerticalLayout>"
                                      LR"(<ChildLayout name="top" xmlfile="child_self.xml"/>)"
                                      LR"(<ChildLayout name="ping" xmlfile="child_ping.xml"/>)"
                                      L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    // top > self > again, and "again" stays empty: its document is already being built.
    SkinUI::CChildLayoutUI* again = ChildLayout(window, L"again");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Count(), 0);
    // ping > pong > ping is refused at the second ping.
    EXPECT_EQ(CountControls(ChildLayout(window, L"ping")), 3);
}

TEST(ChildLayout, ControlsBuiltByChildLayoutsAreBoundedPerWindow) {
    CTestWindow window;
    std::string big = "<Window><VerticalLayout>";
    for (int i = 0; i < 1999; ++i) big += "<Control/>";
    big += "</VerticalLayout></Window>";  // 2000 controls
    WriteSkinFile(L"child_big.xml", big);
    // Sixty child layouts in three different rows of the window: one budget for all of them.
    std::wstring markup = L"<Window><VerticalLayout>";
    for (int row = 0; row < 3; ++row) {
        markup += L"<HorizontalLayout>";
        for (int i = 0; i < 20; ++i) markup += LR"(<ChildLayout xmlfile="child_big.xml"/>)";
        markup += L"</HorizontalLayout>";
    }
    markup += L"</VerticalLayout></Window>";
    SkinUI::CLayoutBuilder builder;
    CControlUI* root = builder.Create(markup.c_str(), nullptr, nullptr, &window.Manager());
    ASSERT_NE(root, nullptr);
    window.Manager().AttachRoot(root);  // the window owns the tree from here
    auto* rows = static_cast<SkinUI::CContainerUI*>(root->InterfaceByName(L"Container"));
    int filled = 0;
    for (int row = 0; row < rows->Count(); ++row) {
        auto* layouts =
            static_cast<SkinUI::CContainerUI*>(rows->ItemAt(row)->InterfaceByName(L"Container"));
        for (int i = 0; i < layouts->Count(); ++i) {
            auto* child = static_cast<SkinUI::CContainerUI*>(layouts->ItemAt(i));
            filled += child->Count() > 0;
        }
    }
    EXPECT_EQ(filled, SkinUI::CChildLayoutUI::kMaxControls / 2000);
}
