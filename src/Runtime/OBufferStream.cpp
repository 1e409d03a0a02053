#include "OBufferStream.h"
#include <cstring>
#include <new>

OBufferStream::OBufferStream() : m_block(new unsigned char[kInitialCapacity]), m_capacity(kInitialCapacity) {}

OBufferStream::~OBufferStream() { Free(); }

// Keeps 10 spare bytes past the data so a reader may terminate it in place.
void OBufferStream::Reserve(uint64_t needed)
{
    uint64_t capacity = m_capacity;
    while (needed > capacity)
        capacity = capacity ? capacity * 2 : kRestartCapacity;
    if (capacity == m_capacity)
        return;
    if (capacity > UINT32_MAX)
        throw std::bad_alloc();
    auto* grown = new unsigned char[capacity];
    if (m_used)
        std::memcpy(grown, m_block, m_used);
    delete[] m_block;
    m_block = grown;
    m_capacity = static_cast<uint32_t>(capacity);
}

int32_t OBufferStream::Write(const void* data, uint32_t count)
{
    Reserve(static_cast<uint64_t>(m_used) + count + 10);
    if (count)
        std::memcpy(m_block + m_used, data, count);
    m_used += count;
    return static_cast<int32_t>(count);
}

void OBufferStream::Free()
{
    delete[] m_block;
    m_block = nullptr;
    m_capacity = 0;
    m_used = 0;
}
