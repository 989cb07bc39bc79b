#include "tests/common/GuardedBuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace testguard {

namespace {

size_t PageSize() {
    static const size_t size = [] {
        SYSTEM_INFO info{};
        ::GetSystemInfo(&info);
        return static_cast<size_t>(info.dwPageSize);
    }();
    return size;
}

bool IsNoAccessPage(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    return ::VirtualQuery(address, &info, sizeof(info)) == sizeof(info) &&
           info.State == MEM_COMMIT && info.Protect == PAGE_NOACCESS;
}

// Names the fault before the process goes down; the search goes on, so the program still ends
// with the access violation (and a fuzz run still saves its input).
LONG CALLBACK ReportGuardHit(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        const void* address = reinterpret_cast<const void*>(record.ExceptionInformation[1]);
        if (IsNoAccessPage(address)) {
            std::printf("guard page hit: %s at %p, past the end of guarded input\n",
                        record.ExceptionInformation[0] == 0 ? "read" : "write", address);
            std::fflush(stdout);
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallReporterOnce() {
    static const PVOID handler = ::AddVectoredExceptionHandler(1, &ReportGuardHit);
    (void)handler;
}

}  // namespace

namespace {

// A reservation of data pages followed by its guard page.
struct TRegion {
    BYTE* base;
    size_t dataPages;
    BYTE* Guard() const { return base + dataPages * PageSize(); }
};

// Freed regions are kept for reuse: a fuzz run places every input anew, and mapping and
// protecting pages for each would make it several times slower. What a reused region held
// before stays in front of the new data, which only has to end at the guard.
class CRegionPool {
public:
    bool Take(size_t dataPages, TRegion* region) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < m_free.size(); ++i) {
            if (m_free[i].dataPages < dataPages || m_free[i].dataPages > dataPages + 16) continue;
            *region = m_free[i];
            m_free.erase(m_free.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
        return false;
    }
    void Give(const TRegion& region) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_free.size() < kKept) {
                m_free.push_back(region);
                return;
            }
        }
        ::VirtualFree(region.base, 0, MEM_RELEASE);
    }

private:
    static constexpr size_t kKept = 32;
    std::mutex m_mutex;
    std::vector<TRegion> m_free;
};

CRegionPool& Pool() {
    static CRegionPool* const pool = new CRegionPool;  // kept until exit
    return *pool;
}

bool MapRegion(size_t dataPages, TRegion* region) {
    const size_t page = PageSize();
    BYTE* base = static_cast<BYTE*>(::VirtualAlloc(nullptr, (dataPages + 1) * page,
                                                   MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base == nullptr) return false;
    DWORD old = 0;
    if (!::VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &old)) {
        ::VirtualFree(base, 0, MEM_RELEASE);
        return false;
    }
    *region = TRegion{base, dataPages};
    return true;
}

}  // namespace

void* GuardedAlloc(size_t bytes) {
    InstallReporterOnce();
    const size_t page = PageSize();
    if (bytes > SIZE_MAX - 2 * page) return nullptr;
    const size_t dataPages = (bytes + page - 1) / page;
    TRegion region{};
    if (!Pool().Take(dataPages, &region) && !MapRegion(dataPages, &region)) return nullptr;
    return region.Guard() - bytes;
}

void GuardedFree(void* block) {
    if (block == nullptr) return;
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(block, &info, sizeof(info)) != sizeof(info)) return;
    BYTE* base = static_cast<BYTE*>(info.AllocationBase);
    MEMORY_BASIC_INFORMATION first{};
    if (::VirtualQuery(base, &first, sizeof(first)) != sizeof(first)) return;
    // The data pages are the read-write run at the base; a block of 0 bytes has none.
    const size_t dataPages = first.Protect == PAGE_NOACCESS ? 0 : first.RegionSize / PageSize();
    Pool().Give(TRegion{base, dataPages});
}

bool EndsAtGuardPage(const void* data, size_t size) {
    return data != nullptr && IsNoAccessPage(static_cast<const BYTE*>(data) + size);
}

CGuardedBuffer::CGuardedBuffer(const void* data, size_t size)
    : m_pData(GuardedAlloc(size)), m_nSize(size) {
    if (m_pData == nullptr) {
        std::printf("guarded buffer: cannot allocate %llu bytes\n",
                    static_cast<unsigned long long>(size));
        std::fflush(stdout);
        std::abort();
    }
    if (size != 0) std::memcpy(m_pData, data, size);
}

}  // namespace testguard
