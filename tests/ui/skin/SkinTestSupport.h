#pragma once
// Helpers shared by the UI core tests: fixture paths and resetting the process-wide skin state.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/common/GuardedBuffer.h"
#include "tests/common/TestFiles.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/skin/WindowResources.h"

namespace ui_test {

// The folder the fixture generator wrote (under the build directory), with a trailing "\".
inline std::wstring FixtureDir() { return testfiles::BuildFolder(L"tests\\ui\\skin\\fixtures"); }

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
        SkinUI::CWindowResourcesUI::SetSkinArchive(L"", true);
        SkinUI::CWindowResourcesUI::SetSkinPath(FixtureDir().c_str());
    }
};

// The process's peak memory so far: the largest address space it has reserved and the most of
// it that was resident (0 when they cannot be read). Tests compare them before and after a step
// to see that hostile input did not make the step reserve or fill what the input merely claims.
struct TMemoryPeaks {
    unsigned long long reserved = 0;
    unsigned long long resident = 0;
    // Whether either peak grew by more than limit bytes since before.
    bool GrewBeyond(const TMemoryPeaks& before, unsigned long long limit) const {
        return reserved > before.reserved + limit || resident > before.resident + limit;
    }
};

inline TMemoryPeaks MemoryPeaks() {
    struct TVmCounters {  // the system's VM_COUNTERS
        SIZE_T peakVirtualSize, virtualSize;
        ULONG pageFaultCount;
        SIZE_T peakWorkingSetSize, workingSetSize, quotaPeakPagedPoolUsage, quotaPagedPoolUsage,
            quotaPeakNonPagedPoolUsage, quotaNonPagedPoolUsage, pagefileUsage, peakPagefileUsage;
    };
    using QueryFn = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    static const QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    constexpr int kProcessVmCounters = 3;
    TVmCounters counters{};
    if (query == nullptr ||
        query(::GetCurrentProcess(), kProcessVmCounters, &counters, sizeof(counters), nullptr) != 0)
        return TMemoryPeaks();
    return TMemoryPeaks{counters.peakVirtualSize, counters.peakWorkingSetSize};
}

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
