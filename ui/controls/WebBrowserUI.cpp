// CWebBrowserUI: the system's browser control in a skinned window, its events as notifications,
// and a readable message where the browser engine cannot start.

#include "ui/controls/WebBrowserUI.h"

#include <docobj.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <algorithm>
#include <initializer_list>
#include <new>

#include "support/ComHolders.h"
#include "support/Log.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/AttributeTable.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/render/UIRender.h"

namespace SkinUI {

namespace {

// kWebBrowserClass as the "clsid" attribute names it.
constexpr const wchar_t* kBrowserClass = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
// The empty page: no content, no script, nothing of the system's.
constexpr const wchar_t* kBlankPage = L"about:blank";

// The command group the browser asks its host about script errors in.
constexpr GUID kDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// The HTML engine's document (CLSID_HTMLDocument): a browser that cannot make one shows no
// page at all, whatever it answers to a navigation.
constexpr CLSID kHtmlDocument = {
    0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

constexpr UINT kDeadlineTimer = 1;
// A failure found inside one of the browser's own calls is acted on from the message loop.
constexpr UINT kSoonMs = 1;
constexpr DWORD kMessageColour = 0xFF3A4250;
constexpr DWORD kMessageBackColour = 0xFFF3F5F8;
constexpr LONG kMessageMargin = 12;

// Argument i of an event (0 the first): DISPPARAMS holds them from the last to the first.
const VARIANT* Arg(const DISPPARAMS* params, UINT i) {
    if (params == nullptr || params->rgvarg == nullptr || i >= params->cArgs) return nullptr;
    const VARIANT* arg = &params->rgvarg[params->cArgs - 1 - i];
    // In/out arguments come as a reference to a VARIANT.
    if (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal != nullptr) return arg->pvarVal;
    return arg;
}

LPCWSTR TextArg(const DISPPARAMS* params, UINT i) {
    const VARIANT* arg = Arg(params, i);
    if (arg == nullptr) return L"";
    if (arg->vt == VT_BSTR && arg->bstrVal != nullptr) return arg->bstrVal;
    if (arg->vt == (VT_BYREF | VT_BSTR) && arg->pbstrVal != nullptr && *arg->pbstrVal != nullptr)
        return *arg->pbstrVal;
    return L"";
}

LONG IntArg(const DISPPARAMS* params, UINT i) {
    const VARIANT* arg = Arg(params, i);
    if (arg == nullptr) return 0;
    if (arg->vt == VT_I4) return arg->lVal;
    if (arg->vt == (VT_BYREF | VT_I4) && arg->plVal != nullptr) return *arg->plVal;
    return 0;
}

// Writes the answer into a Cancel argument (a reference to a VARIANT_BOOL).
void SetCancel(DISPPARAMS* params, UINT i, bool cancel) {
    if (params == nullptr || params->rgvarg == nullptr || i >= params->cArgs) return;
    VARIANT* arg = &params->rgvarg[params->cArgs - 1 - i];
    if (arg->vt == (VT_BYREF | VT_BOOL) && arg->pboolVal != nullptr)
        *arg->pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

bool IsOneOf(REFIID iid, std::initializer_list<const IID*> ids) {
    for (const IID* id : ids)
        if (IsEqualIID(iid, *id)) return true;
    return false;
}

// A navigation's status that says the engine itself is missing (its classes are not there or
// cannot be loaded), not that the page failed.
bool IsEngineFailure(LONG status) {
    const HRESULT hr = static_cast<HRESULT>(status);
    return hr == REGDB_E_CLASSNOTREG || hr == CLASS_E_CLASSNOTAVAILABLE ||
           hr == CO_E_DLLNOTFOUND || hr == CO_E_ERRORINDLL;
}

void LogBrowser(const wchar_t* what, HRESULT hr) {
    static const TLogRecord record{1, L"WebBrowserUI.cpp", __LINE__};
    WriteLog(&record, L"web browser: %s (0x%08lx)", what, static_cast<unsigned long>(hr));
}

void LogRefusedAddress(LPCWSTR url) {
    static const TLogRecord record{1, L"WebBrowserUI.cpp", __LINE__};
    WriteLog(&record, L"web browser: not allowed to go to %s", UrlForLog(url).c_str());
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// The scheme of an address in lower case: the letters, digits, "+", "-" and "." before its
// first ":", beginning with a letter. Empty when the address does not begin so: the browser
// would read such an address its own way (leading blanks dropped, tabs inside a scheme
// skipped, a bare name guessed to be a host or a file), so it has no scheme to allow.
std::wstring SchemeOf(LPCWSTR url) {
    if (url == nullptr || !IsAsciiLetter(url[0])) return {};
    std::wstring scheme;
    for (LPCWSTR p = url; *p != L':'; ++p) {
        const wchar_t c = *p;
        if (!IsAsciiLetter(c) && !(c >= L'0' && c <= L'9') && c != L'+' && c != L'-' && c != L'.') return {};
        scheme += static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    }
    return scheme;
}

}  // namespace

// ---- The owner's handler: defaults ----------------------------------------------------------

void IWebBrowserEventHandler::BeforeNavigate(CWebBrowserUI&, LPCWSTR, bool&) {}
void IWebBrowserEventHandler::NavigateComplete(CWebBrowserUI&, LPCWSTR) {}
void IWebBrowserEventHandler::DocumentComplete(CWebBrowserUI&, LPCWSTR) {}
void IWebBrowserEventHandler::NavigateError(CWebBrowserUI&, LPCWSTR, LONG, bool&) {}
bool IWebBrowserEventHandler::AllowNewWindow(CWebBrowserUI&, LPCWSTR) { return false; }

// ---- The sink: events, UI handler, command target -------------------------------------------

// The browser's events arrive here, and the browser asks its host (through the site) for the
// UI handler and the command target. The sink counts its own references: the browser may hold
// one after the control has closed it, so the control detaches the sink first.
class CWebBrowserSink final : public IDispatch, public IDocHostUIHandler, public IOleCommandTarget {
public:
    explicit CWebBrowserSink(CWebBrowserUI* owner) : m_owner(owner) {}
    CWebBrowserSink(const CWebBrowserSink&) = delete;
    CWebBrowserSink& operator=(const CWebBrowserSink&) = delete;

    void Detach() { m_owner = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsOneOf(iid, {&IID_IUnknown, &IID_IDispatch, &DIID_DWebBrowserEvents2}))
            *object = static_cast<IDispatch*>(this);
        else if (IsEqualIID(iid, IID_IDocHostUIHandler))
            *object = static_cast<IDocHostUIHandler*>(this);
        else if (IsEqualIID(iid, IID_IOleCommandTarget))
            *object = static_cast<IOleCommandTarget*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = --m_refs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: DWebBrowserEvents2
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override;

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        // S_OK: the host handled it (no menu); S_FALSE: the browser shows its own.
        return m_owner != nullptr && m_owner->HostShowsContextMenu() ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override {
        if (info == nullptr) return E_POINTER;
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                     IOleInPlaceFrame*, IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        if (key != nullptr) *key = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override {
        if (target != nullptr) *target = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override {
        if (external != nullptr) *external = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        if (out != nullptr) *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override {
        if (out != nullptr) *out = nullptr;
        return S_FALSE;
    }

    // IOleCommandTarget: the browser asks whether to show a script error.
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) override {
        return OLECMDERR_E_UNKNOWNGROUP;
    }
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD id, DWORD, VARIANT*,
                                   VARIANT* out) override {
        if (group == nullptr || !IsEqualGUID(*group, kDocHostCommandHandler))
            return OLECMDERR_E_UNKNOWNGROUP;
        if (id != OLECMDID_SHOWSCRIPTERROR || m_owner == nullptr ||
            m_owner->HostShowsScriptErrors())
            return OLECMDERR_E_NOTSUPPORTED;
        // Handled: no dialog, and the page's scripts go on running.
        if (out != nullptr) {
            ::VariantClear(out);
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_TRUE;
        }
        return S_OK;
    }

private:
    ~CWebBrowserSink() = default;  // only through Release

    LONG m_refs = 1;
    CWebBrowserUI* m_owner;  // not owned; null once detached
};

HRESULT STDMETHODCALLTYPE CWebBrowserSink::Invoke(DISPID id, REFIID, LCID, WORD,
                                                  DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                                  UINT*) {
    if (m_owner == nullptr) return S_OK;
    // The argument lists of DWebBrowserEvents2; Cancel is written back where there is one.
    bool cancel = false;
    switch (id) {
    case DISPID_BEFORENAVIGATE2:  // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
        m_owner->OnBeforeNavigate(TextArg(params, 1), cancel);
        SetCancel(params, 6, cancel);
        break;
    case DISPID_NAVIGATECOMPLETE2:  // (pDisp, URL)
        m_owner->OnNavigateComplete(TextArg(params, 1));
        break;
    case DISPID_DOCUMENTCOMPLETE:  // (pDisp, URL)
        m_owner->OnDocumentComplete(TextArg(params, 1));
        break;
    case DISPID_NAVIGATEERROR:  // (pDisp, URL, Frame, StatusCode, Cancel)
        m_owner->OnNavigateError(TextArg(params, 1), IntArg(params, 3), cancel);
        SetCancel(params, 4, cancel);
        break;
    case DISPID_NEWWINDOW3:  // (ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl)
        SetCancel(params, 1, !m_owner->OnNewWindow(TextArg(params, 4)));
        break;
    case DISPID_NEWWINDOW2:  // (ppDisp, Cancel): without an owner's handler, refused here
        if (m_owner->EventHandler() == nullptr) SetCancel(params, 1, true);
        break;
    default:
        break;
    }
    return S_OK;
}

// ---- CWebBrowserUI --------------------------------------------------------------------------

CWebBrowserUI::CWebBrowserUI() {
    UseAttributes(Attributes());
    SetClsid(kBrowserClass);
}

// Closed here, while OnControlClosing is still this class's.
CWebBrowserUI::~CWebBrowserUI() { ReleaseControl(); }

LPCWSTR CWebBrowserUI::ClassName() const { return L"WebBrowserUI"; }

LPVOID CWebBrowserUI::InterfaceByName(LPCWSTR name) {
    if (name != nullptr && wcscmp(name, L"WebBrowser") == 0) return this;
    return CActiveXUI::InterfaceByName(name);
}

const CAttributeTable<CWebBrowserUI>& CWebBrowserUI::Attributes() {
    using C = CWebBrowserUI;
    static const TAttributeRow<C> rows[] = {
        {L"homepage", [](C& c, LPCWSTR v) { c.SetHomePage(v); },
         [](C& c) { return c.HomePage(); }},
        AttrBool::Row<&C::SetAutoNavigate, &C::IsAutoNavigate>(L"autonavi"),
        AttrBool::Row<&C::SetContextMenuShown, &C::IsContextMenuShown>(L"contextmenu"),
        AttrBool::Row<&C::SetScriptErrorsShown, &C::AreScriptErrorsShown>(L"scripterrors"),
    };
    static const CAttributeTable<C> table(rows, &CActiveXUI::Attributes());
    return table;
}

void CWebBrowserUI::SetScriptErrorsShown(bool shown) {
    m_bScriptErrors = shown;
    // A silent browser shows no dialog of its own at all, script errors included.
    if (auto browser = WebBrowser()) browser->put_Silent(shown ? VARIANT_FALSE : VARIANT_TRUE);
}

bxutil::CComRef<IWebBrowser2> CWebBrowserUI::WebBrowser() const {
    bxutil::CComRef<IWebBrowser2> browser;
    GetControl(IID_IWebBrowser2, browser.ReceiveVoid());
    return browser;
}

// ---- Making and closing the browser ---------------------------------------------------------

HRESULT CWebBrowserUI::OnControlCreated() {
    m_bEngineMissing = false;
    m_hrEngine = S_OK;
    auto browser = WebBrowser();
    if (!browser) return E_NOINTERFACE;
    bxutil::CComRef<IUnknown> document;
    HRESULT hr = ::CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    document.ReceiveVoid());
    if (FAILED(hr)) {
        LogBrowser(L"no HTML engine (its document class cannot be made)", hr);
        return hr;
    }
    document.Reset();
    browser->put_Silent(m_bScriptErrors ? VARIANT_FALSE : VARIANT_TRUE);
    bxutil::CComRef<IConnectionPointContainer> points;
    GetControl(IID_IConnectionPointContainer, points.ReceiveVoid());
    bxutil::CComRef<IConnectionPoint> point;
    hr = points ? points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive())
                : E_NOINTERFACE;
    if (FAILED(hr)) {
        LogBrowser(L"no event connection", hr);
        return hr;
    }
    m_sink.Reset(new (std::nothrow) CWebBrowserSink(this));
    if (!m_sink) return E_OUTOFMEMORY;
    hr = point->Advise(static_cast<IDispatch*>(m_sink.Get()), &m_dwCookie);
    if (FAILED(hr)) {
        LogBrowser(L"events refused (Advise)", hr);
        m_dwCookie = 0;
    }
    return hr;
}

void CWebBrowserUI::OnCreateFinished(HRESULT result) {
    if (FAILED(result)) {
        EngineMissing(result);
        return;
    }
    if (m_bAutoNavigate) NavigateHomePage();
}

void CWebBrowserUI::OnControlClosing() {
    StopDeadline();
    if (m_dwCookie != 0) {
        bxutil::CComRef<IConnectionPointContainer> points;
        bxutil::CComRef<IConnectionPoint> point;
        GetControl(IID_IConnectionPointContainer, points.ReceiveVoid());
        if (points && SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2,
                                                            point.Receive())))
            point->Unadvise(m_dwCookie);
        m_dwCookie = 0;
    }
    if (m_sink) m_sink->Detach();
    m_sink.Reset();
}

HRESULT CWebBrowserUI::SiteQueryExtra(REFIID iid, void** object) {
    *object = nullptr;
    if (!m_sink || !IsOneOf(iid, {&IID_IDocHostUIHandler, &IID_IOleCommandTarget}))
        return E_NOINTERFACE;
    return m_sink->QueryInterface(iid, object);
}

// ---- Navigation -----------------------------------------------------------------------------

void CWebBrowserUI::AllowScheme(LPCWSTR scheme) {
    // Read as the scheme of an address would be: a name that no address can have is ignored.
    const std::wstring name = SchemeOf((std::wstring(scheme != nullptr ? scheme : L"") + L":").c_str());
    if (!name.empty() && std::find(m_vSchemes.begin(), m_vSchemes.end(), name) == m_vSchemes.end())
        m_vSchemes.push_back(name);
}

bool CWebBrowserUI::IsAddressAllowed(LPCWSTR url) const {
    if (url == nullptr) return false;
    if (_wcsicmp(url, kBlankPage) == 0) return true;
    const std::wstring scheme = SchemeOf(url);
    return !scheme.empty() && std::find(m_vSchemes.begin(), m_vSchemes.end(), scheme) != m_vSchemes.end();
}

bool CWebBrowserUI::Navigate2(LPCWSTR url) {
    if (url != nullptr && *url != L'\0' && !IsAddressAllowed(url)) {
        LogRefusedAddress(url);
        return false;
    }
    auto browser = WebBrowser();
    if (!browser || url == nullptr || *url == L'\0') return false;
    bxutil::CVariant address = bxutil::CVariant::String(url);
    if (address.Type() != VT_BSTR) return false;
    bxutil::CVariant none;
    const HRESULT hr = browser->Navigate2(address.Get(), none.Get(), none.Get(), none.Get(), none.Get());
    browser.Reset();
    if (FAILED(hr)) {
        LogBrowser(L"Navigate2 failed", hr);
        EngineMissing(hr);
        return false;
    }
    StartDeadline();
    return true;
}

bool CWebBrowserUI::NavigateHomePage() {
    if (!m_strHomePage.IsEmpty()) return Navigate2(m_strHomePage);
    auto browser = WebBrowser();
    if (!browser || FAILED(browser->GoHome())) return false;
    StartDeadline();
    return true;
}

bool CWebBrowserUI::Refresh() {
    auto browser = WebBrowser();
    return browser && SUCCEEDED(browser->Refresh());
}

bool CWebBrowserUI::GoBack() {
    auto browser = WebBrowser();
    return browser && SUCCEEDED(browser->GoBack());
}

bool CWebBrowserUI::GoForward() {
    auto browser = WebBrowser();
    return browser && SUCCEEDED(browser->GoForward());
}

// ---- Events ---------------------------------------------------------------------------------

void CWebBrowserUI::Notify(LPCWSTR type, LPCWSTR url, WPARAM wParam) {
    if (m_pManager != nullptr)
        m_pManager->SendNotification(this, type, wParam, reinterpret_cast<LPARAM>(url));
}

// Every navigation passes here, also those of the page itself (links, scripts, redirects,
// frames): an address that is not allowed never starts, whatever the owner's handler says.
void CWebBrowserUI::OnBeforeNavigate(LPCWSTR url, bool& cancel) {
    if (!IsAddressAllowed(url)) {
        cancel = true;
        LogRefusedAddress(url);
        return;
    }
    if (m_pHandler != nullptr) m_pHandler->BeforeNavigate(*this, url, cancel);
    Notify(L"beforenavigate", url);
}

void CWebBrowserUI::OnNavigateComplete(LPCWSTR url) {
    EventArrived();
    if (m_pHandler != nullptr) m_pHandler->NavigateComplete(*this, url);
    Notify(L"navigatecomplete", url);
}

void CWebBrowserUI::OnDocumentComplete(LPCWSTR url) {
    EventArrived();
    if (m_pHandler != nullptr) m_pHandler->DocumentComplete(*this, url);
    Notify(L"documentcomplete", url);
}

void CWebBrowserUI::OnNavigateError(LPCWSTR url, LONG status, bool& cancel) {
    EventArrived();
    if (IsEngineFailure(status)) {
        // Not a page that failed but the engine: the browser is closed from the message loop,
        // and that sends the one "navigateerror".
        cancel = true;
        m_hrEngine = status;
        m_bDeadline = m_pManager != nullptr && m_pManager->SetTimer(this, kDeadlineTimer, kSoonMs);
        return;
    }
    if (m_pHandler != nullptr) m_pHandler->NavigateError(*this, url, status, cancel);
    Notify(L"navigateerror", url, ResultParam(status));
}

// A new window is the system's browser, outside this control's checks: it opens only for an
// address this control would go to itself.
bool CWebBrowserUI::OnNewWindow(LPCWSTR url) {
    const bool allowed = IsAddressAllowed(url) && m_pHandler != nullptr && m_pHandler->AllowNewWindow(*this, url);
    Notify(L"newwindow", url, allowed ? 1 : 0);
    return allowed;
}

// ---- An engine that cannot start ------------------------------------------------------------

// Only the end of a navigation proves that pages can be shown: a browser without its HTML
// engine may still announce the start of one.
void CWebBrowserUI::EventArrived() { StopDeadline(); }

void CWebBrowserUI::StartDeadline() {
    if (m_pManager == nullptr) return;
    m_bDeadline = m_pManager->SetTimer(this, kDeadlineTimer, kEngineDeadlineMs);
}

void CWebBrowserUI::StopDeadline() {
    if (!m_bDeadline) return;
    m_bDeadline = false;
    if (m_pManager != nullptr) m_pManager->KillTimer(this, kDeadlineTimer);
}

void CWebBrowserUI::ProcessEvent(TControlEvent& event) {
    if (event.nKind == kEventTimer && event.wParam == kDeadlineTimer && m_bDeadline) {
        StopDeadline();
        EngineMissing(FAILED(m_hrEngine) ? m_hrEngine : HRESULT_FROM_WIN32(ERROR_TIMEOUT));
        return;
    }
    CActiveXUI::ProcessEvent(event);
}

void CWebBrowserUI::EngineMissing(HRESULT reason) {
    if (m_bEngineMissing) return;
    LogBrowser(L"the browser engine cannot show pages; the control shows its message", reason);
    m_bEngineMissing = true;
    // Closed from here, never from inside one of the browser's own calls: every caller is the
    // control's own code (creation, Navigate2 after it returned, the deadline's timer).
    ReleaseControl();
    InvalidateSelf();
    Notify(L"navigateerror", m_strHomePage, ResultParam(reason));
}

CUIString CWebBrowserUI::UnavailableMessage() const {
    const CUIString text = Text();
    return text.IsEmpty() ? CUIString(kDefaultMessage) : text;
}

void CWebBrowserUI::PaintTextContent(HDC hDC) {
    CActiveXUI::PaintTextContent(hDC);
    if (!m_bEngineMissing || m_pManager == nullptr) return;
    CUIRender::DrawColor(hDC, m_rcItem, kMessageBackColour);
    const RECT area = RectDeflate(m_rcItem, RECT{kMessageMargin, kMessageMargin, kMessageMargin,
                                                 kMessageMargin});
    const CUIString message = UnavailableMessage();
    constexpr UINT kStyle = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    // Wrapped lines, the block centred in the control's height.
    RECT measured = area;
    CUIRender::DrawText(hDC, m_pManager, measured, message, kMessageColour, -1,
                        kStyle | DT_CALCRECT);
    RECT text = area;
    text.top += std::max<LONG>(0, (RectHeight(area) - RectHeight(measured)) / 2);
    CUIRender::DrawText(hDC, m_pManager, text, message, kMessageColour, -1, kStyle);
}

// The markup element this class answers to.
namespace {
const CControlRegistration kElement(L"WebBrowser", &CreateControlOf<CWebBrowserUI>);
}  // namespace

}  // namespace SkinUI
