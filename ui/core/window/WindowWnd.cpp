// The window wrapper: class registration, window creation, the static window procedures and the
// usual window operations.

#include "ui/core/window/WindowWnd.h"

#include <utility>

#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

namespace {

// The window property that holds the object of a superclassed or subclassed window.
const wchar_t kObjectProperty[] = L"WndX";

HINSTANCE ProcessInstance() {
    HINSTANCE instance = CWindowManagerUI::ModuleInstance();
    return instance != nullptr ? instance : ::GetModuleHandleW(nullptr);
}

bool ClassRegistered(ATOM atom) {
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HICON LoadIconSized(UINT resourceId, int sizeMetricX, int sizeMetricY) {
    return static_cast<HICON>(::LoadImageW(ProcessInstance(), MAKEINTRESOURCEW(resourceId),
                                           IMAGE_ICON, ::GetSystemMetrics(sizeMetricX),
                                           ::GetSystemMetrics(sizeMetricY), LR_DEFAULTCOLOR));
}

}  // namespace

// ---- Virtual defaults -------------------------------------------------------------------------

LPCWSTR CWindowWnd::SuperClassName() const { return nullptr; }

UINT CWindowWnd::WindowClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd == nullptr) return 0;
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, message, wParam, lParam);
}

void CWindowWnd::OnWindowGone(HWND) {}

// ---- Registration and creation ----------------------------------------------------------------

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW wc{};
    wc.style = WindowClassStyle();
    wc.lpfnWndProc = &CWindowWnd::WindowProc;
    wc.hInstance = ProcessInstance();
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = WindowClassName();
    return ClassRegistered(::RegisterClassW(&wc));
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    // System classes first, then the classes of this module.
    if (!::GetClassInfoExW(nullptr, SuperClassName(), &wc) &&
        !::GetClassInfoExW(ProcessInstance(), SuperClassName(), &wc))
        return false;
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &CWindowWnd::ControlProc;
    wc.hInstance = ProcessInstance();
    wc.lpszClassName = WindowClassName();
    return ClassRegistered(::RegisterClassExW(&wc));
}

HWND CWindowWnd::Create(HWND parent, LPCWSTR title, DWORD style, DWORD exStyle, int x, int y,
                        int width, int height, HMENU menu) {
    const bool registered =
        SuperClassName() != nullptr ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) return nullptr;
    m_hWnd = ::CreateWindowExW(exStyle, WindowClassName(), title, style, x, y, width, height,
                               parent, menu, ProcessInstance(), this);
    return m_hWnd;
}

HWND CWindowWnd::Create(HWND parent, LPCWSTR title, DWORD style, DWORD exStyle, const RECT& rc,
                        HMENU menu) {
    return Create(parent, title, style, exStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, menu);
}

HWND CWindowWnd::Subclass(HWND window) {
    if (window == nullptr || !::IsWindow(window) || m_hWnd != nullptr) return nullptr;
    if (!::SetPropW(window, kObjectProperty, this)) return nullptr;
    m_OldWndProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowWnd::ControlProc)));
    if (m_OldWndProc == nullptr) {
        ::RemovePropW(window, kObjectProperty);
        m_OldWndProc = ::DefWindowProcW;
        return nullptr;
    }
    m_bSubclassed = true;
    m_hWnd = window;
    return m_hWnd;
}

void CWindowWnd::Unsubclass() {
    if (m_hWnd == nullptr || !m_bSubclassed) return;
    if (::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
        ::RemovePropW(m_hWnd, kObjectProperty);
    }
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
    m_hWnd = nullptr;
}

// ---- Static window procedures -----------------------------------------------------------------

LRESULT CWindowWnd::OnFinalMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   bool viaProperty) {
    const LRESULT result = ::CallWindowProcW(m_OldWndProc, hWnd, message, wParam, lParam);
    if (viaProperty) ::RemovePropW(hWnd, kObjectProperty);
    else StoreObject(hWnd, nullptr, false);
    if (m_bSubclassed) {
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
        m_OldWndProc = ::DefWindowProcW;
        m_bSubclassed = false;
    }
    m_hWnd = nullptr;
    OnWindowGone(hWnd);
    return result;
}

// The object of a window lives in the window's user data (windows of our own class) or in the
// property "WndX" (superclassed and subclassed windows, which may use their user data).
void CWindowWnd::StoreObject(HWND hWnd, CWindowWnd* self, bool viaProperty) {
    if (viaProperty) ::SetPropW(hWnd, kObjectProperty, self);
    else ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
}

CWindowWnd* CWindowWnd::LoadObject(HWND hWnd, bool viaProperty) {
    if (viaProperty) return static_cast<CWindowWnd*>(::GetPropW(hWnd, kObjectProperty));
    return reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

LRESULT CWindowWnd::RouteMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                 bool viaProperty) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (self != nullptr) {
            self->m_hWnd = hWnd;
            StoreObject(hWnd, self, viaProperty);
        }
    } else {
        self = LoadObject(hWnd, viaProperty);
        if (message == WM_NCDESTROY && self != nullptr)
            return self->OnFinalMessage(hWnd, message, wParam, lParam, viaProperty);
    }
    if (self != nullptr && self->m_hWnd != nullptr)
        return self->HandleMessage(message, wParam, lParam);
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage(hWnd, message, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage(hWnd, message, wParam, lParam, true);
}

// ---- Window operations ------------------------------------------------------------------------

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::RunModalLoop() {
    UINT result = 0;
    const HWND window = m_hWnd;
    ShowWindow(true, true);
    const HWND owner = window != nullptr ? ::GetWindow(window, GW_OWNER) : nullptr;
    if (owner != nullptr) ::EnableWindow(owner, FALSE);
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (window != nullptr && ::IsWindow(window)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) break;  // a broken queue would otherwise spin here for ever
        if (msg.message == WM_CLOSE && msg.hwnd == window) {
            result = static_cast<UINT>(msg.wParam);
            if (owner != nullptr) {
                ::EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
        }
        if (!CWindowManagerUI::PreTranslate(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (owner != nullptr) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return result;
}

void CWindowWnd::Close(UINT result) {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) PostMessage(WM_CLOSE, result, 0);
}

void CWindowWnd::CenterWindow() {
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd)) return;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner != nullptr ? owner : m_hWnd,
                                          MONITOR_DEFAULTTONEAREST),
                      &monitor);
    const RECT& work = monitor.rcWork;
    RECT center = work;
    if (owner != nullptr && !::IsIconic(owner)) ::GetWindowRect(owner, &center);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = (center.left + center.right) / 2 - width / 2;
    int y = (center.top + center.bottom) / 2 - height / 2;
    if (x < work.left) x = work.left;
    else if (x + width > work.right) x = work.right - width;
    if (y < work.top) y = work.top;
    else if (y + height > work.bottom) y = work.bottom - height;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resourceId) {
    if (m_hWnd == nullptr) return;
    // The window keeps using the icons it was given, so the old ones go only after the swap.
    bxutil::CIconHandle big(LoadIconSized(resourceId, SM_CXICON, SM_CYICON));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    m_hIconBig = std::move(big);
    bxutil::CIconHandle little(LoadIconSized(resourceId, SM_CXSMICON, SM_CYSMICON));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little.Get()));
    m_hIconSmall = std::move(little);
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

}  // namespace SkinUI
