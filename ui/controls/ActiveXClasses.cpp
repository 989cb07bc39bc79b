// The class an ActiveX host names, and a new object of it: through COM, or from the user's own
// registration where the system's COM does not read it.

#include "ui/controls/ActiveXClasses.h"

#include <objbase.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "support/ComHolders.h"
#include "support/UniqueHandle.h"

namespace SkinUI {

namespace {

// A ProgID has at most 39 characters and a GUID in braces 38: longer text names no class and
// is not handed to the registry.
constexpr size_t kMaxClassText = 255;
// Registry texts read here: paths and GUIDs.
constexpr DWORD kMaxValueChars = MAX_PATH * 4;

// A text value under HKCU\Software\Classes\<key> (its default value when name is null); empty
// when there is none.
std::wstring UserClassesValue(const std::wstring& key, LPCWSTR name) {
    const std::wstring path = L"Software\\Classes\\" + key;
    std::vector<wchar_t> buffer(kMaxValueChars, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr,
                       buffer.data(), &bytes) != ERROR_SUCCESS)
        return std::wstring();
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

std::wstring GuidText(const CLSID& clsid) {
    wchar_t text[64] = {};
    return ::StringFromGUID2(clsid, text, 64) > 0 ? std::wstring(text) : std::wstring();
}

// Set by the program at start, read when a host makes its control (both on the UI thread).
std::vector<CLSID>& AllowedClasses() {
    static std::vector<CLSID> classes;
    return classes;
}

// Servers loaded from a user's registration, kept until the process ends.
std::vector<bxutil::CModuleHandle>& LoadedServers() {
    static std::vector<bxutil::CModuleHandle> servers;
    return servers;
}

// A path that names its drive or share: the loader opens exactly that file. Any other text
// (a bare name, a relative or drive-relative path) would have the loader search folders for it.
bool IsFullyQualified(const std::wstring& path) {
    const bool drive = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' &&
                       (path[2] == L'\\' || path[2] == L'/');
    const bool share = path.size() >= 3 && (path[0] == L'\\' || path[0] == L'/') &&
                       (path[1] == L'\\' || path[1] == L'/');
    return drive || share;
}

// The server a user's registration names, by that path only: a registration whose path is not
// fully qualified is refused rather than searched for. Its own imports are looked for beside it
// (LOAD_WITH_ALTERED_SEARCH_PATH), as COM does.
HMODULE LoadServer(const std::wstring& path) {
    if (!IsFullyQualified(path)) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    for (const bxutil::CModuleHandle& server : LoadedServers()) {
        wchar_t loaded[kMaxValueChars] = {};
        const DWORD length = ::GetModuleFileNameW(server.Get(), loaded, kMaxValueChars);
        if (length > 0 && length < kMaxValueChars && _wcsicmp(loaded, path.c_str()) == 0)
            return server.Get();
    }
    bxutil::CModuleHandle module(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return nullptr;
    LoadedServers().push_back(std::move(module));
    return LoadedServers().back().Get();
}

// The object from the user's registration of the class (HKCU\Software\Classes\CLSID\{...}).
HRESULT CreateFromUserRegistration(const CLSID& clsid, IUnknown** object) {
    const std::wstring key = L"CLSID\\" + GuidText(clsid) + L"\\InprocServer32";
    const std::wstring path = UserClassesValue(key, nullptr);
    if (path.empty()) return REGDB_E_CLASSNOTREG;
    // The UI thread is a single-threaded apartment: a server only for the free-threaded one
    // would need COM's marshalling, which this path does not give.
    const std::wstring model = UserClassesValue(key, L"ThreadingModel");
    if (_wcsicmp(model.c_str(), L"Free") == 0) return REGDB_E_CLASSNOTREG;
    HMODULE server = LoadServer(path);
    if (server == nullptr) return HRESULT_FROM_WIN32(::GetLastError());
    using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    auto getClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(::GetProcAddress(server, "DllGetClassObject")));
    if (getClassObject == nullptr) return CO_E_ERRORINDLL;
    bxutil::CComRef<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object));
}

}  // namespace

void SetAllowedActiveXClasses(std::vector<CLSID> classes) { AllowedClasses() = std::move(classes); }

bool IsActiveXClassAllowed(const CLSID& clsid) {
    for (const CLSID& allowed : AllowedClasses())
        if (IsEqualCLSID(allowed, clsid)) return true;
    return false;
}

HRESULT ActiveXClassOf(LPCWSTR text, CLSID& clsid) {
    if (text == nullptr || *text == L'\0' || wcslen(text) > kMaxClassText) return CO_E_CLASSSTRING;
    if (text[0] == L'{') return ::CLSIDFromString(text, &clsid);
    HRESULT hr = ::CLSIDFromProgID(text, &clsid);
    if (SUCCEEDED(hr) || (hr != CO_E_CLASSSTRING && hr != REGDB_E_CLASSNOTREG)) return hr;
    const std::wstring user = UserClassesValue(std::wstring(text) + L"\\CLSID", nullptr);
    if (user.empty() || user[0] != L'{') return hr;
    return ::CLSIDFromString(user.c_str(), &clsid);
}

HRESULT CreateActiveXObject(const CLSID& clsid, IUnknown** object) {
    *object = nullptr;
    if (!IsActiveXClassAllowed(clsid)) return E_ACCESSDENIED;
    const HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                          reinterpret_cast<void**>(object));
    if (hr != REGDB_E_CLASSNOTREG) return hr;
    const HRESULT user = CreateFromUserRegistration(clsid, object);
    // A class the user did not register either keeps the system's answer.
    return user == REGDB_E_CLASSNOTREG ? hr : user;
}

}  // namespace SkinUI
