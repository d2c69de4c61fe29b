#pragma once

#include "platform/ISeedSource.h"

#include <QRandomGenerator>

namespace pelorin {

// Seeds from the operating system's secure source (getrandom on Linux, the system generator on Windows).
class SystemSeedSource : public ISeedSource
{
public:
    ShuffleSeed newSeed() override
    {
        ShuffleSeed seed;
        std::array<quint32, ShuffleSeed::Size / 4> words {};
        QRandomGenerator::system()->fillRange(words.data(), words.size());
        for (std::size_t i = 0; i < words.size(); ++i)
            for (std::size_t b = 0; b < 4; ++b)
                seed.bytes[4 * i + b] = static_cast<std::uint8_t>(words[i] >> (8 * b));
        return seed;
    }
};

} // namespace pelorin
