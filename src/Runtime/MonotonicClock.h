#pragma once
// Process-wide steady clock in seconds: the system time, smoothed by the
// performance counter and never going backwards. Meant for the main thread
// (its calibration state is not locked).
#include <cstdint>

class CMonotonicClock {
public:
    static double Now();

private:
    double Read();
    double CounterMs();
    double SystemMs() const;
    double Calibrated(double systemMs);

    bool m_probed = false;
    bool m_hasCounter = false;
    int64_t m_frequency = 0;
    bool m_stale = true;
    bool m_haveRaw = false;
    int64_t m_lastCount = 0;
    uint32_t m_lastTick = 0;
    double m_baseSystemMs = 0;
    double m_baseCounterMs = 0;
    double m_lastCandidateMs = 0;
    double m_lastResult = 0;
};
