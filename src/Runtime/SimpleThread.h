#pragma once
// Base of every worker thread. The owner starts and stops it from one thread
// (usually the main thread); Run() runs on the worker and must test
// StopRequested() often, or block only on what its WakeForStop() ends. The
// object must outlive its thread: stop it before deleting it. The thread
// handle is closed exactly once, by whichever of the thread's own exit and
// DestroyThread takes it out of the object first; once the handle is out,
// the thread never touches the object again, so the owner may free it as
// soon as StopThread returns.
#include <windows.h>
#include <atomic>

class CSimpleThread {
public:
    CSimpleThread() = default;
    CSimpleThread(const CSimpleThread&) = delete;
    CSimpleThread& operator=(const CSimpleThread&) = delete;
    virtual ~CSimpleThread();

    virtual bool StopThread(DWORD limitMs);
    virtual bool StartThread();
    virtual void Run() = 0;

    // Waits up to limitMs for the thread (not at all when called on the thread
    // itself), ends it by force after that, and gives up the handle. False when
    // there was no thread.
    bool DestroyThread(DWORD limitMs);
    bool IsRunning();
    DWORD ThreadId() const { return m_threadId; }

protected:
    bool StopRequested() const { return m_stop.load(); }
    // Called on the stopping thread once StopRequested() is true and the
    // owner holds the thread's handle: a Run() that blocks on something of
    // its own wakes itself here.
    virtual void WakeForStop() {}

private:
    static unsigned __stdcall ThreadProc(void* self);

    std::atomic<HANDLE> m_handle{nullptr};
    std::atomic<DWORD> m_threadId{0};
    std::atomic<bool> m_stop{false};
};
