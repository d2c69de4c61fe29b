#pragma once

#include "platform/ISeedSource.h"

#include <QList>

namespace pelorin::test {

// Seeds that differ from one another but are the same on every run: seed k holds k in its first four bytes
// (little-endian) and the bytes 4, 5, ... 31 after them.
class CountingSeeds : public ISeedSource
{
public:
    ShuffleSeed newSeed() override
    {
        ShuffleSeed seed;
        for (std::size_t i = 0; i < seed.bytes.size(); ++i)
            seed.bytes[i] = static_cast<std::uint8_t>(i < 4 ? quint32(next) >> (8 * i) : i);
        ++next;
        given.append(seed);
        return seed;
    }

    int next = 1;
    QList<ShuffleSeed> given;
};

} // namespace pelorin::test
