#pragma once

#include "model/ShuffleSeed.h"

namespace pelorin {

// Where the seed of every shuffle comes from.
class ISeedSource
{
public:
    virtual ~ISeedSource() = default;

    // A fresh seed, never derived from an earlier one.
    virtual ShuffleSeed newSeed() = 0;
};

} // namespace pelorin
