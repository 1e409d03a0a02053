#include "HttpDownloadFile.h"
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include "DownloadWriteFile.h"
#include "HttpMgr.h"
#include "Runtime/LogSites.h"
#include "Runtime/MainThreadDispatcher.h"
#include "Runtime/StringConvert.h"

namespace {

const wchar_t kSource[] = L".\\Http\\HttpDownloadFile.cpp";

// Download lines go to the trace logger at level 2 and to the file logger at
// the line's own level.
template <class... A>
void LogDownload(int level, int line, const wchar_t* format, A... args)
{
    CSingleton<TraceLogger>::Instance()->Log(2, format, args...);
    LogFileOnly(level, kSource, line, format, args...);
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        pieces.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos)
            return pieces;
        start = at + 1;
    }
}

bool IsHostCharacter(wchar_t c) { return (c < 128 && std::iswalnum(c)) || c == L'.' || c == L'-'; }

bool IsDottedIPv4(const std::wstring& text)
{
    std::vector<std::wstring> parts = Split(text, L'.');
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](const std::wstring& part) {
               return !part.empty() && part.size() <= 3 && part.find_first_not_of(L"0123456789") == std::wstring::npos &&
                      std::stoi(part) <= 255;
           });
}

// The first byte of a "bytes FIRST-LAST/TOTAL" range, or -1 when there is
// none to read.
int64_t ContentRangeStart(const ProtoValue& headers)
{
    const ProtoValue* range = headers.find(L"Content-Range");
    if (!range || range->type() != ProtoValue::WideString || _wcsnicmp(range->string().c_str(), L"bytes ", 6) != 0)
        return -1;
    const wchar_t* digits = range->string().c_str() + 6;
    wchar_t* end = nullptr;
    long long first = wcstoll(digits, &end, 10);
    return end != digits && *end == L'-' ? first : -1;
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to)
{
    for (size_t at = text.find(from); !from.empty() && at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

CHttpDownloadFile::CHttpDownloadFile() : CHttpBase(CHttpMgr::DownloadManager(), CHttpMgr::DownloadWorker()) {}

CHttpDownloadFile::~CHttpDownloadFile()
{
    ForgetLookup();
    StopLookup(INFINITE);
    CHttpDownloadFile::Stop();
}

std::map<uintptr_t, CHttpDownloadFile*>& CHttpDownloadFile::Lookups()
{
    static std::map<uintptr_t, CHttpDownloadFile*> lookups;
    return lookups;
}

// A lookup's result and the report it leads to carry the lookup's number, so
// they reach only the task that is still waiting for that very lookup: not a
// stopped one, nor another task that now lives at the same address.
uintptr_t CHttpDownloadFile::BeginLookup()
{
    static uintptr_t last = 0;
    ForgetLookup();
    m_lookup = ++last;
    Lookups()[m_lookup] = this;
    return m_lookup;
}

void CHttpDownloadFile::ForgetLookup()
{
    Lookups().erase(m_lookup);
    m_lookup = 0;
}

CHttpDownloadFile* CHttpDownloadFile::TaskOfLookup(uintptr_t lookup)
{
    auto found = Lookups().find(lookup);
    return found == Lookups().end() ? nullptr : found->second;
}

const std::wstring& CHttpDownloadFile::GetUrl()
{
    static const std::wstring none;
    return m_urls.empty() ? none : m_urls.front();
}

std::string CHttpDownloadFile::HostOf(const std::wstring& url)
{
    size_t scheme = url.find(L"://");
    std::wstring rest = scheme == std::wstring::npos ? url : url.substr(scheme + 3);
    size_t end = 0;
    while (end < rest.size() && IsHostCharacter(rest[end]))
        ++end;
    return WideToUtf8(rest.substr(0, end));
}

std::deque<std::wstring> CHttpDownloadFile::ResolvedUrls(const std::wstring& url, const std::wstring& host,
                                                        const std::wstring& ipList)
{
    std::deque<std::wstring> urls;
    for (const std::wstring& ip : Split(ipList, L';'))
        if (IsDottedIPv4(ip))
            urls.push_back(ReplaceAll(url, host, ip));
    return urls;
}

std::string CHttpDownloadFile::ResolveEntry(const std::wstring& url, const std::wstring& ipList)
{
    static const std::wstring scheme = L"https://";
    if (url.size() <= scheme.size() || _wcsnicmp(url.c_str(), scheme.c_str(), scheme.size()) != 0)
        return {};
    std::string host = HostOf(url);
    std::wstring port = L"443";
    const size_t after = scheme.size() + host.size();
    if (after < url.size() && url[after] == L':') {
        size_t digits = url.find_first_not_of(L"0123456789", after + 1);
        port = url.substr(after + 1, (digits == std::wstring::npos ? url.size() : digits) - after - 1);
    }
    std::wstring addresses;
    for (const std::wstring& ip : Split(ipList, L';'))
        if (IsDottedIPv4(ip))
            addresses += (addresses.empty() ? L"" : L",") + ip;
    if (addresses.empty() || port.empty())
        return {};
    // "+": the answer lives as long as a lookup's would, not for the process.
    return "+" + host + ":" + WideToUtf8(port) + ":" + WideToUtf8(addresses);
}

bool CHttpDownloadFile::StartDownload(const std::wstring& url, const std::wstring& backups,
                                      const std::wstring& localPath, int64_t expectedSize, bool fresh)
{
    if (!backups.empty()) {
        m_urls.clear();
        for (const std::wstring& piece : Split(backups, L';'))
            m_urls.push_back(piece);
    }
    if (!url.empty()) {
        std::erase_if(m_urls, [&url](const std::wstring& u) { return u == url || u.size() < 3; });
        m_primaryUrl = url;
    }
    if (IsRunning())
        return false;
    m_urls.push_front(url);
    m_localPath = localPath;
    m_expectedSize = expectedSize;
    m_fresh = m_fresh || fresh;
    return CHttpMgr::AttachOrLeaveOther(CHttpMgr::DownloadManager(), this);
}

bool CHttpDownloadFile::Stop()
{
    m_received = 0;
    m_bytesSinceTick = 0;
    m_contentLength = 0;
    if (m_lookup) {
        ForgetLookup();
        StopLookup(500);
    }
    return CHttpBase::Stop();
}

void CHttpDownloadFile::StopLookup(DWORD limitMs) { m_spareDns.StopThread(limitMs); }

// Every receive costs a round trip through the platform on some systems
// (Wine's socket layer): a package is read in pieces as large as libcurl
// allows rather than its default 16 KiB.
bool CHttpDownloadFile::SetupCurl()
{
    CHttpBase::SetupCurl();
    curl_easy_setopt(m_transfer->EasyHandle(), CURLOPT_BUFFERSIZE, static_cast<long>(kReceiveBytes));
    return true;
}

bool CHttpDownloadFile::Start()
{
    if (IsRunning())
        return false;
    NewTransfer();
    m_transfer->SetReportProgress(true);
    auto sink = std::make_unique<DownloadWriteFile>();
    if (!sink->Open(m_localPath)) {
        Complete(sink->Error());
        return false;
    }
    m_transfer->SetSink(std::move(sink));
    LogFileOnly(0, kSource, __LINE__, L"CHttpDownloadFile::Start() localPath:%s", m_localPath.c_str());
    if (!DecideRange())
        return false;
    return CHttpBase::Start();
}

int64_t CHttpDownloadFile::MeasureFile() const
{
    HANDLE file = CreateFileW(m_localPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size;
        BOOL ok = GetFileSizeEx(file, &size);
        CloseHandle(file);
        if (ok)
            return size.QuadPart;
    }
    return CFileEx::FindSize(m_localPath);
}

// Resume from what the file holds when it is a true prefix of the expected
// size; otherwise start over. False when the file is already complete.
bool CHttpDownloadFile::DecideRange()
{
    int64_t p = MeasureFile();
    if (p < 0) {
        LogFileOnly(0, kSource, __LINE__, L"无需断点下载 %s ", m_localPath.c_str());
        p = 0;
    }
    const int64_t e = m_expectedSize;
    bool resume = false;
    m_rangeStart = 0;
    if (m_fresh && p > 0) {
        LogDownload(2, __LINE__, L"%s is not ours and goes unchecked: not resumed (%lld)", m_localPath.c_str(), p);
        OBaseStream* sink = m_transfer->Sink();
        sink->Close();
        if (sink->Error().type != kErrorOk) {
            Complete(sink->Error());
            return false;
        }
    } else if (e <= 0 || p > e) {
        if (e > 0)
            LogDownload(2, __LINE__, L"%s文件大小(%lld)大于预期(%lld)大小  ", m_localPath.c_str(), p, e);
        m_transfer->Sink()->Close();
    } else if (p == e) {
        LogDownload(0, __LINE__, L"文件大小等于预计大小，下载已完成 %s pos:%lld", m_localPath.c_str(), p);
        Complete({});
        return false;
    } else if (p > 0) {
        LogDownload(0, __LINE__, L"开始断点下载 %s pos:%lld", m_localPath.c_str(), p);
        resume = true;
        m_rangeStart = static_cast<uint64_t>(p);
    } else {
        LogDownload(0, __LINE__, L"非断点 %s pos:%lld", m_localPath.c_str(), p);
    }
    m_fresh = false;
    m_transfer->SetResumeRequested(resume);
    return true;
}

void CHttpDownloadFile::OnResponse(int32_t status)
{
    if (status >= 300 && status <= 399) {
        LogConsoleAndFile(0, kSource, __LINE__, L"重定向中... url:%s", GetUrl().c_str());
        return;
    }
    SetResult({kErrorHttp, status});
    if (status == 200 && m_transfer->ResumeRequested()) {
        CSingleton<ConsoleLogger>::Instance()->LogFile(0, __LINE__, kSource, L"不支持断点续传 url:%s", GetUrl().c_str());
        m_rangeStart = 0;
    }
    ProtoValue headers = m_transfer->Headers();
    if (status == 206 && m_transfer->ResumeRequested() &&
        ContentRangeStart(headers) != static_cast<int64_t>(m_rangeStart)) {
        StartOver();
        return;
    }
    const ProtoValue* length = headers.find(L"Content-Length");
    if (!length || length->type() != ProtoValue::WideString)
        return;
    long long value = wcstoll(length->string().c_str(), nullptr, 10);
    if (value <= 0)
        return; // absent, zero or nonsense: no totals and no length check
    m_contentLength = static_cast<uint64_t>(value);
    uint64_t total = m_rangeStart + m_contentLength;
    if (m_expectedSize > 0 && total != static_cast<uint64_t>(m_expectedSize)) {
        LogDownload(2, __LINE__, L"长度不一致 预期值:%lld 实际值:%lld", m_expectedSize, static_cast<long long>(total));
        Stop();
        Complete({kErrorUser, kUserLengthMismatch});
        return;
    }
    if (m_progress)
        m_progress(total, m_rangeStart, 0);
}

// The server sent another part than the one asked for: appended, it would
// corrupt the file, so the file is emptied through the transfer's own handle
// (another process may hold it open and keep it from being deleted) and the
// download starts again from byte 0. A file that cannot be emptied would be
// measured, resumed and refused again on every retry, so that ends the round.
void CHttpDownloadFile::StartOver()
{
    LogDownload(2, __LINE__, L"CHttpDownloadFile::OnResponse() 206 not from byte %llu, starting over url:%s",
                static_cast<unsigned long long>(m_rangeStart), GetUrl().c_str());
    ErrorPair emptied = m_transfer->DiscardBody();
    Stop();
    if (emptied.type != kErrorOk) {
        Finish(emptied);
        return;
    }
    RetryLater();
}

void CHttpDownloadFile::OnRecvBytes(int64_t count) { m_bytesSinceTick += static_cast<uint32_t>(count); }

void CHttpDownloadFile::OnProgressTick()
{
    if (!IsRunning() || !m_progress || m_contentLength == 0)
        return;
    m_speedSamples.push_back(m_bytesSinceTick);
    m_received += m_bytesSinceTick;
    m_bytesSinceTick = 0;
    if (m_speedSamples.size() > 10)
        m_speedSamples.pop_front();
    uint64_t sum = 0;
    for (uint32_t sample : m_speedSamples)
        sum += sample;
    m_progress(m_rangeStart + m_contentLength, m_rangeStart + m_received, static_cast<uint32_t>(sum / 10));
}

void CHttpDownloadFile::RetryLater()
{
    BeginRetryWait();
    CHttpMgr::AttachOrLeaveOther(CHttpMgr::DownloadManager(), this);
}

void CHttpDownloadFile::Done(CURLcode code)
{
    if (!IsRunning())
        return;
    RecordTransferEnd(code);
    Stop();
    ErrorPair error = GetError();
    ClearResult();
    if (error.type == kErrorOk)
        error = CheckFinishedSize();
    if (TakeDirectRetry(error)) {
        RetryLater();
        return;
    }
    bool failover = (error.type == kErrorCurl || error.type == kErrorHttp) && error.code != 0;
    // 1. The same address again, for libcurl failures.
    if (StartCount() <= m_maxRetries && error.type == kErrorCurl) {
        LogDownload(0, __LINE__, L"CHttpDownloadFile::Done() 重试.... code:%d errtype:%d  url:%s ", error.code, kErrorCurl,
                    GetUrl().c_str());
        RetryLater();
        return;
    }
    // 2. The next backup address.
    if (failover && m_urls.size() > 1) {
        ResetStartCount();
        std::wstring failed = m_urls.front();
        m_urls.pop_front();
        LogDownload(0, __LINE__, L"CHttpDownloadFile::Done() type:%d code:%d  url:%s 下载失败，尝试使用备用地址:%s",
                    error.type, error.code, failed.c_str(), GetUrl().c_str());
        RetryLater();
        return;
    }
    // 3. Resolve the primary host ourselves, once.
    if (failover && !m_primaryUrl.empty() && StartSpareLookup(error))
        return;
    // 4. Final.
    Finish(error);
}

// A body without a length ends when the connection closes, early or not;
// only the expected size tells the whole package from a part of it.
ErrorPair CHttpDownloadFile::CheckFinishedSize()
{
    if (m_expectedSize <= 0)
        return {};
    int64_t size = MeasureFile();
    if (size == m_expectedSize)
        return {};
    LogDownload(2, __LINE__, L"CHttpDownloadFile::Done() finished size %lld, expected %lld  url:%s", size,
                m_expectedSize, GetUrl().c_str());
    if (size < m_expectedSize)
        return {kErrorUser, kUserFileShort};
    DeleteFileW(m_localPath.c_str());
    return {kErrorUser, kUserFileLong};
}

bool CHttpDownloadFile::StartSpareLookup(ErrorPair error)
{
    LogDownload(0, __LINE__, L"CHttpDownloadFile::Done() 开始重试DNS解析.... type:%d code:%d  url:%s ", error.type,
                error.code, m_primaryUrl.c_str());
    // With nothing to look up, or no thread to do it, the failure is
    // reported instead of the task going silent.
    std::string host = HostOf(m_primaryUrl);
    if (host.size() < 3 || !LaunchLookup(host))
        return false;
    ResetStartCount();
    BeginRetryWait();
    m_lookupCause = error;
    return true;
}

bool CHttpDownloadFile::LaunchLookup(const std::string& host)
{
    m_spareDns.StopThread(500);
    // The lookup's id, not the task: the task may be gone by the answer.
    m_spareDns.SetCallback([lookup = BeginLookup()](int32_t code, const std::string& host, const std::string& ipList) {
        OnSpareDNSResult(code, lookup, host, ipList);
    });
    m_spareDns.SetHostName(host);
    if (m_spareDns.StartThread())
        return true;
    ForgetLookup();
    return false;
}

void CHttpDownloadFile::Finish(ErrorPair error)
{
    if (!error.Ok())
        LogDownload(0, __LINE__, L"CHttpDownloadFile::Done()  code:%d errtype:%d  url:%s ", error.code, error.type,
                    GetUrl().c_str());
    Complete(error);
}

// Every final report ends the round: the next one starts as a fresh task
// would, with all its attempts, only the addresses it is given and no wait
// left over from a retry or a lookup.
void CHttpDownloadFile::Complete(ErrorPair error)
{
    m_urls.clear();
    m_resolve.clear();
    m_speedSamples.clear();
    ResetStartCount();
    ClearRetryWait();
    // The owner may delete the task from its report: the call runs on a copy.
    if (DownloadCompleteFn complete = m_complete)
        complete(error);
}

void CHttpDownloadFile::OnSpareDNSResult(int32_t code, uintptr_t lookup, const std::string& host,
                                         const std::string& ipList)
{
    std::wstring wideHost = AnsiToWide(host), wideList = AnsiToWide(ipList);
    if (code == 0 && !ipList.empty())
        LogDownload(0, __LINE__, L"OnSpareDNSResult 解析成功 code:%d, domain:%s, ip_list:%s", code, wideHost.c_str(),
                    wideList.c_str());
    else
        LogDownload(0, __LINE__, L"OnSpareDNSResult 失败 code:%d, domain:%s", code, wideHost.c_str());
    CHttpDownloadFile* task = TaskOfLookup(lookup);
    if (!task) {
        LogDownload(2, __LINE__, L"DNS回调失效 找不到相关任务 id:0x%x %s", 0, wideHost.c_str());
        return;
    }
    task->OnDNSResult(code, Utf8ToWide(host), Utf8ToWide(ipList));
}

void CHttpDownloadFile::OnDNSResult(int32_t code, const std::wstring& host, const std::wstring& ipList)
{
    StopLookup(100);
    m_resolve = ResolveEntry(m_primaryUrl, ipList);
    m_urls = m_resolve.empty() ? ResolvedUrls(m_primaryUrl, host, ipList) : std::deque<std::wstring>{m_primaryUrl};
    if (!host.empty() && !m_urls.empty()) {
        LogDownload(0, __LINE__, L"CHttpDownloadFile::Done() 重试DNS解析到的ip列表.... type:%d code:%d  url:%s ",
                    m_lookupCause.type, code, GetUrl().c_str());
        ForgetLookup();
        ResetStartCount();
        m_primaryUrl.clear(); // this fallback is used once
        RetryLater();
        return;
    }
    LogDownload(0, __LINE__, L"CHttpDownloadFile::OnDNSResult() 解析DNS失败 type:%d code:%d  url:%s ",
                m_lookupCause.type, code, GetUrl().c_str());
    // The failure that started the lookup is what the owner must see; the
    // lookup's own (0, -1) would read as success.
    CMainThreadDispatcher::Post([lookup = m_lookup, cause = m_lookupCause] {
        DeliverCompletion(lookup, cause);
    });
}

void CHttpDownloadFile::DeliverCompletion(uintptr_t lookup, ErrorPair error)
{
    CHttpDownloadFile* task = TaskOfLookup(lookup);
    if (!task)
        return;
    task->ForgetLookup();
    task->Complete(error);
}
