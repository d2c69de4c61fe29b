#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

namespace pelorin {

// SHA-256 in pieces. On processors with the SHA extensions (most since 2017) the blocks are hashed by
// them, seven times faster than libsodium's portable code: a record's check hashes every candidate list
// at every start, and with 5,000 starts of 32,767 names that is gigabytes. Elsewhere libsodium hashes.
class Sha256
{
public:
    Sha256();
    void add(const unsigned char* data, std::size_t size);
    std::array<unsigned char, 32> result();
    // The result as 64 lower-case hexadecimal digits.
    QString hex();

    // Whether this processor hashes with its SHA extensions.
    static bool usesShaExtensions();

private:
    std::array<std::uint32_t, 8> m_state;
    std::array<unsigned char, 64> m_block {};
    std::size_t m_filled = 0;
    std::uint64_t m_total = 0;
    alignas(16) unsigned char m_sodium[128] {}; // libsodium's state, where the extensions are missing
};

} // namespace pelorin
