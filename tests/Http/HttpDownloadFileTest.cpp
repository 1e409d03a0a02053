#include <gtest/gtest.h>
#include <atomic>
#include <fstream>
#include "Http/HttpDownloadFile.h"
#include "support/DnsResponder.h"
#include "support/EngineTest.h"
#include "support/InPlace.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempFolder.h"

namespace {

struct Progress {
    uint64_t total, completed;
    uint32_t speed;
    bool operator==(const Progress&) const = default;
};

class RecordingDownload : public CHttpDownloadFile {
public:
    RecordingDownload()
    {
        SetCallbacks([this](ErrorPair error) { results.push_back(error); },
                     [this](uint64_t total, uint64_t completed, uint32_t speed) {
                         progress.push_back({total, completed, speed});
                     });
    }
    bool Start() override
    {
        starts.push_back(GetUrl());
        return CHttpDownloadFile::Start();
    }
    bool WaitForResult(DWORD limitMs = 30000)
    {
        return PumpUntil([this] { return !results.empty(); }, limitMs);
    }
    std::vector<std::wstring> starts;
    std::vector<ErrorPair> results;
    std::vector<Progress> progress;
};

std::string Resource(size_t size)
{
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>('A' + (i * 7 + i / 13) % 26);
    return data;
}

std::string ReadFile(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::wstring& path, const std::string& data)
{
    std::ofstream(path.c_str(), std::ios::binary) << data;
}

class HttpDownloadFileTest : public EngineTest {
protected:
    void TearDown() override
    {
        EngineTest::TearDown();
        CDNSThread::SetResolvers({DnsResponder::DeadResolver()});
    }
    TempFolder folder;
    std::wstring path = folder.File(L"tvinstaller_1.0.tmp");
};

} // namespace

TEST_F(HttpDownloadFileTest, PartialFileResumesWithOpenRange)
{
    std::string full = Resource(100);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) { return ScriptedResponse::Ranged(full, r); });
    WriteFile(path, full.substr(0, 40));
    RecordingDownload download;
    ASSERT_TRUE(download.StartDownload(server.Url("/pkg.exe"), L"", path, 100));
    ASSERT_TRUE(download.WaitForResult());
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Requests()[0].range, "bytes=40-");
    ASSERT_FALSE(download.progress.empty());
    EXPECT_EQ(download.progress[0], (Progress{100, 40, 0}));
    EXPECT_EQ(ReadFile(path), full);
    EXPECT_TRUE(download.UrlList().empty()) << "a final report empties the address list";
}

TEST_F(HttpDownloadFileTest, IgnoredRangeEmptiesFileAndDownloadsWhole)
{
    std::string full = Resource(100);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) { return ScriptedResponse::Ranged(full, r, false); });
    WriteFile(path, std::string(40, '#'));
    RecordingDownload download;
    download.StartDownload(server.Url("/pkg.exe"), L"", path, 100);
    ASSERT_TRUE(download.WaitForResult());
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    EXPECT_EQ(server.Requests().at(0).range, "bytes=40-");
    EXPECT_EQ(download.progress.at(0), (Progress{100, 0, 0})) << "totals start from 0 again";
    EXPECT_EQ(ReadFile(path), full);
}

TEST_F(HttpDownloadFileTest, CompleteLargerAndUnsizedFiles)
{
    std::string full = Resource(100);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) { return ScriptedResponse::Ranged(full, r); });
    WriteFile(path, full);
    RecordingDownload complete;
    complete.StartDownload(server.Url("/pkg.exe"), L"", path, 100);
    ASSERT_EQ(complete.results.size(), 1u) << "the start itself reports";
    EXPECT_FALSE(complete.IsRunning());
    EXPECT_EQ(complete.results[0], (ErrorPair{}));
    complete.Stop();
    EXPECT_EQ(server.RequestCount(), 0u) << "a complete file needs no request";

    WriteFile(path, full + "trailing junk");
    RecordingDownload larger;
    larger.StartDownload(server.Url("/pkg.exe"), L"", path, 100);
    ASSERT_TRUE(larger.WaitForResult());
    EXPECT_EQ(larger.results.at(0), (ErrorPair{}));
    EXPECT_EQ(server.Requests().at(0).range, "") << "a larger file is downloaded whole";
    EXPECT_EQ(ReadFile(path), full);

    WriteFile(path, "old");
    RecordingDownload unsized;
    unsized.StartDownload(server.Url("/pkg.exe"), L"", path, 0);
    ASSERT_TRUE(unsized.WaitForResult());
    EXPECT_EQ(unsized.results.at(0), (ErrorPair{}));
    EXPECT_EQ(server.Requests().at(1).range, "");
    EXPECT_EQ(ReadFile(path), full) << "without an expected size the file starts empty";
}

TEST_F(HttpDownloadFileTest, LengthMismatchAndMissingLength)
{
    std::string full = Resource(100);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) {
        ScriptedResponse response = ScriptedResponse::Ranged(full, r);
        response.contentLength = r.path != "/nolength";
        return response;
    });
    RecordingDownload wrong;
    wrong.StartDownload(server.Url("/pkg.exe"), L"", path, 120);
    ASSERT_TRUE(wrong.WaitForResult());
    EXPECT_EQ(wrong.results.at(0), (ErrorPair{kErrorUser, kUserLengthMismatch}));
    EXPECT_TRUE(wrong.progress.empty());
    PumpUntil([] { return false; }, 700);
    EXPECT_EQ(wrong.results.size(), 1u) << "the stopped transfer reports nothing more";
    EXPECT_EQ(server.RequestCount(), 1u);

    RecordingDownload noLength;
    noLength.StartDownload(server.Url("/nolength"), L"", path, 100);
    ASSERT_TRUE(noLength.WaitForResult());
    EXPECT_EQ(noLength.results.at(0), (ErrorPair{}));
    EXPECT_TRUE(noLength.progress.empty()) << "no length: no totals and no length check";
    EXPECT_EQ(ReadFile(path), full);
}

TEST_F(HttpDownloadFileTest, DroppedConnectionsResumeToAByteExactFile)
{
    // Parts longer than the sink's buffer and cut at no round size: every
    // round must leave on disk exactly what it received.
    const size_t part = 1024 * 1024 + 300007;
    std::string full = Resource(3 * part + 4321);
    ScriptedHttpServer server([&](const RecordedRequest& r, int index) {
        ScriptedResponse response = ScriptedResponse::Ranged(full, r);
        if (index < 3)
            response.closeAfter = part; // each of the first three answers breaks off
        return response;
    });
    // Three attempts on the primary address, then its mirror: every one
    // resumes where the file ends.
    RecordingDownload download;
    download.StartDownload(server.Url("/pkg.exe"), server.Url("/mirror/pkg.exe"), path,
                           static_cast<int64_t>(full.size()));
    ASSERT_TRUE(download.WaitForResult());
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    auto requests = server.Requests();
    EXPECT_EQ(requests.at(3).path, "/mirror/pkg.exe");
    ASSERT_EQ(requests.size(), 4u);
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].range, i == 0 ? "" : "bytes=" + std::to_string(i * part) + "-") << "request " << i;
    EXPECT_TRUE(ReadFile(path) == full);
}

TEST_F(HttpDownloadFileTest, StoppedTaskLeavesWhatItReceivedOnDisk)
{
    std::string full = Resource(400000);
    ScriptedHttpServer server([&](const RecordedRequest& r, int index) {
        ScriptedResponse response = ScriptedResponse::Ranged(full, r);
        if (index == 0) {
            response.burstBytes = 60000; // received bytes are reported burst by burst
            response.burstDelayMs = 150;
            response.stallAfter = 300001; // then silence, until the task stops
        }
        return response;
    });
    RecordingDownload download;
    download.StartDownload(server.Url("/pkg.exe"), L"", path, 400000);
    ASSERT_TRUE(PumpUntil([&] { return !download.progress.empty() && download.progress.back().completed > 100000; }));
    download.Stop();
    const uint64_t reported = download.progress.back().completed;
    const std::string kept = ReadFile(path);
    EXPECT_GE(kept.size(), reported) << "every byte reported received is on disk";
    EXPECT_TRUE(kept == full.substr(0, kept.size()));
    download.StartDownload(server.Url("/pkg.exe"), L"", path, 400000);
    ASSERT_TRUE(download.WaitForResult());
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    EXPECT_EQ(server.Requests().at(1).range, "bytes=" + std::to_string(kept.size()) + "-");
    EXPECT_TRUE(ReadFile(path) == full);
}

TEST_F(HttpDownloadFileTest, FailedPrimaryMovesToMirrorsInOrder)
{
    std::string full = Resource(1000);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) {
        if (r.path == "/good")
            return ScriptedResponse::Ranged(full, r);
        return ScriptedResponse::Text(404, "missing");
    });
    std::wstring primary = server.Url("/primary");
    std::wstring mirrors = L";" + primary + L";" + server.Url("/bad") + L";x;" + server.Url("/good");
    RecordingDownload download;
    download.StartDownload(primary, mirrors, path, 1000);
    EXPECT_EQ(download.UrlList(), (std::deque<std::wstring>{primary, server.Url("/bad"), server.Url("/good")}))
        << "empty pieces, short ones and copies of the primary are dropped";
    ASSERT_TRUE(download.WaitForResult());
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    EXPECT_EQ(download.starts, (std::vector<std::wstring>{primary, server.Url("/bad"), server.Url("/good")}))
        << "an HTTP error moves on at once";
    EXPECT_EQ(ReadFile(path), full);
}

TEST(HttpDownloadFileAddresses, HostCutAtItsEndAndEveryIPv4AddressKept)
{
    EXPECT_EQ(CHttpDownloadFile::HostOf(L"http://update-backup.tarvo.test/tvinstall.txt"), "update-backup.tarvo.test");
    EXPECT_EQ(CHttpDownloadFile::HostOf(L"http://pkg.tarvo.test:8080/a"), "pkg.tarvo.test");
    EXPECT_EQ(CHttpDownloadFile::HostOf(L"pkg-2.tarvo.test?x"), "pkg-2.tarvo.test");
    EXPECT_EQ(CHttpDownloadFile::ResolvedUrls(L"http://h-1.test/h-1.exe", L"h-1.test",
                                              L"1.2.3.4;;10.0.0.12;a.b.c.d;1.2.3;256.1.1.1;1.2.3.4.5;1..2.3"),
              (std::deque<std::wstring>{L"http://1.2.3.4/h-1.exe", L"http://10.0.0.12/h-1.exe"}));

    // https keeps its name: the addresses go to libcurl beside it.
    const struct {
        const wchar_t *url, *ips;
        const char* entry;
    } cases[] = {
        {L"https://h-1.test/p.exe", L"1.2.3.4;x;10.0.0.12", "+h-1.test:443:1.2.3.4,10.0.0.12"},
        {L"HTTPS://h-1.test:8443/p.exe", L"1.2.3.4", "+h-1.test:8443:1.2.3.4"},
        {L"https://h-1.test", L"1.2.3.4", "+h-1.test:443:1.2.3.4"},
        {L"https://h-1.test/p.exe", L"a.b.c.d", ""},
        {L"http://h-1.test/p.exe", L"1.2.3.4", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CHttpDownloadFile::ResolveEntry(c.url, c.ips), c.entry) << c.url;
}

TEST_F(HttpDownloadFileTest, SpareDnsFindsAHyphenatedHostOnce)
{
    std::string full = Resource(2000);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) { return ScriptedResponse::Ranged(full, r); });
    DnsResponder responder([](const DnsResponder::Bytes& q) { return DnsResponder::Reply(q, 0, {"A 127.0.0.1"}); });
    CDNSThread::SetResolvers({DnsResponder::DeadResolver(), responder.Resolver()});
    std::wstring primary = L"http://pkg-cdn.tarvo.test:" + std::to_wstring(server.Port()) + L"/pkg.exe";
    RecordingDownload download;
    download.StartDownload(primary, ScriptedHttpServer::RefusingUrl(), path, 2000);
    ASSERT_TRUE(download.WaitForResult(60000));
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    EXPECT_EQ(ReadFile(path), full);
    ASSERT_GE(download.starts.size(), 7u);
    EXPECT_EQ(download.starts[0], primary);
    EXPECT_EQ(download.starts[2], primary) << "three attempts on the unresolvable name";
    EXPECT_EQ(download.starts.back(), L"http://127.0.0.1:" + std::to_wstring(server.Port()) + L"/pkg.exe");
    ASSERT_EQ(responder.Queries().size(), 1u);
    DnsResponder::Bytes asked = responder.Queries()[0];
    EXPECT_EQ(std::string(asked.begin() + 12, asked.end() - 4), std::string("\x07pkg-cdn\x05tarvo\x04test", 19) + '\0');
    EXPECT_TRUE(download.PrimaryUrl().empty()) << "the fallback is used once";
}

TEST_F(HttpDownloadFileTest, SecondTotalFailureAfterSpareDnsEnds)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) { return ScriptedResponse::Text(503, "down"); });
    DnsResponder responder([](const DnsResponder::Bytes& q) { return DnsResponder::Reply(q, 0, {"A 127.0.0.1"}); });
    CDNSThread::SetResolvers({responder.Resolver()});
    std::wstring primary = L"http://pkg.tarvo.test:" + std::to_wstring(server.Port()) + L"/pkg.exe";
    RecordingDownload download;
    download.StartDownload(primary, L"", path, 2000);
    ASSERT_TRUE(download.WaitForResult(60000));
    PumpUntil([] { return false; }, 1200);
    ASSERT_EQ(download.results.size(), 1u);
    EXPECT_EQ(download.results[0], (ErrorPair{kErrorHttp, 503})) << "the resolved address's failure is reported";
    EXPECT_EQ(responder.Queries().size(), 1u) << "no second lookup";
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(HttpDownloadFileTest, FailedLookupReportsTheFailureThatStartedIt)
{
    CDNSThread::SetResolvers({DnsResponder::DeadResolver()});
    RecordingDownload download;
    download.StartDownload(L"http://pkg.tarvo.test:9/pkg.exe", L"", path, 2000);
    ASSERT_TRUE(download.WaitForResult(60000));
    EXPECT_EQ(download.results.at(0), (ErrorPair{kErrorCurl, CURLE_COULDNT_RESOLVE_HOST}))
        << "never (0, -1), which would read as success";
    EXPECT_EQ(download.starts.size(), 3u);
    ASSERT_TRUE(download.StartDownload(L"http://pkg.tarvo.test:9/pkg.exe", L"", path, 2000));
    EXPECT_EQ(download.starts.size(), 4u) << "the next round starts when attached, as a fresh task does";
    download.Stop();

    RecordingDownload shortHost;
    shortHost.StartDownload(L"http://ab:9/pkg.exe", L"", folder.File(L"short.tmp"), 0);
    ASSERT_TRUE(shortHost.WaitForResult(60000)) << "a host too short to look up still gets a final report";
    EXPECT_EQ(shortHost.results.at(0), (ErrorPair{kErrorCurl, CURLE_COULDNT_RESOLVE_HOST}));
}

namespace {

// Queued behind a lookup's result: the task goes away before the completion
// that the result queues in turn can run.

struct Replacement {
    InPlace<RecordingDownload>& slot;
    std::wstring url;
    std::wstring path;
    RecordingDownload* task = nullptr;

    void Run()
    {
        task = slot.Emplace();
        task->StartDownload(url, L"", path, 0);
    }
};

} // namespace

// The lookup answers while the main thread is busy, so its result waits in
// the queue; a step queued behind it stops the task, or deletes it and puts
// another task at the same address. The lookup finds no address, so its
// result queues the task's failure report, which must reach nobody.
TEST_F(HttpDownloadFileTest, StopOrDeleteDuringLookupDropsItsResult)
{
    std::atomic<int> asked{0}, released{0};
    DnsResponder gated([&](const DnsResponder::Bytes& q) {
        int n = ++asked;
        for (int i = 0; i < 2000 && released < n; ++i)
            Sleep(5);
        return DnsResponder::Reply(q, 0, {"CNAME edge.tarvo.test"});
    });
    CDNSThread::SetResolvers({gated.Resolver()});
    const std::wstring unresolvable = L"http://pkg.tarvo.test:9/pkg.exe";
    auto answerWhileBusy = [&](size_t n) {
        ASSERT_TRUE(PumpUntil([&] { return gated.Queries().size() == n; }, 30000));
        released = static_cast<int>(n);
        for (int i = 0; i < 300 && CMainThreadDispatcher::QueuedCount() == 0; ++i)
            Sleep(10);
        Sleep(100);
    };

    RecordingDownload stopped;
    stopped.StartDownload(unresolvable, L"", path, 0);
    answerWhileBusy(1);
    CMainThreadDispatcher::Post([&stopped] { stopped.Stop(); });
    PumpUntil([] { return false; }, 1500);
    EXPECT_TRUE(stopped.results.empty()) << "a stopped download reports nothing";
    EXPECT_EQ(stopped.starts.size(), 3u);

    std::string full = Resource(500);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) { return ScriptedResponse::Ranged(full, r); });
    InPlace<RecordingDownload> slot;
    RecordingDownload* deleted = slot.Emplace();
    deleted->StartDownload(unresolvable, L"", folder.File(L"other.tmp"), 0);
    answerWhileBusy(2);
    Replacement replacement{slot, server.Url("/pkg.exe"), folder.File(L"next.tmp")};
    CMainThreadDispatcher::Post([&replacement] { replacement.Run(); });
    ASSERT_TRUE(PumpUntil([&] { return replacement.task && !replacement.task->results.empty(); }, 30000));
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(replacement.task->results, (std::vector<ErrorPair>{{}}))
        << "the task now at that address gets its own result only";
}

TEST_F(HttpDownloadFileTest, OnlyTheFinalReplyCountsAfterRedirectsAndInterimReplies)
{
    std::string full = Resource(100);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) {
        if (r.path == "/pkg.exe" || r.path == "/gone.exe") {
            ScriptedResponse moved = ScriptedResponse::Redirect(r.path == "/pkg.exe" ? "/chunked.exe" : "/none.exe");
            moved.body = "moved"; // a length of the 302's own
            return moved;
        }
        bool missing = r.path == "/none.exe" || r.path == "/continue.exe";
        ScriptedResponse answer = missing ? ScriptedResponse::Text(404, "error page")
                                          : ScriptedResponse::Ranged(full, r, r.path != "/early.exe");
        answer.chunked = r.path == "/chunked.exe";
        answer.interimStatus = r.path == "/early.exe" ? 103 : r.path == "/continue.exe" ? 100 : 0;
        return answer;
    });
    RecordingDownload chunked;
    chunked.StartDownload(server.Url("/pkg.exe"), L"", path, 100);
    ASSERT_TRUE(chunked.WaitForResult());
    EXPECT_EQ(chunked.results.at(0), (ErrorPair{})) << "the 302's length is not the package's";
    EXPECT_EQ(ReadFile(path), full);

    RecordingDownload gone;
    gone.StartDownload(server.Url("/gone.exe"), L"", folder.File(L"gone.tmp"), 100);
    ASSERT_TRUE(gone.WaitForResult());
    EXPECT_EQ(gone.results.at(0), (ErrorPair{kErrorHttp, 404}));

    WriteFile(path, full.substr(0, 40));
    RecordingDownload early;
    early.StartDownload(server.Url("/early.exe"), L"", path, 100);
    ASSERT_TRUE(early.WaitForResult());
    EXPECT_EQ(early.results.at(0), (ErrorPair{}));
    EXPECT_EQ(ReadFile(path), full) << "a 200 after a 103 replaces the part instead of being appended";

    std::wstring page = folder.File(L"page.tmp");
    RecordingDownload error;
    error.StartDownload(server.Url("/continue.exe"), L"", page, 0);
    ASSERT_TRUE(error.WaitForResult());
    EXPECT_EQ(error.results.at(0), (ErrorPair{kErrorHttp, 404}));
    EXPECT_EQ(ReadFile(page), "") << "an error page after a 100 is not the package";
}

TEST_F(HttpDownloadFileTest, FinishedFileHasExactlyTheExpectedSize)
{
    std::string full = Resource(100), surplus;
    size_t cut = 60;
    ScriptedHttpServer server([&](const RecordedRequest& r, int) {
        ScriptedResponse answer = ScriptedResponse::Ranged(full + surplus, r);
        answer.contentLength = false; // only the closed connection ends the body
        answer.closeAfter = cut;
        return answer;
    });
    RecordingDownload download;
    auto round = [&] {
        download.Stop();
        download.results.clear();
        download.StartDownload(server.Url("/pkg.exe"), L"", path, 100);
        return download.WaitForResult();
    };
    ASSERT_TRUE(round());
    EXPECT_EQ(download.results.at(0), (ErrorPair{kErrorUser, kUserFileShort})) << "cut short";
    EXPECT_EQ(ReadFile(path), full.substr(0, 60)) << "the part is kept for the next round";

    cut = ScriptedResponse::kWhole;
    ASSERT_TRUE(round());
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    EXPECT_EQ(server.Requests().back().range, "bytes=60-");
    EXPECT_EQ(ReadFile(path), full);

    DeleteFileW(path.c_str());
    surplus = "surplus";
    ASSERT_TRUE(round());
    EXPECT_EQ(download.results.at(0), (ErrorPair{kErrorUser, kUserFileLong})) << "longer than announced";
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "a longer file is discarded";
}

TEST_F(HttpDownloadFileTest, PartialReplyFromAnotherByteStartsOver)
{
    std::string full = Resource(100);
    ScriptedHttpServer server([&](const RecordedRequest& r, int) {
        if (r.range.empty())
            return ScriptedResponse::Text(200, full);
        ScriptedResponse wrong = ScriptedResponse::Text(206, full.substr(0, 60)); // asked from 40
        wrong.headers.push_back({"Content-Range", "bytes 0-59/100"});
        wrong.burstBytes = 30; // still arriving when it is refused: what is held back goes too
        wrong.burstDelayMs = 300;
        return wrong;
    });
    WriteFile(path, full.substr(0, 40));
    // Another process reads the file and does not let it be deleted.
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    RecordingDownload download;
    download.StartDownload(server.Url("/pkg.exe"), L"", path, 100);
    bool reported = download.WaitForResult(10000);
    CloseHandle(holder);
    ASSERT_TRUE(reported) << "requests: " << server.RequestCount();
    EXPECT_EQ(download.results.at(0), (ErrorPair{}));
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Requests()[1].range, "") << "started over from byte 0";
    EXPECT_EQ(ReadFile(path), full);
}

TEST_F(HttpDownloadFileTest, HeaderLinesWithoutEndEndTheRoundAtOnce)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) {
        ScriptedResponse flood = ScriptedResponse::Text(200, "");
        flood.headerFlood = 8 * 1024 * 1024;
        return flood;
    });
    RecordingDownload download;
    download.StartDownload(server.Url("/pkg.exe"), server.Url("/mirror.exe"), path, 100);
    ASSERT_TRUE(download.WaitForResult());
    EXPECT_EQ(download.results.at(0), (ErrorPair{kErrorUser, kUserHeaderTooLarge}));
    EXPECT_EQ(server.RequestCount(), 1u) << "neither retried nor moved to a mirror";
}

TEST_F(HttpDownloadFileTest, EachRoundAfterAFinalReportStartsAsAFreshTask)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) {
        ScriptedResponse broken = ScriptedResponse::Text(200, std::string(100, 'x'));
        broken.closeAfter = 10;
        return broken;
    });
    DnsResponder responder([](const DnsResponder::Bytes& q) { return DnsResponder::Reply(q, 0, {"A 127.0.0.1"}); });
    CDNSThread::SetResolvers({responder.Resolver()});
    std::wstring port = std::to_wstring(server.Port());
    std::wstring primary = L"http://pkg.tarvo.test:" + port + L"/pkg.exe";
    std::wstring resolved = L"http://127.0.0.1:" + port + L"/pkg.exe";
    std::vector<std::wstring> fresh{primary, primary, primary, resolved, resolved, resolved};
    RecordingDownload download;
    for (int round = 1; round <= 3; ++round) {
        download.starts.clear();
        download.results.clear();
        ASSERT_TRUE(download.StartDownload(primary, L"", path, 100));
        EXPECT_EQ(download.UrlList(), std::deque<std::wstring>{primary}) << "round " << round;
        ASSERT_TRUE(download.WaitForResult(60000));
        EXPECT_EQ(download.results.at(0).type, 5) << "round " << round;
        EXPECT_EQ(download.starts, fresh) << "round " << round;
        download.Stop();
    }
    EXPECT_EQ(responder.Queries().size(), 3u);
}
