#pragma once

#include "model/Categories.h"

namespace pelorin {

struct AppContext;

// Removes from a category's candidates the names drawn on earlier occasions.
class HistoryExclusion
{
public:
    explicit HistoryExclusion(AppContext& context);

    void removeDrawnNames(Category i); // 去已摇

private:
    void tellLookAlikes(Category i);

    AppContext& m_context;
};

} // namespace pelorin
