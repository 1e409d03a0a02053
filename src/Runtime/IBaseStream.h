#pragma once
// An input byte stream read by one thread at a time.
#include <cstdint>

class IBaseStream {
public:
    virtual ~IBaseStream() = default;
    // Returns count, 0 at the end of the data, or -1 when fewer than count
    // bytes are left (nothing is read then).
    virtual int32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Size() = 0;
    virtual void Close() = 0;
};
