#include "lists/SessionLists.h"

namespace pelorin {

SessionLists::SessionLists(QObject* parent)
    : QObject(parent)
{
    for (Category i = 0; i < CategoryCount; ++i)
        for (int k = 0; k < 3; ++k) {
            auto* model = new NameListModel(i, static_cast<ListKind>(k), this);
            connect(model, &NameListModel::changed, this, &SessionLists::changed);
            m_lists.at(static_cast<std::size_t>(i)).at(static_cast<std::size_t>(k)) = model;
        }
}

NameListModel& SessionLists::list(Category category, ListKind kind)
{
    return *m_lists.at(static_cast<std::size_t>(category)).at(static_cast<std::size_t>(kind));
}

} // namespace pelorin
