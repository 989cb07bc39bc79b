// The skin attributes of every control the markup can name: each attribute a control answers
// reads back what it took, and each length is scaled to the window's density when it comes
// from the skin.

#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "tests/common/RectAssert.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/CustomButtonUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/LinearLayoutUI.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"

using namespace SkinUI;
using test_support::SameRect;

namespace {

// A control of the element, made as the builder makes it, attached to a manager at dpi.
class CAttached {
public:
    CAttached(LPCWSTR element, int dpi) : m_control(CreateRegisteredControl(element)) {
        m_manager.SetDpi(dpi);
        if (m_control) m_control->AttachTo(&m_manager, nullptr, false);
    }
    ~CAttached() {
        if (m_control) m_control->AttachTo(nullptr, nullptr, false);
    }
    CControlUI* operator->() const { return m_control.get(); }
    template <class T>
    T& As() const {
        return *static_cast<T*>(m_control.get());
    }
    explicit operator bool() const { return m_control != nullptr; }

private:
    CWindowManagerUI m_manager;
    std::unique_ptr<CControlUI> m_control;
};

// ---- Every attribute of every element -------------------------------------------------------

// A row the walk tries: the first row of its name in the control's chain applies and answers.
struct TWalkedRow {
    std::wstring name;
    EScaledAttr length;
};

std::vector<TWalkedRow> AnsweringRows(const CAttributeChain& chain) {
    std::vector<TWalkedRow> rows;
    std::vector<std::wstring> seen;  // a name decided by an earlier link
    for (const CAttributeChain* link = &chain; link != nullptr; link = link->Base()) {
        for (size_t i = 0; i < link->Count(); ++i) {
            const TAttributeRowInfo row = link->Row(i);
            bool applied = false;  // an earlier link applies or answers the name
            for (const std::wstring& name : seen) applied = applied || name == row.name;
            if (!applied && row.applies && row.answers)
                rows.push_back(TWalkedRow{row.name, row.length});
            if (row.applies || row.answers) seen.emplace_back(row.name);
        }
    }
    return rows;
}

bool IsNumberList(const std::wstring& text, int& count) {
    count = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'-') ++i;
        const size_t digits = i;
        while (i < text.size() && iswdigit(text[i])) ++i;
        if (i == digits) return false;
        ++count;
        if (i == text.size()) return true;
        if (text[i++] != L',' || i == text.size()) return false;
    }
    return false;
}

// A value of the same form as the answer given, and different from it. Nothing answered yet
// (a text, or a number that answers only once set) takes a number, which every text and
// number syntax reads back as written.
std::wstring OtherValue(const std::wstring& answer) {
    if (answer.empty()) return L"7";
    if (answer.size() == 1 && !iswdigit(answer[0])) return answer == L"w" ? L"v" : L"w";
    if (answer == L"true") return L"false";
    if (answer == L"false") return L"true";
    if (answer.size() == 9 && answer[0] == L'#') return answer == L"#FF123456" ? L"#FF654321" : L"#FF123456";
    int count = 0;
    if (IsNumberList(answer, count)) {
        std::wstring value;
        for (int i = 0; i < count; ++i) value += (i == 0 ? L"" : L",") + std::to_wstring(13 + 2 * i);
        return value == answer ? std::wstring(L"17") + value.substr(2) : value;
    }
    return answer == L"walker" ? L"walked" : L"walker";
}

// The numbers of text at twice the density, as a length of that kind reads at 192 DPI.
std::wstring Doubled(const std::wstring& text, EScaledAttr kind) {
    std::wstring doubled;
    int numbers = 0;
    for (size_t i = 0; i < text.size();) {
        const bool sign = text[i] == L'-' && i + 1 < text.size() && iswdigit(text[i + 1]);
        if (!sign && !iswdigit(text[i])) {
            doubled += text[i++];
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && iswdigit(text[end])) ++end;
        const long long value = std::stoll(text.substr(i, end - i));
        const bool scaled = kind != EScaledAttr::FirstNumber || numbers == 0;
        doubled += std::to_wstring(scaled ? 2 * value : value);
        ++numbers;
        i = end;
    }
    return doubled;
}

// What a generic value cannot show: the attribute answers something else than it takes.
struct TWalkException {
    const wchar_t* name;
    const wchar_t* value;   // applied instead of the generic one
    const wchar_t* answer;  // what the control then answers
};
const TWalkException kWalkExceptions[] = {
    {L"pos", L"1,2,3,4", L"0,0,0,0"},  // the placed rectangle, not the markup's
    {L"header", L"hidden", L"hidden"},  // "hidden", or nothing when shown
    {L"loophover", L"true", L"true"},   // nothing until set (the animated option)
    {L"loopworking", L"true", L"true"},
};

TEST(AttributeWalk, EveryAnsweringAttributeOfEveryElementReadsBackWhatItTook) {
    const std::vector<LPCWSTR> elements = RegisteredElementNames();
    ASSERT_GT(elements.size(), 30u);
    int walked = 0;
    for (LPCWSTR element : elements) {
        CAttached probe(element, 96);
        ASSERT_TRUE(probe) << element;
        for (const TWalkedRow& row : AnsweringRows(probe->AttributeChain())) {
            SCOPED_TRACE(std::wstring(element) + L" " + row.name);
            CAttached at96(element, 96);
            CAttached at192(element, 192);
            std::wstring value = OtherValue(at96->QueryAttribute(row.name.c_str()).GetData());
            std::wstring expected = value;
            for (const TWalkException& e : kWalkExceptions) {
                if (row.name == e.name) {
                    value = e.value;
                    expected = e.answer;
                }
            }
            at96->ApplyAttribute(row.name.c_str(), value.c_str());
            const std::wstring answer = at96->QueryAttribute(row.name.c_str()).GetData();
            EXPECT_EQ(answer, expected) << "applied " << value;
            // From the skin at 192 DPI a length answers twice the pixels; anything else the same.
            at192->ApplySkinAttribute(row.name.c_str(), value.c_str());
            const std::wstring dense = at192->QueryAttribute(row.name.c_str()).GetData();
            EXPECT_EQ(dense, row.length == EScaledAttr::None ? answer : Doubled(answer, row.length))
                << "applied " << value << " at 192 DPI";
            ++walked;
        }
    }
    EXPECT_GT(walked, 100);
}

// Lengths that once stayed at the skin's size while their neighbours grew with the density.
TEST(AttributeDensity, EveryLengthOfTheFamiliesGrowsWithTheDensity) {
    for (int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        const int k = dpi / 96;
        CAttached vertical(L"VerticalLayout", dpi);
        vertical->ApplySkinAttribute(L"sepheight", L"6");
        EXPECT_EQ(vertical.As<CLinearLayoutUI>().SeparatorSize(), 6 * k);
        CAttached horizontal(L"HorizontalLayout", dpi);
        horizontal->ApplySkinAttribute(L"sepwidth", L"6");
        EXPECT_EQ(horizontal.As<CLinearLayoutUI>().SeparatorSize(), 6 * k);

        CAttached custom(L"CustonButton", dpi);
        custom->ApplySkinAttribute(L"textTitlepadding", L"14,1,2,3");
        custom->ApplySkinAttribute(L"textValuepadding", L"230,0,4,5");
        const CCustomButtonUI& button = custom.As<CCustomButtonUI>();
        EXPECT_TRUE(SameRect(button.Title().padding, RECT{14 * k, 1 * k, 2 * k, 3 * k}));
        EXPECT_TRUE(SameRect(button.Value().padding, RECT{230 * k, 0, 4 * k, 5 * k}));

        CAttached ellipse(L"Button", dpi);
        ellipse->ApplySkinAttribute(L"Ellipsepadding", L"0,0,40,30");
        ellipse->ApplySkinAttribute(L"Translatepadding", L"5,7,0,0");  // moves the picture in it
        EXPECT_TRUE(SameRect(ellipse.As<CButtonUI>().EllipsePadding(), RECT{0, 0, 40 * k, 30 * k}));
        EXPECT_TRUE(SameRect(ellipse.As<CButtonUI>().TranslatePadding(), RECT{5 * k, 7 * k, 0, 0}));

        // A distance and an angle: the distance grows, the angle stays.
        CAttached label(L"Label", dpi);
        label->ApplySkinAttribute(L"gradientlength", L"20");
        EXPECT_EQ(label.As<CLabelUI>().GradientLength(), 20 * k);
        label->ApplySkinAttribute(L"shadowoffset", L"3,-135");
        EXPECT_EQ(label.As<CLabelUI>().ShadowOffsetX(), 3.0f * k);
        EXPECT_EQ(label.As<CLabelUI>().ShadowOffsetY(), 3.0f * k);
    }
}

}  // namespace
