#pragma once
// Intrusive, interlocked reference count. Any thread may add or release a
// reference; the object deletes itself through its virtual destructor when
// the last reference goes, on whichever thread released it.
#include <windows.h>

template <class T>
class CRefThreadSafeBase {
public:
    CRefThreadSafeBase() = default;
    CRefThreadSafeBase(const CRefThreadSafeBase&) = delete;
    CRefThreadSafeBase& operator=(const CRefThreadSafeBase&) = delete;
    virtual ~CRefThreadSafeBase() = default;

    void AddRef() { InterlockedIncrement(&m_refCount); }
    void Release()
    {
        if (InterlockedDecrement(&m_refCount) == 0)
            delete this;
    }
    LONG RefCount() const { return m_refCount; }

private:
    volatile LONG m_refCount = 0;
};
