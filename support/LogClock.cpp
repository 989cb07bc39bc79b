#include "support/LogClock.h"

#include <mmsystem.h>

#include <cstdio>
#include <utility>

namespace {

// Below this many microseconds since the last anchoring the timer's count is trusted.
constexpr int64_t kRecalibrateAfterUs = 2000;

}  // namespace

CLogClock::CLogClock(TickSource tick, SystemTimeSource systemTime)
    : m_tick(std::move(tick)), m_systemTime(std::move(systemTime)) {}

// Never destroyed, like the log files that read it: a log file's exit-time close runs after the
// static objects made later than its own are destroyed, and other threads may still be writing
// entries (and reading the clock) until the process is gone.
CLogClock& CLogClock::Process() {
    static CLogClock* const clock =
        new CLogClock([] { return static_cast<DWORD>(timeGetTime()); }, &SystemTimeMicroseconds);
    return *clock;
}

int64_t CLogClock::ReadTick() {
    const DWORD reading = m_tick();
    if (reading < m_nLastReading) ++m_nWraps;
    m_nLastReading = reading;
    return ((static_cast<int64_t>(m_nWraps) << 32) + reading) * 1000;
}

void CLogClock::Calibrate() {
    m_nCalibrationTick = ReadTick();
    m_nCalibrationSystem = m_systemTime();
}

uint64_t CLogClock::Now() {
    bxutil::CAutoLock lock(m_lock);
    const int64_t tick = ReadTick();
    if (m_nCalibrationSystem == 0) Calibrate();
    int64_t elapsed = tick - m_nCalibrationTick;
    while (elapsed >= kRecalibrateAfterUs) {
        Calibrate();
        elapsed = tick - m_nCalibrationTick;
    }
    // elapsed may be slightly negative right after an anchoring; it is used as it is.
    return m_nCalibrationSystem + elapsed;
}

uint64_t SystemTimeMicroseconds() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10;
}

SYSTEMTIME LogClockToLocalTime(uint64_t microseconds) {
    const uint64_t ticks = microseconds * 10;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME local;
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return SYSTEMTIME{};
    return time;
}

std::string FormatLogStamp(const SYSTEMTIME& time) {
    char text[64];
    const int n = snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %03d", time.wYear, time.wMonth,
                           time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}
