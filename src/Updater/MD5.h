#pragma once
// RFC 1321 message digest, as 32 lower-case hexadecimal digits. One thread
// at a time. Misuse (update after finalize, finalize twice, hex_digest
// before finalize) is reported on standard error and otherwise ignored.
#include <cstdint>
#include <cstdio>

class MD5 {
public:
    MD5();

    void update(const unsigned char* input, unsigned int length);
    void finalize();
    const char* hex_digest();

private:
    void Transform(const unsigned char block[64]);

    uint32_t m_state[4];
    uint32_t m_count[2] = {0, 0};
    unsigned char m_buffer[64] = {};
    unsigned char m_digest[16] = {};
    bool m_finalized = false;
    char m_hex[33] = {};
};
