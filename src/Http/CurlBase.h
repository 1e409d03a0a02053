#pragma once
// One libcurl easy handle and the libcurl callbacks that feed it. Shared by
// its task (main thread), its worker's lists (worker thread) and queued
// main-thread events, so it is reference-counted. The callbacks run on the
// worker thread; Post() hands an event to the listener on the main thread.
// While the task has let go (inactive), every callback answers 0 so libcurl
// aborts the transfer.
#include <atomic>
#include <cstdint>
#include <curl/curl.h>
#include "CurlListener.h"
#include "Runtime/MainThreadDispatcher.h"
#include "Runtime/RefThreadSafeBase.h"

class CCurlBase : public CRefThreadSafeBase<CCurlBase> {
public:
    explicit CCurlBase(CurlListener* listener) : m_listener(listener) {}
    ~CCurlBase() override;

    virtual size_t OnRecieveHeader(const char* data, size_t length) = 0;
    virtual size_t OnRecieveBody(const char* data, size_t length) = 0;
    virtual size_t OnSendBody(char* buffer, size_t capacity) = 0;
    virtual void CloseStreams() = 0;
    // Worker thread, once libcurl has ended the transfer with code and before
    // its end is reported: writes out what the sink holds back and returns
    // the code to report.
    virtual CURLcode FinishBody(CURLcode code) { return code; }

    // Registered with libcurl, the transfer as the user pointer.
    static size_t HeaderFunction(char* data, size_t size, size_t count, void* user);
    static size_t WriteFunction(char* data, size_t size, size_t count, void* user);
    static size_t ReadFunction(char* buffer, size_t size, size_t count, void* user);

    CURL* EasyHandle() const { return m_easy; }
    void SetEasyHandle(CURL* easy) { m_easy = easy; }
    void CleanupEasyHandle();
    CurlListener* Listener() const { return m_listener; }
    bool IsActive() const { return m_active.load(); }
    void SetActive(bool active) { m_active = active; }
    void SetReportProgress(bool on) { m_reportProgress = on; }

    template <class V, void (CurlListener::*Event)(const CRefPtr<CCurlBase>&, V)>
    void Post(V value)
    {
        CMainThreadDispatcher::Post([transfer = CRefPtr<CCurlBase>(this), value] { Deliver<V, Event>(transfer, value); });
    }

private:
    template <class V, void (CurlListener::*Event)(const CRefPtr<CCurlBase>&, V)>
    static void Deliver(const CRefPtr<CCurlBase>& transfer, V value)
    {
        if (CurlListener* listener = transfer->Listener())
            (listener->*Event)(transfer, value);
    }
    bool ProgressDue();

    CURL* m_easy = nullptr;
    CurlListener* m_listener;
    std::atomic<bool> m_active{true};
    bool m_reportProgress = false;
    uint64_t m_bytesSinceReport = 0;
    DWORD m_lastReportTick = 0;
};
