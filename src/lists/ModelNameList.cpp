#include "lists/ModelNameList.h"

namespace pelorin {

void ModelNameList::removeAt(int index)
{
    m_model.removeAt(index);
    if (m_selected >= m_model.count())
        m_selected = -1;
}

void ModelNameList::clear()
{
    m_model.clear();
    m_selected = -1;
}

int ModelNameList::selectedIndex() const
{
    return m_selected < m_model.count() ? m_selected : -1;
}

void ModelNameList::setItems(const QStringList& items)
{
    m_model.setItems(items);
    m_selected = -1;
}

} // namespace pelorin
