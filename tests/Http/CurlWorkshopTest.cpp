#include <gtest/gtest.h>
#include "Http/RecordingCommand.h"
#include "support/EngineTest.h"
#include "support/ScriptedHttpServer.h"

namespace {

class CurlWorkshopTest : public EngineTest {};

// Its transfer never gets a handle, as when curl_easy_init fails.
class HandlelessCommand : public RecordingCommand {
public:
    bool SetupCurl() override { return true; }
};

// Its handle already belongs to another multi handle, so the worker's
// curl_multi_add_handle is refused.
class RefusedCommand : public RecordingCommand {
public:
    explicit RefusedCommand(CURLM* other) : m_other(other) {}
    bool SetupCurl() override
    {
        RecordingCommand::SetupCurl();
        curl_multi_add_handle(m_other, Transfer()->EasyHandle());
        return true;
    }

private:
    CURLM* m_other;
};

} // namespace

TEST_F(CurlWorkshopTest, TransferThatCannotBeAddedEndsWithAnError)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) { return ScriptedResponse::Text(200, "x"); });
    CURLM* other = curl_multi_init();
    {
        HandlelessCommand handleless;
        RefusedCommand refused(other);
        handleless.Fetch(server.Url("/handleless"));
        refused.Fetch(server.Url("/refused"));
        ASSERT_TRUE(PumpUntil([&] { return !handleless.results.empty() && !refused.results.empty(); }));
        EXPECT_EQ(handleless.results[0], (ErrorPair{kErrorCurl, CURLE_FAILED_INIT}));
        EXPECT_EQ(refused.results[0], (ErrorPair{kErrorCurl, CURLE_FAILED_INIT}));
        EXPECT_EQ(handleless.starts.size(), 3u) << "retried like any libcurl failure";
        EXPECT_EQ(server.RequestCount(), 0u);
        PumpUntil([] { return false; }, 300);
    }
    curl_multi_cleanup(other);
}
