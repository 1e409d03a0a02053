#include "IBufferStream.h"
#include <cstring>

IBufferStream::IBufferStream(const void* source, uint32_t length)
    : m_data(new unsigned char[length]), m_length(length), m_owns(true)
{
    if (length)
        std::memcpy(m_data, source, length);
}

IBufferStream::~IBufferStream() { Close(); }

int32_t IBufferStream::Read(void* buffer, uint32_t count)
{
    if (m_position == m_length)
        return 0;
    if (static_cast<uint64_t>(m_position) + count > m_length)
        return -1;
    std::memcpy(buffer, m_data + m_position, count);
    m_position += count;
    return static_cast<int32_t>(count);
}

void IBufferStream::Close()
{
    if (m_owns)
        delete[] m_data;
    m_data = nullptr;
    m_length = 0;
    m_position = 0;
    m_owns = false;
}
