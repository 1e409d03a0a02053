#pragma once
// The worker thread that runs all transfers of one scheduler on one libcurl
// multi handle. AddTransfer and RemoveTransfer may be called from any thread;
// everything else about a transfer happens on this worker until it posts
// the transfer's events to the main thread. One lock guards the multi handle
// and the three lists; it is never held while libcurl performs. A transfer
// that cannot join the multi handle (no easy handle, or libcurl refuses it)
// is done at once with CURLE_FAILED_INIT. With nothing to do the worker
// blocks until a transfer is added or removed or the thread is stopped.
// Lifecycle: Init, StartThread, ... StopThread(INFINITE), Uninit, delete.
#include <curl/curl.h>
#include <list>
#include "Runtime/ScopedHandle.h"
#include "CurlBase.h"
#include "Runtime/SimpleThread.h"

class CCurlWorkshop : public CSimpleThread {
public:
    CCurlWorkshop();
    ~CCurlWorkshop() override;

    void Init();
    void Uninit();
    bool AddTransfer(const CRefPtr<CCurlBase>& transfer);
    bool RemoveTransfer(const CRefPtr<CCurlBase>& transfer);
    void Run() override;

protected:
    void WakeForStop() override { SetEvent(m_wake.Get()); }

private:
    using TransferList = std::list<CRefPtr<CCurlBase>>;
    class Lock;

    int Pump();
    void WaitForSockets();
    void WaitForWork(DWORD limitMs);
    bool WorkQueued();
    int Completions();
    void PendingWork();
    void TakeOff(const CRefPtr<CCurlBase>& transfer);
    static bool Contains(const TransferList& list, const CCurlBase* transfer);
    static void EraseFirst(TransferList& list, const CCurlBase* transfer);

    CURLM* m_multi = nullptr;
    TransferList m_pending;
    TransferList m_running;
    TransferList m_removal;
    CRITICAL_SECTION m_lock;
    CScopedHandle m_wake; // auto-reset: set by whoever gives the worker something to do
};
