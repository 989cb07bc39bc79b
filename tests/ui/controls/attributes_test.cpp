// The skin attributes of every control the markup can name: each attribute a control answers
// reads back what it took, and each length is scaled to the window's density when it comes
// from the skin.

#include <gtest/gtest.h>

#include <memory>

#include "tests/common/RectAssert.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/CustomButtonUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/LinearLayoutUI.h"
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
