#pragma once
// Owns one kernel handle and closes it once. Null and INVALID_HANDLE_VALUE
// both mean none. Moves, never copies; any thread, one owner.
#include <windows.h>
#include <utility>

class CScopedHandle {
public:
    CScopedHandle() = default;
    explicit CScopedHandle(HANDLE handle) : m_handle(handle) {}
    CScopedHandle(CScopedHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    CScopedHandle& operator=(CScopedHandle&& other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    ~CScopedHandle()
    {
        if (*this)
            CloseHandle(m_handle);
    }

    explicit operator bool() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    // For functions that hand a handle back through a pointer.
    HANDLE* Receive() { return &m_handle; }

private:
    HANDLE m_handle = nullptr;
};
