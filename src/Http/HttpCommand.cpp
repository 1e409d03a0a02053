#include "HttpCommand.h"
#include "CappedBufferStream.h"
#include "HttpMgr.h"
#include "Runtime/IBufferStream.h"
#include "Runtime/LogSites.h"
#include "Runtime/OBufferStream.h"

namespace {
const wchar_t kSource[] = L".\\Http\\HttpCommand.cpp";
}

CHttpCommand::CHttpCommand() : CHttpBase(CHttpMgr::RequestManager(), CHttpMgr::RequestWorker()) {}

bool CHttpCommand::Start()
{
    CSingleton<TraceLogger>::Instance()->Log(0, L"CHttpCommand::Start");
    if (IsRunning())
        return false;
    NewTransfer();
    m_transfer->SetSink(std::make_unique<CappedBufferStream>(m_bodyLimit));
    if (m_method == 2 && !m_requestBody.empty())
        m_transfer->SetSource(std::make_unique<IBufferStream>(m_requestBody.data(),
                                                              static_cast<uint32_t>(m_requestBody.size())));
    return CHttpBase::Start();
}

void CHttpCommand::OnResponse(int32_t status) { SetResult({kErrorHttp, status}); }

void CHttpCommand::Done(CURLcode code)
{
    if (!IsRunning())
        return;
    RecordTransferEnd(code);
    auto* sink = static_cast<OBufferStream*>(m_transfer->Sink());
    std::string body(reinterpret_cast<const char*>(sink->Data()), sink->Length());
    Stop();
    ErrorPair error = GetError();
    ClearResult();
    if (TakeDirectRetry(error)) {
        BeginRetryWait();
        CHttpMgr::AttachOrLeaveOther(CHttpMgr::RequestManager(), this);
        return;
    }
    if (StartCount() <= m_maxRetries && error.type == kErrorCurl && error.code != 0) {
        LogTraceAndFile(0, kSource, __LINE__, L"CHttpCommand::Done() 重试.... code:%d errtype:%d  url:%s ", error.code,
                        kErrorCurl, GetUrl().c_str());
        BeginRetryWait();
        CHttpMgr::AttachOrLeaveOther(CHttpMgr::RequestManager(), this);
        return;
    }
    if (!error.Ok())
        LogTraceAndFile(0, kSource, __LINE__, L"CHttpCommand::Done()  code:%d errtype:%d  url:%s ", error.code,
                        error.type, GetUrl().c_str());
    ResetStartCount();
    // The owner may delete the task from its report: the call runs on a copy.
    if (CommandCompleteFn complete = m_complete)
        complete(body, error);
}
