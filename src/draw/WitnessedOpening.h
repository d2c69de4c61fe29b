#pragma once

#include "model/Categories.h"
#include "record/RecordSheet.h"

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
    // Notes how the ceremony ended, completed or abandoned, with how many names were drawn.
    void noteEnd();
    // 替补: withdraws the selected result of category i, with a reason the operator types, and draws its
    // substitute as the next pick of the completed ceremony's stream.
    void substitute(Category i, int selected);

private:
    QString sourceOf(Category i) const;
    void printNotice(const record::Notice& notice);

    AppContext& m_context;
};

} // namespace pelorin
