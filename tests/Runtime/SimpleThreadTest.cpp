#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include "Runtime/ConsoleLogger.h"
#include "Runtime/FileLogger.h"
#include "Runtime/Singleton.h"
#include "Runtime/SimpleThread.h"
#include "Runtime/ThreadAffinity.h"
#include "support/InPlace.h"
#include "support/TempFolder.h"

namespace {

class LoopingThread : public CSimpleThread {
public:
    void Run() override
    {
        while (!StopRequested()) {
            ++loops;
            Sleep(1);
        }
        ended = true;
    }
    std::atomic<int> loops{0};
    std::atomic<bool> ended{false};
};

class StubbornThread : public CSimpleThread {
public:
    void Run() override
    {
        for (;;)
            Sleep(10);
    }
};

class SelfDestroyingThread : public CSimpleThread {
public:
    void Run() override
    {
        result = DestroyThread(0) ? 1 : 0;
        runningAfter = IsRunning() ? 1 : 0;
    }
    std::atomic<int> result{-1};
    std::atomic<int> runningAfter{-1};
};

class QuickThread : public CSimpleThread {
public:
    void Run() override { ++runs; }
    std::atomic<int> runs{0};
};

bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 500 && !done(); ++i)
        Sleep(10);
    return done();
}

} // namespace

TEST(SimpleThread, StartStopAndRestart)
{
    LoopingThread thread;
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.StopThread(100)) << "stopping an idle thread succeeds at once";
    EXPECT_FALSE(thread.DestroyThread(100)) << "no thread to destroy";
    ASSERT_TRUE(thread.StartThread());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_NE(thread.ThreadId(), 0u);
    EXPECT_TRUE(thread.StartThread()) << "a running thread is not started twice";
    EXPECT_TRUE(thread.StopThread(5000));
    EXPECT_TRUE(thread.ended);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.ThreadId(), 0u);

    // A flag left set would end the new run before its first round.
    thread.ended = false;
    thread.loops = 0;
    ASSERT_TRUE(thread.StartThread());
    ASSERT_TRUE(WaitFor([&] { return thread.loops > 0 || thread.ended; }));
    EXPECT_FALSE(thread.ended) << "the stop flag is cleared for a new run";
    EXPECT_TRUE(thread.StopThread(5000));
    EXPECT_TRUE(thread.ended);
}

TEST(SimpleThread, EndedThreadGivesUpItsHandleOnce)
{
    QuickThread thread;
    ASSERT_TRUE(thread.StartThread());
    ASSERT_TRUE(WaitFor([&] { return !thread.IsRunning(); }));
    EXPECT_EQ(thread.runs, 1);
    EXPECT_EQ(thread.ThreadId(), 0u);
    EXPECT_TRUE(thread.StopThread(100)) << "an ended thread needs no wait";
    EXPECT_FALSE(thread.DestroyThread(100)) << "its handle is already gone";
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(thread.StartThread());
        ASSERT_TRUE(WaitFor([&] { return !thread.IsRunning(); }));
    }
    EXPECT_EQ(thread.runs, 21);
}

TEST(SimpleThread, DestroyFromInsideRunDoesNotWait)
{
    SelfDestroyingThread thread;
    ASSERT_TRUE(thread.StartThread());
    ASSERT_TRUE(WaitFor([&] { return thread.runningAfter != -1; }));
    EXPECT_EQ(thread.result, 1);
    EXPECT_EQ(thread.runningAfter, 0);
    EXPECT_FALSE(thread.DestroyThread(100));
}

TEST(SimpleThread, StubbornWorkerEndedAfterLimitWithTimeOutLogged)
{
    TempFolder folder;
    std::wstring path = folder.File(L"thread.log");
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    FileLogger* logger = CSingleton<FileLogger>::Instance();
    logger->SetFile(file);
    logger->SetOptions(std::make_unique<LoggerOptions>());

    StubbornThread thread;
    ASSERT_TRUE(thread.StartThread());
    DWORD tid = thread.ThreadId();
    DWORD start = GetTickCount();
    EXPECT_TRUE(thread.StopThread(300));
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 250u);
    EXPECT_FALSE(thread.IsRunning());
    logger->SetFile(nullptr);
    fclose(file);

    FILE* in = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(in, nullptr);
    wchar_t buffer[512] = {};
    size_t units = fread(buffer, sizeof(wchar_t), 511, in);
    fclose(in);
    std::wstring expected = L"[ERRO][.\\Runtime\\SimpleThread.cpp:39]CSimpleThread::DestroyThread线程结束超时 tid:" +
                            std::to_wstring(tid) + L" ";
    EXPECT_EQ(std::wstring(buffer, units), expected);
}

// Each thread ends on its own while its owner stops it and, as soon as the
// stop returns, frees the object and fills the memory with a pattern. A
// thread that still writes into the object afterwards changes the pattern.
TEST(SimpleThread, ObjectFreedRightAfterStopIsNeverTouchedAgain)
{
    class EndingThread : public CSimpleThread {
    public:
        ~EndingThread() override { StopThread(INFINITE); } // a no-op once stopped
        void Run() override
        {
            while (!go && !StopRequested())
                YieldProcessor();
            returned = true;
        }
        std::atomic<bool> go{false};
        std::atomic<bool> returned{false};
    };
    constexpr unsigned char kPattern = 0xA5;
    InPlace<EndingThread> slot;
    int touched = 0;
    for (int i = 0; i < 200; ++i) {
        EndingThread* thread = slot.Emplace();
        ASSERT_TRUE(thread->StartThread());
        HANDLE os = OpenThread(SYNCHRONIZE, FALSE, thread->ThreadId());
        ASSERT_NE(os, nullptr);
        thread->go = true;
        while (!thread->returned)
            YieldProcessor();
        thread->StopThread(INFINITE);
        slot.Destroy();
        memset(slot.Bytes(), kPattern, slot.Size());
        ASSERT_EQ(WaitForSingleObject(os, 5000), WAIT_OBJECT_0);
        CloseHandle(os);
        for (size_t n = 0; n < slot.Size(); ++n)
            if (slot.Bytes()[n] != kPattern) {
                ++touched;
                break;
            }
    }
    EXPECT_EQ(touched, 0) << "threads wrote into their freed objects";
}

TEST(ThreadAffinity, OnlyTheThreadThatMadeItIsTheOwner)
{
    CThreadAffinity affinity;
    EXPECT_TRUE(affinity.OnOwnerThread());
    std::atomic<int> elsewhere{-1};
    std::thread([&] { elsewhere = affinity.OnOwnerThread() ? 1 : 0; }).join();
    EXPECT_EQ(elsewhere, 0);
}
