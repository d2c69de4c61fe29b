#include "lists/HistoryExclusion.h"

#include "app/AppContext.h"

namespace pelorin {

HistoryExclusion::HistoryExclusion(AppContext& context)
    : m_context(context)
{
}

void HistoryExclusion::removeDrawnNames(Category) {}

} // namespace pelorin
