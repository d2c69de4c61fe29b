#include "model/SeededStream.h"

#include "model/UniformPick.h"

#include <sodium.h>

namespace pelorin {

namespace {

// The nonce libsodium's deterministic generator uses, so that the stream can be checked against it.
constexpr unsigned char Nonce[crypto_stream_chacha20_ietf_NONCEBYTES]
    = { 'L', 'i', 'b', 's', 'o', 'd', 'i', 'u', 'm', 'D', 'R', 'G' };
constexpr std::size_t BlockBytes = 64;

} // namespace

SeededStream::SeededStream(const ShuffleSeed& seed)
    : m_seed(seed)
    , m_used(m_buffer.size())
{
    static_assert(ShuffleSeed::Size == crypto_stream_chacha20_ietf_KEYBYTES);
    static_assert(sizeof(m_buffer) % BlockBytes == 0);
    // Lets libsodium pick the fastest ChaCha20 this processor runs; the bytes are the same either way.
    [[maybe_unused]] static const bool ready = sodium_init() >= 0;
}

SeededStream::~SeededStream()
{
    sodium_memzero(m_buffer.data(), m_buffer.size());
}

void SeededStream::refill()
{
    m_buffer.fill(0);
    // XOR with zeros is the key stream itself, from the given block on.
    crypto_stream_chacha20_ietf_xor_ic(m_buffer.data(), m_buffer.data(), m_buffer.size(), Nonce, m_nextBlock,
                                       m_seed.bytes.data());
    m_nextBlock += static_cast<std::uint32_t>(m_buffer.size() / BlockBytes);
    m_used = 0;
}

std::uint32_t SeededStream::nextWord()
{
    if (m_used + 4 > m_buffer.size())
        refill();
    const std::uint8_t* b = m_buffer.data() + m_used;
    m_used += 4;
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

int SeededStream::between(int lower, int upper)
{
    const auto range = std::uint32_t(std::int64_t(upper) - lower + 1);
    return int(std::int64_t(lower) + uniformBelow(range, [this] { return nextWord(); }));
}

} // namespace pelorin
