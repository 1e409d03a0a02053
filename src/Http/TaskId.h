#pragma once
// A task's identity: the tick count when it was added in the high half and a
// process-wide counter (shared by both schedulers, first value 1) in the low.
#include <windows.h>
#include <cstdint>

using TaskId = uint64_t;

inline TaskId NewTaskId()
{
    static volatile LONG counter = 0;
    uint32_t low = static_cast<uint32_t>(InterlockedIncrement(&counter));
    return (static_cast<uint64_t>(GetTickCount()) << 32) | low;
}
