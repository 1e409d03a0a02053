#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include "Runtime/CommandLine.h"

namespace {

// What a started program's own parser reads after its program name.
std::wstring ParsedBack(const std::wstring& line, int index)
{
    int count = 0;
    wchar_t** args = CommandLineToArgvW((L"program.exe " + line).c_str(), &count);
    std::wstring arg = args && index < count ? args[index] : L"(missing)";
    LocalFree(args);
    return arg;
}

} // namespace

TEST(CommandLine, ThePlatformParserReadsEachArgumentBackExactly)
{
    const std::wstring cases[] = {L"/unpack=C:\\a b\\c", L"a\\\\b", L"say \"hi\"", L"trail\\\\\\", L"\\\"", L""};
    for (const std::wstring& arg : cases) {
        const std::wstring line = CCommandLine::Quoted(arg) + L" /launch=off";
        EXPECT_EQ(ParsedBack(line, 1), arg) << line;
        EXPECT_EQ(ParsedBack(line, 2), L"/launch=off") << line;
    }
}
