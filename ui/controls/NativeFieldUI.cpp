// CNativeHost and CNativeFieldUI: the native control's window over a skinned control, and when
// it comes and goes.

#include "ui/controls/NativeFieldUI.h"

#include <oleacc.h>

#include "ui/core/base/UIGeometry.h"

namespace SkinUI {

namespace {

// Posted to the host: close it from the message loop (wParam: only when the focus is outside).
constexpr UINT kMsgHostClose = WM_APP + 0x51;

}  // namespace

// Messages sent while the host is created, before it knows its client, go to DefWindowProc.
LPCWSTR CNativeHost::HostClassName() {
    static const LPCWSTR name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &CNativeHost::HostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"SkinUINativeHost";
        ::RegisterClassW(&wc);
        return L"SkinUINativeHost";
    }();
    return name;
}

namespace {

CNativeHost* HostOf(HWND window) {
    return reinterpret_cast<CNativeHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

// ---- CNativeHost ------------------------------------------------------------------------------

CNativeHost::~CNativeHost() { Close(); }

HWND CNativeHost::Open(INativeHostClient& client, HWND parent, const RECT& rc,
                       LPCWSTR className, DWORD style) {
    Close();
    if (!::IsWindow(parent)) return nullptr;
    const LONG width = RectWidth(rc);
    const LONG height = RectHeight(rc);
    m_host.Reset(::CreateWindowExW(0, HostClassName(), nullptr,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rc.left, rc.top,
                                   width, height, parent, nullptr, ::GetModuleHandleW(nullptr),
                                   nullptr));
    if (!m_host) return nullptr;
    m_client = &client;
    ::SetWindowLongPtrW(m_host.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The child window belongs to the host window from here on: DestroyWindow of the host
    // destroys it.
    m_child = ::CreateWindowExW(0, className, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0, width,
                                height, m_host.Get(), nullptr, ::GetModuleHandleW(nullptr),
                                nullptr);
    if (m_child == nullptr) Close();
    return m_child;
}

void CNativeHost::Close() {
    if (!m_host) return;
    // Messages sent while the windows go (the native control's kill-focus) find no host.
    ::SetWindowLongPtrW(m_host.Get(), GWLP_USERDATA, 0);
    if (HasFocusInside()) ::SetFocus(::GetParent(m_host.Get()));
    m_host.Reset();
    m_child = nullptr;
    m_client = nullptr;
}

void CNativeHost::RequestClose(bool onlyIfUnfocused) {
    if (m_host) ::PostMessageW(m_host.Get(), kMsgHostClose, onlyIfUnfocused ? 1 : 0, 0);
}

void CNativeHost::Place(const RECT& rc) {
    if (!m_host) return;
    ::MoveWindow(m_host.Get(), rc.left, rc.top, RectWidth(rc), RectHeight(rc), TRUE);
    ::MoveWindow(m_child, 0, 0, RectWidth(rc), RectHeight(rc), TRUE);
}

bool CNativeHost::HasFocusInside() const {
    HWND focus = ::GetFocus();
    return m_host && focus != nullptr && (focus == m_host.Get() || ::IsChild(m_host.Get(), focus));
}

LRESULT CALLBACK CNativeHost::HostProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
    CNativeHost* host = HostOf(window);
    bool handled = false;
    const LRESULT result =
        host != nullptr ? host->HandleMessage(message, wParam, lParam, handled) : 0;
    // The host may be closed by now: nothing of it is touched after HandleMessage.
    return handled ? result : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CNativeHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    INativeHostClient& client = *m_client;
    switch (message) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == m_child) client.OnHostCommand(HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != nullptr && header->hwndFrom == m_child) client.OnHostNotify(*header);
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = client.OnHostColor(reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case kMsgHostClose:
        if (wParam != 0 && HasFocusInside()) return 0;
        Close();
        client.OnHostClosed();
        return 0;
    case WM_NCDESTROY:
        // Not closed by us (that clears the window's link first): the manager's window is
        // going, and the host with it. The holder lets go of a window that no longer exists.
        (void)m_host.Release();
        m_child = nullptr;
        m_client = nullptr;
        client.OnHostClosed();
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

// ---- CNativeFieldUI ---------------------------------------------------------------------------

CNativeFieldUI::CNativeFieldUI(BeginEditingProc beginEditing) : m_beginEditing(beginEditing) {}

CNativeFieldUI::~CNativeFieldUI() = default;  // the host closes with its member

UINT CNativeFieldUI::ControlFlags() const {
    return (IsEnabled() ? kControlFlagSetCursor : 0) |
           (IsKeyboardEnabled() ? kControlFlagTabStop : 0);
}

void CNativeFieldUI::AttachTo(CWindowManagerUI* manager, CContainerUI* parent, bool initialize) {
    if (manager != m_pManager) EndEditing();
    CLabelUI::AttachTo(manager, parent, initialize);
}

void CNativeFieldUI::Place(const RECT& rect, bool invalidate) {
    const RECT before = m_rcItem;
    CLabelUI::Place(rect, invalidate);
    if (!RectEquals(before, m_rcItem)) EndEditing();
}

void CNativeFieldUI::MoveBy(SIZE offset, bool invalidate) {
    if (offset.cx != 0 || offset.cy != 0) EndEditing();
    CLabelUI::MoveBy(offset, invalidate);
}

void CNativeFieldUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (!IsVisible()) EndEditing();
}

void CNativeFieldUI::SetInheritedVisible(bool visible) {
    CLabelUI::SetInheritedVisible(visible);
    if (!IsVisible()) EndEditing();
}

void CNativeFieldUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        m_uFieldState = 0;
        EndEditing();
    }
}

void CNativeFieldUI::ProcessEvent(TControlEvent& event) {
    if (PassMouseEventOn(event)) return;
    switch (event.nKind) {
    case kEventKillFocus:
        EndEditing();
        InvalidateSelf();  // the focused look goes
        break;
    case kEventSetFocus:
        InvalidateSelf();
        BeginEditing();
        break;
    case kEventButtonDown:
    case kEventDblClick:
        m_bPressOpened = RectContains(m_rcItem, event.ptMouse) && BeginEditing();
        break;
    case kEventButtonUp:
        if (m_bPressOpened) ForwardClick(event.ptMouse);
        m_bPressOpened = false;
        break;
    case kEventMouseEnter:
    case kEventMouseLeave:
        FollowHover(m_uFieldState, event.nKind);
        break;
    case kEventSetCursor:
        SetCursorShape(IDC_IBEAM);
        return;
    default:
        break;
    }
    CLabelUI::ProcessEvent(event);
}

bool CNativeFieldUI::CanEdit() const {
    return m_pManager != nullptr && ::IsWindow(m_pManager->GetPaintWindow()) && IsVisible() &&
           IsEnabled();
}

HWND CNativeFieldUI::OpenNative(const RECT& rc, LPCWSTR className, DWORD style) {
    if (!CanEdit()) return nullptr;
    // A skin may place a control far outside the window: the native window gets the part
    // that can be seen, never a size taken from the markup alone.
    HWND parent = m_pManager->GetPaintWindow();
    RECT client{};
    RECT visible{};
    ::GetClientRect(parent, &client);
    if (!RectIntersect(visible, rc, client)) return nullptr;
    HWND child = m_native.Open(*this, parent, visible, className, style);
    if (child == nullptr) return nullptr;
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_pManager->GetFont(m_iFont)),
                   FALSE);
    ::SetFocus(child);
    InvalidateSelf();  // the idle text goes from under the native control
    return child;
}

void CNativeFieldUI::ForwardClick(POINT pt) {
    HWND child = m_native.Child();
    if (child == nullptr || m_pManager == nullptr) return;
    ::MapWindowPoints(m_pManager->GetPaintWindow(), child, &pt, 1);
    RECT area{};
    ::GetClientRect(child, &area);
    if (!RectContains(area, pt)) return;
    // Posted after the manager's release, so the native control's own capture is not
    // disturbed by the manager's. A control painted at least once knows where its parts are
    // (the date picker finds its fields while painting).
    ::UpdateWindow(child);
    const LPARAM where = MAKELPARAM(pt.x, pt.y);
    ::PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::PostMessageW(child, WM_LBUTTONUP, 0, where);
}

bool CNativeFieldUI::BeginEditing() { return IsEditing() || m_beginEditing(*this); }

void CNativeFieldUI::EndEditing() {
    if (!m_native.IsOpen()) return;
    m_native.Close();
    InvalidateSelf();
}

void CNativeFieldUI::OnHostCommand(WORD /*code*/) {}
void CNativeFieldUI::OnHostNotify(const NMHDR& /*header*/) {}
HBRUSH CNativeFieldUI::OnHostColor(HDC /*dc*/) { return nullptr; }
void CNativeFieldUI::OnHostClosed() { InvalidateSelf(); }

// ---- Accessibility ---------------------------------------------------------------------------

LONG CNativeFieldUI::AccessibleRole() const { return ROLE_SYSTEM_TEXT; }
CUIString CNativeFieldUI::AccessibleValue() const { return Text(); }
CUIString CNativeFieldUI::AccessibleName() const { return ToolTip(); }

}  // namespace SkinUI
