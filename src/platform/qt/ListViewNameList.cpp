#include "platform/qt/ListViewNameList.h"

#include <QItemSelectionModel>
#include <QListView>

namespace pelorin {

ListViewNameList::ListViewNameList(NameListModel& model, QListView* view)
    : ModelNameList(model)
    , m_view(view)
{
    m_view->setModel(&model);
}

int ListViewNameList::selectedIndex() const
{
    const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListViewNameList::setSelectedIndex(int index)
{
    if (index < 0 || index >= m_model.count()) {
        m_view->clearSelection();
        return;
    }
    m_view->setCurrentIndex(m_model.index(index));
}

} // namespace pelorin
