#pragma once

#include "platform/IRandom.h"

#include <QRandomGenerator>

namespace pelorin {

// Seeded once from the operating system's secure source; never re-seeded.
class SystemRandom : public IRandom
{
public:
    SystemRandom()
        : m_generator(QRandomGenerator::system()->generate())
    {
    }
    explicit SystemRandom(quint32 seed)
        : m_generator(seed)
    {
    }

    // bounded() rejects out-of-range draws, so there is no modulo bias.
    int between(int lower, int upper) override { return m_generator.bounded(lower, upper + 1); }

private:
    QRandomGenerator m_generator;
};

} // namespace pelorin
