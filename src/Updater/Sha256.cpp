#include "Sha256.h"
#include <cpuid.h>
#include <immintrin.h>
#include <algorithm>
#include <cstring>

namespace {

const uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

uint32_t BigEndian(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void CompressPortable(uint32_t state[8], const unsigned char* data, size_t count)
{
    for (; count > 0; --count, data += 64) {
        uint32_t w[64];
        for (int t = 0; t < 16; ++t) w[t] = BigEndian(data + 4 * t);
        for (int t = 16; t < 64; ++t) {
            uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
            uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = w[t - 16] + s0 + w[t - 7] + s1;
        }
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int t = 0; t < 64; ++t) {
            uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[t] + w[t];
            uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
        }
        state[0] += a, state[1] += b, state[2] += c, state[3] += d;
        state[4] += e, state[5] += f, state[6] += g, state[7] += h;
    }
}

// The SHA extensions keep the state as two halves, ABEF and CDGH, and do two
// rounds an instruction; the message schedule advances four words at a time.
__attribute__((target("sha,sse4.1,ssse3"))) void CompressInstructions(uint32_t state[8], const unsigned char* data,
                                                                        size_t count)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
    __m128i hgfe = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(dcba, hgfe, 8);
    __m128i cdgh = _mm_blend_epi16(hgfe, dcba, 0xF0);
    for (; count > 0; --count, data += 64) {
        const __m128i savedAbef = abef, savedCdgh = cdgh;
        __m128i msg[4];
#pragma GCC unroll 16
        for (int group = 0; group < 16; ++group) {
            __m128i words;
            if (group < 4) {
                words = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * group)), byteSwap);
            } else {
                __m128i last = msg[(group + 3) & 3];
                words = _mm_sha256msg1_epu32(msg[group & 3], msg[(group + 1) & 3]);
                words = _mm_add_epi32(words, _mm_alignr_epi8(last, msg[(group + 2) & 3], 4));
                words = _mm_sha256msg2_epu32(words, last);
            }
            msg[group & 3] = words;
            __m128i sum = _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * group)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(sum, 0x0E));
        }
        abef = _mm_add_epi32(abef, savedAbef);
        cdgh = _mm_add_epi32(cdgh, savedCdgh);
    }
    __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

} // namespace

Sha256::Sha256(Engine engine)
    : m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19},
      m_useInstructions(engine == Engine::Fastest && ProcessorHasShaInstructions())
{
}

bool Sha256::ProcessorHasShaInstructions()
{
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_SSE4_1) || !(c & bit_SSSE3))
        return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_SHA);
}

void Sha256::Compress(const unsigned char* blocks, size_t count)
{
    if (m_useInstructions)
        CompressInstructions(m_state, blocks, count);
    else
        CompressPortable(m_state, blocks, count);
}

void Sha256::Update(const unsigned char* data, size_t length)
{
    if (!m_hex.empty())
        return;
    m_length += length;
    if (m_buffered > 0) {
        size_t take = std::min(length, sizeof(m_buffer) - m_buffered);
        memcpy(m_buffer + m_buffered, data, take);
        m_buffered += take, data += take, length -= take;
        if (m_buffered < sizeof(m_buffer))
            return;
        Compress(m_buffer, 1);
        m_buffered = 0;
    }
    Compress(data, length / 64);
    memcpy(m_buffer, data + length / 64 * 64, length % 64);
    m_buffered = length % 64;
}

const std::string& Sha256::HexDigest()
{
    if (!m_hex.empty())
        return m_hex;
    const uint64_t bits = m_length * 8;
    unsigned char block[128] = {};
    memcpy(block, m_buffer, m_buffered);
    block[m_buffered] = 0x80;
    size_t padded = m_buffered < 56 ? 64 : 128;
    for (int i = 0; i < 8; ++i) block[padded - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    Compress(block, padded / 64);
    static const char digits[] = "0123456789abcdef";
    for (uint32_t word : m_state)
        for (int shift = 28; shift >= 0; shift -= 4) m_hex += digits[(word >> shift) & 0xF];
    return m_hex;
}
