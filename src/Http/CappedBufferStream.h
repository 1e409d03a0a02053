#pragma once
// The memory sink of a request: collects the body like OBufferStream but
// refuses to grow past its limit, so a body without end cannot exhaust the
// process's memory. A refused write returns -1 and records (kErrorUser,
// kUserBodyTooLarge); what arrived before the limit stays readable. Written
// on the worker thread, read by the task once the transfer has ended.
#include "Runtime/OBufferStream.h"

class CappedBufferStream : public OBufferStream {
public:
    explicit CappedBufferStream(uint32_t limit) : m_limit(limit) {}

    int32_t Write(const void* data, uint32_t count) override;

private:
    uint32_t m_limit;
};
