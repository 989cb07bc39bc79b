#pragma once
// Controls that are painted by the framework while idle and hand their editing to a native
// Win32 control (an EDIT, a date picker) while the user works in them: the system then supplies
// focus, caret, selection, IME and clipboard.
//
// CNativeHost is a small window of the framework's own, a child of the manager's window, that
// holds the native control as its only child. The skinned window's procedure belongs to the
// framework, so the native control's parent messages (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*) come
// to this host instead, which hands them to the control that opened it.
//
// CNativeFieldUI is the label that owns such a host: it closes it whenever the native window
// would be out of place or out of date (the focus leaves, the control hides, moves, is
// disabled, changes manager or is destroyed) and when the manager's window goes.

#include <windows.h>

#include "support/UniqueHandle.h"
#include "ui/controls/LabelUI.h"

namespace SkinUI {

// What the host hands on to the control it was opened for.
class INativeHostClient {
public:
    // WM_COMMAND from the native control: its notification code.
    virtual void OnHostCommand(WORD code) = 0;
    // WM_NOTIFY from the native control.
    virtual void OnHostNotify(const NMHDR& header) = 0;
    // WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC: a brush for the background (the colours set in dc),
    // or null for the system's colours.
    virtual HBRUSH OnHostColor(HDC dc) = 0;
    // The host closed itself (RequestClose) or went with the manager's window.
    virtual void OnHostClosed() = 0;

protected:
    ~INativeHostClient() = default;
};

class CNativeHost {
public:
    CNativeHost() = default;
    CNativeHost(const CNativeHost&) = delete;
    CNativeHost& operator=(const CNativeHost&) = delete;
    ~CNativeHost();  // closes without telling the client

    // Creates the host over rc (client coordinates of parent) with a native control of
    // className filling it; the native control, or null when a window could not be created.
    // An open host is closed first.
    HWND Open(INativeHostClient& client, HWND parent, const RECT& rc, LPCWSTR className,
              DWORD style);
    // Destroys the windows at once, without telling the client; the focus, when it was inside,
    // goes back to the parent.
    void Close();
    // Closes from the message loop, so that a native control never loses its window while it
    // runs its own code. With onlyIfUnfocused the host stays when the focus is back inside it
    // by then.
    void RequestClose(bool onlyIfUnfocused);

    bool IsOpen() const { return static_cast<bool>(m_host); }
    HWND Child() const { return m_child; }
    HWND Window() const { return m_host.Get(); }
    void Place(const RECT& rc);
    bool HasFocusInside() const;

private:
    static LPCWSTR HostClassName();
    static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    INativeHostClient* m_client = nullptr;
    bxutil::CWindowHandle m_host;  // the native control is its child and goes with it
    HWND m_child = nullptr;
};

class CNativeFieldUI : public CLabelUI, protected INativeHostClient {
public:
    // Starts editing a control of the derived class (its native control opened and focused);
    // false when it cannot edit now.
    using BeginEditingProc = bool (*)(CNativeFieldUI& control);

    explicit CNativeFieldUI(BeginEditingProc beginEditing);
    ~CNativeFieldUI() override;                                                 // 0
    LONG AccessibleRole() const override;  // editable text
    CUIString AccessibleValue() const override;  // the text
    CUIString AccessibleName() const override;  // the tool tip (the text is the value)

    UINT ControlFlags() const override;                                         // 5
    void AttachTo(CWindowManagerUI* manager, CContainerUI* parent,
                  bool initialize = true) override;                             // 8
    void Place(const RECT& rect, bool invalidate = true) override;              // 14
    void MoveBy(SIZE offset, bool invalidate = true) override;                  // 15
    void SetVisible(bool visible = true) override;                              // 51
    void SetInheritedVisible(bool visible = true) override;                     // 52
    void SetEnabled(bool enabled = true) override;                              // 54
    void ProcessEvent(TControlEvent& event) override;                           // 67

    // Whether the native control is up.
    bool IsEditing() const { return m_native.IsOpen(); }
    // The native control while editing, else null.
    HWND NativeWindow() const { return m_native.Child(); }
    // Starts editing as a click does; false when the control cannot edit now.
    bool BeginEditing();
    // Ends editing now (nothing while idle).
    void EndEditing();

protected:
    // Opens the host over the part of rc inside the window with a native control of
    // className; null when the control cannot edit now (no window, hidden, disabled, nothing
    // of rc in the window) or the windows could not be made. The native control gets the
    // keyboard focus.
    HWND OpenNative(const RECT& rc, LPCWSTR className, DWORD style);
    // Whether editing may start: attached to a window, visible and enabled.
    bool CanEdit() const;
    void OnHostCommand(WORD code) override;
    void OnHostNotify(const NMHDR& header) override;
    HBRUSH OnHostColor(HDC dc) override;
    void OnHostClosed() override;
    // kStateHot while the pointer is over the control, for the state images.
    UINT m_uFieldState = 0;

    CNativeHost m_native;

private:
    // The press that opened (or found open) the native control is handed to it at the
    // release: the caret goes where the user clicked, a date picker selects the field there.
    void ForwardClick(POINT pt);

    BeginEditingProc m_beginEditing;
    bool m_bPressOpened = false;
};

}  // namespace SkinUI
