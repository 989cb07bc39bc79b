// The skinned window base: skin loading at creation, frameless hit-testing, the rounded window
// region, the system buttons and the routing of notifications.

#include "ui/core/window/WindowImplBase.h"

#include <windowsx.h>

#include <cwchar>

#include "support/GdiHandles.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowShadowSettings.h"
#include "ui/core/window/DialogBuilder.h"

namespace SkinUI {

namespace {

// Controls under the caption band that keep the mouse for themselves instead of dragging.
const wchar_t* const kInteractiveClasses[] = {L"ButtonUI", L"OptionUI", L"TextUI",
                                              L"WkeWindowlessUI"};

bool IsInteractiveClass(LPCWSTR className) {
    if (className == nullptr) return false;
    for (const wchar_t* name : kInteractiveClasses)
        if (_wcsicmp(name, className) == 0) return true;
    return false;
}

MONITORINFO MonitorOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor;
}

// The four resize borders: which hit-test code a point gets, or HTNOWHERE when it is on none.
LRESULT SizeBoxHit(const RECT& client, const RECT& box, POINT pt) {
    const bool left = pt.x < client.left + box.left;
    const bool right = pt.x >= client.right - box.right;
    if (pt.y < client.top + box.top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (pt.y >= client.bottom - box.bottom)
        return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    return HTNOWHERE;
}

LRESULT NotHandled(bool& handled) {
    handled = false;
    return 0;
}

const TNotifyMapEntry* WindowBaseEntries() {
    static const TNotifyMapEntry entries[] = {
        NotifyEntry(L"click", L"", &WindowImplBase::OnClick),
        TNotifyMapEntry{},
    };
    return entries;
}

// WM_DPICHANGED, which older SDK headers do not define.
constexpr UINT kMsgDpiChanged = 0x02E0;

// The skin, and with it its string tables, could not be loaded: this one message carries its
// texts itself, chosen by the rule the tables follow (English for an English user interface,
// else Chinese (Simplified)).
LPCWSTR SkinLoadFailureText() {
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH ? L"Could not load the resource files."
                                                                       : L"加载资源文件失败";
}

}  // namespace

WindowImplBase::~WindowImplBase() = default;

// ---- Defaults of the virtual operations -------------------------------------------------------

UINT WindowImplBase::WindowClassStyle() const { return CS_DBLCLKS; }

void WindowImplBase::OnWindowReady() {}

CUIString WindowImplBase::SkinArchiveName() { return CUIString(); }

LPCWSTR WindowImplBase::SkinResourceId() const { return L""; }

UINT WindowImplBase::SkinSourceKind() const { return kSkinFromFolder; }

LRESULT WindowImplBase::DefaultKeyAnswer(WPARAM key) { return key == VK_ESCAPE ? TRUE : FALSE; }

CControlUI* WindowImplBase::CreateControl(LPCWSTR) { return nullptr; }

LONG_PTR WindowImplBase::GetStyle() {
    return ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION);
}

void WindowImplBase::OnWindowGone(HWND) {
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    m_PaintManager.ForgetControl(m_PaintManager.GetRoot());
}

void WindowImplBase::AnimateWindow(DWORD time, DWORD flags) {
    if ((flags & AW_HIDE) != 0) ShowWindowShadow(m_PaintManager, false);
    ::AnimateWindow(m_hWnd, time, flags);
    if ((flags & AW_ACTIVATE) != 0) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// ---- Notifications ----------------------------------------------------------------------------

const TNotifyMap* WindowImplBase::NotifyMap() const {
    static const TNotifyMap map = {CNotifyPump::NotifyMap(), WindowBaseEntries()};
    return &map;
}

void WindowImplBase::Notify(TNotifyMsg& msg) { NotifyPump(msg); }

void WindowImplBase::OnClick(TNotifyMsg& msg) {
    if (msg.pSender == nullptr) return;
    const CUIString name = msg.pSender->Name();
    if (name == L"closebtn") Close(1);
    else if (name == L"minbtn") SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn") SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn") SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM, bool&) {
    // The answer is not used here; a derived window reacts in its own DefaultKeyAnswer.
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        DefaultKeyAnswer(wParam);
    return 0;
}

// ---- Message dispatch -------------------------------------------------------------------------

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    using Handler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);
    Handler handler = nullptr;
    switch (message) {
        case WM_CREATE: handler = &WindowImplBase::OnCreate; break;
        case WM_CLOSE: handler = &WindowImplBase::OnClose; break;
        case WM_DESTROY: handler = &WindowImplBase::OnDestroy; break;
        case WM_NCACTIVATE: handler = &WindowImplBase::OnNcActivate; break;
        case WM_NCCALCSIZE: handler = &WindowImplBase::OnNcCalcSize; break;
        case WM_NCPAINT: handler = &WindowImplBase::OnNcPaint; break;
        case WM_NCHITTEST: handler = &WindowImplBase::OnNcHitTest; break;
        case WM_GETMINMAXINFO: handler = &WindowImplBase::OnGetMinMaxInfo; break;
        case WM_MOUSEWHEEL: handler = &WindowImplBase::OnMouseWheel; break;
        case WM_MOUSEHOVER: handler = &WindowImplBase::OnMouseHover; break;
        case WM_SIZE: handler = &WindowImplBase::OnSize; break;
        case WM_CHAR: handler = &WindowImplBase::OnChar; break;
        case WM_SYSCOMMAND: handler = &WindowImplBase::OnSysCommand; break;
        case WM_KEYDOWN: handler = &WindowImplBase::OnKeyDown; break;
        case WM_KILLFOCUS: handler = &WindowImplBase::OnKillFocus; break;
        case WM_SETFOCUS: handler = &WindowImplBase::OnSetFocus; break;
        case WM_LBUTTONDOWN: handler = &WindowImplBase::OnLButtonDown; break;
        case WM_LBUTTONUP: handler = &WindowImplBase::OnLButtonUp; break;
        case WM_MOUSEMOVE: handler = &WindowImplBase::OnMouseMove; break;
        case kMsgDpiChanged: handler = &WindowImplBase::OnDpiChanged; break;
        default: break;
    }
    bool handled = handler != nullptr;
    if (handler != nullptr) {
        const LRESULT result = (this->*handler)(message, wParam, lParam, handled);
        if (handled) return result;
    }
    // A message without a handler of its own is not handled until HandleOtherMessage says so:
    // a derived window that leaves the flag alone lets it through to the manager and the
    // default procedure (WM_NCCREATE among them, which must reach it for the window to exist).
    handled = false;
    const LRESULT other = HandleOtherMessage(message, wParam, lParam, handled);
    if (handled) return other;
    LRESULT result = 0;
    if (m_PaintManager.HandleWindowMessage(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

// Handlers without work of their own leave the message to the manager and the default procedure.
LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}
LRESULT WindowImplBase::HandleOtherMessage(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

// ---- The frameless window ---------------------------------------------------------------------

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (::IsIconic(m_hWnd)) handled = false;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, bool&) {
    if (!::IsZoomed(m_hWnd)) return 0;
    // Maximised: the window takes exactly the monitor's work area.
    RECT* proposed = wParam != 0 ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                 : reinterpret_cast<RECT*>(lParam);
    const RECT work = MonitorOf(m_hWnd).rcWork;
    proposed->right = proposed->left + RectWidth(work);
    proposed->bottom = proposed->top + RectHeight(work);
    return WVR_HREDRAW | WVR_VREDRAW;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &pt);
    return HitTest(pt);
}

LRESULT WindowImplBase::HitTest(POINT pt) const {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (!::IsZoomed(m_hWnd)) {
        const LRESULT border = SizeBoxHit(client, m_PaintManager.ResizeBorders(), pt);
        if (border != HTNOWHERE) return border;
    }
    const RECT caption = m_PaintManager.CaptionBand();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
        pt.y >= caption.top && pt.y < caption.bottom) {
        CControlUI* control = m_PaintManager.FindControl(pt);
        if (control != nullptr && !IsInteractiveClass(control->ClassName())) return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    const MONITORINFO monitor = MonitorOf(m_hWnd);
    info->ptMaxPosition.x = monitor.rcWork.left - monitor.rcMonitor.left;
    info->ptMaxPosition.y = monitor.rcWork.top - monitor.rcMonitor.top;
    info->ptMaxTrackSize.x = RectWidth(monitor.rcWork);
    info->ptMaxTrackSize.y = RectHeight(monitor.rcWork);
    const SIZE minimum = m_PaintManager.MinTrackSize();
    info->ptMinTrackSize.x = minimum.cx;
    info->ptMinTrackSize.y = minimum.cy;
    handled = false;  // the manager applies "mininfo" and "maxinfo" next
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    const SIZE corner = m_PaintManager.CornerEllipse();
    if (::IsIconic(m_hWnd) || (corner.cx == 0 && corner.cy == 0)) return 0;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    bxutil::GiveWindowRegion(m_hWnd,
                             bxutil::CRegionHandle(::CreateRoundRectRgn(
                                 0, 0, RectWidth(window) + 1, RectHeight(window) + 1, corner.cx, corner.cy)),
                             true);
    return 0;
}

LRESULT WindowImplBase::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    // Both halves carry the same density (Windows keeps x and y alike).
    m_PaintManager.ChangeDpi(HIWORD(wParam));
    CLayoutBuilder::RescaleWindowAttributes(m_PaintManager);
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (suggested != nullptr) {
        // The resize also gives the window its round corners at the new scale (OnSize).
        ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, RectWidth(*suggested),
                       RectHeight(*suggested), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    // The low four bits of the command are the system's own.
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendMessage(WM_CLOSE, 0, 0);
        return 0;
    }
    const bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    const LRESULT result = CWindowWnd::HandleMessage(message, wParam, lParam);
    const bool zoomed = ::IsZoomed(m_hWnd) != FALSE;
    if (zoomed != wasZoomed) {
        CControlUI* maxButton = m_PaintManager.FindControl(L"maxbtn");
        CControlUI* restoreButton = m_PaintManager.FindControl(L"restorebtn");
        if (maxButton != nullptr && restoreButton != nullptr) {
            maxButton->SetVisible(!zoomed);
            restoreButton->SetVisible(zoomed);
        }
    }
    return result;
}

// ---- Creation ---------------------------------------------------------------------------------

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&) {
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, RectWidth(client), RectHeight(client),
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddPreMessageFilter(this);
    if (CWindowManagerUI::SkinPath().IsEmpty())
        CWindowManagerUI::SetSkinPath(CWindowManagerUI::ModuleDirectory() + SkinFolder());

    switch (SkinSourceKind()) {
        case kSkinFromZipFile:
            CWindowManagerUI::SetSkinArchive(SkinArchiveName(), true);
            break;
        case kSkinFromZipResource:
            // Without its package the window stays empty.
            if (!CWindowManagerUI::SetSkinArchiveResource(L"ZIPRES", SkinResourceId())) return 0;
            break;
        default:
            break;
    }

    CControlUI* root = BuildSkin();
    if (root == nullptr) FailSkinLoad();
    m_PaintManager.AddNotifier(this);
    m_PaintManager.AttachRoot(root);
    m_PaintManager.SetCopyBackdrop(true);
    OnWindowReady();
    return 0;
}

CControlUI* WindowImplBase::BuildSkin() {
    CLayoutBuilder builder;
    if (SkinSourceKind() == kSkinFromXmlResource) {
        const int id = ParseAttrInt(SkinFileName());
        if (id <= 0 || id > 0xFFFF) return nullptr;
        return builder.Create(MAKEINTRESOURCEW(id), L"xml", this, &m_PaintManager, nullptr);
    }
    return builder.Create(SkinFileName(), nullptr, this, &m_PaintManager, nullptr);
}

void WindowImplBase::FailSkinLoad() {
    ::MessageBoxW(nullptr, SkinLoadFailureText(), L"SkinUI", MB_ICONERROR);
    ::ExitProcess(1);
}

}  // namespace SkinUI
