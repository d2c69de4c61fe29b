#include "lists/ManualEntry.h"

#include "app/AppContext.h"

namespace pelorin {

ManualEntry::ManualEntry(AppContext& context)
    : m_context(context)
{
}

void ManualEntry::openForCandidates(Category) {}
void ManualEntry::openForHistory(Category) {}
void ManualEntry::commit() {}
void ManualEntry::close() {}

} // namespace pelorin
