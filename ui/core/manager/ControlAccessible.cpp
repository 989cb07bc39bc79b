// The IAccessible object of a control and the window manager's table of them.

#include "ui/core/manager/ControlAccessible.h"

#include <oleauto.h>

#include <climits>
#include <utility>

#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/WindowManager.h"

namespace SkinUI {

namespace {

IContainerUI* ChildListOf(const CControlUI& control) {
    // InterfaceByName only looks the interface up; it changes nothing.
    return static_cast<IContainerUI*>(
        const_cast<CControlUI&>(control).InterfaceByName(L"IContainer"));
}

int ChildCountOf(const CControlUI& control) {
    const IContainerUI* children = ChildListOf(control);
    return children != nullptr ? children->Count() : 0;
}

CControlUI* ChildAt(const CControlUI& control, int index) {
    const IContainerUI* children = ChildListOf(control);
    return children != nullptr ? children->ItemAt(index) : nullptr;
}

int IndexInParent(const CControlUI& control, const CControlUI& parent) {
    const IContainerUI* children = ChildListOf(parent);
    return children != nullptr ? children->IndexOf(const_cast<CControlUI*>(&control)) : -1;
}

// Whether ancestor is control or one of its accessible ancestors.
bool IsAccessibleAncestor(const CControlUI& ancestor, const CControlUI* control) {
    for (; control != nullptr; control = AccessibleParentOf(*control))
        if (control == &ancestor) return true;
    return false;
}

// The child of ancestor on the way down to control (or control when it is a child already).
CControlUI* ChildTowards(const CControlUI& ancestor, CControlUI* control) {
    for (CControlUI* parent = control; parent != nullptr; parent = AccessibleParentOf(*parent)) {
        if (AccessibleParentOf(*parent) == &ancestor) return parent;
    }
    return nullptr;
}

HRESULT PutText(const CUIString& text, BSTR* out) {
    *out = nullptr;
    if (text.IsEmpty()) return S_FALSE;
    *out = ::SysAllocString(text);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void PutEmpty(VARIANT* out) {
    ::VariantInit(out);
    out->vt = VT_EMPTY;
}

void PutLong(VARIANT* out, LONG value) {
    ::VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
}

// The state every control shares; the family adds its own bits (AccessibleState).
DWORD CommonState(const CControlUI& control, const CWindowManagerUI& manager) {
    DWORD state = control.AccessibleState();
    const bool visible = control.IsVisible();
    const bool enabled = control.IsEnabled();
    // A control without area is not shown either (the rows of a closed drop-down list).
    const RECT rc = control.Rect();
    if (!visible || rc.right <= rc.left || rc.bottom <= rc.top) state |= STATE_SYSTEM_INVISIBLE;
    if (!enabled) state |= STATE_SYSTEM_UNAVAILABLE;
    if (visible && enabled && (control.ControlFlags() & kControlFlagTabStop) != 0)
        state |= STATE_SYSTEM_FOCUSABLE;
    const bool windowFocused = ::GetFocus() == manager.GetPaintWindow();
    if (windowFocused && manager.GetFocus() == &control) state |= STATE_SYSTEM_FOCUSED;
    if (&control == manager.GetRoot()) {
        state |= STATE_SYSTEM_FOCUSABLE;
        if (windowFocused && manager.GetFocus() == nullptr) state |= STATE_SYSTEM_FOCUSED;
    }
    return state;
}

}  // namespace

CControlUI* AccessibleParentOf(const CControlUI& control) {
    CControlUI* found = nullptr;
    for (CControlUI* ancestor = control.Parent(); ancestor != nullptr;
         ancestor = ancestor->Parent())
        if (IndexInParent(control, *ancestor) >= 0) found = ancestor;
    return found;
}

CControlUI* FindAccessibleId(CControlUI& root, LONG id) {
    return root.Find(
        [](CControlUI* control, LPVOID data) -> CControlUI* {
            return control->AccessibleId() == *static_cast<LONG*>(data) ? control : nullptr;
        },
        &id, kFindAll);
}

// ---- CControlAccessibleUI ---------------------------------------------------------------------

CControlAccessibleUI::CControlAccessibleUI(CControlUI& control) : m_pControl(&control) {}

void CControlAccessibleUI::Disconnect() { m_pControl = nullptr; }

CWindowManagerUI* CControlAccessibleUI::Manager() const {
    return m_pControl != nullptr ? m_pControl->Manager() : nullptr;
}

HRESULT CControlAccessibleUI::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CControlAccessibleUI::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_cRef)); }

ULONG CControlAccessibleUI::Release() {
    const LONG count = ::InterlockedDecrement(&m_cRef);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT CControlAccessibleUI::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CControlAccessibleUI::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT CControlAccessibleUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}
HRESULT CControlAccessibleUI::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT CControlAccessibleUI::Resolve(const VARIANT& child, CControlUI*& control) const {
    control = nullptr;
    if (Manager() == nullptr) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    // The id comes from a client, maybe in another process: it is checked against the range
    // of ids before anything is computed from it. Event ids are negated AccessibleIds (which
    // are positive), so LONG_MIN, whose negation does not exist, names nothing.
    const LONG id = child.lVal;
    if (id < -LONG_MAX || id > ChildCountOf(*m_pControl)) return E_INVALIDARG;
    if (id == CHILDID_SELF) control = m_pControl;
    else if (id > 0) control = ChildAt(*m_pControl, id - 1);
    else control = FindAccessibleId(*m_pControl, -id);
    return control != nullptr ? S_OK : E_INVALIDARG;
}

template <class Read>
HRESULT CControlAccessibleUI::ReadText(const VARIANT& child, BSTR* out, Read read) const {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    CControlUI* control = nullptr;
    const HRESULT hr = Resolve(child, control);
    if (FAILED(hr)) return hr;
    // Texts may name entries of the window's string table ("%{N}"): a reader gets what the
    // window shows.
    CUIString text = read(*control);
    CWindowManagerUI::ExpandTextTokens(text);
    return PutText(text, out);
}

void CControlAccessibleUI::PutControl(CControlUI& control, VARIANT* out) const {
    if (&control == m_pControl) {
        PutLong(out, CHILDID_SELF);
        return;
    }
    ::VariantInit(out);
    out->vt = VT_DISPATCH;
    out->pdispVal = &control.AccessibleObject();
    out->pdispVal->AddRef();
}

HRESULT CControlAccessibleUI::get_accParent(IDispatch** parent) {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (Manager() == nullptr) return CO_E_OBJNOTCONNECTED;
    // The root stands for the client area, whose parent is the window's own object.
    if (m_pControl == Manager()->GetRoot())
        return ::AccessibleObjectFromWindow(Manager()->GetPaintWindow(), OBJID_WINDOW,
                                            IID_IDispatch, reinterpret_cast<void**>(parent));
    CControlUI* above = AccessibleParentOf(*m_pControl);
    if (above == nullptr) return S_FALSE;
    *parent = &above->AccessibleObject();
    (*parent)->AddRef();
    return S_OK;
}

HRESULT CControlAccessibleUI::get_accChildCount(long* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (Manager() == nullptr) return CO_E_OBJNOTCONNECTED;
    *count = ChildCountOf(*m_pControl);
    return S_OK;
}

HRESULT CControlAccessibleUI::get_accChild(VARIANT child, IDispatch** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    CControlUI* control = nullptr;
    const HRESULT hr = Resolve(child, control);
    if (FAILED(hr)) return hr;
    if (control == m_pControl) return E_INVALIDARG;
    *object = &control->AccessibleObject();
    (*object)->AddRef();
    return S_OK;
}

HRESULT CControlAccessibleUI::get_accName(VARIANT child, BSTR* name) {
    return ReadText(child, name, [this](const CControlUI& control) {
        CUIString text = control.AccessibleName();
        // The client area without a text of its own is named after its window.
        if (text.IsEmpty() && &control == Manager()->GetRoot()) {
            wchar_t title[256] = L"";
            ::GetWindowTextW(Manager()->GetPaintWindow(), title, 256);
            text = title;
        }
        return text;
    });
}

HRESULT CControlAccessibleUI::get_accValue(VARIANT child, BSTR* value) {
    return ReadText(child, value,
                    [](const CControlUI& control) { return control.AccessibleValue(); });
}

// The tool tip, when it is not already the name.
HRESULT CControlAccessibleUI::get_accDescription(VARIANT child, BSTR* description) {
    return ReadText(child, description, [](const CControlUI& control) {
        const CUIString tip = control.ToolTip();
        return tip == control.AccessibleName() ? CUIString() : tip;
    });
}

HRESULT CControlAccessibleUI::get_accRole(VARIANT child, VARIANT* role) {
    if (role == nullptr) return E_POINTER;
    PutEmpty(role);
    CControlUI* control = nullptr;
    const HRESULT hr = Resolve(child, control);
    if (FAILED(hr)) return hr;
    PutLong(role, control == Manager()->GetRoot() ? ROLE_SYSTEM_CLIENT : control->AccessibleRole());
    return S_OK;
}

HRESULT CControlAccessibleUI::get_accState(VARIANT child, VARIANT* state) {
    if (state == nullptr) return E_POINTER;
    PutEmpty(state);
    CControlUI* control = nullptr;
    const HRESULT hr = Resolve(child, control);
    if (FAILED(hr)) return hr;
    PutLong(state, static_cast<LONG>(CommonState(*control, *Manager())));
    return S_OK;
}

HRESULT CControlAccessibleUI::get_accHelp(VARIANT child, BSTR* help) {
    return ReadText(child, help, [](const CControlUI&) { return CUIString(); });
}

HRESULT CControlAccessibleUI::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = -1;
    return Manager() != nullptr ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}

HRESULT CControlAccessibleUI::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return ReadText(child, shortcut, [](const CControlUI& control) {
        const wchar_t key = control.Shortcut();
        return key == 0 ? CUIString() : CUIString(L"Alt+") + CUIString(key);
    });
}

HRESULT CControlAccessibleUI::get_accFocus(VARIANT* focus) {
    if (focus == nullptr) return E_POINTER;
    PutEmpty(focus);
    if (Manager() == nullptr) return CO_E_OBJNOTCONNECTED;
    if (::GetFocus() != Manager()->GetPaintWindow()) return S_FALSE;
    CControlUI* focused = Manager()->GetFocus();
    if (focused == nullptr && m_pControl == Manager()->GetRoot()) focused = m_pControl;
    if (focused == nullptr || !IsAccessibleAncestor(*m_pControl, focused)) return S_FALSE;
    PutControl(*focused, focus);
    return S_OK;
}

HRESULT CControlAccessibleUI::get_accSelection(VARIANT* selection) {
    if (selection == nullptr) return E_POINTER;
    PutEmpty(selection);
    return Manager() != nullptr ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT CControlAccessibleUI::get_accDefaultAction(VARIANT child, BSTR* action) {
    return ReadText(child, action,
                    [](const CControlUI& control) { return control.AccessibleDefaultAction(); });
}

HRESULT CControlAccessibleUI::accSelect(long flags, VARIANT child) {
    CControlUI* control = nullptr;
    const HRESULT hr = Resolve(child, control);
    if (FAILED(hr)) return hr;
    if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
    Manager()->SetFocus(control);
    return Manager()->GetFocus() == control ? S_OK : S_FALSE;
}

HRESULT CControlAccessibleUI::accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    CControlUI* control = nullptr;
    const HRESULT hr = Resolve(child, control);
    if (FAILED(hr)) return hr;
    const RECT rc = control->Rect();
    POINT origin{rc.left, rc.top};
    ::ClientToScreen(Manager()->GetPaintWindow(), &origin);
    *left = origin.x;
    *top = origin.y;
    *width = rc.right - rc.left;
    *height = rc.bottom - rc.top;
    return S_OK;
}

HRESULT CControlAccessibleUI::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (end == nullptr) return E_POINTER;
    PutEmpty(end);
    CControlUI* from = nullptr;
    const HRESULT hr = Resolve(start, from);
    if (FAILED(hr)) return hr;
    CControlUI* found = nullptr;
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        const int count = ChildCountOf(*from);
        if (count > 0) found = ChildAt(*from, direction == NAVDIR_FIRSTCHILD ? 0 : count - 1);
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) {
        if (CControlUI* parent = AccessibleParentOf(*from))
            found = ChildAt(*parent, IndexInParent(*from, *parent) +
                                         (direction == NAVDIR_NEXT ? 1 : -1));
    } else {
        return E_NOTIMPL;  // spatial directions
    }
    if (found == nullptr) return S_FALSE;
    ::VariantInit(end);
    end->vt = VT_DISPATCH;
    end->pdispVal = &found->AccessibleObject();
    end->pdispVal->AddRef();
    return S_OK;
}

HRESULT CControlAccessibleUI::accHitTest(long x, long y, VARIANT* child) {
    if (child == nullptr) return E_POINTER;
    PutEmpty(child);
    if (Manager() == nullptr) return CO_E_OBJNOTCONNECTED;
    POINT pt{x, y};
    ::ScreenToClient(Manager()->GetPaintWindow(), &pt);
    const RECT own = m_pControl->Rect();
    if (!::PtInRect(&own, pt)) return S_FALSE;
    CControlUI* hit = Manager()->FindControl(pt);
    CControlUI* below = hit != nullptr ? ChildTowards(*m_pControl, hit) : nullptr;
    PutControl(below != nullptr ? *below : *m_pControl, child);
    return S_OK;
}

// The action runs from the window's message loop, after the client's call has returned: a
// click may start modal work (a drop-down, a dialog) that must not run inside the COM call.
HRESULT CControlAccessibleUI::accDoDefaultAction(VARIANT child) {
    CControlUI* control = nullptr;
    const HRESULT hr = Resolve(child, control);
    if (FAILED(hr)) return hr;
    if (control->AccessibleDefaultAction().IsEmpty()) return DISP_E_MEMBERNOTFOUND;
    if (!control->IsVisible() || !control->IsEnabled()) return E_FAIL;
    return Manager()->PostAccessibleAction(*control) ? S_OK : E_FAIL;
}

HRESULT CControlAccessibleUI::put_accName(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }
HRESULT CControlAccessibleUI::put_accValue(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }

}  // namespace SkinUI
