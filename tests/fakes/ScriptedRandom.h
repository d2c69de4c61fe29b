#pragma once

#include "model/IRandom.h"

#include <QQueue>
#include <stdexcept>

namespace pelorin::test {

// Returns the queued picks in order and records the ranges asked for.
class ScriptedRandom : public IRandom
{
public:
    int between(int lower, int upper) override
    {
        ranges.append({ lower, upper });
        if (picks.isEmpty())
            return lower;
        const int pick = picks.dequeue();
        if (pick < lower || pick > upper)
            throw std::out_of_range("scripted pick outside the asked range");
        return pick;
    }

    QQueue<int> picks;
    QList<QPair<int, int>> ranges;
};

} // namespace pelorin::test
