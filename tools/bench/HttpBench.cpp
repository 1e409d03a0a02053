// Figures of the HTTP engine for scripts/bench (not a test):
//   HttpBench.exe requests URL       sequential and parallel small requests
//   HttpBench.exe idle SECONDS       the engine running with no transfers
// Prints one "name: value" line per figure.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <vector>
#include "Http/HttpCommand.h"
#include "Http/HttpMgr.h"
#include "Runtime/MainThreadDispatcher.h"

namespace {

void Pump(DWORD ms)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

double CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

struct Request {
    CHttpCommand command;
    bool done = false;
    int failures = 0;
};

// Runs `count` requests, `width` at a time; returns failures.
int RunBatch(const std::wstring& url, int count, int width, double& seconds, double& cpu)
{
    int failures = 0, started = 0, finished = 0;
    std::vector<std::unique_ptr<Request>> live;
    double cpu0 = CpuSeconds();
    DWORD t0 = GetTickCount();
    while (finished < count) {
        while (static_cast<int>(live.size()) < width && started < count) {
            live.push_back(std::make_unique<Request>());
            live.back()->command.SetUrl(url);
            live.back()->command.SetCompletion([request = live.back().get()](const std::string&, ErrorPair error) {
                request->done = true;
                request->failures += !error.Ok();
            });
            CHttpMgr::AttachOrLeaveOther(CHttpMgr::RequestManager(), &live.back()->command);
            ++started;
        }
        Pump(1);
        for (size_t i = 0; i < live.size();) {
            if (live[i]->done) {
                failures += live[i]->failures;
                ++finished;
                live.erase(live.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
    }
    seconds = (GetTickCount() - t0) / 1000.0;
    cpu = CpuSeconds() - cpu0;
    return failures;
}

void Requests(const std::wstring& url)
{
    struct Case {
        const char* name;
        int count;
        int width;
    } cases[] = {{"sequential", 50, 1}, {"parallel", 10, 10}};
    for (const Case& c : cases) {
        double seconds = 0, cpu = 0;
        int failures = RunBatch(url, c.count, c.width, seconds, cpu);
        printf("%s small requests (%d): %.1f req/s\n", c.name, c.count, c.count / (seconds > 0 ? seconds : 0.001));
        printf("%s cpu time: %.3f s\n", c.name, cpu);
        printf("%s failures: %d\n", c.name, failures);
    }
}

void Idle(int seconds)
{
    printf("ready\n");
    fflush(stdout);
    DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (static_cast<int>(end - GetTickCount()) > 0)
        Pump(50);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: HttpBench requests URL | HttpBench idle SECONDS\n");
        return 2;
    }
    CMainThreadDispatcher::Startup();
    CHttpMgr::StartEngine();
    if (wcscmp(argv[1], L"requests") == 0)
        Requests(argv[2]);
    else
        Idle(_wtoi(argv[2]));
    CMainThreadDispatcher::Shutdown();
    CHttpMgr::StopEngine();
    return 0;
}
