#pragma once
// Test helpers that run the calling thread's message loop, as the installer's
// main thread does, until a condition holds or a bounded wait ends.
#include <windows.h>
#include <functional>

inline void PumpPendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 10000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPendingMessages();
    }
    return true;
}
