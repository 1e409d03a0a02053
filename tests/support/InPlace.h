#pragma once
// Storage for one T at a fixed address, for tests that end an object and
// put another at the very same address, or look at the bytes it leaves.
// Whatever object lives there when the holder goes is destroyed with it, so
// an assertion that leaves a test early never leaves a live object (a task
// still listed, a thread still running) in memory the stack reuses.
#include <cstddef>
#include <new>

template <class T>
class InPlace {
public:
    InPlace() = default;
    ~InPlace() { Destroy(); }
    InPlace(const InPlace&) = delete;
    InPlace& operator=(const InPlace&) = delete;

    // Ends the object there, if any, and makes a new one.
    T* Emplace()
    {
        Destroy();
        m_object = new (m_storage) T;
        return m_object;
    }
    void Destroy()
    {
        if (m_object)
            m_object->~T();
        m_object = nullptr;
    }
    T* Get() const { return m_object; }
    unsigned char* Bytes() { return m_storage; }
    static constexpr size_t Size() { return sizeof(T); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
    T* m_object = nullptr;
};
