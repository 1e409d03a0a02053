#include <gtest/gtest.h>
#include <string>
#include "Updater/PackageDigests.h"
#include "Updater/Sha256.h"

namespace {

std::string Digest(const std::string& text, Sha256::Engine engine, size_t piece)
{
    Sha256 sha(engine);
    for (size_t at = 0; at < text.size(); at += piece)
        sha.Update(reinterpret_cast<const unsigned char*>(text.data() + at), std::min(piece, text.size() - at));
    return sha.HexDigest();
}

std::vector<Sha256::Engine> Engines()
{
    std::vector<Sha256::Engine> engines{Sha256::Engine::Portable};
    if (Sha256::ProcessorHasShaInstructions())
        engines.push_back(Sha256::Engine::Fastest);
    return engines;
}

} // namespace

// The examples of FIPS 180-4 (and the empty message), whole and in pieces
// that cross the block boundary, through each engine this processor has.
TEST(Sha256, KnownAnswersOfTheStandard)
{
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    EXPECT_EQ(Engines().size(), 2u) << "this machine's processor has SHA instructions; both engines are tested";
    for (Sha256::Engine engine : Engines())
        for (const auto& c : cases)
            for (size_t piece : {size_t(1000000), size_t(63), size_t(1)}) {
                if (piece == 1 && c.message.size() > 1000) continue;
                EXPECT_EQ(Digest(c.message, engine, piece), c.digest)
                    << "engine " << static_cast<int>(engine) << ", length " << c.message.size() << ", piece " << piece;
            }
}

TEST(Sha256, EnginesAgreeAroundThePaddingBoundaryAndTheDigestIsFinal)
{
    std::string data(300, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 37 + 11);
    for (size_t length = 0; length <= data.size(); ++length)
        EXPECT_EQ(Digest(data.substr(0, length), Sha256::Engine::Fastest, 64),
                  Digest(data.substr(0, length), Sha256::Engine::Portable, 7))
            << length;
    Sha256 sha;
    sha.Update(reinterpret_cast<const unsigned char*>("abc"), 3);
    const std::string first = sha.HexDigest();
    sha.Update(reinterpret_cast<const unsigned char*>("more"), 4);
    EXPECT_EQ(sha.HexDigest(), first) << "nothing is added once the digest was given";
}

TEST(PackageDigests, VerdictOfEachManifestValue)
{
    const std::string actual = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const struct {
        const wchar_t* expected;
        DigestVerdict verdict;
    } cases[] = {
        {L"", DigestVerdict::None},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", DigestVerdict::Ok},
        {L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", DigestVerdict::Ok},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ae", DigestVerdict::Mismatch},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015", DigestVerdict::Mismatch},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad0", DigestVerdict::Mismatch},
        {L"ga7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", DigestVerdict::Mismatch},
        {L" ", DigestVerdict::Mismatch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PackageDigests::Check(c.expected, actual), c.verdict) << c.expected;
    EXPECT_EQ(PackageDigests::Check(cases[1].expected, ""), DigestVerdict::Mismatch) << "an unread file never matches";

    PackageDigests digests{"900150983cd24fb0d6963f7d28e17f72", actual};
    EXPECT_TRUE(digests.Match(L"", L""));
    EXPECT_TRUE(digests.Match(L"900150983CD24FB0D6963F7D28E17F72", L""));
    EXPECT_TRUE(digests.Match(L"", cases[1].expected));
    EXPECT_FALSE(digests.Match(L"900150983cd24fb0d6963f7d28e17f72", cases[3].expected)) << "a right MD5 saves no wrong SHA-256";
    EXPECT_FALSE(digests.Match(L"00000000000000000000000000000000", cases[1].expected));
}
