#include "support/LibBiz.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <vector>

#include "support/StringUtil.h"
#include "support/UniqueHandle.h"

namespace {

constexpr DWORD kConfigValueChars = 200;      // so at most 199 characters come back
constexpr DWORD kRegistryValueBytes = 2048;

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, std::min<DWORD>(length, MAX_PATH));
}

// The folder part of a module's full path, with its trailing backslash.
std::wstring ModuleDirectory(HMODULE module) {
    const std::wstring full = ModulePath(module);
    const size_t slash = full.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash + 1);
}

bool IsAsciiAlnum(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The module whose image holds this function (null, the executable, when that cannot be told).
HMODULE CodeModule() {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(reinterpret_cast<const void*>(&CodeModule), &info, sizeof info)) return nullptr;
    return static_cast<HMODULE>(info.AllocationBase);
}

}  // namespace

std::wstring GetExeDirectory() { return ModuleDirectory(nullptr); }

std::wstring GetCodeModuleDirectory() { return ModuleDirectory(CodeModule()); }

bool IsCodeInModule(const std::wstring& fileName) {
    if (fileName.empty()) return false;
    const std::wstring path = LowerText(ModulePath(CodeModule()));
    const std::wstring name = LowerText(fileName);
    return path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0;
}

std::wstring GetConfigDirectory() {
    static const bool inPlugin = IsCodeInModule(L"WrapPlugin.dll");
    return inPlugin ? GetCodeModuleDirectory() : GetExeDirectory();
}

std::wstring GetConfigValue(const std::wstring& key, const std::wstring& defaultValue) {
    const std::wstring file = GetConfigDirectory() + L"config.ini";
    wchar_t value[kConfigValueChars] = {};
    const DWORD length = GetPrivateProfileStringW(L"config", key.c_str(), defaultValue.c_str(), value,
                                                  kConfigValueChars, file.c_str());
    return std::wstring(value, std::min<DWORD>(length, kConfigValueChars - 1));
}

bool ReadUserRegistryString(const std::wstring& subKey, const std::wstring& valueName, std::wstring& out) try {
    HKEY opened = nullptr;
    if (RegOpenCurrentUser(KEY_READ | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS) return false;
    const bxutil::CRegistryKey root(opened);
    std::vector<wchar_t> buffer(kRegistryValueBytes / sizeof(wchar_t), L'\0');
    DWORD size = kRegistryValueBytes;
    if (RegGetValueW(root.Get(), subKey.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &size) !=
        ERROR_SUCCESS)
        return false;
    buffer.back() = L'\0';
    out = buffer.data();
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

std::string UrlEncodeForm(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string encoded;
    encoded.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool plain = IsAsciiAlnum(byte) || byte == '-' || byte == '_' || byte == '.' || byte == '~';
        if (plain) {
            encoded += c;
        } else if (byte == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}
