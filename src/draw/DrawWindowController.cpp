#include "draw/DrawWindowController.h"

#include "app/AppContext.h"

namespace pelorin {

DrawWindowController::DrawWindowController(AppContext& context)
    : m_context(context)
{
}

void DrawWindowController::open(Category) {}
void DrawWindowController::close() {}
void DrawWindowController::startStop() {}

} // namespace pelorin
