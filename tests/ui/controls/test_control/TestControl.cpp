// vexo_test_control.dll: a small in-process ActiveX control for the host's tests. It paints four
// coloured quadrants (windowless through IViewObject::Draw when the site allows it, else in a
// child window of its own), counts its references and records the calls it receives, and
// registers itself for the current user.
//
// Windowless is the default because the host's paint can then be checked pixel by pixel on a
// canvas, without a screen; the windowed class covers the host's child window (placement,
// clipping, hiding), which the window tests check on the screen.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cwchar>
#include <initializer_list>
#include <string>
#include <utility>

#include "support/ComHolders.h"
#include "tests/ui/controls/test_control/TestControlApi.h"

using namespace test_control;
using bxutil::CComRef;

namespace {

enum class EMode { kWindowlessWhenAllowed, kWindowed, kFailing };

HMODULE g_module = nullptr;
TStats g_stats = [] {
    TStats s{};
    s.windowless = -1;
    s.userMode = -1;
    return s;
}();

void Record(const wchar_t* call) {
    const size_t used = wcslen(g_stats.calls);
    const size_t length = wcslen(call);
    if (used + length + 2 >= static_cast<size_t>(kCallTextSize)) return;
    if (used > 0) g_stats.calls[used] = L' ';
    wcscpy(g_stats.calls + used + (used > 0 ? 1 : 0), call);
}

void PaintPattern(HDC dc, const RECT& rc) {
    const LONG midX = rc.left + (rc.right - rc.left) / 2;
    const LONG midY = rc.top + (rc.bottom - rc.top) / 2;
    const std::pair<RECT, COLORREF> parts[] = {
        {{rc.left, rc.top, midX, midY}, kTopLeft},
        {{midX, rc.top, rc.right, midY}, kTopRight},
        {{rc.left, midY, midX, rc.bottom}, kBottomLeft},
        {{midX, midY, rc.right, rc.bottom}, kBottomRight},
    };
    for (const auto& [part, colour] : parts) {
        HBRUSH brush = ::CreateSolidBrush(colour);
        ::FillRect(dc, &part, brush);
        ::DeleteObject(brush);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window, &ps);
        RECT client;
        ::GetClientRect(window, &client);
        PaintPattern(dc, client);
        ::EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LPCWSTR WindowClass() {
    static const LPCWSTR name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &WindowProc;
        wc.hInstance = g_module;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"VexoTestControlWindow";
        ::RegisterClassW(&wc);
        return L"VexoTestControlWindow";
    }();
    return name;
}

bool IsOneOf(REFIID iid, std::initializer_list<const IID*> ids) {
    for (const IID* id : ids)
        if (IsEqualIID(iid, *id)) return true;
    return false;
}

// The ambient USERMODE, asked of the site's IDispatch as a control does: 1, 0 or -1.
LONG ReadUserMode(IOleClientSite* site) {
    CComRef<IDispatch> ambient;
    if (FAILED(site->QueryInterface(IID_IDispatch, ambient.ReceiveVoid()))) return -1;
    DISPPARAMS none{};
    VARIANT value;
    ::VariantInit(&value);
    const HRESULT hr = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0,
                                       DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    const LONG mode = SUCCEEDED(hr) && value.vt == VT_BOOL ? (value.boolVal ? 1 : 0) : -1;
    ::VariantClear(&value);
    return mode;
}

class CTestControl final : public IOleObject,
                           public IOleInPlaceObjectWindowless,
                           public IOleInPlaceActiveObject,
                           public IViewObject {
public:
    explicit CTestControl(EMode mode) : m_mode(mode) {
        ++g_stats.liveObjects;
        ++g_stats.created;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsOneOf(iid, {&IID_IUnknown, &IID_IOleObject}))
            *object = static_cast<IOleObject*>(this);
        else if (IsOneOf(iid, {&IID_IOleWindow, &IID_IOleInPlaceObject,
                               &IID_IOleInPlaceObjectWindowless}))
            *object = static_cast<IOleInPlaceObjectWindowless*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
            *object = static_cast<IOleInPlaceActiveObject*>(this);
        else if (IsEqualIID(iid, IID_IViewObject))
            *object = static_cast<IViewObject*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++g_stats.references;
        return static_cast<ULONG>(++m_refs);
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --g_stats.references;
        const LONG left = --m_refs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        Record(site != nullptr ? L"SetClientSite" : L"SetClientSite(null)");
        m_clientSite = CComRef<IOleClientSite>::Share(site);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
        if (site == nullptr) return E_POINTER;
        *site = CComRef<IOleClientSite>::Share(m_clientSite.Get()).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        Record(L"Close");
        Deactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND,
                                     LPCRECT) override {
        Record(L"DoVerb");
        if (m_mode == EMode::kFailing) return E_FAIL;
        if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW) return E_NOTIMPL;
        if (m_inPlaceSite) return S_OK;
        return Activate(site != nullptr ? site : m_clientSite.Get());
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        Record(L"GetMiscStatus");
        if (status == nullptr) return E_POINTER;
        *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                  OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject(Windowless)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = m_window;
        return m_window != nullptr ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        Record(L"InPlaceDeactivate");
        Deactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override {
        Record(L"SetObjectRects");
        if (pos == nullptr || clip == nullptr) return E_POINTER;
        g_stats.lastPosRect = *pos;
        g_stats.lastClipRect = *clip;
        if (m_window != nullptr)
            ::MoveWindow(m_window, pos->left, pos->top, pos->right - pos->left,
                         pos->bottom - pos->top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT message, WPARAM, LPARAM,
                                              LRESULT* result) override {
        if (result != nullptr) *result = 0;
        if (message < WM_MOUSEFIRST || message > WM_MOUSELAST) return S_FALSE;
        ++g_stats.mouseMessages;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }

    // IOleInPlaceActiveObject: the control keeps Tab for itself, as a page or an editor does.
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override {
        Record(L"TranslateAccelerator");
        return msg != nullptr && msg->wParam == VK_TAB ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IViewObject
    HRESULT STDMETHODCALLTYPE Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override {
        if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
        ++g_stats.drawCalls;
        const RECT rc{bounds->left, bounds->top, bounds->right, bounds->bottom};
        g_stats.lastDrawBounds = rc;
        PaintPattern(dc, rc);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override {
        return E_NOTIMPL;
    }

private:
    ~CTestControl() {
        Deactivate();
        --g_stats.liveObjects;
    }

    // The in-place activation a container asks for with DoVerb.
    HRESULT Activate(IOleClientSite* site) {
        if (site == nullptr) return E_UNEXPECTED;
        g_stats.userMode = ReadUserMode(site);
        CComRef<IOleInPlaceSiteWindowless> windowless;
        if (m_mode == EMode::kWindowlessWhenAllowed &&
            SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                           windowless.ReceiveVoid())) &&
            windowless->CanWindowlessActivate() == S_OK) {
            BOOL noRedraw = FALSE;
            if (FAILED(windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS)))
                return E_FAIL;
            m_inPlaceSite.Reset(windowless.Detach());
            m_windowless = true;
        } else {
            CComRef<IOleInPlaceSite> inPlace;
            if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.ReceiveVoid())))
                return E_NOINTERFACE;
            if (inPlace->CanInPlaceActivate() != S_OK || FAILED(inPlace->OnInPlaceActivate()))
                return E_FAIL;
            m_inPlaceSite = std::move(inPlace);
            m_windowless = false;
        }
        g_stats.windowless = m_windowless ? 1 : 0;
        return PlaceInSite();
    }

    HRESULT PlaceInSite() {
        HWND parent = nullptr;
        m_inPlaceSite->GetWindow(&parent);
        CComRef<IOleInPlaceFrame> frame;
        CComRef<IOleInPlaceUIWindow> document;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof(info);
        if (FAILED(m_inPlaceSite->GetWindowContext(frame.Receive(), document.Receive(), &pos,
                                                   &clip, &info)))
            return E_FAIL;
        g_stats.lastPosRect = pos;
        g_stats.lastClipRect = clip;
        if (m_windowless) {
            static_cast<IOleInPlaceSiteWindowless*>(m_inPlaceSite.Get())
                ->InvalidateRect(nullptr, TRUE);
            return S_OK;
        }
        m_window = ::CreateWindowExW(0, WindowClass(), nullptr,
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, pos.left, pos.top,
                                     pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                                     g_module, nullptr);
        g_stats.window = m_window;
        return m_window != nullptr ? S_OK : E_FAIL;
    }

    void Deactivate() {
        if (m_window != nullptr) {
            ::DestroyWindow(m_window);
            m_window = nullptr;
        }
        if (m_inPlaceSite) {
            m_inPlaceSite->OnInPlaceDeactivate();
            m_inPlaceSite.Reset();
        }
    }

    LONG m_refs = 0;
    EMode m_mode;
    bool m_windowless = false;
    HWND m_window = nullptr;
    CComRef<IOleClientSite> m_clientSite;
    CComRef<IOleInPlaceSite> m_inPlaceSite;
};

class CFactory final : public IClassFactory {
public:
    explicit constexpr CFactory(EMode mode) : m_mode(mode) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsOneOf(iid, {&IID_IUnknown, &IID_IClassFactory})) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factories are static: they are never deleted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* control = new CTestControl(m_mode);
        control->AddRef();
        const HRESULT hr = control->QueryInterface(iid, object);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        m_locks += lock ? 1 : -1;
        return S_OK;
    }
    static LONG Locks() { return m_locks; }

private:
    EMode m_mode;
    static inline LONG m_locks = 0;
};

CFactory g_windowlessFactory(EMode::kWindowlessWhenAllowed);
CFactory g_windowedFactory(EMode::kWindowed);
CFactory g_failingFactory(EMode::kFailing);

struct TClassEntry {
    const CLSID* clsid;
    const wchar_t* progId;
    CFactory* factory;
};
const TClassEntry kClasses[] = {
    {&kClsidControl, kProgIdControl, &g_windowlessFactory},
    {&kClsidWindowed, kProgIdWindowed, &g_windowedFactory},
    {&kClsidFailing, kProgIdFailing, &g_failingFactory},
};

LONG SetKeyText(const wchar_t* path, const wchar_t* name, const wchar_t* value) {
    HKEY key = nullptr;
    LONG result = ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return result;
    result = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                              static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result;
}

std::wstring ClassKey(const TClassEntry& entry) {
    wchar_t text[64] = {};
    ::StringFromGUID2(*entry.clsid, text, 64);
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    for (const TClassEntry& entry : kClasses)
        if (IsEqualCLSID(clsid, *entry.clsid)) return entry.factory->QueryInterface(iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return g_stats.liveObjects == 0 && CFactory::Locks() == 0 ? S_OK : S_FALSE;
}

// Per user, so that no administrator rights are needed; writing again changes nothing.
STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(g_module, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return SELFREG_E_CLASS;
    for (const TClassEntry& entry : kClasses) {
        const std::wstring key = ClassKey(entry);
        wchar_t clsid[64] = {};
        ::StringFromGUID2(*entry.clsid, clsid, 64);
        const std::wstring progKey = std::wstring(L"Software\\Classes\\") + entry.progId;
        if (SetKeyText(key.c_str(), nullptr, L"Vexo test control") != ERROR_SUCCESS ||
            SetKeyText((key + L"\\InprocServer32").c_str(), nullptr, path) != ERROR_SUCCESS ||
            SetKeyText((key + L"\\InprocServer32").c_str(), L"ThreadingModel", L"Apartment") !=
                ERROR_SUCCESS ||
            SetKeyText((key + L"\\ProgID").c_str(), nullptr, entry.progId) != ERROR_SUCCESS ||
            SetKeyText((progKey + L"\\CLSID").c_str(), nullptr, clsid) != ERROR_SUCCESS)
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    for (const TClassEntry& entry : kClasses) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ClassKey(entry).c_str());
        ::RegDeleteTreeW(HKEY_CURRENT_USER,
                         (std::wstring(L"Software\\Classes\\") + entry.progId).c_str());
    }
    return S_OK;
}

void VexoTestControlStats(TStats* out) {
    if (out != nullptr) *out = g_stats;
}

void VexoTestControlResetCalls() { g_stats.calls[0] = L'\0'; }

}  // extern "C"
