#pragma once
// What accessibility clients (screen readers, test tools) see of a skinned window: every control
// is drawn by the framework and has no window of its own, so the window answers WM_GETOBJECT
// with an IAccessible tree built from the controls. The root control stands for the window's
// client area; a control's accessible children are the items of its child list ("IContainer"),
// so a list shows its rows and a combo box its entries.
//
// CControlAccessibleUI is the COM object of one control, made by the control on first use
// (CControlUI::AccessibleObject). It refers to its control without owning it and reaches the
// window through the control's current manager; the control cuts that link when it is
// destroyed (so also when its window's manager deletes the tree), and a client that still holds
// the object then gets CO_E_OBJNOTCONNECTED from every call instead of touching freed memory.
//
// Child ids: 0 is the object itself, 1..n its children by position, and a negative id names any
// control below it by its AccessibleId (the ids that NotifyWinEvent reports). Everything runs on
// the UI thread: COM calls from other processes arrive through the window's message loop.

#include <windows.h>
#include <oleacc.h>

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

class CControlAccessibleUI final : public IAccessible {
public:
    // Made with one reference, which the caller adopts.
    explicit CControlAccessibleUI(CControlUI& control);
    CControlAccessibleUI(const CControlAccessibleUI&) = delete;
    CControlAccessibleUI& operator=(const CControlAccessibleUI&) = delete;

    // The control is going: every later call fails.
    void Disconnect();

    // IUnknown.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: no type information; clients call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override;

    // IAccessible.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    ~CControlAccessibleUI() = default;  // through Release only

    // The control a child id names (see the header comment), or the error to return; also an
    // error while the control belongs to no window manager.
    HRESULT Resolve(const VARIANT& child, CControlUI*& control) const;
    // The window manager of the control (null when disconnected or detached).
    CWindowManagerUI* Manager() const;
    // A text property of the control child names: S_FALSE with a null text when it is empty.
    template <class Read>
    HRESULT ReadText(const VARIANT& child, BSTR* out, Read read) const;
    // The control itself as VT_I4 CHILDID_SELF, any other as its object (VT_DISPATCH).
    void PutControl(CControlUI& control, VARIANT* out) const;

    LONG m_cRef = 1;
    CControlUI* m_pControl;  // not owned; null once disconnected
};

// ---- Helpers shared by the accessible object and the window manager -----------------------------

// The control's accessible parent: the farthest ancestor whose child list holds it, so that a
// list's row belongs to the list that shows it rather than to the list's inner body (null for
// the root, and for a control outside every child list, such as a list's header).
CControlUI* AccessibleParentOf(const CControlUI& control);
// The control under root (root included) whose AccessibleId is id, or null.
CControlUI* FindAccessibleId(CControlUI& root, LONG id);

}  // namespace SkinUI
