// CActiveXSite, CActiveXFrame and CActiveXHostWindow: the container side of a hosted ActiveX
// control.

#include "ui/controls/ActiveXSite.h"

#include <olectl.h>

#include <initializer_list>
#include <utility>

#include "ui/core/base/UIGeometry.h"

namespace SkinUI {

namespace {

int& LiveSites() {
    static int count = 0;
    return count;
}

// Hands out one interface of an object that is already counted by the caller's AddRef.
HRESULT Hand(IUnknown* object, void** out) {
    *out = object;
    object->AddRef();
    return S_OK;
}

bool IsOneOf(REFIID iid, std::initializer_list<const IID*> ids) {
    for (const IID* id : ids)
        if (IsEqualIID(iid, *id)) return true;
    return false;
}

}  // namespace

// ---- CActiveXFrame --------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXFrame::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsOneOf(iid, {&IID_IUnknown, &IID_IOleWindow, &IID_IOleInPlaceUIWindow,
                      &IID_IOleInPlaceFrame}))
        return Hand(static_cast<IOleInPlaceFrame*>(this), object);
    return E_NOINTERFACE;
}

// The frame lives inside the site: it counts on the site's count.
ULONG STDMETHODCALLTYPE CActiveXFrame::AddRef() { return m_site.AddRef(); }
ULONG STDMETHODCALLTYPE CActiveXFrame::Release() { return m_site.Release(); }

HRESULT STDMETHODCALLTYPE CActiveXFrame::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = m_site.FrameWindow();
    return *window != nullptr ? S_OK : E_FAIL;
}

// ---- CActiveXSite: identity and count -------------------------------------------------------

CActiveXSite::CActiveXSite(IActiveXSiteOwner* owner) : m_owner(owner) { ++LiveSites(); }

CActiveXSite::~CActiveXSite() { --LiveSites(); }

int CActiveXSite::LiveCount() { return LiveSites(); }

HWND CActiveXSite::FrameWindow() const {
    return m_owner != nullptr ? m_owner->SiteFrameWindow() : nullptr;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsOneOf(iid, {&IID_IUnknown, &IID_IOleClientSite}))
        return Hand(static_cast<IOleClientSite*>(this), object);
    if (IsOneOf(iid, {&IID_IOleWindow, &IID_IOleInPlaceSite, &IID_IOleInPlaceSiteEx,
                      &IID_IOleInPlaceSiteWindowless}))
        return Hand(static_cast<IOleInPlaceSiteWindowless*>(this), object);
    if (IsEqualIID(iid, IID_IOleControlSite))
        return Hand(static_cast<IOleControlSite*>(this), object);
    if (IsEqualIID(iid, IID_IDispatch)) return Hand(static_cast<IDispatch*>(this), object);
    if (m_owner == nullptr) return E_NOINTERFACE;
    return m_owner->SiteQueryExtra(iid, object);
}

ULONG STDMETHODCALLTYPE CActiveXSite::AddRef() { return static_cast<ULONG>(++m_refs); }

ULONG STDMETHODCALLTYPE CActiveXSite::Release() {
    const LONG left = --m_refs;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// ---- IOleClientSite -------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

// The host is no document: controls that look for siblings find none.
HRESULT STDMETHODCALLTYPE CActiveXSite::GetContainer(IOleContainer** container) {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
}

// ---- IOleInPlaceSite ------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXSite::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = m_owner != nullptr ? m_owner->SiteWindow() : nullptr;
    return *window != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::CanInPlaceActivate() {
    return m_owner != nullptr && m_owner->SiteWindow() != nullptr ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::OnInPlaceActivate() {
    BOOL noRedraw = FALSE;
    return OnInPlaceActivateEx(&noRedraw, 0);
}

HRESULT STDMETHODCALLTYPE CActiveXSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                         IOleInPlaceUIWindow** document,
                                                         LPRECT pos, LPRECT clip,
                                                         LPOLEINPLACEFRAMEINFO info) {
    if (frame == nullptr || document == nullptr || pos == nullptr || clip == nullptr)
        return E_POINTER;
    *frame = nullptr;
    *document = nullptr;
    if (m_owner == nullptr) return E_UNEXPECTED;
    *pos = m_owner->SitePosRect();
    *clip = m_owner->SiteClipRect();
    m_frame.AddRef();
    *frame = &m_frame;
    if (info != nullptr) {
        // The skinned window has no menu and no accelerators of the control's.
        info->fMDIApp = FALSE;
        info->hwndFrame = m_owner->SiteFrameWindow();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::OnInPlaceDeactivate() { return S_OK; }

// ---- IOleInPlaceSiteEx ----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
    if (noRedraw != nullptr) *noRedraw = FALSE;
    if (m_owner == nullptr) return E_UNEXPECTED;
    m_owner->SiteInPlaceActivated((flags & ACTIVATE_WINDOWLESS) != 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::OnInPlaceDeactivateEx(BOOL) { return S_OK; }

// ---- IOleInPlaceSiteWindowless --------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXSite::CanWindowlessActivate() {
    return m_owner != nullptr ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::GetCapture() {
    return m_owner != nullptr && m_owner->SiteHasCapture() ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::SetCapture(BOOL capture) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    return m_owner->SiteSetCapture(capture != FALSE) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::GetFocus() {
    return m_owner != nullptr && m_owner->SiteHasFocus() ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::SetFocus(BOOL focus) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    return m_owner->SiteSetFocus(focus != FALSE) ? S_OK : S_FALSE;
}

// A device context of the skinned window, for a windowless control that draws outside a paint
// (it gets a paint request instead when that is refused).
HRESULT STDMETHODCALLTYPE CActiveXSite::GetDC(LPCRECT, DWORD, HDC* dc) {
    if (dc == nullptr) return E_POINTER;
    HWND window = FrameWindow();
    *dc = window != nullptr ? ::GetDC(window) : nullptr;
    return *dc != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::ReleaseDC(HDC dc) {
    ::ReleaseDC(::WindowFromDC(dc), dc);
    return S_OK;
}

// The control is repainted whole through the window manager: a part is not worth tracking.
HRESULT STDMETHODCALLTYPE CActiveXSite::InvalidateRect(LPCRECT, BOOL) {
    if (m_owner != nullptr) m_owner->SiteInvalidate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::InvalidateRgn(HRGN, BOOL) { return InvalidateRect(nullptr, TRUE); }

HRESULT STDMETHODCALLTYPE CActiveXSite::ScrollRect(INT, INT, LPCRECT, LPCRECT) {
    return InvalidateRect(nullptr, TRUE);
}

HRESULT STDMETHODCALLTYPE CActiveXSite::OnDefWindowMessage(UINT, WPARAM, LPARAM,
                                                           LRESULT* result) {
    if (result != nullptr) *result = 0;
    return S_FALSE;
}

// ---- IOleControlSite ------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXSite::GetExtendedControl(IDispatch** control) {
    if (control != nullptr) *control = nullptr;
    return E_NOTIMPL;
}

// ---- IDispatch ------------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXSite::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CActiveXSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                               VARIANT* result, EXCEPINFO*, UINT*) {
    if ((flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    ::VariantInit(result);
    if (m_owner == nullptr || !m_owner->SiteAmbient(id, *result)) return DISP_E_MEMBERNOTFOUND;
    return S_OK;
}

// ---- CActiveXHostWindow ---------------------------------------------------------------------

// Messages sent while a host window is created, before it knows its owner, go to DefWindowProc.
LPCWSTR CActiveXHostWindow::ClassName() {
    static const LPCWSTR name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &CActiveXHostWindow::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"SkinUIActiveXHost";
        ::RegisterClassW(&wc);
        return L"SkinUIActiveXHost";
    }();
    return name;
}

bool CActiveXHostWindow::Create(IListener& listener, HWND parent) {
    Destroy();
    if (!::IsWindow(parent)) return false;
    m_window.Reset(::CreateWindowExW(0, ClassName(), nullptr,
                                     WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                     parent, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (!m_window) return false;
    m_listener = &listener;
    ::SetWindowLongPtrW(m_window.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void CActiveXHostWindow::Destroy() {
    if (!m_window) return;
    ::SetWindowLongPtrW(m_window.Get(), GWLP_USERDATA, 0);
    m_listener = nullptr;
    m_window.Reset();
}

void CActiveXHostWindow::Show(const RECT& visible, bool show) {
    if (!m_window) return;
    if (!show || RectIsEmpty(visible)) {
        ::ShowWindow(m_window.Get(), SW_HIDE);
        return;
    }
    ::SetWindowPos(m_window.Get(), HWND_TOP, visible.left, visible.top, RectWidth(visible),
                   RectHeight(visible), SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT CALLBACK CActiveXHostWindow::Proc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    if (message == WM_DESTROY) {
        auto* self = reinterpret_cast<CActiveXHostWindow*>(
            ::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            // Destroyed with the skinned window, not by Destroy: the holder lets go of a window
            // that is going anyway, then the listener closes the control.
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            (void)self->m_window.Release();
            IListener* listener = std::exchange(self->m_listener, nullptr);
            if (listener != nullptr) listener->HostWindowDestroying();
        }
    }
    if (message == WM_ERASEBKGND) return 1;  // the control covers it
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace SkinUI
