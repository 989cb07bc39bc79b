// An accessibility client, as a screen reader sees a window: finds a top-level window by its
// title, walks its client area's IAccessible tree through oleacc (from another process, so every
// call crosses COM marshalling) and prints one line per object. Optionally does the default
// action of the first visible object with a given name, and prints the WinEvents the window
// raises for a while afterwards, each resolved to the object it names.
//
// Usage: accessibility_client.exe --title TITLE [--click NAME] [--events MILLISECONDS]
//                                 [--max-children N]
// Output (UTF-8), one object a line, indented two spaces a level:
//   role | name | states | left,top,width,height | value=... | action=...
// then "click: HRESULT" and "event: NAME role | name | value=..." lines. Exit code 0 when the
// window was found and walked (and the object to click was found when one was named).

#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/ComHolders.h"

namespace {

using bxutil::CComRef;

// One BSTR, freed when it goes.
class CBstr {
public:
    CBstr() = default;
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { ::SysFreeString(m_b); }
    BSTR* Receive() { return &m_b; }
    std::wstring Text() const { return m_b != nullptr ? std::wstring(m_b) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};

// One VARIANT, cleared when it goes.
struct TVariant {
    VARIANT v;
    TVariant() { ::VariantInit(&v); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant() { ::VariantClear(&v); }
};

VARIANT Self() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size,
                          nullptr, nullptr);
    return out;
}

void PrintLine(const std::wstring& line) {
    std::printf("%s\n", Utf8(line).c_str());
    std::fflush(stdout);
}

std::wstring RoleText(IAccessible& object, VARIANT child) {
    TVariant role;
    if (FAILED(object.get_accRole(child, &role.v)) || role.v.vt != VT_I4) return L"?";
    wchar_t text[128] = L"";
    ::GetRoleTextW(static_cast<DWORD>(role.v.lVal), text, 128);
    return text;
}

// The state bits a tree shows, by name.
std::wstring StateText(IAccessible& object, VARIANT child) {
    TVariant state;
    if (FAILED(object.get_accState(child, &state.v)) || state.v.vt != VT_I4) return L"?";
    static const struct {
        DWORD bit;
        const wchar_t* name;
    } names[] = {{STATE_SYSTEM_FOCUSED, L"focused"},     {STATE_SYSTEM_FOCUSABLE, L"focusable"},
                 {STATE_SYSTEM_SELECTED, L"selected"},   {STATE_SYSTEM_CHECKED, L"checked"},
                 {STATE_SYSTEM_EXPANDED, L"expanded"},   {STATE_SYSTEM_COLLAPSED, L"collapsed"},
                 {STATE_SYSTEM_UNAVAILABLE, L"disabled"}, {STATE_SYSTEM_INVISIBLE, L"invisible"}};
    std::wstring out;
    for (const auto& entry : names) {
        if ((static_cast<DWORD>(state.v.lVal) & entry.bit) == 0) continue;
        if (!out.empty()) out += L",";
        out += entry.name;
    }
    return out.empty() ? L"-" : out;
}

bool IsInvisible(IAccessible& object) {
    TVariant state;
    return SUCCEEDED(object.get_accState(Self(), &state.v)) && state.v.vt == VT_I4 &&
           (state.v.lVal & STATE_SYSTEM_INVISIBLE) != 0;
}

template <class Getter>
std::wstring ReadText(Getter get) {
    CBstr text;
    return SUCCEEDED(get(text.Receive())) ? text.Text() : std::wstring();
}

// A text on one line: line breaks written as \n.
std::wstring OneLine(const std::wstring& text) {
    std::wstring out;
    for (wchar_t ch : text) {
        if (ch == L'\r') continue;
        if (ch == L'\n') out += L"\\n";
        else out += ch;
    }
    return out;
}

std::wstring NameOf(IAccessible& object, VARIANT child) {
    return ReadText([&](BSTR* out) { return object.get_accName(child, out); });
}

// One line: role | name | states | location | value | action.
std::wstring Describe(IAccessible& object, VARIANT child) {
    long left = 0, top = 0, width = 0, height = 0;
    object.accLocation(&left, &top, &width, &height, child);
    wchar_t where[64];
    swprintf(where, 64, L"%ld,%ld,%ld,%ld", left, top, width, height);
    std::wstring line = RoleText(object, child) + L" | " + OneLine(NameOf(object, child)) + L" | " +
                        StateText(object, child) + L" | " + where;
    const std::wstring value = ReadText([&](BSTR* out) { return object.get_accValue(child, out); });
    if (!value.empty()) line += L" | value=" + OneLine(value);
    const std::wstring action =
        ReadText([&](BSTR* out) { return object.get_accDefaultAction(child, out); });
    if (!action.empty()) line += L" | action=" + action;
    return line;
}

struct TOptions {
    std::wstring title;
    std::wstring click;
    DWORD eventsMs = 0;
    long maxChildren = 40;
};

struct TWalk {
    const TOptions& options;
    CComRef<IAccessible> toClick;
};

void Walk(IAccessible& object, int depth, TWalk& walk) {
    const std::wstring indent(static_cast<size_t>(depth) * 2, L' ');
    PrintLine(indent + Describe(object, Self()));
    const std::wstring& wanted = walk.options.click;
    if (!walk.toClick && !wanted.empty() && NameOf(object, Self()) == wanted &&
        !IsInvisible(object))
        walk.toClick = CComRef<IAccessible>::Share(&object);
    long count = 0;
    if (FAILED(object.get_accChildCount(&count)) || count <= 0) return;
    const long shown = count < walk.options.maxChildren ? count : walk.options.maxChildren;
    std::vector<VARIANT> children(static_cast<size_t>(shown));
    long obtained = 0;
    if (FAILED(::AccessibleChildren(&object, 0, shown, children.data(), &obtained))) return;
    for (long i = 0; i < obtained; ++i) {
        VARIANT& child = children[static_cast<size_t>(i)];
        if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
            CComRef<IAccessible> inner;
            child.pdispVal->QueryInterface(__uuidof(IAccessible), inner.ReceiveVoid());
            if (inner) Walk(*inner.Get(), depth + 1, walk);
        } else if (child.vt == VT_I4) {
            PrintLine(indent + L"  " + Describe(object, child));
        }
        ::VariantClear(&child);
    }
    if (count > shown) PrintLine(indent + L"  ... " + std::to_wstring(count - shown) + L" more");
}

const wchar_t* EventName(DWORD event) {
    switch (event) {
    case EVENT_OBJECT_FOCUS: return L"focus";
    case EVENT_OBJECT_VALUECHANGE: return L"valuechange";
    case EVENT_OBJECT_STATECHANGE: return L"statechange";
    case EVENT_OBJECT_NAMECHANGE: return L"namechange";
    case EVENT_OBJECT_SHOW: return L"show";
    case EVENT_OBJECT_HIDE: return L"hide";
    default: return nullptr;
    }
}

HWND g_window = nullptr;

// Out of context: runs on this thread while it pumps messages.
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
    const wchar_t* name = EventName(event);
    if (name == nullptr || window != g_window || object != OBJID_CLIENT) return;
    CComRef<IAccessible> source;
    TVariant which;
    std::wstring line = std::wstring(L"event: ") + name + L" child=" + std::to_wstring(child);
    if (SUCCEEDED(::AccessibleObjectFromEvent(window, object, child, source.Receive(), &which.v)) &&
        source)
        line += L" " + Describe(*source.Get(), which.v);
    PrintLine(line);
}

void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

bool ParseOptions(TOptions& options) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr) return false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring flag = argv[i];
        if (flag == L"--title") options.title = argv[i + 1];
        else if (flag == L"--click") options.click = argv[i + 1];
        else if (flag == L"--events") options.eventsMs = wcstoul(argv[i + 1], nullptr, 10);
        else if (flag == L"--max-children") options.maxChildren = wcstol(argv[i + 1], nullptr, 10);
    }
    ::LocalFree(argv);
    return !options.title.empty() && options.maxChildren > 0;
}

HWND FindWindowWithin(const std::wstring& title, DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND found = ::FindWindowW(nullptr, title.c_str())) return found;
        if (::GetTickCount() - start >= ms) return nullptr;
        ::Sleep(200);
    }
}

int Run(const TOptions& options) {
    g_window = FindWindowWithin(options.title, 20000);
    if (g_window == nullptr) {
        PrintLine(L"error: no window titled " + options.title);
        return 2;
    }
    CComRef<IAccessible> client;
    const HRESULT hr = ::AccessibleObjectFromWindow(g_window, OBJID_CLIENT, __uuidof(IAccessible),
                                                    client.ReceiveVoid());
    if (FAILED(hr) || !client) {
        PrintLine(L"error: AccessibleObjectFromWindow " + std::to_wstring(hr));
        return 3;
    }
    TWalk walk{options, {}};
    Walk(*client.Get(), 0, walk);
    if (options.click.empty()) return 0;
    if (!walk.toClick) {
        PrintLine(L"error: nothing named " + options.click);
        return 4;
    }
    DWORD pid = 0;
    ::GetWindowThreadProcessId(g_window, &pid);
    HWINEVENTHOOK hook = options.eventsMs > 0
                             ? ::SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnWinEvent, pid, 0,
                                                 WINEVENT_OUTOFCONTEXT)
                             : nullptr;
    wchar_t result[32];
    swprintf(result, 32, L"click: 0x%08lx", static_cast<unsigned long>(
                                                walk.toClick->accDoDefaultAction(Self())));
    PrintLine(result);
    PumpFor(options.eventsMs);
    if (hook != nullptr) ::UnhookWinEvent(hook);
    return 0;
}

}  // namespace

int main() {
    TOptions options;
    if (!ParseOptions(options)) {
        std::fprintf(stderr, "usage: accessibility_client --title TITLE [--click NAME] "
                             "[--events MS] [--max-children N]\n");
        return 1;
    }
    bxutil::COleApartment apartment;
    return Run(options);
}
