#pragma once
// Reads from its own copy of a byte block, all or nothing per call.
#include "IBaseStream.h"

class IBufferStream : public IBaseStream {
public:
    IBufferStream(const void* source, uint32_t length);
    IBufferStream(const IBufferStream&) = delete;
    IBufferStream& operator=(const IBufferStream&) = delete;
    ~IBufferStream() override;

    int32_t Read(void* buffer, uint32_t count) override;
    uint32_t Size() override { return m_length; }
    void Close() override;

    uint32_t Position() const { return m_position; }

private:
    unsigned char* m_data = nullptr;
    uint32_t m_length = 0;
    uint32_t m_position = 0;
    bool m_owns = false;
};
