#pragma once
// Collects written bytes in one growing block; readers take Data() and
// Length() once writing is done. Growth doubles the block, so appends are
// amortised; a block that would pass 4 GiB raises std::bad_alloc.
#include "OBaseStream.h"

class OBufferStream : public OBaseStream {
public:
    static constexpr uint32_t kInitialCapacity = 2097152;
    static constexpr uint32_t kRestartCapacity = 0x80000;

    OBufferStream();
    OBufferStream(const OBufferStream&) = delete;
    OBufferStream& operator=(const OBufferStream&) = delete;
    ~OBufferStream() override;

    int32_t Write(const void* data, uint32_t count) override;
    void Free() override;

    const unsigned char* Data() const { return m_block; }
    uint32_t Length() const { return m_used; }
    uint32_t Capacity() const { return m_capacity; }

private:
    void Reserve(uint64_t needed);

    unsigned char* m_block = nullptr;
    uint32_t m_capacity = 0;
    uint32_t m_used = 0;
};
