#include "output/WorkbookExport.h"

#include "app/AppContext.h"

namespace pelorin {

WorkbookExport::WorkbookExport(AppContext& context)
    : m_context(context)
{
}

void WorkbookExport::exportCategory(Category) {}
void WorkbookExport::exportAll() {}
void WorkbookExport::openTemplateDownload() {}

} // namespace pelorin
