// Input dispatch: the window manager turns the Win32 messages of its window into control events
// (hover, press and capture, wheel, keys, focus, cursor), shows tool tips, reflects messages of
// child windows back to them, pans with touch gestures and drags the parent window for
// "moveparentwnd".

#include <windowsx.h>

#include <cwchar>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

namespace {

// Dragging the parent window is process-wide: one pointer drags one window at a time.
struct TParentDrag {
    POINT start{0, 0};       // screen point of the press; x <= 0: no drag in progress
    RECT parentRect{0, 0, 0, 0};
    LONG width = 0;
    LONG height = 0;

    bool InProgress() const { return start.x > 0; }
    void Reset() { start = POINT{0, 0}; }
};

TParentDrag& ParentDrag() {
    static TParentDrag drag;
    return drag;
}

POINT ClientPoint(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// Controls whose press never drags the parent: they act on clicks or drags of their own.
bool IsInteractiveClass(LPCWSTR className) {
    static const wchar_t* const kClasses[] = {L"ButtonUI",   L"LabelUI",
                                              L"CheckBoxUI", L"ComboUI",
                                              L"ListLabelElementUI", L"ScrollBarUI"};
    for (const wchar_t* name : kClasses)
        if (wcscmp(className, name) == 0) return true;
    return false;
}

// Whether the control or an ancestor scrolls (a container with a scroll bar).
bool InsideScrollingContainer(CControlUI* control) {
    for (CControlUI* c = control; c != nullptr; c = c->Parent()) {
        auto* container = static_cast<CContainerUI*>(c->InterfaceByName(L"Container"));
        if (container != nullptr &&
            (container->VerticalScrollBar() != nullptr || container->HorizontalScrollBar() != nullptr))
            return true;
    }
    return false;
}

TControlEvent MakeEvent(int kind, CControlUI* sender, POINT pt, WPARAM wParam, LPARAM lParam) {
    TControlEvent event;
    event.nKind = kind;
    event.pSender = sender;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

}  // namespace

bool CWindowManagerUI::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT& result) {
    if (m_hWndPaint == nullptr) return false;
    DrainAsyncNotifications();
    for (int i = 0; i < m_aMessageFilters.GetSize(); ++i) {
        bool handled = false;
        auto* filter = static_cast<IMessageFilterUI*>(m_aMessageFilters.GetAt(i));
        const LRESULT answer = filter->HandleWindowMessage(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    const bool handled = DispatchMessageToControls(message, wParam, lParam, result);
    DrainAsyncNotifications();
    return handled;
}

bool CWindowManagerUI::DispatchMessageToControls(UINT message, WPARAM wParam, LPARAM lParam,
                                                 LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_PRINTCLIENT:
        result = OnPrintClient(reinterpret_cast<HDC>(wParam), lParam);
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SIZE:
        if (m_pFocus != nullptr) SendEvent(m_pFocus, MakeEvent(kEventWindowSize, m_pFocus, {}, 0, 0));
        if (m_pRoot != nullptr) m_pRoot->MarkForLayout();
        return true;
    case WM_CLOSE:
        OnClose();
        return false;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (m_szMinWindow.cx > 0) info->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0) info->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0) info->ptMaxTrackSize.x = m_szMaxWindow.cx;
        if (m_szMaxWindow.cy > 0) info->ptMaxTrackSize.y = m_szMaxWindow.cy;
        return false;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT) return false;
        if (!OnSetCursor(wParam, lParam)) return false;
        result = TRUE;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return false;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, lParam);
        return false;
    case WM_LBUTTONUP:
        ParentDrag().Reset();
        OnButtonRelease(kEventButtonUp, wParam, lParam);
        return false;
    case WM_LBUTTONDBLCLK:
        OnButtonPress(kEventDblClick, wParam, lParam, false);
        return false;
    case WM_RBUTTONDOWN:
        OnButtonPress(kEventRButtonDown, wParam, lParam, true);
        return false;
    case WM_RBUTTONUP:
        OnButtonRelease(kEventRButtonUp, wParam, lParam);
        return false;
    case WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        return false;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        return false;
    case WM_MOUSEHOVER:
        return OnMouseHover(lParam);
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        OnKey(message, wParam, lParam);
        return false;
    case WM_IME_STARTCOMPOSITION:
        if (m_pFocus != nullptr) {
            TControlEvent event = MakeEvent(kEventImeStartComposition, nullptr, {}, wParam, lParam);
            event.dwTimestamp = 0;
            SendEvent(m_pFocus, event);
        }
        return false;
    case WM_TIMER:
        OnTimer(wParam);
        return false;
    case WM_NOTIFY: {
        // Reflected to the child window that sent it.
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        result = header != nullptr ? ::SendMessageW(header->hwndFrom, WM_NOTIFY + 0x2000, wParam, lParam)
                                   : 0;
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0) return false;
        result = ::SendMessageW(reinterpret_cast<HWND>(lParam), message + 0x2000, wParam, lParam);
        return true;
    case WM_GESTURENOTIFY:
        ConfigurePanGesture();
        return false;
    case WM_GESTURE:
        OnGesture(lParam);
        result = 1;
        return true;
    case WM_GETOBJECT:
        return OnGetObject(wParam, lParam, result);
    case kMsgAccessibleAction:
        RunAccessibleAction(static_cast<LONG>(lParam));
        return true;
    case kMsgDeferredDelete:
        DeleteDeferredControls();
        return false;
    default:
        return false;
    }
}

void CWindowManagerUI::SendEvent(CControlUI* control, TControlEvent event) {
    control->HandleEvent(event);
}

CControlUI* CWindowManagerUI::ControlAt(POINT pt) const {
    CControlUI* control = FindControl(pt);
    // A control of another manager (a child window's) stops mouse processing here.
    return control != nullptr && control->Manager() == this ? control : nullptr;
}

// ---- Mouse ----------------------------------------------------------------------------------

void CWindowManagerUI::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    TParentDrag& drag = ParentDrag();
    HWND parent = ::GetParent(m_hWndPaint);
    if (m_bMoveParentWindow && drag.InProgress() && ::IsWindow(parent) && wParam == MK_LBUTTON) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::MoveWindow(parent, cursor.x + drag.parentRect.left - drag.start.x,
                     cursor.y + drag.parentRect.top - drag.start.y, drag.width, drag.height, TRUE);
        return;
    }
    if (!m_bMouseTracking) {
        const DWORD hoverTime =
            m_hwndTooltip
                ? static_cast<DWORD>(::SendMessageW(m_hwndTooltip.Get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                : 400;
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWndPaint, hoverTime};
        ::TrackMouseEvent(&track);
        m_bMouseTracking = true;
    }
    const POINT pt = ClientPoint(lParam);
    m_ptLastMousePos = pt;
    CControlUI* control = FindControl(pt);
    if (control != nullptr && control->Manager() != this) return;
    if (control != m_pEventHover && m_pEventHover != nullptr) {
        CControlUI* old = m_pEventHover;
        SendEvent(old, MakeEvent(kEventMouseLeave, old, pt, wParam, lParam));
        m_pEventHover = nullptr;
        HideToolTip();
    }
    if (control != m_pEventHover && control != nullptr) {
        SendEvent(control, MakeEvent(kEventMouseEnter, control, pt, wParam, lParam));
        m_pEventHover = control;
    }
    // While a control is pressed, the moves are its own, wherever the pointer is.
    CControlUI* target = m_pEventClick != nullptr ? m_pEventClick : control;
    if (target != nullptr) SendEvent(target, MakeEvent(kEventMouseMove, target, pt, wParam, lParam));
}

void CWindowManagerUI::CaptureMouse() {
    ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CWindowManagerUI::ReleaseMouseCapture() {
    if (!m_bMouseCapture) return;
    ::ReleaseCapture();
    m_bMouseCapture = false;
}

void CWindowManagerUI::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    ::SetFocus(m_hWndPaint);
    const POINT pt = ClientPoint(lParam);
    m_ptLastMousePos = pt;
    CControlUI* control = ControlAt(pt);
    if (control == nullptr) return;
    m_pEventClick = control;
    m_pContextMenuTarget = nullptr;
    control->RequestFocus();
    CaptureMouse();
    ParentDrag().Reset();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (m_bMoveParentWindow) StartParentDrag(control, cursor);
    TControlEvent event = MakeEvent(kEventButtonDown, control, pt, wParam, lParam);
    event.wKeyState = LOWORD(wParam);
    SendEvent(control, event);
}

void CWindowManagerUI::StartParentDrag(CControlUI* control, POINT screenPoint) {
    HWND parent = ::GetParent(m_hWndPaint);
    if (!::IsWindow(parent) || IsInteractiveClass(control->ClassName()) ||
        InsideScrollingContainer(control))
        return;
    TParentDrag& drag = ParentDrag();
    drag.start = screenPoint;
    ::GetWindowRect(parent, &drag.parentRect);
    drag.width = RectWidth(drag.parentRect);
    drag.height = RectHeight(drag.parentRect);
}

void CWindowManagerUI::OnButtonPress(int kind, WPARAM wParam, LPARAM lParam, bool requestFocus) {
    ::SetFocus(m_hWndPaint);
    const POINT pt = ClientPoint(lParam);
    m_ptLastMousePos = pt;
    CControlUI* control = ControlAt(pt);
    if (control == nullptr) return;
    m_pContextMenuTarget = nullptr;
    if (requestFocus) control->RequestFocus();
    CaptureMouse();
    TControlEvent event = MakeEvent(kind, control, pt, wParam, lParam);
    event.wKeyState = LOWORD(wParam);
    if (kind == kEventDblClick) event.wParam = event.lParam = 0;
    SendEvent(control, event);
    m_pEventClick = control;
}

void CWindowManagerUI::OnButtonRelease(int kind, WPARAM wParam, LPARAM lParam) {
    const POINT pt = ClientPoint(lParam);
    m_ptLastMousePos = pt;
    // The capture goes with the release even when the pressed control went away meanwhile;
    // otherwise the window would keep the mouse after the button is up.
    ReleaseMouseCapture();
    CControlUI* pressed = m_pEventClick;
    if (pressed == nullptr) return;
    TControlEvent event = MakeEvent(kind, pressed, pt, wParam, lParam);
    event.wKeyState = LOWORD(wParam);
    SendEvent(pressed, event);
    // A control destroyed by its own event has been forgotten (m_pEventClick cleared).
    const bool alive = m_pEventClick == pressed;
    m_pEventClick = nullptr;
    // The system follows a right-button release with WM_CONTEXTMENU, which belongs to the
    // control that was pressed.
    if (kind == kEventRButtonUp && alive) m_pContextMenuTarget = pressed;
}

void CWindowManagerUI::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    POINT pt = ClientPoint(lParam);
    ::ScreenToClient(m_hWndPaint, &pt);
    m_ptLastMousePos = pt;
    CControlUI* pressed = m_pEventClick != nullptr ? m_pEventClick : m_pContextMenuTarget;
    m_pContextMenuTarget = nullptr;
    if (pressed == nullptr) return;
    ReleaseMouseCapture();
    TControlEvent event = MakeEvent(kEventContextMenu, pressed, pt, 0,
                                    reinterpret_cast<LPARAM>(pressed));
    event.wKeyState = LOWORD(wParam);
    SendEvent(pressed, event);
    m_pEventClick = nullptr;
}

void CWindowManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    POINT pt = ClientPoint(lParam);
    ::ScreenToClient(m_hWndPaint, &pt);
    m_ptLastMousePos = pt;
    if (CControlUI* control = ControlAt(pt)) {
        const bool towardsUser = GET_WHEEL_DELTA_WPARAM(wParam) < 0;
        const bool raw = wcsstr(control->ClassName(), L"WkeWindowlessUI") != nullptr;
        TControlEvent event =
            MakeEvent(kEventScrollWheel, control, {}, raw ? wParam : (towardsUser ? 1 : 0), lParam);
        event.wKeyState = KeyStateBits();
        SendEvent(control, event);
    }
    // The content may have moved under the pointer: refresh the hover.
    ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0,
                   MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
}

bool CWindowManagerUI::OnMouseHover(LPARAM lParam) {
    m_bMouseTracking = false;
    const POINT pt = ClientPoint(lParam);
    CControlUI* control = FindControl(pt);
    if (control == nullptr) return false;
    if (m_pEventHover != nullptr)
        SendEvent(m_pEventHover, MakeEvent(kEventMouseHover, m_pEventHover, pt, 0, 0));
    CUIString text = control->ToolTip();
    ExpandTextTokens(text);
    if (!text.IsEmpty()) ShowToolTip(control, text);
    return true;
}

void CWindowManagerUI::ShowToolTip(CControlUI* control, const CUIString& text) {
    // The tool record points at the text: it is kept as long as the tool.
    m_strToolTipText = text;
    m_ToolTip = TTTOOLINFOW{};
    m_ToolTip.cbSize = sizeof(TTTOOLINFOW);
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = ModuleInstance();
    m_ToolTip.lpszText = const_cast<LPWSTR>(m_strToolTipText.GetData());
    m_ToolTip.rect = control->Rect();
    if (!m_hwndTooltip) {
        m_hwndTooltip.Reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                              CW_USEDEFAULT, m_hWndPaint, nullptr,
                                              ModuleInstance(), nullptr));
        if (!m_hwndTooltip) return;
        ::SendMessageW(m_hwndTooltip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    ::SendMessageW(m_hwndTooltip.Get(), TTM_SETMAXTIPWIDTH, 0, control->ToolTipWidth());
    ::SendMessageW(m_hwndTooltip.Get(), TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip.Get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

void CWindowManagerUI::HideToolTip() {
    if (m_hwndTooltip)
        ::SendMessageW(m_hwndTooltip.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

void CWindowManagerUI::OnMouseLeave() {
    HideToolTip();
    // The pointer left the window: the hovered control gets its leave through a move to
    // nowhere.
    if (m_bMouseTracking) ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
    m_bMouseTracking = false;
}

bool CWindowManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    // While captured the cursor stays as the pressed control set it.
    if (m_bMouseCapture) return true;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWndPaint, &pt);
    CControlUI* control = FindControl(pt);
    if (control == nullptr || (control->ControlFlags() & kControlFlagSetCursor) == 0) return false;
    TControlEvent event = MakeEvent(kEventSetCursor, nullptr, pt, wParam, lParam);
    event.wKeyState = KeyStateBits();
    SendEvent(control, event);
    return true;
}

void CWindowManagerUI::OnClose() {
    // Whatever the pointer was doing ends with the window.
    if (m_pEventHover != nullptr)
        SendEvent(m_pEventHover,
                  MakeEvent(kEventMouseLeave, m_pEventHover, m_ptLastMousePos, 0, 0));
    if (m_pEventClick != nullptr)
        SendEvent(m_pEventClick,
                  MakeEvent(kEventButtonUp, m_pEventClick, m_ptLastMousePos, 0, 0));
    SetFocus(nullptr);
    HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER);
    if (owner != nullptr) ::SetFocus(owner);
}

// ---- Keyboard -------------------------------------------------------------------------------

void CWindowManagerUI::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    const int kind = message == WM_KEYDOWN ? kEventKeyDown
                                           : (message == WM_KEYUP ? kEventKeyUp : kEventChar);
    CControlUI* target = kind == kEventKeyUp ? m_pEventKey : m_pFocus;
    if (target == nullptr) return;
    const bool keyMessage = kind != kEventChar;
    TControlEvent event = MakeEvent(kind, target, m_ptLastMousePos, keyMessage ? wParam : 0,
                                    keyMessage ? lParam : 0);
    event.chKey = static_cast<wchar_t>(wParam);
    event.wKeyState = KeyStateBits();
    SendEvent(target, event);
    if (kind == kEventKeyDown) m_pEventKey = target;
    if (kind == kEventKeyUp) m_pEventKey = nullptr;
}

// ---- Gestures -------------------------------------------------------------------------------

void CWindowManagerUI::ConfigurePanGesture() {
    GESTURECONFIG config{GID_PAN,
                         GC_PAN_WITH_SINGLE_FINGER_VERTICALLY |
                             GC_PAN_WITH_SINGLE_FINGER_HORIZONTALLY,
                         GC_PAN_WITH_GUTTER | GC_PAN_WITH_INERTIA};
    ::SetGestureConfig(m_hWndPaint, 0, 1, &config, sizeof(config));
}

void CWindowManagerUI::OnGesture(LPARAM lParam) {
    GESTUREINFO info{};
    info.cbSize = sizeof(info);
    const auto handle = reinterpret_cast<HGESTUREINFO>(lParam);
    const bool read = ::GetGestureInfo(handle, &info) != FALSE;
    ::CloseGestureInfoHandle(handle);
    if (!read) return;
    POINT pt{info.ptsLocation.x, info.ptsLocation.y};
    ::ScreenToClient(m_hWndPaint, &pt);
    TParentDrag& drag = ParentDrag();
    switch (info.dwID) {
    case GID_BEGIN:
        drag.Reset();
        if (m_bMoveParentWindow) {
            if (CControlUI* control = FindControl(pt))
                StartParentDrag(control, POINT{info.ptsLocation.x, info.ptsLocation.y});
        }
        return;
    case GID_END:
        drag.Reset();
        return;
    case GID_PAN:
        OnPan(info, pt);
        return;
    default:
        return;
    }
}

void CWindowManagerUI::OnPan(const GESTUREINFO& info, POINT pt) {
    TParentDrag& drag = ParentDrag();
    if ((info.dwFlags & GF_BEGIN) != 0) {
        m_ptLastGesture = pt;
        return;
    }
    if ((info.dwFlags & GF_END) != 0) {
        drag.Reset();
        return;
    }
    if (drag.InProgress()) {
        HWND parent = ::GetParent(m_hWndPaint);
        if (::IsWindow(parent))
            ::MoveWindow(parent, info.ptsLocation.x + drag.parentRect.left - drag.start.x,
                         info.ptsLocation.y + drag.parentRect.top - drag.start.y, drag.width,
                         drag.height, FALSE);
    } else if (CControlUI* control = ControlAt(pt)) {
        const bool overBar = wcscmp(control->ClassName(), L"ScrollBarUI") == 0;
        TControlEvent event = MakeEvent(kEventGesturePan, control, {}, overBar ? 1 : 0,
                                        m_ptLastGesture.y - pt.y);
        event.wKeyState = KeyStateBits();
        SendEvent(control, event);
        ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    }
    m_ptLastGesture = pt;
}

}  // namespace SkinUI
