#pragma once
// An output byte stream written by one thread at a time. A sink that fails
// returns -1 from Write (or false from Flush) and records an error pair that
// its reader can collect afterwards. A sink that holds
// bytes back writes them out in Flush.
#include <cstdint>
#include "ErrorPair.h"

class OBaseStream {
public:
    virtual ~OBaseStream() = default;
    virtual int32_t Write(const void* data, uint32_t count) = 0;
    virtual bool Flush() { return true; }
    virtual void Free() = 0;
    virtual void Close() { Free(); }

    ErrorPair Error() const { return m_error; }

protected:
    void SetError(ErrorPair error) { m_error = error; }

private:
    ErrorPair m_error;
};
