#include "CurlBase.h"

namespace {

// No exception may cross back into libcurl (bad_alloc from a header map or
// a log line, say): a callback that throws ends its transfer instead, as a
// refused callback does.
template <class Call>
size_t Guarded(size_t onThrow, Call call)
{
    try {
        return call();
    } catch (...) {
        return onThrow;
    }
}

} // namespace

CCurlBase::~CCurlBase() { CleanupEasyHandle(); }

void CCurlBase::CleanupEasyHandle()
{
    if (m_easy)
        curl_easy_cleanup(m_easy);
    m_easy = nullptr;
}

// At most one progress event per 100 ms; what arrives in between is summed.
bool CCurlBase::ProgressDue()
{
    if (!m_reportProgress)
        return false;
    DWORD now = GetTickCount();
    if (now - m_lastReportTick <= 100)
        return false;
    m_lastReportTick = now;
    return true;
}

size_t CCurlBase::HeaderFunction(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<CCurlBase*>(user);
    if (!transfer || !transfer->IsActive())
        return 0;
    return Guarded(0, [&] { return transfer->OnRecieveHeader(data, size * count); });
}

size_t CCurlBase::WriteFunction(char* data, size_t size, size_t count, void* user)
{
    auto* raw = static_cast<CCurlBase*>(user);
    if (!raw || !raw->IsActive())
        return 0;
    CRefPtr<CCurlBase> transfer(raw);
    return Guarded(0, [&] {
        size_t accepted = transfer->OnRecieveBody(data, size * count);
        transfer->m_bytesSinceReport += accepted;
        if (transfer->ProgressDue()) {
            transfer->Post<uint32_t, &CurlListener::OnCurlRecvProgress>(
                static_cast<uint32_t>(transfer->m_bytesSinceReport));
            transfer->m_bytesSinceReport = 0;
        }
        return accepted;
    });
}

size_t CCurlBase::ReadFunction(char* buffer, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<CCurlBase*>(user);
    if (!transfer || !transfer->IsActive())
        return 0;
    return Guarded(CURL_READFUNC_ABORT, [&] {
        size_t read = transfer->OnSendBody(buffer, size * count);
        if (transfer->ProgressDue())
            transfer->Post<uint32_t, &CurlListener::OnCurlSendProgress>(static_cast<uint32_t>(read));
        return read;
    });
}
