#pragma once

#include "model/IRandom.h"
#include "model/ShuffleSeed.h"

#include <array>
#include <cstdint>

namespace pelorin {

// Picks taken from the ChaCha20 key stream of a seed: the bytes libsodium's
// randombytes_buf_deterministic(buf, n, seed) gives (ChaCha20-IETF, key = seed, nonce "LibsodiumDRG",
// block counter from 0), read as consecutive little-endian 32-bit words. Each pick is exactly uniform:
// Lemire's multiply-and-shift, drawing the word again when it falls in the rejected stretch. The same seed
// always gives the same picks, so a shuffle can be recomputed by anyone who has the seed.
class SeededStream : public IRandom
{
public:
    explicit SeededStream(const ShuffleSeed& seed);
    ~SeededStream() override;
    SeededStream(const SeededStream&) = delete;
    SeededStream& operator=(const SeededStream&) = delete;

    int between(int lower, int upper) override;
    // The next 32-bit word of the stream.
    std::uint32_t nextWord();

private:
    void refill();

    ShuffleSeed m_seed;
    std::array<std::uint8_t, 4096> m_buffer {};
    std::size_t m_used = 0;
    std::uint32_t m_nextBlock = 0; // ChaCha20 block counter of the next refill
};

} // namespace pelorin
