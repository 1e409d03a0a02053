#include <gtest/gtest.h>
#include "app/UpdateCheck.h"

TEST(UpdateCheck, ArgumentsAreReadOrRefusedWithAReason)
{
    std::string error;
    auto options = CUpdateCheck::ParseArguments(
        {L"--dns", L"127.0.0.1:5353", L"C:\\work", L"http://a.test/tvinstall.txt", L"--dns", L"127.0.0.2:53",
         L"http://b.test/tvinstall.txt"},
        error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(options->workFolder, L"C:\\work");
    EXPECT_EQ(options->manifestUrls,
              (std::vector<std::wstring>{L"http://a.test/tvinstall.txt", L"http://b.test/tvinstall.txt"}));
    ASSERT_EQ(options->resolvers.size(), 2u);
    EXPECT_EQ(options->resolvers[0].address, "127.0.0.1");
    EXPECT_EQ(options->resolvers[0].port, 5353);
    EXPECT_EQ(options->resolvers[1].port, 53);

    const std::vector<std::vector<std::wstring>> bad = {
        {},
        {L"C:\\work"},
        {L"--dns"},
        {L"--dns", L"127.0.0.1", L"C:\\w", L"http://a.test/"},
        {L"--dns", L"127.0.0.1:0", L"C:\\w", L"http://a.test/"},
        {L"--dns", L"127.0.0.1:70000", L"C:\\w", L"http://a.test/"},
        {L"--dns", L"127.0.0.1:53x", L"C:\\w", L"http://a.test/"},
        {L"--dns", L"resolver.test:53", L"C:\\w", L"http://a.test/"},
        {L"--verbose", L"C:\\w", L"http://a.test/"},
        {L"--signer", L"ab22fc1e8cff0f2b20d10ee2d0cb304d", L"C:\\w", L"http://a.test/"},
    };
    for (const auto& args : bad) {
        error.clear();
        EXPECT_FALSE(CUpdateCheck::ParseArguments(args, error).has_value()) << args.size();
        EXPECT_FALSE(error.empty());
    }
    EXPECT_NE(std::string(CUpdateCheck::Usage()).find("--dns ADDRESS:PORT"), std::string::npos);
}
