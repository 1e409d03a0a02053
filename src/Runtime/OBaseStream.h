#pragma once
// An output byte stream written by one thread at a time. A sink that fails
// returns -1 from Write (or false from Flush) and records an (error type,
// error code) pair that its reader can collect afterwards. A sink that holds
// bytes back writes them out in Flush.
#include <cstdint>

class OBaseStream {
public:
    virtual ~OBaseStream() = default;
    virtual int32_t Write(const void* data, uint32_t count) = 0;
    virtual bool Flush() { return true; }
    virtual void Free() = 0;
    virtual void Close() { Free(); }

    int32_t ErrorCode() const { return m_errorCode; }
    int32_t ErrorType() const { return m_errorType; }

protected:
    void SetError(int32_t type, int32_t code)
    {
        m_errorType = type;
        m_errorCode = code;
    }

private:
    int32_t m_errorCode = 0;
    int32_t m_errorType = 0;
};
