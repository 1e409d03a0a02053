#include "CurlWorkshop.h"
#include <winsock2.h>
#include <algorithm>
#include "Runtime/LogSites.h"

namespace {
const wchar_t kSource[] = L".\\Http\\CurlWorkshop.cpp";
}

class CCurlWorkshop::Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Lock() { LeaveCriticalSection(&m_cs); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

CCurlWorkshop::CCurlWorkshop() : m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    InitializeCriticalSection(&m_lock);
}

CCurlWorkshop::~CCurlWorkshop()
{
    StopThread(INFINITE);
    Uninit();
    DeleteCriticalSection(&m_lock);
}

void CCurlWorkshop::Init()
{
    Lock lock(m_lock);
    if (m_multi)
        return;
    m_multi = curl_multi_init();
    LogFileOnly(0, kSource, __LINE__, L"CCurlWorkshop::Init() %x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_multi)));
}

void CCurlWorkshop::Uninit()
{
    Lock lock(m_lock);
    for (const auto& transfer : m_running) {
        if (m_multi && transfer->EasyHandle())
            curl_multi_remove_handle(m_multi, transfer->EasyHandle());
        transfer->CleanupEasyHandle();
    }
    if (m_multi)
        curl_multi_cleanup(m_multi);
    m_multi = nullptr;
    m_removal.clear();
    m_pending.clear();
    m_running.clear();
}

bool CCurlWorkshop::AddTransfer(const CRefPtr<CCurlBase>& transfer)
{
    Lock lock(m_lock);
    if (!m_multi)
        return false;
    m_pending.push_back(transfer);
    EraseFirst(m_removal, transfer.Get());
    SetEvent(m_wake.Get());
    return true;
}

bool CCurlWorkshop::RemoveTransfer(const CRefPtr<CCurlBase>& transfer)
{
    Lock lock(m_lock);
    if (!m_multi)
        return false;
    m_removal.push_back(transfer);
    SetEvent(m_wake.Get());
    return true;
}

void CCurlWorkshop::Run()
{
    while (!StopRequested()) {
        int running = Pump();
        int completed = Completions();
        if (running == 0 && completed == 0 && !WorkQueued())
            WaitForWork(INFINITE);
    }
}

int CCurlWorkshop::Pump()
{
    if (StopRequested())
        return 0;
    PendingWork();
    WaitForSockets();
    int anyRunning = 0;
    CURLMcode code;
    do {
        int handles = 0;
        code = curl_multi_perform(m_multi, &handles);
        if (handles > 0)
            anyRunning = 1;
    } while (code == CURLM_CALL_MULTI_PERFORM);
    return anyRunning;
}

void CCurlWorkshop::WaitForSockets()
{
    for (;;) {
        fd_set readSet, writeSet, errorSet;
        FD_ZERO(&readSet);
        FD_ZERO(&writeSet);
        FD_ZERO(&errorSet);
        int highest = -1;
        curl_multi_fdset(m_multi, &readSet, &writeSet, &errorSet, &highest);
        if (highest < 0) {
            // No socket yet (a name being looked up, say): sleep until
            // libcurl's next deadline instead of spinning.
            long deadlineMs = -1;
            curl_multi_timeout(m_multi, &deadlineMs);
            if (deadlineMs > 0)
                WaitForWork(static_cast<DWORD>(std::min(deadlineMs, 50L)));
            return;
        }
        timeval timeout = {0, 5000};
        if (select(highest + 1, &readSet, &writeSet, &errorSet, &timeout) != SOCKET_ERROR ||
            WSAGetLastError() != WSAEINTR)
            return;
    }
}

// Whatever was queued before this check has set the event since, or is
// still queued: the worker never sleeps through it.
bool CCurlWorkshop::WorkQueued()
{
    Lock lock(m_lock);
    return !m_pending.empty() || !m_removal.empty();
}

// A stop, an added or a removed transfer ends the wait early.
void CCurlWorkshop::WaitForWork(DWORD limitMs)
{
    if (StopRequested())
        return;
    if (!m_wake) { // no event to wait on: sleep rather than spin
        Sleep(limitMs == INFINITE ? 10 : limitMs);
        return;
    }
    WaitForSingleObject(m_wake.Get(), limitMs);
}

int CCurlWorkshop::Completions()
{
    int count = 0;
    while (!StopRequested()) {
        int left = 0;
        CURLMsg* msg = curl_multi_info_read(m_multi, &left);
        if (!msg)
            break;
        if (msg->msg != CURLMSG_DONE)
            continue;
        Lock lock(m_lock);
        ++count;
        for (const auto& transfer : m_running) {
            if (transfer->EasyHandle() != msg->easy_handle)
                continue;
            CRefPtr<CCurlBase> done = transfer;
            done->Post<CURLcode, &CurlListener::OnCurlDone>(done->FinishBody(msg->data.result));
            TakeOff(done);
            break;
        }
    }
    return count;
}

// Moves transfers in and out of the multi handle: inactive ones (their task
// let go) and those asked for are taken off, pending ones are added.
void CCurlWorkshop::PendingWork()
{
    Lock lock(m_lock);
    for (TransferList* list : {&m_pending, &m_running})
        for (const auto& transfer : *list)
            if (!transfer->IsActive())
                m_removal.push_back(transfer);
    for (size_t n = m_removal.size(); n > 0; --n) {
        CRefPtr<CCurlBase> transfer = m_removal.front();
        TakeOff(transfer);
        transfer->Post<int32_t, &CurlListener::OnCurlRemoved>(0);
        m_removal.pop_front();
    }
    for (size_t n = m_pending.size(); n > 0; --n) {
        CRefPtr<CCurlBase> transfer = m_pending.front();
        m_pending.pop_front();
        if (transfer->EasyHandle() && curl_multi_add_handle(m_multi, transfer->EasyHandle()) == CURLM_OK) {
            transfer->Post<int32_t, &CurlListener::OnCurlStarted>(0);
            m_running.push_back(transfer);
        } else {
            // Without a report the task would wait for this transfer forever.
            transfer->Post<CURLcode, &CurlListener::OnCurlDone>(CURLE_FAILED_INIT);
        }
    }
}

void CCurlWorkshop::TakeOff(const CRefPtr<CCurlBase>& transfer)
{
    if (!transfer->EasyHandle())
        return;
    if (Contains(m_running, transfer.Get())) {
        curl_multi_remove_handle(m_multi, transfer->EasyHandle());
        transfer->CleanupEasyHandle();
        EraseFirst(m_running, transfer.Get());
    } else {
        EraseFirst(m_pending, transfer.Get());
    }
}

bool CCurlWorkshop::Contains(const TransferList& list, const CCurlBase* transfer)
{
    for (const auto& entry : list)
        if (entry.Get() == transfer)
            return true;
    return false;
}

void CCurlWorkshop::EraseFirst(TransferList& list, const CCurlBase* transfer)
{
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->Get() == transfer) {
            list.erase(it);
            return;
        }
}
