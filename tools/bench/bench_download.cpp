// Downloads one URL into a fresh file with CLibHttpHelper::DownloadFile and prints what it cost:
//   bench_download URL
// One line of "name=value" figures: bytes, wall seconds, CPU seconds (user, kernel), memory
// before and at the peak (working set and private bytes, KiB), progress calls, largest gap
// between progress calls, result.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "support/LibHttpHelper.h"
#include "support/TextConvert.h"

namespace {

double Seconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_download URL\n");
        return 2;
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring target =
        std::wstring(temp) + L"vexo-bench-" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    DeleteFileW(target.c_str());

    const PROCESS_MEMORY_COUNTERS before = Memory();
    long long calls = 0;
    double lastCall = 0, longestGap = 0;
    const double start = Now();
    lastCall = start;
    const int result = CLibHttpHelper::DownloadFile(true, AnsiToWide(argv[1]), target, [&](long long, long long) {
        const double now = Now();
        longestGap = std::max(longestGap, now - lastCall);
        lastCall = now;
        ++calls;
    });
    const double wall = Now() - start;

    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const PROCESS_MEMORY_COUNTERS after = Memory();
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data);
    const unsigned long long bytes =
        (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    DeleteFileW(target.c_str());

    std::printf(
        "bytes=%llu wall_s=%.3f cpu_user_s=%.3f cpu_kernel_s=%.3f ws_before_kib=%lu "
        "ws_peak_kib=%lu private_before_kib=%lu private_peak_kib=%lu progress_calls=%lld "
        "longest_gap_s=%.3f result=%d\n",
        bytes, wall, Seconds(user), Seconds(kernel),
        static_cast<unsigned long>(before.WorkingSetSize / 1024),
        static_cast<unsigned long>(after.PeakWorkingSetSize / 1024),
        static_cast<unsigned long>(before.PagefileUsage / 1024),
        static_cast<unsigned long>(after.PeakPagefileUsage / 1024), calls, longestGap, result);
    return result ? 0 : 1;
}
