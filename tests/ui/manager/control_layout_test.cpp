// Layout of control trees without a window: the linear layouts' sharing of space (fixed,
// automatic, minimum and maximum sizes, padding, child padding), floating children, invisible
// children, the default container placement, the scroll bar hooks, and hostile geometry.

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <memory>
#include <vector>

#include "tests/common/RectAssert.h"
#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/ScrollBarUI.h"
#include "ui/core/manager/WindowManager.h"

using namespace SkinUI;
using test_support::SameRect;

namespace {


// A child described by attribute text, as the skin would write it.
CControlUI* Child(CContainerUI& parent, LPCWSTR attributes) {
    auto* control = new CControlUI();
    control->ApplyAttributeString(attributes);
    parent.Append(control);
    return control;
}

template <class Layout>
std::unique_ptr<Layout> MakeLayout(LPCWSTR attributes = L"") {
    auto layout = std::make_unique<Layout>();
    layout->ApplyAttributeString(attributes);
    return layout;
}

constexpr RECT kArea{10, 20, 110, 120};  // 100 x 100 at (10, 20)

}  // namespace

// ---- Vertical and horizontal sharing ------------------------------------------------------------

struct TShareCase {
    const char* what;
    bool vertical;
    LPCWSTR layout;
    std::vector<LPCWSTR> children;
    std::vector<RECT> expected;  // for the visible children, in order
};

class LinearShare : public ::testing::TestWithParam<TShareCase> {};

TEST_P(LinearShare, PlacesEveryChildExactly) {
    const TShareCase& c = GetParam();
    std::unique_ptr<CContainerUI> layout;
    if (c.vertical)
        layout = MakeLayout<CVerticalLayoutUI>(c.layout);
    else
        layout = MakeLayout<CHorizontalLayoutUI>(c.layout);
    for (LPCWSTR child : c.children) Child(*layout, child);
    layout->AttachTo(nullptr, nullptr, false);  // the children learn their parent
    layout->Place(kArea);
    int visible = 0;
    auto expected = c.expected.begin();
    for (int i = 0; i < layout->Count(); ++i) {
        CControlUI* child = layout->ItemAt(i);
        if (!child->IsVisible()) continue;
        ASSERT_NE(expected, c.expected.end()) << c.what;
        EXPECT_TRUE(SameRect(child->Rect(), *expected)) << c.what << ", child " << i;
        ++expected;
        ++visible;
    }
    EXPECT_EQ(visible, static_cast<int>(c.expected.size())) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinearShare,
    ::testing::Values(
        TShareCase{"a fixed child with top padding, one taking the rest", true, L"",
                   {L"height=\"20\" padding=\"0,10,0,0\"", L""},
                   {{10, 30, 110, 50}, {10, 50, 110, 110}}},
        TShareCase{"a fixed child with left padding, one filling the row", false, L"",
                   {L"width=\"20\" padding=\"10,0,0,0\"", L""},
                   {{20, 20, 40, 120}, {40, 20, 110, 120}}},
        TShareCase{"child padding between two shared and one fixed", true, L"childpadding=\"5\"",
                   {L"", L"", L"height=\"20\""},
                   {{10, 20, 110, 55}, {10, 60, 110, 90}, {10, 95, 110, 115}}},
        TShareCase{"bottom padding is inside the child's rectangle", true, L"",
                   {L"height=\"20\" padding=\"0,0,0,10\"", L""},
                   {{10, 20, 110, 50}, {10, 50, 110, 110}}},  // the padding stays reserved
        TShareCase{"101 pixels: the last shared child takes the odd one", false, L"inset=\"0,0,-1,0\"",
                   {L"", L""},
                   {{10, 20, 60, 120}, {60, 20, 111, 120}}},
        TShareCase{"a minimum above the share wins and overflows", true, L"",
                   {L"minheight=\"50\"", L"minheight=\"50\"", L"height=\"40\""},
                   {{10, 20, 110, 70}, {10, 70, 110, 120}, {10, 120, 110, 160}}},
        TShareCase{"a maximum below the share leaves the rest to the last", true, L"",
                   {L"maxheight=\"10\"", L"", L""},
                   {{10, 20, 110, 30}, {10, 30, 110, 63}, {10, 63, 110, 120}}},
        TShareCase{"maximum below minimum: the maximum wins", false, L"",
                   {L"width=\"40\" minwidth=\"30\" maxwidth=\"20\"", L""},
                   {{10, 20, 30, 120}, {30, 20, 110, 120}}},
        TShareCase{"invisible children take no space", false, L"childpadding=\"4\"",
                   {L"width=\"30\" visible=\"false\"", L"width=\"30\"", L"visible=\"false\"", L""},
                   {{10, 20, 40, 120}, {44, 20, 110, 120}}},
        TShareCase{"cross axis: fixed, minimum, maximum and padding", true, L"",
                   {L"height=\"10\" width=\"30\"", L"height=\"10\" maxwidth=\"40\"",
                    L"height=\"10\" padding=\"5,0,15,0\""},
                   {{10, 20, 40, 30}, {10, 30, 50, 40}, {15, 40, 95, 50}}},
        TShareCase{"inset shrinks the area", true, L"inset=\"4,6,8,10\"", {L""},
                   {{14, 26, 102, 110}}},
        TShareCase{"a floating child takes no share of the row", false, L"",
                   {L"float=\"true\" pos=\"50,0,74,24\"", L""},
                   {{60, 20, 84, 44}, {10, 20, 110, 120}}},
        TShareCase{"float percentages are parts of the parent's size", true, L"",
                   {L"float=\"0.5,0.25,0.5,0.25\" pos=\"-10,0,10,20\"", L"height=\"30\""},
                   {{50, 45, 70, 65}, {10, 20, 110, 50}}}),
    [](const ::testing::TestParamInfo<TShareCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(LinearLayout, InstallerWindowShape) {
    // 980 x 600: a 60 title bar, a 380 picture area and a 160 bottom area of which one of its
    // three alternatives is visible.
    auto root = MakeLayout<CVerticalLayoutUI>();
    CControlUI* title = Child(*root, L"height=\"60\"");
    CControlUI* picture = Child(*root, L"height=\"380\"");
    auto* install = new CHorizontalLayoutUI();
    install->ApplyAttributeString(L"height=\"160\" visible=\"false\"");
    auto* progress = new CVerticalLayoutUI();
    progress->ApplyAttributeString(L"height=\"160\"");
    auto* done = new CControlUI();
    done->ApplyAttributeString(L"height=\"160\" visible=\"false\"");
    root->Append(install);
    root->Append(progress);
    root->Append(done);
    CControlUI* bar = Child(*progress, L"height=\"8\" padding=\"40,70,40,0\"");
    CControlUI* status = Child(*progress, L"");
    root->AttachTo(nullptr, nullptr, false);
    root->Place(RECT{0, 0, 980, 600});
    EXPECT_TRUE(SameRect(title->Rect(), RECT{0, 0, 980, 60}));
    EXPECT_TRUE(SameRect(picture->Rect(), RECT{0, 60, 980, 440}));
    EXPECT_TRUE(SameRect(progress->Rect(), RECT{0, 440, 980, 600}));
    EXPECT_TRUE(SameRect(bar->Rect(), RECT{40, 510, 940, 518}));
    // The bar's top padding stays reserved for the last shared child (as in every vertical
    // layout), so the status line gets what is left after it: 12.
    EXPECT_TRUE(SameRect(status->Rect(), RECT{0, 518, 980, 530}));

    // Switching the visible alternative moves the bottom area to the other child.
    progress->SetVisible(false);
    done->SetVisible(true);
    root->Place(RECT{0, 0, 980, 600});
    EXPECT_TRUE(SameRect(done->Rect(), RECT{0, 440, 980, 600}));
}

// ---- Containers and floating children --------------------------------------------------------

TEST(Container, StacksEveryChildOverTheInnerAreaWithinItsLimits) {
    CContainerUI container;
    container.SetInset(RECT{5, 5, 5, 5});
    CControlUI* full = Child(container, L"width=\"10\"");  // fixed sizes are not consulted
    CControlUI* limited = Child(container, L"maxwidth=\"30\" minheight=\"200\"");
    CControlUI* floating = Child(container, L"float=\"true\" pos=\"-5,-5,15,15\"");
    container.AttachTo(nullptr, nullptr, false);
    container.Place(kArea);
    EXPECT_TRUE(SameRect(full->Rect(), RECT{15, 25, 105, 115}));
    EXPECT_TRUE(SameRect(limited->Rect(), RECT{15, 25, 45, 225}));
    EXPECT_TRUE(SameRect(floating->Rect(), RECT{5, 15, 25, 35}));
}

TEST(Container, FloatingPlacementIsWrittenBackForTheNextLayout) {
    CContainerUI container;
    CControlUI* floating = Child(container, L"float=\"0.5,0,0.5,0\" pos=\"0,0,10,10\"");
    container.AttachTo(nullptr, nullptr, false);
    container.Place(kArea);
    EXPECT_TRUE(SameRect(floating->Rect(), RECT{60, 20, 70, 30}));
    // Placing it directly (relative to the parent) updates its position and size.
    floating->Place(RECT{60, 10, 80, 40});
    EXPECT_EQ(floating->FixedXY().cx, 10);
    EXPECT_EQ(floating->FixedXY().cy, 10);
    EXPECT_EQ(floating->FixedWidth(), 20);
    EXPECT_EQ(floating->FixedHeight(), 30);
    container.Place(kArea);
    EXPECT_TRUE(SameRect(floating->Rect(), RECT{70, 30, 90, 60}));
}

TEST(Container, RightBeforeLeftGivesAnEmptyRectangleAtTheLeftEdge) {
    CControlUI control;
    control.Place(RECT{50, 60, 40, 30});
    EXPECT_TRUE(SameRect(control.Rect(), RECT{50, 60, 50, 60}));
}

// ---- Scroll bar hooks ------------------------------------------------------------------------

TEST(ScrollHooks, VerticalBarAppearsForOverflowAndGoesWhenContentFits) {
    auto layout = MakeLayout<CVerticalLayoutUI>(L"vscrollbar=\"true\"");
    CControlUI* a = Child(*layout, L"height=\"150\"");
    Child(*layout, L"height=\"170\"");
    layout->Place(RECT{0, 0, 100, 200});
    CScrollBarUI* bar = layout->VerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->Range(), 120);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_TRUE(SameRect(bar->Rect(), RECT{84, 0, 100, 200}));
    EXPECT_EQ(a->Rect().right, 84);  // the children make room for the bar

    // Scrolling moves the children by the change of position.
    layout->SetScrollOffset(SIZE{0, 40});
    EXPECT_EQ(bar->Position(), 40);
    EXPECT_EQ(a->Rect().top, -40);
    layout->SetScrollOffset(SIZE{0, 500});  // the bar clamps to its range
    EXPECT_EQ(a->Rect().top, -120);

    a->SetVisible(false);
    layout->Place(RECT{0, 0, 100, 200});
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(bar->Range(), 0);
    EXPECT_EQ(bar->Position(), 0);
}

TEST(ScrollHooks, PanningWithoutRoomToTravelMovesNothing) {
    // The thumb's track of a bar that was never placed has no length: panning over it must
    // not divide by it.
    auto layout = MakeLayout<CVerticalLayoutUI>(L"vscrollbar=\"true\"");
    Child(*layout, L"height=\"300\"");
    layout->Place(RECT{0, 0, 100, 200});
    layout->VerticalScrollBar()->Place(RECT{0, 0, 0, 0}, false);
    layout->ScrollByPan(25, true);
    EXPECT_EQ(layout->ScrollOffset().cy, 0);
    layout->ScrollByPan(-50, false);  // along the container: 50 x 100 / 200 the other way
    EXPECT_EQ(layout->ScrollOffset().cy, 0);
    layout->ScrollByPan(50, false);
    EXPECT_EQ(layout->ScrollOffset().cy, 25);
}

// ---- Separator drag -------------------------------------------------------------------------------

namespace {

void SendAt(CControlUI& control, int kind, POINT pt) {
    TControlEvent event;
    event.nKind = kind;
    event.pSender = &control;
    event.ptMouse = pt;
    control.HandleEvent(event);
}

}  // namespace

TEST(SeparatorDrag, DraggingTheStripResizesTheLayoutWithinItsLimits) {
    CWindowManagerUI manager;
    auto* root = new CVerticalLayoutUI();
    auto* pane = new CVerticalLayoutUI();
    pane->ApplyAttributeString(L"height=\"100\" sepheight=\"6\" minheight=\"40\" maxheight=\"150\"");
    auto* side = new CHorizontalLayoutUI();
    side->ApplyAttributeString(L"height=\"50\" sepwidth=\"-6\" sepimm=\"true\"");
    root->Append(pane);
    root->Append(side);
    manager.AttachRoot(root);
    root->Place(RECT{0, 0, 300, 300});
    EXPECT_TRUE(SameRect(pane->SeparatorRect(false), RECT{0, 94, 300, 100}));
    EXPECT_TRUE(SameRect(side->SeparatorRect(false), RECT{0, 100, 6, 150}));

    // A press outside the strip is not the separator's.
    SendAt(*pane, kEventButtonDown, POINT{10, 50});
    SendAt(*pane, kEventMouseMove, POINT{10, 70});
    EXPECT_EQ(pane->FixedHeight(), 100);

    // Preview mode: the layout keeps its place until the release; the height follows the
    // pointer and stops at the maximum.
    SendAt(*pane, kEventButtonDown, POINT{10, 97});
    SendAt(*pane, kEventMouseMove, POINT{10, 127});
    EXPECT_EQ(pane->FixedHeight(), 130);
    EXPECT_EQ(pane->Rect().bottom, 100);
    EXPECT_TRUE(SameRect(pane->SeparatorRect(true), RECT{0, 124, 300, 130}));
    SendAt(*pane, kEventMouseMove, POINT{10, 227});
    EXPECT_EQ(pane->FixedHeight(), 150);
    SendAt(*pane, kEventButtonUp, POINT{10, 227});
    EXPECT_EQ(pane->Rect().bottom, 150);
    root->Place(RECT{0, 0, 300, 300});
    EXPECT_EQ(side->Rect().top, 150);

    // Immediate mode, strip on the left edge: dragging it left widens the layout at once.
    SendAt(*side, kEventButtonDown, POINT{2, 160});
    SendAt(*side, kEventMouseMove, POINT{-18, 160});
    EXPECT_EQ(side->Rect().left, -20);
    EXPECT_EQ(side->FixedWidth(), 320);
    SendAt(*side, kEventButtonUp, POINT{-18, 160});
}

// ---- Hostile geometry ------------------------------------------------------------------------

TEST(HostileGeometry, HugeSizesNeitherOverflowNorEscapeTheCoordinateRange) {
    // Values a hostile skin can write: every sum and product stays in range (this build traps
    // on signed overflow), and what is placed stays within the coordinate limit.
    for (bool vertical : {true, false}) {
        std::unique_ptr<CContainerUI> layout;
        if (vertical)
            layout = MakeLayout<CVerticalLayoutUI>(L"childpadding=\"2147483647\" inset=\"-2147483648,0,2147483647,0\"");
        else
            layout = MakeLayout<CHorizontalLayoutUI>(L"childpadding=\"-2147483648\"");
        for (int i = 0; i < 200; ++i) {
            Child(*layout, L"width=\"2147483647\" height=\"2147483647\" minwidth=\"2147483647\" "
                           L"minheight=\"2147483647\" maxwidth=\"2147483647\" "
                           L"maxheight=\"2147483647\" padding=\"2147483647,-2147483648,2147483647,2147483647\"");
        }
        Child(*layout, L"float=\"1e308,-1e308,nan,inf\" pos=\"-2147483648,-2147483648,2147483647,2147483647\"");
        layout->EnableScrollBars(true, true);
        layout->AttachTo(nullptr, nullptr, false);
        layout->Place(RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
        for (int i = 0; i < layout->Count(); ++i) {
            const RECT rc = layout->ItemAt(i)->Rect();
            for (LONG edge : {rc.left, rc.top, rc.right, rc.bottom}) {
                EXPECT_LE(edge, kMaxControlCoordinate);
                EXPECT_GE(edge, -kMaxControlCoordinate);
            }
        }
        layout->MoveBy(SIZE{INT_MAX, INT_MIN});
        layout->SetScrollOffset(SIZE{INT_MAX, INT_MAX});
        layout->ScrollByPan(INT_MIN, false);
    }
}
