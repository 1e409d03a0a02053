#pragma once
// Base of every HTTP task: its address, retry counters, result record and
// current transfer. Main thread only. The task does not own its manager or
// worker; the manager only lists the task. A task may be reused: set a new
// address and attach it again.
#include <optional>
#include <string>
#include "CurlHttp.h"
#include "Runtime/ErrorPair.h"
#include "TaskId.h"

class CHttpMgr;
class CCurlWorkshop;

class CHttpBase {
public:
    CHttpBase(CHttpMgr* manager, CCurlWorkshop* worker) : m_manager(manager), m_worker(worker) {}
    CHttpBase(const CHttpBase&) = delete;
    CHttpBase& operator=(const CHttpBase&) = delete;

    virtual const std::wstring& GetUrl();
    virtual ~CHttpBase();
    virtual bool SetupCurl();
    virtual bool Start();
    virtual bool Stop();
    virtual void Done(CURLcode code) = 0;
    virtual void OnResponse(int32_t status) = 0;
    virtual void OnProgressTick() {}
    virtual void OnRecvBytes(int64_t) {}

    // The attempt's failure that counts, in the order sys, user, http
    // (outside 100..399), curl.
    ErrorPair GetError() const;

    void SetUrl(const std::wstring& url) { m_url = url; }
    void SetMethod(int32_t method) { m_method = method; }

    // How long a transfer may receive nothing before libcurl ends it with a
    // time-out; a silent peer would otherwise hang the task for ever.
    static void SetStallSeconds(uint32_t seconds) { s_stallSeconds = seconds; }
    static uint32_t StallSeconds() { return s_stallSeconds; }

    // Scheduler's view.
    CHttpMgr* Manager() const { return m_manager; }
    void SetManager(CHttpMgr* manager) { m_manager = manager; }
    void SetWorker(CCurlWorkshop* worker) { m_worker = worker; }
    CCurlHttp* Transfer() const { return m_transfer.Get(); }
    bool IsRunning() const { return m_running; }
    bool IsScheduled() const { return m_scheduled; }
    void SetScheduled(bool on) { m_scheduled = on; }
    bool InRetryWait() const { return m_retryWait; }
    void ClearRetryWait() { m_retryWait = false; }
    DWORD RetryTick() const { return m_retryTick; }
    TaskId Id() const { return m_taskId; }
    void SetId(TaskId id) { m_taskId = id; }
    uint32_t StartCount() const { return m_startCount; }

protected:
    void ReleaseTransfer();
    void NewTransfer();
    void SetResult(ErrorPair result);
    // Records how the current transfer ended: libcurl's code and, where the
    // transfer ended itself over a limit, the limit's pair.
    void RecordTransferEnd(CURLcode code);
    void ClearResult() { m_result = {}; }
    void BeginRetryWait();
    // A failure of an attempt made through the system's proxy (a libcurl
    // error, or 407, 502, 503 or 504): true once, and the next attempt goes
    // direct without counting as one; a failed direct attempt then counts.
    bool TakeDirectRetry(ErrorPair error);
    void ResetStartCount() { m_startCount = 0; }

    CRefPtr<CCurlHttp> m_transfer;
    CHttpMgr* m_manager;
    CCurlWorkshop* m_worker;
    std::wstring m_url;
    int32_t m_method = 1;
    uint64_t m_rangeStart = 0;
    uint32_t m_maxRetries = 2;
    // "host:port:ip[,ip...]" for libcurl to use instead of a lookup; empty
    // for none.
    std::string m_resolve;
    bool m_viaProxy = false;
    bool m_directOnce = false;

private:
    static uint32_t s_stallSeconds;

    bool m_running = false;
    TaskId m_taskId = 0;
    uint32_t m_startCount = 0;
    bool m_scheduled = false;
    // How the current attempt ended, one code for each kind of failure.
    struct AttemptResult {
        int32_t sys = 0;
        int32_t user = 0;
        std::optional<int32_t> http;
        int32_t curl = 0;
    } m_result;
    uint32_t m_connectTimeout = 5;
    bool m_retryWait = false;
    DWORD m_retryTick = 0;
};
