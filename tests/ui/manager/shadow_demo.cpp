// A window with a drop shadow over a white backdrop, driven line by line from stdin by
// shadow_window_test.py (which clicks with xdotool and takes screenshots). It answers on stdout:
//   ready L T R B SL ST SR SB   the window's and the shadow's rectangles, once shown
//   click backdrop|window X Y   a left click reached that window (screen coordinates)
//   moved SL ST SR SB           after "move X Y": the shadow's new rectangle
//   shadow 0|1                  after "minimize", "restore" or "state": whether it is visible
// "quit" ends the program (exit code 0).

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "support/GdiHandles.h"
#include "ui/core/manager/ShadowUI.h"
#include "ui/core/manager/WindowManager.h"

using namespace SkinUI;

namespace {

constexpr UINT kCommand = WM_APP + 1;  // lParam: a heap-allocated std::string, owned by the loop

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string RectText(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return std::to_string(rc.left) + " " + std::to_string(rc.top) + " " +
           std::to_string(rc.right) + " " + std::to_string(rc.bottom);
}

LRESULT CALLBACK ReportingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // A click on the backdrop must not raise it over the window and its shadow.
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (message == WM_LBUTTONDOWN) {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(hWnd, &pt);
        wchar_t name[32] = {};
        ::GetWindowTextW(hWnd, name, 32);
        Say(std::string("click ") + (name[0] == L'b' ? "backdrop " : "window ") +
            std::to_string(pt.x) + " " + std::to_string(pt.y));
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

bxutil::CWindowHandle MakeWindow(LPCWSTR className, LPCWSTR title, COLORREF colour, int x, int y,
                                 int width, int height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ReportingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ::CreateSolidBrush(colour);  // kept by the class until exit
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);
    return bxutil::CWindowHandle(::CreateWindowExW(0, className, title, WS_POPUP, x, y, width,
                                                   height, nullptr, nullptr, wc.hInstance, nullptr));
}

// Reads commands and hands them to the UI thread, which alone touches the windows.
void ReadCommands(DWORD uiThread) {
    char line[256];
    while (std::fgets(line, sizeof(line), stdin) != nullptr) {
        auto* command = new std::string(line);
        if (!::PostThreadMessageW(uiThread, kCommand, 0, reinterpret_cast<LPARAM>(command))) {
            delete command;
        }
    }
    ::PostThreadMessageW(uiThread, kCommand, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
}

void Run(const std::string& command, HWND window, const CShadowUI& shadow) {
    int x = 0;
    int y = 0;
    if (std::sscanf(command.c_str(), "move %d %d", &x, &y) == 2) {
        ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Say("moved " + RectText(shadow.GetHWND()));
        return;
    }
    if (command.rfind("minimize", 0) == 0) ::ShowWindow(window, SW_MINIMIZE);
    if (command.rfind("restore", 0) == 0) {
        ::ShowWindow(window, SW_RESTORE);
        ::UpdateWindow(window);
    }
    Say(std::string("shadow ") + (::IsWindowVisible(shadow.GetHWND()) ? "1" : "0"));
}

}  // namespace

int main() {
    CWindowManagerUI::SetModuleInstance(::GetModuleHandleW(nullptr));
    bxutil::CWindowHandle backdrop = MakeWindow(L"VexoShadowDemoBackdrop", L"backdrop",
                                                RGB(255, 255, 255), 0, 0, 900, 700);
    bxutil::CWindowHandle window = MakeWindow(L"VexoShadowDemoWindow", L"window", RGB(18, 26, 40),
                                              250, 200, 400, 260);
    if (!backdrop || !window) return 2;
    bxutil::GiveWindowRegion(window.Get(), bxutil::CRegionHandle(::CreateRoundRectRgn(0, 0, 401, 261, 3, 3)),
                             false);

    CWindowManagerUI manager;
    manager.Init(window.Get());
    CShadowUI shadow(&manager);
    shadow.SetSize(10);
    shadow.SetSharpness(6);
    shadow.SetDarkness(150);
    shadow.SetColor(0xFF000000);
    shadow.ShowShadow(true);

    ::ShowWindow(backdrop.Get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(backdrop.Get());
    ::ShowWindow(window.Get(), SW_SHOW);
    ::UpdateWindow(window.Get());
    shadow.Create(nullptr);
    if (shadow.GetHWND() == nullptr) return 3;
    Say("ready " + RectText(window.Get()) + " " + RectText(shadow.GetHWND()));

    std::thread reader(ReadCommands, ::GetCurrentThreadId());
    reader.detach();  // blocked in stdin until the process ends
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kCommand) {
            std::unique_ptr<std::string> command(reinterpret_cast<std::string*>(msg.lParam));
            if (command->rfind("quit", 0) == 0) break;
            Run(*command, window.Get(), shadow);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // Before the shadow and the manager, which the windows' last messages still reach.
    window.Reset();
    backdrop.Reset();
    return 0;
}
