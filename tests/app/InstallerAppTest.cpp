#include <gtest/gtest.h>
#include "Runtime/MainThreadDispatcher.h"
#include "Runtime/RefPtr.h"
#include "Runtime/RefThreadSafeBase.h"
#include "app/InstallerApp.h"

namespace {

// Tells when its last reference goes.
class Watched : public CRefThreadSafeBase<Watched> {
public:
    explicit Watched(bool* released) : m_released(released) {}
    ~Watched() override { *m_released = true; }

private:
    bool* m_released;
};

} // namespace

TEST(InstallerApp, LaunchIdFollowsTheRuntimeConversion)
{
    struct Case {
        const wchar_t* commandLine;
        uint16_t launchId;
    } cases[] = {
        {L"", 0},       {L"0", 0},          {L"-1", 65535},      {L"70000", 4464}, {L"12abc", 12},
        {L"  7", 7},    {L"abc", 0},        {L"+42", 42},        {L"-", 0},        {L"\t\n 9 10", 9},
        {L"99999999999", 65535},            {L"-99999999999", 0}, {L"65536", 0},   {L"1", 1},
    };
    for (const Case& c : cases) {
        CInstallerApp app;
        app.SetCommandLine(c.commandLine);
        EXPECT_EQ(app.LaunchId(), c.launchId) << "command line \"" << std::string(c.commandLine, c.commandLine + wcslen(c.commandLine)) << "\"";
    }
    CInstallerApp app;
    app.SetCommandLine(nullptr);
    EXPECT_EQ(app.LaunchId(), 0);
    EXPECT_EQ(CInstallerApp::ParseDecimal(L"2147483648"), 2147483647);
    EXPECT_EQ(CInstallerApp::ParseDecimal(L"-2147483649"), -2147483647 - 1);
}

TEST(InstallerApp, StartupOnceShutdownDiscardsAndLoopYieldsQuitCode)
{
    CInstallerApp app;
    app.Startup();
    HWND window = CMainThreadDispatcher::Window();
    ASSERT_NE(window, nullptr);
    app.Startup();
    EXPECT_EQ(CMainThreadDispatcher::Window(), window) << "the dispatcher starts once";
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, L"ThreadingWindowClass");
    EXPECT_EQ(CMainThreadDispatcher::WakeUpMessage(), RegisterWindowMessageW(L"com.tarvo.MainThreadFired"));

    PostQuitMessage(7);
    EXPECT_EQ(CInstallerApp::MessageLoop(), 7);
    bool ran = false, released = false;
    CMainThreadDispatcher::Post([watched = CRefPtr<Watched>(new Watched(&released)), &ran] { ran = true; });
    ASSERT_EQ(CMainThreadDispatcher::QueuedCount(), 1u);
    app.Shutdown();
    EXPECT_EQ(CMainThreadDispatcher::Window(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CMainThreadDispatcher::QueuedCount(), 0u);
    EXPECT_TRUE(released) << "the pending task was dropped with its reference";
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_FALSE(ran) << "and its wake-up runs nothing";
}
