#pragma once
// Calls fn(value, pointer, first, second) on the main thread with copies of
// the two narrow strings. The pointer is not owned.
#include <string>
#include "MainThreadTaskBase.h"

template <class T>
class MainThreadTask4 : public MainThreadTaskBase {
public:
    using Fn = void (*)(int, T*, const std::string&, const std::string&);
    MainThreadTask4(Fn fn, int value, T* pointer, std::string first, std::string second)
        : m_fn(fn), m_value(value), m_pointer(pointer), m_first(std::move(first)), m_second(std::move(second))
    {
    }
    void Run() override { m_fn(m_value, m_pointer, m_first, m_second); }

private:
    Fn m_fn;
    int m_value;
    T* m_pointer;
    std::string m_first;
    std::string m_second;
};
