#include "lists/ListCommands.h"

#include "app/AppContext.h"

namespace pelorin {

ListCommands::ListCommands(AppContext& context)
    : m_context(context)
{
}

void ListCommands::deleteSelectedCandidate(Category) {}
void ListCommands::clearCandidates(Category) {}
void ListCommands::shuffleCandidates(Category) {}
void ListCommands::returnSelectedResult(Category) {}
void ListCommands::withdrawResults(Category) {}
void ListCommands::clearResults(Category) {}
void ListCommands::clearHistory(Category) {}
void ListCommands::deleteSelectedHistory(Category) {}

} // namespace pelorin
