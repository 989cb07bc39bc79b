// The window manager's control timers: each control timer is a Win32 timer of the manager's
// window under an identifier of the manager's own, so that controls may reuse local ids freely.

#include "ui/core/manager/WindowManager.h"

#include "ui/core/manager/ControlUI.h"

namespace SkinUI {

bool CWindowManagerUI::SetTimer(CControlUI* control, UINT localId, UINT elapse) {
    // Without a window SetTimer would make a thread timer with an identifier of its own.
    if (control == nullptr || m_hWndPaint == nullptr) return false;
    for (TTimerEntry& entry : m_timers) {
        if (entry.pSender != control || entry.hWnd != m_hWndPaint || entry.nLocalId != localId)
            continue;
        if (!entry.bKilled) return false;
        if (::SetTimer(m_hWndPaint, entry.uWinTimer, elapse, nullptr) == 0) return false;
        entry.bKilled = false;
        return true;
    }
    ++m_uTimerID;
    if (m_uTimerID >= 0xFFFFFFFEu) m_uTimerID = 0x1000;
    if (::SetTimer(m_hWndPaint, m_uTimerID, elapse, nullptr) == 0) return false;
    m_timers.push_back(TTimerEntry{control, localId, m_hWndPaint, m_uTimerID, false});
    return true;
}

void CWindowManagerUI::StopTimer(TTimerEntry& entry) {
    if (!entry.bKilled && ::IsWindow(entry.hWnd)) ::KillTimer(entry.hWnd, entry.uWinTimer);
    entry.bKilled = true;
}

bool CWindowManagerUI::KillTimer(CControlUI* control, UINT localId) {
    for (TTimerEntry& entry : m_timers) {
        if (entry.pSender == control && entry.hWnd == m_hWndPaint && entry.nLocalId == localId &&
            !entry.bKilled) {
            StopTimer(entry);  // the entry stays for a restart under the same Win32 id
            return true;
        }
    }
    return false;
}

void CWindowManagerUI::KillTimer(CControlUI* control) {
    RemoveTimersIf([&](const TTimerEntry& entry) { return entry.pSender == control; });
}

void CWindowManagerUI::RemoveAllTimers() {
    RemoveTimersIf([](const TTimerEntry&) { return true; });
}

template <class Predicate>
void CWindowManagerUI::RemoveTimersIf(Predicate matches) {
    for (size_t i = 0; i < m_timers.size();) {
        TTimerEntry& entry = m_timers[i];
        if (entry.hWnd == m_hWndPaint && matches(entry)) {
            StopTimer(entry);
            m_timers.erase(m_timers.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void CWindowManagerUI::OnTimer(WPARAM winTimer) {
    for (const TTimerEntry& entry : m_timers) {
        if (entry.hWnd != m_hWndPaint || entry.uWinTimer != winTimer || entry.bKilled) continue;
        // The handler may change the timer list: what it needs is copied first.
        CControlUI* control = entry.pSender;
        TControlEvent event;
        event.nKind = kEventTimer;
        event.pSender = control;
        event.dwTimestamp = ::GetTickCount();
        event.wParam = entry.nLocalId;
        control->HandleEvent(event);
        return;
    }
}

}  // namespace SkinUI
