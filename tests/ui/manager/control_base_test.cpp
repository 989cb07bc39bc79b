// The control base without a window: attributes as the skin writes them, searching with the
// find flags, listener lists, event bubbling and the containers' child list.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/manager/ManagerTestSupport.h"
#include "ui/controls/AnimationOptionUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/ScrollBarUI.h"

using namespace SkinUI;
using manager_test::CNotifyJournal;
using manager_test::CProbeControl;
using manager_test::TSeenEvent;

// ---- Attributes ---------------------------------------------------------------------------------

TEST(ControlAttributes, ColoursAsTheSkinWritesThem) {
    struct {
        LPCWSTR name;
        LPCWSTR value;
        DWORD (CControlUI::*read)() const;
        DWORD expected;
    } const cases[] = {
        {L"bkcolor", L"#FFFFFF", &CControlUI::BackColor, 0x00FFFFFF},  // six digits: alpha 0
        {L"bkcolor", L" #FF102030", &CControlUI::BackColor, 0xFF102030},
        {L"bkcolor1", L"FF405060", &CControlUI::BackColor, 0xFF405060},
        {L"bkcolor3", L"\t#80FFFFFF", &CControlUI::BackColor3, 0x80FFFFFF},
        {L"bordercolor", L" #FF102030", &CControlUI::BorderColor, 0},  // no blank skipping
        {L"bordercolor", L"#000000", &CControlUI::BorderColor, 0},
        {L"focusbordercolor", L"#FF00FF00", &CControlUI::FocusBorderColor, 0xFF00FF00},
    };
    for (const auto& c : cases) {
        CControlUI control;
        control.ApplyAttribute(c.name, c.value);
        EXPECT_EQ((control.*c.read)(), c.expected) << c.name << "=" << c.value;
    }
}

TEST(ControlAttributes, GeometryAndBorders) {
    CControlUI control;
    control.ApplyAttributeString(L"float=\"true\" pos=\"10,20,110,50\" bordersize=\"0,0,0,1\"");
    EXPECT_EQ(control.FixedXY().cx, 10);
    EXPECT_EQ(control.FixedXY().cy, 20);
    EXPECT_EQ(control.FixedWidth(), 100);
    EXPECT_EQ(control.FixedHeight(), 30);
    EXPECT_EQ(control.BottomBorderSize(), 1);
    EXPECT_EQ(control.BorderSize(), 0);

    control.ApplyAttribute(L"pos", L"10,20,5,50");  // a negative width is ignored
    EXPECT_EQ(control.FixedWidth(), 100);
    control.ApplyAttribute(L"bordersize", L"2");  // one number clears the sides
    EXPECT_EQ(control.BorderSize(), 2);
    EXPECT_EQ(control.BottomBorderSize(), 0);

    control.ApplyAttribute(L"float", L"0.5,0,0.5,0");
    EXPECT_TRUE(control.IsFloat());
    EXPECT_DOUBLE_EQ(control.FloatPercent().left, 0.5);
    EXPECT_DOUBLE_EQ(control.FloatPercent().right, 0.5);

    control.ApplyAttribute(L"minwidth", L"-4");  // negative minimum: ignored
    EXPECT_EQ(control.MinWidth(), 0);
    control.ApplyAttribute(L"maxheight", L"abc");  // not a number: 0
    EXPECT_EQ(control.MaxHeight(), 0);
}

TEST(ControlAttributes, TextsFlagsAndTheirQueries) {
    CControlUI control;
    control.ApplyAttributeString(
        L"name=\"n\" text=\"hello\" tooltip=\"a<n>b\" userdata=\"u\" shortcut=\"xy\" "
        L"menu=\"true\" enabled=\"TRUE\" mouse=\"false\" keyboard=\"false\" visible=\"true\"");
    EXPECT_EQ(control.Name(), L"n");
    EXPECT_EQ(control.Text(), L"hello");
    EXPECT_EQ(control.ToolTip(), L"a\r\nb");
    EXPECT_EQ(control.UserData(), L"u");
    EXPECT_EQ(control.Shortcut(), L'x');
    EXPECT_TRUE(control.IsMenuEnabled());
    EXPECT_FALSE(control.IsEnabled());  // "true" only, exactly
    EXPECT_FALSE(control.IsMouseEnabled());
    EXPECT_FALSE(control.IsKeyboardEnabled());

    control.ApplyAttribute(L"bkcolor", L"#FF102030");
    control.ApplyAttribute(L"borderround", L"4,6");
    EXPECT_EQ(control.QueryAttribute(L"bkcolor"), L"#FF102030");
    EXPECT_EQ(control.QueryAttribute(L"enabled"), L"false");
    EXPECT_EQ(control.QueryAttribute(L"borderround"), L"4,6");
    EXPECT_EQ(control.QueryAttribute(L"shortcut"), L"x");
    EXPECT_EQ(control.QueryAttribute(L"nonsense"), L"");
    control.Place(RECT{1, 2, 3, 4});
    EXPECT_EQ(control.QueryAttribute(L"pos"), L"1,2,3,4");
}

TEST(ControlAttributes, AttributeListStopsAtTheFirstDeviation) {
    struct {
        LPCWSTR list;
        LPCWSTR name;
        LPCWSTR text;
    } const cases[] = {
        {L"name=\"a\" text=\"b\"", L"a", L"b"},
        {L"name=\"a\"  text=\"b\"", L"a", L""},   // two blanks: the next name holds one
        {L"name=\"a\"text=\"b\"", L"a", L""},     // no blank
        {L"name=a text=\"b\"", L"", L""},         // no quote after "="
        {L"name=\"a\" text=\"b", L"a", L""},      // unterminated value
        {L"name=\"a\" ", L"a", L""},              // a blank and nothing after it
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        CControlUI control;
        control.ApplyAttributeString(c.list);
        EXPECT_EQ(control.Name(), c.name) << c.list;
        EXPECT_EQ(control.Text(), c.text) << c.list;
    }
    CControlUI control;
    control.ApplyAttributeString(nullptr);
    EXPECT_EQ(control.Name(), L"");
}

TEST(ControlAttributes, ContainerAndLayoutAttributes) {
    CVerticalLayoutUI layout;
    layout.ApplyAttributeString(
        L"inset=\"1,2,3,4\" childpadding=\"7\" mousechild=\"false\" sepheight=\"-5\" "
        L"vscrollbar=\"true\" width=\"30\"");
    EXPECT_EQ(layout.Inset().bottom, 4);
    EXPECT_EQ(layout.ChildPadding(), 7);
    EXPECT_FALSE(layout.IsChildMouseEnabled());
    EXPECT_EQ(layout.SeparatorSize(), -5);
    EXPECT_NE(layout.VerticalScrollBar(), nullptr);
    EXPECT_EQ(layout.HorizontalScrollBar(), nullptr);
    EXPECT_EQ(layout.FixedWidth(), 30);
    EXPECT_EQ(layout.ControlFlags(), kControlFlagSetCursor);
    layout.ApplyAttribute(L"hscrollbarstyle", L"height=\"9\"");
    ASSERT_NE(layout.HorizontalScrollBar(), nullptr);
    EXPECT_EQ(layout.HorizontalScrollBar()->FixedHeight(), 9);
    layout.ApplyAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(layout.VerticalScrollBar(), nullptr);
    EXPECT_NE(layout.HorizontalScrollBar(), nullptr);
}

// One attribute applied to a fresh control and the text its query answers then.
struct TRoundTrip {
    LPCWSTR name;
    LPCWSTR value;
    LPCWSTR answer;
};

// Walks the class's own attribute table: every row that both applies and answers needs exactly
// one case (a new row without one fails, and so does a case whose row went), and the answer
// must follow the value. unsetAnswer, when given, is what every such row answers before.
template <class Control, size_t N>
void ExpectEveryAnsweringRow(const TRoundTrip (&cases)[N], LPCWSTR unsetAnswer = nullptr) {
    const CAttributeChain& table = Control().AttributeChain();  // the class's own link
    size_t answering = 0;
    for (size_t i = 0; i < table.Count(); ++i) {
        const TAttributeRowInfo row = table.Row(i);
        if (!row.applies || !row.answers) continue;
        ++answering;
        const TRoundTrip* c =
            std::find_if(std::begin(cases), std::end(cases),
                         [&row](const TRoundTrip& t) { return wcscmp(t.name, row.name) == 0; });
        ASSERT_NE(c, std::end(cases)) << "no case for " << row.name;
        Control control;
        if (unsetAnswer != nullptr) {
            EXPECT_STREQ(control.QueryAttribute(c->name), unsetAnswer) << c->name;
        }
        control.ApplyAttribute(c->name, c->value);
        EXPECT_STREQ(control.QueryAttribute(c->name), c->answer) << c->name << "=" << c->value;
    }
    EXPECT_EQ(answering, N) << "a case names no row that applies and answers";
}

TEST(ControlAttributes, EveryAnsweringRowReadsBackWhatItTook) {
    const TRoundTrip cases[] = {
        {L"pos", L"1,2,3,4", L"0,0,0,0"},  // the placed rectangle, not the markup's
        {L"padding", L"1,-2,3,40", L"1,-2,3,40"},
        {L"bkcolor", L" #FF102030", L"#FF102030"},
        {L"bkcolor1", L"FF405060", L"#FF405060"},
        {L"bkcolor2", L"\t#80FFFFFF", L"#80FFFFFF"},
        {L"bkcolor3", L"#123456", L"#00123456"},
        {L"bordercolor", L" #FF102030", L"#00000000"},  // no blank skipping
        {L"focusbordercolor", L"#FF00FF00", L"#FF00FF00"},
        {L"colorhsl", L"true", L"true"},
        {L"bordersize", L"3", L"3"},
        {L"borderround", L"4,6", L"4,6"},
        {L"bkimage", L"file='a.png' corner='1,1,1,1'", L"file='a.png' corner='1,1,1,1'"},
        {L"width", L"40", L"40"},
        {L"height", L"-3", L"0"},  // negative sizes are ignored
        {L"minwidth", L"5", L"5"},
        {L"minheight", L"abc", L"0"},
        {L"maxwidth", L"500", L"500"},
        {L"maxheight", L"600", L"600"},
        {L"name", L"n", L"n"},
        {L"text", L"hello", L"hello"},
        {L"tooltip", L"a<n>b", L"a\r\nb"},
        {L"userdata", L"u", L"u"},
        {L"enabled", L"TRUE", L"false"},  // "true" only, exactly
        {L"mouse", L"false", L"false"},
        {L"visible", L"false", L"false"},
        {L"float", L"0.5,0,0.5,0", L"true"},
        {L"shortcut", L"xy", L"x"},
        {L"menu", L"true", L"true"},
    };
    ExpectEveryAnsweringRow<CControlUI>(cases);
}

TEST(ControlAttributes, AnimationOptionAnswersOnlyWhatTheMarkupSet) {
    const TRoundTrip cases[] = {
        {L"startindexhover", L"2", L"2"},
        {L"endindexhover", L"-9", L"-9"},
        {L"picturehover", L"seq.png", L"seq.png"},
        {L"intervalhover", L"30", L"30"},
        {L"loophover", L"TRUE", L"false"},  // set, to false
        {L"startindexworking", L"4", L"4"},
        {L"endindexworking", L"x", L"0"},
        {L"pictureworking", L"work.png", L"work.png"},
        {L"intervalworking", L"7", L"7"},
        {L"loopworking", L"true", L"true"},
    };
    ExpectEveryAnsweringRow<CAnimationOptionUI>(cases, L"");
}

// ---- Interfaces and names ---------------------------------------------------------------------

TEST(ControlIdentity, ClassAndInterfaceNames) {
    CControlUI control;
    CContainerUI container;
    CVerticalLayoutUI layout;
    EXPECT_STREQ(control.ClassName(), L"ControlUI");
    EXPECT_EQ(control.InterfaceByName(L"Control"), &control);
    EXPECT_EQ(control.InterfaceByName(L"Container"), nullptr);
    EXPECT_STREQ(container.ClassName(), L"ContainerUI");
    EXPECT_EQ(container.InterfaceByName(L"IContainer"), static_cast<IContainerUI*>(&container));
    EXPECT_EQ(container.InterfaceByName(L"Container"), &container);
    EXPECT_EQ(container.InterfaceByName(L"Control"), static_cast<CControlUI*>(&container));
    EXPECT_STREQ(layout.ClassName(), L"VerticalLayoutUI");
    EXPECT_EQ(layout.InterfaceByName(L"VerticalLayout"), &layout);
    EXPECT_EQ(layout.InterfaceByName(L"IContainer"), static_cast<IContainerUI*>(&layout));
}

// ---- Searching ----------------------------------------------------------------------------------

namespace {

// Collects every control the search visits, in order; never stops it.
CControlUI* RecordVisit(CControlUI* control, LPVOID data) {
    static_cast<std::vector<std::wstring>*>(data)->push_back(control->Name().GetData());
    return nullptr;
}

CControlUI* Named(CContainerUI& parent, LPCWSTR name, LPCWSTR attributes = L"") {
    auto* control = new CControlUI();
    control->SetName(name);
    control->ApplyAttributeString(attributes);
    parent.Append(control);
    return control;
}

}  // namespace

TEST(ControlFind, FlagsFilterAndOrderTheVisit) {
    CContainerUI root;
    root.SetName(L"root");
    Named(root, L"a");
    Named(root, L"hidden", L"visible=\"false\"");
    Named(root, L"off", L"enabled=\"false\"");
    Named(root, L"b");

    struct {
        UINT flags;
        std::vector<std::wstring> expected;
    } const cases[] = {
        {kFindAll, {L"a", L"hidden", L"off", L"b", L"root"}},
        {kFindMeFirst, {L"root", L"a", L"hidden", L"off", L"b"}},
        {kFindMeFirst | kFindTopFirst, {L"root", L"b", L"off", L"hidden", L"a"}},
        {kFindVisible, {L"a", L"off", L"b", L"root"}},
        {kFindVisible | kFindEnabled, {L"a", L"b", L"root"}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> visited;
        EXPECT_EQ(root.Find(RecordVisit, &visited, c.flags), nullptr);
        EXPECT_EQ(visited, c.expected) << "flags " << c.flags;
    }
}

TEST(ControlFind, HitTestOnAnInvisibleControlNeverCallsTheVisitor) {
    CControlUI control;
    control.Place(RECT{0, 0, 10, 10});
    control.SetVisible(false);
    POINT pt{5, 5};
    bool called = false;
    // The visitor gets the point as data: it cannot record directly, so a static flag is used.
    static bool* s_called = nullptr;
    s_called = &called;
    auto visitor = [](CControlUI* c, LPVOID) -> CControlUI* {
        *s_called = true;
        return c;
    };
    EXPECT_EQ(control.Find(visitor, &pt, kFindVisible | kFindHitTest), nullptr);
    EXPECT_FALSE(called);
    control.SetVisible(true);
    EXPECT_EQ(control.Find(visitor, &pt, kFindVisible | kFindHitTest), &control);
    control.SetMouseEnabled(false);
    EXPECT_EQ(control.Find(visitor, &pt, kFindVisible | kFindHitTest), nullptr);
}

TEST(ControlFind, HitTestsFindTheTopmostAndRespectMouseChildAndInset) {
    CContainerUI root;
    root.SetName(L"root");
    root.SetInset(RECT{10, 10, 10, 10});
    Named(root, L"under");
    Named(root, L"over");
    Named(root, L"floating", L"float=\"true\" pos=\"0,0,10,10\"");
    root.AttachTo(nullptr, nullptr, false);
    root.Place(RECT{0, 0, 100, 100});
    auto hit = [&](POINT pt) {
        CControlUI* found = root.Find([](CControlUI* c, LPVOID) { return c; }, &pt,
                                      kFindVisible | kFindHitTest | kFindTopFirst);
        return found != nullptr ? std::wstring(found->Name().GetData()) : std::wstring(L"none");
    };
    EXPECT_EQ(hit({50, 50}), L"over");      // the later sibling is on top
    EXPECT_EQ(hit({5, 5}), L"floating");    // floating children count in the inset
    EXPECT_EQ(hit({95, 50}), L"root");      // the inset belongs to the container
    EXPECT_EQ(hit({150, 50}), L"none");
    root.SetChildMouseEnabled(false);
    EXPECT_EQ(hit({50, 50}), L"root");
    root.SetMouseEnabled(false);
    EXPECT_EQ(hit({50, 50}), L"none");
}

// ---- Listener lists -----------------------------------------------------------------------------

namespace {

struct TCounter {
    int calls = 0;
    bool answer = true;
    bool Count(void*) {
        ++calls;
        return answer;
    }
    CListenerList* list = nullptr;
    bool RemoveSelf(void*) {
        ++calls;
        list->Remove(MakeDelegate(this, &TCounter::RemoveSelf));
        return true;
    }
};

}  // namespace

TEST(ListenerList, AddsOnceInvokesInOrderAndStopsAtFalse) {
    CListenerList list;
    TCounter first;
    TCounter second;
    EXPECT_TRUE(list.Invoke(nullptr));  // empty: true
    list += MakeDelegate(&first, &TCounter::Count);
    list += MakeDelegate(&first, &TCounter::Count);  // the same callback again: ignored
    list += MakeDelegate(&second, &TCounter::Count);
    EXPECT_TRUE(list.Invoke(nullptr));
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1);
    first.answer = false;
    EXPECT_FALSE(list.Invoke(nullptr));
    EXPECT_EQ(first.calls, 2);
    EXPECT_EQ(second.calls, 1);  // stopped at the first false
    list -= MakeDelegate(&first, &TCounter::Count);
    EXPECT_TRUE(list.Invoke(nullptr));
    EXPECT_EQ(second.calls, 2);
}

TEST(ListenerList, ACallbackMayRemoveItselfWithoutSkippingTheNext) {
    CListenerList list;
    TCounter leaving;
    TCounter staying;
    leaving.list = &list;
    list += MakeDelegate(&leaving, &TCounter::RemoveSelf);
    list += MakeDelegate(&staying, &TCounter::Count);
    EXPECT_TRUE(list.Invoke(nullptr));
    EXPECT_EQ(leaving.calls, 1);
    EXPECT_EQ(staying.calls, 1);
    EXPECT_TRUE(list.Invoke(nullptr));
    EXPECT_EQ(leaving.calls, 1);
    EXPECT_EQ(staying.calls, 2);
}

// ---- Events and the child list with a manager (no window needed) -------------------------------

namespace {

// A container probe: records the events that bubble up to it too.
class CProbeContainer : public CContainerUI {
public:
    explicit CProbeContainer(std::vector<TSeenEvent>* journal) : m_journal(journal) {
        SetName(L"box");
    }
    void ProcessEvent(TControlEvent& event) override {
        m_journal->push_back(TSeenEvent{L"box", event.nKind, event.wParam, event.ptMouse});
        CContainerUI::ProcessEvent(event);
    }

private:
    std::vector<TSeenEvent>* m_journal;
};

}  // namespace

TEST(ControlEvents, MouseEnterNotifiesThenBubblesToTheContainer) {
    CWindowManagerUI manager;
    CNotifyJournal notes;
    std::vector<TSeenEvent> events;
    manager.AddNotifier(&notes);
    notes.onNotify = [&](TNotifyMsg& msg) {
        events.push_back(TSeenEvent{L"notify:" + std::wstring(msg.strType.GetData()), 0, 0, {}});
    };
    auto* box = new CProbeContainer(&events);
    auto* child = new CProbeControl(L"child", &events);
    box->Append(child);
    manager.AttachRoot(box);

    TControlEvent enter;
    enter.nKind = kEventMouseEnter;
    enter.pSender = child;
    child->HandleEvent(enter);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].control, L"child");
    EXPECT_EQ(events[1].control, L"notify:mouseenter");  // the child's own notification
    EXPECT_EQ(events[2].control, L"box");                // then the container
    EXPECT_EQ(events[3].control, L"notify:mouseenter");  // which notifies as well
    EXPECT_EQ(notes.Count(L"mouseenter child"), 1);
    EXPECT_EQ(notes.Count(L"mouseenter box"), 1);
}

TEST(ControlEvents, ContainerWithoutMousePassesAButtonDownToItsParent) {
    std::vector<TSeenEvent> events;
    CProbeContainer outer(&events);
    auto* inner = new CContainerUI();
    inner->SetMouseEnabled(false);
    outer.Append(inner);
    outer.AttachTo(nullptr, nullptr, false);  // sets the children's parent
    TControlEvent down;
    down.nKind = kEventButtonDown;
    down.pSender = inner;
    inner->HandleEvent(down);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, kEventButtonDown);
}

TEST(ContainerItems, ListOperationsAndFailures) {
    CContainerUI box;
    box.SetOwnsChildren(false);
    CControlUI a, b, c;
    EXPECT_FALSE(box.Append(nullptr));
    EXPECT_TRUE(box.Append(&a));
    EXPECT_TRUE(box.Append(&b));
    EXPECT_FALSE(box.InsertAt(&c, 3));
    EXPECT_FALSE(box.InsertAt(&c, -1));
    EXPECT_TRUE(box.InsertAt(&c, 0));
    EXPECT_EQ(box.IndexOf(&c), 0);
    EXPECT_EQ(box.ItemAt(5), nullptr);
    EXPECT_EQ(box.ItemAt(-1), nullptr);
    EXPECT_TRUE(box.MoveItem(&c, 2));
    EXPECT_EQ(box.ItemAt(2), &c);
    EXPECT_TRUE(box.MoveItem(&c, 99));  // past the end: last, not lost
    EXPECT_EQ(box.ItemAt(2), &c);
    EXPECT_FALSE(box.RemoveItemAt(7));
    EXPECT_TRUE(box.RemoveItem(&a));
    EXPECT_FALSE(box.RemoveItem(&a));
    EXPECT_EQ(box.Count(), 2);
    box.RemoveAllItems();
    EXPECT_EQ(box.Count(), 0);
}

TEST(ContainerItems, HiddenContainerHidesWhatItReceives) {
    CContainerUI box;
    box.SetVisible(false);
    auto* child = new CControlUI();
    box.Append(child);
    EXPECT_FALSE(child->IsVisible());
    box.SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
}
