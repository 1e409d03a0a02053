#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>
#include "Runtime/MainThreadDispatcher.h"
#include "Runtime/MonotonicClock.h"
#include "Runtime/RefPtr.h"
#include "Runtime/RefThreadSafeBase.h"
#include "support/MessagePump.h"

namespace {

struct Record {
    std::vector<int> order;
    std::vector<DWORD> threads;
};

void Append(Record* record, int value, int busyMs)
{
    if (busyMs > 0) {
        double end = CMonotonicClock::Now() + busyMs / 1000.0;
        while (CMonotonicClock::Now() < end) {
        }
    }
    record->order.push_back(value);
    record->threads.push_back(GetCurrentThreadId());
}

void PostAppend(Record* record, int value, int busyMs)
{
    CMainThreadDispatcher::Post([=] { Append(record, value, busyMs); });
}

// Takes the wake-up messages waiting for the dispatch window without running
// them, so a test can count them and then dispatch them one by one.
std::vector<MSG> TakeWakeUps()
{
    std::vector<MSG> wakeUps;
    MSG msg;
    UINT id = CMainThreadDispatcher::WakeUpMessage();
    while (PeekMessageW(&msg, CMainThreadDispatcher::Window(), id, id, PM_REMOVE))
        wakeUps.push_back(msg);
    return wakeUps;
}

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        CMainThreadDispatcher::Startup();
        ASSERT_NE(CMainThreadDispatcher::Window(), nullptr);
    }
    void TearDown() override { CMainThreadDispatcher::Shutdown(); }
};

} // namespace

TEST_F(Dispatcher, BurstFromWorkerWakesOnceAndRunsInOrderOnMainThread)
{
    Record record;
    std::thread worker([&record] {
        for (int i = 1; i <= 3; ++i)
            PostAppend(&record, i, 0);
    });
    worker.join();
    std::vector<MSG> wakeUps = TakeWakeUps();
    ASSERT_EQ(wakeUps.size(), 1u);
    EXPECT_TRUE(record.order.empty()) << "nothing runs before the main thread drains";
    DispatchMessageW(&wakeUps[0]);
    EXPECT_EQ(record.order, (std::vector<int>{1, 2, 3}));
    for (DWORD id : record.threads)
        EXPECT_EQ(id, GetCurrentThreadId());
    EXPECT_EQ(CMainThreadDispatcher::MainThreadId(), GetCurrentThreadId());
}

TEST_F(Dispatcher, PostingFromTwoThreadsKeepsEachThreadsOrder)
{
    Record record;
    auto poster = [&record](int base) {
        for (int i = 0; i < 100; ++i)
            PostAppend(&record, base + i, 0);
    };
    std::thread a(poster, 0), b(poster, 1000);
    a.join();
    b.join();
    ASSERT_TRUE(PumpUntil([&] { return record.order.size() == 200; }));
    int lastA = -1, lastB = 999;
    for (int v : record.order) {
        int& last = v < 1000 ? lastA : lastB;
        EXPECT_EQ(v, last + 1);
        last = v;
    }
}

TEST_F(Dispatcher, SlowQueueYieldsAfterBudgetAndResumes)
{
    Record record;
    for (int i = 0; i < 6; ++i)
        PostAppend(&record, i, 20);
    std::vector<MSG> first = TakeWakeUps();
    ASSERT_EQ(first.size(), 1u);
    DispatchMessageW(&first[0]);
    // 20 ms tasks against a 50 ms budget: the third task crosses it. A task
    // preempted by a busy machine may make the second one cross it instead.
    EXPECT_GE(record.order.size(), 2u);
    EXPECT_LE(record.order.size(), 3u);
    std::vector<MSG> again = TakeWakeUps();
    ASSERT_EQ(again.size(), 1u) << "the drain re-posts its own wake-up when it yields";
    DispatchMessageW(&again[0]);
    ASSERT_TRUE(PumpUntil([&] { return record.order.size() == 6; }));
    EXPECT_EQ(record.order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(Dispatcher, TaskPostingTaskRunsInSameDrainWhenTimeIsLeft)
{
    Record record;
    CMainThreadDispatcher::Post([&record] {
        PostAppend(&record, 11, 0);
        Append(&record, 10, 0);
    });
    std::vector<MSG> wakeUps = TakeWakeUps();
    ASSERT_EQ(wakeUps.size(), 1u);
    DispatchMessageW(&wakeUps[0]);
    EXPECT_EQ(record.order, (std::vector<int>{10, 11}));
    // The running task had already left the queue, so its post woke the
    // dispatcher again; that drain finds nothing left to run.
    for (MSG& msg : TakeWakeUps())
        DispatchMessageW(&msg);
    EXPECT_EQ(record.order.size(), 2u);
}

TEST_F(Dispatcher, ATaskThatThrowsDoesNotStopTheTasksBehindIt)
{
    Record record;
    CMainThreadDispatcher::Post([] { throw std::runtime_error("task failed"); });
    PostAppend(&record, 1, 0);
    std::vector<MSG> wakeUps = TakeWakeUps();
    ASSERT_EQ(wakeUps.size(), 1u) << "the second post found the queue busy and sent no wake-up of its own";
    DispatchMessageW(&wakeUps[0]);
    EXPECT_EQ(record.order, (std::vector<int>{1}));
}

TEST_F(Dispatcher, TasksQueuedAfterShutdownNeverRun)
{
    Record record;
    PostAppend(&record, 1, 0);
    CMainThreadDispatcher::Shutdown();
    EXPECT_EQ(CMainThreadDispatcher::QueuedCount(), 0u) << "shutdown discards what was queued";
    PostAppend(&record, 2, 0);
    EXPECT_EQ(CMainThreadDispatcher::QueuedCount(), 1u);
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(record.order.empty());
}

namespace {

class Counted : public CRefThreadSafeBase<Counted> {
public:
    explicit Counted(DWORD* destroyedOn) : m_destroyedOn(destroyedOn) {}
    ~Counted() override { *m_destroyedOn = GetCurrentThreadId(); }

private:
    DWORD* m_destroyedOn;
};


} // namespace

TEST_F(Dispatcher, TaskKeepsItsObjectAliveUntilRunOnMainThread)
{
    DWORD destroyedOn = 0;
    std::thread worker([&destroyedOn] {
        CRefPtr<Counted> object(new Counted(&destroyedOn));
        CMainThreadDispatcher::Post([object] { EXPECT_GE(object->RefCount(), 1); });
    });
    worker.join();
    EXPECT_EQ(destroyedOn, 0u) << "the queued task holds a reference after the worker let go";
    ASSERT_TRUE(PumpUntil([&] { return destroyedOn != 0; }));
    EXPECT_EQ(destroyedOn, GetCurrentThreadId()) << "the last reference goes with the task, on the main thread";
}

// The clock clamps itself, so going back cannot be seen from outside; what
// can be is a clock stuck at its clamp, drifting from the counter or from
// the system time, or stepping at the system tick instead of finely.
TEST(MonotonicClock, MovesFinelyWithTheCounterAndStaysOnTheSystemTime)
{
    LARGE_INTEGER frequency, c0, c1;
    QueryPerformanceFrequency(&frequency);
    auto counterSeconds = [&frequency](const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
        return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(frequency.QuadPart);
    };
    QueryPerformanceCounter(&c0);
    double first = CMonotonicClock::Now();
    int steps = 0;
    double previous = first;
    do {
        double now = CMonotonicClock::Now();
        steps += now != previous;
        previous = now;
        QueryPerformanceCounter(&c1);
    } while (counterSeconds(c0, c1) < 0.02);
    EXPECT_GT(steps, 10) << "readings 20 ms apart in a busy loop step below a millisecond";

    Sleep(200);
    QueryPerformanceCounter(&c1);
    double elapsed = CMonotonicClock::Now() - first;
    EXPECT_NEAR(elapsed, counterSeconds(c0, c1), 0.04);

    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    double system = static_cast<double>((static_cast<uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) -
                                        116444736000000000ULL) / 1e7;
    EXPECT_NEAR(CMonotonicClock::Now(), system, 0.05) << "seconds since 1970, on the system time";
}
