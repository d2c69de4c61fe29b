#include "lists/WorkbookImport.h"

#include "app/AppContext.h"

namespace pelorin {

WorkbookImport::WorkbookImport(AppContext& context)
    : m_context(context)
{
}

void WorkbookImport::importCandidates(Category) {}
void WorkbookImport::importHistory(Category) {}

} // namespace pelorin
