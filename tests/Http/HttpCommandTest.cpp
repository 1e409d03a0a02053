#include <gtest/gtest.h>
#include "Http/RecordingCommand.h"
#include "support/EngineTest.h"
#include "support/ScriptedHttpServer.h"

namespace {

class HttpCommandTest : public EngineTest {};

std::string Pattern(size_t size)
{
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 131 + i / 997) & 0xFF);
    return data;
}

void ExpectSpacedMoreThan500(const std::vector<DWORD>& starts)
{
    for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_GT(starts[i] - starts[i - 1], 500u) << "attempt " << i + 1 << " came too early";
}

} // namespace

TEST_F(HttpCommandTest, NotFoundReportsStatusAfterOneAttempt)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) { return ScriptedResponse::Text(404, "no such file"); });
    RecordingCommand command;
    command.Fetch(server.Url("/tvinstall.txt"));
    ASSERT_TRUE(command.WaitForResult());
    ASSERT_EQ(command.results.size(), 1u);
    EXPECT_EQ(command.results[0], (ErrorPair{kErrorHttp, 404}));
    EXPECT_EQ(command.starts.size(), 1u);
    EXPECT_EQ(server.RequestCount(), 1u);
    ASSERT_FALSE(command.statuses.empty());
    EXPECT_EQ(command.statuses[0], 404);
    EXPECT_EQ(command.StartCount(), 0u) << "a final result resets the start count";
    EXPECT_EQ(server.Requests()[0].method, "GET");
    EXPECT_EQ(server.Requests()[0].path, "/tvinstall.txt");
    EXPECT_EQ(server.Requests()[0].range, "") << "a request asks for the whole resource";
}

TEST_F(HttpCommandTest, RefusedConnectionIsRetriedTwiceAfterWaits)
{
    RecordingCommand command;
    wchar_t url[64];
    swprintf(url, 64, L"http://127.0.0.1:%d/tvinstall.txt", ScriptedHttpServer::RefusingPort());
    command.Fetch(url);
    ASSERT_TRUE(command.WaitForResult());
    ASSERT_EQ(command.results.size(), 1u);
    EXPECT_EQ(command.results[0], (ErrorPair{kErrorCurl, CURLE_COULDNT_CONNECT}));
    EXPECT_EQ(command.starts.size(), 3u);
    ExpectSpacedMoreThan500(command.starts);
    PumpUntil([] { return false; }, 1200);
    EXPECT_EQ(command.results.size(), 1u) << "no further attempt after the final report";
}

TEST_F(HttpCommandTest, RedirectsFollowedUpToFive)
{
    ScriptedHttpServer server([](const RecordedRequest& request, int) {
        int hop = atoi(request.path.c_str() + 2);
        int chain = request.path[1] == 'a' ? 5 : 6;
        if (hop < chain)
            return ScriptedResponse::Redirect(std::string("/") + request.path[1] + std::to_string(hop + 1));
        return ScriptedResponse::Text(200, "final");
    });
    RecordingCommand five;
    five.Fetch(server.Url("/a0"));
    ASSERT_TRUE(five.WaitForResult());
    EXPECT_EQ(five.results.at(0), (ErrorPair{}));
    EXPECT_EQ(five.body, "final");
    EXPECT_EQ(five.statuses.front(), 302) << "3xx blocks are seen but are not errors";
    EXPECT_EQ(five.statuses.back(), 200);
    EXPECT_EQ(server.RequestCount(), 6u);

    RecordingCommand six;
    six.Fetch(server.Url("/b0"));
    ASSERT_TRUE(six.WaitForResult());
    EXPECT_EQ(six.results.at(0), (ErrorPair{kErrorCurl, CURLE_TOO_MANY_REDIRECTS}));
    EXPECT_EQ(six.starts.size(), 3u);
    EXPECT_EQ(server.RequestCount(), 6u + 3u * 6u);
}

TEST_F(HttpCommandTest, LargeBodyArrivesWhole)
{
    std::string payload = Pattern(3 * 1024 * 1024 + 17);
    ScriptedHttpServer server([&payload](const RecordedRequest& request, int) {
        ScriptedResponse r = ScriptedResponse::Text(200, payload);
        r.chunked = request.path == "/chunked";
        r.burstBytes = 256 * 1024;
        return r;
    });
    for (const char* path : {"/plain", "/chunked"}) {
        RecordingCommand command;
        command.SetBodyLimit(4 * 1024 * 1024);
        command.Fetch(server.Url(path));
        ASSERT_TRUE(command.WaitForResult());
        EXPECT_EQ(command.results.at(0), (ErrorPair{})) << path;
        ASSERT_EQ(command.body.size(), payload.size()) << path;
        EXPECT_TRUE(command.body == payload) << path;
    }
}

TEST_F(HttpCommandTest, HeaderLinesWithoutEndEndTheRequestWithoutRetry)
{
    ScriptedHttpServer server([](const RecordedRequest& request, int) {
        ScriptedResponse flood = ScriptedResponse::Text(request.path == "/missing" ? 404 : 200, "");
        flood.headerFlood = 8 * 1024 * 1024;
        return flood;
    });
    for (const char* path : {"/found", "/missing"}) {
        RecordingCommand command;
        command.Fetch(server.Url(path));
        ASSERT_TRUE(command.WaitForResult()) << path;
        EXPECT_EQ(command.results.at(0), (ErrorPair{kErrorUser, kUserHeaderTooLarge})) << path;
        EXPECT_EQ(command.starts.size(), 1u) << path;
        EXPECT_EQ(command.statuses, std::string(path) == "/missing" ? std::vector<int32_t>{404} : std::vector<int32_t>{})
            << path << ": a failed status is reported once, not once a line";
    }
}

TEST_F(HttpCommandTest, BodyBeyondTheLimitEndsTheRequestWithoutRetry)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) {
        ScriptedResponse endless = ScriptedResponse::Text(200, Pattern(3 * 1024 * 1024));
        endless.chunked = true;
        endless.burstBytes = 256 * 1024;
        return endless;
    });
    RecordingCommand command;
    command.Fetch(server.Url("/endless"));
    ASSERT_TRUE(command.WaitForResult());
    EXPECT_EQ(command.results.at(0), (ErrorPair{kErrorUser, kUserBodyTooLarge}));
    EXPECT_EQ(command.starts.size(), 1u);
    EXPECT_LE(command.body.size(), 1024u * 1024u);
}

TEST_F(HttpCommandTest, HeaderNamesAndValuesTrimmedNamelessLinesSkipped)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) {
        ScriptedResponse r = ScriptedResponse::Text(200, "ok");
        r.headers.push_back({"X-Tarvo  ", "   spaced value  "});
        r.headers.push_back({"X-Empty", ""});
        r.headers.push_back({"", "nameless"});
        r.headers.push_back({"X-Tarvo-Twice", "one"});
        r.headers.push_back({"X-Tarvo-Twice", "two"});
        return r;
    });
    RecordingCommand command;
    command.Fetch(server.Url("/h"));
    ASSERT_TRUE(command.WaitForResult());
    EXPECT_EQ(command.results.at(0), (ErrorPair{}));
    ASSERT_TRUE(command.headers.has(L"X-Tarvo"));
    EXPECT_EQ(command.headers[L"X-Tarvo"].string(), L"spaced value");
    EXPECT_EQ(command.headers[L"X-Empty"].string(), L"");
    EXPECT_EQ(command.headers[L"X-Tarvo-Twice"].string(), L"two") << "a later line replaces the value";
    EXPECT_EQ(command.headers[L"Content-Length"].string(), L"2");
    EXPECT_FALSE(command.headers.has(L""));
}

TEST_F(HttpCommandTest, PostSendsItsBody)
{
    ScriptedHttpServer server([](const RecordedRequest& request, int) {
        return ScriptedResponse::Text(200, "got " + request.body);
    });
    RecordingCommand command;
    command.SetMethod(2);
    command.SetRequestBody("launch=7&channel=web");
    command.Fetch(server.Url("/report"));
    ASSERT_TRUE(command.WaitForResult());
    EXPECT_EQ(command.results.at(0), (ErrorPair{}));
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Requests()[0].method, "POST");
    EXPECT_EQ(command.body, "got launch=7&channel=web");
}

TEST_F(HttpCommandTest, StoppedAttemptNeverCallsBack)
{
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ScriptedHttpServer server([release](const RecordedRequest& request, int) {
        ScriptedResponse r = ScriptedResponse::Text(200, "late body");
        if (request.path == "/slow")
            r.release = release;
        return r;
    });
    RecordingCommand command;
    command.Fetch(server.Url("/slow"));
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 1; }));
    EXPECT_TRUE(command.IsRunning());
    command.Stop();
    EXPECT_FALSE(command.IsRunning());
    EXPECT_EQ(CHttpMgr::RequestManager()->TaskCount(), 0u);
    SetEvent(release);
    PumpUntil([] { return false; }, 1000);
    EXPECT_TRUE(command.results.empty()) << "the stopped attempt's late end is ignored";

    command.Fetch(server.Url("/quick"));
    ASSERT_TRUE(command.WaitForResult());
    PumpUntil([] { return false; }, 300);
    ASSERT_EQ(command.results.size(), 1u);
    EXPECT_EQ(command.results[0], (ErrorPair{}));
    EXPECT_EQ(command.body, "late body");
    CloseHandle(release);
}

TEST_F(HttpCommandTest, SilentPeerTimesOutAndIsRetried)
{
    CHttpBase::SetStallSeconds(1);
    ScriptedHttpServer server([](const RecordedRequest&, int) {
        ScriptedResponse r = ScriptedResponse::Text(200, std::string(20000, 'x'));
        r.stallAfter = 10000;
        return r;
    });
    RecordingCommand command;
    command.Fetch(server.Url("/stall"));
    ASSERT_TRUE(command.WaitForResult(30000));
    CHttpBase::SetStallSeconds(60);
    EXPECT_EQ(command.results.at(0), (ErrorPair{kErrorCurl, CURLE_OPERATION_TIMEDOUT}));
    EXPECT_EQ(command.starts.size(), 3u) << "a stalled transfer goes through the ordinary retries";
    EXPECT_EQ(server.RequestCount(), 3u);
}

namespace {

class ProgressCommand : public RecordingCommand {
public:
    bool SetupCurl() override
    {
        Transfer()->SetReportProgress(true);
        return RecordingCommand::SetupCurl();
    }
    void OnRecvBytes(int64_t count) override { events.push_back({GetTickCount(), count}); }
    std::vector<std::pair<DWORD, int64_t>> events;
};

} // namespace

TEST_F(HttpCommandTest, ProgressThrottledToOneEventPer100MsAndSummed)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) {
        ScriptedResponse r = ScriptedResponse::Text(200, std::string(40000, 'p'));
        r.burstBytes = 1000;
        r.burstDelayMs = 25;
        return r;
    });
    ProgressCommand command;
    command.Fetch(server.Url("/burst"));
    ASSERT_TRUE(command.WaitForResult());
    DWORD elapsed = GetTickCount() - server.Requests().at(0).tick;
    EXPECT_EQ(command.results.at(0), (ErrorPair{}));
    ASSERT_GE(command.events.size(), 3u);
    EXPECT_LE(command.events.size(), elapsed / 100 + 1) << "events at least 100 ms apart over the transfer";
    int64_t sum = 0;
    for (size_t i = 0; i < command.events.size(); ++i) {
        sum += command.events[i].second;
        // The first event may carry only the first piece the socket gave.
        if (i > 0) {
            EXPECT_GE(command.events[i].second, 1000) << "each event carries the bursts since the last one";
        }
    }
    EXPECT_LE(sum, 40000);
    EXPECT_GE(sum, 40000 - 6000) << "only bytes after the last event may be unreported";
}
