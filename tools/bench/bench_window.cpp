// Window benchmark: a 980×600 window whose control tree is shaped like the installer's (a
// background picture, a translucent 60-pixel title band with an icon and two 30×30 buttons, a
// 380-pixel picture area with a border, a translucent 160-pixel bottom band with a bar, a
// button and a gradient), painted by the window manager into a real window under Wine.
//
//   idle     the window open with nothing animating for 10 s: the process's CPU time and the
//            paint and timer messages the window received (the goal: none)
//   repaint  a full-window repaint (invalidate everything, paint synchronously), one 30×30
//            button repainting itself, and the same button entering and leaving the hover,
//            beside the parts they are made of, a paint round of a bare window that only copies
//            its update rectangle, and a plain copy of a 980×600×4 buffer in the same run; the
//            hover as a multiple of the bare window's 30×30 round
//
// Run with scripts/bench.sh window (a release build under Wine, on Xvfb when there is no
// display). Prints figures only; it checks nothing.

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/UniqueHandle.h"
#include "tools/bench/BenchClock.h"
#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 980;
constexpr int kHeight = 600;

// ---- Pictures, written as PNG files into a folder that becomes the skin ------------------------

void PutBigEndian(std::string& out, uLong value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<uLong>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    PutBigEndian(out, crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                            static_cast<uInt>(typed.size())));
}

// A colour field like bench_paint's pictures (opaque, or translucent with softer edges), as an
// 8-bit RGBA PNG: rows without filtering, deflated by zlib.
void WritePicture(const std::wstring& path, int width, int height, BYTE alpha, unsigned tint) {
    std::string rows;
    for (int y = 0; y < height; ++y) {
        rows.push_back('\0');  // filter type: none
        for (int x = 0; x < width; ++x) {
            const bool edge = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
            rows.push_back(static_cast<char>((tint * 7 + x + y) & 0xFF));
            rows.push_back(static_cast<char>(((y * 255 / std::max(1, height - 1)) + tint) & 0xFF));
            rows.push_back(static_cast<char>(((x * 255 / std::max(1, width - 1)) ^ tint) & 0xFF));
            rows.push_back(static_cast<char>(edge && alpha < 255 ? alpha / 2 : alpha));
        }
    }
    std::string deflated(compressBound(static_cast<uLong>(rows.size())), '\0');
    uLongf size = static_cast<uLongf>(deflated.size());
    if (compress(reinterpret_cast<Bytef*>(&deflated[0]), &size,
                 reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size())) != Z_OK)
        return;
    deflated.resize(size);
    std::string header;
    PutBigEndian(header, static_cast<uLong>(width));
    PutBigEndian(header, static_cast<uLong>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, standard methods
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", deflated);
    PutChunk(png, "IEND", std::string());
    const bxutil::CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.Get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
}

std::wstring PrepareSkin() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"vexo-bench-window\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    WritePicture(folder + L"bg.png", kWidth, kHeight, 255, 10);
    WritePicture(folder + L"title.png", kWidth, 60, 255, 60);
    WritePicture(folder + L"bottom.png", kWidth, 160, 255, 90);
    WritePicture(folder + L"strip.png", 30, 90, 200, 120);
    WritePicture(folder + L"icon.png", 36, 36, 220, 180);
    WritePicture(folder + L"button.png", 200, 180, 255, 150);
    WritePicture(folder + L"frame.png", 24, 24, 230, 30);
    return folder;
}

// ---- The window ---------------------------------------------------------------------------------

struct TCounts {
    long paints = 0;
    long timers = 0;
};

class CBenchWindow {
public:
    CBenchWindow() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"VexoBenchWindow";
        ::RegisterClassExW(&wc);
        m_hWnd.Reset(::CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP, 0, 0, kWidth,
                                       kHeight, nullptr, nullptr, wc.hInstance, nullptr));
        ::SetWindowLongPtrW(m_hWnd.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_manager.Init(m_hWnd.Get());
    }
    ~CBenchWindow() { m_hWnd.Reset(); }  // before the manager its messages go to

    HWND Handle() const { return m_hWnd.Get(); }
    CWindowManagerUI& Manager() { return m_manager; }
    TCounts counts;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CBenchWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
        if (message == WM_PAINT) ++self->counts.paints;
        if (message == WM_TIMER) ++self->counts.timers;
        LRESULT result = 0;
        if (self->m_manager.HandleWindowMessage(message, wParam, lParam, result)) return result;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    bxutil::CWindowHandle m_hWnd;
    CWindowManagerUI m_manager;
};

// A window of the same size whose paint handler only copies the update rectangle from a memory
// picture of the window: the system's share of a paint plus the copy, the floor of a repaint.
class CBareWindow {
public:
    CBareWindow() : m_picture(kWidth, kHeight) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VexoBenchBareWindow";
        ::RegisterClassExW(&wc);
        m_hWnd.Reset(::CreateWindowExW(0, wc.lpszClassName, L"bare", WS_POPUP | WS_VISIBLE, 0, 0,
                                       kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr));
        ::SetWindowLongPtrW(m_hWnd.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    HWND Handle() const { return m_hWnd.Get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CBareWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_PAINT && self != nullptr) {
            PAINTSTRUCT ps{};
            HDC dc = ::BeginPaint(hwnd, &ps);
            const RECT& rc = ps.rcPaint;
            ::BitBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     self->m_picture.DC(), rc.left, rc.top, SRCCOPY);
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        if (message == WM_ERASEBKGND) return 1;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    CDibSurfaceUI m_picture;
    bxutil::CWindowHandle m_hWnd;
};

CControlUI* Add(CContainerUI& parent, CControlUI* control, LPCWSTR attributes) {
    control->ApplyAttributeString(attributes);
    parent.Append(control);
    return control;
}

// The installer-shaped tree; returns the close button (the hover target).
CControlUI* BuildTree(CWindowManagerUI& manager) {
    auto* root = new CVerticalLayoutUI();
    auto* title = new CHorizontalLayoutUI();
    auto* area = new CControlUI();
    auto* bottom = new CVerticalLayoutUI();
    root->Append(title);
    root->Append(area);
    root->Append(bottom);
    Add(*title, new CControlUI(), L"width=\"36\" padding=\"20,12,10,12\" name=\"icon\"");
    Add(*title, new CControlUI(), L"");
    CControlUI* min = Add(*title, new CControlUI(), L"width=\"30\" padding=\"0,15,5,15\"");
    CControlUI* close = Add(*title, new CControlUI(), L"width=\"30\" padding=\"0,15,0,15\"");
    auto* row = new CHorizontalLayoutUI();
    Add(*bottom, row, L"height=\"60\" padding=\"0,40,0,0\" childpadding=\"30\"");
    Add(*row, new CControlUI(), L"");
    CControlUI* button = Add(*row, new CControlUI(), L"width=\"200\"");
    CControlUI* framed = Add(*row, new CControlUI(), L"width=\"140\" padding=\"0,5,0,5\"");
    Add(*row, new CControlUI(), L"");
    auto* bar = new CHorizontalLayoutUI();
    Add(*bottom, bar, L"height=\"6\" padding=\"74,20,74,0\" bkcolor=\"#FFFFFFFF\"");
    Add(*bar, new CControlUI(), L"width=\"416\" bkcolor=\"#FF048ED2\" bkcolor2=\"#FF039BE5\"");
    manager.AttachRoot(root);
    // Pictures load through the attached manager (the skin folder).
    root->ApplyAttributeString(L"bkimage=\"bg.png\"");
    title->ApplyAttributeString(L"height=\"60\" bkimage=\"file='title.png' fade='229'\"");
    area->ApplyAttributeString(L"height=\"380\" bordersize=\"1\" bordercolor=\"#FF000000\"");
    bottom->ApplyAttributeString(L"height=\"160\" bkimage=\"file='bottom.png' fade='229'\"");
    manager.FindControl(L"icon")->ApplyAttributeString(L"bkimage=\"icon.png\"");
    min->ApplyAttributeString(L"bkimage=\"file='strip.png' source='0,0,30,30'\"");
    close->ApplyAttributeString(L"bkimage=\"file='strip.png' source='0,60,30,90'\"");
    button->ApplyAttributeString(L"bkimage=\"file='button.png' source='0,60,200,120'\"");
    framed->ApplyAttributeString(L"bkimage=\"file='frame.png' corner='6,6,6,6'\"");
    return close;
}

// ---- Measuring ------------------------------------------------------------------------------------

void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= ms) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

double ProcessCpuMs() {
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

}  // namespace

int main() {
    CWindowManagerUI::SetSkinPath(PrepareSkin().c_str());

    CBenchWindow window;
    CControlUI* close = BuildTree(window.Manager());
    ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window.Handle());
    PumpFor(500);  // first paint, layout, "windowinit", whatever Wine sends a new window

    std::printf("Window benchmark, %dx%d window, control tree shaped like the installer's\n",
                kWidth, kHeight);
    window.counts = TCounts{};
    const double cpuBefore = ProcessCpuMs();
    const double wallBefore = BenchSeconds();
    PumpFor(10000);
    std::printf("idle for %.1f s: CPU %.1f ms, WM_PAINT %ld, WM_TIMER %ld\n",
                BenchSeconds() - wallBefore, ProcessCpuMs() - cpuBefore, window.counts.paints,
                window.counts.timers);

    HWND hwnd = window.Handle();
    BenchMeasure("full 980x600 repaint through the manager", 15, 10, [&] {
        ::InvalidateRect(hwnd, nullptr, FALSE);
        ::UpdateWindow(hwnd);
    });
    const RECT button = close->Rect();
    const LPARAM inside = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    // Off the client area, where the manager itself sends the move that ends a hover: the
    // pointer enters and leaves the button and no other control.
    const LPARAM outside = MAKELPARAM(-1, -1);
    BenchMeasure("30x30 control invalidating itself", 15, 50, [&] {
        close->InvalidateSelf();
        ::UpdateWindow(hwnd);
    });
    // Entering and leaving the hover bubbles up the tree (every ancestor sends its own
    // "mouseenter"/"mouseleave"), but only the button repaints.
    bool hovered = false;
    const TBenchFigure hover = BenchMeasure("30x30 control entering or leaving the hover", 15, 50, [&] {
        hovered = !hovered;
        ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, hovered ? inside : outside);
        ::UpdateWindow(hwnd);
    });

    // What the repaints are made of: the tree painting itself into a memory surface, and a
    // paint round of the system with nothing painted (invalidate, WM_PAINT, BeginPaint,
    // EndPaint) on a bare window of the same size.
    CDibSurfaceUI surface(kWidth, kHeight);
    CControlUI* root = window.Manager().GetRoot();
    const RECT all{0, 0, kWidth, kHeight};
    BenchMeasure("  of which: the tree painting the whole window", 15, 10,
                 [&] { root->Paint(surface.DC(), all); });
    BenchMeasure("  of which: the tree painting the 30x30 button", 15, 50, [&] {
        CPaintClip clip;  // the window's paint context is clipped to the update rectangle too
        CUIRender::ClipToRect(surface.DC(), button, clip);
        root->Paint(surface.DC(), button);
    });
    CBareWindow bare;
    BenchMeasure("system paint round copying the whole window", 15, 10, [&] {
        ::InvalidateRect(bare.Handle(), nullptr, FALSE);
        ::UpdateWindow(bare.Handle());
    });
    const TBenchFigure copyRound = BenchMeasure("system paint round copying 30x30", 15, 50, [&] {
        ::InvalidateRect(bare.Handle(), &button, FALSE);
        ::UpdateWindow(bare.Handle());
    });
    BenchRatio("hover / 30x30 copy round", hover, copyRound, 5);

    std::vector<DWORD> source(static_cast<size_t>(kWidth) * kHeight, 0x12345678);
    std::vector<DWORD> copy(source.size());
    BenchMeasure("plain copy of a 980x600x4 buffer (floor)", 15, 50, [&] {
        std::memcpy(copy.data(), source.data(), copy.size() * sizeof(DWORD));
        source[copy[7] & 0xFF] ^= 1;  // keeps the copies from being merged or dropped
    });
    return 0;
}
