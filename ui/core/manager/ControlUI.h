#pragma once
// CControlUI: the base of every element of a skinned window. It holds the control's identity
// (name, text, tool tip, user data), geometry (item rectangle, padding, fixed, minimum and
// maximum sizes, floating position), state (visible, enabled, focused, mouse and keyboard),
// decoration (colours, gradient, images, borders) and listener lists, and gives every subclass
// the default behaviour: reading attributes, placing itself, invalidating what it covers,
// painting its decoration in a fixed order, answering tree searches and handling events.
//
// The virtual operations keep a fixed order (slots 0 to 84) that every subclass overrides by;
// containers and the other families append theirs after slot 84. Slots 80 to 84 describe the
// control to accessibility clients (ControlAccessible.h); each control family answers them in
// its own files. A control belongs to at most one window manager and
// at most one parent container; it owns neither. Containers own their children.
//
// Threads: everything runs on the UI thread, except that the installer's worker threads call
// the plain setters SetText and SetVisible (they store and ask the window to repaint).

#include <windows.h>

#include "support/ComHolders.h"
#include "ui/core/base/UIDpi.h"
#include "ui/core/base/UIString.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ListenerList.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"

namespace SkinUI {

class CContainerUI;
class CControlAccessibleUI;

// Control state bits shared by buttons, options, check boxes, the slider, the scroll bar and
// the switch button.
constexpr UINT kStateFocused = 0x01;
constexpr UINT kStateSelected = 0x02;
constexpr UINT kStateDisabled = 0x04;
constexpr UINT kStateHot = 0x08;
constexpr UINT kStatePushed = 0x10;
constexpr UINT kStateCaptured = 0x40;
constexpr UINT kStateEllipse = 0x80;  // buttons drawn as an ellipse

// ControlFlags bits.
constexpr UINT kControlFlagTabStop = 0x1;
constexpr UINT kControlFlagSetCursor = 0x2;  // wants set-cursor events

// The visitor of Find: a control, or null to go on searching.
using FindControlProc = CControlUI* (*)(CControlUI* control, LPVOID data);

// Parts of the parent's width and height added to a floating control's edges.
struct TFloatPercent {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// Geometry values from markup are kept within this magnitude, so that sums over many children
// and the rectangles made from them stay far from the limits of 32-bit arithmetic.
constexpr LONG kMaxControlCoordinate = 1 << 24;

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Slots 0 to 84, in this order.
    virtual ~CControlUI();                                                     // 0
    virtual CUIString Name() const;                                            // 1
    virtual void SetName(LPCWSTR name);                                        // 2
    virtual LPCWSTR ClassName() const;                                         // 3
    virtual LPVOID InterfaceByName(LPCWSTR name);                              // 4
    virtual UINT ControlFlags() const;                                         // 5
    virtual bool CanActivate();                                                // 6
    virtual CWindowManagerUI* Manager() const;                                 // 7
    virtual void AttachTo(CWindowManagerUI* manager, CContainerUI* parent,
                          bool initialize = true);                             // 8
    virtual CContainerUI* Parent() const;                                      // 9
    virtual CUIString Text() const;                                            // 10
    virtual void SetText(LPCWSTR text);                                        // 11
    virtual RECT Rect() const;                                                 // 12
    virtual RECT RelativeRect() const;                                         // 13
    virtual void Place(const RECT& rect, bool invalidate = true);              // 14
    virtual void MoveBy(SIZE offset, bool invalidate = true);                  // 15
    virtual int Width() const;                                                 // 16
    virtual int Height() const;                                                // 17
    virtual int X() const;                                                     // 18
    virtual int Y() const;                                                     // 19
    virtual RECT Padding() const;                                              // 20
    virtual void SetPadding(const RECT& padding);                              // 21
    virtual SIZE FixedXY() const;                                              // 22
    virtual void SetFixedXY(SIZE xy);                                          // 23
    virtual int FixedWidth() const;                                            // 24
    virtual void SetFixedWidth(int width);                                     // 25
    virtual int FixedHeight() const;                                           // 26
    virtual void SetFixedHeight(int height);                                   // 27
    virtual int MinWidth() const;                                              // 28
    virtual void SetMinWidth(int width);                                       // 29
    virtual int MaxWidth() const;                                              // 30
    virtual void SetMaxWidth(int width);                                       // 31
    virtual int MinHeight() const;                                             // 32
    virtual void SetMinHeight(int height);                                     // 33
    virtual int MaxHeight() const;                                             // 34
    virtual void SetMaxHeight(int height);                                     // 35
    virtual TFloatPercent FloatPercent() const;                                // 36
    virtual void SetFloatPercent(const TFloatPercent& percent);                // 37
    virtual CUIString ToolTip() const;                                         // 38
    virtual void SetToolTip(LPCWSTR text);                                     // 39
    virtual void SetToolTipWidth(int width);                                   // 40
    virtual int ToolTipWidth() const;                                          // 41
    virtual wchar_t Shortcut() const;                                          // 42
    virtual void SetShortcut(wchar_t ch);                                      // 43
    virtual bool IsMenuEnabled() const;                                        // 44
    virtual void SetMenuEnabled(bool enabled);                                 // 45
    virtual CUIString UserData() const;                                        // 46
    virtual void SetUserData(LPCWSTR text);                                    // 47
    virtual UINT_PTR Tag() const;                                              // 48
    virtual void SetTag(UINT_PTR tag);                                         // 49
    virtual bool IsVisible() const;                                            // 50
    virtual void SetVisible(bool visible = true);                              // 51
    virtual void SetInheritedVisible(bool visible = true);                     // 52
    virtual bool IsEnabled() const;                                            // 53
    virtual void SetEnabled(bool enabled = true);                              // 54
    virtual bool IsMouseEnabled() const;                                       // 55
    virtual void SetMouseEnabled(bool enabled = true);                         // 56
    virtual bool IsKeyboardEnabled() const;                                    // 57
    virtual void SetKeyboardEnabled(bool enabled = true);                      // 58
    virtual bool IsFocused() const;                                            // 59
    virtual void RequestFocus();                                               // 60
    virtual bool IsFloat() const;                                              // 61
    virtual void SetFloat(bool floating = true);                               // 62
    virtual CControlUI* Find(FindControlProc visitor, LPVOID data, UINT flags); // 63
    virtual void Initialize();                                                 // 64
    virtual void OnInitialize();                                               // 65
    virtual void HandleEvent(TControlEvent& event);                            // 66
    virtual void ProcessEvent(TControlEvent& event);                           // 67
    virtual CUIString QueryAttribute(LPCWSTR name);                            // 68
    virtual void ApplyAttribute(LPCWSTR name, LPCWSTR value);                  // 69
    virtual SIZE DesiredSize(SIZE available);                                  // 70
    virtual void Paint(HDC hDC, const RECT& dirty);                            // 71
    virtual void PaintBackColor(HDC hDC);                                      // 72
    virtual void PaintBackImage(HDC hDC);                                      // 73
    virtual void PaintSecondImage(HDC hDC);                                    // 74
    virtual void PaintForeImage(HDC hDC);                                      // 75
    virtual void PaintStateImage(HDC hDC);                                     // 76
    virtual void PaintTextContent(HDC hDC);                                    // 77
    virtual void PaintBorderLines(HDC hDC);                                    // 78
    virtual void PaintOverlay(HDC hDC, const RECT& dirty);                     // 79
    // What accessibility clients read. The name is the text, else the tool tip. The role is an
    // oleacc ROLE_SYSTEM_* value (a bare control: a graphic with an image, else white space);
    // the state holds the family's own STATE_SYSTEM_* bits (checked, selected, expanded, ...),
    // to which the accessible object adds focused, focusable, unavailable and invisible itself;
    // value and default action are empty unless the family has them.
    virtual CUIString AccessibleName() const;                                  // 80
    virtual LONG AccessibleRole() const;                                       // 81
    virtual DWORD AccessibleState() const;                                     // 82
    virtual CUIString AccessibleValue() const;                                 // 83
    virtual CUIString AccessibleDefaultAction() const;                         // 84

    // ---- Non-virtual operations --------------------------------------------------------------
    // The accessibility client's "do default action": CanActivate when the control names a
    // default action (a button's click), else false.
    bool DoAccessibleDefaultAction();
    // A process-wide number, never reused, that names the control in accessibility events
    // (their child id is its negative, so it never clashes with a child's position).
    LONG AccessibleId() const { return m_nAccessibleId; }
    // Tells accessibility clients that something about this control changed (an oleacc
    // EVENT_OBJECT_* value); safe from the installer's worker threads, like SetText.
    void NotifyAccessible(DWORD event) const;
    // The control's accessible object (ControlAccessible.h), made on first use. The control
    // holds one reference and cuts the object off when it is destroyed; clients may hold more.
    CControlAccessibleUI& AccessibleObject();

    // Asks the window to repaint the part of itemRect that its ancestors leave visible.
    void InvalidateSelf();
    // This control needs placing again (floating controls place themselves).
    void MarkForLayout();
    // The parent needs laying out again (or this control, without a parent).
    void MarkParentForLayout();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // Applies name="value" pairs separated by one blank (default attribute lists), each as a
    // skin attribute.
    void ApplyAttributeString(LPCWSTR list);
    // Applies an attribute written in skin units (markup, default lists): a length (position,
    // size, padding, border, ...: the row of its name in the attribute tables says so) is
    // scaled to the window's density first and its text kept, so that RescaleSkinAttributes
    // can apply it again when the density changes. Values given through ApplyAttribute and the
    // setters are device pixels and are used as they are.
    void ApplySkinAttribute(LPCWSTR name, LPCWSTR value);
    // Applies every length attribute taken through ApplySkinAttribute again at the window's
    // current density.
    void RescaleSkinAttributes();
    // The density of the window the control is attached to (96 when it is not).
    int Dpi() const;
    // The control's attribute tables: its own class's first, then its bases' down to the
    // control base's (AttributeTable.h). ApplyAttribute and QueryAttribute walk them.
    const CAttributeChain& AttributeChain() const { return *m_pAttributes; }
    // The virtual window this control belongs to: its own name, else its parent's.
    CUIString VirtualWindowName() const;
    void SetVirtualWindowName(LPCWSTR name);
    // The colour through the process-wide hue/saturation/lightness setting when colorHsl is on.
    DWORD AdjustedColor(DWORD color) const;

    // Loads the image at once; a floating control without a fixed size takes the image's size.
    void SetBackImage(LPCWSTR description);
    LPCWSTR BackImage() const { return m_backImage.description; }
    void SetForeImage(LPCWSTR description);
    LPCWSTR ForeImage() const { return m_foreImage.description; }

    DWORD BackColor() const { return m_dwBackColor; }
    void SetBackColor(DWORD color);
    DWORD BackColor2() const { return m_dwBackColor2; }
    void SetBackColor2(DWORD color);
    DWORD BackColor3() const { return m_dwBackColor3; }
    void SetBackColor3(DWORD color);
    DWORD BorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD color);
    DWORD FocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD color);
    bool IsColorHSL() const { return m_bColorHSL; }
    void SetColorHSL(bool hsl);
    int BorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int size);
    int BorderStyle() const { return m_nBorderStyle; }
    void SetBorderStyle(int style);
    SIZE BorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE round);
    RECT BorderSides() const { return m_rcBorderSides; }
    void SetBorderSides(const RECT& sides);
    int LeftBorderSize() const { return m_rcBorderSides.left; }
    void SetLeftBorderSize(int size);
    int TopBorderSize() const { return m_rcBorderSides.top; }
    void SetTopBorderSize(int size);
    int RightBorderSize() const { return m_rcBorderSides.right; }
    void SetRightBorderSize(int size);
    int BottomBorderSize() const { return m_rcBorderSides.bottom; }
    void SetBottomBorderSize(int size);

    // The part of itemRect being painted in the current paint pass.
    RECT PaintRect() const { return m_rcPaint; }

    CListenerList& InitListeners() { return m_initListeners; }
    CListenerList& DestroyListeners() { return m_destroyListeners; }
    CListenerList& SizeListeners() { return m_sizeListeners; }
    CListenerList& EventListeners() { return m_eventListeners; }
    CListenerList& NotifyListeners() { return m_notifyListeners; }

protected:
    // Draws one image spec over itemRect, limited to paintRect; false when nothing was drawn.
    bool DrawImage(HDC hDC, TImageSpec& spec, int angle = 0);
    // Takes a new description into spec and loads it (the SetBackImage rule); false when the
    // description was the current one with its image already loaded.
    bool LoadImageSpec(TImageSpec& spec, LPCWSTR description);
    // Invalidates rc (old and new place joined) as far as the visible ancestors show it.
    void InvalidateThroughAncestors(RECT rc);
    // "Marks layout": MarkForLayout for a floating control, else MarkParentForLayout.
    void MarkLayoutChanged();
    // The minimum/maximum setters' rule: negative or unchanged values are ignored.
    void SetSizeLimit(LONG& field, int value);
    // SetBackImage/SetForeImage on the given spec.
    void SetImage(TImageSpec& spec, LPCWSTR description);
    // Stores a colour and invalidates when it changed.
    void SetDecoration(DWORD& field, DWORD value);
    // Sends a notification about this control with the event's parameters (when attached).
    void NotifyEvent(LPCWSTR type, const TControlEvent& event);
    // Names the table of the class being constructed as the first of the control's chain; a
    // class with a table of its own calls it in its constructor.
    void UseAttributes(const CAttributeChain& table) { m_pAttributes = &table; }
    // The skin attributes of every control (ControlAttributes.cpp).
    static const CAttributeTable<CControlUI>& Attributes();

    CListenerList m_initListeners;
    CListenerList m_destroyListeners;
    CListenerList m_sizeListeners;
    CListenerList m_eventListeners;
    CListenerList m_notifyListeners;
    CWindowManagerUI* m_pManager = nullptr;  // not owned
    CContainerUI* m_pParent = nullptr;       // not owned
    CUIString m_strVirtualWnd;
    CUIString m_strName;
    bool m_bUpdateNeeded = true;
    bool m_bMenuUsed = false;
    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_rcPadding = {0, 0, 0, 0};
    SIZE m_cXY = {0, 0};
    SIZE m_cxyFixed = {0, 0};
    SIZE m_cxyMin = {0, 0};
    SIZE m_cxyMax = {9999, 9999};
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    TFloatPercent m_floatPercent;
    bool m_bSetPos = false;  // inSizeCallback: guards the size listeners against re-entrance
    CUIString m_strText;
    CUIString m_strToolTip;
    wchar_t m_chShortcut = 0;
    CUIString m_strUserData;
    UINT_PTR m_pTag = 0;
    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBackColor3 = 0;
    TImageSpec m_backImage;
    TImageSpec m_foreImage;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    bool m_bColorHSL = false;
    int m_nBorderSize = 0;
    int m_nBorderStyle = PS_SOLID;
    int m_nToolTipWidth = 300;
    SIZE m_cxyBorderRound = {0, 0};
    RECT m_rcPaint = {0, 0, 0, 0};
    RECT m_rcBorderSides = {0, 0, 0, 0};
    LONG m_nAccessibleId;
    bxutil::CComRef<CControlAccessibleUI> m_pAccessible;  // made on demand

private:
    CLogicalAttributes m_skinLengths;  // length attributes as the skin wrote them
    const CAttributeChain* m_pAttributes = &Attributes();
};

}  // namespace SkinUI
