#pragma once
// Fetches one address into memory and hands the body to its completion
// callback, once per request, with the (type, code) pair. libcurl failures
// are retried on the same address after the scheduler's retry wait; a body
// longer than the limit ends the request at once. Main thread only; the
// caller owns the task and may Stop it at any time (no callback comes for a
// stopped attempt). The completion may delete the task or replace itself.
#include <functional>
#include <string>
#include "HttpBase.h"

using CommandCompleteFn = std::function<void(const std::string& body, ErrorPair error)>;

class CHttpCommand : public CHttpBase {
public:
    // Far above any manifest, far below what the process can hold.
    static constexpr uint32_t kDefaultBodyLimit = 1024 * 1024;

    CHttpCommand();

    bool Start() override;
    void Done(CURLcode code) override;
    void OnResponse(int32_t status) override;

    void SetCompletion(CommandCompleteFn fn) { m_complete = std::move(fn); }
    void SetRequestBody(const std::string& body) { m_requestBody = body; }
    void SetBodyLimit(uint32_t bytes) { m_bodyLimit = bytes; }

private:
    std::string m_requestBody;
    CommandCompleteFn m_complete;
    uint32_t m_bodyLimit = kDefaultBodyLimit;
};
