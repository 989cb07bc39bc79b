#pragma once
// The log clock: microseconds since 1601-01-01 UTC, driven by the millisecond multimedia timer
// and re-anchored to the system time whenever 2 ms have passed since the last anchoring.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "support/LibThread.h"

class CLogClock {
public:
    using TickSource = std::function<DWORD()>;           // milliseconds, wrapping at 2^32
    using SystemTimeSource = std::function<uint64_t()>;  // microseconds since 1601 (UTC)

    // The process clock uses timeGetTime and GetSystemTimeAsFileTime; tests inject their own.
    CLogClock(TickSource tick, SystemTimeSource systemTime);
    CLogClock(const CLogClock&) = delete;
    CLogClock& operator=(const CLogClock&) = delete;

    // The current reading. Each reading counts a wrap of the timer when it went backwards.
    uint64_t Now();

    // The process-wide clock used for log stamps; it lives until the process ends.
    static CLogClock& Process();

private:
    int64_t ReadTick();  // (wraps * 2^32 + timer) * 1000
    void Calibrate();

    TickSource m_tick;
    SystemTimeSource m_systemTime;
    DWORD m_nLastReading = 0;
    uint32_t m_nWraps = 0;
    int64_t m_nCalibrationTick = 0;
    uint64_t m_nCalibrationSystem = 0;  // 0 until the first reading
    // Guards the whole reading: the 64-bit calibration values would tear on a 32-bit target if
    // two log files read the clock at once.
    bxutil::CCriticalSection m_lock;
};

// The system time now, in microseconds since 1601-01-01 UTC.
uint64_t SystemTimeMicroseconds();

// A log clock reading as local calendar time; every field is 0 when a conversion fails.
SYSTEMTIME LogClockToLocalTime(uint64_t microseconds);

// "YYYY-MM-DD hh:mm:ss mmm" (a space, not a point, before the milliseconds).
std::string FormatLogStamp(const SYSTEMTIME& time);
