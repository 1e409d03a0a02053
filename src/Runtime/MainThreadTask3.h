#pragma once
// Calls fn(pointer, a, b) on the main thread. The pointer is not owned: the
// poster guarantees its target outlives the queue or is checked by fn.
#include "MainThreadTaskBase.h"

template <class T>
class MainThreadTask3 : public MainThreadTaskBase {
public:
    using Fn = void (*)(T*, int, int);
    MainThreadTask3(Fn fn, T* pointer, int a, int b) : m_fn(fn), m_pointer(pointer), m_a(a), m_b(b) {}
    void Run() override { m_fn(m_pointer, m_a, m_b); }

private:
    Fn m_fn;
    T* m_pointer;
    int m_a;
    int m_b;
};
