#pragma once
// Runs tasks posted from any thread on the main thread. Startup and Shutdown
// belong to the main thread; Post may be called from any thread and returns
// at once. Only a post into an empty queue wakes the main thread, and each
// wake-up runs tasks for at most about 50 ms before yielding to the message
// loop. A task that throws is logged and the queue goes on. After Shutdown
// posted tasks stay queued and never run. A task keeps what it captured
// (a CRefPtr keeps its object alive) until it has run or been discarded.
#include <windows.h>
#include <functional>

class CMainThreadDispatcher {
public:
    static void Startup();
    static void Shutdown();
    static void Post(std::function<void()> task);

    static HWND Window();
    static UINT WakeUpMessage();
    static DWORD MainThreadId();
    static size_t QueuedCount();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void Drain();
    static void WakeUp();
};
