#pragma once

#include "model/Categories.h"

namespace pelorin {

struct AppContext;

// 见证摇号, before the first start of an opening: the program draws a secret and shows its commitment, the
// witnesses give their text, and only then is the secret shown; every pick of the opening then comes from
// the seed both make. Each step is a command of its own, so the record shows them in this order.
class WitnessedOpening
{
public:
    explicit WitnessedOpening(AppContext& context);

    bool isOptionOn() const;
    // Runs the three steps for category i; false, with the ceremony noted as abandoned, when the witnesses'
    // text was not given.
    bool hold(Category i);
    // Notes a ceremony that ends before every pick was drawn, with how many were.
    void noteEnd();

private:
    AppContext& m_context;
};

} // namespace pelorin
