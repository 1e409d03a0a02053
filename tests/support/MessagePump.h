#pragma once
// Test helpers that run the calling thread's message loop, as the installer's
// main thread does, until a condition holds or a bounded wait ends.
#include <windows.h>
#include <functional>

// A step before dispatch that may consume a message, as the toolkit's
// translate step does in the program's loops.
using MessageTranslator = bool (*)(const MSG*);

inline void PumpPendingMessages(MessageTranslator translate = nullptr)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (translate && translate(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 10000, MessageTranslator translate = nullptr)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPendingMessages(translate);
    }
    return true;
}
