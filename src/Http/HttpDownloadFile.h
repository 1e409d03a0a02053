#pragma once
// Downloads one resource into a local file: resumes a partial file with an
// open-ended range, checks the announced length, retries libcurl failures on
// the same address, moves on to backup addresses, and as a last resort
// resolves the primary host through the spare resolver and tries the
// addresses it finds. Reports progress once a second and its end once, both
// on the main thread; a download ended by Stop reports nothing. With an
// expected size, only a file of exactly that size is a success, and a part
// is appended only to a reply that starts at the byte asked for. After its
// final report the task starts its next round as a fresh one. The owner may
// delete the task, or give it new callbacks, from inside its final report.
// Main thread only. The owner owns the task; deleting it stops any lookup.
// Failover is decided in one place, Done(), in this order:
//   same address (up to 3 attempts) -> next backup -> spare DNS (once) ->
//   each resolved address -> final report.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "DNSThread.h"
#include "HttpBase.h"

using DownloadCompleteFn = std::function<void(ErrorPair error)>;
using DownloadProgressFn = std::function<void(uint64_t total, uint64_t completed, uint32_t speed)>;

class CHttpDownloadFile : public CHttpBase {
public:
    static constexpr long kReceiveBytes = 512 * 1024;

    CHttpDownloadFile();
    ~CHttpDownloadFile() override;

    const std::wstring& GetUrl() override;
    bool SetupCurl() override;
    bool Start() override;
    bool Stop() override;
    void Done(CURLcode code) override;
    void OnResponse(int32_t status) override;
    void OnProgressTick() override;
    void OnRecvBytes(int64_t count) override;

    void SetCallbacks(DownloadCompleteFn complete, DownloadProgressFn progress)
    {
        m_complete = std::move(complete);
        m_progress = std::move(progress);
    }
    // backups: addresses separated by ";". fresh: what the file holds was
    // not written by this task's owner and nothing will check it, so it is
    // emptied, not resumed or taken as finished; the task keeps to that until
    // it has emptied the file.
    bool StartDownload(const std::wstring& url, const std::wstring& backups, const std::wstring& localPath,
                       int64_t expectedSize, bool fresh = false);

    const std::deque<std::wstring>& UrlList() const { return m_urls; }
    const std::wstring& PrimaryUrl() const { return m_primaryUrl; }

    // Extracts the host of an address: after "://", up to the first
    // character that is not a letter, digit, "-" or ".".
    static std::string HostOf(const std::wstring& url);
    // The address list to try after a lookup: url with host replaced by each
    // address of ipList (";"-separated) that is a dotted IPv4 address.
    static std::deque<std::wstring> ResolvedUrls(const std::wstring& url, const std::wstring& host,
                                                 const std::wstring& ipList);
    // For an https address the name must stay in it, to be sent and checked
    // against the certificate: libcurl is told the addresses instead, as
    // "host:port:ip[,ip...]" (port 443 unless the address names one). Empty
    // for any other address or when ipList holds no dotted IPv4 address.
    static std::string ResolveEntry(const std::wstring& url, const std::wstring& ipList);

private:
    static void OnSpareDNSResult(int32_t code, uintptr_t lookup, const std::string& host, const std::string& ipList);
    static void DeliverCompletion(uintptr_t lookup, ErrorPair error);
    static std::map<uintptr_t, CHttpDownloadFile*>& Lookups();
    static CHttpDownloadFile* TaskOfLookup(uintptr_t lookup);

    void OnDNSResult(int32_t code, const std::wstring& host, const std::wstring& ipList);
    bool StartSpareLookup(ErrorPair error);
    bool LaunchLookup(const std::string& host);
    uintptr_t BeginLookup();
    void ForgetLookup();
    void RetryLater();
    void Finish(ErrorPair error);
    void Complete(ErrorPair error);
    ErrorPair CheckFinishedSize();
    void StartOver();
    void StopLookup(DWORD limitMs);
    int64_t MeasureFile() const;
    bool DecideRange();

    std::wstring m_primaryUrl;
    CDNSThread m_spareDns;
    uintptr_t m_lookup = 0; // the lookup whose result or report this task awaits; 0 for none
    ErrorPair m_lookupCause;
    std::wstring m_localPath;
    int64_t m_expectedSize = 0;
    bool m_fresh = false;
    DownloadCompleteFn m_complete;
    DownloadProgressFn m_progress;
    std::deque<std::wstring> m_urls;
    uint64_t m_received = 0;
    uint32_t m_bytesSinceTick = 0;
    uint64_t m_contentLength = 0;
    std::deque<uint32_t> m_speedSamples;
};
