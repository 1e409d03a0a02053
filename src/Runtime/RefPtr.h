#pragma once
// Intrusive smart pointer over CRefThreadSafeBase objects and COM interfaces.
// Copies may be made on one thread and released on another; there is no weak
// form.
#include <utility>

template <class T>
class CRefPtr {
public:
    CRefPtr() = default;
    CRefPtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    CRefPtr(const CRefPtr& o) : CRefPtr(o.m_p) {}
    CRefPtr(CRefPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    template <class U>
    CRefPtr(const CRefPtr<U>& o) : CRefPtr(o.Get()) {}
    ~CRefPtr() { if (m_p) m_p->Release(); }

    CRefPtr& operator=(const CRefPtr& o) { Reset(o.m_p); return *this; }
    CRefPtr& operator=(CRefPtr&& o) noexcept
    {
        if (this != &o) {
            T* old = std::exchange(m_p, std::exchange(o.m_p, nullptr));
            if (old) old->Release();
        }
        return *this;
    }

    // The new object gains its reference before the old one loses its own,
    // so assigning a pointer to itself never frees it.
    void Reset(T* p = nullptr)
    {
        if (p) p->AddRef();
        T* old = std::exchange(m_p, p);
        if (old) old->Release();
    }

    // For functions that hand back a new reference through a pointer.
    T** Receive()
    {
        Reset();
        return &m_p;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
