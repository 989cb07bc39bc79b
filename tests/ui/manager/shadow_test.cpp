// The window shadow: the computed shadow's pixels (fall-off, colour, offset, size, negative
// size, the cut-out under the window), the setters' ranges, and the shadow window following a
// plain Win32 window (created, layered and click-through, moved, hidden while the window is
// minimised or hidden, gone with the window, detached when the shadow goes first).

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "support/GdiHandles.h"
#include "tests/common/GuardedBuffer.h"
#include "tests/common/RectAssert.h"
#include "tests/common/TestFiles.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/manager/WindowManager.h"

using namespace SkinUI;
using test_support::SameRect;

namespace {

// ---- The computed shadow in a buffer ------------------------------------------------------------

constexpr int kLead = 64;                 // guard words before the bitmap
constexpr DWORD kLeadPattern = 0xA5A5A5A5u;

// A shadow bitmap computed into guarded memory: a write past its end faults, a write before
// its start changes the lead words.
class CShadowBitmap {
public:
    CShadowBitmap(const TShadowShape& shape, const std::vector<TShadowRow>& outline, int width,
                  int height)
        : m_nWidth(width + 2 * shape.size), m_nHeight(height + 2 * shape.size) {
        const size_t count = static_cast<size_t>(std::max(m_nWidth, 0)) * std::max(m_nHeight, 0);
        m_pBlock = static_cast<DWORD*>(testguard::GuardedAlloc((kLead + count) * sizeof(DWORD)));
        std::fill(m_pBlock, m_pBlock + kLead, kLeadPattern);
        std::fill(m_pBlock + kLead, m_pBlock + kLead + count, 0u);
        CShadowUI::ComputeShadow(shape, outline, width, height, m_pBlock + kLead);
    }
    ~CShadowBitmap() { testguard::GuardedFree(m_pBlock); }
    CShadowBitmap(const CShadowBitmap&) = delete;
    CShadowBitmap& operator=(const CShadowBitmap&) = delete;

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    DWORD At(int x, int y) const { return m_pBlock[kLead + y * m_nWidth + x]; }
    int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }
    bool LeadIntact() const {
        return std::all_of(m_pBlock, m_pBlock + kLead, [](DWORD v) { return v == kLeadPattern; });
    }
    // Whether every pixel inside [left, right) x [top, bottom) is fully transparent.
    bool ClearIn(int left, int top, int right, int bottom) const {
        for (int y = std::max(top, 0); y < std::min(bottom, m_nHeight); ++y)
            for (int x = std::max(left, 0); x < std::min(right, m_nWidth); ++x)
                if (At(x, y) != 0) return false;
        return true;
    }
    int MaxAlpha() const {
        int best = 0;
        for (int y = 0; y < m_nHeight; ++y)
            for (int x = 0; x < m_nWidth; ++x) best = std::max(best, Alpha(x, y));
        return best;
    }

private:
    int m_nWidth;
    int m_nHeight;
    DWORD* m_pBlock;
};

std::vector<TShadowRow> RectOutline(int width, int height) {
    return std::vector<TShadowRow>(height, TShadowRow{0, width});
}

TShadowShape Shape(int size, int sharpness, int darkness, int x = 0, int y = 0,
                   DWORD color = 0xFF000000) {
    TShadowShape shape;
    shape.size = size;
    shape.sharpness = sharpness;
    shape.darkness = darkness;
    shape.xOffset = x;
    shape.yOffset = y;
    shape.color = color;
    return shape;
}

constexpr int kW = 60;
constexpr int kH = 40;

}  // namespace

TEST(ShadowPixels, InstallerShadowFallsOffFromTheWindowEdge) {
    // The installer's values: size 4, default sharpness 5 and darkness 150, black.
    CShadowBitmap bitmap(Shape(4, 5, 150), RectOutline(kW, kH), kW, kH);
    ASSERT_EQ(bitmap.Width(), kW + 8);
    ASSERT_EQ(bitmap.Height(), kH + 8);
    EXPECT_TRUE(bitmap.ClearIn(4, 4, 4 + kW, 4 + kH)) << "the window's own pixels stay clear";
    // Along each side, from the window edge outwards: visible, and never darker further out.
    const int midY = bitmap.Height() / 2;
    const int midX = bitmap.Width() / 2;
    const struct {
        const char* side;
        int x, y, dx, dy;
    } sides[] = {{"left", 3, midY, -1, 0},
                 {"right", 4 + kW, midY, 1, 0},
                 {"top", midX, 3, 0, -1},
                 {"bottom", midX, 4 + kH, 0, 1}};
    for (const auto& s : sides) {
        int previous = 256;
        for (int step = 0; step < 4; ++step) {
            const int alpha = bitmap.Alpha(s.x + s.dx * step, s.y + s.dy * step);
            EXPECT_GT(alpha, 0) << s.side << " step " << step;
            EXPECT_LE(alpha, previous) << s.side << " step " << step;
            EXPECT_EQ(bitmap.At(s.x + s.dx * step, s.y + s.dy * step) & 0xFFFFFF, 0u)
                << "black stays black";
            previous = alpha;
        }
        EXPECT_LT(bitmap.Alpha(s.x + s.dx * 3, s.y + s.dy * 3), bitmap.Alpha(s.x, s.y)) << s.side;
    }
    EXPECT_LE(bitmap.MaxAlpha(), 150);
    EXPECT_LT(bitmap.Alpha(0, 0), bitmap.Alpha(0, midY)) << "corners are softer than the sides";
    EXPECT_TRUE(bitmap.LeadIntact());
}

TEST(ShadowPixels, ColourIsPremultipliedAndItsAlphaIgnored) {
    const DWORD colors[] = {0xFF3366CC, 0x003366CC};
    CShadowBitmap opaque(Shape(6, 3, 200, 0, 0, colors[0]), RectOutline(kW, kH), kW, kH);
    CShadowBitmap clear(Shape(6, 3, 200, 0, 0, colors[1]), RectOutline(kW, kH), kW, kH);
    bool checked = false;
    for (int y = 0; y < opaque.Height(); ++y) {
        for (int x = 0; x < opaque.Width(); ++x) {
            ASSERT_EQ(opaque.At(x, y), clear.At(x, y)) << x << "," << y;
            const DWORD a = opaque.At(x, y) >> 24;
            const DWORD expected = (a << 24) | ((0x33 * a / 255) << 16) | ((0x66 * a / 255) << 8) |
                                   (0xCC * a / 255);
            ASSERT_EQ(opaque.At(x, y), expected) << x << "," << y;
            checked = checked || a == 200;
        }
    }
    EXPECT_TRUE(checked) << "the core reaches the full darkness";
}

TEST(ShadowPixels, HardBorderWithoutSharpness) {
    // Sharpness 0 and size 5: a hard 5-pixel border of full darkness (no erosion, no fall-off).
    CShadowBitmap bitmap(Shape(5, 0, 120), RectOutline(kW, kH), kW, kH);
    for (int d = 0; d < 5; ++d) {
        EXPECT_EQ(bitmap.Alpha(d, bitmap.Height() / 2), 120) << d;
        EXPECT_EQ(bitmap.Alpha(bitmap.Width() / 2, bitmap.Height() - 1 - d), 120) << d;
    }
    EXPECT_TRUE(bitmap.ClearIn(5, 5, 5 + kW, 5 + kH));
}

TEST(ShadowPixels, OffsetMovesTheShadowAgainstTheWindow) {
    // With the offset (6, 4) the bitmap is placed 6 right and 4 down (less the size); the
    // window then covers bitmap columns size - 6 ... and rows size - 4 ..., which stay clear,
    // while the shadow shows beyond the window's right and bottom edges.
    const int size = 3;
    CShadowBitmap bitmap(Shape(size, 4, 150, 6, 4), RectOutline(kW, kH), kW, kH);
    const int left = size - 6;
    const int top = size - 4;
    EXPECT_TRUE(bitmap.ClearIn(left, top, left + kW, top + kH));
    EXPECT_GT(bitmap.Alpha(left + kW + 2, bitmap.Height() / 2), 0) << "right of the window";
    EXPECT_GT(bitmap.Alpha(bitmap.Width() / 2, top + kH + 2), 0) << "below the window";
    EXPECT_TRUE(bitmap.LeadIntact());

    // Size 0 without an offset leaves nothing to see: the shadow lies under the window.
    CShadowBitmap hidden(Shape(0, 5, 150), RectOutline(kW, kH), kW, kH);
    EXPECT_EQ(hidden.MaxAlpha(), 0);
}

TEST(ShadowPixels, NegativeSizeGivesASmallerShadow) {
    // Size -4 with the offset (8, 8): the bitmap is 8 pixels smaller each way and placed 12
    // right and down of the window's corner, so only a band along its right and bottom edges
    // shows beyond the window.
    CShadowBitmap bitmap(Shape(-4, 2, 180, 8, 8), RectOutline(kW, kH), kW, kH);
    ASSERT_EQ(bitmap.Width(), kW - 8);
    ASSERT_EQ(bitmap.Height(), kH - 8);
    const int left = -4 - 8;  // the window's left edge in bitmap columns: size - xOffset
    EXPECT_TRUE(bitmap.ClearIn(left, left, left + kW, left + kH));
    EXPECT_GT(bitmap.Alpha(bitmap.Width() - 3, bitmap.Height() - 3), 0);
    EXPECT_GT(bitmap.Alpha(left + kW + 1, bitmap.Height() / 2), 0) << "right of the window";
    EXPECT_TRUE(bitmap.LeadIntact());
}

TEST(ShadowPixels, RoundedOutlineIsCutOutExactly) {
    const bxutil::CRegionHandle region(::CreateRoundRectRgn(0, 0, kW + 1, kH + 1, 8, 8));
    const std::vector<TShadowRow> outline = CShadowUI::RegionOutline(region.Get(), kW, kH);
    ASSERT_EQ(outline.size(), static_cast<size_t>(kH));
    EXPECT_GT(outline[0].start, 0) << "the top row is cut by the rounded corner";
    EXPECT_LT(outline[0].end, kW);
    EXPECT_EQ(outline[kH / 2].start, 0);
    EXPECT_EQ(outline[kH / 2].end, kW);
    for (int y = 0; y < kH; ++y) {
        ASSERT_TRUE(::PtInRegion(region.Get(), outline[y].start, y)) << y;
        ASSERT_TRUE(::PtInRegion(region.Get(), outline[y].end - 1, y)) << y;
        ASSERT_FALSE(::PtInRegion(region.Get(), outline[y].start - 1, y)) << y;
    }
    CShadowBitmap bitmap(Shape(4, 5, 150), outline, kW, kH);
    for (int y = 0; y < kH; ++y) {
        EXPECT_TRUE(bitmap.ClearIn(4 + outline[y].start, 4 + y, 4 + outline[y].end, 5 + y)) << y;
    }
    // Where the corner is cut away, the shadow shows through.
    EXPECT_GT(bitmap.Alpha(4, 4), 0);

    // No region at all: an empty outline and no shadow.
    CShadowBitmap none(Shape(4, 5, 150), CShadowUI::RegionOutline(nullptr, kW, kH), kW, kH);
    EXPECT_EQ(none.MaxAlpha(), 0);
}

TEST(ShadowPixels, HostileOutlinesStayInsideTheBitmap) {
    std::vector<TShadowRow> wild = {{-500, 900}, {kW, 0}, {30, 20}, {-3, 2},
                                    {kW - 1, kW + 400}, {INT_MIN / 4, INT_MAX / 4}};
    for (int extra = 0; extra < 3; ++extra) wild.insert(wild.end(), wild.begin(), wild.end());
    const TShadowShape shapes[] = {Shape(20, 20, 255, -20, 20), Shape(-20, 20, 255, 20, -20),
                                   Shape(0, 0, 255), Shape(7, 1, 90, 3, -5)};
    for (const TShadowShape& shape : shapes) {
        for (int height : {1, 6, static_cast<int>(wild.size()) + 5}) {
            CShadowBitmap bitmap(shape, wild, kW, height);
            EXPECT_TRUE(bitmap.LeadIntact()) << shape.size << " " << height;
        }
    }
    // A window too small for a negative size gives no bitmap and no writes.
    CShadowBitmap none(Shape(-20, 5, 150), RectOutline(30, 30), 30, 30);
    EXPECT_TRUE(none.LeadIntact());
}

// ---- Settings -----------------------------------------------------------------------------------

TEST(ShadowSettings, SettersRefuseValuesOutOfRange) {
    CShadowUI shadow;
    const struct {
        const char* what;
        bool (*set)(CShadowUI&, int);
        int value;
        bool accepted;
    } cases[] = {
        {"size", [](CShadowUI& s, int v) { return s.SetSize(v); }, 20, true},
        {"size", [](CShadowUI& s, int v) { return s.SetSize(v); }, -20, true},
        {"size", [](CShadowUI& s, int v) { return s.SetSize(v); }, 21, false},
        {"size", [](CShadowUI& s, int v) { return s.SetSize(v); }, -21, false},
        {"sharpness", [](CShadowUI& s, int v) { return s.SetSharpness(v); }, 0, true},
        {"sharpness", [](CShadowUI& s, int v) { return s.SetSharpness(v); }, 21, false},
        {"sharpness", [](CShadowUI& s, int v) { return s.SetSharpness(v); }, -1, false},
        {"darkness", [](CShadowUI& s, int v) { return s.SetDarkness(v); }, 255, true},
        {"darkness", [](CShadowUI& s, int v) { return s.SetDarkness(v); }, 256, false},
        {"darkness", [](CShadowUI& s, int v) { return s.SetDarkness(v); }, -1, false},
        {"position", [](CShadowUI& s, int v) { return s.SetPosition(v, -v); }, 20, true},
        {"position", [](CShadowUI& s, int v) { return s.SetPosition(v, 0); }, 21, false},
        {"position", [](CShadowUI& s, int v) { return s.SetPosition(0, v); }, -21, false},
    };
    for (const auto& c : cases) {
        const TShadowShape before = shadow.Shape();
        EXPECT_EQ(c.set(shadow, c.value), c.accepted) << c.what << " " << c.value;
        if (!c.accepted) {
            EXPECT_EQ(memcmp(&before, &shadow.Shape(), sizeof(before)), 0) << c.what;
        }
    }
    EXPECT_EQ(shadow.Shape().xOffset, 20);
    EXPECT_EQ(shadow.Shape().yOffset, -20);

    EXPECT_FALSE(shadow.SetShadowCorner(RECT{0, -1, 0, 0}));
    EXPECT_TRUE(shadow.SetShadowCorner(RECT{1, 2, 3, 4}));
    EXPECT_TRUE(SameRect(shadow.ShadowCorner(), RECT{1, 2, 3, 4}));
    EXPECT_FALSE(shadow.SetImage(nullptr));
    EXPECT_FALSE(shadow.IsImageMode());
    EXPECT_TRUE(shadow.SetImage(L"file='shadow.png'"));
    EXPECT_TRUE(shadow.IsImageMode());
}

TEST(ShadowSettings, TheRangesGrowWithTheWindowsDensity) {
    // The lengths are the window's pixels: twice the skin's reach on a 192 DPI screen.
    CWindowManagerUI manager;
    manager.SetDpi(192);
    CShadowUI shadow(&manager);
    EXPECT_TRUE(shadow.SetSize(-40));
    EXPECT_FALSE(shadow.SetSize(41));
    EXPECT_TRUE(shadow.SetSharpness(40));
    EXPECT_FALSE(shadow.SetSharpness(41));
    EXPECT_TRUE(shadow.SetPosition(40, -40));
    EXPECT_FALSE(shadow.SetPosition(0, 41));
    EXPECT_EQ(shadow.Shape().size, -40);
    EXPECT_EQ(shadow.Shape().yOffset, -40);
    EXPECT_FALSE(shadow.SetDarkness(256)) << "darkness is no length";
}

TEST(ShadowSettings, TheDefaultSharpnessGrowsWithTheDensityASetOneIsTakenAsItIs) {
    CWindowManagerUI manager;
    manager.SetDpi(192);
    CShadowUI shadow(&manager);
    EXPECT_EQ(shadow.DrawnShape().sharpness, 10) << "the skin's default blur, at twice the pixels";
    manager.SetDpi(96);
    EXPECT_EQ(shadow.DrawnShape().sharpness, 5);
    manager.SetDpi(192);
    ASSERT_TRUE(shadow.SetSharpness(4));
    EXPECT_EQ(shadow.DrawnShape().sharpness, 4);
}

// ---- The shadow window around a plain Win32 window ----------------------------------------------

namespace {

LRESULT CALLBACK PlainProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

const wchar_t kParentClass[] = L"VexoShadowTestParent";

void Pump() {
    MSG msg;
    for (int round = 0; round < 5; ++round) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

// A frameless popup with rounded corners, as the skinned window base makes it, and its manager.
class CParentWindow {
public:
    CParentWindow(int x, int y, int width, int height) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = kParentClass;
        ::RegisterClassExW(&wc);
        m_hWnd.Reset(::CreateWindowExW(0, kParentClass, L"parent", WS_POPUP, x, y, width, height,
                                       nullptr, nullptr, wc.hInstance, nullptr));
        bxutil::GiveWindowRegion(
            m_hWnd.Get(), bxutil::CRegionHandle(::CreateRoundRectRgn(0, 0, width + 1, height + 1, 3, 3)),
            false);
        m_manager.Init(m_hWnd.Get());
    }
    ~CParentWindow() { m_hWnd.Reset(); }  // before the manager its messages go to
    CParentWindow(const CParentWindow&) = delete;
    CParentWindow& operator=(const CParentWindow&) = delete;

    HWND Get() const { return m_hWnd.Get(); }
    CWindowManagerUI& Manager() { return m_manager; }
    RECT Rect() const {
        RECT rc{};
        ::GetWindowRect(m_hWnd.Get(), &rc);
        return rc;
    }

private:
    bxutil::CWindowHandle m_hWnd;
    CWindowManagerUI m_manager;
};

RECT WindowRect(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

std::string Describe(const RECT& rc) {
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," +
           std::to_string(rc.right) + "," + std::to_string(rc.bottom);
}

void ExpectShadowAround(HWND shadow, const RECT& parent, int size, int x, int y) {
    const RECT expected{parent.left + x - size, parent.top + y - size,
                        parent.right + x + size, parent.bottom + y + size};
    const RECT actual = WindowRect(shadow);
    EXPECT_TRUE(SameRect(actual, expected)) << Describe(actual) << " != " << Describe(expected);
}

// Hides the window with one show command and brings it back with another: the shadow follows.
void ExpectShadowFollowsVisibility(HWND parent, HWND shadow, int hide, int show) {
    ::ShowWindow(parent, hide);
    Pump();
    EXPECT_FALSE(::IsWindowVisible(shadow)) << "show command " << hide;
    ::ShowWindow(parent, show);
    Pump();
    EXPECT_TRUE(::IsWindowVisible(shadow)) << "show command " << show;
}

}  // namespace

TEST(ShadowWindow, FollowsItsParent) {
    CParentWindow parent(100, 120, 300, 200);
    ::ShowWindow(parent.Get(), SW_SHOWNOACTIVATE);
    Pump();
    CShadowUI shadow;
    ASSERT_TRUE(shadow.SetSize(6));
    ASSERT_TRUE(shadow.SetPosition(2, 3));
    shadow.Create(&parent.Manager());
    EXPECT_EQ(shadow.GetHWND(), nullptr) << "no window unless a shadow is wanted";
    shadow.ShowShadow(true);
    shadow.Create(&parent.Manager());
    HWND hShadow = shadow.GetHWND();
    ASSERT_NE(hShadow, nullptr);

    wchar_t className[64] = {};
    ::GetClassNameW(hShadow, className, 64);
    EXPECT_STREQ(className, L"OmbriShadowWnd");
    EXPECT_EQ(::GetWindow(hShadow, GW_OWNER), parent.Get());
    const LONG_PTR exStyle = ::GetWindowLongPtrW(hShadow, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TRANSPARENT) << "clicks go through the shadow";
    EXPECT_TRUE(::IsWindowVisible(hShadow));
    EXPECT_NE(::GetForegroundWindow(), hShadow) << "the shadow never takes the activation";
    ExpectShadowAround(hShadow, parent.Rect(), 6, 2, 3);

    // Moved by the program: the shadow keeps its place around the window.
    ::SetWindowPos(parent.Get(), nullptr, 400, 300, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    ExpectShadowAround(hShadow, parent.Rect(), 6, 2, 3);

    // Minimised, or hidden: the shadow hides; restored, or shown: it comes back in place.
    ExpectShadowFollowsVisibility(parent.Get(), hShadow, SW_MINIMIZE, SW_RESTORE);
    ExpectShadowAround(hShadow, parent.Rect(), 6, 2, 3);
    ExpectShadowFollowsVisibility(parent.Get(), hShadow, SW_HIDE, SW_SHOWNOACTIVATE);

    // Settings changed while visible redraw at once.
    ASSERT_TRUE(shadow.SetSize(-3));
    ExpectShadowAround(hShadow, parent.Rect(), -3, 2, 3);

    // A second shadow for the same window creates nothing.
    CShadowUI second;
    second.ShowShadow(true);
    second.Create(&parent.Manager());
    EXPECT_EQ(second.GetHWND(), nullptr);

    // The window goes: its shadow goes with it, and the window handle is free for another.
    ::DestroyWindow(parent.Get());
    EXPECT_FALSE(::IsWindow(hShadow));
    EXPECT_EQ(shadow.GetHWND(), nullptr);
}

TEST(ShadowWindow, ShowingTheShadowNeverActivatesIt) {
    CParentWindow parent(80, 90, 260, 180);
    ::ShowWindow(parent.Get(), SW_SHOW);
    Pump();
    CShadowUI shadow(&parent.Manager());
    shadow.ShowShadow(true);
    shadow.Create(nullptr);
    HWND hShadow = shadow.GetHWND();
    ASSERT_NE(hShadow, nullptr);
    shadow.ShowShadow(false);
    EXPECT_FALSE(::IsWindowVisible(hShadow));
    shadow.ShowShadow(true);
    EXPECT_TRUE(::IsWindowVisible(hShadow));
    EXPECT_NE(::GetActiveWindow(), hShadow);
    EXPECT_NE(::GetForegroundWindow(), hShadow);
}

TEST(ShadowWindow, StartsHiddenWithAHiddenParentAndAppearsWithIt) {
    CParentWindow parent(50, 60, 200, 150);
    CShadowUI shadow(&parent.Manager());
    shadow.ShowShadow(true);
    shadow.Create(nullptr);
    ASSERT_NE(shadow.GetHWND(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(shadow.GetHWND()));
    ::ShowWindow(parent.Get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(parent.Get());
    Pump();
    EXPECT_TRUE(::IsWindowVisible(shadow.GetHWND()));
    ExpectShadowAround(shadow.GetHWND(), parent.Rect(), 0, 0, 0);
}

TEST(ShadowWindow, ShadowGoingFirstGivesTheWindowItsProcedureBack) {
    CParentWindow parent(50, 60, 200, 150);
    ::ShowWindow(parent.Get(), SW_SHOWNOACTIVATE);
    const LONG_PTR original = ::GetWindowLongPtrW(parent.Get(), GWLP_WNDPROC);
    HWND hShadow = nullptr;
    {
        CShadowUI shadow(&parent.Manager());
        shadow.SetSize(4);
        shadow.ShowShadow(true);
        shadow.Create(nullptr);
        hShadow = shadow.GetHWND();
        ASSERT_NE(hShadow, nullptr);
        EXPECT_NE(::GetWindowLongPtrW(parent.Get(), GWLP_WNDPROC), original);
    }
    EXPECT_EQ(::GetWindowLongPtrW(parent.Get(), GWLP_WNDPROC), original);
    EXPECT_FALSE(::IsWindow(hShadow));
    // The window keeps working (a gone shadow would crash here), and takes a new shadow.
    ::SetWindowPos(parent.Get(), nullptr, 70, 80, 220, 160, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    CShadowUI again(&parent.Manager());
    again.ShowShadow(true);
    again.Create(nullptr);
    EXPECT_NE(again.GetHWND(), nullptr);
}

TEST(ShadowWindow, ShadowGoingFirstUnderAnotherSubclassOnlyForwards) {
    CParentWindow parent(50, 60, 200, 150);
    ::ShowWindow(parent.Get(), SW_SHOWNOACTIVATE);
    HWND hShadow = nullptr;
    {
        CShadowUI shadow(&parent.Manager());
        shadow.ShowShadow(true);
        shadow.Create(nullptr);
        hShadow = shadow.GetHWND();
        // Someone subclasses the window after the shadow did; the shadow cannot take itself
        // out of the chain, so its procedure stays and only hands messages on.
        ::SetWindowLongPtrW(parent.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PlainProc));
    }
    EXPECT_FALSE(::IsWindow(hShadow));
    ::SetWindowPos(parent.Get(), nullptr, 90, 90, 260, 170, SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(parent.Get(), SW_HIDE);
    Pump();
    ::DestroyWindow(parent.Get());
}

TEST(ShadowWindow, PictureShadowReachesAsFarAsItsCorners) {
    testfiles::CTempDir dir;
    // Any picture of the skin serves as the nine-slice.
    const std::string png = testfiles::ReadBytes(testfiles::WinePath(
        testfiles::EnvText(L"VEXO_SOURCE_DIR") + L"/skin/02.png"));
    ASSERT_FALSE(png.empty());
    testfiles::WriteBytes(dir / L"shadow.png", png);
    CWindowManagerUI::SetSkinArchive(L"", true);
    CWindowManagerUI::SetSkinPath(dir.Path().c_str());

    CParentWindow parent(150, 100, 240, 180);
    ::ShowWindow(parent.Get(), SW_SHOWNOACTIVATE);
    CShadowUI shadow(&parent.Manager());
    ASSERT_TRUE(shadow.SetShadowCorner(RECT{5, 6, 7, 8}));
    ASSERT_TRUE(shadow.SetImage(L"file='shadow.png'"));
    shadow.ShowShadow(true);
    shadow.Create(nullptr);
    ASSERT_NE(shadow.GetHWND(), nullptr);
    const RECT rc = parent.Rect();
    const RECT expected{rc.left - 5, rc.top - 6, rc.right + 7, rc.bottom + 8};
    EXPECT_TRUE(SameRect(WindowRect(shadow.GetHWND()), expected))
        << Describe(WindowRect(shadow.GetHWND()));
    EXPECT_NE(parent.Manager().GetImage(L"shadow.png"), nullptr);
    CWindowManagerUI::SetSkinPath(L"");
}
