// The dialog builder: control trees, window settings and resource tables from markup, Include,
// the case rules, unknown elements, and hostile markup.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "tests/common/FuzzLoop.h"
#include "tests/common/RectAssert.h"
#include "tests/common/TestFiles.h"
#include "tests/ui/skin/SkinTestSupport.h"
#include "tests/ui/window/WindowTestSupport.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/CheckBoxUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/controls/TextUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/window/DialogBuilder.h"

using namespace SkinUI;
using test_support::SameRect;
using ui_test::CCountedUI;
using ui_test::CCountingCallback;
using ui_test::CMarkupWindow;
using ui_test::CSkinScope;

namespace {

using ControlPtr = std::unique_ptr<CControlUI>;

ControlPtr Build(const std::wstring& markup, CWindowManagerUI* manager = nullptr,
                 IDialogBuilderCallback* callback = nullptr) {
    CLayoutBuilder builder;
    return ControlPtr(builder.Create(markup.c_str(), nullptr, callback, manager, nullptr));
}

IContainerUI* Children(CControlUI* control) {
    return static_cast<IContainerUI*>(control->InterfaceByName(L"IContainer"));
}

CControlUI* ChildAt(CControlUI* control, int index) {
    IContainerUI* children = Children(control);
    return children != nullptr ? children->ItemAt(index) : nullptr;
}

// The class names of a container's children, joined with blanks.
std::wstring ChildClasses(CControlUI* control) {
    std::wstring classes;
    IContainerUI* children = Children(control);
    for (int i = 0; children != nullptr && i < children->Count(); ++i) {
        if (!classes.empty()) classes += L" ";
        classes += children->ItemAt(i)->ClassName();
    }
    return classes;
}

int TreeDepth(CControlUI* control) {
    int deepest = 0;
    IContainerUI* children = Children(control);
    for (int i = 0; children != nullptr && i < children->Count(); ++i)
        deepest = std::max(deepest, TreeDepth(children->ItemAt(i)));
    return deepest + 1;
}

// The sample skin's folder in the source tree.
std::wstring SampleSkinDir() {
    return testfiles::WinePath(testfiles::EnvText(L"VEXO_SOURCE_DIR") + L"/tests/ui/window/sample_skin") +
           L"\\";
}

// A manager bound to a hidden window without a tree (window settings apply only when the
// manager has a window).
class CWindowFixture {
public:
    CWindowFixture() {
        window.Create(nullptr, L"builder", WS_POPUP, 0, 40, 40, 200, 150);
        manager.Init(window);
    }
    CWindowManagerUI& Manager() { return manager; }
    ui_test::CPlainWindow window;
    CWindowManagerUI manager;
};

}  // namespace

TEST(DialogBuilder, EveryAttributeGroupBuildsTheExpectedTree) {
    CSkinScope scope;
    CWindowManagerUI manager;
    ControlPtr root = Build(
        LR"(<Window>
      <VerticalLayout name="root" inset="1,2,3,4" childpadding="5" bkcolor="#FF102030">
        <HorizontalLayout name="row" height="30" padding="1,1,1,1">
          <Control name="spacer" width="7" visible="false" tooltip="tip"/>
          <Container name="box" float="true" pos="10,20,110,50"/>
        </HorizontalLayout>
        <Label name="label" text="Hello" font="2" textcolor="#FF00FF00" textpadding="1,2,3,4"
               align="right" enabledeffect="true" textcolor1="#FF0000FF" shadowoffset="2,45"
               rhaa="7"/>
        <Text name="text" text="Some text"/>
        <LabelEx name="labelex" text="Ex"/>
        <Button name="button" text="Go" normalimage="n.png" hotimage="h.png" pushedimage="p.png"
                disabledimage="d.png" hottextcolor="#FFFF0000" Angle="5A"/>
        <Option name="option" group="g" selected="true" selectedimage="s.png"/>
        <CheckBox name="check" selected="true"/>
        <Progress name="progress" min="10" max="90" value="37" hor="false" foreimage="f.png"/>
        <Slider name="slider" thumbsize="16,12" step="5" value="20" thumbimage="t.png"/>
      </VerticalLayout></Window>)",
        &manager);
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->ClassName(), L"VerticalLayoutUI");
    EXPECT_EQ(root->Name(), L"root");
    EXPECT_EQ(ChildClasses(root.get()),
              L"HorizontalLayoutUI LabelUI TextUI LabelUI ButtonUI OptionUI CheckBoxUI ProgressUI "
              L"SliderUI");
    auto* layout = static_cast<CContainerUI*>(root.get());
    EXPECT_TRUE(SameRect(layout->Inset(), RECT{1, 2, 3, 4}));
    EXPECT_EQ(layout->ChildPadding(), 5);
    EXPECT_EQ(root->BackColor(), 0xFF102030u);

    CControlUI* row = ChildAt(root.get(), 0);
    EXPECT_EQ(row->FixedHeight(), 30);
    EXPECT_EQ(ChildClasses(row), L"ControlUI ContainerUI");
    CControlUI* spacer = ChildAt(row, 0);
    EXPECT_EQ(spacer->FixedWidth(), 7);
    EXPECT_FALSE(spacer->IsVisible());
    EXPECT_EQ(spacer->ToolTip(), L"tip");
    CControlUI* box = ChildAt(row, 1);
    EXPECT_TRUE(box->IsFloat());
    EXPECT_EQ(box->FixedXY().cx, 10);
    EXPECT_EQ(box->FixedWidth(), 100);
    EXPECT_EQ(box->FixedHeight(), 30);

    auto* label = static_cast<CLabelUI*>(ChildAt(root.get(), 1));
    EXPECT_EQ(label->Text(), L"Hello");
    EXPECT_EQ(label->Font(), 2);
    EXPECT_EQ(label->TextColor(), 0xFF00FF00u);
    EXPECT_EQ(label->TextPadding().bottom, 4);
    EXPECT_EQ(label->TextStyle(), static_cast<UINT>(DT_VCENTER | DT_RIGHT));
    EXPECT_TRUE(label->IsEffectsEnabled());
    EXPECT_EQ(label->TextColor1(), 0xFF0000FFu);
    EXPECT_FLOAT_EQ(label->ShadowOffsetX(), -2.0f);
    EXPECT_EQ(label->RenderingHint(), 0);

    auto* button = static_cast<CButtonUI*>(ChildAt(root.get(), 4));
    EXPECT_STREQ(button->NormalImage(), L"n.png");
    EXPECT_STREQ(button->DisabledImage(), L"d.png");
    EXPECT_EQ(button->HotTextColor(), 0xFFFF0000u);
    EXPECT_EQ(button->ImageAngle(), 90);

    auto* option = static_cast<COptionUI*>(ChildAt(root.get(), 5));
    EXPECT_STREQ(option->Group(), L"g");
    EXPECT_TRUE(option->IsSelected());
    EXPECT_STREQ(option->SelectedImage(), L"s.png");
    EXPECT_TRUE(static_cast<COptionUI*>(ChildAt(root.get(), 6))->IsSelected());

    auto* progress = static_cast<CProgressUI*>(ChildAt(root.get(), 7));
    EXPECT_EQ(progress->MinValue(), 10);
    EXPECT_EQ(progress->MaxValue(), 90);
    EXPECT_EQ(progress->Value(), 37);
    EXPECT_FALSE(progress->IsHorizontal());
    EXPECT_STREQ(progress->ProgressForeImage(), L"f.png");

    auto* slider = static_cast<CSliderUI*>(ChildAt(root.get(), 8));
    EXPECT_EQ(slider->ThumbSize().cx, 16);
    EXPECT_EQ(slider->ThumbSize().cy, 12);
    EXPECT_EQ(slider->ChangeStep(), 5);
    EXPECT_EQ(slider->Value(), 20);
    EXPECT_STREQ(slider->ThumbImage(), L"t.png");

    EXPECT_EQ(root->Manager(), nullptr) << "the tree is attached only when a window takes it";
}

TEST(DialogBuilder, WindowAttributesAreApplied) {
    CWindowFixture fixture;
    CWindowManagerUI& manager = fixture.Manager();
    ControlPtr root = Build(LR"(<Window SIZE="321,123" sizebox="1,2,3,4" Caption="0,0,0,40"
        roundcorner="5,6" mininfo="100,80" maxinfo="900,700" showdirty="TRUE" bktrans="true"
        disabledfontcolor="#FF010101" defaultfontcolor="FF020202" linkfontcolor="#FF030303"
        linkhoverfontcolor="#FF040404" selectedcolor="#FF050505" animateimage="wait.png"
        moveparentwnd="true" AlphaBkTrans="true" alpha="300" unknown="1">
      <Control/></Window>)",
                            &manager);
    ASSERT_NE(root, nullptr);
    RECT rc{};
    ::GetWindowRect(fixture.window, &rc);
    EXPECT_EQ(rc.right - rc.left, 321) << "size resizes a window without a tree at once";
    EXPECT_EQ(rc.bottom - rc.top, 123);
    EXPECT_TRUE(SameRect(manager.ResizeBorders(), RECT{1, 2, 3, 4}));
    EXPECT_EQ(manager.CaptionBand().bottom, 40);
    EXPECT_EQ(manager.CornerEllipse().cx, 5);
    EXPECT_EQ(manager.CornerEllipse().cy, 6);
    EXPECT_EQ(manager.MinTrackSize().cx, 100);
    EXPECT_EQ(manager.MaxTrackSize().cy, 700);
    EXPECT_TRUE(manager.IsShowDirty());
    EXPECT_TRUE(manager.IsCopyBackdrop());
    EXPECT_EQ(manager.GetDefaultDisabledColor(), 0xFF010101u);
    EXPECT_EQ(manager.GetDefaultFontColor(), 0xFF020202u);
    EXPECT_EQ(manager.GetDefaultLinkFontColor(), 0xFF030303u);
    EXPECT_EQ(manager.GetDefaultLinkHoverFontColor(), 0xFF040404u);
    EXPECT_EQ(manager.GetDefaultSelectedBkColor(), 0xFF050505u);
    EXPECT_EQ(manager.PlaceholderImage(), L"wait.png");
    EXPECT_TRUE(manager.IsDragMovesParent());
    EXPECT_FALSE(manager.IsPerPixelAlpha()) << "alphabktrans is matched exactly";
    EXPECT_EQ(manager.Opacity(), 255);
    EXPECT_EQ(::GetWindowLongPtrW(fixture.window, GWL_EXSTYLE) & WS_EX_LAYERED, 0)
        << "an alpha outside 0..255 leaves the window without the layered style";

    ControlPtr translucent = Build(L"<Window alpha=\"128\"><Control/></Window>", &manager);
    EXPECT_EQ(manager.Opacity(), 128);
    EXPECT_NE(::GetWindowLongPtrW(fixture.window, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
}

TEST(DialogBuilder, ShadowAttributesAreMatchedExactly) {
    CWindowFixture fixture;
    CShadowUI* shadow = fixture.Manager().WindowShadow();
    if (shadow == nullptr) GTEST_SKIP() << "this window manager has no shadow";
    ControlPtr root = Build(LR"(<Window showshadow="true" shadowsize="6" ShadowSharpness="9"
        shadowdarkness="300" shadowposition="-3,4" shadowcolor="#FF102030" shadowcorner="1,2,3,4">
      <Control/></Window>)",
                            &fixture.Manager());
    EXPECT_TRUE(shadow->IsShowShadow());
    EXPECT_EQ(shadow->Shape().size, 6);
    EXPECT_EQ(shadow->Shape().sharpness, 5) << "shadow attribute names are matched exactly";
    EXPECT_EQ(shadow->Shape().darkness, 150) << "a value the shadow refuses is ignored";
    EXPECT_EQ(shadow->Shape().xOffset, -3);
    EXPECT_EQ(shadow->Shape().yOffset, 4);
    EXPECT_EQ(shadow->Shape().color, 0xFF102030u);
    EXPECT_EQ(shadow->ShadowCorner().bottom, 4);
    ControlPtr again =
        Build(L"<Window showshadow=\"TRUE\"><Control/></Window>", &fixture.Manager());
    EXPECT_FALSE(shadow->IsShowShadow()) << "showshadow takes exactly \"true\"";
}

TEST(DialogBuilder, WindowAttributesNeedAWindowRootAndAWindow) {
    CWindowFixture fixture;
    ControlPtr page = Build(L"<Page caption=\"0,0,0,30\"><Control/></Page>", &fixture.Manager());
    ASSERT_NE(page, nullptr) << "any root element holds controls";
    EXPECT_EQ(fixture.Manager().CaptionBand().bottom, 0) << "only a Window root sets the window";

    CWindowManagerUI windowless;
    ControlPtr root = Build(
        L"<window caption=\"0,0,0,30\"><Font id=\"3\" name=\"Arial\" "
        L"size=\"15\"/><Control/></window>",
        &windowless);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(windowless.CaptionBand().bottom, 0) << "a manager without a window takes no settings";
    EXPECT_EQ(windowless.GetFontInfo(3)->nSize, 15) << "but its tables are filled";
}

TEST(DialogBuilder, FontsImagesDefaultListsAndTexts) {
    CSkinScope scope;
    CWindowManagerUI::SetSkinPath(SampleSkinDir().c_str());
    CWindowManagerUI manager, other;
    const HFONT defaultFont = manager.GetFont(-1);
    ControlPtr root = Build(
        LR"(<Window>
        <Font id="0" name="Tahoma" size="14"/><Font id="1" name="Tahoma" size="16" bold="TRUE"/>
        <Font id="2" name="Tahoma" size="20"/><Font id="3" name="Tahoma" size="12" italic="true"/>
        <Font id="4" name="Tahoma" size="10" underline="true"/>
        <Font name="Arial" size="30" default="true"/>
        <Font id="-2" name="Arial" size="31" default="true"/>
        <FONT ID="5" NAME="Verdana" SIZE="11" SHARED="true"/>
        <font id="6" name="Courier New" default="true"/>
        <Image name="radio.png"/><Image name="thumb.png" shared="true"/><Image name="missing.png"/>
        <Image name="title.png" mask="#FF1E3C78"/>
        <Default name="Button" value="textcolor=&quot;#FF112233&quot; width=&quot;77&quot;"/>
        <MultiLanguage id="41" value="forty-one"/><MultiLanguage value="no id"/>
        <VerticalLayout><Button name="upper"/><button name="lower"/></VerticalLayout></Window>)",
        &manager);
    ASSERT_NE(root, nullptr);
    for (int id = 0; id <= 4; ++id) EXPECT_NE(manager.GetFont(id), defaultFont) << "font " << id;
    EXPECT_EQ(manager.GetFontInfo(1)->nSize, 16);
    EXPECT_TRUE(manager.GetFontInfo(1)->bBold);
    EXPECT_TRUE(manager.GetFontInfo(3)->bItalic);
    EXPECT_TRUE(manager.GetFontInfo(4)->bUnderline);
    EXPECT_EQ(other.GetFontInfo(5)->strFaceName, L"Verdana") << "shared fonts serve every window";
    EXPECT_EQ(manager.GetDefaultFontInfo()->strFaceName, L"Courier New")
        << "fonts without an id (or a negative one) register nothing, not even the default";
    EXPECT_EQ(manager.GetDefaultFontInfo()->nSize, 12);

    ASSERT_NE(manager.GetImage(L"radio.png"), nullptr);
    EXPECT_EQ(other.GetImage(L"radio.png"), nullptr);
    EXPECT_NE(other.GetImage(L"thumb.png"), nullptr);
    EXPECT_EQ(manager.GetImage(L"missing.png"), nullptr);
    const TImageData* masked = manager.GetImage(L"title.png");
    ASSERT_NE(masked, nullptr);
    EXPECT_EQ(masked->dwMask, 0xFF1E3C78u);

    EXPECT_STREQ(manager.ClassDefaults(L"Button"), L"textcolor=\"#FF112233\" width=\"77\"");
    auto* upper = static_cast<CButtonUI*>(ChildAt(root.get(), 0));
    auto* lower = static_cast<CButtonUI*>(ChildAt(root.get(), 1));
    EXPECT_EQ(upper->TextColor(), 0xFF112233u);
    EXPECT_EQ(upper->FixedWidth(), 77);
    EXPECT_EQ(lower->TextColor(), 0u) << "default lists follow the element name as written";
    EXPECT_STREQ(CWindowManagerUI::TextById(41), L"forty-one");
}

TEST(DialogBuilder, ElementAndAttributeCaseRules) {
    struct TCase {
        const wchar_t* element;
        const wchar_t* expectedClass;  // null: nothing is built
    } cases[] = {
        {L"button", L"ButtonUI"},
        {L"BUTTON", L"ButtonUI"},
        {L"verticallayout", L"VerticalLayoutUI"},
        {L"checkbox", L"CheckBoxUI"},
        {L"progress", L"ProgressUI"},
        {L"SLIDER", L"SliderUI"},
        {L"LabelEx", L"LabelUI"},
        {L"labelex", nullptr},
        {L"LABELEX", nullptr},
        {L"gifanim", nullptr},
        {L"Window", nullptr},
        {L"Include", nullptr},
    };
    for (const TCase& c : cases) {
        ControlPtr control = Build(std::wstring(L"<Window><") + c.element + L"/></Window>");
        if (c.expectedClass == nullptr) {
            EXPECT_EQ(control, nullptr) << c.element;
        } else {
            ASSERT_NE(control, nullptr) << c.element;
            EXPECT_STREQ(control->ClassName(), c.expectedClass) << c.element;
        }
    }
    ControlPtr label = Build(L"<Window><Label Text=\"upper\" text=\"lower\" NAME=\"n\"/></Window>");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Text(), L"lower") << "control attribute names are case-sensitive";
    EXPECT_TRUE(label->Name().IsEmpty());
}

TEST(DialogBuilder, UnknownElementsAreSkippedWithTheirSubtree) {
    CCountingCallback callback;
    ControlPtr root = Build(LR"(<Window><HorizontalLayout>
        <Label name="before" bogus="1" text="kept"/>
        <Foo><Button name="inside"/><Bar/></Foo>
        <Counted name="made"/>
        <CountedBox><Label name="child"/></CountedBox>
        <Label name="after"/></HorizontalLayout></Window>)",
                            nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildClasses(root.get()), L"LabelUI CountedUI CountedBoxUI LabelUI");
    EXPECT_EQ(ChildAt(root.get(), 0)->Text(), L"kept") << "an unknown attribute loses nothing";
    EXPECT_EQ(ChildAt(root.get(), 3)->Name(), L"after");
    EXPECT_EQ(ChildClasses(ChildAt(root.get(), 2)), L"LabelUI") << "callback classes get children";
    EXPECT_EQ(callback.asked, (std::vector<std::wstring>{L"Foo", L"Counted", L"CountedBox"}))
        << "the callback is asked for unknown names only, and never inside a skipped element";
    root.reset();
    EXPECT_EQ(CCountedUI::live, 0);
}

// A tool that previews a skin names what vanished: each unknown element (not those inside it)
// with the place of its name in the text.
TEST(DialogBuilder, UnknownElementsAreListedWithTheirPlace) {
    const std::wstring text = L"<Window><VerticalLayout>\n<Foo><Bar/></Foo>\n<Label/>\n"
                              L"<Baz/></VerticalLayout></Window>";
    CCountingCallback callback;
    CLayoutBuilder builder;
    ControlPtr root(builder.Create(text.c_str(), nullptr, &callback));
    ASSERT_NE(root, nullptr);
    const auto& unknown = builder.UnknownElements();
    ASSERT_EQ(unknown.size(), 2u);
    EXPECT_EQ(std::wstring(unknown[0].name), L"Foo");
    EXPECT_EQ(unknown[0].textPos, text.find(L"<Foo") + 1);
    EXPECT_EQ(std::wstring(unknown[1].name), L"Baz");
    EXPECT_EQ(unknown[1].textPos, text.find(L"<Baz") + 1);
    root.reset(builder.Create(L"<Window><Label/></Window>"));
    EXPECT_TRUE(builder.UnknownElements().empty()) << "each build starts a new list";
}

TEST(DialogBuilder, ControlsWithNowhereToGoAreNotKept) {
    CCountingCallback callback;
    {
        // A label holds no children: its children are dropped, its siblings stay.
        ControlPtr root = Build(
            L"<Window><VerticalLayout><Label name=\"l\"><Counted/><Counted/></Label><Counted/>"
            L"</VerticalLayout></Window>",
            nullptr, &callback);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(ChildClasses(root.get()), L"LabelUI CountedUI");
        EXPECT_EQ(CCountedUI::live, 1);
    }
    EXPECT_EQ(CCountedUI::live, 0);
    {
        // Without a parent only the first top-level control is the result; the rest are not built.
        ControlPtr first = Build(L"<Window><Counted name=\"a\"/><Counted/><Counted/></Window>",
                                 nullptr, &callback);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->Name(), L"a");
        EXPECT_EQ(CCountedUI::live, 1);
    }
    EXPECT_EQ(CCountedUI::live, 0);
}

TEST(DialogBuilder, BuildsIntoAGivenParent) {
    CContainerUI parent;
    CLayoutBuilder builder;
    CControlUI* first = builder.Create(L"<Window><Label name=\"a\"/><Button name=\"b\"/></Window>",
                                       nullptr, nullptr, nullptr, &parent);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Name(), L"a");
    EXPECT_EQ(ChildClasses(&parent), L"LabelUI ButtonUI");

    CLabelUI notAContainer;
    CCountingCallback callback;
    EXPECT_EQ(
        builder.Create(L"<Window><Counted/></Window>", nullptr, &callback, nullptr, &notAContainer),
        nullptr);
    EXPECT_EQ(CCountedUI::live, 0) << "a control the parent cannot take is deleted";
}

TEST(DialogBuilder, ControlsBuiltIntoAWindowAreAttachedAndFoundByName) {
    CWindowFixture fixture;
    auto* root = new CVerticalLayoutUI;
    fixture.Manager().AttachRoot(root);
    CLayoutBuilder builder;
    CControlUI* built = builder.Create(
        L"<Window><HorizontalLayout name=\"row\"><Label name=\"late\"/>"
        L"</HorizontalLayout></Window>",
        nullptr, nullptr, &fixture.Manager(), root);
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->Manager(), &fixture.Manager())
        << "the new controls stay attached to the window";
    EXPECT_EQ(built->Parent(), root);
    CControlUI* late = fixture.Manager().FindControl(L"late");
    ASSERT_NE(late, nullptr) << "their names are registered";
    EXPECT_EQ(late->Manager(), &fixture.Manager());
}

TEST(DialogBuilder, IncludeRepeatsADocument) {
    CSkinScope scope;
    CWindowManagerUI::SetSkinPath(SampleSkinDir().c_str());
    CWindowManagerUI manager;
    // Text sources start with "<" (written with entities inside the attribute).
    const std::wstring part =
        L"&lt;Window&gt;&lt;Font id=&quot;9&quot; name=&quot;Arial&quot; size=&quot;19&quot;/&gt;"
        L"&lt;Label name=&quot;part&quot;/&gt;&lt;Button/&gt;&lt;/Window&gt;";
    ControlPtr root =
        Build(L"<Window><HorizontalLayout><Control/><Include source=\"" + part +
                  L"\" count=\"3\"/><INCLUDE SOURCE=\"footer.xml\"/>"
                  L"<Include source=\"footer.xml\" count=\"0\"/><Include count=\"2\"/>"
                  L"<Include source=\"missing.xml\"/><Control/></HorizontalLayout></Window>",
              &manager);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildClasses(root.get()),
              L"ControlUI LabelUI ButtonUI LabelUI ButtonUI LabelUI ButtonUI LabelUI ControlUI");
    EXPECT_EQ(ChildAt(root.get(), 7)->Name(), L"footer") << "a skin file included once";
    EXPECT_EQ(manager.GetFontInfo(9)->nSize, 19) << "the included document's fonts are registered";

    ControlPtr only = Build(L"<Window><Include source=\"footer.xml\" count=\"5\"/></Window>");
    ASSERT_NE(only, nullptr) << "an Include may give the first control";
    EXPECT_EQ(only->Name(), L"footer");
}

TEST(DialogBuilder, ResourceDocumentsIncludeResources) {
    CWindowManagerUI::SetModuleInstance(::GetModuleHandleW(nullptr));
    CWindowManagerUI manager;
    CLayoutBuilder builder;
    // Resource 410 (type "xml") includes resource 411 twice.
    ControlPtr root(builder.Create(MAKEINTRESOURCEW(410), L"xml", nullptr, &manager, nullptr));
    ASSERT_NE(root, nullptr) << builder.Markup()->ErrorMessage();
    EXPECT_EQ(ChildClasses(root.get()), L"LabelUI ButtonUI ButtonUI");

    CLayoutBuilder missing;
    EXPECT_EQ(missing.Create(MAKEINTRESOURCEW(499), L"xml", nullptr, &manager, nullptr), nullptr);
    EXPECT_STRNE(missing.Markup()->ErrorMessage(), L"");
}

TEST(DialogBuilder, IncludeLoopsAndHugeCountsEnd) {
    CSkinScope scope;
    testfiles::CTempDir dir;
    testfiles::WriteBytes(
        dir / L"loop.xml",
        "<Window><Label name=\"again\"/><Include source=\"loop.xml\" count=\"2\"/></Window>");
    testfiles::WriteBytes(
        dir / L"many.xml",
        "<Window><Include source=\"&lt;Window&gt;&lt;Control/&gt;&lt;/Window&gt;\" "
        "count=\"2000000000\"/></Window>");
    CWindowManagerUI::SetSkinPath(dir.Path().c_str());
    CContainerUI parent;
    CLayoutBuilder loop;
    ASSERT_NE(loop.Create(L"loop.xml", nullptr, nullptr, nullptr, &parent), nullptr);
    EXPECT_GT(parent.Count(), 1);
    EXPECT_LE(parent.Count(), CLayoutBuilder::kMaxIncludes + 1) << "an include loop stops";

    CContainerUI many;
    CLayoutBuilder huge;
    ASSERT_NE(huge.Create(L"many.xml", nullptr, nullptr, nullptr, &many), nullptr);
    EXPECT_LE(many.Count(), CLayoutBuilder::kMaxIncludes) << "a huge count is bounded";
}

// <StringTable name="N"/> loads the skin's table N of the user's language, else the one its
// "default" attribute names (zh-CN without one); it is structural, never a control, and a
// later MultiLanguage element still replaces a text of it.
TEST(DialogBuilder, StringTableLoadsTheTableOfTheLanguage) {
    CSkinScope scope;
    testfiles::CTempDir dir;
    testfiles::WriteBytes(dir / L"t.zh-CN.xml",
                          "<StringTable><MultiLanguage id=\"9401\" value=\"zh\"/>"
                          "<MultiLanguage id=\"9402\" value=\"zh too\"/></StringTable>");
    testfiles::WriteBytes(dir / L"u.xx.xml", "<StringTable><MultiLanguage id=\"9401\" value=\"xx\"/></StringTable>");
    CWindowManagerUI::SetSkinPath(dir.Path().c_str());
    CWindowManagerUI manager;
    ControlPtr root = Build(LR"(<Window><StringTable name="t"/><MultiLanguage id="9402" value="own"/>
        <VerticalLayout/></Window>)", &manager);
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->ClassName(), L"VerticalLayoutUI");
    EXPECT_STREQ(CWindowManagerUI::TextById(9401), L"zh");
    EXPECT_STREQ(CWindowManagerUI::TextById(9402), L"own");
    root = Build(LR"(<Window><stringtable NAME="u" Default="xx"/><VerticalLayout/></Window>)", &manager);
    EXPECT_STREQ(CWindowManagerUI::TextById(9401), L"xx");
}

TEST(DialogBuilder, LoadFailuresGiveNoTreeAndSayWhy) {
    CSkinScope scope;
    CLayoutBuilder builder;
    EXPECT_EQ(builder.Create(L"no-such-file.xml"), nullptr);
    EXPECT_STREQ(builder.Markup()->ErrorMessage(), L"Error opening file");
    EXPECT_EQ(builder.Create(L"<Window><Label></Window>"), nullptr);
    EXPECT_STRNE(builder.Markup()->ErrorMessage(), L"");
    EXPECT_EQ(builder.Create(L"<Window/>"), nullptr) << "nothing to build";
    EXPECT_EQ(builder.Create(L"<Window><Unknown/></Window>"), nullptr);
    EXPECT_EQ(builder.Create(static_cast<LPCWSTR>(nullptr)), nullptr);
    EXPECT_EQ(builder.Create(L""), nullptr);
}

TEST(DialogBuilder, HostileMarkupGivesAWindowNotACrash) {
    CSkinScope scope;
    std::wstring deep;
    for (int i = 0; i < 20000; ++i) deep += L"<VerticalLayout>";
    deep += L"<Label text=\"bottom\"/>";
    for (int i = 0; i < 20000; ++i) deep += L"</VerticalLayout>";
    const std::wstring markup =
        L"<Window size=\"99999999,300\" caption=\"-9,-9,99999999,99999999\" "
        L"roundcorner=\"999999,999999\""
        L" mininfo=\"2147483647,2147483647\" maxinfo=\"-1,-1\" shadowsize=\"9999\">"
        L"<Font id=\"0\" name=\"No Such Face\" size=\"2147483647\"/><Font id=\"1\" name=\"x\" "
        L"size=\"-2147483647\"/>"
        L"<VerticalLayout><Label font=\"77\" text=\"unknown font\" width=\"2147483647\" "
        L"height=\"-9\"/>"
        L"<Button font=\"0\" text=\"huge font\" normalimage=\"missing.png\" "
        L"bkimage=\"file='none.png' "
        L"source='-5,-5,99999,99999' corner='99999,0,0,99999'\" "
        L"pos=\"-2147483647,0,2147483647,9\"/>"
        L"<Progress value=\"2147483647\" min=\"2147483647\" max=\"-2147483647\"/>"
        L"<Slider thumbsize=\"-99999,99999\" value=\"-2147483647\" step=\"2147483647\"/>" +
        deep + L"</VerticalLayout></Window>";
    CMarkupWindow window(markup);
    ASSERT_TRUE(window.Open(WS_POPUP | WS_VISIBLE));
    ui_test::PumpMessages(500);
    CControlUI* root = window.PaintManager().GetRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_LE(TreeDepth(root), CLayoutBuilder::kMaxNestingDepth) << "deep nesting is cut";
    EXPECT_NE(std::find(window.notifications.begin(), window.notifications.end(), L"windowinit "),
              window.notifications.end())
        << "the window was laid out and painted";
}

TEST(DialogBuilder, FuzzedMarkupBuildsOrFails) {
    CSkinScope scope;
    CWindowManagerUI::SetSkinPath(SampleSkinDir().c_str());
    const std::string sample = testfiles::ReadBytes(SampleSkinDir() + L"sample.xml");
    ASSERT_FALSE(sample.empty());
    CWindowManagerUI manager;
    CCountingCallback callback;
    auto target = [&](const vexo_fuzz::Bytes& input) {
        CLayoutBuilder builder;
        if (!builder.Markup()->LoadFromBytes(input.data(), static_cast<DWORD>(input.size())))
            return;
        delete builder.Create(&callback, &manager, nullptr);
    };
    const vexo_fuzz::TFuzzOptions options = vexo_fuzz::OptionsFromEnvironment(3000, 4.0);
    vexo_fuzz::RunFuzzLoop(
        "dialog-builder", {vexo_fuzz::ToBytes(sample)}, options, target,
        {vexo_fuzz::ToBytes("<Include source=\"footer.xml\" count=\"9\"/>"),
         vexo_fuzz::ToBytes("<Counted>"), vexo_fuzz::ToBytes("</VerticalLayout>"),
         vexo_fuzz::ToBytes("<Default name=\"Label\" value=\"")});
    EXPECT_EQ(CCountedUI::live, 0);
}
