#include "platform/qt/ListWidgetNameList.h"

#include <QListWidget>

namespace pelorin {

void ListWidgetNameList::append(const QString& text)
{
    m_widget->addItem(text);
}

void ListWidgetNameList::removeAt(int index)
{
    delete m_widget->takeItem(index);
}

void ListWidgetNameList::clear()
{
    m_widget->clear();
}

int ListWidgetNameList::count() const
{
    return m_widget->count();
}

QString ListWidgetNameList::textAt(int index) const
{
    const QListWidgetItem* item = m_widget->item(index);
    return item ? item->text() : QString();
}

int ListWidgetNameList::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = m_widget->selectedItems();
    return selected.isEmpty() ? -1 : m_widget->row(selected.first());
}

void ListWidgetNameList::setSelectedIndex(int index)
{
    if (index < 0 || index >= m_widget->count()) {
        m_widget->clearSelection();
        return;
    }
    m_widget->setCurrentRow(index);
}

QStringList ListWidgetNameList::items() const
{
    QStringList result;
    result.reserve(m_widget->count());
    for (int i = 0; i < m_widget->count(); ++i)
        result.append(m_widget->item(i)->text());
    return result;
}

void ListWidgetNameList::setItems(const QStringList& items)
{
    m_widget->setUpdatesEnabled(false);
    m_widget->clear();
    m_widget->addItems(items);
    m_widget->setUpdatesEnabled(true);
}

void ListWidgetNameList::appendItems(const QStringList& items)
{
    m_widget->addItems(items);
}

} // namespace pelorin
