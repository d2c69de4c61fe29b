#include "model/Sha256.h"

#include <QByteArray>
#include <cstring>
#include <sodium.h>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define PELORIN_SHA_EXTENSIONS 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace pelorin {

namespace {

static_assert(sizeof(crypto_hash_sha256_state) <= 128);

#ifdef PELORIN_SHA_EXTENSIONS

bool detectShaExtensions()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool ssse3 = (c & (1u << 9)) != 0;
    const bool sse41 = (c & (1u << 19)) != 0;
    if (!ssse3 || !sse41 || !__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return (b & (1u << 29)) != 0;
}

alignas(16) constexpr std::uint32_t K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// The compression of whole 64-byte blocks with the SHA instructions: sixteen groups of four rounds, the
// message schedule computed four words at a time alongside.
__attribute__((target("sha,sse4.1,ssse3"))) void compressBlocks(std::uint32_t* state, const unsigned char* data,
                                                                std::size_t blocks)
{
    const __m128i mask = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    tmp = _mm_shuffle_epi32(tmp, 0xB1); // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B); // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8); // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0); // CDGH

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefSaved = state0;
        const __m128i cdghSaved = state1;
        __m128i w[4];
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) {
            __m128i& current = w[g % 4];
            if (g < 4)
                current = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)), mask);
            __m128i message = _mm_add_epi32(current, _mm_load_si128(reinterpret_cast<const __m128i*>(K + 4 * g)));
            state1 = _mm_sha256rnds2_epu32(state1, state0, message);
            if (g >= 3 && g <= 14) {
                __m128i& next = w[(g + 1) % 4];
                next = _mm_add_epi32(next, _mm_alignr_epi8(current, w[(g + 3) % 4], 4));
                next = _mm_sha256msg2_epu32(next, current);
            }
            message = _mm_shuffle_epi32(message, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, message);
            if (g >= 1 && g <= 12) {
                __m128i& previous = w[(g + 3) % 4];
                previous = _mm_sha256msg1_epu32(previous, current);
            }
        }
        state0 = _mm_add_epi32(state0, abefSaved);
        state1 = _mm_add_epi32(state1, cdghSaved);
    }

    tmp = _mm_shuffle_epi32(state0, 0x1B); // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1); // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0); // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8); // ABEF
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), state1);
}

#else

bool detectShaExtensions()
{
    return false;
}

void compressBlocks(std::uint32_t*, const unsigned char*, std::size_t) { }

#endif

const bool HasShaExtensions = detectShaExtensions();

crypto_hash_sha256_state* sodiumState(unsigned char* bytes)
{
    return reinterpret_cast<crypto_hash_sha256_state*>(bytes);
}

} // namespace

bool Sha256::usesShaExtensions()
{
    return HasShaExtensions;
}

Sha256::Sha256()
    : m_state { 0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19 }
{
    if (!HasShaExtensions)
        crypto_hash_sha256_init(sodiumState(m_sodium));
}

void Sha256::add(const unsigned char* data, std::size_t size)
{
    if (!HasShaExtensions) {
        crypto_hash_sha256_update(sodiumState(m_sodium), data, size);
        return;
    }
    m_total += size;
    if (m_filled > 0) {
        const std::size_t take = std::min(size, m_block.size() - m_filled);
        std::memcpy(m_block.data() + m_filled, data, take);
        m_filled += take;
        data += take;
        size -= take;
        if (m_filled < m_block.size())
            return;
        compressBlocks(m_state.data(), m_block.data(), 1);
        m_filled = 0;
    }
    compressBlocks(m_state.data(), data, size / 64);
    data += size / 64 * 64;
    size %= 64;
    std::memcpy(m_block.data(), data, size);
    m_filled = size;
}

std::array<unsigned char, 32> Sha256::result()
{
    std::array<unsigned char, 32> digest {};
    if (!HasShaExtensions) {
        crypto_hash_sha256_final(sodiumState(m_sodium), digest.data());
        return digest;
    }
    const std::uint64_t bits = m_total * 8;
    const unsigned char one = 0x80;
    const unsigned char zeros[64] = {};
    add(&one, 1);
    add(zeros, (m_filled <= 56 ? 56 - m_filled : 120 - m_filled));
    unsigned char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    add(length, 8);
    for (std::size_t i = 0; i < 8; ++i)
        for (std::size_t j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<unsigned char>(m_state[i] >> (24 - 8 * j));
    return digest;
}

QString Sha256::hex()
{
    const std::array<unsigned char, 32> digest = result();
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest.data()), static_cast<qsizetype>(digest.size())).toHex());
}

} // namespace pelorin
