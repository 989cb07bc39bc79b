// Where the programs take system DLLs from, and the stack protection's guard.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "support/SystemLibrary.h"

extern "C" uintptr_t __stack_chk_guard;

namespace {

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0);
}

// The support library's guard is the one in use, seeded before main: never zero, and its lowest
// byte zero (libssp's would be random there).
TEST(StackProtection, GuardIsSeededBeforeMainWithItsLowestByteZero) {
    EXPECT_NE(__stack_chk_guard, 0u);
    EXPECT_EQ(__stack_chk_guard & 0xFFu, 0u);
}

TEST(SystemLibrary, LoadsFromTheSystemDirectoryOnly) {
    const HMODULE module = LoadSystemLibrary(L"msimg32.dll");
    ASSERT_NE(module, nullptr);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(module, path, MAX_PATH), 0u);
    const std::wstring folder = SystemFolder() + L"\\";
    EXPECT_EQ(_wcsnicmp(path, folder.c_str(), folder.size()), 0) << path;
    EXPECT_EQ(LoadSystemLibrary(L"vexo-no-such-library.dll"), nullptr);
}

}  // namespace
