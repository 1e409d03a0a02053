#pragma once
// FIPS 180-4 SHA-256, as 64 lower-case hexadecimal digits. Uses the
// processor's SHA instructions when it has them, else portable code; both
// give the same digest. One thread at a time; Update after HexDigest is
// ignored.
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    enum class Engine { Fastest, Portable };

    explicit Sha256(Engine engine = Engine::Fastest);

    void Update(const unsigned char* data, size_t length);
    // Ends the message on the first call; later calls give the same text.
    const std::string& HexDigest();

    static bool ProcessorHasShaInstructions();

private:
    void Compress(const unsigned char* blocks, size_t count);

    uint32_t m_state[8];
    uint64_t m_length = 0;
    unsigned char m_buffer[64] = {};
    size_t m_buffered = 0;
    bool m_useInstructions;
    std::string m_hex;
};
