#include "GuardedBuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void* GuardedAlloc(size_t bytes) {
    InstallReporterOnce();
    const size_t page = PageSize();
    if (bytes > SIZE_MAX - 2 * page) return nullptr;
    const size_t dataPages = (bytes + page - 1) / page;
    const size_t total = (dataPages + 1) * page;
    BYTE* base = static_cast<BYTE*>(
        ::VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base == nullptr) return nullptr;
    BYTE* guard = base + dataPages * page;
    DWORD old = 0;
    if (!::VirtualProtect(guard, page, PAGE_NOACCESS, &old)) {
        ::VirtualFree(base, 0, MEM_RELEASE);
        return nullptr;
    }
    return guard - bytes;
}

void GuardedFree(void* block) {
    if (block == nullptr) return;
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(block, &info, sizeof(info)) == sizeof(info))
        ::VirtualFree(info.AllocationBase, 0, MEM_RELEASE);
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
