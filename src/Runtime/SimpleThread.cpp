#include "SimpleThread.h"
#include <process.h>
#include "ConsoleLogger.h"
#include "FileLogger.h"
#include "Singleton.h"

CSimpleThread::~CSimpleThread()
{
    if (HANDLE handle = m_handle.exchange(nullptr))
        CloseHandle(handle);
}

bool CSimpleThread::StartThread()
{
    if (IsRunning())
        return true;
    m_stop = false;
    if (HANDLE old = m_handle.exchange(nullptr))
        CloseHandle(old);
    // Suspended until handle and id are stored, so a thread that ends at once
    // finds them in place when it gives them up.
    unsigned id = 0;
    auto handle = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &CSimpleThread::ThreadProc, this, CREATE_SUSPENDED, &id));
    if (!handle)
        return false;
    m_threadId = id;
    m_handle = handle;
    ResumeThread(handle);
    return true;
}

bool CSimpleThread::StopThread(DWORD limitMs)
{
    if (!IsRunning())
        return true;
    m_stop = true;
    return DestroyThread(limitMs);
}

bool CSimpleThread::DestroyThread(DWORD limitMs)
{
    HANDLE handle = m_handle.exchange(nullptr);
    if (!handle)
        return false;
    // Woken only now: a thread that ended before its handle was taken here
    // would give the handle up itself, and the wait below would not cover
    // the rest of its exit.
    if (m_stop)
        WakeForStop();
    if (m_threadId != GetCurrentThreadId() && WaitForSingleObject(handle, limitMs) == WAIT_TIMEOUT) {
        DWORD tid = m_threadId;
        CSingleton<ConsoleLogger>::Instance()->LogFile(
            2, 38, L".\\Runtime\\SimpleThread.cpp", L"CSimpleThread::DestroyThread线程结束超时 tid:%d ",
            static_cast<int>(tid));
        CSingleton<FileLogger>::Instance()->LogFile(
            2, 39, L".\\Runtime\\SimpleThread.cpp", L"CSimpleThread::DestroyThread线程结束超时 tid:%d ",
            static_cast<int>(tid));
        TerminateThread(handle, 0);
    }
    CloseHandle(handle);
    m_threadId = 0;
    return true;
}

bool CSimpleThread::IsRunning()
{
    HANDLE handle = m_handle.load();
    DWORD code = 0;
    if (handle && GetExitCodeThread(handle, &code) && code == STILL_ACTIVE)
        return true;
    if (handle && m_handle.compare_exchange_strong(handle, nullptr))
        CloseHandle(handle);
    return false;
}

unsigned __stdcall CSimpleThread::ThreadProc(void* self)
{
    auto* thread = static_cast<CSimpleThread*>(self);
    thread->Run();
    // Giving up the handle is the thread's last touch of the object: from then
    // on the owner sees no thread and may restart or free it, so the id is
    // cleared first.
    thread->m_threadId = 0;
    if (HANDLE handle = thread->m_handle.exchange(nullptr))
        CloseHandle(handle);
    _endthreadex(0);
    return 0;
}
