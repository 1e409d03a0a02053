#include "HttpMgr.h"
#include <memory>
#include <vector>
#include "CurlWorkshop.h"
#include "HttpBase.h"
#include "Runtime/CallbackGuard.h"
#include "Runtime/LogSites.h"

namespace {
const wchar_t kSource[] = L".\\Http\\HttpMgr.cpp";
UINT_PTR g_timer = 0;
uint32_t g_ticks = 0;
} // namespace

struct CHttpMgr::Pair {
    std::unique_ptr<CCurlWorkshop> worker;
    std::unique_ptr<CHttpMgr> manager;
};

CHttpMgr::Pair& CHttpMgr::Requests()
{
    static Pair pair;
    return pair;
}

CHttpMgr::Pair& CHttpMgr::Downloads()
{
    static Pair pair;
    return pair;
}

CHttpMgr* CHttpMgr::RequestManager() { return Requests().manager.get(); }
CCurlWorkshop* CHttpMgr::RequestWorker() { return Requests().worker.get(); }
CHttpMgr* CHttpMgr::DownloadManager() { return Downloads().manager.get(); }
CCurlWorkshop* CHttpMgr::DownloadWorker() { return Downloads().worker.get(); }

void CHttpMgr::StartEngine()
{
    StartTimer();
    HttpInit();
    DownloadInit();
}

void CHttpMgr::StopEngine()
{
    HttpUninit();
    DownloadUninit();
    StopTimer();
}

bool CHttpMgr::HttpInit() { return Init(Requests()); }
bool CHttpMgr::DownloadInit() { return Init(Downloads()); }
bool CHttpMgr::HttpUninit() { return Uninit(Requests()); }
bool CHttpMgr::DownloadUninit() { return Uninit(Downloads()); }

bool CHttpMgr::Init(Pair& pair)
{
    if (!pair.worker) {
        pair.worker = std::make_unique<CCurlWorkshop>();
        pair.worker->Init();
        pair.worker->StartThread();
    }
    if (!pair.manager)
        pair.manager = std::make_unique<CHttpMgr>();
    return true;
}

bool CHttpMgr::Uninit(Pair& pair)
{
    if (pair.worker) {
        pair.worker->StopThread(INFINITE);
        pair.worker->Uninit();
        pair.worker.reset();
    }
    if (pair.manager) {
        pair.manager->DetachAll();
        pair.manager.reset();
    }
    return true;
}

void CHttpMgr::DetachAll()
{
    for (CHttpBase* task : m_tasks) {
        task->SetManager(nullptr);
        task->SetWorker(nullptr);
    }
    m_tasks.clear();
    m_running = 0;
}

void CHttpMgr::StartTimer()
{
    if (!g_timer)
        g_timer = SetTimer(nullptr, 100, 500, &CHttpMgr::HttpTimerProc);
}

void CHttpMgr::StopTimer()
{
    if (g_timer)
        KillTimer(nullptr, g_timer);
    g_timer = 0;
}

void CALLBACK CHttpMgr::HttpTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    auto tick = [] {
        if (g_ticks % 2 == 0 && DownloadManager())
            DownloadManager()->ReportProgress();
        if (DownloadManager())
            DownloadManager()->CheckRetries();
        if (RequestManager())
            RequestManager()->CheckRetries();
    };
    CCallbackGuard::Run(L"transfer timer", tick, [] {});
    ++g_ticks;
}

CHttpBase* CHttpMgr::FindTask(const CRefPtr<CCurlBase>& transfer) const
{
    for (CHttpBase* task : m_tasks)
        if (task->Transfer() && task->Transfer() == transfer.Get())
            return task;
    return nullptr;
}

bool CHttpMgr::Lists(const CHttpBase* task) const
{
    for (const CHttpBase* listed : m_tasks)
        if (listed == task)
            return true;
    return false;
}

void CHttpMgr::OnCurlDone(const CRefPtr<CCurlBase>& transfer, CURLcode code)
{
    if (CHttpBase* task = FindTask(transfer))
        task->Done(code);
}

void CHttpMgr::OnCurlRecvProgress(const CRefPtr<CCurlBase>& transfer, uint32_t bytes)
{
    if (CHttpBase* task = FindTask(transfer))
        task->OnRecvBytes(static_cast<int64_t>(bytes));
}

void CHttpMgr::OnCurlSendProgress(const CRefPtr<CCurlBase>&, uint32_t) {}

void CHttpMgr::OnCurlResponse(const CRefPtr<CCurlBase>& transfer, int32_t status)
{
    if (CHttpBase* task = FindTask(transfer))
        task->OnResponse(status);
}

void CHttpMgr::OnCurlRemoved(const CRefPtr<CCurlBase>&, int32_t) {}

void CHttpMgr::OnCurlStarted(const CRefPtr<CCurlBase>&, int32_t) {}

TaskId CHttpMgr::AddTask(CHttpBase* task)
{
    if (Lists(task)) {
        LogConsoleAndFile(0, kSource, __LINE__, L"http请求重复添加 url:%s", task->GetUrl().c_str());
        return task->Id();
    }
    task->SetId(NewTaskId());
    m_tasks.push_back(task);
    if (!task->InRetryWait())
        Schedule();
    return task->Id();
}

bool CHttpMgr::RemoveTask(CHttpBase* task)
{
    bool wasScheduled = task->IsScheduled();
    m_tasks.remove(task);
    task->SetScheduled(false);
    if (wasScheduled) {
        --m_running;
        Schedule();
    }
    return true;
}

bool CHttpMgr::AttachOrLeaveOther(CHttpMgr* manager, CHttpBase* task)
{
    if (!manager)
        return false;
    if (task->Manager() && task->Manager() != manager)
        return task->Manager()->RemoveTask(task);
    task->SetManager(manager);
    manager->AddTask(task);
    return true;
}

// Walks a copy of the list: a task's Start may report its end at once, and
// its owner may then stop (unlist) or even delete tasks. Each entry is used
// only while it is still listed.
void CHttpMgr::Schedule()
{
    uint32_t total = static_cast<uint32_t>(m_tasks.size());
    if (m_running > kMaxRunning || m_running > total) {
        LogConsoleAndFile(0, kSource, __LINE__,
                          L"CHttpMgr::Schedule() 正在运行的任务数计算出错，重新计算中 running:%d max:%d total:%d",
                          m_running, kMaxRunning, total);
        m_running = 0;
        for (CHttpBase* task : m_tasks)
            m_running += task->IsScheduled() ? 1 : 0;
    }
    LogConsoleAndFile(0, kSource, __LINE__, L"CHttpMgr::Schedule() 调度任务 running:%d max:%d total:%d", m_running,
                      kMaxRunning, total);
    if (m_running >= kMaxRunning) {
        LogConsoleAndFile(0, kSource, __LINE__, L"CHttpMgr::Schedule() 任务数超标 running:%d max:%d total:%d",
                          m_running, kMaxRunning, total);
        return;
    }
    std::vector<CHttpBase*> snapshot(m_tasks.begin(), m_tasks.end());
    for (CHttpBase* task : snapshot) {
        if (m_running >= kMaxRunning)
            break;
        if (!Lists(task) || task->IsScheduled() || task->IsRunning() || task->InRetryWait())
            continue;
        if (task->Start() && Lists(task)) {
            task->SetScheduled(true);
            ++m_running;
        }
    }
}

void CHttpMgr::CheckRetries()
{
    bool released = false;
    DWORD now = GetTickCount();
    for (CHttpBase* task : m_tasks) {
        if (task->InRetryWait() && now - task->RetryTick() > 500) {
            task->ClearRetryWait();
            released = true;
        }
    }
    if (released)
        Schedule();
}

void CHttpMgr::ReportProgress()
{
    std::vector<CHttpBase*> snapshot(m_tasks.begin(), m_tasks.end());
    for (CHttpBase* task : snapshot)
        if (Lists(task) && task->IsRunning())
            task->OnProgressTick();
}
