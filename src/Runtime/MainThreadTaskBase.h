#pragma once
// A unit of work a worker thread hands to the main thread. Reference-counted
// so the queue, the drain and the poster can each hold it; Run() is called
// once, on the main thread only.
#include "RefThreadSafeBase.h"

class MainThreadTaskBase : public CRefThreadSafeBase<MainThreadTaskBase> {
public:
    virtual void Run() = 0;
};
