// The window manager: binding a control tree to its window, names, focus and tab order,
// notifications, message filters and the process-wide list of managers. Painting is in
// WindowPaint.cpp, the translation of window messages in WindowInput.cpp, control timers in
// WindowTimers.cpp.

#include "ui/core/manager/WindowManager.h"

#include "ui/core/manager/ShadowUI.h"

#include <oleacc.h>

#include <commctrl.h>

#include <cwchar>
#include <cwctype>

#include "ui/core/manager/ControlUI.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

// Every live manager, oldest first (the message loop offers messages to them).
CUIPtrArray& LiveManagers() {
    static CUIPtrArray managers;
    return managers;
}

CWindowManagerUI* ManagerAt(int index) {
    return static_cast<CWindowManagerUI*>(LiveManagers().GetAt(index));
}

// What the first manager of the process sets up for all: the common controls (tool tips).
void InitialiseProcessOnce() {
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        return true;
    }();
    (void)initialised;
}

template <class T>
bool RemoveFirst(CUIPtrArray& list, T* item) {
    const int index = list.Find(item);
    return index >= 0 && list.Remove(index);
}

// ---- Tab order ------------------------------------------------------------------------------

struct TTabSearch {
    CControlUI* focus;     // the control the step starts from (null: none)
    CControlUI* last;      // the last tab stop seen so far
    bool forward;
    bool focusPassed;
};

bool IsTabStop(const CControlUI* control) {
    return (control->ControlFlags() & kControlFlagTabStop) != 0;
}

CControlUI* FindTabStopVisitor(CControlUI* control, LPVOID data) {
    auto* search = static_cast<TTabSearch*>(data);
    if (!IsTabStop(control)) return nullptr;
    if (search->forward) {
        if (search->focus == nullptr || search->focusPassed) return control;
        if (control == search->focus) search->focusPassed = true;
        return nullptr;
    }
    if (control == search->focus && search->last != nullptr) return search->last;
    search->last = control;
    return nullptr;
}

constexpr UINT kTabSearchFlags = kFindMeFirst | kFindVisible | kFindEnabled;

}  // namespace

WORD KeyStateBits() {
    WORD state = 0;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= kKeyStateLButton;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= kKeyStateRButton;
    if (::GetKeyState(VK_SHIFT) < 0) state |= kKeyStateShift;
    if (::GetKeyState(VK_CONTROL) < 0) state |= kKeyStateControl;
    if (::GetKeyState(VK_MENU) < 0) state |= kKeyStateAlt;
    return state;
}

// ---- Construction and destruction -----------------------------------------------------------

CWindowManagerUI::CWindowManagerUI() : m_pShadow(std::make_unique<CShadowUI>(this)) {
    InitialiseProcessOnce();
}

CWindowManagerUI::~CWindowManagerUI() {
    DeleteDeferredControls();
    m_asyncNotify.clear();
    m_mNameHash.RemoveAll();
    // The tree goes first: its controls leave their option groups and timers on the way.
    delete std::exchange(m_pRoot, nullptr);
    RemoveAllOptionGroups();
    RemoveAllTimers();
    m_hwndTooltip.Reset();
    ReleaseSurfaces();
    RemoveFirst(LiveManagers(), this);
}

void CWindowManagerUI::Init(HWND window) {
    m_hWndPaint = window;
    m_pPaintDC = std::make_unique<bxutil::CWindowDC>(window);
    if (LiveManagers().Find(this) < 0) LiveManagers().Add(this);
    // Before the skin is read: its fonts, pictures and lengths are made for this density.
    SetDpi(QueryWindowDpi(window));
}

int CWindowManagerUI::QueryWindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    const bxutil::CWindowDC dc(window);
    const int dpi = dc.Get() != nullptr ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kBaseDpi;
}

void CWindowManagerUI::ChangeDpi(int dpi) {
    if (ClampDpi(dpi) == Dpi()) return;
    SetDpi(dpi);
    if (m_pRoot != nullptr) {
        m_pRoot->Find(
            [](CControlUI* control, LPVOID) -> CControlUI* {
                control->RescaleSkinAttributes();
                return nullptr;
            },
            nullptr, 0);
        m_pRoot->MarkForLayout();
    }
    m_bUpdateNeeded = true;
    if (m_hWndPaint != nullptr) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

HDC CWindowManagerUI::GetPaintDC() const {
    return m_pPaintDC != nullptr ? m_pPaintDC->Get() : nullptr;
}

// ---- Tree -----------------------------------------------------------------------------------

bool CWindowManagerUI::AttachRoot(CControlUI* root) {
    if (root == nullptr) return false;
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    m_pContextMenuTarget = nullptr;
    // Attaching the current root again must not schedule it for deletion.
    if (m_pRoot != nullptr && m_pRoot != root) {
        m_aPostPaintControls.Empty();
        DeferDelete(m_pRoot);
    }
    m_pRoot = root;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    return RegisterTree(root);
}

bool CWindowManagerUI::RegisterTree(CControlUI* control, CContainerUI* parent) {
    if (control == nullptr) return false;
    control->AttachTo(this, parent != nullptr ? parent : control->Parent(), true);
    control->Find(
        [](CControlUI* found, LPVOID data) -> CControlUI* {
            const CUIString name = found->Name();
            if (!name.IsEmpty()) static_cast<CUIStringMap*>(data)->Set(name, found);
            return nullptr;
        },
        &m_mNameHash, kFindAll);
    return true;
}

CControlUI* CWindowManagerUI::FindControl(LPCWSTR name) const {
    if (name == nullptr) return nullptr;
    return static_cast<CControlUI*>(m_mNameHash.Find(name));
}

CControlUI* CWindowManagerUI::FindControl(POINT pt) const {
    if (m_pRoot == nullptr) return nullptr;
    return m_pRoot->Find([](CControlUI* control, LPVOID) { return control; }, &pt,
                         kFindVisible | kFindHitTest | kFindTopFirst);
}

void CWindowManagerUI::ForgetControl(CControlUI* control) {
    if (control == nullptr) return;
    for (CControlUI** held : {&m_pEventKey, &m_pEventHover, &m_pEventClick, &m_pFocus,
                              &m_pContextMenuTarget}) {
        if (*held == control) *held = nullptr;
    }
    KillTimer(control);
    const CUIString name = control->Name();
    if (!name.IsEmpty() && m_mNameHash.Find(name) == control) m_mNameHash.Remove(name);
    for (const auto& msg : m_asyncNotify)
        if (msg->pSender == control) msg->pSender = nullptr;
    // A destroyed control must not be painted again as an overlay.
    RemoveFirst(m_aPostPaintControls, control);
}

void CWindowManagerUI::DeferDelete(CControlUI* control) {
    if (control == nullptr) return;
    control->AttachTo(this, nullptr, false);
    if (m_aDelayedCleanup.Find(control) < 0) m_aDelayedCleanup.Add(control);
    if (m_hWndPaint != nullptr) ::PostMessageW(m_hWndPaint, kMsgDeferredDelete, 0, 0);
}

void CWindowManagerUI::DeleteDeferredControls() {
    // Taken out first: deleting a control may defer the deletion of others.
    while (!m_aDelayedCleanup.IsEmpty()) {
        CUIPtrArray batch = std::move(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < batch.GetSize(); ++i) delete static_cast<CControlUI*>(batch.GetAt(i));
    }
}

void CWindowManagerUI::Invalidate(const RECT& rc) {
    // A null window would make InvalidateRect repaint every window of the desktop.
    if (m_hWndPaint != nullptr) ::InvalidateRect(m_hWndPaint, &rc, FALSE);
}

// ---- Option groups --------------------------------------------------------------------------

bool CWindowManagerUI::AddOptionGroup(LPCWSTR group, CControlUI* option) {
    if (group == nullptr || *group == L'\0' || option == nullptr) return false;
    if (CUIPtrArray* members = GetOptionGroup(group)) {
        if (members->Find(option) >= 0) return false;
        return members->Add(option);
    }
    auto members = std::make_unique<CUIPtrArray>();
    if (!members->Add(option)) return false;
    return m_mOptionGroup.Set(group, std::move(members)) != nullptr;
}

CUIPtrArray* CWindowManagerUI::GetOptionGroup(LPCWSTR group) const {
    if (group == nullptr) return nullptr;
    return m_mOptionGroup.Find(group);
}

void CWindowManagerUI::RemoveOptionGroup(LPCWSTR group, CControlUI* option) {
    CUIPtrArray* members = GetOptionGroup(group);
    if (members == nullptr) return;
    RemoveFirst(*members, option);
    if (members->IsEmpty()) m_mOptionGroup.Remove(group);
}

void CWindowManagerUI::RemoveAllOptionGroups() { m_mOptionGroup.RemoveAll(); }

// ---- Listener lists -------------------------------------------------------------------------

bool CWindowManagerUI::AddNotifier(INotifyUI* notifier) { return m_aNotifiers.Add(notifier); }
bool CWindowManagerUI::RemoveNotifier(INotifyUI* notifier) {
    return RemoveFirst(m_aNotifiers, notifier);
}
bool CWindowManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
    return m_aPreMessageFilters.Add(filter);
}
bool CWindowManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
    return RemoveFirst(m_aPreMessageFilters, filter);
}
bool CWindowManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    return m_aMessageFilters.Add(filter);
}
bool CWindowManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
    return RemoveFirst(m_aMessageFilters, filter);
}
bool CWindowManagerUI::AddTranslateAccelerator(ITranslateAccelerator* translator) {
    return m_aTranslateAccelerators.Add(translator);
}
bool CWindowManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* translator) {
    return RemoveFirst(m_aTranslateAccelerators, translator);
}
bool CWindowManagerUI::AddOverlay(CControlUI* control) {
    return control != nullptr && m_aPostPaintControls.Add(control);
}
bool CWindowManagerUI::RemoveOverlay(CControlUI* control) {
    return RemoveFirst(m_aPostPaintControls, control);
}

// ---- Window settings ------------------------------------------------------------------------

void CWindowManagerUI::SetInitialSize(SIZE size) {
    m_szInitWindowSize = size;
    if (m_pRoot == nullptr && m_hWndPaint != nullptr)
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, size.cx, size.cy,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CWindowManagerUI::SetResizeBorders(const RECT& borders) { m_rcSizeBox = borders; }
void CWindowManagerUI::SetCaptionBand(const RECT& caption) { m_rcCaption = caption; }
void CWindowManagerUI::SetCornerEllipse(SIZE ellipse) { m_szRoundCorner = ellipse; }
void CWindowManagerUI::SetMinTrackSize(SIZE size) { m_szMinWindow = size; }
void CWindowManagerUI::SetMaxTrackSize(SIZE size) { m_szMaxWindow = size; }
void CWindowManagerUI::SetShowDirty(bool show) { m_bShowUpdateRect = show; }
void CWindowManagerUI::SetCopyBackdrop(bool copy) { m_bBackgroundTransparent = copy; }
void CWindowManagerUI::SetDragMovesParent(bool moves) { m_bMoveParentWindow = moves; }
void CWindowManagerUI::SetPerPixelAlpha(bool alpha) { m_bAlphaPaint = alpha; }
void CWindowManagerUI::SetPlaceholderImage(LPCWSTR image) { m_strAnimateImage = image; }

void CWindowManagerUI::SetOpacity(int opacity) {
    const bool layered = opacity >= 0 && opacity <= 255;
    m_nOpacity = static_cast<BYTE>(opacity < 0 ? 0 : (opacity > 255 ? 255 : opacity));
    if (m_hWndPaint == nullptr) return;
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    if (!layered) {
        ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        return;
    }
    // Looked up at run time, as the layered-window functions of user32 always were.
    using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    static const auto setLayered = reinterpret_cast<SetLayeredFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
    if (setLayered == nullptr) return;
    ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, style | WS_EX_LAYERED);
    setLayered(m_hWndPaint, 0, m_nOpacity, LWA_ALPHA);
}

// ---- Focus ----------------------------------------------------------------------------------

void CWindowManagerUI::SendFocusEvent(CControlUI* control, int kind, CControlUI* other) {
    TControlEvent event;
    event.nKind = kind;
    event.pSender = other;
    event.dwTimestamp = ::GetTickCount();
    control->HandleEvent(event);
}

void CWindowManagerUI::DropFocus(CControlUI* next) {
    CControlUI* old = m_pFocus;
    if (old == nullptr) return;
    SendFocusEvent(old, kEventKillFocus, next);
    // The event may have destroyed the control (it is then forgotten): no notification.
    if (m_pFocus == old) SendNotification(old, L"killfocus");
    m_pFocus = nullptr;
}

void CWindowManagerUI::SetFocus(CControlUI* control) {
    if (m_hWndPaint != nullptr && ::GetFocus() != m_hWndPaint && control != m_pFocus)
        ::SetFocus(m_hWndPaint);
    if (control == m_pFocus) return;
    DropFocus(control);
    if (control == nullptr || control->Manager() != this || !control->IsVisible() ||
        !control->IsEnabled())
        return;
    m_pFocus = control;
    SendFocusEvent(control, kEventSetFocus, control);
    if (m_pFocus != control) return;
    // Before the notification, whose handlers may destroy the control.
    NotifyAccessible(EVENT_OBJECT_FOCUS, control);
    SendNotification(control, L"setfocus");
}

CControlUI* CWindowManagerUI::FindTabStop(CControlUI* from, bool forward, CControlUI* root) {
    if (root == nullptr) return nullptr;
    TTabSearch search{from, nullptr, forward, false};
    CControlUI* found = root->Find(FindTabStopVisitor, &search, kTabSearchFlags);
    if (found != nullptr) return found;
    if (!forward) return search.last;  // the last tab stop overall
    // Nothing after the focused control: the first tab stop overall.
    TTabSearch first{nullptr, nullptr, true, false};
    return root->Find(FindTabStopVisitor, &first, kTabSearchFlags);
}

bool CWindowManagerUI::MoveTabFocus(bool forward) {
    if (m_bUpdateNeeded) {
        // The tree is laid out at the next paint, which then takes the step.
        m_bFocusNeeded = true;
        if (m_hWndPaint != nullptr) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    CControlUI* next = FindTabStop(m_pFocus, forward, m_pRoot);
    m_bFocusNeeded = false;
    if (next != nullptr) SetFocus(next);
    return true;
}

void CWindowManagerUI::QueueFocus(CControlUI* control) {
    if (m_hWndPaint != nullptr) ::SetFocus(m_hWndPaint);
    DropFocus(control);
    // The forward step at the next paint goes from the tab stop before control to control.
    m_pFocus = FindTabStop(control, false, m_pRoot);
    m_bFocusNeeded = true;
    if (m_pRoot != nullptr) m_pRoot->MarkForLayout();
}

// ---- Notifications --------------------------------------------------------------------------

void CWindowManagerUI::SendNotification(CControlUI* control, LPCWSTR type, WPARAM wParam,
                                        LPARAM lParam, bool async) {
    TNotifyMsg msg;
    msg.pSender = control;
    msg.strType = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotification(msg, async);
}

void CWindowManagerUI::SendNotification(TNotifyMsg& msg, bool async) {
    msg.dwTimestamp = ::GetTickCount();
    msg.ptMouse = m_ptLastMousePos;
    if (m_bUsedVirtualWnd && msg.pSender != nullptr)
        msg.strVirtualWnd = msg.pSender->VirtualWindowName();
    if (async)
        m_asyncNotify.push_back(std::make_unique<TNotifyMsg>(msg));
    else
        DeliverNotification(msg);
}

void CWindowManagerUI::DeliverNotification(TNotifyMsg& msg) {
    if (msg.pSender != nullptr && !msg.pSender->NotifyListeners().IsEmpty())
        msg.pSender->NotifyListeners().Invoke(&msg);
    // Notifiers may add or remove notifiers while they run: the list is read as it is now.
    for (int i = 0; i < m_aNotifiers.GetSize(); ++i)
        static_cast<INotifyUI*>(m_aNotifiers.GetAt(i))->Notify(msg);
}

void CWindowManagerUI::DrainAsyncNotifications() {
    // One at a time from the front: a notifier may send more, or destroy a sender whose
    // pending notifications must then carry a null sender.
    while (!m_asyncNotify.empty()) {
        std::unique_ptr<TNotifyMsg> msg = std::move(m_asyncNotify.front());
        m_asyncNotify.erase(m_asyncNotify.begin());
        DeliverNotification(*msg);
    }
}

// ---- Pre-translation ------------------------------------------------------------------------

bool CWindowManagerUI::TranslateAccelerator(MSG* msg) {
    for (int i = 0; i < m_aTranslateAccelerators.GetSize(); ++i) {
        auto* translator = static_cast<ITranslateAccelerator*>(m_aTranslateAccelerators.GetAt(i));
        if (translator->TranslateAccelerator(msg) == 0) return true;
    }
    return false;
}

bool CWindowManagerUI::PreHandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                              LRESULT& result) {
    for (int i = 0; i < m_aPreMessageFilters.GetSize(); ++i) {
        bool handled = false;
        auto* filter = static_cast<IMessageFilterUI*>(m_aPreMessageFilters.GetAt(i));
        const LRESULT answer = filter->HandleWindowMessage(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    switch (message) {
    case WM_KEYDOWN:
        return wParam == VK_TAB && PreHandleTab();
    case WM_SYSKEYDOWN:
        if (m_pFocus != nullptr) {
            TControlEvent event;
            event.nKind = kEventSysKey;
            event.pSender = m_pFocus;
            event.chKey = static_cast<wchar_t>(wParam);
            event.ptMouse = m_ptLastMousePos;
            event.wKeyState = KeyStateBits();
            event.dwTimestamp = ::GetTickCount();
            m_pFocus->HandleEvent(event);
        }
        // Alt+F4 goes on to the window (it closes it); every other Alt+key stops here.
        return wParam != VK_F4;
    case WM_SYSCHAR:
        return SysCharShortcut(static_cast<wchar_t>(wParam));
    default:
        return false;
    }
}

bool CWindowManagerUI::PreHandleTab() {
    if (m_pFocus != nullptr && m_pFocus->IsVisible() && m_pFocus->IsEnabled()) {
        // Controls that take Tab as input keep it.
        const LPCWSTR className = m_pFocus->ClassName();
        if (wcsstr(className, L"RichEditUI") != nullptr &&
            m_pFocus->QueryAttribute(L"wanttab") == L"true")
            return false;
        if (wcsstr(className, L"WkeWindowlessUI") != nullptr) return false;
    }
    MoveTabFocus(::GetKeyState(VK_SHIFT) >= 0);
    return true;
}

namespace {

struct TShortcutSearch {
    wchar_t ch;
    bool pickNext;  // a label had the shortcut: the control after it takes it
};

wchar_t UpperCase(wchar_t ch) { return static_cast<wchar_t>(towupper(ch)); }

CControlUI* FindShortcutVisitor(CControlUI* control, LPVOID data) {
    auto* search = static_cast<TShortcutSearch*>(data);
    if (search->pickNext) return control;
    if (!control->IsVisible()) return nullptr;
    const wchar_t shortcut = control->Shortcut();
    if (shortcut == 0 || UpperCase(shortcut) != search->ch) return nullptr;
    if (wcsstr(control->ClassName(), L"LabelUI") != nullptr) {
        search->pickNext = true;
        return nullptr;
    }
    return control;
}

}  // namespace

bool CWindowManagerUI::SysCharShortcut(wchar_t ch) {
    if (m_pRoot == nullptr) return true;
    TShortcutSearch search{UpperCase(ch), false};
    CControlUI* found =
        m_pRoot->Find(FindShortcutVisitor, &search, kFindMeFirst | kFindTopFirst | kFindEnabled);
    if (found != nullptr) {
        found->RequestFocus();
        found->CanActivate();
    }
    return true;
}

bool CWindowManagerUI::PreTranslate(MSG* msg) {
    LRESULT result = 0;
    auto decides = [&](CWindowManagerUI* manager) {
        return manager->TranslateAccelerator(msg) ||
               manager->PreHandleWindowMessage(msg->message, msg->wParam, msg->lParam, result);
    };
    const LONG_PTR style = ::GetWindowLongPtrW(msg->hwnd, GWL_STYLE);
    if (msg->hwnd != nullptr && (style & WS_CHILD) != 0) {
        // A child window's message goes to the managers of its ancestor windows, newest first.
        // A manager may go away while it decides: the list is read afresh each time.
        for (int i = LiveManagers().GetSize() - 1; i >= 0; --i) {
            CWindowManagerUI* manager = ManagerAt(i);
            if (manager == nullptr) continue;
            for (HWND wnd = msg->hwnd; wnd != nullptr; wnd = ::GetParent(wnd)) {
                if (wnd != manager->m_hWndPaint) continue;
                if (decides(manager)) return true;
                break;
            }
        }
        return false;
    }
    for (int i = 0; i < LiveManagers().GetSize(); ++i) {
        CWindowManagerUI* manager = ManagerAt(i);
        if (manager != nullptr && msg->hwnd == manager->m_hWndPaint) return decides(manager);
    }
    return false;
}

void CWindowManagerUI::MessageLoop() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslate(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace SkinUI
