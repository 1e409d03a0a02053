#include <gtest/gtest.h>
#include <set>
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
        thread.SetCallback([this](int32_t code, const std::string& host, const std::string& ips) {
            result = {true, code, host, ips, GetCurrentThreadId()};
        });
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
    std::set<std::pair<uint8_t, uint8_t>> ids;
    for (DnsResponder* asked : {&silent, &nxdomain, &wrongId, &good})
        ids.insert({asked->Queries().at(0)[0], asked->Queries().at(0)[1]});
    EXPECT_GT(ids.size(), 1u) << "each query draws an identifier of its own";
}

// Forged replies arrive before the real one: one from another port with the
// right identifier and question, one from the resolver's own port for
// another name. Only the real answer counts.
TEST_F(DNSThreadTest, OnlyTheAskedResolversAnswerToTheAskedNameCounts)
{
    DnsResponder forger([](const DnsResponder::Bytes&) { return DnsResponder::Bytes(); });
    DnsResponder* resolver = nullptr;
    DnsResponder real([&](const DnsResponder::Bytes& q) {
        forger.SendTo(DnsResponder::Reply(q, 0, {"A 10.6.6.6"}), resolver->Peer());
        DnsResponder::Bytes otherName = q;
        otherName[13] = 'x';
        resolver->SendTo(DnsResponder::Reply(otherName, 0, {"A 10.6.6.7"}), resolver->Peer());
        return DnsResponder::Reply(q, 0, {"A 127.0.0.7"});
    });
    resolver = &real;
    CDNSThread::SetResolvers({real.Resolver()});
    Lookup("pkg.tarvo.test");
    ASSERT_TRUE(PumpUntil([&] { return result.arrived; }, 15000));
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.ips, "127.0.0.7");
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
