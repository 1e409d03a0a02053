#pragma once
// A test that runs the real HTTP engine: the main-thread dispatcher on the
// test's thread, both workers, both managers and the 500 ms timer, stopped
// in the program's own shutdown order.
#include <gtest/gtest.h>
#include "Http/HttpMgr.h"
#include "Runtime/MainThreadDispatcher.h"
#include "support/MessagePump.h"

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CMainThreadDispatcher::Startup();
        CHttpMgr::StartEngine();
    }
    void TearDown() override { StopAll(); }
    static void StopAll()
    {
        CMainThreadDispatcher::Shutdown();
        CHttpMgr::StopEngine();
    }
};
