// CTxtWinHost and CTextServicesLink: the windowless text host of the rich edit control.

#include "ui/controls/RichEditHost.h"

#include "support/Log.h"
#include "support/SystemLibrary.h"
#include "support/UniqueHandle.h"

namespace SkinUI {

namespace {

// The import libraries do not carry these two interface ids: their documented values.
constexpr IID kIidTextServices = {
    0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
constexpr IID kIidTextHost = {
    0xc5bdd8d0, 0xd26e, 0x11ce, {0xa8, 0x9e, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};

// The text services library, loaded at the first rich edit and kept for the process: the
// objects it made must never outlive its code.
PCreateTextServices CreateTextServicesEntry() {
    static bxutil::CModuleHandle library = [] {
        bxutil::CModuleHandle module(LoadSystemLibrary(L"msftedit.dll"));
        if (!module) module = bxutil::CModuleHandle(LoadSystemLibrary(L"riched20.dll"));
        return module;
    }();
    if (!library) return nullptr;
    FARPROC entry = ::GetProcAddress(library.Get(), "CreateTextServices");
    return reinterpret_cast<PCreateTextServices>(reinterpret_cast<void*>(entry));
}

int& LiveHosts() {
    static int count = 0;
    return count;
}

void LogFailure(const wchar_t* what, HRESULT hr) {
    static const TLogRecord record{1, L"RichEditHost.cpp", __LINE__};
    WriteLog(&record, L"rich edit: %s (0x%08lx); the control stays empty", what,
             static_cast<long>(hr));
}

}  // namespace

CTxtWinHost::CTxtWinHost(ITextHostSite* site) : m_site(site) { ++LiveHosts(); }

CTxtWinHost::~CTxtWinHost() { --LiveHosts(); }

int CTxtWinHost::LiveCount() { return LiveHosts(); }

// ---- IUnknown -------------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidTextHost)) {
        *object = static_cast<ITextHost*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef() { return static_cast<ULONG>(++m_refs); }

ULONG STDMETHODCALLTYPE CTxtWinHost::Release() {
    const LONG left = --m_refs;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// ---- Device context, scroll bars, repaint ---------------------------------------------------

// A window already destroyed gives the screen's context: the services measure text with it.
HDC CTxtWinHost::TxGetDC() {
    HWND window = Window();
    return ::GetDC(window != nullptr && ::IsWindow(window) ? window : nullptr);
}

// Released to the window it came from, which may have gone since.
INT CTxtWinHost::TxReleaseDC(HDC hdc) { return ::ReleaseDC(::WindowFromDC(hdc), hdc); }

// The scroll bar is the control's own: it reads the services' range and position after each
// call into them returns, not from inside one.
WINBOOL CTxtWinHost::TxShowScrollBar(INT, WINBOOL) { return TRUE; }

WINBOOL CTxtWinHost::TxEnableScrollBar(INT, INT) { return TRUE; }

WINBOOL CTxtWinHost::TxSetScrollRange(INT, LONG, INT, WINBOOL) { return TRUE; }

WINBOOL CTxtWinHost::TxSetScrollPos(INT, INT, WINBOOL) { return TRUE; }

// The control is painted whole through the window manager: a smaller area is not worth tracking.
void CTxtWinHost::TxInvalidateRect(LPCRECT, WINBOOL) {
    if (m_site != nullptr) m_site->HostInvalidate();
}

void CTxtWinHost::TxViewChange(WINBOOL) {
    if (m_site != nullptr) m_site->HostInvalidate();
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {
    if (m_site != nullptr) m_site->HostInvalidate();
}

// ---- Caret, timers, capture, focus, cursor ---------------------------------------------------

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
    HWND window = Window();
    return window != nullptr && ::CreateCaret(window, bitmap, width, height);
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL show) {
    HWND window = Window();
    if (window == nullptr) return FALSE;
    return show ? ::ShowCaret(window) : ::HideCaret(window);
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) { return ::SetCaretPos(x, y); }

WINBOOL CTxtWinHost::TxSetTimer(UINT id, UINT timeout) {
    return m_site != nullptr && m_site->HostSetTimer(id, timeout);
}

void CTxtWinHost::TxKillTimer(UINT id) {
    if (m_site != nullptr) m_site->HostKillTimer(id);
}

void CTxtWinHost::TxSetCapture(WINBOOL capture) {
    HWND window = Window();
    if (window == nullptr) return;
    if (capture)
        ::SetCapture(window);
    else if (::GetCapture() == window)
        ::ReleaseCapture();
}

void CTxtWinHost::TxSetFocus() {
    if (m_site != nullptr) m_site->HostFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR cursor, WINBOOL) { ::SetCursor(cursor); }

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT pt) {
    HWND window = Window();
    return window != nullptr && ::ScreenToClient(window, pt);
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT pt) {
    HWND window = Window();
    return window != nullptr && ::ClientToScreen(window, pt);
}

HRESULT CTxtWinHost::TxActivate(LONG* oldState) {
    if (oldState != nullptr) *oldState = 0;
    return S_OK;
}

HRESULT CTxtWinHost::TxDeactivate(LONG) { return S_OK; }

// ---- Geometry and formats --------------------------------------------------------------------

HRESULT CTxtWinHost::TxGetClientRect(LPRECT rc) {
    if (rc == nullptr) return E_POINTER;
    *rc = m_site != nullptr ? m_site->HostTextRect() : RECT{0, 0, 0, 0};
    return S_OK;
}

// The control's padding is already taken off the client rectangle.
HRESULT CTxtWinHost::TxGetViewInset(LPRECT rc) {
    if (rc == nullptr) return E_POINTER;
    *rc = RECT{0, 0, 0, 0};
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** format) {
    if (format == nullptr || m_site == nullptr) return E_FAIL;
    // A CHARFORMAT2W starts with the CHARFORMATW fields; cbSize tells the services which it is.
    *format = reinterpret_cast<const CHARFORMATW*>(&m_site->HostCharFormat());
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
    if (format == nullptr || m_site == nullptr) return E_FAIL;
    *format = &m_site->HostParaFormat();
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int index) { return ::GetSysColor(index); }

// The control paints its own background.
HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style) {
    if (style == nullptr) return E_POINTER;
    *style = TXTBACK_TRANSPARENT;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* length) {
    if (length == nullptr) return E_POINTER;
    *length = m_site != nullptr ? m_site->HostMaxLength() : 0;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* bars) {
    if (bars == nullptr) return E_POINTER;
    *bars = m_site != nullptr ? m_site->HostScrollBars() : 0;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* ch) {
    if (ch != nullptr) *ch = 0;
    return S_FALSE;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* cp) {
    if (cp != nullptr) *cp = -1;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL) { return E_NOTIMPL; }

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
    if (bits == nullptr) return E_POINTER;
    *bits = m_site != nullptr ? m_site->HostPropertyBits() & mask : 0;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD code, void*) {
    if (m_site != nullptr) m_site->HostNotify(code);
    return S_OK;
}

// Without an input context the services take composed characters as plain WM_CHAR input.
HIMC CTxtWinHost::TxImmGetContext() { return nullptr; }

void CTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* width) {
    if (width != nullptr) *width = 0;
    return S_OK;
}

// ---- CTextServicesLink -----------------------------------------------------------------------

std::unique_ptr<CTextServicesLink> CTextServicesLink::Create(ITextHostSite* site) {
    PCreateTextServices create = CreateTextServicesEntry();
    if (create == nullptr) {
        LogFailure(L"no msftedit.dll or riched20.dll with CreateTextServices", E_FAIL);
        return nullptr;
    }
    std::unique_ptr<CTextServicesLink> link(new CTextServicesLink());
    link->m_host = new CTxtWinHost(site);  // the link's reference, released in its destructor
    HRESULT hr = create(nullptr, link->m_host, link->m_unknown.Receive());
    if (FAILED(hr) || !link->m_unknown) {
        LogFailure(L"CreateTextServices failed", hr);
        return nullptr;
    }
    hr = link->m_unknown->QueryInterface(kIidTextServices,
                                         reinterpret_cast<void**>(link->m_services.Receive()));
    if (FAILED(hr) || !link->m_services) {
        LogFailure(L"no ITextServices on the text services", hr);
        return nullptr;
    }
    return link;
}

CTextServicesLink::~CTextServicesLink() {
    if (m_services) m_services->OnTxInPlaceDeactivate();
    m_services.Reset();
    m_unknown.Reset();
    // References the services still hold keep the host alive, detached from its control.
    if (m_host != nullptr) {
        m_host->Detach();
        m_host->Release();
    }
}

LRESULT CTextServicesLink::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    LRESULT result = 0;
    if (!m_services) return 0;
    if (FAILED(m_services->TxSendMessage(message, wParam, lParam, &result))) return 0;
    return result;
}

}  // namespace SkinUI
