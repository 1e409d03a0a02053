#include "HttpBase.h"
#include <cstdio>
#include "CurlWorkshop.h"
#include "HttpMgr.h"
#include "SystemProxy.h"
#include "Runtime/LogSites.h"
#include "Runtime/StringConvert.h"

namespace {
const wchar_t kSource[] = L".\\Http\\HttpBase.cpp";
}

uint32_t CHttpBase::s_stallSeconds = 60;

CHttpBase::~CHttpBase() { CHttpBase::Stop(); }

const std::wstring& CHttpBase::GetUrl() { return m_url; }

void CHttpBase::NewTransfer()
{
    ReleaseTransfer();
    m_transfer = CRefPtr<CCurlHttp>(new CCurlHttp(m_manager));
}

// The task lets go: libcurl aborts the transfer at its next callback, the
// worker takes it off, and late events find no task holding it.
void CHttpBase::ReleaseTransfer()
{
    if (!m_transfer)
        return;
    m_transfer->SetActive(false);
    m_transfer->CloseStreams();
    m_transfer.Reset();
}

bool CHttpBase::SetupCurl()
{
    CCurlHttp* transfer = m_transfer.Get();
    if (!transfer->EasyHandle())
        transfer->SetEasyHandle(curl_easy_init());
    else
        curl_easy_reset(transfer->EasyHandle());
    transfer->ResetResponse();
    CURL* easy = transfer->EasyHandle();
    std::string url = WideToAnsi(GetUrl());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CCurlBase::HeaderFunction);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, static_cast<CCurlBase*>(transfer));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CCurlBase::WriteFunction);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, static_cast<CCurlBase*>(transfer));
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &CCurlBase::ReadFunction);
    curl_easy_setopt(easy, CURLOPT_READDATA, static_cast<CCurlBase*>(transfer));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_connectTimeout));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(s_stallSeconds));
    // Certificates are always checked (chain to a trusted root, the host's
    // name, the dates); there is no way to turn that off.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    // An offline machine, or a deployer's own CA without revocation lists,
    // must still install: a revocation server that cannot be asked is no
    // refusal. (The chain, the name and the dates are checked all the same.)
    curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
    // A proxy's answer to CONNECT is not the server's: its lines would set
    // the reply's status and hide the transfer's own error from failover.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->ErrorText());
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CCurlHttp::PrereqFunction);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, transfer);
    if (!m_resolve.empty())
        curl_easy_setopt(easy, CURLOPT_RESOLVE, transfer->ResolveList(m_resolve));
    const std::string proxy = m_directOnce ? std::string() : CSystemProxy::Instance().ProxyFor(GetUrl());
    m_viaProxy = !proxy.empty();
    if (m_viaProxy)
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    if (m_method == 2) {
        uint32_t size = transfer->Source() ? transfer->Source()->Size() : 0;
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(size));
        transfer->SetUploadTotal(size);
    } else if (m_rangeStart != 0) {
        char range[32];
        snprintf(range, sizeof(range), "%llu-", static_cast<unsigned long long>(m_rangeStart));
        curl_easy_setopt(easy, CURLOPT_RANGE, range);
    }
    return true;
}

bool CHttpBase::Start()
{
    if (m_running)
        return false;
    ++m_startCount;
    m_running = true;
    SetupCurl();
    if (m_transfer && m_worker)
        m_worker->AddTransfer(CRefPtr<CCurlBase>(m_transfer));
    return true;
}

bool CHttpBase::Stop()
{
    if (m_running) {
        m_running = false;
        if (m_transfer && m_worker)
            m_worker->RemoveTransfer(CRefPtr<CCurlBase>(m_transfer));
    }
    ReleaseTransfer();
    if (m_manager && m_manager->RemoveTask(this))
        m_manager = nullptr;
    return true;
}

ErrorPair CHttpBase::GetError() const
{
    if (m_result.sys)
        return {kErrorSys, m_result.sys};
    if (m_result.user)
        return {kErrorUser, m_result.user};
    if (m_result.http && (*m_result.http < 100 || *m_result.http > 399))
        return {kErrorHttp, *m_result.http};
    if (m_result.curl)
        return {kErrorCurl, m_result.curl};
    return {};
}

void CHttpBase::SetResult(ErrorPair result)
{
    switch (result.type) {
    case kErrorSys: m_result.sys = result.code; break;
    case kErrorUser: m_result.user = result.code; break;
    case kErrorHttp: m_result.http = result.code; break;
    case kErrorCurl: m_result.curl = result.code; break;
    default: break;
    }
}

void CHttpBase::RecordTransferEnd(CURLcode code)
{
    SetResult({kErrorCurl, code});
    if (code != CURLE_OK && m_transfer && m_transfer->ErrorText()[0])
        LogConsoleAndFile(2, kSource, __LINE__, L"[http] %d %s: %s", static_cast<int>(code),
                          GetUrl().c_str(), AnsiToWide(m_transfer->ErrorText()).c_str());
    ErrorPair header = m_transfer ? m_transfer->HeaderError() : ErrorPair{};
    if (header.type != kErrorOk)
        SetResult(header);
    // The disk, not the network, ended it: not a failure that a retry or
    // another address can mend.
    ErrorPair sink = m_transfer ? m_transfer->SinkError() : ErrorPair{};
    if (sink.type != kErrorOk)
        SetResult(sink);
}

bool CHttpBase::TakeDirectRetry(ErrorPair error)
{
    const bool proxyAnswered = error.type == kErrorHttp && (error.code == 407 || (error.code >= 502 && error.code <= 504));
    const bool proxyFailed = m_viaProxy && (error.type == kErrorCurl || proxyAnswered);
    if (!proxyFailed || m_directOnce) {
        m_directOnce = false;
        return false;
    }
    m_directOnce = true;
    if (m_startCount > 0)
        --m_startCount;
    LogConsoleAndFile(2, kSource, __LINE__, L"[proxy] %s failed through the proxy (%d,%d), once more directly",
                      GetUrl().c_str(), error.type, error.code);
    return true;
}

void CHttpBase::BeginRetryWait()
{
    m_retryWait = true;
    m_retryTick = GetTickCount();
}
