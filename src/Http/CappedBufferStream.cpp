#include "CappedBufferStream.h"
#include <new>
#include "Runtime/ErrorPair.h"

int32_t CappedBufferStream::Write(const void* data, uint32_t count)
{
    if (static_cast<uint64_t>(Length()) + count <= m_limit) {
        try {
            return OBufferStream::Write(data, count);
        } catch (const std::bad_alloc&) {
            // Below the limit but still more than the process can hold.
        }
    }
    SetError({kErrorUser, kUserBodyTooLarge});
    return -1;
}
