// The window manager's side of accessibility: answering WM_GETOBJECT with the client area's
// accessible object, raising WinEvents for controls, and running a client's default action
// from the message loop.

#include <oleacc.h>

#include "ui/core/manager/ControlAccessible.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

void CWindowManagerUI::NotifyAccessible(DWORD event, const CControlUI* control) const {
    if (m_hWndPaint == nullptr || control == nullptr) return;
    const LONG child = control == m_pRoot ? CHILDID_SELF : -control->AccessibleId();
    ::NotifyWinEvent(event, m_hWndPaint, OBJID_CLIENT, child);
}

bool CWindowManagerUI::PostAccessibleAction(const CControlUI& control) {
    return m_hWndPaint != nullptr &&
           ::PostMessageW(m_hWndPaint, kMsgAccessibleAction, 0, control.AccessibleId()) != FALSE;
}

bool CWindowManagerUI::OnGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The object id is a 32-bit value that arrives sign-extended or not, depending on the caller.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || m_pRoot == nullptr)
        return false;
    result = ::LresultFromObject(__uuidof(IAccessible), wParam, &m_pRoot->AccessibleObject());
    return true;
}

// The control may have gone between the client's call and now: it is looked up by its id.
void CWindowManagerUI::RunAccessibleAction(LONG id) {
    CControlUI* control = m_pRoot != nullptr ? FindAccessibleId(*m_pRoot, id) : nullptr;
    if (control != nullptr) control->DoAccessibleDefaultAction();
}

}  // namespace SkinUI
