#pragma once
// Options record of a logger: which prefixes a line gets and whether it ends
// with CR LF. A logger owns the record it is given.
#include <cstdint>

struct LoggerOptions {
    static constexpr uint8_t kLocalTime = 0x02;
    static constexpr uint8_t kProcessId = 0x04;
    static constexpr uint8_t kThreadId = 0x08;

    uint8_t prefixFlags = 0;
    uint8_t lineEnd = 0;
};
