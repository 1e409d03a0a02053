#include <gtest/gtest.h>
#include "Http/DNSThread.h"
#include "Runtime/MainThreadDispatcher.h"
#include "support/DnsResponder.h"
#include "support/MessagePump.h"

namespace {

struct LookupResult {
    bool arrived = false;
    int32_t code = 99;
    std::string host;
    std::string ips;
    DWORD thread = 0;
};

void OnResult(int32_t code, void* context, const std::string& host, const std::string& ips)
{
    auto* r = static_cast<LookupResult*>(context);
    *r = {true, code, host, ips, GetCurrentThreadId()};
}

class DNSThreadTest : public ::testing::Test {
protected:
    void SetUp() override { CMainThreadDispatcher::Startup(); }
    void TearDown() override
    {
        thread.StopThread(INFINITE);
        CMainThreadDispatcher::Shutdown();
        CDNSThread::SetResolvers({DnsResponder::DeadResolver()});
    }
    void Lookup(const std::string& host)
    {
        thread.SetCallback(&OnResult);
        thread.SetContext(&result);
        thread.SetHostName(host);
        ASSERT_TRUE(thread.StartThread());
    }

    CDNSThread thread;
    LookupResult result;
};

DnsResponder::Handler Answering(std::vector<std::string> answers, int rcode = 0)
{
    return [answers, rcode](const DnsResponder::Bytes& q) { return DnsResponder::Reply(q, rcode, answers); };
}

} // namespace

TEST_F(DNSThreadTest, ResolversAskedInOrderUntilOneAnswers)
{
    DnsResponder silent([](const DnsResponder::Bytes&) { return DnsResponder::Bytes(); });
    DnsResponder nxdomain(Answering({}, 3));
    DnsResponder wrongId([](const DnsResponder::Bytes& q) {
        DnsResponder::Bytes r = DnsResponder::Reply(q, 0, {"A 10.9.9.9"});
        r[0] ^= 0xFF;
        return r;
    });
    DnsResponder good(Answering({"CNAME edge.tarvo.test", "A 127.0.0.1", "A 127.0.0.2"}));
    DnsResponder never(Answering({"A 10.0.0.1"}));
    CDNSThread::SetResolvers({silent.Resolver(), nxdomain.Resolver(), wrongId.Resolver(), good.Resolver(),
                              never.Resolver()});
    Lookup("pkg.tarvo.test");
    ASSERT_TRUE(PumpUntil([&] { return result.arrived; }, 15000));
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.ips, "127.0.0.1;127.0.0.2");
    EXPECT_EQ(result.host, "pkg.tarvo.test");
    EXPECT_EQ(result.thread, GetCurrentThreadId()) << "the result arrives on the main thread";
    EXPECT_EQ(silent.Queries().size(), 1u);
    EXPECT_EQ(nxdomain.Queries().size(), 1u);
    EXPECT_EQ(good.Queries().size(), 1u);
    EXPECT_TRUE(never.Queries().empty()) << "no resolver is asked after one answered";
    ASSERT_EQ(good.Queries()[0].size(), 12u + 16u + 4u);
    uint16_t id = static_cast<uint16_t>(GetCurrentProcessId() & 0xFFFF);
    EXPECT_EQ(good.Queries()[0][0], id & 0xFF);
    EXPECT_EQ(good.Queries()[0][1], id >> 8);
}

TEST_F(DNSThreadTest, NoResolverAliveEndsWithMinusOne)
{
    CDNSThread::SetResolvers({DnsResponder::DeadResolver(), DnsResponder::DeadResolver()});
    Lookup("pkg.tarvo.test");
    ASSERT_TRUE(PumpUntil([&] { return result.arrived; }, 15000));
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.ips, "");
    EXPECT_EQ(result.host, "pkg.tarvo.test");
}

TEST_F(DNSThreadTest, HostileRepliesFailThatResolverOnly)
{
    DnsResponder loop([](const DnsResponder::Bytes& q) {
        DnsResponder::Bytes r = DnsResponder::Reply(q, 0, {"A 10.0.0.1"});
        size_t answer = q.size();
        r[answer] = 0xC0;
        r[answer + 1] = static_cast<uint8_t>(answer); // the answer's name points at itself
        return r;
    });
    DnsResponder shortened([](const DnsResponder::Bytes& q) {
        DnsResponder::Bytes r = DnsResponder::Reply(q, 0, {"A 10.0.0.2", "A 10.0.0.3"});
        r.resize(r.size() - 10);
        return r;
    });
    DnsResponder good(Answering({"A 127.0.0.9"}));
    CDNSThread::SetResolvers({loop.Resolver(), shortened.Resolver(), good.Resolver()});
    Lookup("pkg.tarvo.test");
    ASSERT_TRUE(PumpUntil([&] { return result.arrived; }, 15000));
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.ips, "127.0.0.9");
}

TEST_F(DNSThreadTest, StoppedLookupPostsNothing)
{
    DnsResponder silent([](const DnsResponder::Bytes&) { return DnsResponder::Bytes(); });
    DnsResponder good(Answering({"A 127.0.0.1"}));
    CDNSThread::SetResolvers({silent.Resolver(), good.Resolver()});
    Lookup("pkg.tarvo.test");
    ASSERT_TRUE(PumpUntil([&] { return !silent.Queries().empty(); }));
    DWORD start = GetTickCount();
    EXPECT_TRUE(thread.StopThread(1000));
    EXPECT_LT(GetTickCount() - start, 900u) << "a stop ends the wait without forcing the thread";
    PumpUntil([] { return false; }, 300);
    EXPECT_FALSE(result.arrived);
    EXPECT_TRUE(good.Queries().empty());

    thread.SetHostName(std::string(254, 'x'));
    ASSERT_TRUE(thread.StartThread());
    ASSERT_TRUE(PumpUntil([&] { return result.arrived; }, 15000));
    EXPECT_EQ(result.code, -1) << "a name too long to ask for fails every resolver";
    EXPECT_TRUE(good.Queries().empty());
}
