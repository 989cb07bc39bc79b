// CActiveXUI: an ActiveX control made, activated in place, moved, hidden and closed with its
// host control.

#include "ui/controls/ActiveXUI.h"

#include <olectl.h>

#include <new>

#include "support/Log.h"
#include "ui/controls/ActiveXClasses.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

void SetBool(VARIANT& value, bool b) {
    value.vt = VT_BOOL;
    value.boolVal = ToVariantBool(b);
}

void SetInt(VARIANT& value, LONG n) {
    value.vt = VT_I4;
    value.lVal = n;
}

}  // namespace

CActiveXUI::CActiveXUI() { UseAttributes(Attributes()); }

// The control goes before anything it may call back into.
CActiveXUI::~CActiveXUI() { ReleaseControl(); }

LPCWSTR CActiveXUI::ClassName() const { return L"ActiveXUI"; }

LPVOID CActiveXUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"ActiveX") == 0) return this;
    return CControlUI::InterfaceByName(name);
}

// The control's windows belong to the window it was made in: another window gets a new one
// (and a class that failed in one window is tried again in the next).
void CActiveXUI::AttachTo(CWindowManagerUI* manager, CContainerUI* parent, bool initialize) {
    if (manager != m_pManager) {
        ReleaseControl();
        m_bAttempted = false;
    }
    CControlUI::AttachTo(manager, parent, initialize);
}

void CActiveXUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    if (!m_bAttempted && !m_strClsid.IsEmpty() && m_pManager != nullptr &&
        ::IsWindow(m_pManager->GetPaintWindow()))
        CreateControl();
    FollowHost();
}

void CActiveXUI::MoveBy(SIZE offset, bool invalidate) {
    CControlUI::MoveBy(offset, invalidate);
    FollowHost();
}

void CActiveXUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    FollowHost();
}

void CActiveXUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    FollowHost();
}

// A disabled host takes the input away from a windowed control (its window's parent is
// disabled) and tells every control through the ambient UIDEAD.
void CActiveXUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (HWND window = m_hostWindow.Window()) ::EnableWindow(window, IsEnabled() ? TRUE : FALSE);
    if (auto control = m_object.Query<IOleControl>(IID_IOleControl))
        control->OnAmbientPropertyChange(DISPID_AMBIENT_UIDEAD);
}

// ---- The class ------------------------------------------------------------------------------

bool CActiveXUI::SetClsid(LPCWSTR text) {
    if (IsCreated()) ReleaseControl();
    m_strClsid = text != nullptr ? text : L"";
    m_bAttempted = false;
    m_clsid = CLSID{};
    m_bClassKnown = false;
    if (m_strClsid.IsEmpty()) return false;
    const HRESULT hr = ActiveXClassOf(m_strClsid, m_clsid);
    m_bClassKnown = SUCCEEDED(hr);
    // Reported again at the creation attempt, with the notification.
    if (!m_bClassKnown) {
        m_hrLast = hr;
        LogFailure(L"the class is not known", hr);
    }
    return m_bClassKnown;
}

const CAttributeTable<CActiveXUI>& CActiveXUI::Attributes() {
    using C = CActiveXUI;
    static const TAttributeRow<C> rows[] = {
        {L"clsid", [](C& c, LPCWSTR v) { c.SetClsid(v); }, [](C& c) { return c.ClsidText(); }},
    };
    static const CAttributeTable<C> table(rows, &CControlUI::Attributes());
    return table;
}

// ---- Making and closing the control ----------------------------------------------------------

bool CActiveXUI::CreateControl() {
    ReleaseControl();
    if (m_pManager == nullptr || !::IsWindow(m_pManager->GetPaintWindow())) return false;
    m_bAttempted = true;
    HRESULT hr = m_bClassKnown ? MakeControl() : m_hrLast;
    m_bUp = SUCCEEDED(hr);
    if (m_bUp) hr = OnControlCreated();
    m_hrLast = hr;
    if (FAILED(hr)) ReleaseControl();
    InvalidateSelf();
    if (m_pManager != nullptr)
        m_pManager->SendNotification(this, L"showactivex", ResultParam(hr));
    OnCreateFinished(hr);
    return SUCCEEDED(hr);
}

HRESULT CActiveXUI::MakeControl() {
    bxutil::CComRef<IUnknown> unknown;
    HRESULT hr = CreateActiveXObject(m_clsid, unknown.Receive());
    if (FAILED(hr)) {
        LogFailure(IsActiveXClassAllowed(m_clsid) ? L"creating the object" : L"allowing the class", hr);
        return hr;
    }
    m_object = unknown.Query<IOleObject>(IID_IOleObject);
    if (!m_object) {
        LogFailure(L"not an OLE control (IOleObject)", E_NOINTERFACE);
        return E_NOINTERFACE;
    }
    m_site.Reset(new (std::nothrow) CActiveXSite(this));
    if (!m_site) return E_OUTOFMEMORY;
    DWORD misc = 0;
    m_object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    // Some controls read their ambient properties while they initialise, others only take a
    // site once they are initialised: each says which in its status bits.
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst && FAILED(hr = m_object->SetClientSite(m_site.Get()))) {
        LogFailure(L"SetClientSite", hr);
        return hr;
    }
    if (auto persist = unknown.Query<IPersistStreamInit>(IID_IPersistStreamInit)) {
        hr = persist->InitNew();
        if (FAILED(hr) && hr != E_NOTIMPL) {
            LogFailure(L"InitNew", hr);
            return hr;
        }
    }
    if (!siteFirst && FAILED(hr = m_object->SetClientSite(m_site.Get()))) {
        LogFailure(L"SetClientSite", hr);
        return hr;
    }
    return ActivateControl();
}

HRESULT CActiveXUI::ActivateControl() {
    // A windowed control makes its window in the host window; a windowless one, when it says
    // so while activating, draws in the skinned window.
    if (!m_hostWindow.Create(*this, m_pManager->GetPaintWindow())) {
        const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
        LogFailure(L"the host window", hr);
        return FAILED(hr) ? hr : E_FAIL;
    }
    ::EnableWindow(m_hostWindow.Window(), IsEnabled() ? TRUE : FALSE);
    m_bWindowless = false;
    RECT pos = SitePosRect();
    HRESULT hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site.Get(), 0,
                                  SiteWindow(), &pos);
    if (FAILED(hr)) {
        LogFailure(L"in-place activation (DoVerb)", hr);
        return hr;
    }
    m_inPlace = m_object.Query<IOleInPlaceObject>(IID_IOleInPlaceObject);
    if (!m_bWindowless) m_bTranslating = m_pManager->AddTranslateAccelerator(this);
    if (m_bWindowless) {
        // The host window stays, hidden: its end tells of the skinned window's.
        m_windowless = m_object.Query<IOleInPlaceObjectWindowless>(IID_IOleInPlaceObjectWindowless);
        m_view = m_object.Query<IViewObject>(IID_IViewObject);
    }
    FollowHost();
    return S_OK;
}

void CActiveXUI::ReleaseControl() {
    if (m_bUp) {
        m_bUp = false;
        OnControlClosing();
    }
    if (m_bTranslating && m_pManager != nullptr) m_pManager->RemoveTranslateAccelerator(this);
    m_bTranslating = false;
    if (m_inPlace) m_inPlace->InPlaceDeactivate();
    if (m_object) {
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
    }
    m_view.Reset();
    m_windowless.Reset();
    m_inPlace.Reset();
    m_object.Reset();
    // A control that kept a reference to the site finds it detached from here on.
    if (m_site) m_site->Detach();
    m_site.Reset();
    m_hostWindow.Destroy();
    m_bWindowless = false;
    m_bCapture = false;
}

// The skinned window is going: the control is closed while its own window still exists, and
// is made again only if the host is placed in a window again.
void CActiveXUI::HostWindowDestroying() { ReleaseControl(); }

LRESULT CActiveXUI::TranslateAccelerator(MSG* msg) {
    constexpr LRESULT kNotMine = 1;
    HWND host = m_hostWindow.Window();
    if (msg == nullptr || host == nullptr || msg->message < WM_KEYFIRST ||
        msg->message > WM_KEYLAST || (msg->hwnd != host && !::IsChild(host, msg->hwnd)))
        return kNotMine;
    auto active = m_object.Query<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
    return active && active->TranslateAccelerator(msg) == S_OK ? 0 : kNotMine;
}

HWND CActiveXUI::ControlWindow() const {
    HWND window = nullptr;
    if (m_inPlace && !m_bWindowless && FAILED(m_inPlace->GetWindow(&window))) window = nullptr;
    return window;
}

HRESULT CActiveXUI::GetControl(REFIID iid, void** object) const {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!m_object) return E_NOINTERFACE;
    return m_object->QueryInterface(iid, object);
}

void CActiveXUI::LogFailure(const wchar_t* step, HRESULT hr) const {
    static const TLogRecord record{1, L"ActiveXUI.cpp", __LINE__};
    WriteLog(&record, L"ActiveX %s: %s failed (0x%08lx); the control stays empty",
             m_strClsid.GetData(), step, static_cast<unsigned long>(hr));
}

// ---- Placing ---------------------------------------------------------------------------------

RECT CActiveXUI::VisibleRect() const {
    RECT visible = m_rcItem;
    for (CControlUI* ancestor = m_pParent; ancestor != nullptr; ancestor = ancestor->Parent()) {
        if (!RectIntersect(visible, visible, ancestor->Rect())) return RECT{};
    }
    RECT client{};
    if (m_pManager == nullptr || !::GetClientRect(m_pManager->GetPaintWindow(), &client))
        return RECT{};
    if (!RectIntersect(visible, visible, client)) return RECT{};
    return visible;
}

void CActiveXUI::FollowHost() {
    if (!m_inPlace) return;
    const RECT visible = VisibleRect();
    const bool show = IsVisible() && !RectIsEmpty(visible);
    if (!m_bWindowless) m_hostWindow.Show(visible, show);
    if (!show) return;
    RECT pos = SitePosRect();
    RECT clip = SiteClipRect();
    m_inPlace->SetObjectRects(&pos, &clip);
}

// A windowed control is placed in the host window, which covers the visible part of the item
// rectangle; a windowless one in the skinned window itself.
HWND CActiveXUI::SiteWindow() const {
    if (m_bWindowless) return SiteFrameWindow();
    return m_hostWindow.Window();
}

HWND CActiveXUI::SiteFrameWindow() const {
    return m_pManager != nullptr ? m_pManager->GetPaintWindow() : nullptr;
}

RECT CActiveXUI::SitePosRect() const {
    if (m_bWindowless) return m_rcItem;
    const RECT visible = VisibleRect();
    if (RectIsEmpty(visible)) return RECT{0, 0, RectWidth(m_rcItem), RectHeight(m_rcItem)};
    return RectOffset(m_rcItem, -visible.left, -visible.top);
}

RECT CActiveXUI::SiteClipRect() const {
    const RECT visible = VisibleRect();
    if (m_bWindowless) return visible;
    if (RectIsEmpty(visible)) return RECT{0, 0, RectWidth(m_rcItem), RectHeight(m_rcItem)};
    return RECT{0, 0, RectWidth(visible), RectHeight(visible)};
}

void CActiveXUI::SiteInPlaceActivated(bool windowless) { m_bWindowless = windowless; }

// ---- A windowless control's input and painting -----------------------------------------------

// The window manager already sends a pressed control every mouse event until the release: the
// capture the control asks for is that.
bool CActiveXUI::SiteSetCapture(bool capture) {
    m_bCapture = capture;
    return true;
}

bool CActiveXUI::SiteHasCapture() const { return m_bCapture; }

bool CActiveXUI::SiteSetFocus(bool focus) {
    if (m_pManager == nullptr) return false;
    if (focus && !IsFocused()) RequestFocus();
    if (!focus && IsFocused()) m_pManager->SetFocus(nullptr);
    return true;
}

void CActiveXUI::ProcessEvent(TControlEvent& event) {
    if (ForwardMouse(event)) return;
    CControlUI::ProcessEvent(event);
}

bool CActiveXUI::ForwardMouse(const TControlEvent& event) {
    if (!m_windowless || !IsEnabled() || !IsMouseEnabled()) return false;
    const LPARAM where = MAKELPARAM(event.ptMouse.x, event.ptMouse.y);
    LRESULT result = 0;
    if (event.nKind == kEventSetCursor) {
        return m_windowless->OnWindowMessage(WM_SETCURSOR,
                                             reinterpret_cast<WPARAM>(SiteFrameWindow()),
                                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), &result) == S_OK;
    }
    const UINT message = MouseMessageOfEvent(event.nKind);
    if (message == 0) return false;
    return m_windowless->OnWindowMessage(message, event.wKeyState, where, &result) == S_OK;
}

void CActiveXUI::PaintTextContent(HDC hDC) {
    if (!m_view || !m_bWindowless) return;
    RECT update;
    if (!RectIntersect(update, m_rcItem, m_rcPaint)) return;
    CPaintClip clip;
    CUIRender::ClipToRect(hDC, update, clip);
    const RECTL bounds{m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    m_view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hDC, &bounds, nullptr,
                 nullptr, 0);
}

// ---- Ambient properties and extra interfaces -------------------------------------------------

bool CActiveXUI::SiteAmbient(DISPID id, VARIANT& value) const {
    switch (id) {
    case DISPID_AMBIENT_USERMODE:  // running, not being designed
    case DISPID_AMBIENT_AUTOCLIP:  // the host clips the control to what shows
        SetBool(value, true);
        return true;
    case DISPID_AMBIENT_UIDEAD:
        SetBool(value, !IsEnabled());
        return true;
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        SetBool(value, false);
        return true;
    case DISPID_AMBIENT_BACKCOLOR:
        SetInt(value, static_cast<LONG>(BackColor() != 0 ? ArgbToColorRef(BackColor())
                                                          : ::GetSysColor(COLOR_WINDOW)));
        return true;
    case DISPID_AMBIENT_LOCALEID:
        SetInt(value, static_cast<LONG>(::GetUserDefaultLCID()));
        return true;
    case DISPID_AMBIENT_DISPLAYNAME:
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(m_strName.GetData());
        return value.bstrVal != nullptr || m_strName.IsEmpty();
    default:
        return false;
    }
}

HRESULT CActiveXUI::SiteQueryExtra(REFIID, void** object) {
    *object = nullptr;
    return E_NOINTERFACE;
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"ActiveX", &CreateControlOf<CActiveXUI>);
}  // namespace

}  // namespace SkinUI
