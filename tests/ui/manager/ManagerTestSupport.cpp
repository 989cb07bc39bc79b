#include "tests/ui/manager/ManagerTestSupport.h"

#include <algorithm>

#include "ui/core/base/UIGeometry.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;

namespace manager_test {

// ---- Probe control ------------------------------------------------------------------------------

CProbeControl::CProbeControl(LPCWSTR name, std::vector<TSeenEvent>* journal, bool tabStop)
    : m_journal(journal), m_bTabStop(tabStop) {
    SetName(name);
}

UINT CProbeControl::ControlFlags() const {
    return m_bTabStop && IsKeyboardEnabled() ? kControlFlagTabStop : 0;
}

void CProbeControl::ProcessEvent(TControlEvent& event) {
    // Only the events sent to this control are recorded, not those bubbling up from children.
    if (m_journal != nullptr && event.pSender == this)
        m_journal->push_back(TSeenEvent{Name().GetData(), event.nKind, event.wParam, event.ptMouse});
    if (event.pSender == this && event.nKind == kEventButtonDown) m_bPressed = true;
    if (event.pSender == this && event.nKind == kEventButtonUp) {
        const bool inside = RectContains(Rect(), event.ptMouse);
        if (m_bPressed && inside && Manager() != nullptr) Manager()->SendNotification(this, L"click");
        m_bPressed = false;
    }
    CControlUI::ProcessEvent(event);
}

void CProbeControl::Paint(HDC hDC, const RECT& dirty) {
    m_painted.push_back(dirty);
    CControlUI::Paint(hDC, dirty);
}

// ---- Notification journal -----------------------------------------------------------------------

void CNotifyJournal::Notify(TNotifyMsg& msg) {
    std::wstring sender = msg.pSender != nullptr ? msg.pSender->Name().GetData() : L"-";
    entries.push_back(std::wstring(msg.strType.GetData()) + L" " + sender);
    if (onNotify) onNotify(msg);
}

int CNotifyJournal::Count(const std::wstring& entry) const {
    return static_cast<int>(std::count(entries.begin(), entries.end(), entry));
}

// ---- Host window --------------------------------------------------------------------------------

CHostWindow::CHostWindow(const wchar_t* className, const RECT& screenRect) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);
    m_hWnd.Reset(::CreateWindowExW(0, className, className, WS_POPUP | WS_VISIBLE,
                                   screenRect.left, screenRect.top, RectWidth(screenRect),
                                   RectHeight(screenRect), nullptr, nullptr, wc.hInstance, this));
    ::SetWindowLongPtrW(m_hWnd.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_manager.Init(m_hWnd.Get());
    ::SetForegroundWindow(m_hWnd.Get());
}

CHostWindow::~CHostWindow() {
    // The window procedure must not reach this object while the window goes.
    if (::IsWindow(m_hWnd.Get())) ::SetWindowLongPtrW(m_hWnd.Get(), GWLP_USERDATA, 0);
    m_hWnd.Reset();
}

LRESULT CALLBACK CHostWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CHostWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (self->beforeManager && self->beforeManager(message, wParam, lParam)) return 0;
    LRESULT result = 0;
    const bool handled = self->m_manager.HandleWindowMessage(message, wParam, lParam, result);
    if (self->afterManager) self->afterManager(message);
    return handled ? result : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

bool CHostWindow::PumpUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CWindowManagerUI::PreTranslate(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (predicate()) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void CHostWindow::Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

void CHostWindow::PaintNow() {
    Pump(50);
    ::RedrawWindow(m_hWnd.Get(), nullptr, nullptr, RDW_UPDATENOW);
    ::GdiFlush();
}

std::vector<DWORD> CHostWindow::ReadClient(int* width, int* height) {
    RECT client{};
    ::GetClientRect(m_hWnd.Get(), &client);
    *width = RectWidth(client);
    *height = RectHeight(client);
    CDibSurfaceUI surface(*width, *height);
    if (!surface.IsValid()) return {};
    const bxutil::CWindowDC window(m_hWnd.Get());
    ::BitBlt(surface.DC(), 0, 0, *width, *height, window.Get(), 0, 0, SRCCOPY);
    ::GdiFlush();
    return std::vector<DWORD>(surface.Bits(), surface.Bits() + surface.PixelCount());
}

}  // namespace manager_test
