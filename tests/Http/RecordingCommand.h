#pragma once
// A request task that keeps what happened to it: when each attempt started,
// the statuses it saw, the header lines of its last attempt, and every
// completion.
#include <vector>
#include "Http/HttpCommand.h"
#include "Http/HttpMgr.h"
#include "support/MessagePump.h"

class RecordingCommand : public CHttpCommand {
public:
    RecordingCommand()
    {
        SetCompletion([this](const std::string& text, ErrorPair error) {
            results.push_back(error);
            body = text;
        });
    }

    bool Start() override
    {
        starts.push_back(GetTickCount());
        return CHttpCommand::Start();
    }
    void OnResponse(int32_t status) override
    {
        statuses.push_back(status);
        CHttpCommand::OnResponse(status);
    }
    // The worker may still be writing the next hop's header lines when a
    // response event arrives; once the transfer is done they stay put.
    void Done(CURLcode code) override
    {
        if (Transfer())
            headers = Transfer()->Headers();
        CHttpCommand::Done(code);
    }
    void Fetch(const std::wstring& url)
    {
        SetUrl(url);
        ASSERT_TRUE(CHttpMgr::AttachOrLeaveOther(CHttpMgr::RequestManager(), this));
    }
    bool WaitForResult(DWORD limitMs = 20000)
    {
        return PumpUntil([this] { return !results.empty(); }, limitMs);
    }

    std::vector<DWORD> starts;
    std::vector<int32_t> statuses;
    std::vector<ErrorPair> results;
    std::string body;
    ProtoValue headers;
};
