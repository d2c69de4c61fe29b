#include "output/ClipboardCopy.h"

#include "app/AppContext.h"

namespace pelorin {

ClipboardCopy::ClipboardCopy(AppContext& context)
    : m_context(context)
{
}

void ClipboardCopy::copyResults(Category) {}

} // namespace pelorin
