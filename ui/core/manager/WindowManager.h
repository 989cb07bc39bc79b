#pragma once
// CWindowManagerUI: binds a control tree to one Win32 window. The resource tables (fonts,
// images, default attribute lists, default font and colours) and the process-wide skin settings
// come from CWindowResourcesUI; this class adds the window itself: layout and double-buffered
// painting of the tree, focus and tab order, hover/press/capture state, control timers on Win32
// timers, notifications to listeners, message filters and the translation of window messages
// into control events (WindowInput.cpp). Everything runs on the thread that owns the window.
//
// Ownership: the manager owns the attached root control (and through it the whole tree), the
// controls waiting for delayed deletion, the pending asynchronous notifications and its GDI
// surfaces. Notifiers, filters, translators and overlay controls are only referred to.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "support/GdiHandles.h"
#include "ui/core/base/UIDpi.h"
#include "ui/core/base/UIOwnedMap.h"
#include "ui/core/base/UIPtrArray.h"
#include "ui/core/base/UIString.h"
#include "ui/core/base/UIStringMap.h"
#include "ui/core/skin/WindowResources.h"

namespace SkinUI {

class CControlUI;
class CContainerUI;
class CDibSurfaceUI;
class CShadowUI;

// ---- Control events --------------------------------------------------------------------------

// Kinds of TControlEvent (the values are a contract with every control).
constexpr int kEventKeyDown = 3;
constexpr int kEventKeyUp = 4;
constexpr int kEventChar = 5;
constexpr int kEventSysKey = 6;
constexpr int kEventMouseMove = 9;  // first of the mouse kinds
constexpr int kEventMouseLeave = 10;
constexpr int kEventMouseEnter = 11;
constexpr int kEventMouseHover = 12;
constexpr int kEventButtonDown = 13;
constexpr int kEventButtonUp = 14;
constexpr int kEventRButtonDown = 15;
constexpr int kEventRButtonUp = 16;
constexpr int kEventDblClick = 17;
constexpr int kEventContextMenu = 18;
constexpr int kEventScrollWheel = 19;  // last of the mouse kinds
constexpr int kEventKillFocus = 21;
constexpr int kEventSetFocus = 22;
constexpr int kEventWindowSize = 23;
constexpr int kEventSetCursor = 24;
constexpr int kEventTimer = 25;
constexpr int kEventImeStartComposition = 28;
constexpr int kEventGesturePan = 30;
constexpr bool IsMouseEvent(int kind) {
    return kind >= kEventMouseMove && kind <= kEventScrollWheel;
}
// The client-area mouse message an event stands for, for controls that hand the mouse on to
// system code (text services, windowless ActiveX controls); 0 for the other kinds.
constexpr UINT MouseMessageOfEvent(int kind) {
    switch (kind) {
    case kEventMouseMove: return WM_MOUSEMOVE;
    case kEventButtonDown: return WM_LBUTTONDOWN;
    case kEventButtonUp: return WM_LBUTTONUP;
    case kEventDblClick: return WM_LBUTTONDBLCLK;
    case kEventRButtonDown: return WM_RBUTTONDOWN;
    case kEventRButtonUp: return WM_RBUTTONUP;
    default: return 0;
    }
}

// Key state bits of TControlEvent::wKeyState (see KeyStateBits).
constexpr WORD kKeyStateLButton = 0x01;
constexpr WORD kKeyStateRButton = 0x02;
constexpr WORD kKeyStateShift = 0x04;
constexpr WORD kKeyStateControl = 0x08;
constexpr WORD kKeyStateAlt = 0x20;
// The current key state (GetKeyState of the buttons, Shift, Ctrl and Alt).
WORD KeyStateBits();

// One event delivered to a control's HandleEvent.
struct TControlEvent {
    int nKind = 0;
    CControlUI* pSender = nullptr;  // focus events: the other control; else the receiver
    DWORD dwTimestamp = 0;          // GetTickCount
    POINT ptMouse = {0, 0};         // client coordinates
    wchar_t chKey = 0;              // character or virtual-key code
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// ---- Notifications ---------------------------------------------------------------------------

struct TNotifyMsg {
    CUIString strType;        // "click", "windowinit", ...
    CUIString strVirtualWnd;  // the sender's virtual window name when those are in use
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void Notify(TNotifyMsg& msg) = 0;

protected:
    ~INotifyUI() = default;
};

class IMessageFilterUI {
public:
    // Sets handled to stop the message there; the result is then the window procedure's.
    virtual LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                        bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
public:
    // Returns 0 when it consumed the message.
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

// ---- Search flags of CControlUI::Find ---------------------------------------------------------
constexpr UINT kFindAll = 0x00000000;
constexpr UINT kFindVisible = 0x00000001;
constexpr UINT kFindEnabled = 0x00000002;
constexpr UINT kFindHitTest = 0x00000004;  // data points to a POINT
constexpr UINT kFindUpdateTest = 0x00000008;  // skips a control the visitor accepts
constexpr UINT kFindTopFirst = 0x00000010;  // children from the last to the first
constexpr UINT kFindMeFirst = 0x80000000;  // a container before its children

// The private message that runs the delayed deletion of controls.
constexpr UINT kMsgDeferredDelete = WM_APP + 1;
// The private message that runs an accessibility client's default action (lParam: the control's
// AccessibleId).
constexpr UINT kMsgAccessibleAction = WM_APP + 2;

class CWindowManagerUI : public CWindowResourcesUI {
public:
    CWindowManagerUI();
    ~CWindowManagerUI();

    // ---- Binding and tree ----------------------------------------------------------------
    // Binds the manager to its window, takes the window's device context for painting and
    // text measurement, and enters the manager into the process-wide list.
    void Init(HWND window);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    HDC GetPaintDC() const override;

    // ---- Screen density ----------------------------------------------------------------------
    // The density of window's screen: GetDpiForWindow where user32 has it (looked up at run
    // time: older systems and some Wine versions lack it), else the window's device context's
    // LOGPIXELSY; 96 when neither answers.
    static int QueryWindowDpi(HWND window);
    // Moves the window to another density: fonts and pictures are made again, every control's
    // skin lengths applied again at the new scale, the tree laid out anew and repainted. The
    // window's own size and settings are the caller's (the window base knows the markup's).
    void ChangeDpi(int dpi);
    // The window settings of the markup that are lengths, as written (the dialog builder keeps
    // them here so that a density change can apply them again).
    CLogicalAttributes& WindowSkinLengths() { return m_windowSkinLengths; }

    // Takes ownership of root (the previous root is deleted later, through DeferDelete).
    bool AttachRoot(CControlUI* root);
    CControlUI* GetRoot() const { return m_pRoot; }
    // Attaches control's subtree to this manager (initialising each control) under parent (or
    // the control's current parent) and enters every named control into the name map.
    bool RegisterTree(CControlUI* control, CContainerUI* parent = nullptr);
    CControlUI* FindControl(LPCWSTR name) const;
    // The topmost visible, mouse-enabled control containing pt, or null.
    CControlUI* FindControl(POINT pt) const;
    // Called by a control's destructor: drops every reference the manager holds to it.
    void ForgetControl(CControlUI* control);
    // Detaches control now and deletes it when the posted kMsgDeferredDelete is handled.
    void DeferDelete(CControlUI* control);

    void MarkUpdateNeeded() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void Invalidate(const RECT& rc);
    // Called with every rectangle a paint repaints (tests and tools watch what a change costs);
    // an empty function, the default, costs one test per paint.
    using PaintObserver = std::function<void(const RECT&)>;
    void SetPaintObserver(PaintObserver observer) { m_paintObserver = std::move(observer); }

    CControlUI* GetFocus() const { return m_pFocus; }
    CControlUI* HoveredControl() const { return m_pEventHover; }
    CControlUI* PressedControl() const { return m_pEventClick; }
    bool IsMouseCaptured() const { return m_bMouseCapture; }
    HWND ToolTipWindow() const { return m_hwndTooltip.Get(); }

    // ---- Option groups (options refer to their group by name) ------------------------------
    bool AddOptionGroup(LPCWSTR group, CControlUI* option);  // false for a duplicate
    CUIPtrArray* GetOptionGroup(LPCWSTR group) const;         // or null
    void RemoveOptionGroup(LPCWSTR group, CControlUI* option);
    void RemoveAllOptionGroups();

    // ---- Listener lists (not owned; removal takes out the first equal entry) ---------------
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddTranslateAccelerator(ITranslateAccelerator* translator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* translator);
    // Controls painted again (PaintOverlay) after the whole tree, in the order added.
    bool AddOverlay(CControlUI* control);
    bool RemoveOverlay(CControlUI* control);

    // ---- Window settings (from the skin's root element) ------------------------------------
    // "size": resizes the window at once while no tree is attached.
    void SetInitialSize(SIZE size);
    SIZE InitialSize() const { return m_szInitWindowSize; }
    void SetResizeBorders(const RECT& borders);  // "sizebox"
    RECT ResizeBorders() const { return m_rcSizeBox; }
    void SetCaptionBand(const RECT& caption);    // "caption"
    RECT CaptionBand() const { return m_rcCaption; }
    void SetCornerEllipse(SIZE ellipse);         // "roundcorner"
    SIZE CornerEllipse() const { return m_szRoundCorner; }
    void SetMinTrackSize(SIZE size);             // "mininfo"
    SIZE MinTrackSize() const { return m_szMinWindow; }
    void SetMaxTrackSize(SIZE size);             // "maxinfo"
    SIZE MaxTrackSize() const { return m_szMaxWindow; }
    void SetShowDirty(bool show);                // "showdirty"
    bool IsShowDirty() const { return m_bShowUpdateRect; }
    // "alpha": stored clamped to 0..255; a value inside that range makes the window layered
    // with that constant alpha, a value outside removes the layered style.
    void SetOpacity(int opacity);
    BYTE Opacity() const { return m_nOpacity; }
    void SetCopyBackdrop(bool copy);             // "bktrans"
    bool IsCopyBackdrop() const { return m_bBackgroundTransparent; }
    void SetDragMovesParent(bool moves);         // "moveparentwnd"
    bool IsDragMovesParent() const { return m_bMoveParentWindow; }
    void SetPerPixelAlpha(bool alpha);           // "alphabktrans"
    bool IsPerPixelAlpha() const { return m_bAlphaPaint; }
    void SetPlaceholderImage(LPCWSTR image);     // "animateimage"
    const CUIString& PlaceholderImage() const { return m_strAnimateImage; }
    // The window's drop shadow (ui/core/ShadowUI.h); its window is created at the first layout
    // when the skin asks for a shadow ("showshadow").
    CShadowUI* WindowShadow() const { return m_pShadow.get(); }

    // ---- Focus ---------------------------------------------------------------------------
    void SetFocus(CControlUI* control);
    // Focuses control at the next paint (through the forward tab step).
    void QueueFocus(CControlUI* control);
    bool MoveTabFocus(bool forward);

    // ---- Control timers --------------------------------------------------------------------
    bool SetTimer(CControlUI* control, UINT localId, UINT elapse);
    bool KillTimer(CControlUI* control, UINT localId);
    void KillTimer(CControlUI* control);
    void RemoveAllTimers();

    // ---- Notifications -------------------------------------------------------------------
    void SendNotification(CControlUI* control, LPCWSTR type, WPARAM wParam = 0,
                          LPARAM lParam = 0, bool async = false);
    void SendNotification(TNotifyMsg& msg, bool async = false);
    void SetVirtualWindowsUsed(bool used) { m_bUsedVirtualWnd = used; }

    // ---- Accessibility (WindowAccessibility.cpp) --------------------------------------------
    // The window answers WM_GETOBJECT for its client area with the root's accessible object
    // (ControlAccessible.h).
    // Raises the WinEvent event for control: OBJID_CLIENT, child id CHILDID_SELF for the root,
    // else the negated AccessibleId. Any thread may call it, as the installer's workers do
    // through the control setters (it only reads the window handle and the root pointer).
    void NotifyAccessible(DWORD event, const CControlUI* control) const;
    // Queues the control's default action for the message loop; false without a window.
    bool PostAccessibleAction(const CControlUI& control);

    // ---- Messages ------------------------------------------------------------------------
    // Translates one window message into control events; true when it was handled (result is
    // then the window procedure's answer).
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Runs before dispatch (from PreTranslate): pre-message filters, Tab, Alt+key, shortcuts.
    bool PreHandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool TranslateAccelerator(MSG* msg);
    // Offers a queued message to the managers of its window (or of an ancestor window for a
    // child window); true when one consumed it.
    static bool PreTranslate(MSG* msg);
    // A plain message loop for windows run without a modal loop of their own: until WM_QUIT,
    // every message not consumed by PreTranslate is translated and dispatched.
    static void MessageLoop();

private:
    struct TTimerEntry {
        CControlUI* pSender;
        UINT nLocalId;
        HWND hWnd;
        UINT uWinTimer;
        bool bKilled;
    };

    // Painting (WindowPaint.cpp).
    bool OnPaint();
    // Lays out, moves the focus when due and paints the update's parts into a BeginPaint context.
    void PaintUpdate(HDC dc, const RECT& paintRect, const std::vector<RECT>& regionParts);
    void LayoutTree(const RECT& client);
    // The first layout after a tree was attached: "windowinit" (and the shadow's window).
    void OnFirstLayout();
    void PaintPerPixelAlpha(const RECT& client, const std::vector<RECT>& parts);
    void PaintOffscreen(HDC paintDC, const RECT& client, const std::vector<RECT>& parts);
    void PaintOffscreenPart(HDC paintDC, const RECT& part);
    void PaintTreeInto(HDC dc, const RECT& update);
    void CopyBackdrop(HDC paintDC);
    void ReleaseSurfaces();
    LRESULT OnPrintClient(HDC dc, LPARAM flags);
    void PrintChildWindows(HDC dc, LPARAM flags);

    // Input (WindowInput.cpp).
    bool DispatchMessageToControls(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void SendEvent(CControlUI* control, TControlEvent event);
    CControlUI* ControlAt(POINT pt) const;  // FindControl limited to this manager's controls
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(WPARAM wParam, LPARAM lParam);
    void OnButtonPress(int kind, WPARAM wParam, LPARAM lParam, bool requestFocus);
    void OnButtonRelease(int kind, WPARAM wParam, LPARAM lParam);
    void OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    bool OnMouseHover(LPARAM lParam);
    void OnMouseLeave();
    bool OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnKey(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OnTimer(WPARAM winTimer);
    void ConfigurePanGesture();
    void OnGesture(LPARAM lParam);
    void OnPan(const GESTUREINFO& info, POINT pt);
    void CaptureMouse();
    void ReleaseMouseCapture();
    void ShowToolTip(CControlUI* control, const CUIString& text);
    void HideToolTip();
    void StartParentDrag(CControlUI* control, POINT screenPoint);

    // WM_GETOBJECT and the queued default action (WindowAccessibility.cpp).
    bool OnGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void RunAccessibleAction(LONG id);

    // Focus, timers, notifications, cleanup (WindowManager.cpp).
    void SendFocusEvent(CControlUI* control, int kind, CControlUI* other);
    void DropFocus(CControlUI* next);  // kill-focus event and "killfocus" to the focused one
    static CControlUI* FindTabStop(CControlUI* from, bool forward, CControlUI* root);
    bool PreHandleTab();
    bool SysCharShortcut(wchar_t ch);
    void StopTimer(TTimerEntry& entry);
    template <class Predicate>
    void RemoveTimersIf(Predicate matches);
    void DeliverNotification(TNotifyMsg& msg);
    void DrainAsyncNotifications();
    void DeleteDeferredControls();

    HWND m_hWndPaint = nullptr;
    std::unique_ptr<bxutil::CWindowDC> m_pPaintDC;  // the one owner of the window's device context
    BYTE m_nOpacity = 255;

    // Off-screen painting: the memory surface the tree is painted into, and the copy of what
    // lies behind the window ("bktrans"). Both are recreated when the root is laid out anew.
    // The surface is a 32-bit DIB, so that the render engine blends into its pixels directly.
    // Each selection is declared after its context and bitmap, so it ends before they do.
    std::unique_ptr<CDibSurfaceUI> m_pOffscreen;
    bxutil::CMemoryDC m_hDcBackground;
    bxutil::CBitmapHandle m_hbmpBackground;
    bxutil::CSelectObject m_backgroundSelection;
    std::unique_ptr<CDibSurfaceUI> m_pAlphaSurface;  // per-pixel alpha ("alphabktrans")

    bxutil::CWindowHandle m_hwndTooltip;  // destroyed with the manager
    TTTOOLINFOW m_ToolTip{};       // the tool record in use
    CUIString m_strToolTipText;    // the text the tool record points at

    bool m_bShowUpdateRect = false;
    PaintObserver m_paintObserver;
    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bOffscreenPaint = true;
    bool m_bBackgroundTransparent = false;
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bUsedVirtualWnd = false;
    bool m_bMoveParentWindow = false;
    bool m_bAlphaPaint = false;

    CControlUI* m_pRoot = nullptr;  // owned
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    // The control pressed with the right button, for the WM_CONTEXTMENU that follows the
    // release.
    CControlUI* m_pContextMenuTarget = nullptr;

    POINT m_ptLastGesture{0, 0};
    SIZE m_szMinWindow{0, 0};
    SIZE m_szMaxWindow{0, 0};
    SIZE m_szInitWindowSize{0, 0};
    RECT m_rcSizeBox{0, 0, 0, 0};
    RECT m_rcCaption{0, 0, 0, 0};
    SIZE m_szRoundCorner{0, 0};

    UINT m_uTimerID = 0x1000;
    std::vector<TTimerEntry> m_timers;

    CUIPtrArray m_aNotifiers;
    CUIPtrArray m_aPreMessageFilters;
    CUIPtrArray m_aMessageFilters;
    CUIPtrArray m_aTranslateAccelerators;
    CUIPtrArray m_aPostPaintControls;
    CUIPtrArray m_aDelayedCleanup;  // controls owned until their deferred deletion
    std::vector<std::unique_ptr<TNotifyMsg>> m_asyncNotify;
    CUIPtrArray m_aFoundControls;   // scratch list of the layout pass

    CUIStringMap m_mNameHash;     // name → control
    CUIOwnedMap<CUIPtrArray> m_mOptionGroup;  // group name → its options (not owned)

    CLogicalAttributes m_windowSkinLengths;
    std::unique_ptr<CShadowUI> m_pShadow;  // owned; goes before the window it follows
    CUIString m_strAnimateImage;
};

}  // namespace SkinUI
