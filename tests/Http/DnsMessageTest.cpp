#include <gtest/gtest.h>
#include "Http/DnsMessage.h"

using Bytes = std::vector<uint8_t>;

namespace {

// A reply header for id 0x1234 (stored as 34 12) with the given counts.
Bytes Header(uint16_t flags, uint16_t qd, uint16_t an)
{
    return {0x34, 0x12, static_cast<uint8_t>(flags >> 8), static_cast<uint8_t>(flags), 0, static_cast<uint8_t>(qd),
            0, static_cast<uint8_t>(an), 0, 0, 0, 0};
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kQuestion = {3, 'p', 'k', 'g', 5, 't', 'a', 'r', 'v', 'o', 0, 0, 1, 0, 1};

Bytes AnswerA(uint8_t last) { return {0xC0, 12, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 127, 0, 0, last}; }

bool Parse(const Bytes& reply, std::vector<std::string>& addresses)
{
    return CDnsMessage::ParseAnswers(reply.data(), reply.size(), addresses);
}

} // namespace

TEST(DnsMessage, QueryLayout)
{
    Bytes query = CDnsMessage::EncodeQuery("a.b", 0x1234);
    Bytes expected = {0x34, 0x12, 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0, 1, 'a', 1, 'b', 0, 0, 1, 0, 1};
    EXPECT_EQ(query, expected) << "21 bytes: header, 1 a 1 b 0, type A, class IN";
    EXPECT_EQ(CDnsMessage::EncodeQuery("..a..b.", 0x1234), expected) << "empty labels are skipped";

    std::string longest;
    while (longest.size() + 50 <= 253)
        longest += std::string(49, 'x') + ".";
    longest += std::string(253 - longest.size(), 'y');
    ASSERT_EQ(longest.size(), 253u);
    Bytes big = CDnsMessage::EncodeQuery(longest, 1);
    EXPECT_FALSE(big.empty());
    EXPECT_LE(big.size(), CDnsMessage::kQueryBufferSize);
    EXPECT_TRUE(CDnsMessage::EncodeQuery(longest + "z", 1).empty()) << "over 253 bytes is refused";
    EXPECT_TRUE(CDnsMessage::EncodeQuery(std::string(64, 'x') + ".com", 1).empty()) << "a 64-byte label is refused";
    EXPECT_FALSE(CDnsMessage::EncodeQuery(std::string(63, 'x') + ".com", 1).empty());
    EXPECT_TRUE(CDnsMessage::EncodeQuery("", 1).empty());
}

TEST(DnsMessage, OnlyAnswersToTheQueryAreAccepted)
{
    const Bytes query = CDnsMessage::EncodeQuery("pkg.tarvo", 0x1234);
    const Bytes upperCase = {3, 'P', 'K', 'G', 5, 't', 'a', 'R', 'v', 'o', 0, 0, 1, 0, 1};
    const Bytes otherName = {3, 'p', 'k', 'h', 5, 't', 'a', 'r', 'v', 'o', 0, 0, 1, 0, 1};
    const Bytes otherType = {3, 'p', 'k', 'g', 5, 't', 'a', 'r', 'v', 'o', 0, 0, 28, 0, 1};
    struct Case {
        const char* what;
        Bytes reply;
        bool accepted;
    } cases[] = {
        {"good", Header(0x8180, 1, 1) + kQuestion, true},
        {"authoritative", Header(0x8580, 1, 1) + kQuestion, true},
        {"no recursion available bit", Header(0x8100, 1, 1) + kQuestion, true},
        {"name in other letter case", Header(0x8180, 1, 1) + upperCase, true},
        {"wrong id", Bytes{0x12, 0x34, 0x81, 0x80, 0, 1, 0, 1, 0, 0, 0, 0} + kQuestion, false},
        {"question for another name", Header(0x8180, 1, 1) + otherName, false},
        {"question for another type", Header(0x8180, 1, 1) + otherType, false},
        {"no question", Header(0x8180, 0, 1) + kQuestion, false},
        {"question cut short", Header(0x8180, 1, 1) + Bytes(kQuestion.begin(), kQuestion.end() - 1), false},
        {"NXDOMAIN", Header(0x8183, 1, 0) + kQuestion, false},
        {"server failure with an answer count", Header(0x8182, 1, 1) + kQuestion, false},
        {"truncated", Header(0x8380, 1, 1) + kQuestion, false},
        {"a query, not a response", Header(0x0100, 1, 1) + kQuestion, false},
        {"no answers", Header(0x8180, 1, 0) + kQuestion, false},
        {"shorter than a header", Bytes{0x34, 0x12, 0x81, 0x80, 0, 1}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDnsMessage::AcceptReply(c.reply.data(), c.reply.size(), query), c.accepted) << c.what;
}

TEST(DnsMessage, AnswersWithPointersAndCnames)
{
    std::vector<std::string> addresses;
    ASSERT_TRUE(Parse(Header(0x8180, 1, 2) + kQuestion + AnswerA(1) + AnswerA(2), addresses));
    EXPECT_EQ(CDnsMessage::Join(addresses), "127.0.0.1;127.0.0.2");

    Bytes cname = {0xC0, 12, 0, 5, 0, 1, 0, 0, 0, 60, 0, 6, 3, 'c', 'd', 'n', 0xC0, 16};
    Bytes viaCname = {0xC0, 27, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 10, 0, 0, 9};
    ASSERT_TRUE(Parse(Header(0x8180, 1, 3) + kQuestion + cname + viaCname + AnswerA(3), addresses));
    EXPECT_EQ(addresses, (std::vector<std::string>{"10.0.0.9", "127.0.0.3"}));

    Bytes mx = {0xC0, 12, 0, 15, 0, 1, 0, 0, 0, 60, 0, 3, 0, 10, 0};
    ASSERT_TRUE(Parse(Header(0x8180, 1, 1) + kQuestion + mx, addresses));
    EXPECT_TRUE(addresses.empty()) << "other record types are skipped: success without addresses";

    std::string text;
    size_t size = 0;
    Bytes message = Header(0x8180, 1, 1) + kQuestion;
    ASSERT_TRUE(CDnsMessage::DecodeName(message.data(), message.size(), 12, false, text, size));
    EXPECT_EQ(text, "pkg.tarvo");
    EXPECT_EQ(size, 11u);
    Bytes pointer = message + Bytes{1, 'w', 0xC0, 12};
    ASSERT_TRUE(CDnsMessage::DecodeName(pointer.data(), pointer.size(), message.size(), true, text, size));
    EXPECT_EQ(text, "w.pkg.tarvo");
    EXPECT_EQ(size, 4u) << "a name ending in a pointer occupies its labels plus two bytes";
}

TEST(DnsMessage, MalformedRepliesFailCleanly)
{
    Bytes head = Header(0x8180, 1, 1);
    Bytes selfPointer = {0xC0, 27, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 1, 2, 3, 4};
    Bytes loop = {1, 'a', 0xC0, 27, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 1, 2, 3, 4};
    Bytes forward = {0xC0, 40, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'x', 0};
    Bytes longName;
    for (int i = 0; i < 3; ++i)
        longName = longName + Bytes{50} + Bytes(50, 'n');
    longName.push_back(0);
    struct Case {
        const char* what;
        Bytes reply;
    } cases[] = {
        {"answer count larger than the datagram", Header(0x8180, 1, 3) + kQuestion + AnswerA(1)},
        {"record data past the end", head + kQuestion + Bytes{0xC0, 12, 0, 1, 0, 1, 0, 0, 0, 60, 0, 40, 1, 2, 3, 4}},
        {"A record shorter than an address", head + kQuestion + Bytes{0xC0, 12, 0, 1, 0, 1, 0, 0, 0, 60, 0, 2, 1, 2}},
        {"cut inside the fixed fields", head + kQuestion + Bytes{0xC0, 12, 0, 1, 0}},
        {"label running past the end", head + Bytes{30, 'a', 'b'}},
        {"pointer in the question", head + Bytes{0xC0, 12, 0, 1, 0, 1}},
        {"pointer to itself", head + kQuestion + selfPointer},
        {"pointer loop", head + kQuestion + loop},
        {"forward pointer", head + kQuestion + forward},
        {"half a pointer at the end", head + kQuestion + Bytes{0xC0}},
        {"reserved label kind", head + kQuestion + Bytes{0x41, 'a', 0, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 1, 2, 3, 4}},
        {"name over 128 bytes", head + longName + Bytes{0, 1, 0, 1}},
        {"bad CNAME target", head + kQuestion + Bytes{0xC0, 12, 0, 5, 0, 1, 0, 0, 0, 60, 0, 2, 0xC0, 200}},
        {"question count past the end", Header(0x8180, 9, 1) + kQuestion},
        {"only a header", head},
    };
    for (const Case& c : cases) {
        std::vector<std::string> addresses;
        EXPECT_FALSE(Parse(c.reply, addresses)) << c.what;
    }
}
