#pragma once
// Small library functions: the library's home folder, "config.ini" values, the per-user registry
// and the form encoding of request bodies.

#include <string>

// The folder of the running executable, ending with a backslash; empty when the path has none.
std::wstring GetExeDirectory();

// The folder of the module that holds this library's code (the executable, or a DLL the library
// was linked into), ending with a backslash.
std::wstring GetCodeModuleDirectory();

// True when the code module's path ends with fileName (compared without regard to case).
bool IsCodeInModule(const std::wstring& fileName);

// Where "config.ini" is looked for: the code module's folder inside "WrapPlugin.dll", else the
// executable's folder. Decided once per process.
std::wstring GetConfigDirectory();

// The value of key in the section "config" of "config.ini" (at most 199 characters), or
// defaultValue when the file, the section or the key is missing.
std::wstring GetConfigValue(const std::wstring& key, const std::wstring& defaultValue);

// Reads the string value valueName under subKey in the current user's registry (64-bit view).
// On success stores it in out and returns true; returns false and leaves out alone when the key or
// value is missing, the value is not a REG_SZ string, or it does not fit in 2048 bytes.
bool ReadUserRegistryString(const std::wstring& subKey, const std::wstring& valueName, std::wstring& out);

// The form encoding (application/x-www-form-urlencoded) of a byte string: ASCII letters, digits
// and "-_.~" stay, a space becomes "+", every other byte becomes "%" and two lower-case hex digits.
std::string UrlEncodeForm(const std::string& bytes);
