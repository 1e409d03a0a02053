#include "MainThreadDispatcher.h"
#include <atomic>
#include <deque>
#include "CallbackGuard.h"
#include "MonotonicClock.h"

namespace {

const wchar_t kWindowClass[] = L"ThreadingWindowClass";
constexpr double kDrainBudgetSeconds = 0.05;

struct DispatcherState {
    DispatcherState() { InitializeCriticalSection(&lock); }
    CRITICAL_SECTION lock; // lives until process exit, like the queue
    std::deque<std::function<void()>> queue;
    std::atomic<HWND> window{nullptr}; // read by posting workers
    UINT wakeUpMessage = 0;
    DWORD mainThreadId = 0;
};

DispatcherState& State()
{
    static DispatcherState state;
    return state;
}

class QueueLock {
public:
    QueueLock() { EnterCriticalSection(&State().lock); }
    ~QueueLock() { LeaveCriticalSection(&State().lock); }
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;
};

} // namespace

void CMainThreadDispatcher::Startup()
{
    DispatcherState& s = State();
    if (s.window)
        return;
    // Tasks posted after an earlier shutdown belong to objects already torn
    // down: they never run, and must not stall a restarted dispatcher whose
    // next post would find the queue non-empty and send no wake-up.
    {
        std::deque<std::function<void()>> stale;
        QueueLock lock;
        stale.swap(s.queue);
    }
    s.mainThreadId = GetCurrentThreadId();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &CMainThreadDispatcher::WindowProc;
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc); // fails harmlessly when a restart finds it registered
    s.window = CreateWindowExW(0, kWindowClass, nullptr, 0, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, HWND_MESSAGE,
                               nullptr, nullptr, nullptr);
    s.wakeUpMessage = RegisterWindowMessageW(L"com.tarvo.MainThreadFired");
}

void CMainThreadDispatcher::Shutdown()
{
    DispatcherState& s = State();
    std::deque<std::function<void()>> discarded;
    {
        QueueLock lock;
        discarded.swap(s.queue);
        if (HWND window = s.window.exchange(nullptr))
            DestroyWindow(window);
    }
    // Discarded tasks release their objects here, outside the lock, so a
    // destructor that posts cannot find the queue half-emptied.
}

void CMainThreadDispatcher::Post(std::function<void()> task)
{
    bool wasEmpty = false;
    {
        QueueLock lock;
        wasEmpty = State().queue.empty();
        State().queue.push_back(std::move(task));
    }
    if (wasEmpty)
        WakeUp();
}

void CMainThreadDispatcher::WakeUp()
{
    HWND window = State().window;
    if (window)
        PostMessageW(window, State().wakeUpMessage, 0, 0);
}

void CMainThreadDispatcher::Drain()
{
    double start = CMonotonicClock::Now();
    for (;;) {
        std::function<void()> task;
        {
            QueueLock lock;
            if (State().queue.empty())
                return;
            task = std::move(State().queue.front());
            State().queue.pop_front();
        }
        // A failing task must not cost the tasks behind it their turn.
        CCallbackGuard::Run(L"main-thread task", [&task] { task(); }, [] {});
        task = nullptr;
        if (CMonotonicClock::Now() - start > kDrainBudgetSeconds) {
            WakeUp();
            return;
        }
    }
}

LRESULT CALLBACK CMainThreadDispatcher::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != 0 && msg == State().wakeUpMessage) {
        Drain();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CMainThreadDispatcher::Window() { return State().window; }

UINT CMainThreadDispatcher::WakeUpMessage() { return State().wakeUpMessage; }

DWORD CMainThreadDispatcher::MainThreadId() { return State().mainThreadId; }

size_t CMainThreadDispatcher::QueuedCount()
{
    QueueLock lock;
    return State().queue.size();
}
