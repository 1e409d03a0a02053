#include "CurlHttp.h"
#include <algorithm>
#include <cerrno>
#include "PeerCertificate.h"
#include "Runtime/LogSites.h"
#include "Runtime/StringConvert.h"

namespace {
const wchar_t kSource[] = L".\\Http\\CurlHttp.cpp";

// The host of an https address, empty for any other.
std::wstring HttpsHost(const char* url)
{
    static const char scheme[] = "https://";
    if (!url || _strnicmp(url, scheme, sizeof(scheme) - 1) != 0)
        return {};
    std::string rest(url + sizeof(scheme) - 1);
    return AnsiToWide(rest.substr(0, rest.find_first_of(":/?#")));
}
}

CCurlHttp::~CCurlHttp() { curl_slist_free_all(m_resolve); }

curl_slist* CCurlHttp::ResolveList(const std::string& entry)
{
    curl_slist_free_all(m_resolve);
    m_resolve = curl_slist_append(nullptr, entry.c_str());
    return m_resolve;
}

void CCurlHttp::ResetResponse()
{
    m_headerBytes = 0;
    m_headerTooLarge = false;
    m_peerError = 0;
    m_uploadTotal = 0;
    m_uploadSent = 0;
    m_status = kNoStatus;
    std::lock_guard<std::mutex> lock(m_headerLock);
    m_headers = ProtoValue(ProtoValue::Map);
}

ProtoValue CCurlHttp::Headers() const
{
    std::lock_guard<std::mutex> lock(m_headerLock);
    return m_headers;
}

// A status line opens a response: the lines of a 3xx or 1xx before it
// belong to that reply alone.
void CCurlHttp::BeginResponse()
{
    {
        std::lock_guard<std::mutex> lock(m_headerLock);
        m_headers = ProtoValue(ProtoValue::Map);
    }
    ReadStatus();
}

void CCurlHttp::ReadStatus()
{
    long status = kNoStatus;
    CURLcode error = static_cast<CURLcode>(89);
    if (EasyHandle()) {
        error = curl_easy_getinfo(EasyHandle(), CURLINFO_RESPONSE_CODE, &status);
        m_status = static_cast<int32_t>(status);
    }
    if (!EasyHandle() || error != CURLE_OK || !IsGoodStatus(static_cast<int32_t>(status)))
        LogConsoleAndFile(2, kSource, __LINE__, L"CCurlHttp::OnRecieveHeader HTTP error code:%d httpcode:%d ",
                          static_cast<int>(error), m_status);
    std::lock_guard<std::mutex> lock(m_streamLock);
    if (m_status == 200 && m_resumeRequested && m_sink && IsActive()) {
        // The server ignored the range: the whole body follows from offset 0.
        LogConsoleAndFile(0, kSource, __LINE__, L"httpcode==200 不支持断点续传，清空文件");
        m_sink->Close();
    }
}

ErrorPair CCurlHttp::HeaderError() const
{
    if (m_peerError != 0)
        return {kErrorCurl, CURLE_PEER_FAILED_VERIFICATION};
    return m_headerTooLarge ? ErrorPair{kErrorUser, kUserHeaderTooLarge} : ErrorPair{};
}

int CCurlHttp::PrereqFunction(void* user, char*, char*, int, int)
{
    auto* transfer = static_cast<CCurlHttp*>(user);
    try {
        return transfer && transfer->PeerTrusted() ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
    } catch (...) {
        return CURL_PREREQFUNC_ABORT;
    }
}

bool CCurlHttp::PeerTrusted()
{
    char* url = nullptr;
    if (!EasyHandle() || curl_easy_getinfo(EasyHandle(), CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK)
        return false;
    const std::wstring host = HttpsHost(url);
    if (host.empty())
        return true;
    const DWORD error = CPeerCertificate::Check(EasyHandle(), host);
    if (error == 0)
        return true;
    m_peerError = error;
    LogConsoleAndFile(2, kSource, __LINE__, L"[tls] %s: %s (0x%08x)", host.c_str(), CPeerCertificate::Describe(error),
                      static_cast<unsigned>(error));
    return false;
}

ErrorPair CCurlHttp::SinkError()
{
    std::lock_guard<std::mutex> lock(m_streamLock);
    return m_sink ? m_sink->Error() : ErrorPair{};
}

ErrorPair CCurlHttp::DiscardBody()
{
    SetActive(false);
    std::lock_guard<std::mutex> lock(m_streamLock);
    if (!m_sink)
        return {kErrorUser, kUserFileNotOpen};
    m_sink->Close();
    return m_sink->Error();
}

bool CCurlHttp::WithinHeaderLimit(size_t length)
{
    m_headerBytes += length;
    if (m_headerBytes <= kHeaderLimit)
        return true;
    if (!m_headerTooLarge.exchange(true))
        LogConsoleAndFile(2, kSource, __LINE__, L"CCurlHttp::OnRecieveHeader header lines over %u bytes, ending",
                          static_cast<unsigned>(kHeaderLimit));
    return false;
}

// A failed status is reported once, with its status line; its header lines
// are not kept.
size_t CCurlHttp::OnRecieveHeader(const char* data, size_t length)
{
    if (!WithinHeaderLimit(length))
        return 0;
    std::string line(data, length);
    bool opens = m_status == kNoStatus || line.rfind("HTTP/", 0) == 0;
    if (opens)
        BeginResponse();
    if (!IsGoodStatus(m_status)) {
        if (opens)
            Post<int32_t, &CurlListener::OnCurlResponse>(m_status);
        return length;
    }
    if (line != "\r\n" && line != "\n")
        StoreHeaderLine(line);
    else if (!IsInterim(m_status)) // an interim reply is followed by the real one
        Post<int32_t, &CurlListener::OnCurlResponse>(m_status);
    return length;
}

void CCurlHttp::StoreHeaderLine(const std::string& line)
{
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0)
        return;
    std::wstring name = Trim(AnsiToWide(line.substr(0, colon)));
    std::wstring value = Trim(AnsiToWide(line.substr(colon + 1)));
    std::lock_guard<std::mutex> lock(m_headerLock);
    m_headers[name.c_str()] = ProtoValue(value.c_str());
}

size_t CCurlHttp::OnRecieveBody(const char* data, size_t length)
{
    if (!IsGoodStatus(m_status)) {
        std::wstring text = AnsiToWide(std::string(data, std::min<size_t>(length, 1000)));
        LogFileOnly(2, kSource, __LINE__, L"CCurlHttp::OnRecieveBody HTTP error  httpcode:%d %s", m_status,
                    text.c_str());
        return 0;
    }
    std::lock_guard<std::mutex> lock(m_streamLock);
    if (!m_sink || !IsActive())
        return 0;
    int32_t written = m_sink->Write(data, static_cast<uint32_t>(length));
    if (written < 0) {
        LogWriteError();
        return 0;
    }
    return static_cast<size_t>(written);
}

void CCurlHttp::LogWriteError()
{
    LogConsoleAndFile(2, kSource, __LINE__, L"CCurlHttp::OnRecieveBody  Write file error %d", m_sink->Error().code);
}

CURLcode CCurlHttp::FinishBody(CURLcode code)
{
    std::lock_guard<std::mutex> lock(m_streamLock);
    if (!m_sink || !IsActive() || m_sink->Flush())
        return code;
    LogWriteError();
    return CURLE_WRITE_ERROR;
}

size_t CCurlHttp::OnSendBody(char* buffer, size_t capacity)
{
    std::lock_guard<std::mutex> lock(m_streamLock);
    if (!m_source || !IsActive() || m_uploadTotal == 0 || m_uploadSent >= m_uploadTotal)
        return 0;
    uint64_t wanted = std::min<uint64_t>(m_uploadTotal - m_uploadSent, capacity);
    int32_t read = m_source->Read(buffer, static_cast<uint32_t>(wanted));
    if (read < 0) {
        LogConsoleAndFile(2, kSource, __LINE__, L"CCurlHttp::OnSendBody  Read file error %d", errno);
        return 0;
    }
    m_uploadSent += static_cast<uint64_t>(read);
    return static_cast<size_t>(read);
}

void CCurlHttp::CloseStreams()
{
    std::lock_guard<std::mutex> lock(m_streamLock);
    if (m_sink)
        m_sink->Free();
    if (m_source)
        m_source->Close();
}
