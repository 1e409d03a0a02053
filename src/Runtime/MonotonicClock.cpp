#include "MonotonicClock.h"
#include <windows.h>
#include <cmath>
#include <mmsystem.h>

double CMonotonicClock::Now()
{
    static CMonotonicClock clock;
    double reading = clock.Read();
    // Whatever the calibration did, callers never see time go back.
    if (reading < clock.m_lastResult)
        return clock.m_lastResult;
    clock.m_lastResult = reading;
    return reading;
}

double CMonotonicClock::SystemMs() const
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return static_cast<double>((t.QuadPart - 116444736000000000ULL) / 10000);
}

double CMonotonicClock::Read()
{
    double systemMs = SystemMs();
    if (!m_probed) {
        LARGE_INTEGER f;
        m_hasCounter = QueryPerformanceFrequency(&f) && f.QuadPart > 0;
        m_frequency = f.QuadPart;
        m_probed = true;
    }
    if (!m_hasCounter)
        return systemMs / 1000.0;
    return Calibrated(systemMs) / 1000.0;
}

// Counter time in ms; marks the calibration stale when the counter and the
// tick count disagree by more than 500 ms (a counter that jumped or stalled).
double CMonotonicClock::CounterMs()
{
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    uint32_t tick = GetTickCount();
    if (m_haveRaw) {
        int64_t counterElapsed = (c.QuadPart - m_lastCount) * 1000 / m_frequency;
        int64_t tickElapsed = static_cast<uint32_t>(tick - m_lastTick); // one wrap allowed
        if (std::llabs(counterElapsed - tickElapsed) > 500)
            m_stale = true;
    }
    m_lastCount = c.QuadPart;
    m_lastTick = tick;
    m_haveRaw = true;
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(m_frequency);
}

double CMonotonicClock::Calibrated(double systemMs)
{
    double counterMs = CounterMs();
    if (m_stale) {
        timeBeginPeriod(1);
        m_baseSystemMs = SystemMs();
        timeEndPeriod(1);
        m_baseCounterMs = counterMs;
        m_stale = false;
    }
    double candidate = m_baseSystemMs + (counterMs - m_baseCounterMs);
    if (std::fabs(candidate - systemMs) > 31.25)
        m_stale = true;
    if (candidate < m_lastCandidateMs && m_lastCandidateMs - candidate < 2000)
        return m_lastCandidateMs;
    m_lastCandidateMs = candidate;
    return candidate;
}
