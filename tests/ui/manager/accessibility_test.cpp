// The accessibility tree of a real window, read in-process through oleacc as a client reads it:
// roles, names, states, values, default actions and screen locations of the control families;
// child ids (positions and the negative ids of events); the default action running from the
// message loop; the WinEvents of focus, value and state changes; and objects that outlive their
// control or their window.

#include <gtest/gtest.h>

#include <oleacc.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ComHolders.h"
#include "tests/ui/manager/ManagerTestSupport.h"
#include "ui/controls/ButtonSwitchExUI.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/CheckBoxUI.h"
#include "ui/controls/EditUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/manager/ControlUI.h"

using namespace SkinUI;
using bxutil::CComRef;
using manager_test::CHostWindow;
using manager_test::CNotifyJournal;

namespace {

constexpr RECT kScreenRect{80, 70, 380, 370};  // 300 x 300

VARIANT ChildId(LONG id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}
const VARIANT kSelf = ChildId(CHILDID_SELF);

std::wstring TakeText(BSTR text) {
    std::wstring out = text != nullptr ? text : L"";
    ::SysFreeString(text);
    return out;
}

std::wstring Name(IAccessible& object, VARIANT child = kSelf) {
    BSTR text = nullptr;
    object.get_accName(child, &text);
    return TakeText(text);
}

// A VT_I4 property (role, state), or -1.
template <class Getter>
LONG LongOf(Getter get) {
    VARIANT out;
    ::VariantInit(&out);
    const HRESULT hr = get(&out);
    return SUCCEEDED(hr) && out.vt == VT_I4 ? out.lVal : -1;
}

LONG Role(IAccessible& object, VARIANT child = kSelf) {
    return LongOf([&](VARIANT* out) { return object.get_accRole(child, out); });
}
LONG State(IAccessible& object, VARIANT child = kSelf) {
    return LongOf([&](VARIANT* out) { return object.get_accState(child, out); });
}

template <class Getter>
std::wstring TextOf(Getter get) {
    BSTR text = nullptr;
    get(&text);
    return TakeText(text);
}

// A window with a column of one control of each family, each 30 high, under a vertical layout.
class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CHostWindow>(L"VexoAccessibilityTest", kScreenRect);
        manager().AddNotifier(&notes);
        root = new CVerticalLayoutUI();
        button = Add(new CButtonUI(), L"Install");
        label = Add(new CLabelUI(), L"Status");
        group1 = Add(new COptionUI(), L"First");
        group1->SetGroup(L"pages");
        group2 = Add(new COptionUI(), L"Second");
        group2->SetGroup(L"pages");
        check = Add(new CCheckBoxUI(), L"Remember");
        progress = Add(new CProgressUI(), L"");
        progress->SetToolTip(L"Download");
        slider = Add(new CSliderUI(), L"");
        edit = Add(new CEditUI(), L"typed text");
        edit->SetToolTip(L"Player name");
        nested = new CVerticalLayoutUI();
        nested->SetFixedHeight(30);
        deep = new CButtonUI();
        deep->SetText(L"Deep");
        nested->Append(deep);
        root->Append(nested);
        manager().AttachRoot(root);
        window->PaintNow();
        ASSERT_TRUE(SUCCEEDED(::AccessibleObjectFromWindow(window->Handle(), OBJID_CLIENT,
                                                           IID_IAccessible, client.ReceiveVoid())));
    }
    void TearDown() override {
        client.Reset();
        window.reset();
    }

    template <class Control>
    Control* Add(Control* control, LPCWSTR text) {
        control->SetText(text);
        control->SetName(text);
        control->SetFixedHeight(30);
        root->Append(control);
        return control;
    }
    CWindowManagerUI& manager() { return window->Manager(); }
    // The object of the root's child at position index (0-based).
    CComRef<IAccessible> Child(int index) {
        CComRef<IDispatch> dispatch;
        client->get_accChild(ChildId(index + 1), dispatch.Receive());
        return dispatch.Query<IAccessible>(IID_IAccessible);
    }
    static POINT Origin() { return POINT{kScreenRect.left, kScreenRect.top}; }

    bxutil::COleApartment apartment;
    std::unique_ptr<CHostWindow> window;
    CNotifyJournal notes;
    CVerticalLayoutUI* root = nullptr;
    CButtonUI* button = nullptr;
    CLabelUI* label = nullptr;
    COptionUI* group1 = nullptr;
    COptionUI* group2 = nullptr;
    CCheckBoxUI* check = nullptr;
    CProgressUI* progress = nullptr;
    CSliderUI* slider = nullptr;
    CEditUI* edit = nullptr;
    CVerticalLayoutUI* nested = nullptr;
    CButtonUI* deep = nullptr;
    CComRef<IAccessible> client;
};

TEST_F(AccessibilityTest, TheClientAreaIsTheRootNamedAfterTheWindow) {
    EXPECT_EQ(Role(*client.Get()), ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(Name(*client.Get()), L"VexoAccessibilityTest");
    long count = 0;
    EXPECT_EQ(client->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 9);
    // Its parent is the window's own object, as for any window (the system's).
    CComRef<IDispatch> parent;
    ASSERT_EQ(client->get_accParent(parent.Receive()), S_OK);
    EXPECT_TRUE(parent.Query<IAccessible>(IID_IAccessible));
    // Only the client area is answered; the window object stays the system's.
    EXPECT_EQ(::SendMessageW(window->Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW)),
              0);
}

TEST_F(AccessibilityTest, EachFamilyHasItsRoleNameValueAndAction) {
    progress->SetValue(40);
    slider->SetValue(7);
    group2->Select(true, false);
    struct TCase {
        int index;
        LONG role;
        const wchar_t* name;
        const wchar_t* value;
        const wchar_t* action;
        LONG state;  // the family's own bits
    };
    const TCase cases[] = {
        {0, ROLE_SYSTEM_PUSHBUTTON, L"Install", L"", L"Press", 0},
        {1, ROLE_SYSTEM_STATICTEXT, L"Status", L"", L"", 0},
        {2, ROLE_SYSTEM_RADIOBUTTON, L"First", L"", L"Check", 0},
        {3, ROLE_SYSTEM_RADIOBUTTON, L"Second", L"", L"Check", STATE_SYSTEM_CHECKED},
        {4, ROLE_SYSTEM_CHECKBUTTON, L"Remember", L"", L"Check", 0},
        {5, ROLE_SYSTEM_PROGRESSBAR, L"Download", L"40%", L"", 0},  // name from the tool tip
        {6, ROLE_SYSTEM_SLIDER, L"", L"7", L"", 0},
        {7, ROLE_SYSTEM_TEXT, L"Player name", L"typed text", L"", 0},
        {8, ROLE_SYSTEM_PANE, L"", L"", L"", 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.index);
        // Through the child's own object and through the client with the child's position.
        CComRef<IAccessible> object = Child(c.index);
        ASSERT_TRUE(object);
        for (auto [target, child] : {std::pair(object.Get(), kSelf),
                                     std::pair(client.Get(), ChildId(c.index + 1))}) {
            EXPECT_EQ(Role(*target, child), c.role);
            EXPECT_EQ(Name(*target, child), c.name);
            EXPECT_EQ(TextOf([&](BSTR* t) { return target->get_accValue(child, t); }), c.value);
            EXPECT_EQ(TextOf([&](BSTR* t) { return target->get_accDefaultAction(child, t); }),
                      c.action);
            EXPECT_EQ(State(*target, child) & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED),
                      c.state);
        }
    }
    // A checked check box offers to uncheck.
    check->Select(true, false);
    EXPECT_EQ(TextOf([&](BSTR* t) { return Child(4)->get_accDefaultAction(kSelf, t); }),
              L"Uncheck");
}

TEST_F(AccessibilityTest, TextsAreReadAsTheUserSeesThem) {
    // Formatted text loses its tags; a raw part keeps its braces.
    label->SetShowHtml(true);
    label->SetText(L"{b}Bold{/b} and{n}{c #FFE0484D}red{/c} {r}{x}{/r}");
    EXPECT_EQ(Name(*Child(1).Get()), L"Bold and red {x}");
    // A password is never read out; the field says it is protected.
    edit->SetPassword(true);
    EXPECT_EQ(TextOf([&](BSTR* t) { return Child(7)->get_accValue(kSelf, t); }), L"");
    EXPECT_TRUE(State(*Child(7).Get()) & STATE_SYSTEM_PROTECTED);
    edit->SetReadOnly(true);
    EXPECT_TRUE(State(*Child(7).Get()) & STATE_SYSTEM_READONLY);
    // A tool tip beside a text is the description.
    button->SetToolTip(L"Installs the game");
    EXPECT_EQ(TextOf([&](BSTR* t) { return Child(0)->get_accDescription(kSelf, t); }),
              L"Installs the game");
}

TEST_F(AccessibilityTest, StatesLocationsAndHitTestsFollowTheControls) {
    manager().SetFocus(button);
    label->SetEnabled(false);
    check->SetVisible(false);
    window->PaintNow();
    EXPECT_TRUE(State(*Child(0).Get()) & STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(State(*Child(0).Get()) & STATE_SYSTEM_FOCUSABLE);
    EXPECT_TRUE(State(*Child(1).Get()) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(State(*Child(4).Get()) & STATE_SYSTEM_INVISIBLE);
    EXPECT_FALSE(State(*Child(2).Get()) & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE));

    // Screen coordinates: the control's client rectangle moved by the window's origin.
    const RECT rc = group1->Rect();
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(Child(2)->accLocation(&left, &top, &width, &height, kSelf), S_OK);
    EXPECT_EQ(left, Origin().x + rc.left);
    EXPECT_EQ(top, Origin().y + rc.top);
    EXPECT_EQ(width, rc.right - rc.left);
    EXPECT_EQ(height, 30);

    // A point inside the nested button names the client's child on the way to it.
    const RECT deepRect = deep->Rect();
    VARIANT hit;
    ::VariantInit(&hit);
    ASSERT_EQ(client->accHitTest(Origin().x + deepRect.left + 2, Origin().y + deepRect.top + 2,
                                 &hit),
              S_OK);
    ASSERT_EQ(hit.vt, VT_DISPATCH);
    CComRef<IAccessible> hitObject;
    hit.pdispVal->QueryInterface(IID_IAccessible, hitObject.ReceiveVoid());
    ::VariantClear(&hit);
    EXPECT_EQ(Role(*hitObject.Get()), ROLE_SYSTEM_PANE);
    long nestedChildren = 0;
    hitObject->get_accChildCount(&nestedChildren);
    EXPECT_EQ(nestedChildren, 1);
}

TEST_F(AccessibilityTest, ChildIdsNameChildrenByPositionAndDeepControlsByTheirId) {
    EXPECT_EQ(Name(*client.Get(), ChildId(-deep->AccessibleId())), L"Deep");
    EXPECT_EQ(Name(*client.Get(), ChildId(1)), L"Install");
    BSTR text = nullptr;
    EXPECT_EQ(client->get_accName(ChildId(10), &text), E_INVALIDARG);
    EXPECT_EQ(client->get_accName(ChildId(-0x7fffffff), &text), E_INVALIDARG);
    EXPECT_EQ(text, nullptr);
    // Navigation between siblings and down to the children.
    VARIANT next;
    ::VariantInit(&next);
    ASSERT_EQ(Child(0)->accNavigate(NAVDIR_NEXT, kSelf, &next), S_OK);
    ASSERT_EQ(next.vt, VT_DISPATCH);
    CComRef<IAccessible> second;
    next.pdispVal->QueryInterface(IID_IAccessible, second.ReceiveVoid());
    ::VariantClear(&next);
    EXPECT_EQ(Name(*second.Get()), L"Status");
    EXPECT_EQ(Child(8)->accNavigate(NAVDIR_NEXT, kSelf, &next), S_FALSE);
    // The parent of a nested control is its container's object.
    CComRef<IDispatch> parent;
    CComRef<IDispatch> deepObject;
    ASSERT_EQ(client->get_accChild(ChildId(-deep->AccessibleId()), deepObject.Receive()), S_OK);
    CComRef<IAccessible> deepAccessible = deepObject.Query<IAccessible>(IID_IAccessible);
    ASSERT_EQ(deepAccessible->get_accParent(parent.Receive()), S_OK);
    EXPECT_EQ(parent.Get(), static_cast<IDispatch*>(Child(8).Get()));
}

// Child ids come from other processes: each that names no control of the tree is an error from
// every method that takes one, before any arithmetic on it (negating LONG_MIN would overflow).
TEST_F(AccessibilityTest, HostileChildIdsAreAnsweredWithAnError) {
    CButtonUI outside;  // a control of no tree: its event id names nothing here
    LONG byReference = 1;
    auto typed = [](VARTYPE type, LONG value) {
        VARIANT v = ChildId(value);
        v.vt = type;
        return v;
    };
    VARIANT reference = ChildId(0);
    reference.vt = VT_I4 | VT_BYREF;
    reference.plVal = &byReference;
    const struct {
        const char* what;
        VARIANT child;
        bool childOnly;  // an error only where a child is asked for (0 is the object itself)
    } cases[] = {
        {"LONG_MIN", ChildId(LONG_MIN), false},
        {"-LONG_MAX", ChildId(-LONG_MAX), false},
        {"the id of a control outside the tree", ChildId(-outside.AccessibleId()), false},
        {"zero", ChildId(CHILDID_SELF), true},
        {"one past the last child", ChildId(10), false},
        {"LONG_MAX", ChildId(LONG_MAX), false},
        {"VT_I2", typed(VT_I2, 1), false},
        {"VT_INT", typed(VT_INT, 1), false},
        {"VT_UI4", typed(VT_UI4, 1), false},
        {"VT_EMPTY", typed(VT_EMPTY, 1), false},
        {"VT_I4 by reference", reference, false},
    };
    IAccessible& object = *client.Get();
    using TextGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
    using VariantGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, VARIANT*);
    auto text = [&object](TextGetter get) {
        return [&object, get](const VARIANT& v) {
            BSTR out = nullptr;
            const HRESULT hr = (object.*get)(v, &out);
            ::SysFreeString(out);
            return hr;
        };
    };
    auto variant = [&object](VariantGetter get) {
        return [&object, get](const VARIANT& v) {
            VARIANT out;
            ::VariantInit(&out);
            const HRESULT hr = (object.*get)(v, &out);
            ::VariantClear(&out);
            return hr;
        };
    };
    const struct {
        const char* name;
        std::function<HRESULT(const VARIANT&)> call;
    } methods[] = {
        {"get_accChild",
         [&](const VARIANT& v) {
             CComRef<IDispatch> out;
             return object.get_accChild(v, out.Receive());
         }},
        {"get_accName", text(&IAccessible::get_accName)},
        {"get_accValue", text(&IAccessible::get_accValue)},
        {"get_accDescription", text(&IAccessible::get_accDescription)},
        {"get_accHelp", text(&IAccessible::get_accHelp)},
        {"get_accKeyboardShortcut", text(&IAccessible::get_accKeyboardShortcut)},
        {"get_accDefaultAction", text(&IAccessible::get_accDefaultAction)},
        {"get_accRole", variant(&IAccessible::get_accRole)},
        {"get_accState", variant(&IAccessible::get_accState)},
        {"accLocation",
         [&](const VARIANT& v) {
             long left, top, width, height;
             return object.accLocation(&left, &top, &width, &height, v);
         }},
        {"accNavigate",
         [&](const VARIANT& v) {
             VARIANT out;
             ::VariantInit(&out);
             const HRESULT hr = object.accNavigate(NAVDIR_NEXT, v, &out);
             ::VariantClear(&out);
             return hr;
         }},
        {"accSelect", [&](const VARIANT& v) { return object.accSelect(SELFLAG_TAKEFOCUS, v); }},
        {"accDoDefaultAction", [&](const VARIANT& v) { return object.accDoDefaultAction(v); }},
    };
    for (const auto& c : cases) {
        for (const auto& method : methods) {
            if (c.childOnly && std::string(method.name) != "get_accChild") continue;
            EXPECT_EQ(method.call(c.child), E_INVALIDARG) << method.name << " with " << c.what;
        }
    }
    CHostWindow::Pump(100);
    EXPECT_EQ(notes.Count(L"click Install"), 0) << "no default action ran";
}

TEST_F(AccessibilityTest, TheDefaultActionClicksFromTheMessageLoop) {
    EXPECT_EQ(Child(0)->accDoDefaultAction(kSelf), S_OK);
    // Queued: the click comes after the client's call, when the loop runs.
    EXPECT_EQ(notes.Count(L"click Install"), 0);
    CHostWindow::PumpUntil([&] { return notes.Count(L"click Install") == 1; }, 3000);
    EXPECT_EQ(notes.Count(L"click Install"), 1);

    // An option is selected by it; a label has no action; a disabled button refuses.
    EXPECT_EQ(client->accDoDefaultAction(ChildId(3)), S_OK);
    CHostWindow::PumpUntil([&] { return group1->IsSelected(); }, 3000);
    EXPECT_TRUE(group1->IsSelected());
    EXPECT_EQ(Child(1)->accDoDefaultAction(kSelf), DISP_E_MEMBERNOTFOUND);
    button->SetEnabled(false);
    EXPECT_EQ(Child(0)->accDoDefaultAction(kSelf), E_FAIL);
    // Focus taken through the client.
    EXPECT_EQ(Child(4)->accSelect(SELFLAG_TAKEFOCUS, kSelf), S_OK);
    EXPECT_EQ(manager().GetFocus(), check);
}

// A switch of two positions reads as a check box, one of more as a slider with its position.
TEST(AccessibleSwitch, ReadsAsACheckBoxOrASlider) {
    CButtonSwitchExUI two;
    two.ApplyAttribute(L"min", L"0");
    two.ApplyAttribute(L"max", L"1");
    EXPECT_EQ(two.AccessibleRole(), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(two.AccessibleState(), 0u);
    two.SetSwitchValue(1, false);
    EXPECT_EQ(two.AccessibleState(), static_cast<DWORD>(STATE_SYSTEM_CHECKED));
    EXPECT_TRUE(two.AccessibleDefaultAction().IsEmpty());  // a press would not move the knob
    CButtonSwitchExUI three;
    three.ApplyAttribute(L"min", L"0");
    three.ApplyAttribute(L"max", L"2");
    three.SetSwitchValue(2, false);
    EXPECT_EQ(three.AccessibleRole(), ROLE_SYSTEM_SLIDER);
    EXPECT_EQ(three.AccessibleValue(), L"2");
}

// The WinEvents raised for controls name them so that AccessibleObjectFromEvent finds them.
struct TSeenWinEvent {
    DWORD event;
    LONG object;
    LONG child;
};
std::vector<TSeenWinEvent>* g_seen = nullptr;

void CALLBACK RecordWinEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD,
                             DWORD) {
    if (g_seen != nullptr) g_seen->push_back({event, object, child});
}

TEST_F(AccessibilityTest, FocusValueAndStateChangesRaiseWinEvents) {
    std::vector<TSeenWinEvent> seen;
    g_seen = &seen;
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr,
                                           RecordWinEvent, ::GetCurrentProcessId(), 0,
                                           WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    manager().SetFocus(slider);
    progress->SetValue(55);
    progress->SetValue(55);  // unchanged: no event
    group1->Select(true, false);
    auto has = [&](DWORD event, const CControlUI* control) {
        for (const auto& e : seen)
            if (e.event == event && e.object == OBJID_CLIENT && e.child == -control->AccessibleId())
                return true;
        return false;
    };
    CHostWindow::PumpUntil([&] { return has(EVENT_OBJECT_STATECHANGE, group1); }, 3000);
    ::UnhookWinEvent(hook);
    g_seen = nullptr;
    EXPECT_TRUE(has(EVENT_OBJECT_FOCUS, slider));
    EXPECT_TRUE(has(EVENT_OBJECT_VALUECHANGE, progress));
    EXPECT_TRUE(has(EVENT_OBJECT_STATECHANGE, group1));
    int valueChanges = 0;
    for (const auto& e : seen) valueChanges += e.event == EVENT_OBJECT_VALUECHANGE;
    EXPECT_EQ(valueChanges, 1);

    // What a client does with such an event.
    CComRef<IAccessible> source;
    VARIANT child;
    ::VariantInit(&child);
    ASSERT_EQ(::AccessibleObjectFromEvent(window->Handle(), OBJID_CLIENT, -progress->AccessibleId(),
                                          source.Receive(), &child),
              S_OK);
    EXPECT_EQ(Role(*source.Get(), child), ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_EQ(TextOf([&](BSTR* t) { return source->get_accValue(child, t); }), L"55%");
    ::VariantClear(&child);
}

// A client may keep an object after its control or its window is gone: every call then fails
// cleanly, and releasing the last reference frees it.
TEST_F(AccessibilityTest, ObjectsOutlivingTheirControlOrWindowAreCutOff) {
    CComRef<IAccessible> kept = Child(1);
    ASSERT_TRUE(kept);
    const ULONG held = kept->AddRef();
    EXPECT_EQ(kept->Release(), held - 1);
    root->RemoveItem(label);  // deletes it (at once, or from the loop when deferred)
    CHostWindow::Pump(100);
    BSTR text = nullptr;
    EXPECT_EQ(kept->get_accName(kSelf, &text), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(text, nullptr);
    long left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(kept->accLocation(&left, &top, &width, &height, kSelf), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(kept->accDoDefaultAction(kSelf), CO_E_OBJNOTCONNECTED);
    // The client now lists one child fewer and names the next one at that position.
    EXPECT_EQ(Name(*client.Get(), ChildId(2)), L"First");

    CComRef<IAccessible> keptButton = Child(0);
    CComRef<IAccessible> keptClient = CComRef<IAccessible>::Share(client.Get());
    window.reset();  // the manager and its whole tree go
    EXPECT_EQ(keptButton->get_accName(kSelf, &text), CO_E_OBJNOTCONNECTED);
    long count = 0;
    EXPECT_EQ(keptClient->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(keptClient->accHitTest(100, 100, nullptr), E_POINTER);
    VARIANT hit;
    EXPECT_EQ(keptClient->accHitTest(100, 100, &hit), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(hit.vt, VT_EMPTY);
}

}  // namespace
