#pragma once
// Calls fn(object, value) on the main thread. The task holds its own
// reference to the object, so the object lives at least until the task is
// destroyed, whether it ran or was discarded.
#include "MainThreadTaskBase.h"
#include "RefPtr.h"

template <class T, class V>
class MainThreadTask2 : public MainThreadTaskBase {
public:
    using Fn = void (*)(const CRefPtr<T>&, V);
    MainThreadTask2(Fn fn, const CRefPtr<T>& object, V value) : m_fn(fn), m_object(object), m_value(value) {}
    void Run() override { m_fn(m_object, m_value); }

private:
    Fn m_fn;
    CRefPtr<T> m_object;
    V m_value;
};
