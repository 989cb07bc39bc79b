// The list: key targets, selection with the mouse and the keyboard (single and multiple), the
// scroll position after selecting out of view, a 100 000-row list that places only the rows in
// view, the text callback asked only for visible cells, the header's column drag and click, and
// hostile counts of columns.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/ListBodyUI.h"
#include "ui/controls/ListElementsUI.h"
#include "ui/controls/ListHeaderUI.h"
#include "ui/controls/ListUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/window/DialogBuilder.h"

using control_test::CTestWindow;
using control_test::SendEvent;
using SkinUI::CListHeaderItemUI;
using SkinUI::CListHeaderUI;
using SkinUI::CListTextElementUI;
using SkinUI::CListUI;

namespace {

constexpr int kRowHeight = 24;
// A 300 × 240 body (header hidden): ten whole rows a page.
constexpr RECT kListRect = {0, 0, 300, 240};

void AddTextRows(CListUI& list, int count) {
    for (int i = 0; i < count; ++i) {
        auto* row = new CListTextElementUI;
        row->SetText(L"row");
        ASSERT_TRUE(list.AddRow(row));  // the body owns the row from here
    }
}

std::unique_ptr<CListUI> AttachedList(CTestWindow& window, int rows, bool multi = false) {
    auto list = std::make_unique<CListUI>();
    list->SetMultiSelect(multi);
    AddTextRows(*list, rows);
    window.Adopt(list, kListRect);
    return list;
}

void PressKey(CListUI& list, wchar_t key) {
    SendEvent(list, SkinUI::kEventKeyDown, POINT{0, 0}, 0, key);
}

int PlacedRows(const CListUI& list) {
    int placed = 0;
    for (int i = 0; i < list.RowCount(); ++i)
        if (!SkinUI::RectIsEmpty(list.RowAt(i)->Rect())) ++placed;
    return placed;
}

}  // namespace

// ---- Key targets -------------------------------------------------------------------------------

struct TKeyCase {
    UINT key;
    int current;
    int count;
    int page;
    int expected;
};

class ListKeyTargets : public ::testing::TestWithParam<TKeyCase> {};

TEST_P(ListKeyTargets, MoveWithinTheRows) {
    const TKeyCase& c = GetParam();
    EXPECT_EQ(SkinUI::ListKeyTarget(c.key, c.current, c.count, c.page), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ListKeyTargets,
    ::testing::Values(TKeyCase{VK_DOWN, 3, 10, 5, 4}, TKeyCase{VK_UP, 3, 10, 5, 2},
                      TKeyCase{VK_DOWN, 9, 10, 5, 9},      // clamped at the end
                      TKeyCase{VK_UP, 0, 10, 5, 0},        // clamped at the start
                      TKeyCase{VK_UP, -1, 10, 5, 0},       // nothing current: the first row
                      TKeyCase{VK_DOWN, -1, 10, 5, 0},
                      TKeyCase{VK_NEXT, 2, 10, 5, 7}, TKeyCase{VK_NEXT, 7, 10, 5, 9},
                      TKeyCase{VK_PRIOR, 7, 10, 5, 2}, TKeyCase{VK_PRIOR, 3, 10, 5, 0},
                      TKeyCase{VK_NEXT, 0, 10, 0, 1},      // a page of no rows still moves
                      TKeyCase{VK_HOME, 6, 10, 5, 0}, TKeyCase{VK_END, 2, 10, 5, 9},
                      TKeyCase{VK_END, 0, 0, 5, -1},       // no rows
                      TKeyCase{'A', 2, 10, 5, -1},         // not a navigation key
                      TKeyCase{VK_NEXT, 2147483000, 2147483647, 2147483647, 2147483646}));

// ---- Selection with the mouse ------------------------------------------------------------------

struct TPress {
    int index;
    WORD keys;
};

struct TSelectionCase {
    const char* name;
    bool multi;
    std::vector<TPress> presses;
    std::vector<int> selected;
    int current;
};

class ListMouseSelection : public ::testing::TestWithParam<TSelectionCase> {};

TEST_P(ListMouseSelection, PressesGiveTheSelection) {
    const TSelectionCase& c = GetParam();
    CTestWindow window;
    auto list = AttachedList(window, 20, c.multi);
    for (const TPress& press : c.presses) list->OnItemPressed(press.index, press.keys);
    EXPECT_EQ(list->Selection(), c.selected);
    EXPECT_EQ(list->CurrentRow(), c.current);
    for (int i = 0; i < list->RowCount(); ++i) {
        const bool listed = std::find(c.selected.begin(), c.selected.end(), i) != c.selected.end();
        EXPECT_EQ(list->IsRowSelected(i), listed) << "row " << i;
    }
}

constexpr WORD kShift = SkinUI::kKeyStateShift;
constexpr WORD kCtrl = SkinUI::kKeyStateControl;

INSTANTIATE_TEST_SUITE_P(
    Presses, ListMouseSelection,
    ::testing::Values(
        TSelectionCase{"single", false, {{3, 0}, {5, 0}}, {5}, 5},
        TSelectionCase{"singleIgnoresModifiers", false, {{3, 0}, {6, kShift}, {8, kCtrl}}, {8}, 8},
        TSelectionCase{"shiftRange", true, {{3, 0}, {6, kShift}}, {3, 4, 5, 6}, 6},
        TSelectionCase{"shiftRangeUpwards", true, {{6, 0}, {2, kShift}}, {2, 3, 4, 5, 6}, 2},
        TSelectionCase{"shiftKeepsAnchor", true, {{3, 0}, {6, kShift}, {4, kShift}}, {3, 4}, 4},
        TSelectionCase{"ctrlAdds", true, {{3, 0}, {7, kCtrl}, {1, kCtrl}}, {1, 3, 7}, 1},
        TSelectionCase{"ctrlToggles", true, {{3, 0}, {7, kCtrl}, {3, kCtrl}}, {7}, 3},
        TSelectionCase{"plainClears", true, {{3, 0}, {7, kCtrl}, {9, 0}}, {9}, 9},
        TSelectionCase{"outOfRange", false, {{3, 0}, {20, 0}, {-1, 0}}, {3}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListNotifications, PressSelectAndActivate) {
    CTestWindow window;
    auto list = AttachedList(window, 20);
    auto& seen = window.Recorder();
    // A row's own press reaches the list through the row.
    SendEvent(*list->RowAt(4), SkinUI::kEventButtonDown, control_test::Centre(list->RowAt(4)->Rect()));
    SendEvent(*list->RowAt(4), SkinUI::kEventDblClick);
    PressKey(*list, VK_RETURN);
    ASSERT_EQ(seen.Count(L"itemclick"), 1);
    ASSERT_EQ(seen.Count(L"itemselect"), 1);
    ASSERT_EQ(seen.Count(L"itemactivate"), 2);
    for (const auto& s : seen.Seen()) EXPECT_EQ(s.wParam, 4u);
}

// ---- Keyboard and scrolling ----------------------------------------------------------------------

struct TKeyScrollCase {
    const char* name;
    std::vector<wchar_t> keys;
    int current;
    LONG scroll;  // vertical offset after the keys
};

class ListKeyboard : public ::testing::TestWithParam<TKeyScrollCase> {};

TEST_P(ListKeyboard, SelectsAndScrollsIntoView) {
    const TKeyScrollCase& c = GetParam();
    CTestWindow window;
    auto list = AttachedList(window, 100);
    list->SetHeaderShown(false);
    for (wchar_t key : c.keys) PressKey(*list, key);
    EXPECT_EQ(list->CurrentRow(), c.current);
    EXPECT_EQ(list->Selection(), std::vector<int>{c.current});
    EXPECT_EQ(list->Body()->ScrollOffset().cy, c.scroll);
    const RECT row = list->RowAt(c.current)->Rect();
    EXPECT_GE(row.top, kListRect.top);
    EXPECT_LE(row.bottom, kListRect.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ListKeyboard,
    ::testing::Values(
        TKeyScrollCase{"downFromNothing", {VK_DOWN}, 0, 0},
        TKeyScrollCase{"tenDownsScrollOneRow", std::vector<wchar_t>(11, VK_DOWN), 10, kRowHeight},
        TKeyScrollCase{"end", {VK_END}, 99, 100 * kRowHeight - 240},
        TKeyScrollCase{"endThenHome", {VK_END, VK_HOME}, 0, 0},
        TKeyScrollCase{"endThenUpStaysInView", {VK_END, VK_UP}, 98, 100 * kRowHeight - 240},
        TKeyScrollCase{"pageDown", {VK_HOME, VK_NEXT}, 10, kRowHeight},
        TKeyScrollCase{"pageDownTwice", {VK_HOME, VK_NEXT, VK_NEXT}, 20, 11 * kRowHeight},
        TKeyScrollCase{"pageUpAfterEnd", {VK_END, VK_PRIOR}, 89, 89 * kRowHeight},
        TKeyScrollCase{"downAtEndStays", {VK_END, VK_DOWN, VK_DOWN}, 99, 100 * kRowHeight - 240}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListKeyboard, ShiftExtendsInMultipleSelection) {
    CTestWindow window;
    auto list = AttachedList(window, 30, true);
    list->OnItemPressed(5, 0);
    SkinUI::TControlEvent event;
    event.nKind = SkinUI::kEventKeyDown;
    event.chKey = VK_DOWN;
    event.wKeyState = SkinUI::kKeyStateShift;
    list->HandleEvent(event);
    list->HandleEvent(event);
    EXPECT_EQ(list->Selection(), (std::vector<int>{5, 6, 7}));
}

TEST(ListScrolling, WheelScrollsThreeRowsWithinTheContent) {
    CTestWindow window;
    auto list = AttachedList(window, 100);
    SendEvent(*list->RowAt(0), SkinUI::kEventScrollWheel, POINT{5, 5}, 1);
    EXPECT_EQ(list->Body()->ScrollOffset().cy, 3 * kRowHeight);
    EXPECT_EQ(list->Body()->FirstVisibleRow(), 3);
    SendEvent(*list, SkinUI::kEventScrollWheel, POINT{5, 5}, 0);
    SendEvent(*list, SkinUI::kEventScrollWheel, POINT{5, 5}, 0);
    EXPECT_EQ(list->Body()->ScrollOffset().cy, 0);
}

// ---- 100 000 rows --------------------------------------------------------------------------------

TEST(ListVirtualRows, OnlyTheRowsInViewArePlaced) {
    CTestWindow window;
    auto list = AttachedList(window, 100000);
    EXPECT_EQ(list->Body()->ContentHeight(), 100000LL * kRowHeight);
    EXPECT_EQ(PlacedRows(*list), 10);
    EXPECT_TRUE(SkinUI::RectIsEmpty(list->RowAt(50000)->Rect()));

    ASSERT_TRUE(list->SelectRow(50000));
    const RECT shown = list->RowAt(50000)->Rect();
    EXPECT_EQ(shown.bottom, kListRect.bottom);
    EXPECT_EQ(shown.top, kListRect.bottom - kRowHeight);
    // The rows of the first page left the view and were emptied.
    EXPECT_TRUE(SkinUI::RectIsEmpty(list->RowAt(0)->Rect()));
    EXPECT_LE(PlacedRows(*list), 11);

    // A hit test at the bottom finds that row among 100 000 without walking them.
    POINT pt = control_test::Centre(shown);
    EXPECT_EQ(list->Find([](SkinUI::CControlUI* c, LPVOID) { return c; }, &pt,
                         SkinUI::kFindHitTest | SkinUI::kFindTopFirst),
              list->RowAt(50000));
}

namespace {

class CCountingCallback : public SkinUI::IListCallbackUI {
public:
    SkinUI::CUIString GetItemText(SkinUI::CControlUI*, int row, int column) override {
        ++calls;
        SkinUI::CUIString text;
        text.Format(L"r%dc%d", row, column);
        return text;
    }
    int calls = 0;
};

}  // namespace

TEST(ListVirtualRows, CallbackIsAskedOnlyForVisibleCells) {
    CTestWindow window;
    auto list = AttachedList(window, 100000);
    auto* header = new CListHeaderUI;
    for (int i = 0; i < 3; ++i) {
        auto* item = new CListHeaderItemUI;
        item->SetFixedWidth(100);
        header->Append(item);
    }
    ASSERT_TRUE(list->SetHeader(header));  // the list owns the header from here
    list->Place(RECT{0, 0, 300, 26 + 240}, false);
    CCountingCallback callback;
    list->SetTextCallback(&callback);
    control_test::PaintOnCanvas(*list, 300, 266);
    EXPECT_GT(callback.calls, 0);
    EXPECT_LE(callback.calls, 11 * 3);
    list->SetTextCallback(nullptr);
}

// ---- Header ------------------------------------------------------------------------------------

namespace {

struct TListWithHeader {
    CTestWindow window;
    std::unique_ptr<CListUI> list = std::make_unique<CListUI>();
    CListHeaderUI* header = new CListHeaderUI;

    TListWithHeader() {
        for (int i = 0; i < 3; ++i) {
            auto* item = new CListHeaderItemUI;
            item->SetFixedWidth(100);
            header->Append(item);
        }
        list->SetHeader(header);  // owned by the list
        AddTextRows(*list, 5);
        window.Adopt(list, RECT{0, 0, 400, 200});
    }
    CListHeaderItemUI& Item(int i) { return *static_cast<CListHeaderItemUI*>(header->ItemAt(i)); }
};

}  // namespace

struct TDragCase {
    int dx;
    LONG width;
};

class ListHeaderDrag : public ::testing::TestWithParam<TDragCase> {};

TEST_P(ListHeaderDrag, SeparatorChangesTheColumnAndTheCellsFollow) {
    TListWithHeader fixture;
    CListHeaderItemUI& first = fixture.Item(0);
    const RECT sep = first.SeparatorRect();
    const POINT press{sep.right - 2, (sep.top + sep.bottom) / 2};
    SendEvent(first, SkinUI::kEventButtonDown, press);
    SendEvent(first, SkinUI::kEventMouseMove, POINT{press.x + GetParam().dx, press.y});
    SendEvent(first, SkinUI::kEventButtonUp, POINT{press.x + GetParam().dx, press.y});
    EXPECT_EQ(first.FixedWidth(), GetParam().width);
    EXPECT_TRUE(fixture.list->IsUpdateNeeded());
    fixture.list->Place(RECT{0, 0, 400, 200}, false);  // the window's next layout pass
    LONG left = 0;
    LONG right = 0;
    ASSERT_TRUE(fixture.list->ColumnSpan(1, left, right));
    EXPECT_EQ(left, GetParam().width);
    EXPECT_EQ(right, GetParam().width + 100);
    EXPECT_EQ(fixture.window.Recorder().Count(L"headerclick"), 0);
}

INSTANTIATE_TEST_SUITE_P(Drags, ListHeaderDrag,
                         ::testing::Values(TDragCase{40, 140}, TDragCase{-30, 70},
                                           TDragCase{-500, CListHeaderItemUI::kMinColumnWidth},
                                           TDragCase{100000, CListHeaderItemUI::kMaxColumnWidth}));

TEST(ListHeader, ClickSendsHeaderClickWithTheColumn) {
    TListWithHeader fixture;
    CListHeaderItemUI& second = fixture.Item(1);
    control_test::Click(second, control_test::Centre(second.Rect()));
    ASSERT_EQ(fixture.window.Recorder().Count(L"headerclick", &second), 1);
    EXPECT_EQ(fixture.window.Recorder().Seen().back().wParam, 1u);
    EXPECT_EQ(second.FixedWidth(), 100);
}

TEST(ListHeader, NotDragableColumnOnlyClicks) {
    TListWithHeader fixture;
    CListHeaderItemUI& first = fixture.Item(0);
    control_test::ApplyAttributes(first, {L"dragable", L"false"});
    const POINT press{first.Rect().right - 1, 10};
    SendEvent(first, SkinUI::kEventButtonDown, press);
    SendEvent(first, SkinUI::kEventMouseMove, POINT{press.x + 50, press.y});
    SendEvent(first, SkinUI::kEventButtonUp, POINT{press.x - 10, press.y});
    EXPECT_EQ(first.FixedWidth(), 100);
    EXPECT_EQ(fixture.window.Recorder().Count(L"headerclick"), 1);
}

TEST(ListHostile, ColumnsAreBounded) {
    CListHeaderUI header;
    int taken = 0;
    for (int i = 0; i < 1000000; ++i) {
        auto* item = new CListHeaderItemUI;
        if (header.Append(item))
            ++taken;
        else
            delete item;  // refused: still the caller's, as the dialog builder does
    }
    EXPECT_EQ(taken, SkinUI::kMaxListColumns);
}

TEST(ListHostile, NonRowsAreRefusedAndItemAttributesClamped) {
    CListUI list;
    SkinUI::CControlUI plain;
    EXPECT_FALSE(list.AddRow(&plain));
    control_test::ApplyAttributes(list, {L"itemheight", L"-5"});
    EXPECT_EQ(list.ListInfo().rowHeight, SkinUI::kMinListRowHeight);
    control_test::ApplyAttributes(list, {L"itemheight", L"99999999"});
    EXPECT_EQ(list.ListInfo().rowHeight, SkinUI::kMaxListRowHeight);
    EXPECT_EQ(list.QueryAttribute(L"itemheight"), SkinUI::CUIString(L"80"));
}

// ---- Markup --------------------------------------------------------------------------------------

namespace {

std::unique_ptr<SkinUI::CControlUI> BuildMarkup(CTestWindow& window, const std::wstring& markup) {
    SkinUI::CLayoutBuilder builder;
    return std::unique_ptr<SkinUI::CControlUI>(
        builder.Create(markup.c_str(), nullptr, nullptr, &window.Manager()));
}

CListUI* AsList(SkinUI::CControlUI* control) {
    return control != nullptr ? static_cast<CListUI*>(control->InterfaceByName(L"List")) : nullptr;
}

}  // namespace

TEST(ListMarkup, ChildrenGoToHeaderAndBody) {
    CTestWindow window;
    auto root = BuildMarkup(window,
        L"<Window><List itemheight=\"30\">"
        L"<ListHeader><ListHeaderItem text=\"A\" width=\"100\"/><ListHeaderItem text=\"B\" "
        L"width=\"120\"/></ListHeader><ListHeader/>"
        L"<ListTextElement texts=\"x|y\"/><Label text=\"not a row\"/>"
        L"<ListContainerElement><Control/><Control/><Control/></ListContainerElement>"
        L"</List></Window>");
    CListUI* list = AsList(root.get());
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->Header(), nullptr);
    EXPECT_EQ(list->Header()->Count(), 2);
    ASSERT_EQ(list->RowCount(), 2);  // the label and the second header were refused
    auto* text = static_cast<CListTextElementUI*>(list->RowAt(0)->InterfaceByName(L"ListTextElement"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->ColumnText(0), SkinUI::CUIString(L"x"));
    EXPECT_EQ(text->ColumnText(1), SkinUI::CUIString(L"y"));
    EXPECT_EQ(list->ListInfo().rowHeight, 30);

    root->Place(RECT{0, 0, 400, 300}, false);
    // The container row's cells take the header's columns; a third cell without a column none.
    auto* cells = static_cast<SkinUI::CContainerUI*>(list->RowAt(1)->InterfaceByName(L"Container"));
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->ItemAt(0)->Rect().left, 0);
    EXPECT_EQ(cells->ItemAt(0)->Rect().right, 100);
    EXPECT_EQ(cells->ItemAt(1)->Rect().left, 100);
    EXPECT_EQ(cells->ItemAt(1)->Rect().right, 220);
    EXPECT_TRUE(SkinUI::RectIsEmpty(cells->ItemAt(2)->Rect()));
    EXPECT_EQ(SkinUI::RectHeight(cells->ItemAt(0)->Rect()), 30);
}

TEST(ListMarkup, HiddenHeaderLeavesOneColumn) {
    CTestWindow window;
    auto root = BuildMarkup(window,
        L"<Window><List header=\"hidden\"><ListHeader><ListHeaderItem width=\"50\"/></ListHeader>"
        L"<ListLabelElement text=\"only\"/></List></Window>");
    CListUI* list = AsList(root.get());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ColumnCount(), 0);
    EXPECT_EQ(list->QueryAttribute(L"header"), SkinUI::CUIString(L"hidden"));
    root->Place(RECT{0, 0, 400, 300}, false);
    EXPECT_EQ(list->RowAt(0)->Rect().top, 0);  // the hidden header takes no room
}

TEST(ListHostile, MarkupColumnsAreBounded) {
    CTestWindow window;
    std::wstring markup = L"<Window><List><ListHeader>";
    for (int i = 0; i < 5000; ++i) markup += L"<ListHeaderItem width=\"-7\" sepwidth=\"-3\"/>";
    markup += L"</ListHeader></List></Window>";
    auto root = BuildMarkup(window, markup);
    CListUI* list = AsList(root.get());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Header()->Count(), SkinUI::kMaxListColumns);
    auto* item = static_cast<CListHeaderItemUI*>(list->Header()->ItemAt(0));
    EXPECT_EQ(item->SeparatorWidth(), 0);
    root->Place(RECT{0, 0, 400, 300}, false);
    control_test::PaintOnCanvas(*root, 400, 300);
}
