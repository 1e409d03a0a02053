#pragma once
// Remembers the thread that made its owner. A class whose contract says
// "main thread only" keeps one and calls Check() at its public entry points:
// a debug build stops at the first call from another thread; a release build
// compiles the check away. OnOwnerThread() is there in every build.
#include <windows.h>
#include <cassert>

class CThreadAffinity {
public:
    bool OnOwnerThread() const { return GetCurrentThreadId() == m_owner; }
    void Check() const { assert(OnOwnerThread() && "called off the thread its contract names"); }

private:
    DWORD m_owner = GetCurrentThreadId();
};
