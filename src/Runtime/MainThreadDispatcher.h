#pragma once
// Runs tasks posted from any thread on the main thread. Startup and Shutdown
// belong to the main thread; Post may be called from any thread and returns
// at once. Only a post into an empty queue wakes the main thread, and each
// wake-up runs tasks for at most about 50 ms before yielding to the message
// loop. A task that throws is logged and the queue goes on. After Shutdown
// posted tasks stay queued and never run.
#include <windows.h>
#include "MainThreadTask2.h"
#include "MainThreadTask3.h"
#include "MainThreadTask4.h"

class CMainThreadDispatcher {
public:
    static void Startup();
    static void Shutdown();
    static void Post(const CRefPtr<MainThreadTaskBase>& task);

    static HWND Window();
    static UINT WakeUpMessage();
    static DWORD MainThreadId();
    static size_t QueuedCount();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void Drain();
    static void WakeUp();
};

template <class T, class V>
void PostToMainThread(typename MainThreadTask2<T, V>::Fn fn, const CRefPtr<T>& object, V value)
{
    CMainThreadDispatcher::Post(CRefPtr<MainThreadTaskBase>(new MainThreadTask2<T, V>(fn, object, value)));
}

template <class T>
void PostToMainThread(typename MainThreadTask3<T>::Fn fn, T* pointer, int a, int b)
{
    CMainThreadDispatcher::Post(CRefPtr<MainThreadTaskBase>(new MainThreadTask3<T>(fn, pointer, a, b)));
}

template <class T>
void PostToMainThread(typename MainThreadTask4<T>::Fn fn, int value, T* pointer, const std::string& first,
                      const std::string& second)
{
    CMainThreadDispatcher::Post(
        CRefPtr<MainThreadTaskBase>(new MainThreadTask4<T>(fn, value, pointer, first, second)));
}
