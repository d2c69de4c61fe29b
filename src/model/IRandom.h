#pragma once

namespace pelorin {

// Source of uniform random integers.
class IRandom
{
public:
    virtual ~IRandom() = default;

    // A uniform integer from lower to upper inclusive, independent of earlier picks.
    virtual int between(int lower, int upper) = 0;
};

} // namespace pelorin
