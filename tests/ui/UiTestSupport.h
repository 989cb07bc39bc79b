#pragma once
// Helpers shared by the UI core tests: fixture paths and resetting the process-wide skin state.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/common/GuardedBuffer.h"
#include "tests/common/TestFiles.h"
#include "ui/core/SkinXml.h"
#include "ui/core/WindowManager.h"

namespace ui_test {

// The folder the fixture generator wrote (under the build directory), with a trailing "\".
inline std::wstring FixtureDir() { return testfiles::BuildFolder(L"tests\\ui\\fixtures"); }

inline std::wstring Fixture(const wchar_t* name) { return FixtureDir() + name; }

inline std::vector<BYTE> ReadAll(const std::wstring& path) {
    const std::string bytes = testfiles::ReadBytes(path);
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

// Points the skin at the fixture folder (plain files, no archive) for one test and back after.
class CSkinScope {
public:
    CSkinScope() { Reset(); }
    ~CSkinScope() { Reset(); }
    CSkinScope(const CSkinScope&) = delete;
    CSkinScope& operator=(const CSkinScope&) = delete;

    static void Reset() {
        SkinUI::CWindowManagerUI::SetSkinArchive(L"", true);
        SkinUI::CWindowManagerUI::SetSkinPath(FixtureDir().c_str());
    }
};

// While it lives, markup documents keep their in-place text against a no-access page, so that
// the parser or a node handle reading past the terminator stops the test.
class CGuardedDocuments {
public:
    CGuardedDocuments() {
        SkinUI::CSkinXml::SetTextAllocator({&testguard::GuardedAlloc, &testguard::GuardedFree});
    }
    ~CGuardedDocuments() { SkinUI::CSkinXml::SetTextAllocator({nullptr, nullptr}); }
    CGuardedDocuments(const CGuardedDocuments&) = delete;
    CGuardedDocuments& operator=(const CGuardedDocuments&) = delete;
};

}  // namespace ui_test
