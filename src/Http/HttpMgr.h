#pragma once
// Lists the tasks of one kind, starts them while fewer than ten hold a
// running slot, and forwards their transfers' events to them. Main thread
// only; it does not own its tasks. The process has two managers, each with
// its own worker: one for requests and one for downloads, created by
// HttpInit/DownloadInit and destroyed by HttpUninit/DownloadUninit. A 500 ms
// thread timer releases retry waits and drives download progress.
#include <list>
#include "CurlListener.h"
#include "TaskId.h"

class CHttpBase;
class CCurlWorkshop;

class CHttpMgr : public CurlListener {
public:
    static constexpr uint32_t kMaxRunning = 10;

    void OnCurlDone(const CRefPtr<CCurlBase>& transfer, CURLcode code) override;
    void OnCurlRecvProgress(const CRefPtr<CCurlBase>& transfer, uint32_t bytes) override;
    void OnCurlSendProgress(const CRefPtr<CCurlBase>& transfer, uint32_t bytes) override;
    void OnCurlResponse(const CRefPtr<CCurlBase>& transfer, int32_t status) override;
    void OnCurlRemoved(const CRefPtr<CCurlBase>& transfer, int32_t unused) override;
    void OnCurlStarted(const CRefPtr<CCurlBase>& transfer, int32_t unused) override;
    virtual TaskId AddTask(CHttpBase* task);
    virtual bool RemoveTask(CHttpBase* task);
    virtual ~CHttpMgr() = default;

    // Lists the task with the manager; a task listed with another manager is
    // only taken off that one (the caller attaches again to list it here).
    static bool AttachOrLeaveOther(CHttpMgr* manager, CHttpBase* task);
    void Schedule();
    void CheckRetries();
    void ReportProgress();

    size_t TaskCount() const { return m_tasks.size(); }
    uint32_t RunningCount() const { return m_running; }

    // The whole engine in start-up order (timer, requests, downloads) and
    // back; the main-thread dispatcher must be stopped before StopEngine so
    // no event can reach a deleted manager.
    static void StartEngine();
    static void StopEngine();
    static bool HttpInit();
    static bool DownloadInit();
    static bool HttpUninit();
    static bool DownloadUninit();
    static void StartTimer();
    static void StopTimer();
    static CHttpMgr* RequestManager();
    static CCurlWorkshop* RequestWorker();
    static CHttpMgr* DownloadManager();
    static CCurlWorkshop* DownloadWorker();

private:
    struct Pair;
    static Pair& Requests();
    static Pair& Downloads();
    static bool Init(Pair& pair);
    static bool Uninit(Pair& pair);
    static void CALLBACK HttpTimerProc(HWND, UINT, UINT_PTR, DWORD);

    CHttpBase* FindTask(const CRefPtr<CCurlBase>& transfer) const;
    bool Lists(const CHttpBase* task) const;
    void DetachAll();

    std::list<CHttpBase*> m_tasks;
    uint32_t m_running = 0;
};
