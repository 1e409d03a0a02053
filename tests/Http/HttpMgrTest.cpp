#include <gtest/gtest.h>
#include <memory>
#include "Http/CurlWorkshop.h"
#include "Http/RecordingCommand.h"
#include "support/EngineTest.h"
#include "support/ScriptedHttpServer.h"

namespace {
class HttpMgrTest : public EngineTest {};
}

TEST_F(HttpMgrTest, TaskAddedTwiceKeepsOneEntryAndItsId)
{
    ScriptedHttpServer server([](const RecordedRequest&, int) { return ScriptedResponse::Text(200, "x"); });
    RecordingCommand command;
    command.SetUrl(server.Url("/twice"));
    CHttpMgr* manager = CHttpMgr::RequestManager();
    ASSERT_TRUE(CHttpMgr::AttachOrLeaveOther(manager, &command));
    TaskId first = command.Id();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(manager->AddTask(&command), first);
    EXPECT_EQ(manager->TaskCount(), 1u);
    EXPECT_EQ(manager->RunningCount(), 1u);
    ASSERT_TRUE(command.WaitForResult());
    EXPECT_EQ(command.results.size(), 1u);
    EXPECT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(manager->TaskCount(), 0u) << "a finished task is no longer listed";
    EXPECT_EQ(manager->RunningCount(), 0u);

    RecordingCommand other;
    EXPECT_FALSE(CHttpMgr::AttachOrLeaveOther(nullptr, &other));
    other.SetManager(CHttpMgr::DownloadManager());
    EXPECT_TRUE(CHttpMgr::AttachOrLeaveOther(manager, &other)) << "attached elsewhere: only unlisted there";
    EXPECT_EQ(other.Manager(), CHttpMgr::DownloadManager());
    EXPECT_EQ(manager->TaskCount(), 0u);
}

TEST_F(HttpMgrTest, EleventhTaskWaitsForAFreeSlot)
{
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ScriptedHttpServer server([release](const RecordedRequest& request, int) {
        ScriptedResponse r = ScriptedResponse::Text(200, request.path);
        r.release = release;
        return r;
    });
    std::vector<std::unique_ptr<RecordingCommand>> commands;
    for (int i = 0; i < 11; ++i) {
        commands.push_back(std::make_unique<RecordingCommand>());
        commands.back()->Fetch(server.Url("/slot" + std::to_string(i)));
    }
    CHttpMgr* manager = CHttpMgr::RequestManager();
    EXPECT_EQ(manager->TaskCount(), 11u);
    EXPECT_EQ(manager->RunningCount(), 10u);
    EXPECT_FALSE(commands[10]->IsRunning());
    EXPECT_TRUE(commands[10]->starts.empty());
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 10; }));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(server.RequestCount(), 10u);

    SetEvent(release);
    ASSERT_TRUE(PumpUntil([&] {
        for (auto& c : commands)
            if (c->results.empty())
                return false;
        return true;
    }));
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(commands[i]->results.at(0), (ErrorPair{}));
        EXPECT_EQ(commands[i]->body, "/slot" + std::to_string(i));
    }
    EXPECT_EQ(manager->RunningCount(), 0u);
    CloseHandle(release);
}

TEST_F(HttpMgrTest, TaskInRetryWaitIsNotStartedEarly)
{
    RecordingCommand command;
    wchar_t url[64];
    swprintf(url, 64, L"http://127.0.0.1:%d/", ScriptedHttpServer::RefusingPort());
    command.Fetch(url);
    ASSERT_TRUE(PumpUntil([&] { return command.InRetryWait(); }));
    CHttpMgr* manager = CHttpMgr::RequestManager();
    EXPECT_EQ(manager->TaskCount(), 1u) << "waiting tasks stay listed";
    EXPECT_EQ(manager->AddTask(&command), command.Id());
    manager->Schedule();
    manager->CheckRetries();
    EXPECT_FALSE(command.IsRunning());
    EXPECT_EQ(command.starts.size(), 1u);
    EXPECT_EQ(manager->RunningCount(), 0u);

    RecordingCommand never;
    manager->RemoveTask(&never);
    EXPECT_EQ(manager->RunningCount(), 0u) << "removing an unscheduled task frees no slot";
    ASSERT_TRUE(command.WaitForResult());
    EXPECT_EQ(command.starts.size(), 3u);
}

TEST_F(HttpMgrTest, ShutdownWhileTransfersRunEndsCleanly)
{
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ScriptedHttpServer server([release](const RecordedRequest&, int) {
        ScriptedResponse r = ScriptedResponse::Text(200, std::string(100000, 'z'));
        r.release = release;
        return r;
    });
    std::vector<std::unique_ptr<RecordingCommand>> commands;
    for (int i = 0; i < 4; ++i) {
        commands.push_back(std::make_unique<RecordingCommand>());
        commands.back()->Fetch(server.Url("/busy"));
    }
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 4; }));
    DWORD workerIds[] = {CHttpMgr::RequestWorker()->ThreadId(), CHttpMgr::DownloadWorker()->ThreadId()};
    SetEvent(release); // bodies are on their way while the engine stops
    DWORD start = GetTickCount();
    while (CMainThreadDispatcher::QueuedCount() == 0 && GetTickCount() - start < 5000)
        Sleep(1);
    ASSERT_GT(CMainThreadDispatcher::QueuedCount(), 0u) << "events for the tasks wait, unrun, as the engine stops";
    StopAll();
    EXPECT_EQ(CHttpMgr::RequestManager(), nullptr);
    EXPECT_EQ(CHttpMgr::RequestWorker(), nullptr);
    for (DWORD id : workerIds) {
        HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
        if (thread) {
            EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "worker thread still alive";
            CloseHandle(thread);
        }
    }
    for (auto& c : commands)
        EXPECT_EQ(c->Manager(), nullptr) << "tasks are detached, not deleted";
    commands.clear();
    CloseHandle(release);
}
