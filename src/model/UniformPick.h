#pragma once

#include <cstdint>

namespace pelorin {

// A uniform integer in [0, range) from a source of uniform 32-bit words, by Lemire's multiply-and-shift
// with its rejection step: the words whose product would land in the short first stretch are drawn
// again, so every result is exactly equally likely (no n/2^32 bias). range must be at least 1.
template <typename NextWord> std::uint32_t uniformBelow(std::uint32_t range, NextWord&& nextWord)
{
    std::uint64_t product = std::uint64_t(nextWord()) * range;
    auto low = std::uint32_t(product);
    if (low < range) {
        const std::uint32_t threshold = std::uint32_t(-range) % range; // 2^32 mod range
        while (low < threshold) {
            product = std::uint64_t(nextWord()) * range;
            low = std::uint32_t(product);
        }
    }
    return std::uint32_t(product >> 32);
}

} // namespace pelorin
