// Painting through the window manager's off-screen path into a real window, read back and
// compared at chosen pixels: background colours, a picture, a border, a child over its parent,
// clipping to the parent, and repainting only what was invalidated.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/GdiHandles.h"
#include "tests/ui/manager/ManagerTestSupport.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/manager/ContainerUI.h"

using namespace SkinUI;
using manager_test::CHostWindow;
using manager_test::CProbeControl;

namespace {

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kBlue = 0x0000FF;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kYellow = 0xFFFF00;
constexpr DWORD kGray = 0x808080;
constexpr DWORD kBlack = 0x000000;

// root (red)
//   row (100 high): box (120 wide, blue, 4-pixel green border) holding a floating yellow child
//                   that reaches far beyond it; pic (80 wide, solid.png); the rest
//   top probe (50 high, gray), bottom probe (the rest, no colour)
class PaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::PreparePictures();  // the skin folder holds solid.png
        window = std::make_unique<CHostWindow>(L"VexoPaintTest", RECT{40, 40, 340, 240});
        auto* root = new CVerticalLayoutUI();
        root->ApplyAttributeString(L"bkcolor=\"#FFFF0000\"");
        auto* row = new CHorizontalLayoutUI();
        row->ApplyAttributeString(L"height=\"100\"");
        auto* box = new CContainerUI();
        box->ApplyAttributeString(
            L"width=\"120\" bkcolor=\"#FF0000FF\" bordersize=\"4\" bordercolor=\"#FF00FF00\"");
        auto* over = new CControlUI();
        over->ApplyAttributeString(L"float=\"true\" pos=\"60,20,250,60\" bkcolor=\"#FFFFFF00\"");
        box->Append(over);
        row->Append(box);
        auto* pic = new CControlUI();
        row->Append(pic);
        pic->ApplyAttributeString(L"width=\"80\"");
        row->Append(new CControlUI());
        root->Append(row);
        top = new CProbeControl(L"top", nullptr);
        top->ApplyAttributeString(L"height=\"50\" bkcolor=\"#FF808080\"");
        root->Append(top);
        bottom = new CProbeControl(L"bottom", nullptr);
        root->Append(bottom);
        window->Manager().AttachRoot(root);
        pic->SetBackImage(L"solid.png");  // loaded through the attached manager
        window->PaintNow();
    }

    DWORD Pixel(int x, int y) {
        int width = 0;
        int height = 0;
        const std::vector<DWORD> pixels = window->ReadClient(&width, &height);
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
        return pixels[static_cast<size_t>(y) * width + x] & 0x00FFFFFF;
    }

    std::unique_ptr<CHostWindow> window;
    CProbeControl* top = nullptr;
    CProbeControl* bottom = nullptr;
};

}  // namespace

TEST_F(PaintTest, TreeIsPaintedWithColoursPictureBorderAndClipping) {
    struct {
        int x, y;
        DWORD rgb;
        const char* what;
    } const points[] = {
        {10, 50, kBlue, "the box's background"},
        {1, 50, kGreen, "the box's border, inside its rectangle"},
        {116, 90, kGreen, "the border's far corner"},
        {80, 40, kYellow, "the floating child over its parent"},
        {115, 40, kYellow, "the floating child up to the parent's edge"},
        {160, 50, RenderTest::kSolidColor, "the picture, stretched"},
        {230, 40, kRed, "beyond the parent: the floating child is clipped"},
        {150, 125, kGray, "a child's colour over the root's"},
        {150, 180, kRed, "a child without colour shows its parent"},
    };
    for (const auto& p : points)
        EXPECT_EQ(Pixel(p.x, p.y), p.rgb) << p.what << " at " << p.x << "," << p.y;
}

TEST_F(PaintTest, AnInvalidatedControlRepaintsOnlyItsRectangle) {
    // Scribble over the whole window behind the manager's back, then invalidate one control:
    // only its rectangle is painted again.
    {
        const bxutil::CWindowDC dc(window->Handle());
        RECT all{0, 0, 300, 200};
        ::FillRect(dc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::GdiFlush();
    }
    const size_t topPaints = top->PaintedDirty().size();
    const size_t bottomPaints = bottom->PaintedDirty().size();
    top->InvalidateSelf();
    window->PaintNow();
    EXPECT_EQ(Pixel(150, 125), kGray);    // inside the invalidated control
    EXPECT_EQ(Pixel(150, 101), kGray);
    EXPECT_EQ(Pixel(150, 98), kBlack);    // just above it
    EXPECT_EQ(Pixel(150, 152), kBlack);   // just below it
    EXPECT_EQ(Pixel(10, 50), kBlack);
    ASSERT_EQ(top->PaintedDirty().size(), topPaints + 1);
    const RECT dirty = top->PaintedDirty().back();
    EXPECT_EQ(dirty.top, 100);
    EXPECT_EQ(dirty.bottom, 150);
    EXPECT_EQ(bottom->PaintedDirty().size(), bottomPaints);  // not even asked to paint
}

TEST_F(PaintTest, ShowDirtyFramesTheUpdatedRectangle) {
    window->Manager().SetShowDirty(true);
    bottom->InvalidateSelf();
    window->PaintNow();
    EXPECT_EQ(Pixel(0, 160), 0xDC0000u);    // the frame's left edge, RGB 220, 0, 0
    EXPECT_EQ(Pixel(150, 150), 0xDC0000u);  // its top edge
    EXPECT_EQ(Pixel(150, 170), kRed);       // inside: what the tree painted
}

TEST_F(PaintTest, PerPixelAlphaMakesTheWindowLayered) {
    window->Manager().SetPerPixelAlpha(true);
    ::InvalidateRect(window->Handle(), nullptr, FALSE);
    window->PaintNow();
    EXPECT_NE(::GetWindowLongPtrW(window->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
}
