#pragma once
// An output byte stream written by one thread at a time.
#include <cstdint>

class OBaseStream {
public:
    virtual ~OBaseStream() = default;
    virtual uint32_t Write(const void* data, uint32_t count) = 0;
    virtual void Free() = 0;
    virtual void Close() { Free(); }
};
