#include "StartupTrace.h"
#include <windows.h>
#include <cstdio>

namespace {

uint64_t g_marks[CStartupTrace::kMarkCount] = {};
uint64_t g_decodeMicros = 0;
size_t g_images = 0;

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
    g_decodeMicros = decodeMicros;
    g_images = images;
}

void CStartupTrace::Ready()
{
    if (g_marks[kReady] != 0)
        return;
    Reach(kReady);
    auto mark = [](Mark m) { return static_cast<unsigned long long>(g_marks[m]); };
    char line[240];
    snprintf(line, sizeof(line),
             "start-up marks: main=%llu built=%llu shown=%llu painted=%llu ready=%llu decode=%llu images=%u\n",
             mark(kMain), mark(kBuilt), mark(kShown), mark(kPainted), mark(kReady),
             static_cast<unsigned long long>(g_decodeMicros), static_cast<unsigned>(g_images));
    OutputDebugStringA(line);
}
