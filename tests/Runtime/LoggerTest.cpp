#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <regex>
#include <thread>
#include <vector>
#include "Runtime/ConsoleLogger.h"
#include "Runtime/FileLogger.h"
#include "Runtime/Singleton.h"
#include "Runtime/TraceLogger.h"
#include "support/TempFolder.h"

namespace {

// Keeps the finished lines so the line format can be checked exactly.
class CaptureLogger : public BaseLogger {
public:
    void Write(const std::wstring& line) override { lines.push_back(line); }
    bool IsEnabled() override { return enabled; }
    bool enabled = true;
    std::vector<std::wstring> lines;
};

// Writes a line a character at a time, yielding now and then, as an
// unbuffered stream would: two lines written at once would mix here.
class PiecewiseLogger : public BaseLogger {
public:
    PiecewiseLogger() : out(400 * 308) {}
    void Write(const std::wstring& line) override
    {
        for (size_t i = 0; i < line.size(); ++i) {
            size_t at = used++;
            if (at < out.size())
                out[at] = line[i];
            if (i % 16 == 0)
                std::this_thread::yield();
        }
    }
    bool IsEnabled() override { return true; }
    std::vector<wchar_t> out;
    std::atomic<size_t> used{0};
};

std::unique_ptr<LoggerOptions> Options(uint8_t flags, uint8_t lineEnd)
{
    auto options = std::make_unique<LoggerOptions>();
    options->prefixFlags = flags;
    options->lineEnd = lineEnd;
    return options;
}

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
            bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

} // namespace

TEST(Logger, LoggersAreSilentUntilConfigured)
{
    TempFolder folder;
    std::wstring path = folder.File(L"log.txt");
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    FileLogger logger;
    logger.SetFile(file);
    EXPECT_FALSE(logger.IsEnabled());
    logger.LogFile(2, 10, L".\\Updater\\Updater.cpp", L"failure %d", 5);
    logger.SetOptions(Options(0, 1));
    EXPECT_TRUE(logger.IsEnabled());
    logger.Log(0, L"second");
    fclose(file);
    std::wstring expected = L"[INFO]second\r\n";
    EXPECT_EQ(ReadBytes(path), std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2))
        << "only the line written after set-up, as raw UTF-16 without a byte-order mark";

    ConsoleLogger console;
    console.SetOptions(Options(0, 0));
    EXPECT_FALSE(console.IsEnabled()) << "the console logger also needs its console";
    console.SetConsole(true);
    EXPECT_TRUE(console.IsEnabled());
    EXPECT_FALSE(CSingleton<TraceLogger>::Instance()->IsEnabled());
    EXPECT_FALSE(CSingleton<FileLogger>::Instance()->IsEnabled());
}

TEST(Logger, LineFormatLevelsAndPrefixes)
{
    CaptureLogger logger;
    logger.SetOptions(Options(0, 0));
    logger.Log(0, L"hello %s %d", L"wide", 7);
    logger.Log(1, L"w");
    logger.Log(2, L"CreateDir：%s ret：%d", L"C:\\Games", 3);
    logger.Log(5, L"no tag");
    logger.LogFile(2, 38, L".\\Runtime\\SimpleThread.cpp", L"msg");
    logger.Log(0, L"");
    ASSERT_EQ(logger.lines.size(), 6u);
    EXPECT_EQ(logger.lines[0], L"[INFO]hello wide 7");
    EXPECT_EQ(logger.lines[1], L"[WARN]w");
    EXPECT_EQ(logger.lines[2], L"[ERRO]CreateDir：C:\\Games ret：3");
    EXPECT_EQ(logger.lines[3], L"no tag");
    EXPECT_EQ(logger.lines[4], L"[ERRO][.\\Runtime\\SimpleThread.cpp:38]msg");
    EXPECT_EQ(logger.lines[5], L"[INFO]");

    logger.lines.clear();
    logger.SetOptions(Options(0x0E, 1));
    logger.LogFile(1, 9, L"f.cpp", L"m");
    ASSERT_EQ(logger.lines.size(), 1u);
    std::wstring pid = std::to_wstring(GetCurrentProcessId());
    std::wstring tid = std::to_wstring(GetCurrentThreadId());
    std::wregex pattern(L"\\[WARN\\]\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\]\\[pid:" + pid + L"\\]\\[tid:" +
                        tid + L"\\]\\[f\\.cpp:9\\]m\r\n");
    EXPECT_TRUE(std::regex_match(logger.lines[0], pattern)) << std::string(logger.lines[0].begin(), logger.lines[0].end());

    logger.lines.clear();
    logger.SetOptions(Options(0x08, 0));
    logger.Log(7, L"x");
    EXPECT_EQ(logger.lines.at(0), L"[tid:" + tid + L"]x");
}

TEST(Logger, LongMessagesWholeLongSourceNamesCut)
{
    CaptureLogger logger;
    logger.SetOptions(Options(0, 0));
    std::wstring longText(5000, L'a');
    longText += L"end";
    logger.Log(0, L"%s", longText.c_str());
    ASSERT_EQ(logger.lines.size(), 1u);
    EXPECT_EQ(logger.lines[0], L"[INFO]" + longText);

    std::wstring longFile(3000, L'f');
    logger.LogFile(5, 1, longFile, L"tail");
    ASSERT_EQ(logger.lines.size(), 2u);
    std::wstring expectedPart = (L"[" + longFile).substr(0, 2047);
    EXPECT_EQ(logger.lines[1], expectedPart + L"tail");
}

TEST(Logger, ConcurrentLinesNeverInterleave)
{
    PiecewiseLogger logger;
    logger.SetOptions(Options(0, 1));
    auto writer = [&logger](wchar_t mark) {
        std::wstring text(300, mark);
        for (int i = 0; i < 200; ++i)
            logger.Log(0, L"%s", text.c_str());
    };
    std::thread a(writer, L'a'), b(writer, L'b');
    a.join();
    b.join();
    ASSERT_EQ(logger.used.load(), logger.out.size()) << "400 lines of 308 characters";
    std::wstring out(logger.out.begin(), logger.out.end());
    for (size_t at = 0; at < out.size(); at += 308) {
        std::wstring line = out.substr(at, 308);
        ASSERT_EQ(line, L"[INFO]" + std::wstring(300, line[6]) + L"\r\n") << "line " << at / 308;
    }
}
