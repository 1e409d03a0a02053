#include "StartupTrace.h"
#include <windows.h>
#include <cstdio>

namespace {

uint64_t g_marks[CStartupTrace::kMarkCount] = {};

// Microseconds since 1970, as the benchmark's own clock counts.
uint64_t NowMicros()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const uint64_t ticks = (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000ULL) / 10;
}

} // namespace

void CStartupTrace::Reach(Mark mark) { g_marks[mark] = NowMicros(); }

void CStartupTrace::FirstPaintDone(uint64_t decodeMicros, size_t images)
{
    if (g_marks[kPainted] != 0)
        return;
    Reach(kPainted);
    char line[200];
    snprintf(line, sizeof(line), "start-up marks: main=%llu built=%llu shown=%llu painted=%llu decode=%llu images=%u\n",
             static_cast<unsigned long long>(g_marks[kMain]), static_cast<unsigned long long>(g_marks[kBuilt]),
             static_cast<unsigned long long>(g_marks[kShown]), static_cast<unsigned long long>(g_marks[kPainted]),
             static_cast<unsigned long long>(decodeMicros), static_cast<unsigned>(images));
    OutputDebugStringA(line);
}
