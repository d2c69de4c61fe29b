#pragma once

#include "model/IRandom.h"
#include "model/UniformPick.h"

#include <QRandomGenerator>
#include <optional>

namespace pelorin {

// Picks from the operating system's secure source, every pick exactly uniform. A seeded generator is
// for tests that need the same picks on every run.
class SystemRandom : public IRandom
{
public:
    SystemRandom() = default;
    explicit SystemRandom(quint32 seed)
        : m_seeded(QRandomGenerator(seed))
    {
    }

    int between(int lower, int upper) override
    {
        QRandomGenerator* source = m_seeded ? &*m_seeded : QRandomGenerator::system();
        const auto range = std::uint32_t(std::int64_t(upper) - lower + 1);
        return int(std::int64_t(lower) + uniformBelow(range, [source] { return source->generate(); }));
    }

private:
    std::optional<QRandomGenerator> m_seeded;
};

} // namespace pelorin
