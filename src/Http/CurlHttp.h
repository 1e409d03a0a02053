#pragma once
// An HTTP transfer: reads the status and header lines, writes the body into
// its sink and sends a request body from its source. The callbacks run on
// the worker thread while the transfer is in the multi handle; the task
// reads Status() and Headers() on the main thread from OnCurlResponse on.
// Each response of a redirect chain, and each interim 1xx reply, starts a
// fresh status and header map, so only the final response's lines count.
// The transfer owns its sink and source; the stream lock lets the task close
// them on the main thread while a callback may still be running, and the
// header lock lets it copy the map while the next response's lines arrive.
// The header lines of one transfer, redirects and interim replies included,
// are capped: a block without end would otherwise grow the map (or the
// event queue) until the process runs out of memory.
#include <atomic>
#include <memory>
#include <mutex>
#include "CurlBase.h"
#include "Runtime/ErrorPair.h"
#include "Runtime/IBaseStream.h"
#include "Runtime/OBaseStream.h"
#include "Runtime/ProtoValue.h"

class CCurlHttp : public CCurlBase {
public:
    static constexpr int32_t kNoStatus = 700;
    static constexpr size_t kHeaderLimit = 64 * 1024;

    explicit CCurlHttp(CurlListener* listener) : CCurlBase(listener), m_headers(ProtoValue::Map) {}
    ~CCurlHttp() override;

    size_t OnRecieveHeader(const char* data, size_t length) override;
    size_t OnRecieveBody(const char* data, size_t length) override;
    size_t OnSendBody(char* buffer, size_t capacity) override;
    void CloseStreams() override;
    // A body that could not be written out ends as a refused write would
    // have: CURLE_WRITE_ERROR, whatever else ended the transfer.
    CURLcode FinishBody(CURLcode code) override;

    // Called by the task's set-up before the transfer goes to the worker.
    void ResetResponse();
    void SetSink(std::unique_ptr<OBaseStream> sink) { m_sink = std::move(sink); }
    void SetSource(std::unique_ptr<IBaseStream> source) { m_source = std::move(source); }
    void SetUploadTotal(uint64_t total) { m_uploadTotal = total; }
    void SetResumeRequested(bool on) { m_resumeRequested = on; }

    OBaseStream* Sink() const { return m_sink.get(); }
    IBaseStream* Source() const { return m_source.get(); }
    bool ResumeRequested() const { return m_resumeRequested; }
    int32_t Status() const { return m_status; }
    ProtoValue Headers() const;
    // (kErrorCurl, CURLE_PEER_FAILED_VERIFICATION) once an https peer's
    // certificate was refused, (kErrorUser, kUserHeaderTooLarge) once the
    // header lines passed the limit; the transfer was ended for it. (0, 0)
    // otherwise.
    ErrorPair HeaderError() const;
    // The sink's error pair: a write that failed (a full disk, a folder that
    // refuses writes) ended the transfer; (0, 0) otherwise.
    ErrorPair SinkError();
    // Main thread: ends the transfer's writes and empties what its sink holds.
    // Returns the sink's error pair, (0, 0) when it was emptied.
    ErrorPair DiscardBody();
    // libcurl's call once a connection stands, before each request goes
    // out: on https the peer's certificate must pass CPeerCertificate, or
    // the transfer ends and nothing is sent to that peer.
    static int PrereqFunction(void* user, char* peerIp, char* localIp, int peerPort, int localPort);

    // The addresses libcurl takes for a host instead of looking it up
    // ("host:port:ip[,ip...]"): an https name is still sent and checked
    // against the certificate. The list lives as long as the transfer.
    curl_slist* ResolveList(const std::string& entry);
    // libcurl's own words for why the transfer failed (for a certificate:
    // which check), filled by libcurl on the worker thread.
    char* ErrorText() { return m_errorText; }

private:
    static bool IsGoodStatus(int32_t status) { return status >= 100 && status <= 399; }
    static bool IsInterim(int32_t status) { return status >= 100 && status <= 199; }
    void BeginResponse();
    void LogWriteError();
    void ReadStatus();
    void StoreHeaderLine(const std::string& line);
    bool WithinHeaderLimit(size_t length);
    bool PeerTrusted();

    ProtoValue m_headers;
    int32_t m_status = kNoStatus;
    size_t m_headerBytes = 0;
    std::atomic<bool> m_headerTooLarge{false};
    std::atomic<DWORD> m_peerError{0};
    uint64_t m_uploadTotal = 0;
    uint64_t m_uploadSent = 0;
    bool m_resumeRequested = false;
    std::unique_ptr<OBaseStream> m_sink;
    std::unique_ptr<IBaseStream> m_source;
    std::mutex m_streamLock;
    mutable std::mutex m_headerLock;
    curl_slist* m_resolve = nullptr;
    char m_errorText[CURL_ERROR_SIZE] = {};
};
